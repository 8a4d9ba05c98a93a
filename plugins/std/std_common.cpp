// The helpers every pattern family shares: input checks, the specific
// structure, the ends of a gain or contour call, and the numerical pieces
// (Bessel function, main-lobe bisection). Each reports its failure through
// Report with the numbers that caused it.
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>

#include "std.h"

namespace kamstd {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The defaults for the NoValue (or a null) structure, else the caller's doubles.
void ReadFields(const PatternDef& pattern, const void* specific, double* values) {
    if (specific == nullptr || IsAbsentStruct(specific)) {
        for (int i = 0; i < pattern.fieldCount; ++i) values[i] = pattern.fields[i].defaultValue;
        return;
    }
    std::memcpy(values, specific, sizeof(double) * static_cast<std::size_t>(pattern.fieldCount));
}

}  // namespace

double BesselJ(int n, double x) {
    x = std::fabs(x);
    if (!std::isfinite(x)) return kNaN;
    try {
        return std::cyl_bessel_j(static_cast<double>(n), x);
    } catch (const std::exception&) {
        return kNaN;
    }
}

std::int32_t RefuseValue(const char* pattern, const char* input, double x, bool needed) {
    if (IsAbsent(x)) {
        if (!needed) return 0;
        return Report(kAbsentInput, "%s: %s is absent; the pattern needs it.", pattern, input);
    }
    if (std::isfinite(x)) return 0;
    return Report(kNotFinite, "%s: %s is %g; the pattern needs a finite number.", pattern, input,
                  x);
}

std::int32_t PositivePhi0(const char* pattern, double phi0) {
    if (phi0 > 0.0) return 0;
    return Report(kOutOfDomain,
                  "%s: Phi0 %g is not above 0; the pattern needs a positive beamwidth.", pattern,
                  phi0);
}

std::int32_t OptionalPhi0(const char* pattern, const double* phi0) {
    if (const std::int32_t s = OptionalValue(pattern, "Phi0", phi0)) return s;
    return Given(phi0) ? PositivePhi0(pattern, *phi0) : 0;
}

std::int32_t NeedAngles(const char* pattern, const double* phi, const double* phi0) {
    if (const std::int32_t s = NeedValue(pattern, "Phi", phi)) return s;
    if (const std::int32_t s = NeedValue(pattern, "Phi0", phi0)) return s;
    return PositivePhi0(pattern, *phi0);
}

std::int32_t NeedPhi0(const char* pattern, const double* phi0) {
    if (const std::int32_t s = NeedValue(pattern, "Phi0", phi0)) return s;
    return PositivePhi0(pattern, *phi0);
}

std::int32_t CheckDOverLambda(const char* pattern, double d) {
    if (d > 0.0 && std::isfinite(d)) return 0;
    return Report(kOutOfDomain,
                  "%s: D/lambda %g is not a positive finite number; the pattern cannot be "
                  "computed.",
                  pattern, d);
}

std::int32_t EstimatedFromGain(const char* pattern, double diameter, double frequency, double d,
                               double gainMax) {
    const bool diameterGiven = !IsAbsent(diameter);
    return Report(kEstimatedFromGain,
                  "%s: only %s is given (%g), not %s; D/lambda %g is estimated from GainMax %g.",
                  pattern, diameterGiven ? "Diameter" : "Frequency",
                  diameterGiven ? diameter : frequency, diameterGiven ? "Frequency" : "Diameter",
                  d, gainMax);
}

std::int32_t BelowG1(const char* pattern, const char* label, double gainMax, double g1,
                     double d) {
    return Report(kGainBelowG1,
                  "%s: %s %g dBi is below the first side-lobe level G1 = %g dBi (D/lambda %g); "
                  "the main lobe is undefined.",
                  pattern, label, gainMax, g1, d);
}

