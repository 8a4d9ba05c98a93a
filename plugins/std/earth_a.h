// Pieces shared by the earth patterns 001 to 014: how a call's numbers are
// checked and turned into D/lambda, the main-lobe model and the envelopes
// more than one family uses, and the pattern records the families define.
#pragma once

#include <cmath>
#include <cstdint>

#include "array_path.h"
#include "piecewise.h"
#include "std.h"

namespace kamstd {

// Pattern records of group A, one per catalogue entry.
extern const PatternDef kFssReference001, kFssReferenceMainLobe002, kFssObjective003,
    kFssObjectiveMainLobe004, kGsoCoordination005, kNgsoEpfd006, kFssAsymmetric007;
extern const PatternDef kFixedPeak008, kFixedAverage009;
extern const PatternDef kSpaceResearch010, kRadioAstronomy011, kBssReceive012;
extern const PatternDef kIsotropic013, kParabola014;

namespace eartha {

// How much a call checks. Validation runs every check and alone reports the
// warnings (+6003, +6008); a gain call with GainValid on repeats the errors;
// with GainValid off it keeps only what computing needs (inputs absent or not
// finite, D/lambda not a positive finite number, an undefined main lobe).
enum class Mode { kValidate, kGainChecked, kGainFree };
inline Mode GainMode() { return GainValid() ? Mode::kGainChecked : Mode::kGainFree; }

// A frequency band in MHz, both ends inside; {0, 0} stands for no band.
struct Band {
    double lowMHz;
    double highMHz;
};
constexpr Band kAnyBand = {0.0, 0.0};

// Where a pattern takes D/lambda from.
enum class DSource {
    kApertureOrGain,  // Diameter and Frequency, else GainMax; +6008 when only one is given
    kDiameterOrGain,  // Diameter with Frequency (always needed), else GainMax, no warning
    kAperture,        // Diameter and Frequency, both needed
};

// What a pattern takes and where it holds. The bounds are D/lambda values;
// 0 means no bound.
struct Domain {
    DSource source;
    bool takesGainMax;
    double dDefinedMin;      // below: -6002
    double dRecommendedMin;  // below: +6003
    Band defined;            // Frequency outside: -6002
    Band recommended;        // Frequency outside: +6003
};

// The numbers of one call once the checks have passed.
struct Call {
    double gainMax;    // dBi; NoValue when the pattern does not take it
    double diameter;   // m; NoValue when absent
    double frequency;  // MHz; NoValue when absent
    double d;          // D/lambda, set by Derive
};

// Checks GainMax, Diameter and Frequency as the domain needs them (in that
// order: -6001, -6011). Leaves D/lambda for Derive.
std::int32_t ReadInputs(const char* pattern, const Domain& domain, const double* gainMax,
                        const double* diameter, const double* frequency, Call& call);

// Derives D/lambda and runs the domain checks the mode asks for: +6008
// (kValidate only) when it is estimated from GainMax with only one of
// Diameter and Frequency given;
// -6002 for a D/lambda that is not a positive finite number (every mode);
// -6002 outside the defined band or below the defined D/lambda (not with
// kGainFree); +6003 outside the recommended band or D/lambda (kValidate
// only). Returns the first error, else the latest warning, else 0; each
// status is reported once.
std::int32_t Derive(const char* pattern, const Domain& domain, Mode mode, Call& call);

// Both steps in one: the inputs, then D/lambda and the domain.
std::int32_t Prepare(const char* pattern, const Domain& domain, Mode mode, const double* gainMax,
                     const double* diameter, const double* frequency, Call& call);

// The main-lobe model ML(phi) = GainMax - 2.5e-3 (d phi)^2 up to
// phim = (20/d) sqrt(GainMax - G1).
struct MainLobe {
    double gainMax;
    double d;
    double g1;
    double phim;
    double operator()(double p) const {
        const double x = d * p;
        return gainMax - 2.5e-3 * x * x;
    }
};

// Builds the main lobe for GainMax against G1: -6004 (reported, every mode)
// when GainMax < G1, since phim is then undefined; label names the maximum
// ("GainMax", or "Gmax" where the pattern computes it).
std::int32_t MakeMainLobe(const char* pattern, const char* label, double gainMax, double d,
                          double g1, MainLobe& lobe);

// Envelope of 005 (and 008 from 1 GHz up) once phi has left the main lobe:
// large selects the branch for big antennas (phir = 15.85 d^-0.6). What
// depends on d alone is computed once, by MakeCoordination.
struct Coordination {
    MainLobe lobe;
    double phir;  // end of the G1 plateau
    double near;  // near - 25 log phi up to 48 deg
    double far;   // beyond 48 deg
};
inline Coordination MakeCoordination(const MainLobe& lobe, bool large) {
    const double d = lobe.d;
    if (large) return {lobe, 15.85 * std::pow(d, -0.6), 32.0, -10.0};
    return {lobe, 100.0 / d, 52.0 - 10.0 * Log10(d), 10.0 - 10.0 * Log10(d)};
}
template <class Log>
inline double CoordinationGain(const Coordination& c, double p, Log log10) {
    if (p < c.lobe.phim) return c.lobe(p);
    if (p < c.phir) return c.lobe.g1;
    if (p < 48.0) return c.near - 25.0 * log10(p);
    return c.far;
}

// The main lobe and G1 up to phir, the start of the curves of 002, 004, 006
// and 011.
inline void AddMainLobe(Piecewise& curve, const MainLobe& lobe, double phir) {
    curve.Lobe(lobe.phim, lobe.gainMax, lobe.d);
    curve.Flat(phir, lobe.g1);
}

// Wide-angle envelope of 006 (d > 100) and 011 from phir on:
// 29 - 25 log phi below 10, 34 - 30 log phi below 34.1, then -12, -7, -12.
inline void AddWideAngleEnvelope(Piecewise& curve) {
    curve.Log(10.0, 29.0, 25.0);
    curve.Log(34.1, 34.0, 30.0);
    curve.Flat(80.0, -12.0);
    curve.Flat(120.0, -7.0);
    curve.Flat(Piecewise::kRest, -12.0);
}

// Phi of a gain call: -6001 / -6011 as NeedValue, else p = the folded off-axis angle.
inline std::int32_t OffAxis(const char* pattern, const double* phi, double& p) {
    const double x = Read(phi);
    const std::int32_t s = NeedValue(pattern, "Phi", x);
    p = s < 0 ? 0.0 : FoldAngle(x);
    return s;
}

}  // namespace eartha
}  // namespace kamstd
