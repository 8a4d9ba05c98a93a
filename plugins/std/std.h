// Shared pieces of the standard pattern library: the record each pattern is
// described by, the values the host writes into the library, the library's
// statuses, and the helpers every pattern family uses (defined in
// std_common.cpp).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "kam/kam_plugin.h"

// Marks the functions that end a failing call: the compiler keeps them, and
// the paths that lead to them, out of the way of the loops over angles.
#if defined(__GNUC__)
#define KAMSTD_COLD __attribute__((cold, noinline))
#else
#define KAMSTD_COLD
#endif

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
    KAM_PatternArraySlots arrays;  // the array path (array_path.h)
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
KAMSTD_COLD std::int32_t Report(std::int32_t code, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

constexpr double kFoldLimit = 360.0;  // degrees in a turn
// Off-axis angle: |phi|, reduced modulo 360 and folded into [0, 180].
inline double FoldAngle(double phi) {
    double p = std::fabs(phi);
    if (p > kFoldLimit) [[unlikely]]
        p = std::fmod(p, kFoldLimit);
    if (p > 180.0) p = kFoldLimit - p;
    return p;
}

constexpr double kDegree = kPi / 180.0;  // radians per degree

inline double Log10(double x) { return std::log10(x); }

// The natural logarithm of a positive normal number by the classic
// reduction: x = 2^k (1 + f) with 1 + f in [sqrt(2)/2, sqrt(2)),
// s = f / (2 + f), and log(1 + f) = f - f^2/2 + s (f^2/2 + R(s^2)) with R
// the minimax polynomial of the reduction; below one ulp of error. The
// vector unit of the array calls runs these steps in each of its lanes, so
// an element's bits do not depend on which of the two took it.
struct LogReduction {
    static constexpr double kLn2Hi = 6.93147180369123816490e-01;
    static constexpr double kLn2Lo = 1.90821492927058770002e-10;
    static constexpr double kLg1 = 6.666666666666735130e-01;
    static constexpr double kLg2 = 3.999999999940941908e-01;
    static constexpr double kLg3 = 2.857142874366239149e-01;
    static constexpr double kLg4 = 2.222219843214978396e-01;
    static constexpr double kLg5 = 1.818357216161805012e-01;
    static constexpr double kLg6 = 1.531383769920937332e-01;
    static constexpr double kLg7 = 1.479819860511658591e-01;
    static constexpr std::int64_t kExponentBias = 1023;
    static constexpr std::int64_t kMantissaHigh = 0x000fffff;  // of the high word
    static constexpr std::int64_t kOne = 0x3ff00000;           // high word of 1.0
    static constexpr std::int64_t kOctave = 0x100000;          // the high word's exponent unit
    static constexpr std::int64_t kSqrtHalf = 0x95f64;  // carries [sqrt(2)/2, 1) up an octave

    // log(1 + f) + k ln 2 from the reduced f and k.
    static double Combine(double f, double dk) {
        const double hfsq = 0.5 * f * f;
        const double s = f / (2.0 + f);
        const double z = s * s;
        const double w = z * z;
        const double t1 = w * (kLg2 + w * (kLg4 + w * kLg6));
        const double t2 = z * (kLg1 + w * (kLg3 + w * (kLg5 + w * kLg7)));
        const double r = t2 + t1;
        return s * (hfsq + r) + dk * kLn2Lo - hfsq + f + dk * kLn2Hi;
    }
    static double Log(double x) {
        std::uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        std::int64_t hx = static_cast<std::int64_t>(bits >> 32);
        std::int64_t k = (hx >> 20) - kExponentBias;
        hx &= kMantissaHigh;
        const std::int64_t octave = (hx + kSqrtHalf) & kOctave;
        k += octave >> 20;
        const std::uint64_t high = static_cast<std::uint64_t>(hx | (octave ^ kOne));
        bits = (high << 32) | (bits & 0xffffffffu);
        double m;
        std::memcpy(&m, &bits, sizeof m);
        return Combine(m - 1.0, static_cast<double>(k));
    }
};

// The common logarithm of an angle as the curves take it. The per-point
// slots take log10 itself. The array loops take ln x / ln 10 with the
// logarithm above, never more than two units in the last place from log10
// over the angles they meet (1, 10, 100 and 1000 come out exact); a curve of tens
// of dB moves by less than 1e-13 dB. Outside [1e-3, 1e3] (no angle of a
// folded call reaches past 180) the array loops take log10 as well.
struct SlotLog10 {
    double operator()(double x) const { return std::log10(x); }
};
struct ArrayLog10 {
    static constexpr double kInvLn10 = 0.43429448190325182765;  // 1 / ln 10
    static constexpr double kLow = 1e-3;
    static constexpr double kHigh = 1e3;
    double operator()(double x) const {
        return x >= kLow && x <= kHigh ? LogReduction::Log(x) * kInvLn10 : std::log10(x);
    }
};
// lambda = c / (f * 1e6) first, then D / lambda.
inline double DOverLambda(double diameterM, double frequencyMHz) {
    const double lambda = kSpeedOfLight / (frequencyMHz * 1e6);
    return diameterM / lambda;
}
// 20 log(D/lambda) = GainMax - 7.7.
inline double DOverLambdaFromGain(double gainMax) { return std::pow(10.0, (gainMax - 7.7) / 20.0); }
// G(eta) = 10 log(eta (pi D/lambda)^2), summed in logarithms so that no huge
// D/lambda overflows the square (nor a tiny one underflows it).
inline double ApertureGain(double efficiency, double d) {
    return 10.0 * Log10(efficiency) + 20.0 * (Log10(kPi) + Log10(d));
}

// The larger of a and b, or NaN when either is NaN (std::max and std::fmax
// would hide a NaN that inputs outside the definition produce while the
// checks are off).
inline double MaxOf(double a, double b) { return (a != a || b != b) ? a + b : (a > b ? a : b); }

// Bessel function of the first kind of order n at |x|; NaN where it has no
// value (never throws).
double BesselJ(int n, double x);
// The uniform circular aperture's field 2 J1(u)/u (even in u), 1 at u = 0.
inline double Airy(double u) { return u == 0.0 ? 1.0 : 2.0 * BesselJ(1, u) / std::fabs(u); }

// The aperture patterns with nulls (028, 115, 116) never go below this
// relative level; a null (the logarithm of zero) gives it.
constexpr double kNullLevel = -100.0;  // dB
// 20 log|f| of a field f, never below kNullLevel; NaN stays NaN.
inline double RelativeLevel(double f) { return MaxOf(20.0 * Log10(std::fabs(f)), kNullLevel); }

// ---- Inputs ------------------------------------------------------------------

// An input as a slot receives it; a null pointer counts as absent.
inline double Read(const double* x) { return x != nullptr ? *x : g_host.noValue; }
// True when the input holds a value (not NoValue); the pointer may be null.
inline bool Given(const double* x) { return !IsAbsent(Read(x)); }

// Reports an input that NeedValue (needed) or OptionalValue refuses: -6001
// when absent and needed, else -6011; 0 for an absent optional input.
KAMSTD_COLD std::int32_t RefuseValue(const char* pattern, const char* input, double x, bool needed);
// An input the computation needs: 0 when given and finite; -6001 when absent,
// -6011 when NaN or infinite; each reported with the input's name.
inline std::int32_t NeedValue(const char* pattern, const char* input, double x) {
    return !IsAbsent(x) && std::isfinite(x) ? 0 : RefuseValue(pattern, input, x, true);
}
inline std::int32_t NeedValue(const char* pattern, const char* input, const double* x) {
    return NeedValue(pattern, input, Read(x));
}
// An input used when given: 0 when absent or finite, -6011 (reported) otherwise.
inline std::int32_t OptionalValue(const char* pattern, const char* input, double x) {
    return IsAbsent(x) || std::isfinite(x) ? 0 : RefuseValue(pattern, input, x, false);
}
inline std::int32_t OptionalValue(const char* pattern, const char* input, const double* x) {
    return OptionalValue(pattern, input, Read(x));
}

// Phi0 of the patterns that use it: 0 when above 0, else -6002 (reported).
std::int32_t PositivePhi0(const char* pattern, double phi0);
// Phi0 of a validator that takes it when given: -6011 when not finite,
// -6002 when not above 0; 0 when absent.
std::int32_t OptionalPhi0(const char* pattern, const double* phi0);
// Phi and Phi0 of a validateAll that needs both: -6001, -6011 as
// NeedValue, then Phi0 above 0 (-6002).
std::int32_t NeedAngles(const char* pattern, const double* phi, const double* phi0);
// Phi0 of a gain or contour call: needed (-6001, -6011), and above 0
// (-6002) whatever GainValid says, since the formulas divide by it.
std::int32_t NeedPhi0(const char* pattern, const double* phi0);

// ---- D/lambda and the main lobe -------------------------------------------------

// D/lambda a pattern can be computed with: 0 when positive and finite, else
// -6002 (reported with its value).
std::int32_t CheckDOverLambda(const char* pattern, double d);
// +6008 (reported): D/lambda d is estimated from GainMax although one of
// Diameter and Frequency (the one that is not NoValue) is given.
std::int32_t EstimatedFromGain(const char* pattern, double diameter, double frequency, double d,
                               double gainMax);
// -6004 (reported): the maximum gain (label: "GainMax", or "Gmax" where the
// pattern computes it) is below the first side-lobe level G1 at D/lambda d.
std::int32_t BelowG1(const char* pattern, const char* label, double gainMax, double g1,
                     double d);

// ---- Specific structure --------------------------------------------------------

// Reads the specific structure into values: the defaults for the NoValue
// structure (or -6001 when required and the structure is absent). Every
// field must be finite (-6011 naming it); with checkRanges every field must
// also lie in its range and be whole where it must (-6005 naming it).
std::int32_t LoadFields(const PatternDef& pattern, const void* specific, double* values,
                        bool checkRanges, bool required = false);
// One field against its range and wholeness: 0, or -6005 naming it (reported).
std::int32_t CheckField(const PatternDef& pattern, int index, double value);
// A condition between two fields, value[second] > value[first]: 0, or -6005
// naming the second (reported).
std::int32_t FieldAbove(const PatternDef& pattern, const double* values, int second, int first);

// ---- Results -------------------------------------------------------------------

// Ends a failed gain call: both outputs (where not null) get the NoValue
// double; returns status.
KAMSTD_COLD std::int32_t Fail(std::int32_t status, double* gain, double* gainX);
// The failing end of DeliverPair: -6002 (reported), both outputs NoValue.
KAMSTD_COLD std::int32_t NoFiniteGain(const char* pattern, double phi, double g, double gx, double* gain,
                          double* gainX);
// Ends a computed gain call of a pattern with a cross-polar curve: Gain gets
// g, GainX gx; 0. A g or gx that is not finite (inputs outside the definition
// while the checks are off) fails with -6002 instead.
inline std::int32_t DeliverPair(const char* pattern, double phi, double g, double gx,
                                double* gain, double* gainX) {
    if (!std::isfinite(g) || !(std::isfinite(gx) || IsAbsent(gx)))
        return NoFiniteGain(pattern, phi, g, gx, gain, gainX);
    if (gain != nullptr) *gain = g;
    if (gainX != nullptr) *gainX = gx;
    return 0;
}
// True when Deliver accepts the co-polar gain g (at the folded angle phi).
inline bool Deliverable(double /*phi*/, double g) { return std::isfinite(g); }
// As DeliverPair, for a co-polar-only pattern: GainX gets the NoValue double.
inline std::int32_t Deliver(const char* pattern, double phi, double g, double* gain,
                            double* gainX) {
    const double gx = g_host.noValue;  // never refused: it is NoValue
    if (!Deliverable(phi, g)) return NoFiniteGain(pattern, phi, g, gx, gain, gainX);
    if (gain != nullptr) *gain = g;
    if (gainX != nullptr) *gainX = gx;
    return 0;
}

// ---- Contours ------------------------------------------------------------------

// Level of a contour call: 0 when the level is below 0 and the contour is to
// be computed; 1 when the level is exactly 0 (Phi = 0, written here); -6010
// for a level above 0, which no pattern reaches (reported).
std::int32_t ContourLevel(const char* pattern, double level, double* phi);
// Ends a computed contour call: Phi gets the angle (PhiX is never written);
// 0. An angle that is not a number, negative or infinite gives -6002
// (whatever GainValid says) and leaves Phi untouched.
std::int32_t DeliverAngle(const char* pattern, double level, double angle, double* phi);
// A level the envelope never reaches: -6010, reported with the level and the
// lowest level the pattern's envelope has (its floor); Phi stays untouched.
std::int32_t NotReached(const char* pattern, double level, double lowest);
// Contour by bisection on the main lobe of rel, which falls monotonically from
// rel(0) > level to rel(un) <= level: halves [0, un], keeping rel(lo) > level
// and rel(hi) <= level, until hi - lo <= 1e-15 un or after 200 halvings, and
// returns hi. Pattern data arrive through context.
double BisectMainLobe(double (*rel)(const void* context, double u), const void* context,
                      double level, double un);

}  // namespace kamstd
