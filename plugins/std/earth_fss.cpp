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

// Reference side lobes, from phimin on; kPeak is where the main-lobe model's
// last segment (kPeak - 25 log phi) starts, the side lobes' own first segment.
struct ReferenceSideLobes {
    static constexpr double kPeak = 32.0;
    static void Add(Piecewise& curve) {
        curve.Log(48.0, 32.0, 25.0);
        curve.Flat(Piecewise::kRest, -10.0);
    }
};

// Edge of the flat main region of the design objective.
double ObjectivePhiMin(double d) { return std::max(1.0, 100.0 / d); }

// Design-objective side lobes, from phimin on (kPeak as above).
struct ObjectiveSideLobes {
    static constexpr double kPeak = 29.0;
    static void Add(Piecewise& curve) {
        curve.Log(Piecewise::UpTo(20.0), 29.0, 25.0);
        curve.Flat(Piecewise::UpTo(26.3), -3.5);
        curve.Log(Piecewise::UpTo(48.0), 32.0, 25.0);
        curve.Flat(Piecewise::kRest, -10.0);
    }
};

// phir' of the main-lobe models of 002 and 004.
double MainLobePhiR(double d) { return d >= 100.0 ? 15.85 * std::pow(d, -0.6) : 100.0 / d; }

// ---- Slots ---------------------------------------------------------------

// What a call of 001 to 006 derives before the angle: the checked inputs,
// the main lobe (patterns with a model), the edges of the regions.
struct Shape {
    Call call;
    MainLobe lobe;
    double phimin;  // end of the main region (001 to 004)
    double phir;    // end of the G1 plateau (002, 004, 006)
    Coordination coordination;  // 005
    Piecewise curve;            // 001 to 004 and 006
};

// A pattern of this family whose only inputs are GainMax, Diameter, Frequency
// and Phi: its domain, how it derives its shape and its gain from the shape.
struct Simple {
    const char* name;
    const Domain& domain;
    // G1 for the patterns with a main-lobe model, else nullptr.
    double (*g1)(double d);
    // Fills phimin, phir, the coordination envelope and the pieces as the
    // curve needs.
    void (*derive)(Shape& shape);
    // The gain at p, with the slots' logarithm and with the array loops';
    // nullptr where derive describes the curve in the shape's pieces.
    double (*slotGain)(const Shape& shape, double p, SlotLog10 log10);
    double (*arrayGain)(const Shape& shape, double p, ArrayLog10 log10);
    double Gain(const Shape& s, double p, SlotLog10 log10) const { return slotGain(s, p, log10); }
    double Gain(const Shape& s, double p, ArrayLog10 log10) const {
        return arrayGain(s, p, log10);
    }
};

double G1Reference(double d) { return 2.0 + 15.0 * Log10(d); }
double G1Objective(double d) { return -1.0 + 15.0 * Log10(d); }
double G1Ngso(double d) {
    return d > 100.0 ? -1.0 + 15.0 * Log10(d) : 29.0 - 25.0 * Log10(95.0 / d);
}

// 001 and 003: GainMax up to phimin, then the side lobes.
template <class SideLobes>
void AddFlatMainLobe(Shape& s) {
    s.curve.Flat(s.phimin, s.call.gainMax);
    SideLobes::Add(s.curve);
}

// 002 and 004: below phimin the main-lobe model (ML, G1, then
// peak - 25 log phi), then the side lobes. The model's pieces end at phimin
// at the latest.
template <class SideLobes>
void AddModelledMainLobe(Shape& s) {
    const MainLobe& lobe = s.lobe;
    s.curve.Lobe(std::min(lobe.phim, s.phimin), lobe.gainMax, lobe.d);
    s.curve.Flat(std::min(s.phir, s.phimin), lobe.g1);
    s.curve.Log(s.phimin, SideLobes::kPeak, 25.0);
    SideLobes::Add(s.curve);
}

