// Pattern 025: the earth station antenna used for coordination-area
// calculations: main lobe, first side-lobe plateau G1, 29 - 25 log(phi) out
// to 36 degrees, -10 dBi behind.
#include <cmath>

#include "array_path.h"
#include "earth_b.h"

namespace kamstd {
namespace {

constexpr const char* kName = "COORD_025_V1";
constexpr double kLowestD = 35.0;   // D/lambda, inclusive
constexpr double kLargeD = 100.0;   // from here on the large-antenna row
constexpr double kFarAngle = 36.0;  // deg, where -10 dBi begins
constexpr double kFarGain = -10.0;

// The quantities of one call that do not depend on the angle.
struct Shape {
    double d, g1, phir, phim;
};

Shape MakeShape(double gainMax, double diameter, double frequency) {
    Shape s{};
    s.d = IsAbsent(diameter) || IsAbsent(frequency) ? DOverLambdaFromGain(gainMax)
                                                    : DOverLambda(diameter, frequency);
    if (s.d >= kLargeD) {
        s.g1 = -1.0 + 15.0 * std::log10(s.d);
        s.phir = 15.85 * std::pow(s.d, -0.6);
    } else {
        s.g1 = -21.0 + 25.0 * std::log10(s.d);
        s.phir = 100.0 / s.d;
    }
    s.phim = (20.0 / s.d) * std::sqrt(gainMax - s.g1);  // NaN below G1: no main lobe
    return s;
}

// The definition's domain. -6004 below G1 (phim undefined) and a D/lambda
// that is not a positive finite number (-6002) are refused in every mode;
// D/lambda below 35 (-6002) only when checkRange.
std::int32_t CheckDomain(const Shape& s, double gainMax, bool checkRange) {
    if (const std::int32_t status = CheckDOverLambda(kName, s.d)) return status;
    if (checkRange && !(s.d >= kLowestD))
        return Report(kOutOfDomain,
                      "%s: D/lambda %g is below %g, the lowest this pattern is "
                      "defined for.",
                      kName, s.d, kLowestD);
    if (gainMax < s.g1) return BelowG1(kName, "GainMax", gainMax, s.g1, s.d);
    return 0;
}

// GainMax needed; Diameter and Frequency finite when given.
std::int32_t CheckInputs(double gainMax, double diameter, double frequency) {
    std::int32_t s = NeedValue(kName, "GainMax", gainMax);
    if (s == 0) s = OptionalValue(kName, "Diameter", diameter);
    if (s == 0) s = OptionalValue(kName, "Frequency", frequency);
    return s;
}

double Curve(const Shape& s, double gainMax, double p) {
    if (p < s.phim) {
        const double x = s.d * p;
        return gainMax - 2.5e-3 * x * x;
    }
    if (p < s.phir) return s.g1;
    if (p < kFarAngle) return 29.0 - 25.0 * std::log10(p);
    return kFarGain;
}

// validateInput: the inputs, the domain, then +6008 when D/lambda comes from
// GainMax although one of Diameter and Frequency is given.
KAM_Status KAM_CALL ValidateInput(double* gainMaxIn, double* diameterIn, double* frequencyIn,
                                  double*, void*) {
    const double gainMax = Read(gainMaxIn), diameter = Read(diameterIn);
    const double frequency = Read(frequencyIn);
    if (const std::int32_t s = CheckInputs(gainMax, diameter, frequency)) return s;
    const Shape shape = MakeShape(gainMax, diameter, frequency);
    if (const std::int32_t s = CheckDomain(shape, gainMax, true)) return s;
    if (IsAbsent(diameter) != IsAbsent(frequency))
        return EstimatedFromGain(kName, diameter, frequency, shape.d, gainMax);
    return 0;
}

// gain: GainX NoValue. D/lambda below 35 is refused while GainValid is on.
struct Body {
    template <class Angles>
    static KAM_Status Gain(double* gainMaxIn, double* diameterIn, double* frequencyIn, double*,
                           void*, const Angles& angles) {
        const double gainMax = Read(gainMaxIn), diameter = Read(diameterIn);
        const double frequency = Read(frequencyIn);
        const std::int32_t read = CheckInputs(gainMax, diameter, frequency);
        const Shape shape = MakeShape(gainMax, diameter, frequency);
        Once domain([&] { return CheckDomain(shape, gainMax, GainValid()); });
        return angles([&](double* phiIn, double*, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kName, "Phi", phi);
            if (s == 0) s = domain();
            if (s != 0) return Fail(s, gain, gainX);
            return Deliver(kName, phi, Curve(shape, gainMax, FoldAngle(phi)), gain, gainX);
        });
    }
};

}  // namespace

const PatternDef kCoordination025 = {kName,
                                     "Earth station for coordination-area calculations",
                                     25,
                                     KAM_PATTERN_EARTH,
                                     {R, N, O, O, N, N, R, N},
                                     nullptr,
                                     0,
                                     {.earth = &ValidateInput},
                                     {},
                                     {.earth = &EarthGainSlot<Body>},
                                     {},
                                     EarthArrays<Body>()};

}  // namespace kamstd
