// Pattern 028: the far field of a uniformly illuminated circular aperture
// (earth), 2 J1(u)/u with u = pi D/lambda sin(phi), never below -100 dB.
#include <cmath>

#include "array_path.h"
#include "earth_b.h"

namespace kamstd {
namespace {

constexpr const char* kName = "AIRYE_028_V1";

struct Inputs {
    double d, efficiency;
};

// Diameter and Frequency needed, Efficiency optional (1 when absent); all
// finite. Fills in d and the efficiency.
std::int32_t ReadInputs(double diameter, double frequency, double efficiency, Inputs& in) {
    std::int32_t s = NeedValue(kName, "Diameter", diameter);
    if (s == 0) s = NeedValue(kName, "Frequency", frequency);
    if (s == 0) s = OptionalValue(kName, "Efficiency", efficiency);
    if (s != 0) return s;
    in.d = DOverLambda(diameter, frequency);
    in.efficiency = IsAbsent(efficiency) ? 1.0 : efficiency;
    return 0;
}

std::int32_t CheckDomain(const Inputs& in) {
    if (const std::int32_t s = CheckDOverLambda(kName, in.d)) return s;
    if (!(in.efficiency > 0.0 && in.efficiency <= 1.0))
        return Report(kOutOfDomain, "%s: Efficiency %g is outside (0, 1].", kName, in.efficiency);
    return 0;
}

KAM_Status KAM_CALL ValidateInput(double*, double* diameter, double* frequency, double* efficiency,
                                  void*) {
    Inputs in{};
    if (const std::int32_t s = ReadInputs(Read(diameter), Read(frequency), Read(efficiency), in))
        return s;
    return CheckDomain(in);
}

// gain: G = G(eta) + Rel; GainMax is not used; GainX NoValue. The domain is
// checked while GainValid is on.
struct Body {
    template <class Angles>
    static KAM_Status Gain(double*, double* diameter, double* frequency, double* efficiency,
                           void*, const Angles& angles) {
        Inputs in{};
        const std::int32_t read =
            ReadInputs(Read(diameter), Read(frequency), Read(efficiency), in);
        const double peak = read == 0 ? ApertureGain(in.efficiency, in.d) : 0.0;
        const double piD = kPi * in.d;
        Once domain([&] { return GainValid() ? CheckDomain(in) : 0; });
        return angles([&](double* phiIn, double*, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kName, "Phi", phi);
            if (s == 0) s = domain();
            if (s != 0) return Fail(s, gain, gainX);
            const double p = FoldAngle(phi);
            const double u = p <= 90.0 ? piD * std::sin(p * kDegree) : piD;
            return Deliver(kName, phi, peak + RelativeLevel(Airy(u)), gain, gainX);
        });
    }
};

}  // namespace

const PatternDef kAiryEarth028 = {kName,
                                  "Uniform circular aperture",
                                  28,
                                  KAM_PATTERN_EARTH,
                                  {N, N, R, R, O, N, R, N},
                                  nullptr,
                                  0,
                                  {.earth = &ValidateInput},
                                  {},
                                  {.earth = &EarthGainSlot<Body>},
                                  {},
                                  EarthArrays<Body>()};

}  // namespace kamstd
