// Earth stations whose maximum gain comes from their aperture: 010 (space
// research), 011 (radio astronomy) and 012 (BSS reception, with its
// cross-polar curve). Diameter and Frequency are both needed; GainMax is not
// an input.
#include <cmath>

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

std::int32_t PrepareAperture(const char* name, const Domain& domain, Efficiency efficiency,
                             Mode mode, double* diameter, double* frequency, double* eta,
                             const double* phi, bool withPhi, Inputs& in) {
    std::int32_t s = ReadInputs(name, domain, nullptr, diameter, frequency, in.call);
    if (s < 0) return s;
    if (efficiency != Efficiency::kFixed) {
        in.eta = Read(eta);
        s = efficiency == Efficiency::kRequired ? NeedValue(name, "Efficiency", in.eta)
                                                : OptionalValue(name, "Efficiency", in.eta);
        if (s < 0) return s;
        if (IsAbsent(in.eta)) in.eta = kDefaultEfficiency;
    }
    if (withPhi && (s = OffAxis(name, phi, in.p)) < 0) return s;
    s = Derive(name, domain, mode, in.call);
    if (s < 0) return s;
    if (!(in.eta > 0.0))
        return Report(kOutOfDomain,
                      "%s: Efficiency %g is not above 0; the aperture gives no gain.", name,
                      in.eta);
    return s;
}

// ---- 010 -----------------------------------------------------------------

double Curve010(double g0, double d, double p) {
    const double phi0 = 20.0 * std::sqrt(3.0) / d;
    const double phi1 = phi0 * std::sqrt(20.0 / 3.0);
    const double phi2 = std::pow(10.0, (49.0 - g0) / 25.0);
    const double t = p / phi0;
    if (phi1 <= phi2) {
        if (p < phi1) return g0 - 3.0 * t * t;
        if (p < phi2) return g0 - 20.0;
    } else if (p < phi2) {
        return g0 - 3.0 * t * t;
    }
    if (p < 48.0) return 29.0 - 25.0 * Log10(p);
    if (p < 80.0) return -13.0;
    if (p < 120.0) return -8.0;
    return -13.0;
}

KAM_Status KAM_CALL Validate010(double*, double* diameter, double* frequency, double* efficiency,
                                void*) {
    Inputs in;
    return PrepareAperture(kName010, kResearchDomain, Efficiency::kRequired, Mode::kValidate,
                           diameter, frequency, efficiency, nullptr, false, in);
}

KAM_Status KAM_CALL Gain010(double*, double* diameter, double* frequency, double* efficiency,
                            void*, double* phi, double*, double* gain, double* gainX) {
    Inputs in;
    const std::int32_t s = PrepareAperture(kName010, kResearchDomain, Efficiency::kRequired,
                                           GainMode(), diameter, frequency, efficiency, phi, true,
                                           in);
    if (s < 0) return Fail(s, gain, gainX);
    const double d = in.call.d;
    return Deliver(kName010, in.p, Curve010(ApertureGain(in.eta, d), d, in.p), gain, gainX);
}

// ---- 011 -----------------------------------------------------------------

double G1Astronomy(double d) { return -1.0 + 15.0 * Log10(d); }

double Curve011(const MainLobe& lobe, double p) {
    if (p < lobe.phim) return lobe(p);
    if (p < 15.85 * std::pow(lobe.d, -0.6)) return lobe.g1;
    return WideAngleEnvelope(p);
}

std::int32_t Prepare011(Mode mode, double* diameter, double* frequency, double* efficiency,
                        const double* phi, bool withPhi, Inputs& in, MainLobe& lobe) {
    const std::int32_t s = PrepareAperture(kName011, kAstronomyDomain, Efficiency::kOptional, mode,
                                           diameter, frequency, efficiency, phi, withPhi, in);
    if (s < 0) return s;
    const double d = in.call.d;
    const std::int32_t m =
        MakeMainLobe(kName011, "Gmax", ApertureGain(in.eta, d), d, G1Astronomy(d), lobe);
    return m < 0 ? m : s;
}

KAM_Status KAM_CALL Validate011(double*, double* diameter, double* frequency, double* efficiency,
                                void*) {
    Inputs in;
    MainLobe lobe;
    return Prepare011(Mode::kValidate, diameter, frequency, efficiency, nullptr, false, in, lobe);
}

