// Earth patterns 015 to 029 of the standard library, driven through their
// slots as a host reaches them. Expected values are written here from the
// formulas (independently of the library's code) or are the check values of
// the pattern definitions; identities (continuity, symmetry, 3 dB points)
// are checked where the definitions state them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "kam/kam.h"
#include "std/std_harness.h"

namespace {

using namespace stdtest;  // kNoValue, kPi, kDeg, kNaN, kInf, lg, Specific, fixtures

// One set of inputs of an earth gain call.
struct In {
    double gainMax = kNoValue, diameter = kNoValue, frequency = kNoValue, efficiency = kNoValue;
    std::vector<double> fields = {};  // empty: the NoValue structure
    double phi = 0.0, phi0 = kNoValue;
};

struct Out {
    int status;
    double gain, gainX;
    std::vector<stdtest::CapturedEvent> events;
};

class EarthB : public SlotTest {
protected:
    static Out Gain(const char* name, In in, int gainValid = 1) {
        const KAM_PatternInfo& p = P(name);
        stdtest::Library(gainValid);
        Out o{0, -1.0, -1.0, {}};
        o.status = p.gain.earth(&in.gainMax, &in.diameter, &in.frequency, &in.efficiency,
                                Specific(in.fields), &in.phi, &in.phi0, &o.gain, &o.gainX);
        o.events = stdtest::Events();
        return o;
    }
    static double G(const char* name, In in, double phi) {
        in.phi = phi;
        const Out o = Gain(name, in);
        EXPECT_EQ(o.status, 0) << name << " phi " << phi;
        EXPECT_EQ(o.gainX, kNoValue) << name;
        return o.gain;
    }
    // validateInput, then validateAll (when the pattern has one).
    static Out Validate(const char* name, In in) {
        const KAM_PatternInfo& p = P(name);
        stdtest::Library(1);
        Out o{0, 0, 0, {}};
        if (p.validateInput.earth)
            o.status = p.validateInput.earth(&in.gainMax, &in.diameter, &in.frequency,
                                             &in.efficiency, Specific(in.fields));
        if (o.status >= 0 && p.validateAll.earth) {
            const int s = p.validateAll.earth(&in.gainMax, &in.diameter, &in.frequency,
                                              &in.efficiency, Specific(in.fields), &in.phi, &in.phi0);
            if (s != 0) o.status = s;
        }
        o.events = stdtest::Events();
        return o;
    }
};

// ---- Radar cuts 015 to 020 ------------------------------------------------

struct Cut {
    const char* name;
    int n;
    double K, A, B, Lb, Off, Floor;
    double rel1, breakPhi, step, rel4, floorFrom;  // check values, Phi0 = 2
};
const Cut kCuts[] = {
    {"RDUNP_015_V1", 0, 50.8, 8.584, 2.876, -5.75, 0, -30, -3.0154, 1.334786, 0.1530, -15.0181,
     22.911087},
    {"RDUNA_016_V1", 0, 50.8, 8.584, 2.876, -12.16, -3.72, -30, -3.0154, 1.782925, 0.3581, -18.7381,
     14.853812},
    {"RDCOP_017_V1", 1, 68.8, 17.51, 2.33, -14.4, 0, -50, -3.0733, 1.952994, 0.0053, -26.9482,
     14.921305},
    {"RDCOA_018_V1", 1, 68.8, 17.51, 2.33, -20.6, -4.32, -50, -3.0733, 2.189297, -0.1146, -31.2682,
     11.658947},
    {"RDC2P_019_V1", 2, 83.2, 26.882, 1.962, -22.3, 0, -60, -3.0602, 2.354751, -0.2070, -36.7507,
     9.498744},
    {"RDC2A_020_V1", 2, 83.2, 26.882, 1.962, -29.0, -4.6, -60, -3.0602, 2.532306, -0.0612, -41.3507,
     8.004800},
};

// The illumination patterns in their textbook form (away from 0/0 points).
double Fn(int n, double mu) {
    if (n == 0) return std::sin(mu) / mu;
    if (n == 1) return (kPi * kPi / 4) * std::cos(mu) / (kPi * kPi / 4 - mu * mu);
    return kPi * kPi * std::sin(mu) / (mu * (kPi * kPi - mu * mu));
}
double Mask(const Cut& c, double phi, double phi0) {
    return std::min(std::max(-c.A * std::log(c.B * phi / phi0) + c.Off, c.Floor), 0.0);
}

TEST_F(EarthB, RadarCutsFollowBeamThenMask) {
    for (const Cut& c : kCuts) {
        SCOPED_TRACE(c.name);
        for (double phi0 : {2.0, 7.5}) {
            In in{.gainMax = 30, .phi0 = phi0};
            const auto beam = [&](double phi) {
                return 30 + 20 * lg(std::fabs(Fn(c.n, kPi * c.K * std::sin(phi * kDeg) / phi0)));
            };
            // inside the main beam, and the first side lobe (below Lb: mask)
            for (double t : {0.1, 0.3, 0.45})
                EXPECT_NEAR(G(c.name, in, t * phi0), beam(t * phi0), 1e-9);
            EXPECT_EQ(G(c.name, in, 0), 30);
            const double lobe = std::asin(1.5 * (c.n + 1) * kPi * phi0 / (kPi * c.K)) / kDeg;
            EXPECT_NEAR(G(c.name, in, lobe), 30 + Mask(c, lobe, phi0), 1e-9);
            for (double phi : {3.0 * phi0, 50.0, 90.0, 90.5, 135.0, 180.0})
                EXPECT_NEAR(G(c.name, in, phi), 30 + Mask(c, phi, phi0), 1e-9) << phi;
            EXPECT_NEAR(G(c.name, in, -0.3 * phi0), beam(0.3 * phi0), 1e-9);       // symmetric
            EXPECT_NEAR(G(c.name, in, 360 - 50.0), 30 + Mask(c, 50, phi0), 1e-9);  // folded
        }
        // check values with Phi0 = 2
        In in{.gainMax = 0, .phi0 = 2};
        EXPECT_NEAR(G(c.name, in, 1), c.rel1, 5e-5);
        EXPECT_NEAR(G(c.name, in, 4), c.rel4, 5e-5);
        EXPECT_NEAR(G(c.name, in, c.breakPhi - 1e-6), c.Lb, 1e-4);
        EXPECT_NEAR(G(c.name, in, c.breakPhi + 1e-6), c.Lb + c.step, 1e-4);
        EXPECT_GT(G(c.name, in, c.floorFrom - 1e-5), c.Floor);
        EXPECT_EQ(G(c.name, in, c.floorFrom + 1e-5), c.Floor);
        EXPECT_NEAR(c.Off, G(c.name, in, 4) - G(kCuts[c.n * 2].name, in, 4), 1e-9);
    }
    // the evaluated forms at the 0/0 points: f1 = pi/4 at mu = pi/2, f2 = 1/2 at mu = pi
    In in{.gainMax = 0, .phi0 = 2};
    EXPECT_NEAR(G("RDCOP_017_V1", in, std::asin(kPi / 2 * 2 / (kPi * 68.8)) / kDeg),
                20 * lg(kPi / 4), 1e-9);
    EXPECT_NEAR(G("RDC2P_019_V1", in, std::asin(kPi * 2 / (kPi * 83.2)) / kDeg), 20 * lg(0.5),
                1e-9);
    EXPECT_NEAR(G("RDCOP_017_V1", in, 0.832817), -2.0982, 5e-5);
    EXPECT_NEAR(G("RDC2P_019_V1", in, 1.377435), -6.0206, 5e-5);
}

// ---- 021 cosecant-squared ---------------------------------------------------

TEST_F(EarthB, CosecantSquaredRegions) {
    const char* name = "CSEC2_021_V1";
    const double ts = 6, te = 30, fl = -55, phi0 = 4.8, tilt = ts - phi0 / 2,
                 thnull = tilt - phi0 / 0.88;
    const auto S = [&](double el) {
        const double mu = kPi * 50.8 * std::sin((el - tilt) * kDeg) / phi0;
        return mu == 0 ? 0.0 : 20 * lg(std::fabs(std::sin(mu) / mu));
    };
    const auto rel = [&](double el) {
        if (el < thnull || el > te) return fl;
        if (el <= ts) return std::max(S(el), fl);
        return S(ts) + 20 * lg(std::sin(ts * kDeg) / std::sin(el * kDeg));
    };
    In in{.gainMax = 20, .phi0 = phi0};
    for (double el : {5.0, 3.6, 1.0, -1.5, thnull + 1e-9, 6.0, 6.0 + 1e-9, 12.0, 29.999, 30.0,
                      30.0 + 1e-9, 45.0, -30.0, thnull - 1e-9})
        EXPECT_NEAR(G(name, in, 90 - el), 20 + rel(el), 1e-9) << el;
    in.gainMax = 0;
    EXPECT_EQ(G(name, in, 86.4), 0);
    EXPECT_NEAR(G(name, in, 88.8), -3.0138, 5e-5);
    EXPECT_NEAR(G(name, in, 84), -3.0138, 5e-5);
    EXPECT_NEAR(G(name, in, 88.8), G(name, in, 84), 1e-9);
    EXPECT_NEAR(G(name, in, 84 - 1e-9), G(name, in, 84), 1e-6);
    EXPECT_NEAR(G(name, in, 90), -7.6094, 5e-5);
    EXPECT_NEAR(G(name, in, 60), -16.6085, 5e-5);
    EXPECT_EQ(G(name, in, 60 - 1e-9), -55);
    EXPECT_NEAR(G(name, in, 91.854545 - 1e-7), -44.4754, 5e-4);
    EXPECT_EQ(G(name, in, 91.854545 + 1e-6), -55);
    // other fields: floor -30 clips the sinc beam's null region
    in.fields = {10, 40, -30};
    EXPECT_EQ(G(name, in, 90 - (10 - 2.4 - 4.8 / 0.88) - 1e-6), -30);
}

// ---- 022 to 024 point-to-multipoint -----------------------------------------

TEST_F(EarthB, OmnidirectionalElevationPattern) {
    const char* name = "PMPOM_022_V1";
    const auto expect = [](double g0, double k, double tilt, double theta) {
        const double x = theta + tilt;
        const double a = std::fabs(x >= 0 ? 90 * x / (90 + tilt) : 90 * x / (90 - tilt));
        const double t3 = 107.6 * std::pow(10, -0.1 * g0), t4 = t3 * std::sqrt(1 - lg(k + 1) / 1.2);
        if (a < t4) return g0 - 12 * (a / t3) * (a / t3);
        if (a < t3) return g0 - 12 + 10 * lg(k + 1);
        return g0 - 12 + 10 * lg(std::pow(a / t3, -1.5) + k);
    };
    for (const std::vector<double>& f :
         std::vector<std::vector<double>>{{0.7, 0}, {0.7, 3}, {0, 0}, {1, -20}})
        for (double theta : {0.0, 2.0, 5.0, 9.0, 10.0, 11.0, 30.0, 90.0, -4.0, -10.5, -90.0}) {
            In in{.gainMax = 10, .fields = f};
            EXPECT_NEAR(G(name, in, 90 - theta), expect(10, f[0], f[1], theta), 1e-9) << theta;
        }
    In in{.gainMax = 10};
    const double t3 = 10.76, t4 = 9.671793, plateau = 10 - 12 + 10 * lg(1.7);
    for (double e : {t4, t3}) {
        EXPECT_NEAR(G(name, in, 90 - e + 1e-9), plateau, 1e-5);
        EXPECT_NEAR(G(name, in, 90 - e - 1e-6), plateau, 1e-5);
    }
    for (double phi : {0.0, 20.0, 70.0, 85.0})
        EXPECT_NEAR(G(name, in, phi), G(name, in, 180 - phi), 1e-12);
    EXPECT_EQ(G(name, in, 90), 10);
    EXPECT_NEAR(G(name, in, 70), -1.6074, 5e-5);
    EXPECT_NEAR(G(name, in, 0), -3.2998, 5e-5);
    in.fields = {0.7, 3};
    EXPECT_EQ(G(name, in, 93), 10);
    EXPECT_NEAR(G(name, in, 90), 9.1264, 5e-5);
    EXPECT_NEAR(G(name, in, 110), -1.2864, 5e-5);
}

struct SectorCase {
    const char* name;
    std::vector<double> fields;  // elevation, phi3, theta3, kp/ka, kh, kv, mtilt, etilt
    double phi, expected;
};

TEST_F(EarthB, SectoralPatternsCheckValues) {
    const std::vector<double> d = {0, 65, 0, 0.7, 0.7, 0.3, 0, 0};
    const auto with = [&](std::initializer_list<std::pair<int, double>> changes) {
        std::vector<double> f = d;
        for (auto [i, v] : changes) f[i] = v;
        return f;
    };
    const SectorCase cases[] = {
        {"PMPSP_023_V1", d, 65, 7.8735},
        {"PMPSP_023_V1", d, 120, -6.4569},
        {"PMPSP_023_V1", with({{0, 10}}), 0, 5.8099},
        {"PMPSP_023_V1", with({{0, -10}}), 0, 5.8099},
        {"PMPSP_023_V1", with({{0, 90}}), 0, -6.4569},
        {"PMPSP_023_V1", with({{0, 7.138891 - 1e-6}}), 0, 7.2960},
        {"PMPSP_023_V1", with({{0, 7.138891 + 1e-6}}), 0, 7.4286},
        {"PMPSP_023_V1", with({{0, -45}}), 30, -1.4832},
        {"PMPSP_023_V1", with({{0, -10}, {6, 10}}), 0, 18},
        {"PMPSP_023_V1", with({{6, 10}}), 30, 5.0937},
        {"PMPSP_023_V1", with({{0, -10}, {6, 5}, {7, 5}}), 0, 18},
        {"PMPSP_023_V1", with({{0, -40}, {6, 40}}), 5, 17.9560},
        {"PMPSP_023_V1", with({{0, -40}, {7, 40}}), 5, 17.9290},
        {"PMPSA_024_V1", with({{0, 10}}), 0, 2.8099},
        {"PMPSA_024_V1", with({{0, 90}}), 0, -9.4569},
        {"PMPSA_024_V1", d, 120, -6.7539},
        {"PMPSA_024_V1", d, 150, -9.4569},
        {"PMPSA_024_V1", d, 180, -9.4569},
        {"PMPSA_024_V1", with({{0, 8.386435 - 1e-6}}), 0, 3.2280},
        {"PMPSA_024_V1", with({{0, 8.386435 + 1e-6}}), 0, 3.6283},
        {"PMPSA_024_V1", with({{0, -40}, {6, 40}}), 5, 17.9560},
        {"PMPSA_024_V1", with({{0, -40}, {7, 40}}), 5, 17.9290},
    };
    for (const SectorCase& c : cases) {
        In in{.gainMax = 18, .fields = c.fields};
        EXPECT_NEAR(G(c.name, in, c.phi), c.expected, 5e-5)
            << c.name << " el " << c.fields[0] << " phi " << c.phi;
    }
}

TEST_F(EarthB, SectoralPatternsHorizontalAndVerticalCuts) {
    // At elevation 0 the vertical term vanishes (Gvr(0) = 0): G = GainMax + Ghr(az/phi3).
    // At azimuth 0, R = 1: G = GainMax + Gvr(|el|/theta3). theta3 given as 5.
    struct V {
        const char* name;
        double base, xkA, xkB, far;
    };
    for (const V v : {V{"PMPSP_023_V1", -12, 1, 0.36, 0}, V{"PMPSA_024_V1", -15, 1.33, 0.33, -3}}) {
        SCOPED_TRACE(v.name);
        const double phi3 = 65, t3 = 5, k = 0.7, kh = 0.7, kv = 0.3;
        const double g180 = v.base + 10 * lg(1 + 8 * k) - 15 * lg(180 / t3);
        const double lkh = 3 * (1 - std::pow(0.5, -kh));
        const double c = 10 * lg(std::pow(180 / t3, 1.5) * (std::pow(4, -1.5) + kv) / (1 + 8 * k)) /
                         lg(22.5 / t3);
        const double lkv = 12 - c * lg(4) - 10 * lg(std::pow(4, -1.5) + kv);
        const double xk = std::sqrt(v.xkA - v.xkB * kv);
        const auto ghr = [&](double x) {
            return std::max(x <= 0.5 ? -12 * x * x : -12 * std::pow(x, 2 - kh) - lkh, g180);
        };
        const auto gvr = [&](double x) {
            if (x < xk) return -12 * x * x;
            if (x < 4) return v.base + 10 * lg(std::pow(x, -1.5) + kv);
            return -lkv + v.far - c * lg(x);
        };
        for (double az : {0.0, 10.0, 32.5, 32.5 + 1e-9, 50.0, 100.0, 179.0}) {
            In in{.gainMax = 20, .fields = {0, phi3, t3, k, kh, kv, 0, 0}};
            EXPECT_NEAR(G(v.name, in, az), 20 + ghr(az / phi3), 1e-9) << az;
        }
        for (double el :
             {1.0, xk * t3 - 1e-7, xk * t3 + 1e-7, 10.0, 19.999, 20.0, 45.0, -60.0, 90.0}) {
            In in{.gainMax = 20, .fields = {el, phi3, t3, k, kh, kv, 0, 0}};
            EXPECT_NEAR(G(v.name, in, 0), 20 + gvr(std::fabs(el) / t3), 1e-9) << el;
        }
        In in{.gainMax = 20, .fields = {0, phi3, t3, k, kh, kv, 0, 0}};
        EXPECT_NEAR(G(v.name, in, phi3 / 2), 17, 1e-9);  // 3 dB point
        in.fields[0] = 90;
        EXPECT_NEAR(G(v.name, in, 0), 20 + g180, 1e-9);  // Gvr reaches G180
        in.fields = {0, 120, t3, k, kh, kv, -90, 0};
        EXPECT_NEAR(G(v.name, in, 180), 20 + g180, 1e-9);  // tilted to the zenith, where az' = 0
        in.fields[0] = 4 * t3;
        const double at4 = G(v.name, in, 0);
        in.fields[0] = 4 * t3 * (1 - 1e-12);
        EXPECT_NEAR(G(v.name, in, 0), at4, 1e-9);  // continuous at x = 4
    }
}

// ---- 025 coordination ---------------------------------------------------------

TEST_F(EarthB, CoordinationPatternRows) {
    const char* name = "COORD_025_V1";
    struct Row {
        double gainMax, diameter, frequency;
    };
    for (const Row r : {Row{30, 3, 4000}, Row{50, kNoValue, kNoValue}, Row{45, 3, 12000},
                        Row{29.5, 3.746, 4000}}) {
        const double d = r.diameter == kNoValue ? std::pow(10, (r.gainMax - 7.7) / 20)
                                                : r.diameter / (299792458.0 / (r.frequency * 1e6));
        const double g1 = d >= 100 ? -1 + 15 * lg(d) : -21 + 25 * lg(d);
        const double phir = d >= 100 ? 15.85 * std::pow(d, -0.6) : 100 / d;
        const double phim = 20 / d * std::sqrt(r.gainMax - g1);
        const auto expect = [&](double p) {
            if (p < phim) return r.gainMax - 2.5e-3 * (d * p) * (d * p);
            if (p < phir) return g1;
            return p < 36 ? 29 - 25 * lg(p) : -10.0;
        };
        In in{.gainMax = r.gainMax, .diameter = r.diameter, .frequency = r.frequency};
        for (double p : {0.0, phim / 2, phim - 1e-9, phim, (phim + phir) / 2, phir - 1e-9, phir,
                         5.0, 35.99, 36.0, 100.0, 180.0})
            EXPECT_NEAR(G(name, in, p), expect(p), 1e-9) << d << " phi " << p;
    }
    In in{.gainMax = 30, .diameter = 3, .frequency = 4000};
    EXPECT_NEAR(G(name, in, 2), 19.059014, 1e-6);
    EXPECT_NEAR(G(name, in, 10), 4, 1e-9);
    EXPECT_NEAR(G(name, in, 35.99), -9.9045, 5e-5);
    EXPECT_NEAR(G(name, in, 2.498270 + 1e-6), 29 - 25 * lg(2.498270 + 1e-6), 1e-9);
    in = In{.gainMax = 50};
    EXPECT_NEAR(G(name, in, 0.7), 30.725, 5e-4);
    EXPECT_NEAR(G(name, in, 0.853158 - 1e-6) - G(name, in, 0.853158 + 1e-6), 0.00073, 1e-4);
}

// ---- 026, 027, 028, 029 -------------------------------------------------------

TEST_F(EarthB, TvHapsAiryAndTwoLevelPatterns) {
    In tv{.gainMax = 12};
    for (auto [p, rel] : std::vector<std::pair<double, double>>{{0, 0},
                                                                {20, 0},
                                                                {20 + 1e-9, -0.4e-9},
                                                                {40, -8},
                                                                {60, -16},
                                                                {60 + 1e-9, -16},
                                                                {180, -16},
                                                                {-40, -8}})
        EXPECT_NEAR(G("TVRX4_026_V1", tv, p), 12 + rel, 1e-9) << p;

    for (auto [g0, ln] : std::vector<std::pair<double, double>>{{47, -25}, {30, -35}, {15, -42}}) {
        const double psib = std::sqrt(7442 / std::pow(10, 0.1 * g0)),
                     psi1 = psib * std::sqrt(-ln / 3);
        const double psi2 = 3.745 * psib, x = g0 + ln + 60 * lg(psi2),
                     psi3 = std::pow(10, (x - (g0 - 73)) / 60);
        In in{.gainMax = g0, .fields = {ln}};
        const auto expect = [&](double p) {
            if (p <= psi1) return g0 - 3 * (p / psib) * (p / psib);
            if (p <= psi2) return g0 + ln;
            return p <= psi3 ? x - 60 * lg(p) : g0 - 73;
        };
        for (double p : {0.0, psib, psi1, psi1 * (1 + 1e-12), psi2, psi2 * (1 + 1e-12),
                         (psi2 + psi3) / 2, psi3, psi3 * (1 + 1e-12), 179.0})
            if (p <= 180) {
                EXPECT_NEAR(G("HAPSG_027_V1", in, p), expect(p), 1e-9) << g0 << " " << p;
            }
        EXPECT_NEAR(G("HAPSG_027_V1", in, psib), g0 - 3, 1e-9);
        EXPECT_NEAR(G("HAPSG_027_V1", in, psi1 * (1 - 1e-12)), g0 + ln, 1e-9);
    }
    In haps{.gainMax = 47};
    EXPECT_NEAR(G("HAPSG_027_V1", haps, (1.443101 + 9.105350) / 2), -11.7717, 5e-5);
    EXPECT_EQ(G("HAPSG_027_V1", haps, 90), -26);
    haps = In{.gainMax = 30, .fields = {-35}};
    EXPECT_NEAR(G("HAPSG_027_V1", haps, (3.745 * std::sqrt(7.442) + 43.916729) / 2), -30.3882,
                5e-5);

    // 028: Diameter 1, Frequency 12000, Efficiency absent
    In airy{.diameter = 1, .frequency = 12000};
    const double d = 1 / (299792458.0 / 12e9), gmax = 10 * lg((kPi * d) * (kPi * d));
    EXPECT_NEAR(gmax, 41.990208, 1e-6);
    EXPECT_NEAR(G("AIRYE_028_V1", airy, 0), gmax, 1e-12);
    for (double p : {0.2, 0.736473, 1.0, 3.0, 45.0}) {
        const double u = kPi * d * std::sin(p * kDeg);
        EXPECT_NEAR(G("AIRYE_028_V1", airy, p),
                    gmax + 20 * lg(std::fabs(2 * std::cyl_bessel_j(1, u) / u)), 1e-9)
            << p;
    }
    EXPECT_NEAR(G("AIRYE_028_V1", airy, 0.736473) - gmax, -3.0103, 5e-5);
    EXPECT_NEAR(G("AIRYE_028_V1", airy, 1) - gmax, -5.8940, 5e-5);
    EXPECT_NEAR(G("AIRYE_028_V1", airy, std::asin(3.8317059702075123 / (kPi * d)) / kDeg) - gmax,
                -100, 1e-9);
    EXPECT_NEAR(G("AIRYE_028_V1", airy, 90) - gmax, -62.7926, 5e-5);
    EXPECT_EQ(G("AIRYE_028_V1", airy, 180), G("AIRYE_028_V1", airy, 90));
    EXPECT_EQ(G("AIRYE_028_V1", airy, 120), G("AIRYE_028_V1", airy, 90));
    airy.efficiency = 0.5;
    EXPECT_NEAR(G("AIRYE_028_V1", airy, 0), gmax + 10 * lg(0.5), 1e-9);
    // (pi D/lambda)^2 overflows a double here; the peak 20 log(pi D/lambda) does not.
    airy = {.diameter = 1e200, .frequency = 12000, .efficiency = 1};
    EXPECT_NEAR(G("AIRYE_028_V1", airy, 0), 20 * lg(kPi) + 20 * lg(1e200 / (299792458.0 / 12e9)),
                1e-8);

    In two{.gainMax = 5};
    EXPECT_EQ(G("HEMIS_029_V1", two, 90), 5);
    EXPECT_EQ(G("HEMIS_029_V1", two, 90.001), -15);
    EXPECT_EQ(G("HEMIS_029_V1", two, 0), 5);
    two.fields = {30, -7};
    EXPECT_EQ(G("HEMIS_029_V1", two, 30), 5);
    EXPECT_EQ(G("HEMIS_029_V1", two, 30 + 1e-9), -2);
    EXPECT_EQ(G("HEMIS_029_V1", two, 359), 5);
}

// ---- Statuses -----------------------------------------------------------------

struct StatusCase {
    const char* name;
    In in;
    int validateStatus;  // through validateInput / validateAll; 0 = not checked
    int gainStatus;      // through gain with GainValid on, and (for -6001, -6011) off
    const char* text;    // a piece of the event text
};

TEST_F(EarthB, StatusesCarryEventsNamingTheNumbers) {
    const StatusCase cases[] = {
        {"RDUNP_015_V1", {.gainMax = kNoValue, .phi0 = 2}, -6001, -6001, "GainMax is absent"},
        {"RDC2A_020_V1", {.gainMax = 10, .phi = kNaN, .phi0 = 2}, -6011, -6011, "Phi is nan"},
        {"RDCOA_018_V1", {.gainMax = 10, .phi0 = INFINITY}, -6011, -6011, "Phi0 is inf"},
        {"RDUNA_016_V1", {.gainMax = 10, .phi0 = 0}, -6002, -6002, "Phi0 0 is not above 0"},
        {"CSEC2_021_V1", {.gainMax = 10, .phi0 = -1}, -6002, -6002, "Phi0 -1"},
        {"CSEC2_021_V1",
         {.gainMax = 10, .fields = {6, 6, -55}, .phi0 = 4.8},
         -6005,
         -6005,
         "thetaEnd = 6 must be above thetaStart = 6"},
        {"CSEC2_021_V1",
         {.gainMax = 10, .fields = {0.05, 30, -55}, .phi0 = 4.8},
         -6005,
         -6005,
         "thetaStart = 0.05"},
        {"CSEC2_021_V1",
         {.gainMax = 10, .fields = {6, 30, kNaN}, .phi0 = 4.8},
         -6011,
         -6011,
         "floor is nan"},
        {"PMPOM_022_V1", {.gainMax = 0.5}, 6003, 0, "GainMax 0.5"},
        {"PMPOM_022_V1", {.gainMax = 10, .fields = {1.5, 0}}, -6005, -6005, "k = 1.5"},
        {"PMPOM_022_V1", {.gainMax = 10, .fields = {0.7, 46}}, -6005, -6005, "tilt = 46"},
        {"PMPSP_023_V1", {.gainMax = 10}, -6002, -6002, "theta3 47.6923 from GainMax 10"},
        {"PMPSA_024_V1",
         {.gainMax = 18, .fields = {0, 65, 22.5, 0.7, 0.7, 0.3, 0, 0}},
         -6002,
         -6002,
         "theta3 22.5"},
        {"PMPSA_024_V1",
         {.gainMax = 18, .fields = {0, 0.5, 0, 0.7, 0.7, 0.3, 0, 0}},
         -6005,
         -6005,
         "phi3 = 0.5"},
        {"COORD_025_V1",
         {.gainMax = 30, .diameter = 2, .frequency = 4000},
         -6002,
         -6002,
         "D/lambda 26.6"},
        {"COORD_025_V1",
         {.gainMax = 15, .diameter = 3, .frequency = 4000},
         -6004,
         -6004,
         "G1 = 19.059"},
        {"COORD_025_V1", {.gainMax = 45, .diameter = 3}, 6008, 0, "only Diameter is given (3)"},
        {"COORD_025_V1", {.gainMax = 30, .frequency = kNaN}, -6011, -6011, "Frequency is nan"},
        {"TVRX4_026_V1", {.gainMax = 10, .frequency = 1000}, 6003, 0, "Frequency 1000 MHz"},
        {"TVRX4_026_V1", {.gainMax = 10, .frequency = 470}, 0, 0, nullptr},
        {"HAPSG_027_V1", {.gainMax = 30, .fields = {-20}}, -6005, -6005, "LN = -20"},
        {"AIRYE_028_V1", {.frequency = 12000}, -6001, -6001, "Diameter is absent"},
        {"AIRYE_028_V1",
         {.diameter = 1, .frequency = 12000, .efficiency = 1.2},
         -6002,
         -6002,
         "Efficiency 1.2"},
        {"AIRYE_028_V1", {.diameter = -1, .frequency = 12000}, -6002, -6002, "D/lambda -40.0277"},
        {"HEMIS_029_V1", {.gainMax = 10, .fields = {190, -20}}, -6005, -6005, "cutoff = 190"},
        {"HEMIS_029_V1", {.gainMax = 10, .phi = -INFINITY}, 0, -6011, "Phi is -inf"},
    };
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.validateStatus != 0 || c.text == nullptr) {
            const Out v = Validate(c.name, c.in);
            EXPECT_EQ(v.status, c.validateStatus);
            ASSERT_EQ(v.events.size(), c.validateStatus != 0 ? 1u : 0u);
            if (c.validateStatus != 0) {
                EXPECT_EQ(v.events[0].code, c.validateStatus);
                EXPECT_NE(v.events[0].text.find(c.text), std::string::npos) << v.events[0].text;
                EXPECT_EQ(v.events[0].text.rfind(c.name, 0), 0u);
            }
        }
        const Out g = Gain(c.name, c.in);
        EXPECT_EQ(g.status, c.gainStatus);
        if (c.gainStatus < 0) {
            EXPECT_EQ(g.gain, kNoValue);
            EXPECT_EQ(g.gainX, kNoValue);
            ASSERT_EQ(g.events.size(), 1u);
            EXPECT_EQ(g.events[0].code, c.gainStatus);
            EXPECT_NE(g.events[0].text.find(c.text), std::string::npos) << g.events[0].text;
        } else {
            EXPECT_TRUE(std::isfinite(g.gain));
            EXPECT_EQ(g.gainX, kNoValue);
            EXPECT_TRUE(g.events.empty());
        }
        if (c.gainStatus == -6001 || c.gainStatus == -6011) {
            EXPECT_EQ(Gain(c.name, c.in, 0).status, c.gainStatus);
        }
    }
}

