// Point-to-multipoint antennas: 022, the omnidirectional antenna as a function
// of elevation, and 023/024, the sectoral antenna (peak and average side
// lobes) as a function of azimuth and elevation, with mechanical and
// electrical downtilt.
#include <cmath>

#include "array_path.h"
#include "earth_b.h"

namespace kamstd {
namespace {

// Electrical tilt: the elevation theta seen by an antenna whose beam is
// tilted down by tilt degrees.
double TiltedElevation(double theta, double tilt) {
    const double x = theta + tilt;
    return x >= 0.0 ? 90.0 * x / (90.0 + tilt) : 90.0 * x / (90.0 - tilt);
}

// ---- 022 omnidirectional --------------------------------------------------

constexpr const char* kOmniName = "PMPOM_022_V1";
constexpr double kOmniBeamConstant = 107.6;  // theta3 = 107.6 * 10^(-0.1 GainMax)

enum OmniField { kOmniK, kOmniTilt, kOmniFieldCount };
constexpr FieldDef kOmniFields[kOmniFieldCount] = {
    {"k", "", 0.7, 0.0, 1.0, false},
    {"tilt", "deg", 0.0, -45.0, 45.0, false},
};

double OmniBeamwidth(double gainMax) {
    return kOmniBeamConstant * std::pow(10.0, -0.1 * gainMax);
}

KAM_Status KAM_CALL OmniValidateInput(double* gainMaxIn, double*, double*, double*,
                                      void* specific) {
    const double gainMax = Read(gainMaxIn);
    if (const std::int32_t s = NeedValue(kOmniName, "GainMax", gainMax)) return s;
    double f[kOmniFieldCount];
    if (const std::int32_t s = LoadFields(kPmpOmni022, specific, f, true)) return s;
    const double theta3 = OmniBeamwidth(gainMax);
    if (theta3 > 90.0)
        return Report(kNotRecommended,
                      "%s: GainMax %g gives an elevation beamwidth theta3 of %g deg, above 90; "
                      "the pattern is not meant for GainMax below %.4f dBi (computed anyway).",
                      kOmniName, gainMax, theta3, 10.0 * std::log10(kOmniBeamConstant / 90.0));
    return 0;
}

// What an omnidirectional call derives from GainMax and its fields.
struct Omni {
    double g0, k, tilt, theta3, theta4, plateau;
};

Omni MakeOmni(double gainMax, const double* f) {
    Omni o{};
    o.g0 = gainMax;
    o.k = f[kOmniK];
    o.tilt = f[kOmniTilt];
    o.theta3 = OmniBeamwidth(o.g0);
    o.theta4 = o.theta3 * std::sqrt(1.0 - std::log10(o.k + 1.0) / 1.2);
    o.plateau = o.g0 - 12.0 + 10.0 * std::log10(o.k + 1.0);
    return o;
}

double OmniCurve(const Omni& o, double p) {
    const double a = std::fabs(TiltedElevation(90.0 - p, o.tilt));
    if (a < o.theta4) {
        const double x = a / o.theta3;
        return o.g0 - 12.0 * x * x;
    }
    if (a < o.theta3) return o.plateau;
    return o.g0 - 12.0 + 10.0 * std::log10(std::pow(a / o.theta3, -1.5) + o.k);
}

// gain: G at the elevation theta = 90 - p; GainX NoValue. Field ranges are
// checked while GainValid is on.
struct OmniBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMaxIn, double*, double*, double*, void* specific,
                           const Angles& angles) {
        const double gainMax = Read(gainMaxIn);
        Omni omni{};
        const std::int32_t read = NeedValue(kOmniName, "GainMax", gainMax);
        Once fields([&] {
            double f[kOmniFieldCount];
            const std::int32_t s = LoadFields(kPmpOmni022, specific, f, GainValid());
            if (s == 0) omni = MakeOmni(gainMax, f);
            return s;
        });
        return angles([&](double* phiIn, double*, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kOmniName, "Phi", phi);
            if (s == 0) s = fields();
            if (s != 0) return Fail(s, gain, gainX);
            return Deliver(kOmniName, phi, OmniCurve(omni, FoldAngle(phi)), gain, gainX);
        });
    }
};

// ---- 023 / 024 sectoral ---------------------------------------------------

constexpr double kSectorBeamConstant = 31000.0;  // theta3 = 31000 * 10^(-0.1 GainMax) / phi3
constexpr double kSectorTheta3Limit = 22.5;      // deg, exclusive

enum SectorField {
    kElevation,
    kPhi3,
    kTheta3,
    kSideLobe,
    kKh,
    kKv,
    kMechTilt,
    kElecTilt,
    kSectorFieldCount
};

// What distinguishes the average-side-lobe pattern from the peak one.
struct Sector {
    const char* name;
    const PatternDef* def;
    double base;  // -12 (peak) or -15 (average): G180 and the middle of Gvr
    double xkA;   // x_k = sqrt(xkA - xkB kv)
    double xkB;
    double farStep;  // 0 (peak) or -3 (average): the far piece of Gvr
};

