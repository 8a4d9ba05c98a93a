// GSO FSS space station patterns 101 to 103: single-feed circular beam with
// near side lobes LS = -20, -25 and -30 dB. Phi0 is psi0, half the 3 dB
// beamwidth.
#include <cmath>

#include "array_path.h"
#include "space.h"

namespace kamstd {
namespace {

constexpr double kFloor = 0.0;          // LF, dBi
constexpr double kLowestMargin = 0.018;  // GainMax + LS must reach it

struct GsoConstants {
    const PatternDef* def;
    double ls;  // near side-lobe level, dB
    double a;   // end of the main lobe, in psi0
    double b;   // end of the side-lobe plateau, in psi0
};

// One row per pattern, in catalogue order.
constexpr GsoConstants kGso[] = {
    {&kGso101, -20.0, 2.58, 6.32},
    {&kGso102, -25.0, 2.88, 6.32},
    {&kGso103, -30.0, 3.16, 6.32},
};

// GainMax + LS >= 0.018 (-6002 otherwise).
std::int32_t CheckGain(const GsoConstants& c, double gainMax) {
    if (gainMax + c.ls >= kLowestMargin) return 0;
    return Report(kOutOfDomain,
                  "%s: GainMax + LS = %g + (%g) = %g is below %g, the lowest this pattern is "
                  "defined for.",
                  c.def->name, gainMax, c.ls, gainMax + c.ls, kLowestMargin);
}

std::int32_t ValidateInput(const GsoConstants& c, double* gainMax) {
    if (std::int32_t s = OptionalValue(c.def->name, "GainMax", gainMax)) return s;
    return Given(gainMax) ? CheckGain(c, *gainMax) : 0;
}

std::int32_t ValidateAll(const GsoConstants& c, double* phi0) {
    return OptionalPhi0(c.def->name, phi0);
}

// G(psi) in dBi; segments in order, the first match wins. rise is
// 10^((GainMax + LS + 20 - LF) / 25), psi1 / psi0.
double GsoGain(const GsoConstants& c, double gainMax, double rise, double psi, double psi0) {
    const double psi1 = psi0 * rise;
    if (psi <= c.a * psi0) return gainMax - 3.0 * (psi / psi0) * (psi / psi0);
    if (psi <= c.b * psi0) return gainMax + c.ls;
    if (psi <= psi1) return gainMax + c.ls + 20.0 - 25.0 * Log10(psi / psi0);
    return kFloor;
}

template <int I>
struct Body {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void*, const Angles& angles) {
        const GsoConstants& c = kGso[I];
        const char* name = c.def->name;
        const std::int32_t read = NeedValue(name, "GainMax", gainMax);
        const double rise =
            read == 0 ? std::pow(10.0, (*gainMax + c.ls + 20.0 - kFloor) / 25.0) : 0.0;
        Once checkGain([&] { return GainValid() ? CheckGain(c, *gainMax) : 0; });
        return angles([&](double* phi, double* phi0, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s == 0) s = NeedValue(name, "Phi", phi);
            if (s == 0) s = NeedValue(name, "Phi0", phi0);
            if (s == 0) s = checkGain();
            if (s == 0) s = PositivePhi0(name, *phi0);
            if (s != 0) return Fail(s, gain, gainX);
            const double psi = FoldAngle(*phi);
            return Deliver(name, psi, GsoGain(c, *gainMax, rise, psi, *phi0), gain, gainX);
        });
    }

    // First angle at which Rel <= L, without the floor (it depends on GainMax).
    template <class Levels>
    static KAM_Status Contour(double*, void*, const Levels& levels) {
        const GsoConstants& c = kGso[I];
        const char* name = c.def->name;
        return levels([&](double* gainRel, double* phi0, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(name, "GainRel", gainRel);
            if (s == 0) s = NeedPhi0(name, phi0);
            if (s == 0) s = ContourLevel(name, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            const double psi0 = *phi0;
            double angle;
            if (level >= -3.0 * c.a * c.a)
                angle = psi0 * std::sqrt(-level / 3.0);
            else if (level >= c.ls)
                angle = c.a * psi0;
            else
                angle = MaxOf(c.b * psi0, psi0 * std::pow(10.0, (c.ls + 20.0 - level) / 25.0));
            return DeliverAngle(name, level, angle, phi);
        });
    }
};

template <int I>
KAM_Status KAM_CALL ValidateInputSlot(double* gainMax, double*, void*) {
    return ValidateInput(kGso[I], gainMax);
}
template <int I>
KAM_Status KAM_CALL ValidateAllSlot(double*, double*, void*, double*, double* phi0) {
    return ValidateAll(kGso[I], phi0);
}

template <int I>
constexpr PatternDef GsoDef(const char* name, const char* title, std::int32_t number) {
    return {name, title, number, KAM_PATTERN_SPACE, {O, N, N, N, N, N, R, R}, nullptr, 0,
            {.space = &ValidateInputSlot<I>}, {.space = &ValidateAllSlot<I>},
            {.space = &SpaceGainSlot<Body<I>>}, {.space = &ContourSlot<Body<I>>},
            SpaceArrays<Body<I>, &ValidateAllSlot<I>>()};
}

}  // namespace

const PatternDef kGso101 =
    GsoDef<0>("GSOSS_101_V1", "GSO FSS space station, circular beam, LS -20 dB", 101);
const PatternDef kGso102 =
    GsoDef<1>("GSOSS_102_V1", "GSO FSS space station, circular beam, LS -25 dB", 102);
const PatternDef kGso103 =
    GsoDef<2>("GSOSS_103_V1", "GSO FSS space station, circular beam, LS -30 dB", 103);

}  // namespace kamstd
