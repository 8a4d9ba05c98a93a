// The simple level patterns of group B: 026, the TV receiving antenna of
// bands IV and V; 027, the HAPS gateway and platform antenna; 029, the
// two-level elevation pattern.
#include <cmath>

#include "array_path.h"
#include "earth_b.h"

namespace kamstd {
namespace {

// ---- 026 TV receiving antenna ---------------------------------------------

constexpr const char* kTvName = "TVRX4_026_V1";
constexpr double kTvLowMHz = 470.0;  // recommended band, inclusive
constexpr double kTvHighMHz = 960.0;

double TvRel(double p) {
    if (p <= 20.0) return 0.0;
    if (p <= 60.0) return -0.4 * (p - 20.0);
    return -16.0;
}

KAM_Status KAM_CALL TvValidateInput(double* gainMaxIn, double*, double* frequencyIn, double*,
                                    void*) {
    const double gainMax = Read(gainMaxIn), frequency = Read(frequencyIn);
    if (const std::int32_t s = NeedValue(kTvName, "GainMax", gainMax)) return s;
    if (const std::int32_t s = OptionalValue(kTvName, "Frequency", frequency)) return s;
    if (!IsAbsent(frequency) && !(frequency >= kTvLowMHz && frequency <= kTvHighMHz))
        return Report(kNotRecommended,
                      "%s: Frequency %g MHz is outside %g to %g MHz, the band the pattern is "
                      "recommended for (computed anyway).",
                      kTvName, frequency, kTvLowMHz, kTvHighMHz);
    return 0;
}

// gain: G = GainMax + Rel; GainX NoValue.
struct TvBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMaxIn, double*, double* frequencyIn, double*, void*,
                           const Angles& angles) {
        const double gainMax = Read(gainMaxIn), frequency = Read(frequencyIn);
        std::int32_t read = NeedValue(kTvName, "GainMax", gainMax);
        if (read == 0) read = OptionalValue(kTvName, "Frequency", frequency);
        return angles([&](double* phiIn, double*, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kTvName, "Phi", phi);
            if (s != 0) return Fail(s, gain, gainX);
            return Deliver(kTvName, phi, gainMax + TvRel(FoldAngle(phi)), gain, gainX);
        });
    }
};

// ---- 027 HAPS gateway and platform antenna --------------------------------

constexpr const char* kHapsName = "HAPSG_027_V1";
constexpr double kHapsBeamConstant = 7442.0;  // psib = sqrt(7442 / 10^(0.1 GainMax))
constexpr double kHapsNearEnd = 3.745;        // psi2 = 3.745 psib
constexpr double kHapsFloorBelow = 73.0;      // LF = GainMax - 73

enum HapsField { kHapsLN, kHapsFieldCount };
constexpr FieldDef kHapsFields[kHapsFieldCount] = {
    {"LN", "dB", -25.0, -42.0, -25.0, false},
};

// The pattern's breakpoints for GainMax g0 and the field LN.
struct Haps {
    double g0, ln, psib, lf, psi1, psi2, x, psi3;
};

Haps MakeHaps(double g0, double ln) {
    Haps h{};
    h.g0 = g0;
    h.ln = ln;
    h.psib = std::sqrt(kHapsBeamConstant / std::pow(10.0, 0.1 * g0));
    h.lf = g0 - kHapsFloorBelow;
    h.psi1 = h.psib * std::sqrt(-ln / 3.0);
    h.psi2 = kHapsNearEnd * h.psib;
    h.x = g0 + ln + 60.0 * std::log10(h.psi2);
    h.psi3 = std::pow(10.0, (h.x - h.lf) / 60.0);
    return h;
}

double HapsGain(const Haps& h, double p) {
    if (p <= h.psi1) {
        const double t = p / h.psib;
        return h.g0 - 3.0 * t * t;
    }
    if (p <= h.psi2) return h.g0 + h.ln;
    if (p <= h.psi3) return h.x - 60.0 * std::log10(p);
    return h.lf;
}

KAM_Status KAM_CALL HapsValidateInput(double* gainMaxIn, double*, double*, double*,
                                      void* specific) {
    const double gainMax = Read(gainMaxIn);
    if (const std::int32_t s = NeedValue(kHapsName, "GainMax", gainMax)) return s;
    double f[kHapsFieldCount];
    return LoadFields(kHaps027, specific, f, true);
}

