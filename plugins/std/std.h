// Shared pieces of the standard pattern library: the record each pattern is
// described by, the values the host writes into the library, the library's
// statuses, and the small helpers every pattern family uses.
#pragma once

#include <cmath>
#include <cstdint>

#include "kam/kam_plugin.h"

namespace kamstd {

// Parameter property codes, as the catalogue tables write them.
constexpr std::int32_t R = KAM_PROPERTY_REQUIRED;
constexpr std::int32_t O = KAM_PROPERTY_OPTIONAL;
constexpr std::int32_t N = KAM_PROPERTY_NOT_REQUIRED;

// The library's own statuses.
constexpr std::int32_t kAbsentInput = -6001;        // names the input
constexpr std::int32_t kOutOfDomain = -6002;        // D/lambda or another derived quantity
constexpr std::int32_t kNotRecommended = 6003;      // computed anyway
constexpr std::int32_t kGainBelowG1 = -6004;        // main lobe undefined
constexpr std::int32_t kBadField = -6005;           // names the field
constexpr std::int32_t kPhi0BelowBeamlet = -6006;
constexpr std::int32_t kEstimatedFromGain = 6008;   // only one of Diameter, Frequency
constexpr std::int32_t kLevelNotReached = -6010;    // no contour
constexpr std::int32_t kNotFinite = -6011;          // NaN or infinite input

constexpr double kPi = 3.14159265358979323846;
constexpr double kSpeedOfLight = 299792458.0;  // m/s

// One element of a pattern-specific structure; every element is a double.
struct FieldDef {
    const char* name;
    const char* unit;  // "" for a plain number
    double defaultValue;
    double lowest;
    double highest;
    bool whole;        // must hold a whole number
};

// One pattern of the catalogue. A pattern with fields has a specific
// structure of fieldCount doubles, in field order, whose structId is the
// pattern number.
struct PatternDef {
    const char* name;   // 12 characters
    const char* title;
    std::int32_t number;
    std::int32_t type;  // KAM_PATTERN_EARTH or KAM_PATTERN_SPACE
    std::int32_t properties[KAM_PARAM_COUNT];
    const FieldDef* fields;
    std::int32_t fieldCount;
    KAM_ValidateInputSlot validateInput;
    KAM_ValidateAllSlot validateAll;
    KAM_GainSlot gain;
    KAM_ContourSlot contour;
};

// The catalogue in order: three groups, each defined by its family files.
struct PatternGroup {
    const PatternDef* const* patterns;
    int count;
};
extern const PatternGroup kEarthGroupA;  // 001 to 014
extern const PatternGroup kEarthGroupB;  // 015 to 029
extern const PatternGroup kSpaceGroup;   // 101 to 116

// What the host writes into the library, and the sink it hands over.
struct HostValues {
    double noValue;
    void* noValueStruct;
    std::int32_t gainValid;
    KAM_EventSink sink;
};
extern HostValues g_host;

inline bool IsAbsent(double x) { return x == g_host.noValue; }
inline bool IsAbsentStruct(const void* p) { return p == g_host.noValueStruct; }
inline bool GainValid() { return g_host.gainValid != 0; }

// Queues an event with code and the formatted text when the library holds a
// sink, and returns code. Only called on failure or warning.
std::int32_t Report(std::int32_t code, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Off-axis angle: |phi|, reduced modulo 360 and folded into [0, 180].
double FoldAngle(double phi);

inline double Log10(double x) { return std::log10(x); }
// lambda = c / (f * 1e6) first, then D / lambda.
inline double DOverLambda(double diameterM, double frequencyMHz) {
    const double lambda = kSpeedOfLight / (frequencyMHz * 1e6);
    return diameterM / lambda;
}
// 20 log(D/lambda) = GainMax - 7.7.
inline double DOverLambdaFromGain(double gainMax) { return std::pow(10.0, (gainMax - 7.7) / 20.0); }
// G(eta) = 10 log(eta (pi D/lambda)^2).
inline double ApertureGain(double efficiency, double d) {
    const double x = kPi * d;
    return 10.0 * std::log10(efficiency * x * x);
}

// Fills values[0..fieldCount) from the structure, or with the defaults when
// it is the NoValue structure.
void ReadFields(const PatternDef& pattern, const void* specific, double* values);
// Checks every field against its range (and wholeness): 0, or -6005 naming
// the first bad field (reported).
std::int32_t CheckFields(const PatternDef& pattern, const double* values);

}  // namespace kamstd
