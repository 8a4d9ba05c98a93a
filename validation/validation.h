// Parameter validation: the fixed limit table, the single checks of one
// parameter, GainRel and contour outputs, and the chains that join them with a
// pattern's own validators. The computations and the validation exports use
// these; none of them reports through ReportStatus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/list.h"
#include "core/state.h"
#include "kam/kam_plugin.h"

namespace kam {

// Index of a validated parameter: its position in a pattern's parameter
// properties, its row of the limit table and the last digit of its statuses.
enum ParamIndex : int {
    kParamGainMax = KAM_PARAM_GAINMAX,
    kParamBeamlet = KAM_PARAM_BEAMLET,
    kParamDiameter = KAM_PARAM_DIAMETER,
    kParamFrequency = KAM_PARAM_FREQUENCY,
    kParamEfficiency = KAM_PARAM_EFFICIENCY,
    kParamSpecific = KAM_PARAM_SPECIFIC,
    kParamPhi = KAM_PARAM_PHI,
    kParamPhi0 = KAM_PARAM_PHI0,
};
constexpr int kParamCount = KAM_PARAM_COUNT;

struct ParameterLimit {
    const char* name;  // as printed in messages
    double hardMin;
    double hardMax;
    double softMin;
    double softMax;
};
// One row per ParamIndex, in index order. The Specific row only names it.
extern const ParameterLimit kParameterLimitTable[kParamCount];

struct MessageFormat {
    std::int32_t key;
    const char* format;  // printf-like: "%s" the name, "%.5e" a double
};
constexpr int kValidationFormatCount = 4;
constexpr int kOutputFormatCount = 2;
// Keyed by the base codes -5100, 5100, -5200, 5200.
extern const MessageFormat kValidationFormatTable[kValidationFormatCount];
// Keyed by -5551 and -5552: an output above 180 degrees, and one below 0
// degrees or NaN.
extern const MessageFormat kOutputFormatTable[kOutputFormatCount];
extern const MessageFormat kOutputNoAngleFormatTable[kOutputFormatCount];

// Base codes of the findings; the index-specific status adds the ParamIndex.
constexpr std::int32_t kRequiredMissingBase = -5100;
constexpr std::int32_t kNotRequiredGivenBase = 5100;
constexpr std::int32_t kHardLimitBase = -5200;
constexpr std::int32_t kSoftLimitBase = 5200;
constexpr double kGainRelMin = -100.0;  // inside
constexpr double kGainRelMax = 0.0;     // outside
constexpr double kOutputAngleMax = 180.0;
constexpr const char* kGainRelName = "GainRel";

// Capacity of an event text: 255 characters and the NUL.
constexpr std::size_t kMessageSize = 256;

// A parameter as a check receives it: the address of its double, or, for
// Specific, the structure pointer itself (never dereferenced).
using ParamRef = const void*;

// The first row of a format table with this key, or nullptr.
const char* ValidationFormat(std::int32_t key) noexcept;
const char* OutputFormat(std::int32_t key) noexcept;
const char* OutputNoAngleFormat(std::int32_t key) noexcept;

// Renders format into out (capacity bytes with the NUL): "%s" takes name,
// each "%.5e" the next of values (two-digit exponent, "." as the decimal
// point whatever the locale), "%%" a percent sign. Returns false, with out
// holding a cut text, when the full text needs more than capacity - 1
// characters or values run short.
bool FormatMessage(const char* format, const char* name, const double* values,
                   int valueCount, char* out, std::size_t capacity) noexcept;

// Queues the message of a ValidationFormatTable finding while the event log
// is on, and gives status back; -4999 with nothing queued when the message
// would not fit an event text. With the log off nothing is built.
std::int32_t RaiseFinding(std::int32_t status, std::int32_t key, const char* name,
                          const double* values, int valueCount) noexcept;

// True when the parameter is absent: Specific equal to the structure NoValue,
// a double equal to the double NoValue. NaN and infinities are present.
// False for an index outside 0..7.
bool IsNoValue(int index, ParamRef reference) noexcept;
// Compares a present value with its hard, then its soft limits.
// 0, -(5200+i), +(5200+i), -4101 (index outside 0..7), -4999.
std::int32_t CheckLimits(int index, ParamRef reference) noexcept;
// Applies the pattern's property code of the parameter, then its limits.
// 0, -(5100+i), +(5100+i), ±(5200+i), -3100 (unknown code), -4101, -4999.
std::int32_t CheckParameter(int index, const std::int32_t* properties,
                            ParamRef reference) noexcept;
// Group checks, combined by the status combination.
std::int32_t CheckEarthParameters(const std::int32_t* properties, const double* gainMax,
                                  const double* diameter, const double* frequency,
                                  const double* efficiency, const void* specific) noexcept;
std::int32_t CheckSpaceParameters(const std::int32_t* properties, const double* gainMax,
                                  const double* beamlet, const void* specific) noexcept;
std::int32_t CheckAngles(const std::int32_t* properties, const double* phi,
                         const double* phi0) noexcept;
// GainRel must lie in [-100, 0). 0, -5300, -4999.
std::int32_t CheckGainRel(const double* gainRel) noexcept;
// While ContourValid is on: each output other than the double NoValue must be
// an angle from 0 to 180 degrees. 0, -5551, -5552, -4101 (no outPhi), -4102
// (no outPhiX).
std::int32_t CheckContourOutput(const double* outPhi, const double* outPhiX) noexcept;
// x rounded to single precision must lie in [0, 180] (NaN does not): 0 or status.
std::int32_t CheckOutputAngle(double x, std::int32_t status) noexcept;
// Round to nearest single, ties to even; beyond the float range an infinity
// of the value's sign.
float RoundToSingle(double x) noexcept;

// Whether a double parameter under its property code is certain to pass its
// check quietly (status 0, no event): present and inside both its hard and
// soft limits where it is used, or absent where it may be. False is no
// finding, only "ask the check"; the hot paths call it to skip a call.
inline bool IsQuietDouble(int index, std::int32_t code, double x) noexcept {
    const bool absent = x == kNoValueDouble;
    if (code == KAM_PROPERTY_NOT_REQUIRED) return absent;
    if (code != KAM_PROPERTY_REQUIRED && code != KAM_PROPERTY_OPTIONAL) return false;
    if (absent) return code == KAM_PROPERTY_OPTIONAL;
    const ParameterLimit& row = kParameterLimitTable[index];
    return x >= row.hardMin && x <= row.hardMax && x >= row.softMin && x <= row.softMax;
}
// IsQuietDouble for one parameter under one property code, decided once and
// then asked of many values (the angles of an array call): the window of the
// present values that pass quietly (empty when none do) and whether an
// absent value does.
struct QuietWindow {
    double lo = 1.0;
    double hi = 0.0;
    bool absent = false;

