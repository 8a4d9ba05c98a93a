// Fixed-service point-to-point antennas, 008 (peak side-lobe envelope) and
// 009 (average side-lobe level). Frequency is always needed (it selects the
// branch of 008 and bounds both); without Diameter, D/lambda comes from
// GainMax, which is the normal use of these patterns and draws no warning.
#include <cmath>

#include "earth_a.h"

namespace kamstd {
namespace eartha {
namespace {

// ---- Constants of the family -------------------------------------------

constexpr Band kPeakBand = {100.0, 70000.0};      // 008 defined
constexpr Band kAverageBand = {1000.0, 70000.0};  // 009 defined
constexpr double kPeakLowBandTopMHz = 1000.0;     // 008: below it, the VHF/UHF branch
constexpr double kPeakLowBandMinD = 0.63;         // 008 VHF/UHF branch: d above it
constexpr double kLargeD = 100.0;                 // 008, 009: d above it, the large branch

constexpr Domain kPeakDomain = {DSource::kDiameterOrGain, true, 0.0, 0.0, kPeakBand, kAnyBand};
constexpr Domain kAverageDomain = {DSource::kDiameterOrGain, true, 0.0, 0.0, kAverageBand,
                                   kAnyBand};

constexpr const char* kName008 = "FSPKE_008_V1";
constexpr const char* kName009 = "FSAVG_009_V1";

double G1(double d) { return 2.0 + 15.0 * Log10(d); }

// ---- 008 -----------------------------------------------------------------

double Curve008(const MainLobe& lobe, double frequency, double p) {
    const double d = lobe.d;
    if (frequency >= kPeakLowBandTopMHz) return CoordinationGain(lobe, d > kLargeD, p);
    if (p < lobe.phim) return lobe(p);
    if (p < 100.0 / d) return lobe.g1;
    if (p < 144.5 * std::pow(d, -0.2)) return 52.0 - 10.0 * Log10(d) - 25.0 * Log10(p);
    return -2.0 - 5.0 * Log10(d);
}

// Inputs, D/lambda, domain, the VHF/UHF branch's bound on d, then G1.
std::int32_t Prepare008(Mode mode, double* gainMax, double* diameter, double* frequency,
                        const double* phi, double* p, MainLobe& lobe) {
    Call call;
    std::int32_t s = ReadInputs(kName008, kPeakDomain, gainMax, diameter, frequency, call);
    if (s >= 0 && p != nullptr) s = OffAxis(kName008, phi, *p);
    if (s >= 0) s = Derive(kName008, kPeakDomain, mode, call);
    if (s < 0) return s;
    if (mode != Mode::kGainFree && call.frequency < kPeakLowBandTopMHz &&
        !(call.d > kPeakLowBandMinD))
        return Report(kOutOfDomain,
                      "%s: D/lambda %g is not above %g, the lowest this pattern is defined for "
                      "below %g MHz.",
                      kName008, call.d, kPeakLowBandMinD, kPeakLowBandTopMHz);
    const std::int32_t m =
        MakeMainLobe(kName008, "GainMax", call.gainMax, call.d, G1(call.d), lobe);
    return m < 0 ? m : s;
}

KAM_Status KAM_CALL Validate008(double* gainMax, double* diameter, double* frequency, double*,
                                void*) {
    MainLobe lobe;
    return Prepare008(Mode::kValidate, gainMax, diameter, frequency, nullptr, nullptr, lobe);
}

KAM_Status KAM_CALL Gain008(double* gainMax, double* diameter, double* frequency, double*, void*,
                            double* phi, double*, double* gain, double* gainX) {
    MainLobe lobe;
    double p = 0.0;
    const std::int32_t s = Prepare008(GainMode(), gainMax, diameter, frequency, phi, &p, lobe);
    if (s < 0) return Fail(s, gain, gainX);
    return Deliver(kName008, p, Curve008(lobe, Read(frequency), p), gain, gainX);
}

// ---- 009 -----------------------------------------------------------------

double Curve009(const MainLobe& lobe, double p) {
    const double d = lobe.d;
    if (d > kLargeD) {
        if (p < lobe.phim) return lobe(p);
        if (p < 12.02 * std::pow(d, -0.6)) return lobe.g1;  // below max(phim, phir)
        if (p < 48.0) return 29.0 - 25.0 * Log10(p);
        return -13.0;
    }
    // When GainMax equals G1, phim is 0 and the side-lobe term would be
    // infinite at boresight; there the main lobe's own value, GainMax, holds.
    if (p < lobe.phim || p <= 0.0) return lobe(p);
    if (p < 48.0) return 39.0 - 5.0 * Log10(d) - 25.0 * Log10(p);
    return -3.0 - 5.0 * Log10(d);
}

std::int32_t Prepare009(Mode mode, double* gainMax, double* diameter, double* frequency,
                        const double* phi, double* p, MainLobe& lobe) {
    Call call;
    std::int32_t s = ReadInputs(kName009, kAverageDomain, gainMax, diameter, frequency, call);
    if (s >= 0 && p != nullptr) s = OffAxis(kName009, phi, *p);
    if (s >= 0) s = Derive(kName009, kAverageDomain, mode, call);
    if (s < 0) return s;
    const std::int32_t m =
        MakeMainLobe(kName009, "GainMax", call.gainMax, call.d, G1(call.d), lobe);
    return m < 0 ? m : s;
}

KAM_Status KAM_CALL Validate009(double* gainMax, double* diameter, double* frequency, double*,
                                void*) {
    MainLobe lobe;
    return Prepare009(Mode::kValidate, gainMax, diameter, frequency, nullptr, nullptr, lobe);
}

KAM_Status KAM_CALL Gain009(double* gainMax, double* diameter, double* frequency, double*, void*,
                            double* phi, double*, double* gain, double* gainX) {
    MainLobe lobe;
    double p = 0.0;
    const std::int32_t s = Prepare009(GainMode(), gainMax, diameter, frequency, phi, &p, lobe);
    if (s < 0) return Fail(s, gain, gainX);
    return Deliver(kName009, p, Curve009(lobe, p), gain, gainX);
}

}  // namespace
}  // namespace eartha

using namespace eartha;

// Properties: GainMax, Beamlet, Diameter, Frequency, Efficiency, Specific, Phi, Phi0.
const PatternDef kFixedPeak008 = {
    kName008, "Fixed-service point-to-point antenna, peak envelope", 8, KAM_PATTERN_EARTH,
    {R, N, O, R, N, N, R, N}, nullptr, 0, {&Validate008}, {nullptr}, {&Gain008}, {nullptr}};
const PatternDef kFixedAverage009 = {
    kName009, "Fixed-service point-to-point antenna, average side lobes", 9, KAM_PATTERN_EARTH,
    {R, N, O, R, N, N, R, N}, nullptr, 0, {&Validate009}, {nullptr}, {&Gain009}, {nullptr}};

}  // namespace kamstd