TEST_F(EarthB, GainValidOffComputesWhatTheFormulaGives) {
    // Out-of-range inputs are computed; a result with no finite value is refused.
    In coord{.gainMax = 30, .diameter = 2, .frequency = 4000, .phi = 1};  // D/lambda below 35
    const double d = 2 / (299792458.0 / 4e9), g1 = -21 + 25 * lg(d);
    Out o = Gain("COORD_025_V1", coord, 0);
    EXPECT_EQ(o.status, 0);
    EXPECT_NEAR(o.gain, 30 - 2.5e-3 * d * d, 1e-9);
    coord.phi = 20 / d * std::sqrt(30 - g1);
    EXPECT_NEAR(Gain("COORD_025_V1", coord, 0).gain, g1, 1e-9);
    coord.gainMax = g1 - 1;  // below G1 the main lobe is undefined, whatever GainValid says
    EXPECT_EQ(Gain("COORD_025_V1", coord, 0).status, -6004);
    In csec{
        .gainMax = 10, .fields = {6, 5, -55}, .phi = 80, .phi0 = 4.8};  // thetaEnd below thetaStart
    o = Gain("CSEC2_021_V1", csec, 0);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.gain, 10 - 55);
    In omni{.gainMax = 10, .fields = {-3, 0}, .phi = 50};  // log of a negative number
    o = Gain("PMPOM_022_V1", omni, 0);
    EXPECT_EQ(o.status, -6002);
    EXPECT_EQ(o.gain, kNoValue);
    ASSERT_EQ(o.events.size(), 1u);
    EXPECT_NE(o.events[0].text.find("no finite gain at Phi 50"), std::string::npos);
    for (const char* name : {"RDUNP_015_V1", "CSEC2_021_V1"}) {  // Phi0 0 still refused
        In r{.gainMax = 10, .fields = {}, .phi = 0, .phi0 = 0};
        EXPECT_EQ(Gain(name, r, 0).status, -6002);
    }
    In sector{.gainMax = 10, .fields = {0, 65, 30, 0.7, 0.7, 0.3, 0, 0}};  // theta3 beyond 22.5
    for (double phi : {0.0, 30.0, 180.0}) {
        sector.phi = phi;
        o = Gain("PMPSP_023_V1", sector, 0);
        EXPECT_EQ(o.status, 0);
        EXPECT_TRUE(std::isfinite(o.gain));
    }
}