KAM_Status KAM_CALL Gain011(double*, double* diameter, double* frequency, double* efficiency,
                            void*, double* phi, double*, double* gain, double* gainX) {
    Inputs in;
    MainLobe lobe;
    const std::int32_t s =
        Prepare011(GainMode(), diameter, frequency, efficiency, phi, true, in, lobe);
    if (s < 0) return Fail(s, gain, gainX);
    return Deliver(kName011, in.p, Curve011(lobe, in.p), gain, gainX);
}

// ---- 012 -----------------------------------------------------------------

const double kBssPhiB = std::pow(10.0, 34.0 / 25.0);       // co-polar: -5 from here
const double kBssCrossPhi2 = std::pow(10.0, 26.0 / 25.0);  // cross-polar: -5 from here

// G1 = 29 - 25 log(95/d), the level at phir = 95/d.
double G1Bss(double d) { return 29.0 - 25.0 * Log10(95.0 / d); }

double Copolar012(const MainLobe& lobe, double p) {
    if (p < lobe.phim) return lobe(p);
    if (p < 95.0 / lobe.d) return lobe.g1;  // below max(phim, phir)
    if (p < kBssPhiB) return 29.0 - 25.0 * Log10(p);
    if (p < 70.0) return -5.0;
    return 0.0;
}

double Crosspolar012(double gmax, double d, double p) {
    const double phi0 = (2.0 / d) * std::sqrt(3.0 / 0.0025);
    const double phi1 = (phi0 / 2.0) * std::sqrt(10.1875);
    const double c = 21.0 - 25.0 * Log10(phi1) - (gmax - 17.0);
    if (p < 0.25 * phi0) return gmax - 25.0;
    if (p < 0.44 * phi0) return gmax - 25.0 + 8.0 * (p - 0.25 * phi0) / (0.19 * phi0);
    if (p < phi0) return gmax - 17.0;
    if (p < phi1) return gmax - 17.0 + c * std::fabs((p - phi0) / (phi1 - phi0));
    if (p < kBssCrossPhi2) return 21.0 - 25.0 * Log10(p);
    if (p < 70.0) return -5.0;
    return 0.0;
}

std::int32_t Prepare012(Mode mode, double* diameter, double* frequency, const double* phi,
                        bool withPhi, Inputs& in, MainLobe& lobe) {
    const std::int32_t s = PrepareAperture(kName012, kBssDomain, Efficiency::kFixed, mode,
                                           diameter, frequency, nullptr, phi, withPhi, in);
    if (s < 0) return s;
    const double d = in.call.d;
    const std::int32_t m =
        MakeMainLobe(kName012, "Gmax", ApertureGain(kBssEfficiency, d), d, G1Bss(d), lobe);
    return m < 0 ? m : s;
}

KAM_Status KAM_CALL Validate012(double*, double* diameter, double* frequency, double*, void*) {
    Inputs in;
    MainLobe lobe;
    return Prepare012(Mode::kValidate, diameter, frequency, nullptr, false, in, lobe);
}

KAM_Status KAM_CALL Gain012(double*, double* diameter, double* frequency, double*, void*,
                            double* phi, double*, double* gain, double* gainX) {
    Inputs in;
    MainLobe lobe;
    const std::int32_t s = Prepare012(GainMode(), diameter, frequency, phi, true, in, lobe);
    if (s < 0) return Fail(s, gain, gainX);
    return DeliverPair(kName012, in.p, Copolar012(lobe, in.p),
                       Crosspolar012(lobe.gainMax, lobe.d, in.p), gain, gainX);
}

}  // namespace
}  // namespace eartha

using namespace eartha;

// Properties: GainMax, Beamlet, Diameter, Frequency, Efficiency, Specific, Phi, Phi0.
const PatternDef kSpaceResearch010 = {
    kName010, "Space research earth station", 10, KAM_PATTERN_EARTH, {N, N, R, R, R, N, R, N},
    nullptr, 0, {&Validate010}, {nullptr}, {&Gain010}, {nullptr}};
const PatternDef kRadioAstronomy011 = {
    kName011, "Radio astronomy station antenna", 11, KAM_PATTERN_EARTH, {N, N, R, R, O, N, R, N},
    nullptr, 0, {&Validate011}, {nullptr}, {&Gain011}, {nullptr}};
const PatternDef kBssReceive012 = {
    kName012, "BSS receiving earth station, co-polar and cross-polar", 12, KAM_PATTERN_EARTH,
    {N, N, R, R, N, N, R, N}, nullptr, 0, {&Validate012}, {nullptr}, {&Gain012}, {nullptr}};

}  // namespace kamstd
