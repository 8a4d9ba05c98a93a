// Earth stations whose maximum gain comes from their aperture: 010 (space
// research), 011 (radio astronomy) and 012 (BSS reception, with its
// cross-polar curve). Diameter and Frequency are both needed; GainMax is not
// an input.
#include <cmath>
#include <type_traits>

#include "earth_a.h"

namespace kamstd {
namespace eartha {
namespace {

// ---- Constants of the family -------------------------------------------

constexpr double kResearchRecommendedMin = 100.0;  // 010: D/lambda, +6003 below
constexpr double kBssDefinedMin = 11.0;            // 012: D/lambda, -6002 below
constexpr double kBssEfficiency = 0.65;            // 012: fixed by the definition
constexpr double kDefaultEfficiency = 1.0;         // 011: Efficiency absent

constexpr Domain kResearchDomain = {DSource::kAperture, false, 0.0, kResearchRecommendedMin,
                                    kAnyBand, kAnyBand};
constexpr Domain kAstronomyDomain = {DSource::kAperture, false, 0.0, 0.0, kAnyBand, kAnyBand};
constexpr Domain kBssDomain = {DSource::kAperture, false, kBssDefinedMin, 0.0, kAnyBand,
                               kAnyBand};

constexpr const char* kName010 = "SRES__010_V1";
constexpr const char* kName011 = "RASTA_011_V1";
constexpr const char* kName012 = "BSSRX_012_V1";

// The inputs of a call of this family, in parameter order, then D/lambda and
// the domain. efficiency: how the pattern takes it.
enum class Efficiency { kRequired, kOptional, kFixed };

struct Inputs {
    Call call;
    double eta = kBssEfficiency;
    double p = 0.0;
};

// The inputs before Phi: Diameter, Frequency, then Efficiency as the pattern
// takes it.
std::int32_t ReadAperture(const char* name, const Domain& domain, Efficiency efficiency,
                          double* diameter, double* frequency, double* eta, Inputs& in) {
    std::int32_t s = ReadInputs(name, domain, nullptr, diameter, frequency, in.call);
    if (s < 0) return s;
    if (efficiency != Efficiency::kFixed) {
        in.eta = Read(eta);
        s = efficiency == Efficiency::kRequired ? NeedValue(name, "Efficiency", in.eta)
                                                : OptionalValue(name, "Efficiency", in.eta);
        if (s < 0) return s;
        if (IsAbsent(in.eta)) in.eta = kDefaultEfficiency;
    }
    return s;
}

// After Phi: D/lambda, the domain, then an efficiency above 0.
std::int32_t DeriveAperture(const char* name, const Domain& domain, Mode mode, Inputs& in) {
    const std::int32_t s = Derive(name, domain, mode, in.call);
    if (s < 0) return s;
    if (!(in.eta > 0.0))
        return Report(kOutOfDomain,
                      "%s: Efficiency %g is not above 0; the aperture gives no gain.", name,
                      in.eta);
    return s;
}

// The gain of a pattern of this family: the inputs, Phi, then (once)
// derive, which ends the checks and fills what the curve needs; then, at the
// folded angle p, a co-polar pattern's value(p, log10) goes to Deliver (and
// the array's plain loop takes value too), while a pattern with a cross-polar
// curve passes nullptr for value and writes both with deliver(p, gain, gainX).
template <class Angles, class DeriveStep, class Delivery, class Value>
KAM_Status GainEach(const char* name, std::int32_t read, const Angles& angles,
                    DeriveStep derive, Delivery deliver, const Value& value) {
    Once once(derive);
    const auto step = [&](double* phi, double*, double* gain, double* gainX) -> KAM_Status {
        std::int32_t s = read;
        if (s >= 0) s = NeedValue(name, "Phi", phi);
        if (s >= 0) s = once();
        if (s < 0) return Fail(s, gain, gainX);
        const double p = FoldAngle(*phi);
        if constexpr (std::is_null_pointer_v<Value>)
            return deliver(p, gain, gainX);
        else
            return Deliver(name, p, value(p, typename Angles::Log{}), gain, gainX);
    };
    if constexpr (std::is_null_pointer_v<Value>)
        return angles(step);
    else
        return angles(step, [&] { return read == 0 && once.Passed(); }, value);
}

// ---- 010 -----------------------------------------------------------------

struct Research {
    double g0, phi0, phi1, phi2;
};

Research MakeResearch(double g0, double d) {
    const double phi0 = 20.0 * std::sqrt(3.0) / d;
    return {g0, phi0, phi0 * std::sqrt(20.0 / 3.0), std::pow(10.0, (49.0 - g0) / 25.0)};
}

template <class Log>
inline double Curve010(const Research& r, double p, Log log10) {
    const double g0 = r.g0;
    const double t = p / r.phi0;
    if (r.phi1 <= r.phi2) {
        if (p < r.phi1) return g0 - 3.0 * t * t;
        if (p < r.phi2) return g0 - 20.0;
    } else if (p < r.phi2) {
        return g0 - 3.0 * t * t;
    }
    if (p < 48.0) return 29.0 - 25.0 * log10(p);
    if (p < 80.0) return -13.0;
    if (p < 120.0) return -8.0;
    return -13.0;
}

KAM_Status KAM_CALL Validate010(double*, double* diameter, double* frequency, double* efficiency,
                                void*) {
    Inputs in;
    const std::int32_t s = ReadAperture(kName010, kResearchDomain, Efficiency::kRequired,
                                        diameter, frequency, efficiency, in);
    return s < 0 ? s : DeriveAperture(kName010, kResearchDomain, Mode::kValidate, in);
}

struct Body010 {
    template <class Angles>
    static KAM_Status Gain(double*, double* diameter, double* frequency, double* efficiency,
                           void*, const Angles& angles) {
        Inputs in;
        Research r{};
        const std::int32_t read = ReadAperture(kName010, kResearchDomain, Efficiency::kRequired,
                                               diameter, frequency, efficiency, in);
        return GainEach(
            kName010, read, angles,
            [&]() -> std::int32_t {
                const std::int32_t s =
                    DeriveAperture(kName010, kResearchDomain, GainMode(), in);
                if (s >= 0) r = MakeResearch(kamstd::ApertureGain(in.eta, in.call.d), in.call.d);
                return s;
            },
            nullptr, Curve{r, [](const Research& c, double p, auto log10) { return Curve010(c, p, log10); }});
    }
};

// ---- 011 -----------------------------------------------------------------

double G1Astronomy(double d) { return -1.0 + 15.0 * Log10(d); }

struct Astronomy {
    MainLobe lobe;
    double phir;
};

// The main lobe, G1 to phir, then the wide-angle envelope.
Piecewise Curve011(const Astronomy& a) {
    Piecewise curve;
    AddMainLobe(curve, a.lobe, a.phir);
    AddWideAngleEnvelope(curve);
    return curve;
}

// After the checks of the family: the main lobe of Gmax against G1.
std::int32_t Lobe011(Mode mode, Inputs& in, MainLobe& lobe) {
    const std::int32_t s = DeriveAperture(kName011, kAstronomyDomain, mode, in);
    if (s < 0) return s;
    const double d = in.call.d;
    const std::int32_t m =
        MakeMainLobe(kName011, "Gmax", kamstd::ApertureGain(in.eta, d), d, G1Astronomy(d), lobe);
    return m < 0 ? m : s;
}

KAM_Status KAM_CALL Validate011(double*, double* diameter, double* frequency, double* efficiency,
                                void*) {
    Inputs in;
    MainLobe lobe;
    const std::int32_t s = ReadAperture(kName011, kAstronomyDomain, Efficiency::kOptional,
                                        diameter, frequency, efficiency, in);
    return s < 0 ? s : Lobe011(Mode::kValidate, in, lobe);
}

struct Body011 {
    template <class Angles>
    static KAM_Status Gain(double*, double* diameter, double* frequency, double* efficiency,
                           void*, const Angles& angles) {
        Inputs in;
        Astronomy a{};
        Piecewise curve;
        const std::int32_t read = ReadAperture(kName011, kAstronomyDomain, Efficiency::kOptional,
                                               diameter, frequency, efficiency, in);
        return GainEach(
            kName011, read, angles,
            [&]() -> std::int32_t {
                const std::int32_t s = Lobe011(GainMode(), in, a.lobe);
                if (s >= 0) {
                    a.phir = 15.85 * std::pow(a.lobe.d, -0.6);
                    curve = Curve011(a);
                }
                return s;
            },
            nullptr, curve);
    }
};

// ---- 012 -----------------------------------------------------------------

const double kBssPhiB = std::pow(10.0, 34.0 / 25.0);       // co-polar: -5 from here
const double kBssCrossPhi2 = std::pow(10.0, 26.0 / 25.0);  // cross-polar: -5 from here

// G1 = 29 - 25 log(95/d), the level at phir = 95/d.
double G1Bss(double d) { return 29.0 - 25.0 * Log10(95.0 / d); }

// Both curves' breakpoints.
struct Bss {
    MainLobe lobe;
    double phir;          // co-polar: 95/d
    double phi0, phi1, c;  // cross-polar
};

Bss MakeBss(const MainLobe& lobe) {
    Bss b{};
    b.lobe = lobe;
    b.phir = 95.0 / lobe.d;
    b.phi0 = (2.0 / lobe.d) * std::sqrt(3.0 / 0.0025);
    b.phi1 = (b.phi0 / 2.0) * std::sqrt(10.1875);
    b.c = 21.0 - 25.0 * Log10(b.phi1) - (lobe.gainMax - 17.0);
    return b;
}

double Copolar012(const Bss& b, double p) {
    if (p < b.lobe.phim) return b.lobe(p);
    if (p < b.phir) return b.lobe.g1;  // below max(phim, phir)
    if (p < kBssPhiB) return 29.0 - 25.0 * Log10(p);
    if (p < 70.0) return -5.0;
    return 0.0;
}

double Crosspolar012(const Bss& b, double p) {
    const double gmax = b.lobe.gainMax;
    const double phi0 = b.phi0;
    if (p < 0.25 * phi0) return gmax - 25.0;
    if (p < 0.44 * phi0) return gmax - 25.0 + 8.0 * (p - 0.25 * phi0) / (0.19 * phi0);
    if (p < phi0) return gmax - 17.0;
    if (p < b.phi1) return gmax - 17.0 + b.c * std::fabs((p - phi0) / (b.phi1 - phi0));
    if (p < kBssCrossPhi2) return 21.0 - 25.0 * Log10(p);
    if (p < 70.0) return -5.0;
    return 0.0;
}

std::int32_t Lobe012(Mode mode, Inputs& in, MainLobe& lobe) {
    const std::int32_t s = DeriveAperture(kName012, kBssDomain, mode, in);
    if (s < 0) return s;
    const double d = in.call.d;
    const std::int32_t m =
        MakeMainLobe(kName012, "Gmax", kamstd::ApertureGain(kBssEfficiency, d), d, G1Bss(d), lobe);
    return m < 0 ? m : s;
}

KAM_Status KAM_CALL Validate012(double*, double* diameter, double* frequency, double*, void*) {
    Inputs in;
    MainLobe lobe;
    const std::int32_t s = ReadAperture(kName012, kBssDomain, Efficiency::kFixed, diameter,
                                        frequency, nullptr, in);
    return s < 0 ? s : Lobe012(Mode::kValidate, in, lobe);
}

struct Body012 {
    template <class Angles>
    static KAM_Status Gain(double*, double* diameter, double* frequency, double*, void*,
                           const Angles& angles) {
        Inputs in;
        Bss b{};
        const std::int32_t read = ReadAperture(kName012, kBssDomain, Efficiency::kFixed,
                                               diameter, frequency, nullptr, in);
        return GainEach(
            kName012, read, angles,
            [&]() -> std::int32_t {
                MainLobe lobe;
                const std::int32_t s = Lobe012(GainMode(), in, lobe);
                if (s >= 0) b = MakeBss(lobe);
                return s;
            },
            [&](double p, double* gain, double* gainX) {
                return DeliverPair(kName012, p, Copolar012(b, p), Crosspolar012(b, p), gain,
                                   gainX);
            },
            nullptr);
    }
};

}  // namespace
}  // namespace eartha

using namespace eartha;

// Properties: GainMax, Beamlet, Diameter, Frequency, Efficiency, Specific, Phi, Phi0.
const PatternDef kSpaceResearch010 = {
    kName010, "Space research earth station", 10, KAM_PATTERN_EARTH, {N, N, R, R, R, N, R, N},
    nullptr, 0, {&Validate010}, {nullptr}, {&EarthGainSlot<Body010>}, {nullptr},
    EarthArrays<Body010>()};
const PatternDef kRadioAstronomy011 = {
    kName011, "Radio astronomy station antenna", 11, KAM_PATTERN_EARTH, {N, N, R, R, O, N, R, N},
    nullptr, 0, {&Validate011}, {nullptr}, {&EarthGainSlot<Body011>}, {nullptr},
    EarthArrays<Body011>()};
const PatternDef kBssReceive012 = {
    kName012, "BSS receiving earth station, co-polar and cross-polar", 12, KAM_PATTERN_EARTH,
    {N, N, R, R, N, N, R, N}, nullptr, 0, {&Validate012}, {nullptr}, {&EarthGainSlot<Body012>}, {nullptr},
    EarthArrays<Body012>()};

}  // namespace kamstd