TEST_F(EarthB, NullPointersNeverCrash) {
    // A null input counts as absent; a null output is not written.
    const KAM_PatternInfo& p = P("HAPSG_027_V1");
    stdtest::Library(1);
    double phi = 0, g = 0, gx = 0, gm = 10;
    EXPECT_EQ(p.gain.earth(nullptr, nullptr, nullptr, nullptr, KAM_NOVALUE_STRUCT, &phi, nullptr,
                           &g, &gx),
              -6001);
    EXPECT_EQ(g, kNoValue);
    EXPECT_EQ(p.gain.earth(&gm, nullptr, nullptr, nullptr, nullptr, &phi, nullptr, nullptr,
                           nullptr),
              0);
}

// ---- Records --------------------------------------------------------------------

TEST_F(EarthB, RecordsDescribeTheCatalogue) {
    struct Rec {
        const char* name;
        const char* title;
        std::array<int, 8> props;
        int fields;
    };
    const Rec recs[] = {
        {"RDUNP_015_V1",
         "Radar antenna, uniform illumination, peak side lobes",
         {10, 30, 30, 30, 30, 30, 10, 10},
         0},
        {"RDC2A_020_V1",
         "Radar antenna, cosine-squared illumination, average side lobes",
         {10, 30, 30, 30, 30, 30, 10, 10},
         0},
        {"CSEC2_021_V1",
         "Radar antenna, cosecant-squared elevation pattern",
         {10, 30, 30, 30, 30, 20, 10, 10},
         3},
        {"PMPOM_022_V1",
         "Point-to-multipoint omnidirectional antenna",
         {10, 30, 30, 30, 30, 20, 10, 30},
         2},
        {"PMPSA_024_V1",
         "Point-to-multipoint sectoral antenna, average side lobes",
         {10, 30, 30, 30, 30, 20, 10, 30},
         8},
        {"COORD_025_V1",
         "Earth station for coordination-area calculations",
         {10, 30, 20, 20, 30, 30, 10, 30},
         0},
        {"TVRX4_026_V1",
         "TV receiving antenna, bands IV and V",
         {10, 30, 30, 20, 30, 30, 10, 30},
         0},
        {"HAPSG_027_V1", "HAPS gateway and platform antenna", {10, 30, 30, 30, 30, 20, 10, 30}, 1},
        {"AIRYE_028_V1", "Uniform circular aperture", {30, 30, 10, 10, 20, 30, 10, 30}, 0},
        {"HEMIS_029_V1", "Two-level pattern", {10, 30, 30, 30, 30, 20, 10, 30}, 2},
    };
    for (const Rec& r : recs) {
        const KAM_PatternInfo& p = P(r.name);
        EXPECT_STREQ(reinterpret_cast<const char*>(p.title), r.title);
        EXPECT_EQ(p.type, 1);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(p.paramProperties[i], r.props[i]) << r.name << i;
        EXPECT_EQ(p.specificSize, 8 * r.fields);
        EXPECT_EQ(p.specificStructId, r.fields ? std::atoi(r.name + 6) : 0);
        EXPECT_EQ(p.contour.space, nullptr);
        EXPECT_EQ(p.validateAll.earth != nullptr, r.props[7] == 10) << r.name;
    }
    // The self-descriptions of the sectoral structure, as a generic tool reads them.
    struct Elem {
        const char* name;
        const char* unit;
        double def, lo, hi;
    };
    const Elem sector[] = {{"elevation", "deg", 0, -90, 90},
                           {"phi3", "deg", 65, 1, 120},
                           {"theta3", "deg", 0, 0, 90},
                           {"ka", "", 0.7, 0, 1},
                           {"kh", "", 0.7, 0, 1},
                           {"kv", "", 0.3, 0, 1},
                           {"mtilt", "deg", 0, -90, 90},
                           {"etilt", "deg", 0, -45, 45}};
    const KAM_LibraryInfo& lib = stdtest::Library();
    int found = 0;
    for (int i = 0; i < lib.specificParDefCount; ++i) {
        const KAM_SpecificParDef& d = lib.specificParDefs[i];
        if (d.structId != 24) continue;
        KAM_ElementDescription e;
        std::memcpy(&e, d.description, sizeof e);
        const Elem& x = sector[d.elementIndex];
        EXPECT_STREQ(e.name, x.name);
        EXPECT_STREQ(e.unit, x.unit);
        EXPECT_EQ(e.valueType, KAM_VALUE_DOUBLE);
        EXPECT_EQ(e.offset, 8 * d.elementIndex);
        EXPECT_EQ(e.defaultValue, x.def);
        EXPECT_EQ(e.lowest, x.lo);
        EXPECT_EQ(e.highest, x.hi);
        ++found;
    }
    EXPECT_EQ(found, 8);
}

