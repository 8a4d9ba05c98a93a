// Aperture patterns of space stations: 115, a circular or elliptical aperture
// with Taylor illumination (six fields, the structure required), and 116, the
// uniform circular aperture (Phi0 the FULL half-power beamwidth). Their
// contours bisect the main lobe.
#include <cmath>

#include "array_path.h"
#include "space.h"

namespace kamstd {
namespace {

// ---- 115 ------------------------------------------------------------------

constexpr const char* kTaylor = "TAYLR_115_V1";

// The positive zeros of J1: kJ1Zeros[n - 1] = j_n.
constexpr double kJ1Zeros[] = {
    3.8317059702075123, 7.0155866698156188, 10.173468135062722, 13.323691936314223,
    16.470630050877633, 19.615858510468242, 22.760084380592772, 25.903672087618383,
    29.046828534916855, 32.189679910974404, 35.332307550083865, 38.474766234771615,
};
constexpr double kNearZero = 1e-7;  // |u - j_n| below it: use the limit -J0(j_n)

enum TaylorField { kLambda, kLr, kLt, kSlr, kNbar, kPlaneAngle, kTaylorFieldCount };
constexpr FieldDef kTaylorFields[kTaylorFieldCount] = {
    {"lambda", "m", 0.0249827048, 0.0001, 100.0, false},
    {"Lr", "m", 1.6, 0.001, 1000.0, false},
    {"Lt", "m", 1.6, 0.001, 1000.0, false},
    {"SLR", "dB", 20.0, 15.0, 60.0, false},
    {"nbar", "", 4.0, 2.0, 12.0, true},
    {"planeAngle", "deg", 0.0, -180.0, 180.0, false},
};

// What the pattern derives from its fields.
struct Taylor {
    int nbar;
    double a2;      // A^2
    double sigma2;  // sigma^2
    double umax;    // pi Leff / lambda
    double un;      // first null of the main lobe, in u
};

// Reads and derives. nbar indexes the zeros' table, so it is always checked
// (whole, 2 to 12); the other ranges only when check is set.
std::int32_t LoadTaylor(const void* specific, bool check, Taylor* t) {
    double v[kTaylorFieldCount];
    if (std::int32_t s = LoadFields(kTaylor115, specific, v, check, true)) return s;
    if (std::int32_t s = CheckField(kTaylor115, kNbar, v[kNbar])) return s;
    t->nbar = static_cast<int>(v[kNbar]);
    const double a = std::acosh(std::pow(10.0, v[kSlr] / 20.0)) / kPi;
    const double half = t->nbar - 0.5;
    const double sigma = (kJ1Zeros[t->nbar - 1] / kPi) / std::sqrt(a * a + half * half);
    t->a2 = a * a;
    t->sigma2 = sigma * sigma;
    const double angle = v[kPlaneAngle] * kDegree;
    const double lr = v[kLr] * std::cos(angle);
    const double lt = v[kLt] * std::sin(angle);
    t->umax = kPi * std::sqrt(lr * lr + lt * lt) / v[kLambda];
    t->un = kPi * sigma * std::sqrt(t->a2 + 0.25);
    return 0;
}

// F(u): the uniform aperture's 2 J1(u)/u times the Taylor factors, with the
// limit -J0(j_n) for (2 J1(u)/u)/(1 - u^2/j_n^2) where u is within 1e-7 of j_n.
double TaylorF(const Taylor& t, double u) {
    if (u == 0.0) return 1.0;
    double base = Airy(u);
    double product = 1.0;
    for (int n = 1; n < t.nbar; ++n) {
        const double jn = kJ1Zeros[n - 1];
        const double shaped = n - 0.5;
        product *= 1.0 - u * u / (kPi * kPi * t.sigma2 * (t.a2 + shaped * shaped));
        if (std::fabs(u - jn) < kNearZero)
            base = -BesselJ(0, jn);
        else
            product /= 1.0 - u * u / (jn * jn);
    }
    return base * product;
}

double TaylorRel(const void* context, double u) {
    return RelativeLevel(TaylorF(*static_cast<const Taylor*>(context), u));
}

KAM_Status KAM_CALL TaylorValidateInput(double* gainMax, double*, void* specific) {
    if (std::int32_t s = OptionalValue(kTaylor, "GainMax", gainMax)) return s;
    Taylor t;
    return LoadTaylor(specific, true, &t);
}

struct TaylorBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void* specific, const Angles& angles) {
        Taylor t{};
        std::int32_t read = NeedValue(kTaylor, "GainMax", gainMax);
        if (read == 0) read = LoadTaylor(specific, GainValid(), &t);
        const auto value = [&](double p, auto) {
            const double u = p <= 90.0 ? t.umax * std::sin(p * kDegree) : t.umax;
            return *gainMax + TaylorRel(&t, u);
        };
        return angles(
            [&](double* phi, double*, double* gain, double* gainX) -> KAM_Status {
                std::int32_t s = read;
                if (s == 0) s = NeedValue(kTaylor, "Phi", phi);
                if (s != 0) return Fail(s, gain, gainX);
                const double p = FoldAngle(*phi);
                return Deliver(kTaylor, p, value(p, typename Angles::Log{}), gain, gainX);
            },
            [&] { return read == 0; }, value);
    }

