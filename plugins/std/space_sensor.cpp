// Spaceborne sensor patterns: 112, the passive sensor's peak pattern (field
// efficiency; D/lambda from the gain, or from Phi0 in contour calls), and the
// two fitted patterns 113 and 114.
#include <cmath>

#include "array_path.h"
#include "space.h"

namespace kamstd {
namespace {

// ---- 112 ------------------------------------------------------------------

constexpr const char* kPassive = "PSENS_112_V1";
constexpr double kLowestD = 2.0;         // d must exceed it
constexpr double kCurvature = 0.0018;    // main lobe: -0.0018 (d phi)^2
constexpr double kFarAngle = 69.0;       // deg, start of the far level
constexpr double kFloor112 = -23.0;      // dBi, the pattern's floor

constexpr FieldDef kEfficiencyField[] = {{"efficiency", "", 0.6, 0.1, 1.0, false}};

// d > 2 and 5.5 + 5 log(eta^2 d) > 0 (-6002 otherwise); `from` names the
// input d came from.
std::int32_t CheckDomain(double d, double eta, const char* from) {
    if (!(d > kLowestD))
        return Report(kOutOfDomain, "%s: D/lambda %g (from %s) is not above %g, the lowest this "
                                    "pattern is defined for.", kPassive, d, from, kLowestD);
    const double q = 5.5 + 5.0 * Log10(eta * eta * d);
    if (q > 0.0) return 0;
    return Report(kOutOfDomain, "%s: 5.5 + 5 log(eta^2 d) = %g with eta %g and D/lambda %g (from "
                                "%s) is not above 0; the main lobe is undefined.",
                  kPassive, q, eta, d, from);
}

double DFromGain(double gainMax, double eta) {
    return std::sqrt(std::pow(10.0, gainMax / 10.0) / eta) / kPi;
}
// d from the FULL 3 dB beamwidth: (2/Phi0) sqrt(3/0.0018).
double DFromPhi0(double phi0) { return (2.0 / phi0) * std::sqrt(3.0 / kCurvature); }
double MainLobeEnd(double d, double eta) {
    return (22.0 / d) * std::sqrt(5.5 + 5.0 * Log10(eta * eta * d));
}
double SideLobe(double d, double phi) { return 33.0 - 5.0 * Log10(d) - 25.0 * Log10(phi); }
double FarLevel(double d) { return -13.0 - 5.0 * Log10(d); }

KAM_Status KAM_CALL PassiveValidateInput(double* gainMax, double*, void* specific) {
    double eta;
    if (std::int32_t s = OptionalValue(kPassive, "GainMax", gainMax)) return s;
    if (std::int32_t s = LoadFields(kPassiveSensor112, specific, &eta, true)) return s;
    return Given(gainMax) ? CheckDomain(DFromGain(*gainMax, eta), eta, "GainMax") : 0;
}

KAM_Status KAM_CALL PassiveValidateAll(double*, double*, void*, double*, double* phi0) {
    return OptionalPhi0(kPassive, phi0);
}

// What a gain call of 112 derives from GainMax and the efficiency.
struct Passive {
    double gainMax, d, mainEnd, sideBase, far;
};

struct PassiveBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void* specific, const Angles& angles) {
        double eta = 0.0;
        Passive c{};
        std::int32_t read = NeedValue(kPassive, "GainMax", gainMax);
        if (read == 0) read = LoadFields(kPassiveSensor112, specific, &eta, GainValid());
        if (read == 0) {
            const double d = DFromGain(*gainMax, eta);
            c = {*gainMax, d, MainLobeEnd(d, eta), 33.0 - 5.0 * Log10(d), FarLevel(d)};
        }
        Once domain([&] { return GainValid() ? CheckDomain(c.d, eta, "GainMax") : 0; });
        return angles([&](double* phi, double*, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kPassive, "Phi", phi);
            if (s == 0) s = domain();
            if (s != 0) return Fail(s, gain, gainX);
            const double p = FoldAngle(*phi);
            const double parabola = c.gainMax - kCurvature * (c.d * p) * (c.d * p);
            double g;
            if (p <= c.mainEnd)
                g = parabola;
            else if (p <= kFarAngle)
                g = MaxOf(parabola, c.sideBase - 25.0 * Log10(p));
            else
                g = c.far;
            return Deliver(kPassive, p, MaxOf(g, kFloor112), gain, gainX);
        });
    }

    // Works on Rel = G - Gm with d from Phi0 and without the -23 dBi floor.
    template <class Levels>
    static KAM_Status Contour(double*, void* specific, const Levels& levels) {
        double eta = 0.0;
        Once fields([&] { return LoadFields(kPassiveSensor112, specific, &eta, GainValid()); });
        return levels([&](double* gainRel, double* phi0, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(kPassive, "GainRel", gainRel);
            if (s == 0) s = fields();
            if (s == 0) s = NeedPhi0(kPassive, phi0);
            const double d = s == 0 ? DFromPhi0(*phi0) : 0.0;
            if (s == 0 && GainValid()) s = CheckDomain(d, eta, "Phi0");
            if (s == 0) s = ContourLevel(kPassive, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            const double gm = ApertureGain(eta, d);
            const double p = (*phi0 / 2.0) * std::sqrt(-level / 3.0);
            if (p <= MainLobeEnd(d, eta)) return DeliverAngle(kPassive, level, p, phi);
            const double r69 = MaxOf(-kCurvature * (kFarAngle * d) * (kFarAngle * d),
                                     SideLobe(d, kFarAngle) - gm);
            if (level >= r69) {
                const double sideLobe =
                    std::pow(10.0, (33.0 - 5.0 * Log10(d) - gm - level) / 25.0);
                return DeliverAngle(kPassive, level, MaxOf(p, sideLobe), phi);
            }
            const double far = FarLevel(d) - gm;
            if (level >= far) return DeliverAngle(kPassive, level, kFarAngle, phi);
            return NotReached(kPassive, level, far);
        });
    }
};