// ---- Through the host's exports, as a caller uses them --------------------------

class EarthBExports : public HostTest {
protected:
    static int Gain(const char* name, In in, double& g, double& gx) {
        return KAM_EarthPatternGain(KAM_ALL_LIBRARIES, name, in.gainMax, in.diameter, in.frequency,
                                    in.efficiency, Specific(in.fields), in.phi, in.phi0, &g, &gx);
    }
};

TEST_F(EarthBExports, GainAndStatusesReachTheCaller) {
    double g = 0, gx = 0;
    EXPECT_EQ(Gain("RDUNP_015_V1", {.gainMax = 30, .phi = 1, .phi0 = 2}, g, gx), 0);
    EXPECT_NEAR(g, 30 - 3.0154, 5e-5);
    EXPECT_EQ(gx, kNoValue);

    // warning of the pattern's own validator, gain computed
    EXPECT_EQ(Gain("COORD_025_V1", {.gainMax = 45, .diameter = 3, .phi = 10}, g, gx), 6008);
    EXPECT_NEAR(g, 4, 1e-9);
    std::vector<KAM_EventRecord> ev = TakeEvents();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].code, 6008);
    EXPECT_EQ(ev[0].severity, KAM_SEVERITY_WARNING);
    EXPECT_STREQ(ev[0].patternName, "COORD_025_V1");
    EXPECT_STREQ(ev[0].libraryName, "KAM_Std");
    EXPECT_NE(std::string(ev[0].text).find("only Diameter is given (3)"), std::string::npos);

    // a field refused by the validator: outputs NoValue, one event naming the field
    EXPECT_EQ(Gain("CSEC2_021_V1", {.gainMax = 30, .fields = {20, 10, -55}, .phi = 80, .phi0 = 4.8},
                   g, gx),
              -6005);
    EXPECT_EQ(g, kNoValue);
    EXPECT_EQ(gx, kNoValue);
    ev = TakeEvents();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_NE(std::string(ev[0].text).find("thetaEnd = 10"), std::string::npos);
}

