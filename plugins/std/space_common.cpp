// Input checks, output handling and the bisection shared by the space
// patterns 101 to 116.
#include <cmath>
#include <exception>
#include <limits>

#include "space.h"

namespace kamstd::space {

std::int32_t NeedValue(const char* pattern, const char* input, const double* x) {
    if (!Given(x))
        return Report(kAbsentInput, "%s: %s is absent; the pattern needs it.", pattern, input);
    if (!std::isfinite(*x))
        return Report(kNotFinite, "%s: %s is %g; the pattern needs a finite number.", pattern,
                      input, *x);
    return 0;
}

std::int32_t OptionalValue(const char* pattern, const char* input, const double* x) {
    if (!Given(x) || std::isfinite(*x)) return 0;
    return Report(kNotFinite, "%s: %s is %g; the pattern needs a finite number.", pattern, input,
                  *x);
}

std::int32_t PositivePhi0(const char* pattern, double phi0) {
    if (phi0 > 0.0) return 0;
    return Report(kOutOfDomain,
                  "%s: Phi0 %g is not above 0; the pattern needs a positive beamwidth.", pattern,
                  phi0);
}

std::int32_t LoadFields(const PatternDef& pattern, const void* specific, bool required,
                        double* values, bool checkRanges) {
    if (required && (specific == nullptr || IsAbsentStruct(specific)))
        return Report(kAbsentInput, "%s: the specific structure is absent; the pattern needs it.",
                      pattern.name);
    ReadFields(pattern, specific, values);
    for (int i = 0; i < pattern.fieldCount; ++i)
        if (!std::isfinite(values[i]))
            return Report(kNotFinite, "%s: field %s is %g; the pattern needs a finite number.",
                          pattern.name, pattern.fields[i].name, values[i]);
    return checkRanges ? CheckFields(pattern, values) : 0;
}

std::int32_t Fail(std::int32_t status, double* gain, double* gainX) {
    *gain = g_host.noValue;
    *gainX = g_host.noValue;
    return status;
}

std::int32_t Deliver(const char* pattern, double phi, double g, double* gain, double* gainX) {
    if (!std::isfinite(g))
        return Fail(Report(kOutOfDomain,
                           "%s: the inputs give no finite gain at Phi %g (%g); they lie outside "
                           "the pattern's definition.",
                           pattern, phi, g),
                    gain, gainX);
    *gain = g;
    *gainX = g_host.noValue;
    return 0;
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
    *phi = angle;
    return 0;
}

std::int32_t NotReached(const char* pattern, double level, double lowest) {
    return Report(kLevelNotReached,
                  "%s: the contour level %g dB is below %g dB, the lowest level of the "
                  "pattern's envelope; no contour exists.",
                  pattern, level, lowest);
}

double BesselJ(int n, double x) {
    x = std::fabs(x);
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    try {
        return std::cyl_bessel_j(static_cast<double>(n), x);
    } catch (const std::exception&) {
        return std::numeric_limits<double>::quiet_NaN();
    }
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

}  // namespace kamstd::space
