// FSS earth station patterns 001 to 007: the reference pattern
// (32 - 25 log phi) and the design objective (29 - 25 log phi), each with a
// flat or a modelled main lobe, the GSO coordination pattern, the NGSO EPFD
// pattern and the pattern of a non-symmetric beam.
#include <algorithm>
#include <cmath>

#include "earth_a.h"

namespace kamstd {
namespace eartha {
namespace {

// ---- Constants of the family -------------------------------------------

constexpr Band kFssBand = {2000.0, 31000.0};    // 001, 002 recommended
constexpr Band kNgsoBand = {10700.0, 30000.0};  // 006 recommended
constexpr double kObjectiveRecommendedMin = 50.0;  // 003, 004
constexpr double kNgsoDefinedMin = 20.0;           // 006
constexpr double kAsymmetricDefinedMin = 15.0;     // 007

constexpr Domain kReferenceDomain = {DSource::kApertureOrGain, true, 0.0, 0.0, kAnyBand, kFssBand};
constexpr Domain kObjectiveDomain = {DSource::kApertureOrGain, true, 0.0,
                                     kObjectiveRecommendedMin, kAnyBand, kAnyBand};
constexpr Domain kCoordinationDomain = {DSource::kApertureOrGain, true, 0.0, 0.0, kAnyBand,
                                        kAnyBand};
constexpr Domain kNgsoDomain = {DSource::kApertureOrGain, true, kNgsoDefinedMin, 0.0, kAnyBand,
                                kNgsoBand};
constexpr Domain kAsymmetricDomain = {DSource::kAperture, true, kAsymmetricDefinedMin, 0.0,
                                      kAnyBand, kAnyBand};

constexpr const char* kName001 = "FSREF_001_V1";
constexpr const char* kName002 = "FSMLB_002_V1";
constexpr const char* kName003 = "FSOBJ_003_V1";
constexpr const char* kName004 = "FSOML_004_V1";
constexpr const char* kName005 = "GSOCO_005_V1";
constexpr const char* kName006 = "NGSOE_006_V1";
constexpr const char* kName007 = "FSASY_007_V1";

constexpr FieldDef kAsymmetricFields[] = {{"theta", "deg", 90.0, 0.0, 90.0, false}};

// ---- Envelopes -----------------------------------------------------------

// Edge of the flat main region of the reference pattern.
double ReferencePhiMin(double d) {
    return d >= 50.0 ? std::max(1.0, 100.0 / d) : std::max(2.0, 114.0 * std::pow(d, -1.09));
}

// Reference side lobes, from phimin on.
double ReferenceSideLobes(double p) { return p < 48.0 ? 32.0 - 25.0 * Log10(p) : -10.0; }

// Edge of the flat main region of the design objective.
double ObjectivePhiMin(double d) { return std::max(1.0, 100.0 / d); }

// Design-objective side lobes, from phimin on.
double ObjectiveSideLobes(double p) {
    if (p <= 20.0) return 29.0 - 25.0 * Log10(p);
    if (p <= 26.3) return -3.5;
    if (p <= 48.0) return 32.0 - 25.0 * Log10(p);
    return -10.0;
}

// phir' of the main-lobe models of 002 and 004.
double MainLobePhiR(double d) { return d >= 100.0 ? 15.85 * std::pow(d, -0.6) : 100.0 / d; }

// Main-lobe model of 002 and 004 below phimin: ML, G1, then peak - 25 log phi.
double ModelledMainLobe(const MainLobe& lobe, double phir, double peak, double p) {
    if (p < lobe.phim) return lobe(p);
    if (p < phir) return lobe.g1;
    return peak - 25.0 * Log10(p);
}

// ---- Slots ---------------------------------------------------------------

// A pattern of this family whose only inputs are GainMax, Diameter, Frequency
// and Phi: its domain and its gain from (GainMax, d, p).
struct Simple {
    const char* name;
    const Domain& domain;
    // G1 for the patterns with a main-lobe model, else nullptr.
    double (*g1)(double d);
    // The gain at p; lobe is built only when g1 is given.
    double (*gain)(const Call& call, const MainLobe& lobe, double p);
};

double G1Reference(double d) { return 2.0 + 15.0 * Log10(d); }
double G1Objective(double d) { return -1.0 + 15.0 * Log10(d); }
double G1Ngso(double d) {
    return d > 100.0 ? -1.0 + 15.0 * Log10(d) : 29.0 - 25.0 * Log10(95.0 / d);
}

double Curve001(const Call& c, const MainLobe&, double p) {
    return p < ReferencePhiMin(c.d) ? c.gainMax : ReferenceSideLobes(p);
}

double Curve002(const Call& c, const MainLobe& lobe, double p) {
    if (p < ReferencePhiMin(c.d)) return ModelledMainLobe(lobe, MainLobePhiR(c.d), 32.0, p);
    return ReferenceSideLobes(p);
}

double Curve003(const Call& c, const MainLobe&, double p) {
    return p < ObjectivePhiMin(c.d) ? c.gainMax : ObjectiveSideLobes(p);
}

double Curve004(const Call& c, const MainLobe& lobe, double p) {
    if (p < ObjectivePhiMin(c.d)) return ModelledMainLobe(lobe, MainLobePhiR(c.d), 29.0, p);
    return ObjectiveSideLobes(p);
}

double Curve005(const Call& c, const MainLobe& lobe, double p) {
    return CoordinationGain(lobe, c.d >= 100.0, p);
}

double Curve006(const Call& c, const MainLobe& lobe, double p) {
    const double d = c.d;
    if (p < lobe.phim) return lobe(p);
    if (d > 100.0) {
        if (p < 15.85 * std::pow(d, -0.6)) return lobe.g1;
        return WideAngleEnvelope(p);
    }
    if (p < 95.0 / d) return lobe.g1;
    if (p <= 33.1) return 29.0 - 25.0 * Log10(p);
    if (p <= 80.0) return -9.0;
    if (d <= 25.0) return -5.0;
    return p <= 120.0 ? -4.0 : -9.0;
}

constexpr Simple k001 = {kName001, kReferenceDomain, nullptr, Curve001};
constexpr Simple k002 = {kName002, kReferenceDomain, G1Reference, Curve002};
constexpr Simple k003 = {kName003, kObjectiveDomain, nullptr, Curve003};
constexpr Simple k004 = {kName004, kObjectiveDomain, G1Objective, Curve004};
constexpr Simple k005 = {kName005, kCoordinationDomain, G1Reference, Curve005};
constexpr Simple k006 = {kName006, kNgsoDomain, G1Ngso, Curve006};

// validateInput: inputs, D/lambda, domain, then GainMax against G1.
std::int32_t ValidateSimple(const Simple& pattern, double* gainMax, double* diameter,
                            double* frequency) {
    Call call;
    const std::int32_t s =
        Prepare(pattern.name, pattern.domain, Mode::kValidate, gainMax, diameter, frequency, call);
    if (s < 0 || pattern.g1 == nullptr) return s;
    MainLobe lobe;
    const std::int32_t m =
        MakeMainLobe(pattern.name, "GainMax", call.gainMax, call.d, pattern.g1(call.d), lobe);
    return m < 0 ? m : s;
}

std::int32_t GainSimple(const Simple& pattern, double* gainMax, double* diameter,
                        double* frequency, double* phi, double* gain, double* gainX) {
    Call call;
    double p = 0.0;
    std::int32_t s = ReadInputs(pattern.name, pattern.domain, gainMax, diameter, frequency, call);
    if (s >= 0) s = OffAxis(pattern.name, phi, p);
    if (s >= 0) s = Derive(pattern.name, pattern.domain, GainMode(), call);
    if (s < 0) return Fail(s, gain, gainX);
    MainLobe lobe = {call.gainMax, call.d, 0.0, 0.0};
    if (pattern.g1 != nullptr) {
        const std::int32_t m =
            MakeMainLobe(pattern.name, "GainMax", call.gainMax, call.d, pattern.g1(call.d), lobe);
        if (m < 0) return Fail(m, gain, gainX);
    }
    return Deliver(pattern.name, p, pattern.gain(call, lobe, p), gain, gainX);
}

// The two slots of a Simple pattern.
template <const Simple& kPattern>
KAM_Status KAM_CALL ValidateSlot(double* gainMax, double* diameter, double* frequency, double*,
                                 void*) {
    return ValidateSimple(kPattern, gainMax, diameter, frequency);
}
template <const Simple& kPattern>
KAM_Status KAM_CALL GainSlot(double* gainMax, double* diameter, double* frequency, double*, void*,
                             double* phi, double*, double* gain, double* gainX) {
    return GainSimple(kPattern, gainMax, diameter, frequency, phi, gain, gainX);
}

// 007: GainMax flat to phimin, then side lobes that depend on theta.
double Curve007(double gainMax, double d, double theta, double p) {
    const double sinTheta = std::sin(theta * kPi / 180.0);
    const double s = sinTheta * sinTheta;
    const double phimin = std::max(15.85 * std::pow(d, -0.6), 118.0 * std::pow(d, -1.06));
    if (p < phimin) return gainMax;
    if (p <= 7.0) return 29.0 + 3.0 * s - 25.0 * Log10(p);
    if (p <= 9.2) return 7.9 + 3.0 * s * (9.2 - p) / 2.2;
    if (d >= 46.8) return p <= 48.0 ? 32.0 - 25.0 * Log10(p) : -10.0;
    if (p <= 30.2) return 32.0 - 25.0 * Log10(p);
    return p <= 70.0 ? -5.0 : 0.0;
}

std::int32_t Prepare007(Mode mode, double* gainMax, double* diameter, double* frequency,
                        void* specific, Call& call, double& theta, const double* phi, double* p) {
    std::int32_t s = ReadInputs(kName007, kAsymmetricDomain, gainMax, diameter, frequency, call);
    if (s >= 0) s = LoadFields(kFssAsymmetric007, specific, &theta, mode != Mode::kGainFree);
    if (s >= 0 && p != nullptr) s = OffAxis(kName007, phi, *p);
    if (s >= 0) s = Derive(kName007, kAsymmetricDomain, mode, call);
    return s;
}

KAM_Status KAM_CALL Validate007(double* gainMax, double* diameter, double* frequency, double*,
                                void* specific) {
    Call call;
    double theta = 0.0;
    return Prepare007(Mode::kValidate, gainMax, diameter, frequency, specific, call, theta,
                      nullptr, nullptr);
}

KAM_Status KAM_CALL Gain007(double* gainMax, double* diameter, double* frequency, double*,
                            void* specific, double* phi, double*, double* gain, double* gainX) {
    Call call;
    double theta = 0.0;
    double p = 0.0;
    const std::int32_t s = Prepare007(GainMode(), gainMax, diameter, frequency, specific, call,
                                      theta, phi, &p);
    if (s < 0) return Fail(s, gain, gainX);
    return Deliver(kName007, p, Curve007(call.gainMax, call.d, theta, p), gain, gainX);
}

}  // namespace
}  // namespace eartha

using namespace eartha;

// Properties: GainMax, Beamlet, Diameter, Frequency, Efficiency, Specific, Phi, Phi0.
template <const Simple& kPattern>
constexpr PatternDef SimpleDef(const char* title, std::int32_t number) {
    return {kPattern.name, title, number, KAM_PATTERN_EARTH, {R, N, O, O, N, N, R, N}, nullptr, 0,
            {&ValidateSlot<kPattern>}, {nullptr}, {&GainSlot<kPattern>}, {nullptr}};
}

const PatternDef kFssReference001 =
    SimpleDef<k001>("FSS earth station reference pattern, 32 - 25 log(phi)", 1);
const PatternDef kFssReferenceMainLobe002 =
    SimpleDef<k002>("FSS earth station reference pattern with main-lobe model", 2);
const PatternDef kFssObjective003 =
    SimpleDef<k003>("FSS earth station design objective, 29 - 25 log(phi)", 3);
const PatternDef kFssObjectiveMainLobe004 =
    SimpleDef<k004>("FSS earth station design objective with main-lobe model", 4);
const PatternDef kGsoCoordination005 =
    SimpleDef<k005>("Earth station pattern for GSO coordination", 5);
const PatternDef kNgsoEpfd006 =
    SimpleDef<k006>("Earth station pattern for NGSO FSS EPFD calculations", 6);

const PatternDef kFssAsymmetric007 = {
    kName007, "FSS earth station with a non-symmetric beam", 7, KAM_PATTERN_EARTH,
    {R, N, R, R, N, O, R, N}, kAsymmetricFields, 1, {&Validate007}, {nullptr}, {&Gain007},
    {nullptr}};

}  // namespace kamstd
