// The simple space patterns: 110, a parabolic main lobe with a floor (Phi0 is
// the FULL half-power beamwidth; field floor, dB relative to GainMax), and
// 111, the isotropic antenna.
#include <cmath>

#include "array_path.h"
#include "space.h"

namespace kamstd {
namespace {

constexpr const char* kParabola = "PARAB_110_V1";
constexpr const char* kIsotropic = "ISOTR_111_V1";

constexpr FieldDef kFloorField[] = {{"floor", "dB", -30.0, -100.0, -3.0, false}};

KAM_Status KAM_CALL ParabolaValidateInput(double* gainMax, double*, void* specific) {
    if (std::int32_t s = OptionalValue(kParabola, "GainMax", gainMax)) return s;
    double floor;
    return LoadFields(kParabola110, specific, &floor, true);
}

KAM_Status KAM_CALL ParabolaValidateAll(double*, double*, void*, double*, double* phi0) {
    return OptionalPhi0(kParabola, phi0);
}

struct ParabolaBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void* specific, const Angles& angles) {
        double floor = 0.0;
        std::int32_t read = NeedValue(kParabola, "GainMax", gainMax);
        if (read == 0) read = LoadFields(kParabola110, specific, &floor, GainValid());
        return angles([&](double* phi, double* phi0, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kParabola, "Phi", phi);
            if (s == 0) s = NeedPhi0(kParabola, phi0);
            if (s != 0) return Fail(s, gain, gainX);
            const double p = FoldAngle(*phi);
            const double t = p / *phi0;
            return Deliver(kParabola, p, *gainMax + MaxOf(-12.0 * t * t, floor), gain, gainX);
        });
    }

    // The parabola's angle for L down to the floor (the floor's start at L =
    // floor); below the floor no contour exists.
    template <class Levels>
    static KAM_Status Contour(double*, void* specific, const Levels& levels) {
        double floor = 0.0;
        Once fields([&] { return LoadFields(kParabola110, specific, &floor, GainValid()); });
        return levels([&](double* gainRel, double* phi0, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(kParabola, "GainRel", gainRel);
            if (s == 0) s = fields();
            if (s == 0) s = NeedPhi0(kParabola, phi0);
            if (s == 0) s = ContourLevel(kParabola, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            if (!(level >= floor)) return NotReached(kParabola, level, floor);
            return DeliverAngle(kParabola, level, *phi0 * std::sqrt(-level / 12.0), phi);
        });
    }
};

struct IsotropicBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void*, const Angles& angles) {
        const std::int32_t read = NeedValue(kIsotropic, "GainMax", gainMax);
        return angles([&](double* phi, double*, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s == 0) s = OptionalValue(kIsotropic, "Phi", phi);
            if (s != 0) return Fail(s, gain, gainX);
            return Deliver(kIsotropic, Given(phi) ? *phi : 0.0, *gainMax, gain, gainX);
        });
    }

    // The pattern is 0 dB at every angle: no level below 0 is ever reached
    // (the level 0 itself is met at boresight, as for every pattern).
    template <class Levels>
    static KAM_Status Contour(double*, void*, const Levels& levels) {
        return levels([&](double* gainRel, double*, double* phi, double*) -> KAM_Status {
            if (std::int32_t s = NeedValue(kIsotropic, "GainRel", gainRel)) return s;
            if (std::int32_t s = ContourLevel(kIsotropic, *gainRel, phi)) return s < 0 ? s : 0;
            return Report(kLevelNotReached,
                          "%s: the pattern is 0 dB at every angle; the contour level %g dB is "
                          "never reached.",
                          kIsotropic, *gainRel);
        });
    }
};

}  // namespace

const PatternDef kParabola110 = {
    kParabola, "Parabolic main lobe with a floor", 110, KAM_PATTERN_SPACE,
    {O, N, N, N, N, O, R, R}, kFloorField, 1, {.space = &ParabolaValidateInput},
    {.space = &ParabolaValidateAll}, {.space = &SpaceGainSlot<ParabolaBody>},
    {.space = &ContourSlot<ParabolaBody>}, SpaceArrays<ParabolaBody, &ParabolaValidateAll>()};

const PatternDef kIsotropic111 = {
    kIsotropic, "Isotropic space station antenna", 111, KAM_PATTERN_SPACE,
    {O, N, N, N, N, N, O, N}, nullptr, 0, {.space = nullptr}, {.space = nullptr},
    {.space = &SpaceGainSlot<IsotropicBody>}, {.space = &ContourSlot<IsotropicBody>},
    SpaceArrays<IsotropicBody>()};

}  // namespace kamstd