void DeriveReference(Shape& s) {
    s.phimin = ReferencePhiMin(s.call.d);
    AddFlatMainLobe<ReferenceSideLobes>(s);
}
void DeriveReferenceModel(Shape& s) {
    s.phimin = ReferencePhiMin(s.call.d);
    s.phir = MainLobePhiR(s.call.d);
    AddModelledMainLobe<ReferenceSideLobes>(s);
}
void DeriveObjective(Shape& s) {
    s.phimin = ObjectivePhiMin(s.call.d);
    AddFlatMainLobe<ObjectiveSideLobes>(s);
}
void DeriveObjectiveModel(Shape& s) {
    s.phimin = ObjectivePhiMin(s.call.d);
    s.phir = MainLobePhiR(s.call.d);
    AddModelledMainLobe<ObjectiveSideLobes>(s);
}
void DeriveCoordination(Shape& s) { s.coordination = MakeCoordination(s.lobe, s.call.d >= 100.0); }
// 006: the main lobe, G1 to phir, then the wide-angle envelope (d > 100) or
// 29 - 25 log phi to 33.1, -9 to 80, and -5 (d <= 25) or -4 to 120 and -9.
void DeriveNgso(Shape& s) {
    const double d = s.call.d;
    s.phir = d > 100.0 ? 15.85 * std::pow(d, -0.6) : 95.0 / d;
    Piecewise& curve = s.curve;
    AddMainLobe(curve, s.lobe, s.phir);
    if (d > 100.0) return AddWideAngleEnvelope(curve);
    curve.Log(Piecewise::UpTo(33.1), 29.0, 25.0);
    curve.Flat(Piecewise::UpTo(80.0), -9.0);
    if (d <= 25.0) return curve.Flat(Piecewise::kRest, -5.0);
    curve.Flat(Piecewise::UpTo(120.0), -4.0);
    curve.Flat(Piecewise::kRest, -9.0);
}

template <class Log>
inline double Curve005(const Shape& s, double p, Log log10) {
    return CoordinationGain(s.coordination, p, log10);
}

constexpr Simple k001 = {kName001, kReferenceDomain, nullptr, DeriveReference, nullptr, nullptr};
constexpr Simple k002 = {kName002, kReferenceDomain, G1Reference, DeriveReferenceModel, nullptr,
                         nullptr};
constexpr Simple k003 = {kName003, kObjectiveDomain, nullptr, DeriveObjective, nullptr, nullptr};
constexpr Simple k004 = {kName004, kObjectiveDomain, G1Objective, DeriveObjectiveModel, nullptr,
                         nullptr};
constexpr Simple k005 = {kName005, kCoordinationDomain, G1Reference, DeriveCoordination, Curve005,
                         Curve005};
constexpr Simple k006 = {kName006, kNgsoDomain, G1Ngso, DeriveNgso, nullptr, nullptr};

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

// gain: the inputs, Phi, then D/lambda and the domain, then the main lobe.
template <const Simple& kPattern>
struct SimpleBody {
    static constexpr bool kPieces = kPattern.slotGain == nullptr;
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double* diameter, double* frequency, double*, void*,
                           const Angles& angles) {
        Shape shape{};
        const std::int32_t read =
            ReadInputs(kPattern.name, kPattern.domain, gainMax, diameter, frequency, shape.call);
        Once derive([&]() -> std::int32_t {
            Call& call = shape.call;
            if (const std::int32_t s = Derive(kPattern.name, kPattern.domain, GainMode(), call);
                s < 0)
                return s;
            shape.lobe = {call.gainMax, call.d, 0.0, 0.0};
            if (kPattern.g1 != nullptr) {
                const std::int32_t m = MakeMainLobe(kPattern.name, "GainMax", call.gainMax, call.d,
                                                    kPattern.g1(call.d), shape.lobe);
                if (m < 0) return m;
            }
            kPattern.derive(shape);
            return 0;
        });
        const auto step = [&](double* phi, double*, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s >= 0) s = NeedValue(kPattern.name, "Phi", phi);
            if (s >= 0) s = derive();
            if (s < 0) return Fail(s, gain, gainX);
            const double p = FoldAngle(*phi);
            const double g = [&] {
                if constexpr (kPieces)
                    return shape.curve(p, typename Angles::Log{});
                else
                    return kPattern.Gain(shape, p, typename Angles::Log{});
            }();
            return Deliver(kPattern.name, p, g, gain, gainX);
        };
        const auto ready = [&] { return read == 0 && derive.Passed(); };
        if constexpr (kPieces)
            return angles(step, ready, shape.curve);
        else
            return angles(step, ready, Curve{shape, [](const Shape& c, double p, auto log10) {
                                                 return kPattern.Gain(c, p, log10);
                                             }});
    }
};

