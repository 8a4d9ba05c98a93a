// NGSO space station pattern 108, the low-orbit variant: a parabolic main
// lobe to Y = 1.5 psi_b, a side-lobe law from LS = -6.75 dB, and a floor of
// LF = 5 dBi. Phi0 is psi_b, half the 3 dB beamwidth.
#include <cmath>

#include "array_path.h"
#include "space.h"

namespace kamstd {
namespace {

constexpr const char* kName = "NGLEO_108_V1";
constexpr double kLs = -6.75;   // dB, the main lobe's level at Y
constexpr double kFloor = 5.0;  // LF, dBi
constexpr double kY = 1.5;      // end of the main lobe, in psi_b

KAM_Status KAM_CALL ValidateAll(double*, double*, void*, double*, double* phi0) {
    return OptionalPhi0(kName, phi0);
}

struct Body {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void*, const Angles& angles) {
        const std::int32_t read = NeedValue(kName, "GainMax", gainMax);
        // z / y, the side-lobe law's reach in units of Y.
        const double reach = read == 0 ? std::pow(10.0, 0.04 * (*gainMax + kLs - kFloor)) : 0.0;
        return angles([&](double* phi, double* phi0, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kName, "Phi", phi);
            if (s == 0) s = NeedPhi0(kName, phi0);
            if (s != 0) return Fail(s, gain, gainX);
            const double psi = FoldAngle(*phi);
            const double psib = *phi0;
            const double y = kY * psib;
            const double z = y * reach;
            double g;
            if (psi <= y)
                g = *gainMax - 3.0 * (psi / psib) * (psi / psib);
            else if (psi <= z)
                g = *gainMax + kLs - 25.0 * Log10(psi / y);
            else
                g = kFloor;
            return Deliver(kName, psi, g, gain, gainX);
        });
    }

    // First angle at which Rel <= L, without the floor (it depends on GainMax).
    template <class Levels>
    static KAM_Status Contour(double*, void*, const Levels& levels) {
        return levels([&](double* gainRel, double* phi0, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(kName, "GainRel", gainRel);
            if (s == 0) s = NeedPhi0(kName, phi0);
            if (s == 0) s = ContourLevel(kName, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            const double psib = *phi0;
            const double angle = level >= kLs ? psib * std::sqrt(-level / 3.0)
                                              : kY * psib * std::pow(10.0, (kLs - level) / 25.0);
            return DeliverAngle(kName, level, angle, phi);
        });
    }
};

}  // namespace

const PatternDef kLeo108 = {kName, "NGSO space station, low-orbit variant", 108,
                            KAM_PATTERN_SPACE, {O, N, N, N, N, N, R, R}, nullptr, 0,
                            {.space = nullptr}, {.space = &ValidateAll},
                            {.space = &SpaceGainSlot<Body>}, {.space = &ContourSlot<Body>},
                            SpaceArrays<Body, &ValidateAll>()};

}  // namespace kamstd
