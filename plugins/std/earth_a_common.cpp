// Checks, D/lambda and the envelopes shared by the earth patterns 001 to 014.
#include <algorithm>
#include <cmath>

#include "earth_a.h"

namespace kamstd::eartha {

namespace {

bool HasBand(const Band& band) { return band.highMHz > band.lowMHz; }
bool Outside(const Band& band, double f) { return f < band.lowMHz || f > band.highMHz; }

}  // namespace

std::int32_t ReadInputs(const char* pattern, const Domain& domain, const double* gainMax,
                        const double* diameter, const double* frequency, Call& call) {
    call.gainMax = domain.takesGainMax ? Read(gainMax) : g_host.noValue;
    call.diameter = Read(diameter);
    call.frequency = Read(frequency);
    call.d = 0.0;
    std::int32_t s = domain.takesGainMax ? NeedValue(pattern, "GainMax", call.gainMax) : 0;
    if (s < 0) return s;
    const bool apertureOnly = domain.source == DSource::kAperture;
    s = apertureOnly ? NeedValue(pattern, "Diameter", call.diameter)
                     : OptionalValue(pattern, "Diameter", call.diameter);
    if (s < 0) return s;
    return domain.source == DSource::kApertureOrGain ? OptionalValue(pattern, "Frequency", call.frequency)
                                                      : NeedValue(pattern, "Frequency", call.frequency);
}

std::int32_t Derive(const char* pattern, const Domain& domain, Mode mode, Call& call) {
    std::int32_t result = 0;
    const bool haveD = !IsAbsent(call.diameter);
    const bool haveF = !IsAbsent(call.frequency);
    if (haveD && haveF) {
        call.d = DOverLambda(call.diameter, call.frequency);
    } else {
        call.d = DOverLambdaFromGain(call.gainMax);
        if (mode == Mode::kValidate && domain.source == DSource::kApertureOrGain &&
            (haveD || haveF))
            result = EstimatedFromGain(pattern, call.diameter, call.frequency, call.d,
                                       call.gainMax);
    }
    if (const std::int32_t s = CheckDOverLambda(pattern, call.d)) return s;
    if (mode == Mode::kGainFree) return result;
    if (haveF && HasBand(domain.defined) && Outside(domain.defined, call.frequency))
        return Report(kOutOfDomain,
                      "%s: Frequency %g MHz is outside %g to %g MHz, where this pattern is "
                      "defined.",
                      pattern, call.frequency, domain.defined.lowMHz, domain.defined.highMHz);
    if (call.d < domain.dDefinedMin)
        return Report(kOutOfDomain,
                      "%s: D/lambda %g is below %g, the lowest this pattern is defined for.",
                      pattern, call.d, domain.dDefinedMin);
    if (mode != Mode::kValidate) return result;
    if (haveF && HasBand(domain.recommended) && Outside(domain.recommended, call.frequency))
        result = Report(kNotRecommended,
                        "%s: Frequency %g MHz is outside %g to %g MHz, the band this pattern is "
                        "recommended for; computed anyway.",
                        pattern, call.frequency, domain.recommended.lowMHz,
                        domain.recommended.highMHz);
    if (call.d < domain.dRecommendedMin)
        result = Report(kNotRecommended,
                        "%s: D/lambda %g is below %g, the lowest this pattern is recommended for; "
                        "computed anyway.",
                        pattern, call.d, domain.dRecommendedMin);
    return result;
}

std::int32_t Prepare(const char* pattern, const Domain& domain, Mode mode, const double* gainMax,
                     const double* diameter, const double* frequency, Call& call) {
    const std::int32_t s = ReadInputs(pattern, domain, gainMax, diameter, frequency, call);
    return s < 0 ? s : Derive(pattern, domain, mode, call);
}

std::int32_t MakeMainLobe(const char* pattern, const char* label, double gainMax, double d,
                          double g1, MainLobe& lobe) {
    lobe = {gainMax, d, g1, 0.0};
    if (gainMax < g1) return BelowG1(pattern, label, gainMax, g1, d);
    lobe.phim = (20.0 / d) * std::sqrt(gainMax - g1);
    return 0;
}

}  // namespace kamstd::eartha
