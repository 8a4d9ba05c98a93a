// NGSO FSS space station patterns 104 to 107: near side lobes LN = -15, -20,
// -25 and -30 dB, for circular and elliptical beams (field z, the axis
// ratio). Phi0 is psi_b, half the 3 dB beamwidth.
#include <cmath>

#include "array_path.h"
#include "space.h"

namespace kamstd {
namespace {

constexpr double kFloor = 0.0;  // LF, dBi
constexpr double kA = 2.58;     // main-lobe end for z = 1, in psi_b
constexpr double kB = 6.32;     // plateau end, in psi_b

// zmax = 10^(1/k), the excluded top of z's range, per pattern.
constexpr double kZmax[] = {5.179474679231212, 10.0, 46.4158883361278, 316.22776601683796};

struct NgsoConstants {
    const PatternDef* def;
    double ln;    // near side-lobe level, dB
    double k;     // axis-ratio factor
    double zmax;  // 10^(1/k), excluded
};

constexpr NgsoConstants kNgso[] = {
    {&kNgso104, -15.0, 1.4, kZmax[0]},
    {&kNgso105, -20.0, 1.0, kZmax[1]},
    {&kNgso106, -25.0, 0.6, kZmax[2]},
    {&kNgso107, -30.0, 0.4, kZmax[3]},
};

// Fields: z.
std::int32_t LoadZ(const NgsoConstants& c, const void* specific, bool check, double* z) {
    if (std::int32_t s = LoadFields(*c.def, specific, z, check)) return s;
    if (!check || *z < c.zmax) return 0;
    return Report(kBadField, "%s: field z = %g must be below %g.", c.def->name, *z, c.zmax);
}

// GainMax + LN >= LF (-6002 otherwise).
std::int32_t CheckGain(const NgsoConstants& c, double gainMax) {
    if (gainMax + c.ln >= kFloor) return 0;
    return Report(kOutOfDomain,
                  "%s: GainMax + LN = %g + (%g) = %g is below LF = %g dBi; the pattern is "
                  "undefined.",
                  c.def->name, gainMax, c.ln, gainMax + c.ln, kFloor);
}

std::int32_t ValidateInput(const NgsoConstants& c, double* gainMax, void* specific) {
    if (std::int32_t s = OptionalValue(c.def->name, "GainMax", gainMax)) return s;
    double z;
    if (std::int32_t s = LoadZ(c, specific, true, &z)) return s;
    return Given(gainMax) ? CheckGain(c, *gainMax) : 0;
}

std::int32_t ValidateAll(const NgsoConstants& c, double* phi0) {
    return OptionalPhi0(c.def->name, phi0);
}

double MainLobeEnd(const NgsoConstants& c, double z) {
    return kA * std::sqrt(1.0 - c.k * Log10(z));
}

// What depends on GainMax and z alone.
struct Ngso {
    double gainMax;
    double a;          // main-lobe end, in psi_b
    double rise;       // y / (kB psi_b) = 10^(0.04 (GainMax + LN - LF))
    double ellipse;    // GainMax + LN + 20 log z, the level of the first plateau
    double back;       // LB
};

Ngso MakeNgso(const NgsoConstants& c, double gainMax, double z) {
    return {gainMax, MainLobeEnd(c, z), std::pow(10.0, 0.04 * (gainMax + c.ln - kFloor)),
            gainMax + c.ln + 20.0 * Log10(z),
            MaxOf(0.0, 15.0 + c.ln + 0.25 * gainMax + 5.0 * Log10(z))};
}

// G(psi) in dBi; segments in order, the first match wins.
double NgsoGain(const NgsoConstants& c, const Ngso& n, double psi, double psib) {
    const double gainMax = n.gainMax;
    const double y = kB * psib * n.rise;
    if (psi <= n.a * psib) return gainMax - 3.0 * std::pow(psi / psib, 1.5);
    if (psi <= 0.5 * kB * psib) return n.ellipse;
    if (psi <= kB * psib) return gainMax + c.ln;
    if (psi <= std::fmin(y, 90.0)) return gainMax + c.ln - 25.0 * Log10(psi / (kB * psib));
    if (psi <= 90.0) return kFloor;
    return n.back;
}

template <int I>
struct Body {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void* specific, const Angles& angles) {
        const NgsoConstants& c = kNgso[I];
        const char* name = c.def->name;
        double z = 1.0;
        std::int32_t read = NeedValue(name, "GainMax", gainMax);
        if (read == 0) read = LoadZ(c, specific, GainValid(), &z);
        const Ngso n = read == 0 ? MakeNgso(c, *gainMax, z) : Ngso{};
        Once checkGain([&] { return GainValid() ? CheckGain(c, *gainMax) : 0; });
        return angles([&](double* phi, double* phi0, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s == 0) s = NeedValue(name, "Phi", phi);
            if (s == 0) s = NeedValue(name, "Phi0", phi0);
            if (s == 0) s = checkGain();
            if (s == 0) s = PositivePhi0(name, *phi0);
            if (s != 0) return Fail(s, gain, gainX);
            const double psi = FoldAngle(*phi);
            return Deliver(name, psi, NgsoGain(c, n, psi, *phi0), gain, gainX);
        });
    }