// gain: GainX NoValue. The field's range is checked while GainValid is on.
struct HapsBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMaxIn, double*, double*, double*, void* specific,
                           const Angles& angles) {
        const double gainMax = Read(gainMaxIn);
        Haps h{};
        const std::int32_t read = NeedValue(kHapsName, "GainMax", gainMax);
        Once fields([&] {
            double f[kHapsFieldCount];
            const std::int32_t s = LoadFields(kHaps027, specific, f, GainValid());
            if (s == 0) h = MakeHaps(gainMax, f[kHapsLN]);
            return s;
        });
        return angles([&](double* phiIn, double*, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kHapsName, "Phi", phi);
            if (s == 0) s = fields();
            if (s != 0) return Fail(s, gain, gainX);
            return Deliver(kHapsName, phi, HapsGain(h, FoldAngle(phi)), gain, gainX);
        });
    }
};

// ---- 029 two-level pattern --------------------------------------------------

constexpr const char* kLevelsName = "HEMIS_029_V1";

enum LevelsField { kCutoff, kLower, kLevelsFieldCount };
constexpr FieldDef kLevelsFields[kLevelsFieldCount] = {
    {"cutoff", "deg", 90.0, 0.0, 180.0, false},
    {"lower", "dB", -20.0, -100.0, 0.0, false},
};

KAM_Status KAM_CALL LevelsValidateInput(double* gainMaxIn, double*, double*, double*,
                                        void* specific) {
    const double gainMax = Read(gainMaxIn);
    if (const std::int32_t s = NeedValue(kLevelsName, "GainMax", gainMax)) return s;
    double f[kLevelsFieldCount];
    return LoadFields(kLevels029, specific, f, true);
}

// gain: GainMax up to the cutoff zenith angle (inclusive), GainMax + lower
// beyond; GainX NoValue. Field ranges are checked while GainValid is on.
struct LevelsBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMaxIn, double*, double*, double*, void* specific,
                           const Angles& angles) {
        const double gainMax = Read(gainMaxIn);
        double f[kLevelsFieldCount] = {};
        const std::int32_t read = NeedValue(kLevelsName, "GainMax", gainMax);
        Once fields([&] { return LoadFields(kLevels029, specific, f, GainValid()); });
        return angles([&](double* phiIn, double*, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kLevelsName, "Phi", phi);
            if (s == 0) s = fields();
            if (s != 0) return Fail(s, gain, gainX);
            const double p = FoldAngle(phi);
            const double g = p <= f[kCutoff] ? gainMax : gainMax + f[kLower];
            return Deliver(kLevelsName, phi, g, gain, gainX);
        });
    }
};

}  // namespace

const PatternDef kTvReceive026 = {kTvName,
                                  "TV receiving antenna, bands IV and V",
                                  26,
                                  KAM_PATTERN_EARTH,
                                  {R, N, N, O, N, N, R, N},
                                  nullptr,
                                  0,
                                  {.earth = &TvValidateInput},
                                  {},
                                  {.earth = &EarthGainSlot<TvBody>},
                                  {},
                                  EarthArrays<TvBody>()};

const PatternDef kHaps027 = {kHapsName,
                             "HAPS gateway and platform antenna",
                             27,
                             KAM_PATTERN_EARTH,
                             {R, N, N, N, N, O, R, N},
                             kHapsFields,
                             kHapsFieldCount,
                             {.earth = &HapsValidateInput},
                             {},
                             {.earth = &EarthGainSlot<HapsBody>},
                             {},
                             EarthArrays<HapsBody>()};

const PatternDef kLevels029 = {kLevelsName,
                               "Two-level pattern",
                               29,
                               KAM_PATTERN_EARTH,
                               {R, N, N, N, N, O, R, N},
                               kLevelsFields,
                               kLevelsFieldCount,
                               {.earth = &LevelsValidateInput},
                               {},
                               {.earth = &EarthGainSlot<LevelsBody>},
                               {},
                               EarthArrays<LevelsBody>()};

}  // namespace kamstd