constexpr FieldDef kPeakFields[kSectorFieldCount] = {
    {"elevation", "deg", 0.0, -90.0, 90.0, false},
    {"phi3", "deg", 65.0, 1.0, 120.0, false},
    {"theta3", "deg", 0.0, 0.0, 90.0, false},
    {"kp", "", 0.7, 0.0, 1.0, false},
    {"kh", "", 0.7, 0.0, 1.0, false},
    {"kv", "", 0.3, 0.0, 1.0, false},
    {"mtilt", "deg", 0.0, -90.0, 90.0, false},
    {"etilt", "deg", 0.0, -45.0, 45.0, false},
};
constexpr FieldDef kAverageFields[kSectorFieldCount] = {
    {"elevation", "deg", 0.0, -90.0, 90.0, false},
    {"phi3", "deg", 65.0, 1.0, 120.0, false},
    {"theta3", "deg", 0.0, 0.0, 90.0, false},
    {"ka", "", 0.7, 0.0, 1.0, false},
    {"kh", "", 0.7, 0.0, 1.0, false},
    {"kv", "", 0.3, 0.0, 1.0, false},
    {"mtilt", "deg", 0.0, -90.0, 90.0, false},
    {"etilt", "deg", 0.0, -45.0, 45.0, false},
};

constexpr Sector kSectors[] = {
    {"PMPSP_023_V1", &kPmpSectorPeak023, -12.0, 1.0, 0.36, 0.0},
    {"PMPSA_024_V1", &kPmpSectorAverage024, -15.0, 1.33, 0.33, -3.0},
};

// The elevation beamwidth: the field, or from GainMax and phi3 when it is 0.
double SectorTheta3(const double* f, double gainMax) {
    if (f[kTheta3] != 0.0) return f[kTheta3];
    return kSectorBeamConstant * std::pow(10.0, -0.1 * gainMax) / f[kPhi3];
}

std::int32_t CheckTheta3(const Sector& v, const double* f, double gainMax) {
    const double theta3 = SectorTheta3(f, gainMax);
    if (theta3 < kSectorTheta3Limit) return 0;
    if (f[kTheta3] != 0.0)
        return Report(kOutOfDomain, "%s: theta3 %g is not below %g deg, the limit of the pattern.",
                      v.name, theta3, kSectorTheta3Limit);
    return Report(kOutOfDomain,
                  "%s: theta3 %g from GainMax %g and phi3 %g is not below %g deg, the limit of "
                  "the pattern.",
                  v.name, theta3, gainMax, f[kPhi3], kSectorTheta3Limit);
}

// The quantities of one call that do not depend on the direction.
struct SectorShape {
    double phi3, theta3;
    double kh, kv;
    double lambdaKh, g180, c, lambdaKv, xk;
    double ghrBack;  // Ghr(180 / phi3)
    double base, farStep;
};

double Ghr(const SectorShape& s, double x) {
    double g = x <= 0.5 ? -12.0 * x * x : -12.0 * std::pow(x, 2.0 - s.kh) - s.lambdaKh;
    return g < s.g180 ? s.g180 : g;
}

double Gvr(const SectorShape& s, double x) {
    if (x < s.xk) return -12.0 * x * x;
    if (x < 4.0) return s.base + 10.0 * std::log10(std::pow(x, -1.5) + s.kv);
    return -s.lambdaKv + s.farStep - s.c * std::log10(x);
}

SectorShape Shape(const Sector& v, const double* f, double gainMax) {
    SectorShape s{};
    s.phi3 = f[kPhi3];
    s.theta3 = SectorTheta3(f, gainMax);
    s.kh = f[kKh];
    s.kv = f[kKv];
    s.base = v.base;
    s.farStep = v.farStep;
    const double k = f[kSideLobe];
    const double back = 180.0 / s.theta3;
    const double kv4 = std::pow(4.0, -1.5) + s.kv;
    s.lambdaKh = 3.0 * (1.0 - std::pow(0.5, -s.kh));
    s.g180 = v.base + 10.0 * std::log10(1.0 + 8.0 * k) - 15.0 * std::log10(back);
    s.c = 10.0 * std::log10(std::pow(back, 1.5) * kv4 / (1.0 + 8.0 * k)) /
          std::log10(kSectorTheta3Limit / s.theta3);
    s.lambdaKv = 12.0 - s.c * std::log10(4.0) - 10.0 * std::log10(kv4);
    s.xk = std::sqrt(v.xkA - v.xkB * s.kv);
    s.ghrBack = Ghr(s, 180.0 / s.phi3);
    return s;
}

double Clamp1(double x) {
    return x < -1.0 ? -1.0 : (x > 1.0 ? 1.0 : x);
}

// What a sectoral call derives before the angle: the shape, the fields it
// reads per angle and the mechanical tilt's sines and cosines.
struct SectorCall {
    SectorShape shape;
    double gainMax, elevation, mechTilt, elecTilt;
    double sinE, cosE, sinB, cosB, sinECosB, sinESinB;
};

