// Radar principal-plane cuts 015 to 020: the theoretical main beam of a cos^n
// aperture illumination (n = 0, 1, 2) down to a break level, then a side-lobe
// mask falling with ln(phi) down to a floor. One table row per pattern.
#include <cmath>

#include "array_path.h"
#include "earth_b.h"

namespace kamstd {
namespace {

struct RadarCut {
    const char* name;
    const char* title;
    std::int32_t number;
    int n;     // illumination cos^n
    double K;  // deg
    double A;
    double B;
    double Lb;     // break level, dB
    double Off;    // mask offset, dB (0 for the peak mask)
    double Floor;  // dB
};

constexpr RadarCut kCuts[] = {
    {"RDUNP_015_V1", "Radar antenna, uniform illumination, peak side lobes", 15, 0, 50.8, 8.584,
     2.876, -5.75, 0.0, -30.0},
    {"RDUNA_016_V1", "Radar antenna, uniform illumination, average side lobes", 16, 0, 50.8, 8.584,
     2.876, -12.16, -3.72, -30.0},
    {"RDCOP_017_V1", "Radar antenna, cosine illumination, peak side lobes", 17, 1, 68.8, 17.51,
     2.33, -14.4, 0.0, -50.0},
    {"RDCOA_018_V1", "Radar antenna, cosine illumination, average side lobes", 18, 1, 68.8, 17.51,
     2.33, -20.6, -4.32, -50.0},
    {"RDC2P_019_V1", "Radar antenna, cosine-squared illumination, peak side lobes", 19, 2, 83.2,
     26.882, 1.962, -22.3, 0.0, -60.0},
    {"RDC2A_020_V1", "Radar antenna, cosine-squared illumination, average side lobes", 20, 2, 83.2,
     26.882, 1.962, -29.0, -4.6, -60.0},
};

double Sinc(double x) {
    return x == 0.0 ? 1.0 : std::sin(x) / x;
}

// The illumination's field pattern f_n(mu), written without its 0/0 points.
double FieldPattern(int n, double mu) {
    constexpr double kHalfPi = kPi / 2.0;
    switch (n) {
        case 0:
            return Sinc(mu);
        case 1:
            return (kPi * kPi / 4.0) * Sinc(kHalfPi - mu) / (kHalfPi + mu);
        default:
            if (mu < kHalfPi) return Sinc(mu) * kPi * kPi / (kPi * kPi - mu * mu);
            return kPi * kPi * Sinc(kPi - mu) / (mu * (kPi + mu));
    }
}

// Relative gain of cut c at the folded angle p for the full beamwidth phi0:
// the main beam while phi <= 90 and its level is at or above Lb, else the mask.
double RadarRel(const RadarCut& c, double p, double phi0) {
    if (p <= 90.0) {
        const double mu = kPi * c.K * std::sin(p * kDegree) / phi0;
        const double t = 20.0 * std::log10(std::fabs(FieldPattern(c.n, mu)));
        if (t >= c.Lb) return t < 0.0 ? t : 0.0;
    }
    double m = -c.A * std::log(c.B * p / phi0) + c.Off;
    if (m < c.Floor) m = c.Floor;
    return m < 0.0 ? m : 0.0;
}

// validateInput: GainMax given and finite.
template <int I>
KAM_Status KAM_CALL ValidateInput(double* gainMax, double*, double*, double*, void*) {
    return NeedValue(kCuts[I].name, "GainMax", Read(gainMax));
}

// validateAll: Phi given and finite, Phi0 given, finite and above 0.
template <int I>
KAM_Status KAM_CALL ValidateAll(double*, double*, double*, double*, void*, double* phi,
                                double* phi0) {
    return NeedAngles(kCuts[I].name, phi, phi0);
}

// gain: G = GainMax + Rel; GainX NoValue. Phi0 <= 0 fails while GainValid is
// on; with it off, a Phi0 of 0 gives no finite gain (-6002).
template <int I>
struct Body {
    template <class Angles>
    static KAM_Status Gain(double* gainMaxIn, double*, double*, double*, void*,
                           const Angles& angles) {
        const RadarCut& c = kCuts[I];
        const double gainMax = Read(gainMaxIn);
        const std::int32_t read = NeedValue(c.name, "GainMax", gainMax);
        return angles([&](double* phiIn, double* phi0In, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn), phi0 = Read(phi0In);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(c.name, "Phi", phi);
            if (s == 0) s = NeedPhi0(c.name, phi0In);
            if (s != 0) return Fail(s, gain, gainX);
            return Deliver(c.name, phi, gainMax + RadarRel(c, FoldAngle(phi), phi0), gain, gainX);
        });
    }
};

template <int I>
constexpr PatternDef MakeDef() {
    return {kCuts[I].name,
            kCuts[I].title,
            kCuts[I].number,
            KAM_PATTERN_EARTH,
            {R, N, N, N, N, N, R, R},
            nullptr,
            0,
            {.earth = &ValidateInput<I>},
            {.earth = &ValidateAll<I>},
            {.earth = &EarthGainSlot<Body<I>>},
            {},
            EarthArrays<Body<I>, &ValidateAll<I>>()};
}

}  // namespace

const PatternDef kRadar015 = MakeDef<0>();
const PatternDef kRadar016 = MakeDef<1>();
const PatternDef kRadar017 = MakeDef<2>();
const PatternDef kRadar018 = MakeDef<3>();
const PatternDef kRadar019 = MakeDef<4>();
const PatternDef kRadar020 = MakeDef<5>();

}  // namespace kamstd
