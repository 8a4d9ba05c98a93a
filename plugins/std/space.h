// Helpers shared by the space pattern families 101 to 116, and the pattern
// records those families define.
#pragma once

#include <cstdint>

#include "std.h"

namespace kamstd {

// Pattern records of the space group, one per catalogue entry.
extern const PatternDef kGso101, kGso102, kGso103;
extern const PatternDef kNgso104, kNgso105, kNgso106, kNgso107;
extern const PatternDef kLeo108;
extern const PatternDef kFastRollOff109;
extern const PatternDef kParabola110, kIsotropic111;
extern const PatternDef kPassiveSensor112, kSensorFitA113, kSensorFitB114;
extern const PatternDef kTaylor115, kAiry116;

namespace space {

constexpr double kDegree = kPi / 180.0;  // radians per degree

// An input the computation needs: 0 when given and finite; -6001 when absent,
// -6011 when NaN or infinite; each reported with the input's name.
std::int32_t NeedValue(const char* pattern, const char* input, const double* x);

// An input used when given: 0 when absent or finite, -6011 otherwise.
std::int32_t OptionalValue(const char* pattern, const char* input, const double* x);

// True when the input holds a value (not NoValue); the pointer may be null.
inline bool Given(const double* x) { return x != nullptr && !IsAbsent(*x); }

// The larger of a and b, or NaN when either is NaN (std::fmax would hide a
// NaN that inputs outside the definition produce while the checks are off).
inline double MaxOf(double a, double b) { return (a != a || b != b) ? a + b : (a > b ? a : b); }

// Phi0 of the patterns that use it: 0 when above 0, else -6002 (reported).
std::int32_t PositivePhi0(const char* pattern, double phi0);

// Reads the specific structure into values (the defaults for the NoValue
// structure, or -6001 when the pattern requires the structure). Every field
// must be finite (-6011 naming it); with checkRanges every field must also lie
// in its range and be whole where it must (-6005 naming it).
std::int32_t LoadFields(const PatternDef& pattern, const void* specific, bool required,
                        double* values, bool checkRanges);

// Ends a failed gain call: both outputs get the NoValue double; returns status.
std::int32_t Fail(std::int32_t status, double* gain, double* gainX);

// Ends a computed gain call (every space pattern is co-polar only): Gain gets
// g, GainX the NoValue double; 0. A g that is not finite (inputs outside the
// definition while the library's checks are off) gives -6002 instead.
std::int32_t Deliver(const char* pattern, double phi, double g, double* gain, double* gainX);

// Level of a contour call: 0 when the level is below 0 and the contour is to
// be computed; 1 when the level is exactly 0 (Phi = 0, written here); -6010
// for a level above 0, which no pattern reaches (reported).
std::int32_t ContourLevel(const char* pattern, double level, double* phi);

// Ends a computed contour call: Phi gets the angle (PhiX is never written);
// 0. An angle that is not a number gives -6002 and leaves Phi untouched.
std::int32_t DeliverAngle(const char* pattern, double level, double angle, double* phi);

// A level the envelope never reaches: -6010, reported with the level and the
// lowest level the pattern's envelope has (its floor); Phi stays untouched.
std::int32_t NotReached(const char* pattern, double level, double lowest);

// Bessel function of the first kind of order n at |x|; NaN where it has no
// value (never throws).
double BesselJ(int n, double x);

// Contour by bisection on the main lobe of rel, which falls monotonically from
// rel(0) > level to rel(un) <= level: halves [0, un], keeping rel(lo) > level
// and rel(hi) <= level, until hi - lo <= 1e-15 un or after 200 halvings, and
// returns hi. Pattern data arrive through context.
double BisectMainLobe(double (*rel)(const void* context, double u), const void* context,
                      double level, double un);

}  // namespace space
}  // namespace kamstd
