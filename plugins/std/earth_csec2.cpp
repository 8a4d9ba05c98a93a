// Pattern 021: the cosecant-squared elevation pattern of a search radar. The
// main beam is a uniform-illumination sinc cut; above its upper 3 dB edge the
// gain follows 1/sin^2(el) up to thetaEnd; a floor everywhere else.
#include <cmath>

#include "array_path.h"
#include "earth_b.h"

namespace kamstd {
namespace {

constexpr const char* kName = "CSEC2_021_V1";
constexpr double kBeamConstant = 50.8;  // deg, the uniform cut's K
constexpr double kNullFactor = 0.88;    // first null at Phi0 / 0.88 below the peak

enum Field { kThetaStart, kThetaEnd, kFloor, kFieldCount };
constexpr FieldDef kFields[kFieldCount] = {
    {"thetaStart", "deg", 6.0, 0.1, 89.0, false},
    {"thetaEnd", "deg", 30.0, 0.2, 90.0, false},
    {"floor", "dB", -55.0, -100.0, -3.0, false},
};

// Fields, each finite; with checkRanges also in range and thetaEnd above
// thetaStart (-6005 naming thetaEnd).
std::int32_t Fields(const void* specific, double* f, bool checkRanges) {
    if (const std::int32_t s = LoadFields(kCosecant021, specific, f, checkRanges)) return s;
    return checkRanges ? FieldAbove(kCosecant021, f, kThetaEnd, kThetaStart) : 0;
}

// S(el): the sinc main beam centred on the elevation tilt, in dB.
double SincBeam(double el, double tilt, double phi0) {
    const double mu = kPi * kBeamConstant * std::sin((el - tilt) * kDegree) / phi0;
    const double f = mu == 0.0 ? 1.0 : std::sin(mu) / mu;
    return 20.0 * std::log10(std::fabs(f));
}

double Rel(const double* f, double phi0, double p) {
    const double el = 90.0 - p;
    const double start = f[kThetaStart];
    const double floor = f[kFloor];
    const double tilt = start - phi0 / 2.0;
    const double thnull = tilt - phi0 / kNullFactor;
    double rel = floor;
    if (thnull <= el && el <= start) {
        rel = SincBeam(el, tilt, phi0);
    } else if (start < el && el <= f[kThetaEnd]) {
        rel = SincBeam(start, tilt, phi0) +
              20.0 * std::log10(std::sin(start * kDegree) / std::sin(el * kDegree));
    }
    if (!(rel >= floor)) rel = floor;  // a null of S (minus infinity) gives the floor
    return rel < 0.0 ? rel : 0.0;
}

KAM_Status KAM_CALL ValidateInput(double* gainMax, double*, double*, double*, void* specific) {
    if (const std::int32_t s = NeedValue(kName, "GainMax", Read(gainMax))) return s;
    double f[kFieldCount];
    return Fields(specific, f, true);
}

KAM_Status KAM_CALL ValidateAll(double*, double*, double*, double*, void*, double* phi,
                                double* phi0) {
    return NeedAngles(kName, phi, phi0);
}

// gain: G = GainMax + Rel at el = 90 - p; GainX NoValue. Phi0 above 0 and
// the field ranges are checked while GainValid is on.
struct Body {
    template <class Angles>
    static KAM_Status Gain(double* gainMaxIn, double*, double*, double*, void* specific,
                           const Angles& angles) {
        const double gainMax = Read(gainMaxIn);
        double f[kFieldCount];
        const std::int32_t read = NeedValue(kName, "GainMax", gainMax);
        Once fields([&] { return Fields(specific, f, GainValid()); });
        return angles([&](double* phiIn, double* phi0In, double* gain, double* gainX) -> KAM_Status {
            const double phi = Read(phiIn), phi0 = Read(phi0In);
            std::int32_t s = read;
            if (s == 0) s = NeedValue(kName, "Phi", phi);
            if (s == 0) s = NeedPhi0(kName, phi0In);
            if (s == 0) s = fields();
            if (s != 0) return Fail(s, gain, gainX);
            return Deliver(kName, phi, gainMax + Rel(f, phi0, FoldAngle(phi)), gain, gainX);
        });
    }
};

}  // namespace

const PatternDef kCosecant021 = {kName,
                                 "Radar antenna, cosecant-squared elevation pattern",
                                 21,
                                 KAM_PATTERN_EARTH,
                                 {R, N, N, N, N, O, R, R},
                                 kFields,
                                 kFieldCount,
                                 {.earth = &ValidateInput},
                                 {.earth = &ValidateAll},
                                 {.earth = &EarthGainSlot<Body>},
                                 {},
                                 EarthArrays<Body, &ValidateAll>()};

}  // namespace kamstd