TEST_F(EarthBExports, SwitchesReachThePatterns) {
    double g = 0, gx = 0;
    // Input validation off: the pattern's validator is not called, its warning is absent.
    KAM_DisableInputParamValid();
    EXPECT_EQ(Gain("PMPOM_022_V1", {.gainMax = 0.5, .phi = 90}, g, gx), 0);
    EXPECT_EQ(g, 0.5);
    // ... but the gain function still refuses what it cannot compute.
    EXPECT_EQ(Gain("RDUNA_016_V1", {.gainMax = 30, .phi = 1, .phi0 = 0}, g, gx), -6002);
    EXPECT_EQ(g, kNoValue);
    std::vector<KAM_EventRecord> ev = TakeEvents();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].code, -6002);
    // Its domain checks follow GainValid.
    const In small{.gainMax = 30, .diameter = 2, .frequency = 4000, .phi = 10};
    EXPECT_EQ(Gain("COORD_025_V1", small, g, gx), -6002);
    KAM_DisableGainValid();
    EXPECT_EQ(Gain("COORD_025_V1", small, g, gx), 0);
    EXPECT_NEAR(g, 4, 1e-9);
    KAM_EnableInputParamValid();
    EXPECT_EQ(Gain("PMPOM_022_V1", {.gainMax = 0.5, .phi = 90}, g, gx), 6003);
}

}  // namespace