SectorCall MakeSectorCall(const Sector& v, const double* f, double gainMax) {
    SectorCall c{};
    c.shape = Shape(v, f, gainMax);
    c.gainMax = gainMax;
    c.elevation = f[kElevation];
    c.mechTilt = f[kMechTilt];
    c.elecTilt = f[kElecTilt];
    const double b = c.mechTilt * kDegree;
    const double e = c.elevation * kDegree;
    c.sinE = std::sin(e);
    c.cosE = std::cos(e);
    c.sinB = std::sin(b);
    c.cosB = std::cos(b);
    c.sinECosB = c.sinE * c.cosB;
    c.sinESinB = c.sinE * c.sinB;
    return c;
}

double SectorGain(const SectorCall& c, double p) {
    const SectorShape& s = c.shape;
    double az = p;
    double el = c.elevation;
    if (c.mechTilt != 0.0) {
        const double a = az * kDegree;
        const double sine = Clamp1(c.sinECosB + c.cosE * std::cos(a) * c.sinB);
        if (sine == 1.0 || sine == -1.0) {  // straight up or down: cos(el') = 0
            el = sine * 90.0;
            az = 0.0;
        } else {
            const double elt = std::asin(sine);
            const double cosine = (c.cosE * std::cos(a) * c.cosB - c.sinESinB) / std::cos(elt);
            az = std::acos(Clamp1(cosine)) / kDegree;
            el = elt / kDegree;
        }
    }
    el = TiltedElevation(el, c.elecTilt);
    const double ghr = Ghr(s, az / s.phi3);
    const double r = (ghr - s.ghrBack) / (0.0 - s.ghrBack);
    return c.gainMax + ghr + r * Gvr(s, std::fabs(el) / s.theta3);
}

template <int I>
KAM_Status KAM_CALL SectorValidateInput(double* gainMaxIn, double*, double*, double*,
                                        void* specific) {
    const double gainMax = Read(gainMaxIn);
    const Sector& v = kSectors[I];
    if (const std::int32_t s = NeedValue(v.name, "GainMax", gainMax)) return s;
    double f[kSectorFieldCount];
    if (const std::int32_t s = LoadFields(*v.def, specific, f, true)) return s;
    return CheckTheta3(v, f, gainMax);
}

// gain: G at the azimuth p and the structure's elevation; GainX NoValue. The
// field ranges and theta3 < 22.5 are checked while GainValid is on.
template <int I>
struct SectorBody {
    template <class Angles>
    static KAM_Status Gain(double* gainMaxIn, double*, double*, double*, void* specific,
                           const Angles& angles) {
        const double gainMax = Read(gainMaxIn);
        const Sector& v = kSectors[I];
        SectorCall call{};
        const std::int32_t read = NeedValue(v.name, "GainMax", gainMax);
        Once fields([&] {
            double f[kSectorFieldCount];
            std::int32_t s = LoadFields(*v.def, specific, f, GainValid());
            if (s == 0 && GainValid()) s = CheckTheta3(v, f, gainMax);
            if (s == 0) call = MakeSectorCall(v, f, gainMax);
            return s;
        });
        return angles([&](double* phiIn, double*, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(v.name, "Phi", phi);
            if (s == 0) s = fields();
            if (s != 0) return Fail(s, gain, gainX);
            return Deliver(v.name, phi, SectorGain(call, FoldAngle(phi)), gain, gainX);
        });
    }
};

}  // namespace

const PatternDef kPmpOmni022 = {kOmniName,
                                "Point-to-multipoint omnidirectional antenna",
                                22,
                                KAM_PATTERN_EARTH,
                                {R, N, N, N, N, O, R, N},
                                kOmniFields,
                                kOmniFieldCount,
                                {.earth = &OmniValidateInput},
                                {},
                                {.earth = &EarthGainSlot<OmniBody>},
                                {},
                                EarthArrays<OmniBody>()};

const PatternDef kPmpSectorPeak023 = {"PMPSP_023_V1",
                                      "Point-to-multipoint sectoral antenna, peak side lobes",
                                      23,
                                      KAM_PATTERN_EARTH,
                                      {R, N, N, N, N, O, R, N},
                                      kPeakFields,
                                      kSectorFieldCount,
                                      {.earth = &SectorValidateInput<0>},
                                      {},
                                      {.earth = &EarthGainSlot<SectorBody<0>>},
                                      {},
                                      EarthArrays<SectorBody<0>>()};

const PatternDef kPmpSectorAverage024 = {"PMPSA_024_V1",
                                         "Point-to-multipoint sectoral antenna, average side lobes",
                                         24,
                                         KAM_PATTERN_EARTH,
                                         {R, N, N, N, N, O, R, N},
                                         kAverageFields,
                                         kSectorFieldCount,
                                         {.earth = &SectorValidateInput<1>},
                                         {},
                                         {.earth = &EarthGainSlot<SectorBody<1>>},
                                      {},
                                      EarthArrays<SectorBody<1>>()};

}  // namespace kamstd
