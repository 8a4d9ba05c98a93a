// Fixed-service point-to-point antennas, 008 (peak side-lobe envelope) and
// 009 (average side-lobe level). Frequency is always needed (it selects the
// branch of 008 and bounds both); without Diameter, D/lambda comes from
// GainMax, which is the normal use of these patterns and draws no warning.
#include <cmath>

#include "earth_a.h"

namespace kamstd {
namespace eartha {
namespace {

// ---- Constants of the family -------------------------------------------

constexpr Band kPeakBand = {100.0, 70000.0};      // 008 defined
constexpr Band kAverageBand = {1000.0, 70000.0};  // 009 defined
constexpr double kPeakLowBandTopMHz = 1000.0;     // 008: below it, the VHF/UHF branch
constexpr double kPeakLowBandMinD = 0.63;         // 008 VHF/UHF branch: d above it
constexpr double kLargeD = 100.0;                 // 008, 009: d above it, the large branch

constexpr Domain kPeakDomain = {DSource::kDiameterOrGain, true, 0.0, 0.0, kPeakBand, kAnyBand};
constexpr Domain kAverageDomain = {DSource::kDiameterOrGain, true, 0.0, 0.0, kAverageBand,
                                   kAnyBand};

constexpr const char* kName008 = "FSPKE_008_V1";
constexpr const char* kName009 = "FSAVG_009_V1";

double G1(double d) { return 2.0 + 15.0 * Log10(d); }

// A gain call of 008 or 009: the inputs, Phi, then (once) D/lambda, the
// domain and the main lobe, which fill what the curve needs; curve(p, log10)
// gives the gain.
template <class Angles, class Finish, class Curve>
KAM_Status GainEach(const char* name, std::int32_t read, const Angles& angles, Finish finish,
                    Curve curve) {
    Once once(finish);
    return angles(
        [&](double* phi, double*, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s >= 0) s = NeedValue(name, "Phi", phi);
            if (s >= 0) s = once();
            if (s < 0) return Fail(s, gain, gainX);
            const double p = FoldAngle(*phi);
            return Deliver(name, p, curve(p, typename Angles::Log{}), gain, gainX);
        },
        [&] { return read == 0 && once.Passed(); }, curve);
}

// ---- 008 -----------------------------------------------------------------

// The envelope's breakpoints: from 1 GHz up the coordination envelope, below
// it its own far branch.
struct Peak {
    Coordination coordination;
    bool high;      // Frequency at or above 1 GHz
    double phiEnd;  // VHF/UHF branch: end of the side lobes, 144.5 d^-0.2
    double near;    // 52 - 10 log d
    double far;     // -2 - 5 log d
};

Peak MakePeak(const MainLobe& lobe, double frequency) {
    const double d = lobe.d;
    Peak peak{};
    peak.high = frequency >= kPeakLowBandTopMHz;
    peak.coordination = MakeCoordination(lobe, peak.high && d > kLargeD);
    peak.phiEnd = 144.5 * std::pow(d, -0.2);
    peak.near = 52.0 - 10.0 * Log10(d);
    peak.far = -2.0 - 5.0 * Log10(d);
    return peak;
}

template <class Log>
inline double Curve008(const Peak& peak, double p, Log log10) {
    if (peak.high) return CoordinationGain(peak.coordination, p, log10);
    const MainLobe& lobe = peak.coordination.lobe;
    if (p < lobe.phim) return lobe(p);
    if (p < peak.coordination.phir) return lobe.g1;  // 100 / d
    if (p < peak.phiEnd) return peak.near - 25.0 * log10(p);
    return peak.far;
}

// After the inputs (and Phi): D/lambda, domain, the VHF/UHF branch's bound on
// d, then G1.
std::int32_t Finish008(Mode mode, Call& call, MainLobe& lobe) {
    const std::int32_t s = Derive(kName008, kPeakDomain, mode, call);
    if (s < 0) return s;
    if (mode != Mode::kGainFree && call.frequency < kPeakLowBandTopMHz &&
        !(call.d > kPeakLowBandMinD))
        return Report(kOutOfDomain,
                      "%s: D/lambda %g is not above %g, the lowest this pattern is defined for "
                      "below %g MHz.",
                      kName008, call.d, kPeakLowBandMinD, kPeakLowBandTopMHz);
    const std::int32_t m =
        MakeMainLobe(kName008, "GainMax", call.gainMax, call.d, G1(call.d), lobe);
    return m < 0 ? m : s;
}

KAM_Status KAM_CALL Validate008(double* gainMax, double* diameter, double* frequency, double*,
                                void*) {
    Call call;
    MainLobe lobe;
    const std::int32_t s = ReadInputs(kName008, kPeakDomain, gainMax, diameter, frequency, call);
    return s < 0 ? s : Finish008(Mode::kValidate, call, lobe);
}

struct Body008 {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double* diameter, double* frequency, double*, void*,
                           const Angles& angles) {
        Call call;
        Peak peak{};
        const std::int32_t read =
            ReadInputs(kName008, kPeakDomain, gainMax, diameter, frequency, call);
        return GainEach(
            kName008, read, angles,
            [&]() -> std::int32_t {
                MainLobe lobe;
                const std::int32_t s = Finish008(GainMode(), call, lobe);
                if (s >= 0) peak = MakePeak(lobe, call.frequency);
                return s;
            },
            Curve{peak, [](const Peak& c, double p, auto log10) { return Curve008(c, p, log10); }});
    }
};

// ---- 009 -----------------------------------------------------------------

struct Average {
    MainLobe lobe;
    double phir;  // d > 100: end of the G1 plateau, 12.02 d^-0.6
    double near;  // d <= 100: 39 - 5 log d
    double far;   // d <= 100: -3 - 5 log d
};

Average MakeAverage(const MainLobe& lobe) {
    const double d = lobe.d;
    return {lobe, 12.02 * std::pow(d, -0.6), 39.0 - 5.0 * Log10(d), -3.0 - 5.0 * Log10(d)};
}

template <class Log>
inline double Curve009(const Average& a, double p, Log log10) {
    const MainLobe& lobe = a.lobe;
    if (lobe.d > kLargeD) {
        if (p < lobe.phim) return lobe(p);
        if (p < a.phir) return lobe.g1;  // below max(phim, phir)
        if (p < 48.0) return 29.0 - 25.0 * log10(p);
        return -13.0;
    }
    // When GainMax equals G1, phim is 0 and the side-lobe term would be
    // infinite at boresight; there the main lobe's own value, GainMax, holds.
    if (p < lobe.phim || p <= 0.0) return lobe(p);
    if (p < 48.0) return a.near - 25.0 * log10(p);
    return a.far;
}

std::int32_t Finish009(Mode mode, Call& call, MainLobe& lobe) {
    const std::int32_t s = Derive(kName009, kAverageDomain, mode, call);
    if (s < 0) return s;
    const std::int32_t m =
        MakeMainLobe(kName009, "GainMax", call.gainMax, call.d, G1(call.d), lobe);
    return m < 0 ? m : s;
}

KAM_Status KAM_CALL Validate009(double* gainMax, double* diameter, double* frequency, double*,
                                void*) {
    Call call;
    MainLobe lobe;
    const std::int32_t s =
        ReadInputs(kName009, kAverageDomain, gainMax, diameter, frequency, call);
    return s < 0 ? s : Finish009(Mode::kValidate, call, lobe);
}

struct Body009 {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double* diameter, double* frequency, double*, void*,
                           const Angles& angles) {
        Call call;
        Average average{};
        const std::int32_t read =
            ReadInputs(kName009, kAverageDomain, gainMax, diameter, frequency, call);
        return GainEach(
            kName009, read, angles,
            [&]() -> std::int32_t {
                MainLobe lobe;
                const std::int32_t s = Finish009(GainMode(), call, lobe);
                if (s >= 0) average = MakeAverage(lobe);
                return s;
            },
            Curve{average, [](const Average& c, double p, auto log10) { return Curve009(c, p, log10); }});
    }
};

}  // namespace
}  // namespace eartha

using namespace eartha;

// Properties: GainMax, Beamlet, Diameter, Frequency, Efficiency, Specific, Phi, Phi0.
const PatternDef kFixedPeak008 = {
    kName008, "Fixed-service point-to-point antenna, peak envelope", 8, KAM_PATTERN_EARTH,
    {R, N, O, R, N, N, R, N}, nullptr, 0, {&Validate008}, {nullptr}, {&EarthGainSlot<Body008>}, {nullptr},
    EarthArrays<Body008>()};
const PatternDef kFixedAverage009 = {
    kName009, "Fixed-service point-to-point antenna, average side lobes", 9, KAM_PATTERN_EARTH,
    {R, N, O, R, N, N, R, N}, nullptr, 0, {&Validate009}, {nullptr}, {&EarthGainSlot<Body009>}, {nullptr},
    EarthArrays<Body009>()};

}  // namespace kamstd
