// Space station pattern 109 with a fast roll-off in the main beam. Phi0 is
// phi0, the FULL half-power beamwidth in the direction of interest; Beamlet
// is Bmin, the minimum beamwidth (0.6 when absent), and Phi0 >= Bmin.
#include <cmath>

#include "array_path.h"
#include "space.h"

namespace kamstd {
namespace {

constexpr const char* kName = "FROFF_109_V1";
constexpr double kDefaultBmin = 0.6;   // deg
constexpr double kPlateau = -25.23;    // dB, -12 * 1.45^2
constexpr double kPlateauEnd = 1.45;   // in phi0

// Bmin, from Beamlet: 0 with *bmin set, or -6011 (NaN or infinite Beamlet).
std::int32_t LoadBmin(double* beamlet, double* bmin) {
    if (std::int32_t s = OptionalValue(kName, "Beamlet", beamlet)) return s;
    *bmin = Given(beamlet) ? *beamlet : kDefaultBmin;
    return 0;
}

// Bmin > 0 (-6002 otherwise): beta divides by it.
std::int32_t CheckBmin(double bmin) {
    if (bmin > 0.0) return 0;
    return Report(kOutOfDomain, "%s: Beamlet %g is not above 0; the pattern needs a positive "
                                "minimum beamwidth.", kName, bmin);
}

// Phi0 >= Bmin (-6006 otherwise).
std::int32_t CheckPhi0(double phi0, double bmin) {
    if (phi0 >= bmin) return 0;
    return Report(kPhi0BelowBeamlet, "%s: Phi0 %g is smaller than Beamlet (Bmin) %g.", kName,
                  phi0, bmin);
}

KAM_Status KAM_CALL ValidateInput(double* gainMax, double* beamlet, void*) {
    double bmin;
    if (std::int32_t s = OptionalValue(kName, "GainMax", gainMax)) return s;
    if (std::int32_t s = LoadBmin(beamlet, &bmin)) return s;
    return CheckBmin(bmin);
}

KAM_Status KAM_CALL ValidateAll(double*, double* beamlet, void*, double*, double* phi0) {
    double bmin;
    if (std::int32_t s = LoadBmin(beamlet, &bmin)) return s;
    if (std::int32_t s = OptionalPhi0(kName, phi0)) return s;
    return Given(phi0) ? CheckPhi0(*phi0, bmin) : 0;
}

// The relative pattern A(t), t = phi/phi0; segments in order, first match.
double Relative(double t, double beta) {
    const double x = 0.5 * (1.0 - beta);
    if (t <= 0.5) return -12.0 * t * t;
    if (t <= kPlateauEnd * beta + x) {
        const double v = (t - x) / beta;
        return -12.0 * v * v;
    }
    if (t <= kPlateauEnd) return kPlateau;
    return -(22.0 + 20.0 * Log10(t));
}

struct Body {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double* beamlet, void*, const Angles& angles) {
        double bmin = kDefaultBmin;
        std::int32_t read = NeedValue(kName, "GainMax", gainMax);
        if (read == 0) read = LoadBmin(beamlet, &bmin);
        const bool checked = GainValid();
        Once checkBmin([&] { return checked ? CheckBmin(bmin) : 0; });
        return angles([&](double* phi, double* phi0, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kName, "Phi", phi);
            if (s == 0) s = NeedPhi0(kName, phi0);
            if (s == 0) s = checkBmin();
            if (s == 0 && checked) s = CheckPhi0(*phi0, bmin);
            if (s != 0) return Fail(s, gain, gainX);
            const double p = FoldAngle(*phi);
            const double g = MaxOf(*gainMax + Relative(p / *phi0, bmin / *phi0), 0.0);
            return Deliver(kName, p, g, gain, gainX);
        });
    }

    // First angle at which A <= L, without the 0 dBi floor (it depends on
    // GainMax).
    template <class Levels>
    static KAM_Status Contour(double* beamlet, void*, const Levels& levels) {
        double bmin = kDefaultBmin;
        const bool checked = GainValid();
        Once loadBmin([&] { return LoadBmin(beamlet, &bmin); });
        Once checkBmin([&] { return checked ? CheckBmin(bmin) : 0; });
        return levels([&](double* gainRel, double* phi0, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(kName, "GainRel", gainRel);
            if (s == 0) s = loadBmin();
            if (s == 0) s = NeedPhi0(kName, phi0);
            if (s == 0) s = checkBmin();
            if (s == 0 && checked) s = CheckPhi0(*phi0, bmin);
            if (s == 0) s = ContourLevel(kName, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            const double beta = bmin / *phi0;
            double t;
            if (level >= -3.0)
                t = std::sqrt(-level / 12.0);
            else if (level >= kPlateau)
                t = 0.5 * (1.0 - beta) + beta * std::sqrt(-level / 12.0);
            else
                t = std::pow(10.0, (-level - 22.0) / 20.0);
            return DeliverAngle(kName, level, t * *phi0, phi);
        });
    }
};

}  // namespace

const PatternDef kFastRollOff109 = {
    kName, "Space station with fast roll-off in the main beam", 109, KAM_PATTERN_SPACE,
    {O, O, N, N, N, N, R, R}, nullptr, 0, {.space = &ValidateInput}, {.space = &ValidateAll},
    {.space = &SpaceGainSlot<Body>}, {.space = &ContourSlot<Body>},
    SpaceArrays<Body, &ValidateAll>()};

}  // namespace kamstd