    QuietWindow(int index, std::int32_t code) noexcept {
        if (code != KAM_PROPERTY_REQUIRED && code != KAM_PROPERTY_OPTIONAL &&
            code != KAM_PROPERTY_NOT_REQUIRED)
            return;
        absent = code != KAM_PROPERTY_REQUIRED;
        if (code == KAM_PROPERTY_NOT_REQUIRED) return;
        const ParameterLimit& row = kParameterLimitTable[index];
        lo = row.hardMin > row.softMin ? row.hardMin : row.softMin;
        hi = row.hardMax < row.softMax ? row.hardMax : row.softMax;
    }
    // Branch-free, so that a loop over many values stays tight.
    bool operator()(double x) const noexcept {
        const bool isAbsent = x == kNoValueDouble;
        return (isAbsent & absent) | (!isAbsent & (x >= lo) & (x <= hi));
    }
    // Whether every one of n values passes quietly. Where absent values do
    // not and the window lies below NoValue, only the window needs asking
    // (NaN fails both comparisons, so it is never inside).
    bool All(const double* x, std::int32_t n) const noexcept {
        if (!absent && hi < kNoValueDouble) {
            const double low = lo, high = hi;
            std::int32_t i = 0;
#if defined(__GNUC__)
            // Two angles per comparison, eight per block, a branch per block.
            using Pair = double __attribute__((vector_size(16)));
            const Pair pl = {low, low}, ph = {high, high};
            for (; i + 8 <= n; i += 8) {
                Pair a, b, c, d;
                std::memcpy(&a, x + i, sizeof a);
                std::memcpy(&b, x + i + 2, sizeof b);
                std::memcpy(&c, x + i + 4, sizeof c);
                std::memcpy(&d, x + i + 6, sizeof d);
                const auto in = (a >= pl) & (a <= ph) & (b >= pl) & (b <= ph) & (c >= pl) &
                                (c <= ph) & (d >= pl) & (d <= ph);
                if ((in[0] & in[1]) != -1) return false;
            }
#endif
            for (; i < n; ++i)
                if (!(x[i] >= low && x[i] <= high)) return false;
            return true;
        }
        bool all = true;
        for (std::int32_t i = 0; i < n; ++i) all &= (*this)(x[i]);
        return all;
    }
};

inline bool AreQuietAngles(const std::int32_t* properties, double phi, double phi0) noexcept {
    return IsQuietDouble(kParamPhi, properties[kParamPhi], phi) &&
           IsQuietDouble(kParamPhi0, properties[kParamPhi0], phi0);
}
// The same for Specific, which only its presence decides.
inline bool IsQuietSpecific(std::int32_t code, const void* specific) noexcept {
    const bool absent = IsNoValueStruct(specific);
    return code == KAM_PROPERTY_OPTIONAL || (code == KAM_PROPERTY_REQUIRED && !absent) ||
           (code == KAM_PROPERTY_NOT_REQUIRED && absent);
}
// Whether the library's checks of the antenna parameters would pass quietly.
inline bool AreQuietEarthParameters(const std::int32_t* p, double gainMax, double diameter,
                                    double frequency, double efficiency,
                                    const void* specific) noexcept {
    return IsQuietDouble(kParamGainMax, p[kParamGainMax], gainMax) &&
           IsQuietDouble(kParamDiameter, p[kParamDiameter], diameter) &&
           IsQuietDouble(kParamFrequency, p[kParamFrequency], frequency) &&
           IsQuietDouble(kParamEfficiency, p[kParamEfficiency], efficiency) &&
           IsQuietSpecific(p[kParamSpecific], specific);
}
inline bool AreQuietSpaceParameters(const std::int32_t* p, double gainMax, double beamlet,
                                    const void* specific) noexcept {
    return IsQuietDouble(kParamGainMax, p[kParamGainMax], gainMax) &&
           IsQuietDouble(kParamBeamlet, p[kParamBeamlet], beamlet) &&
           IsQuietSpecific(p[kParamSpecific], specific);
}

// The status combination of consecutive steps. Feeds one step's status into
// result; true when the step failed and ends the operation (result then holds
// the failure). Otherwise a positive status replaces the remembered warning.
inline bool CombineStatus(std::int32_t step, std::int32_t& result) noexcept {
    if (step < 0) {
        result = step;
        return true;
    }
    if (step > 0) result = step;
    return false;
}

// A pattern's own validators; an empty slot gives 0. The pointers reach the
// plug-in exactly as given.
std::int32_t RunValidateInput(const KAM_PatternInfo& pattern, double* gainMax, double* diameter,
                              double* frequency, double* efficiency, void* specific) noexcept;
std::int32_t RunValidateInput(const KAM_PatternInfo& pattern, double* gainMax, double* beamlet,
                              void* specific) noexcept;
std::int32_t RunValidateAll(const KAM_PatternInfo& pattern, double* gainMax, double* diameter,
                            double* frequency, double* efficiency, void* specific, double* phi,
                            double* phi0) noexcept;
std::int32_t RunValidateAll(const KAM_PatternInfo& pattern, double* gainMax, double* beamlet,
                            void* specific, double* phi, double* phi0) noexcept;

// The four chains: the library's checks (antenna parameters, then angles),
// then validateInput, then validateAll, combined by the status combination.
// They neither look at the pattern's type nor at InputParamValid.
std::int32_t PartialEarthValidation(const KAM_PatternInfo& pattern, double* gainMax,
                                    double* diameter, double* frequency, double* efficiency,
                                    void* specific) noexcept;
std::int32_t PartialSpaceValidation(const KAM_PatternInfo& pattern, double* gainMax,
                                    double* beamlet, void* specific) noexcept;
std::int32_t FullEarthValidation(const KAM_PatternInfo& pattern, double* gainMax,
                                 double* diameter, double* frequency, double* efficiency,
                                 void* specific, double* phi, double* phi0) noexcept;
std::int32_t FullSpaceValidation(const KAM_PatternInfo& pattern, double* gainMax,
                                 double* beamlet, void* specific, double* phi,
                                 double* phi0) noexcept;

// ResolvePattern (which sets CurrentPatternName and CurrentLibrary), then the
// pattern's type must be exactly `type`. 0 with *pattern, -2004, -2005, or
// -2006. Reports nothing.
std::int32_t ResolvePatternOfType(KAM_LibraryId libraryId, const char* name, std::int32_t type,
                                  ListNode** pattern) noexcept;

}  // namespace kam
