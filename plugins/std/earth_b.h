// Helpers shared by the earth pattern families 015 to 029 (radar cuts,
// cosecant-squared, point-to-multipoint, coordination, aperture and the
// simple level patterns), and the pattern records those families define.
#pragma once

#include <cstdint>

#include "std.h"

namespace kamstd {

// Pattern records of group B, one per catalogue entry.
extern const PatternDef kRadar015, kRadar016, kRadar017, kRadar018, kRadar019, kRadar020;
extern const PatternDef kCosecant021;
extern const PatternDef kPmpOmni022, kPmpSectorPeak023, kPmpSectorAverage024;
extern const PatternDef kCoordination025;
extern const PatternDef kTvReceive026, kHaps027, kLevels029;
extern const PatternDef kAiryEarth028;

namespace earthb {

constexpr double kDegree = kPi / 180.0;  // radians per degree

// An input as a slot receives it; a null pointer counts as absent.
inline double Read(const double* x) {
    return x != nullptr ? *x : g_host.noValue;
}

// An input the computation needs: 0 when given and finite; -6001 when absent,
// -6011 when NaN or infinite; each reported with the input's name.
std::int32_t NeedValue(const char* pattern, const char* input, double x);

// An input the pattern uses when given: 0 when absent or finite, -6011 when
// NaN or infinite (reported).
std::int32_t OptionalValue(const char* pattern, const char* input, double x);

// Phi and Phi0 of the patterns that divide by Phi0: both needed (-6001,
// -6011), and Phi0 above 0 (-6002); reported.
std::int32_t NeedAngles(const char* pattern, double phi, double phi0);

// Reads the specific structure into values (the defaults for the NoValue
// structure). Every field must be finite (-6011 naming it); with checkRanges
// every field must also lie in its range (-6005 naming it).
std::int32_t LoadFields(const PatternDef& pattern, const void* specific, double* values,
                        bool checkRanges);

// Ends a failed gain call: both outputs (where not null) get the NoValue
// double; returns status.
std::int32_t Fail(std::int32_t status, double* gain, double* gainX);

// Ends a computed gain call of a co-polar-only pattern: Gain gets g, GainX the
// NoValue double; 0. A g that is not finite (inputs outside the definition
// while the library's checks are off) fails with -6002 instead.
std::int32_t Deliver(const char* pattern, double phi, double g, double* gain, double* gainX);

// Electrical tilt of the point-to-multipoint patterns: the elevation theta
// seen by an antenna whose beam is tilted down by tilt degrees.
double TiltedElevation(double theta, double tilt);

}  // namespace earthb
}  // namespace kamstd