std::int32_t LoadFields(const PatternDef& pattern, const void* specific, double* values,
                        bool checkRanges, bool required) {
    if (required && (specific == nullptr || IsAbsentStruct(specific)))
        return Report(kAbsentInput, "%s: the specific structure is absent; the pattern needs it.",
                      pattern.name);
    ReadFields(pattern, specific, values);
    for (int i = 0; i < pattern.fieldCount; ++i)
        if (!std::isfinite(values[i]))
            return Report(kNotFinite, "%s: field %s is %g; the pattern needs a finite number.",
                          pattern.name, pattern.fields[i].name, values[i]);
    for (int i = 0; checkRanges && i < pattern.fieldCount; ++i)
        if (const std::int32_t s = CheckField(pattern, i, values[i])) return s;
    return 0;
}

std::int32_t CheckField(const PatternDef& pattern, int index, double value) {
    const FieldDef& f = pattern.fields[index];
    if (!(value >= f.lowest && value <= f.highest))
        return Report(kBadField, "%s: field %s = %g is outside [%g, %g].", pattern.name, f.name,
                      value, f.lowest, f.highest);
    if (f.whole && value != std::floor(value))
        return Report(kBadField, "%s: field %s = %g must be a whole number.", pattern.name, f.name,
                      value);
    return 0;
}

std::int32_t FieldAbove(const PatternDef& pattern, const double* values, int second, int first) {
    if (values[second] > values[first]) return 0;
    return Report(kBadField, "%s: field %s = %g must be above %s = %g.", pattern.name,
                  pattern.fields[second].name, values[second], pattern.fields[first].name,
                  values[first]);
}

std::int32_t Fail(std::int32_t status, double* gain, double* gainX) {
    if (gain != nullptr) *gain = g_host.noValue;
    if (gainX != nullptr) *gainX = g_host.noValue;
    return status;
}

std::int32_t NoFiniteGain(const char* pattern, double phi, double g, double gx, double* gain,
                          double* gainX) {
    return Fail(Report(kOutOfDomain,
                       "%s: the inputs give no finite gain at Phi %g (%g); they lie outside the "
                       "pattern's definition.",
                       pattern, phi, std::isfinite(g) ? gx : g),
                gain, gainX);
}

std::int32_t ContourLevel(const char* pattern, double level, double* phi) {
    if (level < 0.0) return 0;
    if (level == 0.0) {
        *phi = 0.0;
        return 1;
    }
    return Report(kLevelNotReached,
                  "%s: the contour level %g dB is above 0 dB, the pattern's peak; no contour "
                  "exists.",
                  pattern, level);
}

std::int32_t DeliverAngle(const char* pattern, double level, double angle, double* phi) {
    if (std::isnan(angle))
        return Report(kOutOfDomain,
                      "%s: the inputs give no contour angle for the level %g dB; they lie "
                      "outside the pattern's definition.",
                      pattern, level);
    // A negative angle (a Phi0 whose sine is negative, a level just below 0
    // rounding the other way) or an infinite one is no contour either.
    if (angle < 0.0 || std::isinf(angle))
        return Report(kOutOfDomain,
                      "%s: the inputs give the contour angle %g deg for the level %g dB, which "
                      "is no angle off boresight; they lie outside the pattern's definition.",
                      pattern, angle, level);
    *phi = angle;
    return 0;
}

std::int32_t NotReached(const char* pattern, double level, double lowest) {
    return Report(kLevelNotReached,
                  "%s: the contour level %g dB is below %g dB, the lowest level of the "
                  "pattern's envelope; no contour exists.",
                  pattern, level, lowest);
}

double BisectMainLobe(double (*rel)(const void* context, double u), const void* context,
                      double level, double un) {
    constexpr int kMaxHalvings = 200;
    const double tolerance = 1e-15 * un;
    double lo = 0.0;
    double hi = un;
    for (int i = 0; i < kMaxHalvings && hi - lo > tolerance; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (rel(context, mid) <= level)
            hi = mid;
        else
            lo = mid;
    }
    return hi;
}

}  // namespace kamstd
