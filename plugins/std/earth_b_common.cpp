// Input checks and output handling shared by the earth patterns 015 to 029.
#include <cmath>

#include "earth_b.h"

namespace kamstd::earthb {

std::int32_t NeedValue(const char* pattern, const char* input, double x) {
    if (IsAbsent(x))
        return Report(kAbsentInput, "%s: %s is absent; the pattern needs it.", pattern, input);
    if (!std::isfinite(x))
        return Report(kNotFinite, "%s: %s is %g; the pattern needs a finite number.", pattern,
                      input, x);
    return 0;
}

std::int32_t OptionalValue(const char* pattern, const char* input, double x) {
    if (IsAbsent(x) || std::isfinite(x)) return 0;
    return Report(kNotFinite, "%s: %s is %g; the pattern needs a finite number.", pattern, input,
                  x);
}

std::int32_t NeedAngles(const char* pattern, double phi, double phi0) {
    if (const std::int32_t s = NeedValue(pattern, "Phi", phi)) return s;
    if (const std::int32_t s = NeedValue(pattern, "Phi0", phi0)) return s;
    if (phi0 > 0.0) return 0;
    return Report(kOutOfDomain,
                  "%s: Phi0 %g is not above 0; the pattern needs a positive beamwidth.", pattern,
                  phi0);
}

std::int32_t LoadFields(const PatternDef& pattern, const void* specific, double* values,
                        bool checkRanges) {
    ReadFields(pattern, specific, values);
    for (int i = 0; i < pattern.fieldCount; ++i)
        if (!std::isfinite(values[i]))
            return Report(kNotFinite, "%s: field %s is %g; the pattern needs a finite number.",
                          pattern.name, pattern.fields[i].name, values[i]);
    return checkRanges ? CheckFields(pattern, values) : 0;
}

std::int32_t Fail(std::int32_t status, double* gain, double* gainX) {
    if (gain != nullptr) *gain = g_host.noValue;
    if (gainX != nullptr) *gainX = g_host.noValue;
    return status;
}

std::int32_t Deliver(const char* pattern, double phi, double g, double* gain, double* gainX) {
    if (!std::isfinite(g))
        return Fail(Report(kOutOfDomain,
                           "%s: the inputs give no finite gain at Phi %g (%g); they lie outside "
                           "the pattern's definition.",
                           pattern, phi, g),
                    gain, gainX);
    if (gain != nullptr) *gain = g;
    if (gainX != nullptr) *gainX = g_host.noValue;
    return 0;
}

double TiltedElevation(double theta, double tilt) {
    const double x = theta + tilt;
    return x >= 0.0 ? 90.0 * x / (90.0 + tilt) : 90.0 * x / (90.0 - tilt);
}

}  // namespace kamstd::earthb