// ---- 113 and 114 -----------------------------------------------------------

// Rel = -c2 phi^2 - c1 phi to `knee`, then slope * phi + offset to 10, then
// the far level: one row per fitted pattern.
struct SensorFit {
    const char* name;
    double c2, c1;         // main lobe
    double knee;           // deg, end of the main lobe
    double slope, offset;  // side-lobe line
    double far;            // dB, beyond 10 deg
};
constexpr double kFitEnd = 10.0;  // deg, end of the side-lobe line

constexpr SensorFit kFitA = {"SNS9A_113_V1", 5.2, 0.6, 2.5, -3.47, -25.3, -60.0};
constexpr SensorFit kFitB = {"SNS9B_114_V1", 22.8, 0.7, 1.25, -3.257, -32.429, -65.0};

double FitRelative(const SensorFit& f, double p) {
    if (p <= f.knee) return -f.c2 * p * p - f.c1 * p;
    if (p <= kFitEnd) return f.slope * p + f.offset;
    return f.far;
}

template <const SensorFit& f>
struct FitBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void*, const Angles& angles) {
        const std::int32_t read = NeedValue(f.name, "GainMax", gainMax);
        const auto value = [&](double p, auto) { return *gainMax + FitRelative(f, p); };
        return angles(
            [&](double* phi, double*, double* gain, double* gainX) -> KAM_Status {
                std::int32_t s = read;
                if (s == 0) s = NeedValue(f.name, "Phi", phi);
                if (s != 0) return Fail(s, gain, gainX);
                const double p = FoldAngle(*phi);
                return Deliver(f.name, p, value(p, typename Angles::Log{}), gain, gainX);
            },
            [&] { return read == 0; }, value);
    }

    // The main lobe's root while L is at or above its level at the knee; then
    // the line's angle, clamped to [knee, 10] (the steps at both ends); below
    // the far level no contour exists.
    template <class Levels>
    static KAM_Status Contour(double*, void*, const Levels& levels) {
        const double kneeLevel = -f.c2 * f.knee * f.knee - f.c1 * f.knee;
        return levels([&](double* gainRel, double*, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(f.name, "GainRel", gainRel);
            if (s == 0) s = ContourLevel(f.name, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            double angle;
            if (level >= kneeLevel)
                angle = (-f.c1 + std::sqrt(f.c1 * f.c1 - 4.0 * f.c2 * level)) / (2.0 * f.c2);
            else if (level >= f.far)
                angle = std::fmin(std::fmax((level - f.offset) / f.slope, f.knee), kFitEnd);
            else
                return NotReached(f.name, level, f.far);
            return DeliverAngle(f.name, level, angle, phi);
        });
    }
};

}  // namespace

const PatternDef kPassiveSensor112 = {
    kPassive, "Spaceborne passive sensor", 112, KAM_PATTERN_SPACE, {O, N, N, N, N, O, R, O},
    kEfficiencyField, 1, {.space = &PassiveValidateInput}, {.space = &PassiveValidateAll},
    {.space = &SpaceGainSlot<PassiveBody>}, {.space = &ContourSlot<PassiveBody>},
    SpaceArrays<PassiveBody, &PassiveValidateAll>()};

const PatternDef kSensorFitA113 = {
    kFitA.name, "Spaceborne sensor, fit A", 113, KAM_PATTERN_SPACE, {O, N, N, N, N, N, R, N},
    nullptr, 0, {.space = nullptr}, {.space = nullptr}, {.space = &SpaceGainSlot<FitBody<kFitA>>},
    {.space = &ContourSlot<FitBody<kFitA>>}, SpaceArrays<FitBody<kFitA>>()};

const PatternDef kSensorFitB114 = {
    kFitB.name, "Spaceborne sensor, fit B", 114, KAM_PATTERN_SPACE, {O, N, N, N, N, N, R, N},
    nullptr, 0, {.space = nullptr}, {.space = nullptr}, {.space = &SpaceGainSlot<FitBody<kFitB>>},
    {.space = &ContourSlot<FitBody<kFitB>>}, SpaceArrays<FitBody<kFitB>>()};

}  // namespace kamstd
