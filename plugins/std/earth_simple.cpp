// The two earth patterns defined by GainMax alone: 013, isotropic, and 014, a
// parabolic main lobe -12 (phi/Phi0)^2 that stops at a floor.
#include "earth_a.h"

namespace kamstd {
namespace eartha {
namespace {

constexpr const char* kName013 = "ISOTR_013_V1";
constexpr const char* kName014 = "PARAB_014_V1";

// 014's structure: the floor relative to GainMax.
constexpr FieldDef kParabolaFields[] = {{"floor", "dB", -30.0, -100.0, -3.0, false}};

// ---- 013 -----------------------------------------------------------------

KAM_Status KAM_CALL Validate013(double* gainMax, double*, double*, double*, void*) {
    return NeedValue(kName013, "GainMax", Read(gainMax));
}

// gain: GainMax at every angle; Phi is not read.
struct Body013 {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, double*, double*, void*,
                           const Angles& angles) {
        const double g = Read(gainMax);
        const std::int32_t read = NeedValue(kName013, "GainMax", g);
        return angles([&](double*, double*, double* gain, double* gainX) -> KAM_Status {
            if (read < 0) return Fail(read, gain, gainX);
            return Deliver(kName013, 0.0, g, gain, gainX);
        });
    }
};

// ---- 014 -----------------------------------------------------------------

KAM_Status KAM_CALL Validate014(double* gainMax, double*, double*, double*, void* specific) {
    std::int32_t s = NeedValue(kName014, "GainMax", Read(gainMax));
    double floor = 0.0;
    if (s >= 0) s = LoadFields(kParabola014, specific, &floor, true);
    return s;
}

KAM_Status KAM_CALL ValidateAll014(double*, double*, double*, double*, void*, double* phi,
                                   double* phi0) {
    return NeedAngles(kName014, phi, phi0);
}

struct Body014 {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, double*, double*, void* specific,
                           const Angles& angles) {
        const double g = Read(gainMax);
        double floor = 0.0;
        std::int32_t read = NeedValue(kName014, "GainMax", g);
        if (read >= 0) read = LoadFields(kParabola014, specific, &floor, GainValid());
        return angles([&](double* phi, double* phi0, double* gain, double* gainX) -> KAM_Status {
            double p = 0.0;
            std::int32_t s = read;
            if (s >= 0) s = OffAxis(kName014, phi, p);
            if (s >= 0) s = NeedPhi0(kName014, phi0);
            if (s < 0) return Fail(s, gain, gainX);
            const double t = p / Read(phi0);
            return Deliver(kName014, p, g + MaxOf(-12.0 * t * t, floor), gain, gainX);
        });
    }
};

}  // namespace
}  // namespace eartha

using namespace eartha;

// Properties: GainMax, Beamlet, Diameter, Frequency, Efficiency, Specific, Phi, Phi0.
const PatternDef kIsotropic013 = {
    kName013, "Isotropic earth station antenna", 13, KAM_PATTERN_EARTH, {R, N, N, N, N, N, O, N},
    nullptr, 0, {&Validate013}, {nullptr}, {&EarthGainSlot<Body013>}, {nullptr},
    EarthArrays<Body013>()};
const PatternDef kParabola014 = {
    kName014, "Parabolic main lobe with a floor", 14, KAM_PATTERN_EARTH, {R, N, N, N, N, O, R, R},
    kParabolaFields, 1, {&Validate014}, {&ValidateAll014}, {&EarthGainSlot<Body014>}, {nullptr},
    EarthArrays<Body014, &ValidateAll014>()};

}  // namespace kamstd
