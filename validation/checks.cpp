// The library's own parameter rules: the limit table, the message formats of
// the findings, and the checks of one parameter, of GainRel and of the angles
// a contour function returns. Messages are built on the stack and only while
// the event log is on, so a clean check costs a few comparisons.
#include <charconv>
#include <cstring>
#include <limits>

#include "core/state.h"
#include "core/status.h"
#include "validation/validation.h"

namespace kam {

const ParameterLimit kParameterLimitTable[kParamCount] = {
    {"GainMax", 0.0, 700.0, 0.0, 100.0},
    {"Beamlet", 1e-5, 180.0, 0.001, 18.0},
    {"Diameter", 1e-5, 1e5, 0.01, 100.0},
    {"Frequency", 0.001, 1e10, 1.0, 1e6},
    {"Efficiency", 1e-5, 1.0, 0.1, 1.0},
    {"Specific", -999.0, -999.0, -999.0, -999.0},
    {"Phi", 0.0, 180.0, 0.0, 180.0},
    {"Phi0", 1e-5, 180.0, 0.001, 18.0},
};

const MessageFormat kValidationFormatTable[kValidationFormatCount] = {
    {kRequiredMissingBase, "TL Valid. Required %s is not provided."},
    {kNotRequiredGivenBase, "TL Valid. Not required %s is provided. It is ignored."},
    {kHardLimitBase, "TL Valid. %s (%.5e) is out of limits [%.5e,%.5e]."},
    {kSoftLimitBase, "TL Valid. %s (%.5e) is out of limits [%.5e,%.5e]."},
};

const MessageFormat kOutputFormatTable[kOutputFormatCount] = {
    {KAM_E_OUTPUT_PHI, "Output Phi (%.5e) is greater than 180 degrees."},
    {KAM_E_OUTPUT_PHIX, "Output PhiX (%.5e) is greater than 180 degrees."},
};

const MessageFormat kOutputNoAngleFormatTable[kOutputFormatCount] = {
    {KAM_E_OUTPUT_PHI, "Output Phi (%.5e) is below 0 degrees or not a number."},
    {KAM_E_OUTPUT_PHIX, "Output PhiX (%.5e) is below 0 degrees or not a number."},
};

namespace {

template <int N>
const char* FindFormat(const MessageFormat (&table)[N], std::int32_t key) noexcept {
    for (const MessageFormat& row : table)
        if (row.key == key) return row.format;
    return nullptr;
}

bool EventLogOn() noexcept { return g_state.eventLog != 0; }
bool ValidIndex(int index) noexcept { return index >= 0 && index < kParamCount; }

const double* AsDouble(ParamRef reference) noexcept {
    return static_cast<const double*>(reference);
}

}  // namespace

const char* ValidationFormat(std::int32_t key) noexcept {
    return FindFormat(kValidationFormatTable, key);
}

const char* OutputFormat(std::int32_t key) noexcept { return FindFormat(kOutputFormatTable, key); }

const char* OutputNoAngleFormat(std::int32_t key) noexcept {
    return FindFormat(kOutputNoAngleFormatTable, key);
}

bool FormatMessage(const char* format, const char* name, const double* values, int valueCount,
                   char* out, std::size_t capacity) noexcept {
    if (out == nullptr || capacity == 0) return false;
    static constexpr char kDoubleConversion[] = "%.5e";
    constexpr std::size_t kDoubleConversionLength = sizeof kDoubleConversion - 1;
    std::size_t used = 0;
    bool fits = true;
    auto put = [&](const char* text, std::size_t length) {
        const std::size_t room = capacity - 1 - used;
        if (length > room) {
            fits = false;
            length = room;
        }
        std::memcpy(out + used, text, length);
        used += length;
    };
    int nextValue = 0;
    for (const char* p = format != nullptr ? format : ""; *p != '\0';) {
        if (p[0] != '%') {
            // Literal text up to the next conversion, in one piece.
            const char* next = std::strchr(p, '%');
            const std::size_t length = next != nullptr ? static_cast<std::size_t>(next - p)
                                                       : std::strlen(p);
            put(p, length);
            p += length;
        } else if (p[1] == 's') {
            const char* text = name != nullptr ? name : "";
            put(text, std::strlen(text));
            p += 2;
        } else if (std::strncmp(p, kDoubleConversion, kDoubleConversionLength) == 0) {
            if (nextValue < valueCount && values != nullptr) {
                // to_chars writes what printf's "%.5e" writes in the C locale,
                // with an exponent of at least two digits.
                char number[32];
                const auto converted = std::to_chars(number, number + sizeof number,
                                                     values[nextValue], std::chars_format::scientific, 5);
                put(number, static_cast<std::size_t>(converted.ptr - number));
            } else {
                fits = false;
            }
            ++nextValue;
            p += kDoubleConversionLength;
        } else if (p[1] == '%') {
            put("%", 1);
            p += 2;
        } else {
            put(p, 1);
            ++p;
        }
    }
    out[used] = '\0';
    return fits;
}

std::int32_t RaiseFinding(std::int32_t status, std::int32_t key, const char* name,
                          const double* values, int valueCount) noexcept {
    if (!EventLogOn()) return status;
    char text[kMessageSize];
    if (!FormatMessage(ValidationFormat(key), name, values, valueCount, text, sizeof text)) {
        return KAM_E_BUFFER_OVERFLOW;
    }
    QueueEvent(status, text);
    return status;
}

namespace {

// The finding paths stay out of line: a clean check never reaches them, and
// the checks themselves inline into the group checks.
[[gnu::cold, gnu::noinline]] std::int32_t LimitFinding(int index, double x, bool hard) noexcept {
    const ParameterLimit& row = kParameterLimitTable[index];
    if (hard) {
        const double values[] = {x, row.hardMin, row.hardMax};
        return RaiseFinding(kHardLimitBase - index, kHardLimitBase, row.name, values, 3);
    }
    const double values[] = {x, row.softMin, row.softMax};
    return RaiseFinding(kSoftLimitBase + index, kSoftLimitBase, row.name, values, 3);
}

// -(5100+i) for a required parameter absent, +(5100+i) for a not-required
// one given; the message names the parameter.
[[gnu::cold, gnu::noinline]] std::int32_t PresenceFinding(std::int32_t base, int index) noexcept {
    const std::int32_t status = base < 0 ? base - index : base + index;
    return RaiseFinding(status, base, kParameterLimitTable[index].name, nullptr, 0);
}

// Hard limits first; a value outside them is not compared with the soft ones.
// Both comparisons are strict, so each limit lies inside, and NaN passes.
// index: a double parameter's row.
[[gnu::always_inline]] inline std::int32_t CompareWithLimits(int index, double x) noexcept {
    const ParameterLimit& row = kParameterLimitTable[index];
    if (x < row.hardMin || x > row.hardMax) [[unlikely]] return LimitFinding(index, x, true);
    if (x < row.softMin || x > row.softMax) [[unlikely]] return LimitFinding(index, x, false);
    return 0;
}

// A double parameter under its property code (index in range, not Specific).
[[gnu::always_inline]] inline std::int32_t CheckDouble(int index, std::int32_t code,
                                                        const double* value) noexcept {
    const bool absent = *value == kNoValueDouble;
    switch (code) {
        case KAM_PROPERTY_REQUIRED:
            if (absent) [[unlikely]] return PresenceFinding(kRequiredMissingBase, index);
            return CompareWithLimits(index, *value);
        case KAM_PROPERTY_OPTIONAL:
            return absent ? 0 : CompareWithLimits(index, *value);
        case KAM_PROPERTY_NOT_REQUIRED:
            // Given where the pattern does not use it: a warning, and the
            // value is not compared with its limits.
            return absent ? 0 : PresenceFinding(kNotRequiredGivenBase, index);
        default:
            return KAM_E_UNKNOWN_PROPERTY;
    }
}

// Specific has no limits: only its presence counts. Never dereferenced.
[[gnu::always_inline]] inline std::int32_t CheckSpecific(std::int32_t code,
                                                          const void* specific) noexcept {
    const bool absent = IsNoValueStruct(specific);
    switch (code) {
        case KAM_PROPERTY_REQUIRED:
            return absent ? PresenceFinding(kRequiredMissingBase, kParamSpecific) : 0;
        case KAM_PROPERTY_OPTIONAL:
            return 0;
        case KAM_PROPERTY_NOT_REQUIRED:
            return absent ? 0 : PresenceFinding(kNotRequiredGivenBase, kParamSpecific);
        default:
            return KAM_E_UNKNOWN_PROPERTY;
    }
}

}  // namespace

bool IsNoValue(int index, ParamRef reference) noexcept {
    if (index == kParamSpecific) return IsNoValueStruct(reference);
    if (!ValidIndex(index) || reference == nullptr) return false;
    return *AsDouble(reference) == kNoValueDouble;
}

std::int32_t CheckLimits(int index, ParamRef reference) noexcept {
    if (!ValidIndex(index)) return KAM_E_INTERNAL;
    if (index == kParamSpecific) return 0;
    if (reference == nullptr) return KAM_E_INTERNAL;
    return CompareWithLimits(index, *AsDouble(reference));
}

std::int32_t CheckParameter(int index, const std::int32_t* properties,
                            ParamRef reference) noexcept {
    if (!ValidIndex(index) || properties == nullptr) return KAM_E_INTERNAL;
    if (index == kParamSpecific) return CheckSpecific(properties[index], reference);
    if (reference == nullptr) return KAM_E_INTERNAL;
    return CheckDouble(index, properties[index], AsDouble(reference));
}

std::int32_t CheckEarthParameters(const std::int32_t* properties, const double* gainMax,
                                  const double* diameter, const double* frequency,
                                  const double* efficiency, const void* specific) noexcept {
    std::int32_t result = 0;
    if (CombineStatus(CheckDouble(kParamGainMax, properties[kParamGainMax], gainMax), result) ||
        CombineStatus(CheckDouble(kParamDiameter, properties[kParamDiameter], diameter), result) ||
        CombineStatus(CheckDouble(kParamFrequency, properties[kParamFrequency], frequency),
                      result) ||
        CombineStatus(CheckDouble(kParamEfficiency, properties[kParamEfficiency], efficiency),
                      result)) {
        return result;
    }
    CombineStatus(CheckSpecific(properties[kParamSpecific], specific), result);
    return result;
}

std::int32_t CheckSpaceParameters(const std::int32_t* properties, const double* gainMax,
                                  const double* beamlet, const void* specific) noexcept {
    std::int32_t result = 0;
    if (CombineStatus(CheckDouble(kParamGainMax, properties[kParamGainMax], gainMax), result) ||
        CombineStatus(CheckDouble(kParamBeamlet, properties[kParamBeamlet], beamlet), result)) {
        return result;
    }
    CombineStatus(CheckSpecific(properties[kParamSpecific], specific), result);
    return result;
}

std::int32_t CheckAngles(const std::int32_t* properties, const double* phi,
                         const double* phi0) noexcept {
    std::int32_t result = 0;
    if (CombineStatus(CheckDouble(kParamPhi, properties[kParamPhi], phi), result)) return result;
    CombineStatus(CheckDouble(kParamPhi0, properties[kParamPhi0], phi0), result);
    return result;
}

// Valid when -100 <= x < 0; NaN passes, the double NoValue fails. The message
// is the hard-limit one, printed with the bounds -100 and 0.
std::int32_t CheckGainRel(const double* gainRel) noexcept {
    if (gainRel == nullptr) return KAM_E_INTERNAL;
    const double x = *gainRel;
    if (x < kGainRelMin || x >= kGainRelMax) {
        const double values[] = {x, kGainRelMin, kGainRelMax};
        return RaiseFinding(KAM_E_GAINREL_RANGE, kHardLimitBase, kGainRelName, values, 3);
    }
    return 0;
}

float RoundToSingle(double x) noexcept {
    // Half an ulp above FLT_MAX: from here on, round to nearest gives infinity.
    // Converting such a double is undefined in C++, so it is done by hand.
    constexpr double kOverflowThreshold = 0x1.ffffffp127;
    if (x >= kOverflowThreshold) return std::numeric_limits<float>::infinity();
    if (x <= -kOverflowThreshold) return -std::numeric_limits<float>::infinity();
    // Through memory: where arithmetic runs on the x87 unit the conversion
    // could otherwise stay in an 80-bit register, unrounded.
    volatile float rounded = static_cast<float>(x);
    return rounded;
}

// The comparison is made in single precision (so every double that rounds to
// 180.0f passes, and every one that rounds to -0.0f); the message prints the
// double as it came. A negative angle or NaN is no contour angle either.
std::int32_t CheckOutputAngle(double x, std::int32_t status) noexcept {
    const float rounded = RoundToSingle(x);
    if (rounded >= 0.0f && rounded <= static_cast<float>(kOutputAngleMax)) return 0;
    if (EventLogOn()) {
        char text[kMessageSize];
        const char* format = rounded > static_cast<float>(kOutputAngleMax)
                                 ? OutputFormat(status)
                                 : OutputNoAngleFormat(status);
        FormatMessage(format, nullptr, &x, 1, text, sizeof text);
        QueueEvent(status, text);
    }
    return status;
}

std::int32_t CheckContourOutput(const double* outPhi, const double* outPhiX) noexcept {
    if (g_state.contourValid == 0) return 0;
    if (outPhi == nullptr) return KAM_E_INTERNAL;
    if (outPhiX == nullptr) return KAM_E_INTERNAL_2;
    if (*outPhi != kNoValueDouble) {
        const std::int32_t status = CheckOutputAngle(*outPhi, KAM_E_OUTPUT_PHI);
        if (status < 0) return status;
    }
    if (*outPhiX != kNoValueDouble) {
        const std::int32_t status = CheckOutputAngle(*outPhiX, KAM_E_OUTPUT_PHIX);
        if (status < 0) return status;
    }
    return 0;
}

}  // namespace kam