    // First angle at which Rel <= L, without the floors LF and LB (they depend
    // on GainMax); beyond 90 the side-lobe law is still returned.
    template <class Levels>
    static KAM_Status Contour(double*, void* specific, const Levels& levels) {
        const NgsoConstants& c = kNgso[I];
        const char* name = c.def->name;
        double z = 1.0;
        double a = 0.0, mainLevel = 0.0, ellipseLevel = 0.0;
        Once loadZ([&] {
            const std::int32_t s = LoadZ(c, specific, GainValid(), &z);
            a = MainLobeEnd(c, z);
            mainLevel = -3.0 * std::pow(a, 1.5);
            ellipseLevel = c.ln + 20.0 * Log10(z);
            return s;
        });
        return levels([&](double* gainRel, double* phi0, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(name, "GainRel", gainRel);
            if (s == 0) s = loadZ();
            if (s == 0) s = NeedPhi0(name, phi0);
            if (s == 0) s = ContourLevel(name, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            const double psib = *phi0;
            double angle;
            if (level >= mainLevel)
                angle = psib * std::pow(-level / 3.0, 2.0 / 3.0);
            else if (level >= ellipseLevel)
                angle = a * psib;
            else if (level >= c.ln)
                angle = 0.5 * kB * psib;
            else
                angle = kB * psib * std::pow(10.0, (c.ln - level) / 25.0);
            return DeliverAngle(name, level, angle, phi);
        });
    }
};

template <int I>
KAM_Status KAM_CALL ValidateInputSlot(double* gainMax, double*, void* specific) {
    return ValidateInput(kNgso[I], gainMax, specific);
}
template <int I>
KAM_Status KAM_CALL ValidateAllSlot(double*, double*, void*, double*, double* phi0) {
    return ValidateAll(kNgso[I], phi0);
}

// z: major/minor axis ratio, 1 <= z < zmax.
constexpr FieldDef kZ104[] = {{"z", "", 1.0, 1.0, kZmax[0], false}};
constexpr FieldDef kZ105[] = {{"z", "", 1.0, 1.0, kZmax[1], false}};
constexpr FieldDef kZ106[] = {{"z", "", 1.0, 1.0, kZmax[2], false}};
constexpr FieldDef kZ107[] = {{"z", "", 1.0, 1.0, kZmax[3], false}};

template <int I>
constexpr PatternDef NgsoDef(const char* name, const char* title, std::int32_t number,
                             const FieldDef* z) {
    return {name, title, number, KAM_PATTERN_SPACE, {O, N, N, N, N, O, R, R}, z, 1,
            {.space = &ValidateInputSlot<I>}, {.space = &ValidateAllSlot<I>},
            {.space = &SpaceGainSlot<Body<I>>}, {.space = &ContourSlot<Body<I>>},
            SpaceArrays<Body<I>, &ValidateAllSlot<I>>()};
}

}  // namespace

const PatternDef kNgso104 =
    NgsoDef<0>("NGSOS_104_V1", "NGSO FSS space station, LN -15 dB", 104, kZ104);
const PatternDef kNgso105 =
    NgsoDef<1>("NGSOS_105_V1", "NGSO FSS space station, LN -20 dB", 105, kZ105);
const PatternDef kNgso106 =
    NgsoDef<2>("NGSOS_106_V1", "NGSO FSS space station, LN -25 dB", 106, kZ106);
const PatternDef kNgso107 =
    NgsoDef<3>("NGSOS_107_V1", "NGSO FSS space station, LN -30 dB", 107, kZ107);

}  // namespace kamstd