template <const Simple& kPattern>
KAM_Status KAM_CALL ValidateSlot(double* gainMax, double* diameter, double* frequency, double*,
                                 void*) {
    return ValidateSimple(kPattern, gainMax, diameter, frequency);
}

// 007: GainMax flat to phimin, then side lobes that depend on theta.
struct Shape007 {
    double gainMax, d, s, phimin;
};

Shape007 MakeShape007(double gainMax, double d, double theta) {
    const double sinTheta = std::sin(theta * kPi / 180.0);
    return {gainMax, d, sinTheta * sinTheta,
            std::max(15.85 * std::pow(d, -0.6), 118.0 * std::pow(d, -1.06))};
}

template <class Log>
inline double Curve007(const Shape007& c, double p, Log log10) {
    const double s = c.s;
    if (p < c.phimin) return c.gainMax;
    if (p <= 7.0) return 29.0 + 3.0 * s - 25.0 * log10(p);
    if (p <= 9.2) return 7.9 + 3.0 * s * (9.2 - p) / 2.2;
    if (c.d >= 46.8) return p <= 48.0 ? 32.0 - 25.0 * log10(p) : -10.0;
    if (p <= 30.2) return 32.0 - 25.0 * log10(p);
    return p <= 70.0 ? -5.0 : 0.0;
}

// Inputs and theta, then (after Phi in a gain call) D/lambda and the domain.
std::int32_t Read007(Mode mode, double* gainMax, double* diameter, double* frequency,
                     void* specific, Call& call, double& theta) {
    const std::int32_t s =
        ReadInputs(kName007, kAsymmetricDomain, gainMax, diameter, frequency, call);
    if (s < 0) return s;
    return LoadFields(kFssAsymmetric007, specific, &theta, mode != Mode::kGainFree);
}

KAM_Status KAM_CALL Validate007(double* gainMax, double* diameter, double* frequency, double*,
                                void* specific) {
    Call call;
    double theta = 0.0;
    const std::int32_t s =
        Read007(Mode::kValidate, gainMax, diameter, frequency, specific, call, theta);
    return s < 0 ? s : Derive(kName007, kAsymmetricDomain, Mode::kValidate, call);
}

struct Body007 {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double* diameter, double* frequency, double*,
                           void* specific, const Angles& angles) {
        Call call;
        double theta = 0.0;
        Shape007 shape{};
        const std::int32_t read =
            Read007(GainMode(), gainMax, diameter, frequency, specific, call, theta);
        Once derive([&]() -> std::int32_t {
            const std::int32_t s = Derive(kName007, kAsymmetricDomain, GainMode(), call);
            if (s >= 0) shape = MakeShape007(call.gainMax, call.d, theta);
            return s;
        });
        const Curve value{shape, [](const Shape007& c, double p, auto log10) { return Curve007(c, p, log10); }};
        return angles(
            [&](double* phi, double*, double* gain, double* gainX) -> KAM_Status {
                double p = 0.0;
                std::int32_t s = read;
                if (s >= 0) s = OffAxis(kName007, phi, p);
                if (s >= 0) s = derive();
                if (s < 0) return Fail(s, gain, gainX);
                return Deliver(kName007, p, value(p, typename Angles::Log{}), gain, gainX);
            },
            [&] { return read == 0 && derive.Passed(); }, value);
    }
};

}  // namespace
}  // namespace eartha

using namespace eartha;

// Properties: GainMax, Beamlet, Diameter, Frequency, Efficiency, Specific, Phi, Phi0.
template <const Simple& kPattern>
constexpr PatternDef SimpleDef(const char* title, std::int32_t number) {
    return {kPattern.name, title, number, KAM_PATTERN_EARTH, {R, N, O, O, N, N, R, N}, nullptr, 0,
            {&ValidateSlot<kPattern>}, {nullptr}, {&EarthGainSlot<SimpleBody<kPattern>>},
            {nullptr}, EarthArrays<SimpleBody<kPattern>>()};
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
    {R, N, R, R, N, O, R, N}, kAsymmetricFields, 1, {&Validate007}, {nullptr},
    {&EarthGainSlot<Body007>}, {nullptr}, EarthArrays<Body007>()};

}  // namespace kamstd