    // Bisects the main lobe on [0, un]; -6010 when the answer lies beyond
    // u = umax (the lobe does not fall to L within 90 deg) or L is below -100 dB.
    template <class Levels>
    static KAM_Status Contour(double*, void* specific, const Levels& levels) {
        Taylor t{};
        Once load([&] { return LoadTaylor(specific, GainValid(), &t); });
        return levels([&](double* gainRel, double*, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(kTaylor, "GainRel", gainRel);
            if (s == 0) s = load();
            if (s == 0) s = ContourLevel(kTaylor, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            if (level < kNullLevel) return NotReached(kTaylor, level, kNullLevel);
            const double u = BisectMainLobe(&TaylorRel, &t, level, t.un);
            if (!(u <= t.umax))
                return Report(kLevelNotReached,
                              "%s: the main lobe reaches %g dB at u = %g, beyond umax = %g (90 "
                              "deg); the level of 90 deg, %g dB, holds beyond: no contour exists.",
                              kTaylor, level, u, t.umax, TaylorRel(&t, t.umax));
            return DeliverAngle(kTaylor, level, std::asin(u / t.umax) / kDegree, phi);
        });
    }
};

// ---- 116 ------------------------------------------------------------------

constexpr const char* kAiry = "AIRYS_116_V1";
constexpr double kU3 = 1.616340;  // 2 J1(u3)/u3 = 1/sqrt 2

double AiryRel(const void*, double u) { return RelativeLevel(Airy(u)); }

KAM_Status KAM_CALL AiryValidateAll(double*, double*, void*, double*, double* phi0) {
    return OptionalPhi0(kAiry, phi0);
}

struct AiryBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMax, double*, void*, const Angles& angles) {
        const std::int32_t read = NeedValue(kAiry, "GainMax", gainMax);
        return angles([&](double* phi, double* phi0, double* gain, double* gainX) -> KAM_Status {
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kAiry, "Phi", phi);
            if (s == 0) s = NeedPhi0(kAiry, phi0);
            if (s != 0) return Fail(s, gain, gainX);
            const double p = FoldAngle(*phi);
            const double halfBeam = std::sin(*phi0 / 2.0 * kDegree);
            const double u = p <= 90.0 ? kU3 * std::sin(p * kDegree) / halfBeam : kU3 / halfBeam;
            return Deliver(kAiry, p, *gainMax + AiryRel(nullptr, u), gain, gainX);
        });
    }

    // Bisects the main lobe on [0, j11]; -6010 when the answer lies beyond
    // 90 deg or L is below -100 dB.
    template <class Levels>
    static KAM_Status Contour(double*, void*, const Levels& levels) {
        return levels([&](double* gainRel, double* phi0, double* phi, double*) -> KAM_Status {
            std::int32_t s = NeedValue(kAiry, "GainRel", gainRel);
            if (s == 0) s = NeedPhi0(kAiry, phi0);
            if (s == 0) s = ContourLevel(kAiry, *gainRel, phi);
            if (s != 0) return s < 0 ? s : 0;
            const double level = *gainRel;
            if (level < kNullLevel) return NotReached(kAiry, level, kNullLevel);
            const double halfBeam = std::sin(*phi0 / 2.0 * kDegree);
            const double u = BisectMainLobe(&AiryRel, nullptr, level, kJ1Zeros[0]);
            const double sine = u * halfBeam / kU3;
            if (!(sine <= 1.0))
                return Report(kLevelNotReached,
                              "%s: the main lobe reaches %g dB beyond 90 deg (sin = %g); the "
                              "level of 90 deg, %g dB, holds beyond: no contour exists.",
                              kAiry, level, sine, AiryRel(nullptr, kU3 / halfBeam));
            return DeliverAngle(kAiry, level, std::asin(sine) / kDegree, phi);
        });
    }
};

}  // namespace

const PatternDef kTaylor115 = {
    kTaylor, "NGSO space station, Taylor illumination", 115, KAM_PATTERN_SPACE,
    {O, N, N, N, N, R, R, N}, kTaylorFields, kTaylorFieldCount,
    {.space = &TaylorValidateInput}, {.space = nullptr}, {.space = &SpaceGainSlot<TaylorBody>},
    {.space = &ContourSlot<TaylorBody>}, SpaceArrays<TaylorBody>()};

const PatternDef kAiry116 = {
    kAiry, "Uniform circular aperture", 116, KAM_PATTERN_SPACE, {O, N, N, N, N, N, R, R},
    nullptr, 0, {.space = nullptr}, {.space = &AiryValidateAll},
    {.space = &SpaceGainSlot<AiryBody>}, {.space = &ContourSlot<AiryBody>},
    SpaceArrays<AiryBody, &AiryValidateAll>()};

}  // namespace kamstd
