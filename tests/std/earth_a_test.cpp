// Earth patterns 001 to 014 of the standard library, driven through their
// slots as a host reaches them and, at the end, through the host's exports.
// Expected values are written here from the formulas: for every point the
// segment it lies in is chosen by hand and that segment's formula evaluated,
// independently of the library's code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "kam/kam.h"
#include "std/std_harness.h"

namespace {

using namespace stdtest;  // kNoValue, kPi, kDeg, kNaN, kInf, lg, Specific, fixtures

// lambda is exactly 1/32 m at kF and 1/2 m at kF600 (MHz), so the Diameters
// below give D/lambda exactly.
constexpr double kF = 9593.358656;
constexpr double kF600 = 599.584916;
double Lo(double b) { return b * (1 - 1e-9); }
double Hi(double b) { return b * (1 + 1e-9); }
double ML(double g, double d, double p) { return g - 2.5e-3 * (d * p) * (d * p); }
double Phim(double g, double g1, double d) { return 20 / d * std::sqrt(g - g1); }

struct In {
    double gainMax = kNoValue, diameter = kNoValue, frequency = kNoValue, efficiency = kNoValue;
    std::vector<double> fields = {};  // empty: the NoValue structure
    double phi0 = kNoValue;
};
// GainMax g and D/lambda d at kF (exact) or at another frequency.
In Dish(double g, double d, double f = kF) {
    const double lambda = 299792458.0 / (f * 1e6);
    return {g, f == kF ? d / 32 : f == kF600 ? d / 2 : d * lambda, f};
}
In With(In in, double In::*field, double value) {
    in.*field = value;
    return in;
}

struct Out {
    int status;
    double gain, gainX;
    std::vector<stdtest::CapturedEvent> events;
};

class EarthA : public SlotTest {
protected:
    static Out Gain(const char* name, In in, double phi, int gainValid = 1) {
        const KAM_PatternInfo& p = P(name);
        stdtest::Library(gainValid);
        Out o{0, -1.0, -1.0, {}};
        o.status = p.gain.earth(&in.gainMax, &in.diameter, &in.frequency, &in.efficiency,
                                Specific(in.fields), &phi, &in.phi0, &o.gain, &o.gainX);
        o.events = stdtest::Events();
        return o;
    }
    // validateInput, then validateAll where the pattern has one.
    static Out Validate(const char* name, In in, double phi = 0.0) {
        const KAM_PatternInfo& p = P(name);
        stdtest::Library(1);
        Out o{0, 0, 0, {}};
        if (p.validateInput.earth)
            o.status = p.validateInput.earth(&in.gainMax, &in.diameter, &in.frequency,
                                             &in.efficiency, Specific(in.fields));
        if (o.status >= 0 && p.validateAll.earth) {
            const int s = p.validateAll.earth(&in.gainMax, &in.diameter, &in.frequency,
                                              &in.efficiency, Specific(in.fields), &phi, &in.phi0);
            if (s != 0) o.status = s;
        }
        o.events = stdtest::Events();
        return o;
    }
    static double G(const char* name, const In& in, double phi) {
        const Out o = Gain(name, in, phi);
        EXPECT_EQ(o.status, 0) << name << " phi " << phi;
        return o.gain;
    }
};

// ---- Segments, point by point ---------------------------------------------

struct Point {
    const char* name;
    In in;
    double phi, gain, gainX = kNoValue;
};
struct Pt {
    double phi, gain, gainX = kNoValue;
};
void Add(std::vector<Point>& v, const char* name, const In& in, std::vector<Pt> pts) {
    for (const Pt& p : pts) v.push_back({name, in, p.phi, p.gain, p.gainX});
}

std::vector<Point> FssPoints() {
    std::vector<Point> v;
    // 001, d = 200: phimin = max(1, 0.5) = 1; folding: -10, 350 and 730 are 10 off axis.
    Add(v, "FSREF_001_V1", Dish(50, 200),
        {{0, 50}, {Lo(1), 50}, {1, 32}, {10, 7}, {-10, 7}, {350, 7}, {730, 7},
         {Lo(48), 32 - 25 * lg(Lo(48))}, {48, -10}, {180, -10}});
    Add(v, "FSREF_001_V1", Dish(50, 80), {{Lo(1.25), 50}, {1.25, 32 - 25 * lg(1.25)}});
    const double m20 = 114 * std::pow(20, -1.09);  // about 4.35, above 2
    Add(v, "FSREF_001_V1", Dish(50, 20), {{Lo(m20), 50}, {m20, 32 - 25 * lg(m20)}});
    // phimin is 2 at d = 50 and just below (114 * 50^-1.09 < 2), 1 at d = 100.
    for (double d : {50.0, 49.5})
        Add(v, "FSREF_001_V1", Dish(50, d), {{Lo(2), 50}, {2, 32 - 25 * lg(2)}});
    Add(v, "FSREF_001_V1", Dish(50, 100), {{Lo(1), 50}, {1, 32}});
    Add(v, "FSREF_001_V1", {67.7},
        {{Lo(1), 67.7}, {1.01, 32 - 25 * lg(1.01)}});  // d = 1000 from GainMax

    // 002, d = 1000: G1 = 47, phim = 0.02 sqrt(13), phir' = 15.85 d^-0.6 (0.25), phimin = 1.
    double pm = 0.02 * std::sqrt(13.0), pr = 15.85 * std::pow(1000, -0.6);
    Add(v, "FSMLB_002_V1", Dish(60, 1000),
        {{0.05, 53.75}, {Lo(pm), ML(60, 1000, Lo(pm))}, {Hi(pm), 47}, {Lo(pr), 47},
         {Hi(pr), 32 - 25 * lg(Hi(pr))}, {0.5, 32 - 25 * lg(0.5)}, {1, 32}, {10, 7}, {48, -10}});
    // d = 60: phir' = phimin = 100/60, a step down there.
    double g1 = 2 + 15 * lg(60);
    pm = Phim(40, g1, 60);
    Add(v, "FSMLB_002_V1", Dish(40, 60),
        {{1, 31}, {Hi(pm), g1}, {Lo(100 / 60.), g1}, {100 / 60., 32 - 25 * lg(100 / 60.)}});
    // d = 30: phimin = 114 * 30^-1.09 (2.80) lies before phir' = 3.33.
    g1 = 2 + 15 * lg(30);
    pm = Phim(35, g1, 30);
    const double m30 = 114 * std::pow(30, -1.09);
    Add(v, "FSMLB_002_V1", Dish(35, 30),
        {{2, 26},
         {Lo(pm), ML(35, 30, Lo(pm))},
         {Hi(pm), g1},
         {Lo(m30), g1},
         {m30, 32 - 25 * lg(m30)}});

    // 003, d = 200: phimin = 1.
    Add(v, "FSOBJ_003_V1", Dish(50, 200),
        {{0.5, 50}, {Lo(1), 50}, {1, 29}, {10, 4}, {20, 29 - 25 * lg(20)}, {Hi(20), -3.5},
         {26.3, -3.5}, {Hi(26.3), 32 - 25 * lg(Hi(26.3))}, {48, 32 - 25 * lg(48)}, {Hi(48), -10},
         {180, -10}});
    Add(v, "FSOBJ_003_V1", Dish(45, 40), {{Lo(2.5), 45}, {2.5, 29 - 25 * lg(2.5)}});

    // 004, d = 1000: G1 = 44, phim = 0.02 sqrt(16) = 0.08.
    Add(v, "FSOML_004_V1", Dish(60, 1000),
        {{0.04, 56}, {Lo(0.08), ML(60, 1000, Lo(0.08))}, {Hi(0.08), 44}, {Lo(pr), 44},
         {Hi(pr), 29 - 25 * lg(Hi(pr))}, {0.5, 29 - 25 * lg(0.5)}, {1, 29}, {25, -3.5},
         {40, 32 - 25 * lg(40)}, {100, -10}});
    g1 = -1 + 15 * lg(60);
    pm = Phim(40, g1, 60);
    Add(v, "FSOML_004_V1", Dish(40, 60),
        {{1, 31}, {Hi(pm), g1}, {Lo(100 / 60.), g1}, {100 / 60., 29 - 25 * lg(100 / 60.)}});

    // 005, d = 1000 (first branch) and d = 50 (second branch, 100/d = 2).
    pm = 0.02 * std::sqrt(13.0);
    Add(v, "GSOCO_005_V1", Dish(60, 1000),
        {{0.05, 53.75}, {Lo(pm), ML(60, 1000, Lo(pm))}, {Hi(pm), 47}, {Lo(pr), 47},
         {Hi(pr), 32 - 25 * lg(Hi(pr))}, {Lo(48), 32 - 25 * lg(Lo(48))}, {48, -10}, {180, -10}});
    g1 = 2 + 15 * lg(50);
    pm = Phim(40, g1, 50);
    Add(v, "GSOCO_005_V1", Dish(40, 50),
        {{1, 33.75},
         {Lo(pm), ML(40, 50, Lo(pm))},
         {Hi(pm), g1},
         {Lo(2), g1},
         {2, 52 - 10 * lg(50) - 25 * lg(2)},
         {10, 27 - 10 * lg(50)},
         {Lo(48), 52 - 10 * lg(50) - 25 * lg(Lo(48))},
         {48, 10 - 10 * lg(50)},
         {180, 10 - 10 * lg(50)}});

    // 006, d = 20 (20..25): G1 = 29 - 25 log 4.75, phim = sqrt(30 - G1) < 95/d = 4.75.
    g1 = 29 - 25 * lg(4.75);
    pm = Phim(30, g1, 20);
    Add(v, "NGSOE_006_V1", Dish(30, 20),
        {{2, 26}, {Lo(pm), ML(30, 20, Lo(pm))}, {Hi(pm), g1}, {Lo(4.75), g1},
         {4.75, 29 - 25 * lg(4.75)}, {10, 4}, {33.1, 29 - 25 * lg(33.1)}, {Hi(33.1), -9},
         {80, -9}, {Hi(80), -5}, {180, -5}});
    Add(v, "NGSOE_006_V1", Dish(40, 25), {{100, -5}});
    Add(v, "NGSOE_006_V1", Dish(40, Hi(25)), {{100, -4}});
    // d = 50 (25..100): G1 = 29 - 25 log 1.9.
    g1 = 29 - 25 * lg(1.9);
    pm = Phim(40, g1, 50);
    Add(v, "NGSOE_006_V1", Dish(40, 50),
        {{1, 33.75}, {Lo(pm), ML(40, 50, Lo(pm))}, {Hi(pm), g1}, {Lo(1.9), g1},
         {1.9, 29 - 25 * lg(1.9)}, {10, 4}, {Hi(33.1), -9}, {80, -9}, {Hi(80), -4}, {120, -4},
         {Hi(120), -9}, {180, -9}});
    Add(v, "NGSOE_006_V1", Dish(50, 100), {{100, -4}});
    Add(v, "NGSOE_006_V1", Dish(50, Hi(100)), {{100, -7}});
    // d = 1000 (above 100): G1 = 44, phim = 0.08, phir = 15.85 d^-0.6.
    Add(v, "NGSOE_006_V1", Dish(60, 1000),
        {{0.04, 56}, {Lo(0.08), ML(60, 1000, Lo(0.08))}, {Hi(0.08), 44}, {Lo(pr), 44},
         {Hi(pr), 29 - 25 * lg(Hi(pr))}, {1, 29}, {Lo(10), 29 - 25 * lg(Lo(10))}, {10, 4},
         {20, 34 - 30 * lg(20)}, {Lo(34.1), 34 - 30 * lg(Lo(34.1))}, {34.1, -12}, {Lo(80), -12},
         {80, -7}, {Lo(120), -7}, {120, -12}, {180, -12}});

    // 007, d = 100, theta 90 by default (s = 1): phimin = 15.85 d^-0.6 (1.00007; 118 d^-1.06
    // is 0.90).
    const double m = 15.85 * std::pow(100, -0.6);
    Add(v, "FSASY_007_V1", Dish(50, 100),
        {{0.5, 50}, {Lo(m), 50}, {m, 32 - 25 * lg(m)}, {5, 32 - 25 * lg(5)}, {7, 32 - 25 * lg(7)},
         {Hi(7), 7.9 + 3 * (9.2 - Hi(7)) / 2.2}, {8, 7.9 + 3 * 1.2 / 2.2}, {9.2, 7.9},
         {Hi(9.2), 32 - 25 * lg(Hi(9.2))}, {48, 32 - 25 * lg(48)}, {Hi(48), -10}, {180, -10}});
    In a = Dish(50, 100);
    a.fields = {30};  // s = 0.25
    Add(v, "FSASY_007_V1", a, {{5, 29.75 - 25 * lg(5)}, {8, 7.9 + 0.75 * 1.2 / 2.2}});
    // d = 20 (15..46.8), theta 0 (s = 0): phimin = 118 d^-1.06 (4.92; 15.85 d^-0.6 is 2.63).
    a = Dish(45, 20);
    a.fields = {0};
    const double m2 = 118 * std::pow(20, -1.06);
    Add(v, "FSASY_007_V1", a,
        {{Lo(m2), 45}, {m2, 29 - 25 * lg(m2)}, {7, 29 - 25 * lg(7)}, {8, 7.9}, {9.2, 7.9},
         {10, 7}, {30.2, 32 - 25 * lg(30.2)}, {Hi(30.2), -5}, {70, -5}, {Hi(70), 0}, {180, 0}});
    Add(v, "FSASY_007_V1", Dish(50, 46.8), {{40, 32 - 25 * lg(40)}});
    Add(v, "FSASY_007_V1", Dish(50, Lo(46.8)), {{40, -5}});
    return v;
}

std::vector<Point> FixedAndAperturePoints() {
    std::vector<Point> v;
    // 008 below 1 GHz, d = 10: G1 = 17, phim = 2 sqrt(13), 100/d = 10, phis = 144.5 d^-0.2.
    double pm = 2 * std::sqrt(13.0), ps = 144.5 * std::pow(10, -0.2);
    Add(v, "FSPKE_008_V1", Dish(30, 10, kF600),
        {{5, 23.75}, {Lo(pm), ML(30, 10, Lo(pm))}, {Hi(pm), 17}, {Lo(10), 17}, {10, 17},
         {50, 42 - 25 * lg(50)}, {Lo(ps), 42 - 25 * lg(Lo(ps))}, {ps, -7}, {180, -7}});
    // From 1 GHz up, 008 is 005: its points at kF are copied below. Without Diameter,
    // d = 1000 from GainMax 67.7.
    Add(v, "FSPKE_008_V1", {67.7, kNoValue, kF}, {{10, 7}});

    // 009, d = 1000: G1 = 47, phim = 0.02 sqrt(13), phir = 12.02 d^-0.6 (0.19).
    pm = 0.02 * std::sqrt(13.0);
    const double pr = 12.02 * std::pow(1000, -0.6);
    Add(v, "FSAVG_009_V1", Dish(60, 1000),
        {{0.05, 53.75},
         {Lo(pm), ML(60, 1000, Lo(pm))},
         {Hi(pm), 47},
         {Lo(pr), 47},
         {Hi(pr), 29 - 25 * lg(Hi(pr))},
         {1, 29},
         {Lo(48), 29 - 25 * lg(Lo(48))},
         {48, -13},
         {180, -13}});
    pm = 0.02 * std::sqrt(93.0);  // GainMax 140: phim beyond phir, no G1 plateau
    Add(v, "FSAVG_009_V1", Dish(140, 1000),
        {{Lo(pm), ML(140, 1000, Lo(pm))}, {Hi(pm), 29 - 25 * lg(Hi(pm))}});
    // d = 50: the average level 39 - 5 log d - 25 log phi from phim.
    double g1 = 2 + 15 * lg(50);
    pm = Phim(40, g1, 50);
    Add(v, "FSAVG_009_V1", Dish(40, 50),
        {{1, 33.75}, {Lo(pm), ML(40, 50, Lo(pm))}, {Hi(pm), 39 - 5 * lg(50) - 25 * lg(Hi(pm))},
         {10, 14 - 5 * lg(50)}, {48, -3 - 5 * lg(50)}, {180, -3 - 5 * lg(50)}});
    // GainMax = G1: phim = 0; boresight keeps GainMax instead of an infinite side lobe.
    Add(v, "FSAVG_009_V1", Dish(g1, 50), {{0, g1}, {1, 39 - 5 * lg(50)}});

    // 010, d = 1000, eta 0.6: phi1 (0.089) <= phi2 (0.18), with a plateau at G0 - 20.
    In e = Dish(kNoValue, 1000);
    e.efficiency = 0.6;
    double g0 = 10 * lg(0.6 * (1000 * kPi) * (1000 * kPi));
    double f0 = 20 * std::sqrt(3.0) / 1000, f1 = f0 * std::sqrt(20 / 3.0),
           f2 = std::pow(10, (49 - g0) / 25);
    const auto par = [&](double p) { return g0 - 3 * (p / f0) * (p / f0); };
    Add(v, "SRES__010_V1", e,
        {{0, g0}, {0.02, par(0.02)}, {Lo(f1), par(Lo(f1))}, {Hi(f1), g0 - 20}, {Lo(f2), g0 - 20},
         {Hi(f2), 29 - 25 * lg(Hi(f2))}, {1, 29}, {Lo(48), 29 - 25 * lg(Lo(48))}, {48, -13},
         {Lo(80), -13}, {80, -8}, {Lo(120), -8}, {120, -13}, {180, -13}});
    // d = 20, eta 0.5: phi2 (4.38) < phi1 (4.47): no plateau, a step down at phi2.
    e = Dish(kNoValue, 20);
    e.efficiency = 0.5;
    g0 = 10 * lg(0.5 * (20 * kPi) * (20 * kPi));
    f0 = 20 * std::sqrt(3.0) / 20;
    f2 = std::pow(10, (49 - g0) / 25);
    Add(v, "SRES__010_V1", e,
        {{1, par(1)}, {Lo(f2), par(Lo(f2))}, {f2, 29 - 25 * lg(f2)}, {10, 4}});

    // 011, d = 1000, Efficiency absent (1): G1 = 44, phir = 15.85 d^-0.6.
    const double gm = 10 * lg((1000 * kPi) * (1000 * kPi));
    pm = Phim(gm, 44, 1000);
    const double pr11 = 15.85 * std::pow(1000, -0.6);
    Add(v, "RASTA_011_V1", Dish(kNoValue, 1000),
        {{0, gm}, {0.05, gm - 6.25}, {Lo(pm), ML(gm, 1000, Lo(pm))}, {Hi(pm), 44}, {Lo(pr11), 44},
         {Hi(pr11), 29 - 25 * lg(Hi(pr11))}, {1, 29}, {10, 4}, {50, -12}, {100, -7}, {150, -12}});
    e = Dish(kNoValue, 1000);
    e.efficiency = 0.5;
    Add(v, "RASTA_011_V1", e, {{0, 10 * lg(0.5 * (1000 * kPi) * (1000 * kPi))}});

    // 012, d = 100. Co-polar: phir = 0.95, phim (0.86), phib = 10^(34/25).
    // Cross-polar: phi0 = 0.02 sqrt(1200), phi1 = phi0/2 sqrt(10.1875), phi2 = 10^(26/25).
    const double g = 10 * lg(0.65 * (100 * kPi) * (100 * kPi)), c1 = 29 - 25 * lg(0.95);
    pm = std::sqrt((g - c1) / 0.0025) / 100;
    const double pb = std::pow(10, 34 / 25.0), x0 = 0.02 * std::sqrt(1200.0);
    const double x1 = x0 / 2 * std::sqrt(10.1875), x2 = std::pow(10, 26 / 25.0);
    const double c = 21 - 25 * lg(x1) - (g - 17);
    const auto co = [&](double p) { return ML(g, 100, p); };
    const auto rise = [&](double p) { return g - 25 + 8 * (p - 0.25 * x0) / (0.19 * x0); };
    const auto fall = [&](double p) { return g - 17 + c * std::fabs((p - x0) / (x1 - x0)); };
    const auto l29 = [](double p) { return 29 - 25 * lg(p); };
    const auto l21 = [](double p) { return 21 - 25 * lg(p); };
    Add(v, "BSSRX_012_V1", Dish(kNoValue, 100),
        {{0.1, co(0.1), g - 25},
         {Lo(0.25 * x0), co(Lo(0.25 * x0)), g - 25},
         {Hi(0.25 * x0), co(Hi(0.25 * x0)), rise(Hi(0.25 * x0))},
         {0.3, co(0.3), rise(0.3)},
         {Lo(0.44 * x0), co(Lo(0.44 * x0)), rise(Lo(0.44 * x0))},
         {Hi(0.44 * x0), co(Hi(0.44 * x0)), g - 17},
         {0.5, co(0.5), g - 17},
         {Lo(x0), co(Lo(x0)), g - 17},
         {Hi(x0), co(Hi(x0)), fall(Hi(x0))},
         {Lo(pm), co(Lo(pm)), fall(Lo(pm))},
         {Hi(pm), c1, fall(Hi(pm))},
         {0.9, c1, fall(0.9)},
         {Lo(0.95), c1, fall(Lo(0.95))},
         {0.95, l29(0.95), fall(0.95)},
         {1, 29, fall(1)},
         {Lo(x1), l29(Lo(x1)), fall(Lo(x1))},
         {Hi(x1), l29(Hi(x1)), l21(Hi(x1))},
         {5, l29(5), l21(5)},
         {Lo(x2), l29(Lo(x2)), l21(Lo(x2))},
         {Hi(x2), l29(Hi(x2)), -5},
         {Lo(pb), l29(Lo(pb)), -5},
         {pb, -5, -5},
         {50, -5, -5},
         {Lo(70), -5, -5},
         {70, 0, 0},
         {180, 0, 0}});

    // 013 and 014 (Phi0 2, floor -30 by default: reached at 2 sqrt(30/12)).
    Add(v, "ISOTR_013_V1", {33}, {{0, 33}, {90, 33}, {180, 33}, {kNoValue, 33}});
    In q{40};
    q.phi0 = 2;
    const double fl = 2 * std::sqrt(30 / 12.0);
    Add(v, "PARAB_014_V1", q,
        {{0, 40}, {1, 37}, {2, 28}, {3, 13}, {Lo(fl), 40 - 12 * (Lo(fl) / 2) * (Lo(fl) / 2)},
         {Hi(fl), 10}, {180, 10}});
    q.fields = {-10};
    q.phi0 = 7;
    Add(v, "PARAB_014_V1", q, {{3.5, 37}, {Hi(7 * std::sqrt(10 / 12.0)), 30}, {90, 30}});
    return v;
}

TEST_F(EarthA, EverySegmentFollowsItsFormula) {
    std::vector<Point> points = FssPoints();
    for (const Point& p : std::vector<Point>(points))  // from 1 GHz up, 008 is exactly 005
        if (std::string(p.name) == "GSOCO_005_V1")
            points.push_back({"FSPKE_008_V1", p.in, p.phi, p.gain});
    for (const Point& p : FixedAndAperturePoints()) points.push_back(p);
    for (const Point& p : points) {
        const Out o = Gain(p.name, p.in, p.phi);
        SCOPED_TRACE(::testing::Message() << p.name << " GainMax " << p.in.gainMax << " D "
                                          << p.in.diameter << " phi " << p.phi);
        EXPECT_EQ(o.status, 0);
        EXPECT_TRUE(o.events.empty());
        EXPECT_NEAR(o.gain, p.gain, 1e-9);
        if (p.gainX == kNoValue)
            EXPECT_EQ(o.gainX, kNoValue);
        else
            EXPECT_NEAR(o.gainX, p.gainX, 1e-9);
    }
}

// ---- Identities -------------------------------------------------------------

TEST_F(EarthA, ContinuityAndBranchAgreement) {
    // 002 and 004 are continuous at phimin = 1 when d >= 100.
    for (const char* name : {"FSMLB_002_V1", "FSOML_004_V1"})
        for (double d : {100.0, 300.0, 5000.0}) {  // GainMax = 7.7 + 20 log d keeps phim below 1
            const In a = Dish(7.7 + 20 * lg(d), d);
            EXPECT_NEAR(G(name, a, Lo(1)), G(name, a, 1), 1e-6) << name << d;
        }
    // 005: 52 - 10 log d - 25 log(100/d) = G1, so no step at 100/d; at d = 100
    // both branches agree (outside phir..100/d, 1 to 1.00007).
    for (double d : {20.0, 50.0, 99.0}) {
        const In a = Dish(7.7 + 20 * lg(d), d);
        EXPECT_NEAR(G("GSOCO_005_V1", a, Lo(100 / d)), G("GSOCO_005_V1", a, 100 / d), 1e-9);
    }
    for (const char* name : {"GSOCO_005_V1", "FSAVG_009_V1"})
        for (double phi : {0.5, 0.9, 2.0, 10.0, 30.0, 60.0, 150.0})
            EXPECT_NEAR(G(name, Dish(50, Lo(100)), phi), G(name, Dish(50, Hi(100)), phi), 1e-6)
                << name << phi;
    // 010 with phi1 <= phi2 and 012 (both curves) are continuous except 012's +5 dB at 70.
    In e = Dish(kNoValue, 1000);
    e.efficiency = 0.6;
    const double g0 = 10 * lg(0.6 * (1000 * kPi) * (1000 * kPi)), f0 = 20 * std::sqrt(3.0) / 1000;
    for (double b : {f0 * std::sqrt(20 / 3.0), std::pow(10, (49 - g0) / 25)})
        EXPECT_NEAR(G("SRES__010_V1", e, Lo(b)), G("SRES__010_V1", e, Hi(b)), 1e-6);
    const In bss = Dish(kNoValue, 100);
    const double x0 = 0.02 * std::sqrt(1200.0), gm = 10 * lg(0.65 * (100 * kPi) * (100 * kPi));
    const double pm = std::sqrt((gm - (29 - 25 * lg(0.95))) / 0.0025) / 100;
    for (double b : {0.25 * x0, 0.44 * x0, x0, x0 / 2 * std::sqrt(10.1875), std::pow(10, 26 / 25.0),
                     pm, 0.95, std::pow(10, 34 / 25.0), 70.0}) {
        const Out lo = Gain("BSSRX_012_V1", bss, Lo(b)), hi = Gain("BSSRX_012_V1", bss, Hi(b));
        const double step = b == 70.0 ? 5 : 0;
        EXPECT_NEAR(hi.gain - lo.gain, step, 1e-6) << b;
        EXPECT_NEAR(hi.gainX - lo.gainX, step, 1e-6) << b;
    }
}

// ---- Statuses and events ----------------------------------------------------

struct StatusCase {
    const char* name;
    In in;
    double phi;
    int gainValid;  // -1: validateInput (+ validateAll) instead of gain
    int status;
    const char* text;  // part of the event's text
};

const std::vector<StatusCase>& StatusCases() {
    static const std::vector<StatusCase> cases = {
        {"FSREF_001_V1", {50, 1.0}, 10, -1, 6008, "only Diameter"},
        {"FSREF_001_V1", {50, kNoValue, 12000}, 10, -1, 6008, "only Frequency"},
        {"FSREF_001_V1", {50, 1.0}, 10, 1, 0, ""},  // the warning is validateInput's alone
        {"FSREF_001_V1", {kNoValue, 1.0, kF}, 10, 0, -6001, "GainMax is absent"},
        {"FSREF_001_V1", Dish(50, 100), kNoValue, 0, -6001, "Phi is absent"},
        {"FSREF_001_V1", Dish(kNaN, 100), 10, 0, -6011, "GainMax is nan"},
        {"FSREF_001_V1", With(Dish(50, 100), &In::diameter, kInf), 10, 0, -6011, "Diameter is inf"},
        {"FSREF_001_V1", Dish(50, 100), kNaN, 0, -6011, "Phi is nan"},
        {"FSREF_001_V1", Dish(50, 100, 1000), 10, -1, 6003,
         "Frequency 1000 MHz is outside 2000 to 31000"},
        {"FSREF_001_V1", Dish(50, 100, 31000), 10, -1, 0, ""},
        {"FSREF_001_V1", With(Dish(50, 100), &In::diameter, 0), 10, 0, -6002,
         "D/lambda 0 is not a positive"},
        {"FSREF_001_V1", With(Dish(50, 100), &In::diameter, -1), 10, 0, -6002,
         "D/lambda -32 is not"},
        {"FSREF_001_V1", With(Dish(50, 100), &In::diameter, 1e308), 10, 0, -6002, "D/lambda inf"},
        {"FSMLB_002_V1", Dish(40, 1000), 10, 1, -6004,
         "GainMax 40 dBi is below the first side-lobe level G1 = 47"},
        {"FSMLB_002_V1", Dish(40, 1000), 10, 0, -6004, "G1 = 47"},
        {"FSOBJ_003_V1", Dish(45, 40), 10, -1, 6003, "D/lambda 40 is below 50"},
        {"FSOML_004_V1", Dish(40, 1000), 10, -1, -6004, "G1 = 44"},
        {"NGSOE_006_V1", Dish(30, 19), 10, 1, -6002, "D/lambda 19 is below 20"},
        {"NGSOE_006_V1", Dish(30, 19), 10, 0, 0, ""},
        {"NGSOE_006_V1", Dish(30, 19), 10, -1, -6002, "D/lambda 19 is below 20"},
        {"NGSOE_006_V1", Dish(40, 30, 10699), 10, -1, 6003, "10700 to 30000"},
        {"FSASY_007_V1", {50, kNoValue, kF}, 10, 0, -6001, "Diameter is absent"},
        {"FSASY_007_V1", {50, 100 / 32., kF, kNoValue, {91}}, 10, 1, -6005, "theta"},
        {"FSASY_007_V1", {50, 100 / 32., kF, kNoValue, {91}}, 10, -1, -6005, "theta"},
        {"FSASY_007_V1", {50, 100 / 32., kF, kNoValue, {91}}, 10, 0, 0, ""},
        {"FSASY_007_V1", {50, 100 / 32., kF, kNoValue, {kNaN}}, 10, 0, -6011, "theta is nan"},
        {"FSASY_007_V1", Dish(50, 14), 10, 1, -6002, "D/lambda 14 is below 15"},
        {"FSASY_007_V1", Dish(50, 14), 10, 0, 0, ""},
        {"FSPKE_008_V1", Dish(30, 10, 50), 10, 1, -6002,
         "Frequency 50 MHz is outside 100 to 70000"},
        {"FSPKE_008_V1", Dish(30, 10, 50), 10, 0, 0, ""},
        {"FSPKE_008_V1", Dish(30, 100, 70001), 10, -1, -6002, "70001"},
        {"FSPKE_008_V1", Dish(30, 0.6, kF600), 10, 1, -6002, "D/lambda 0.6 is not above 0.63"},
        {"FSPKE_008_V1", Dish(30, 0.64, kF600), 10, -1, 0, ""},
        {"FSPKE_008_V1", {30, 1.0}, 10, 0, -6001, "Frequency is absent"},
        {"FSAVG_009_V1", Dish(30, 10, 999), 10, -1, -6002, "1000 to 70000"},
        {"SRES__010_V1", Dish(kNoValue, 1000), 10, 0, -6001, "Efficiency is absent"},
        {"SRES__010_V1", With(Dish(kNoValue, 1000), &In::efficiency, 0), 10, 0, -6002,
         "Efficiency 0"},
        {"SRES__010_V1", With(Dish(kNoValue, 99), &In::efficiency, 0.6), 10, -1, 6003,
         "D/lambda 99 is below 100"},
        {"RASTA_011_V1", Dish(kNoValue, 0.001), 10, 0, -6004, "Gmax"},
        {"BSSRX_012_V1", Dish(kNoValue, 10), 10, 1, -6002, "D/lambda 10 is below 11"},
        {"BSSRX_012_V1", Dish(kNoValue, 10), 10, 0, 0, ""},
        {"BSSRX_012_V1", Dish(kNoValue, 11), 10, -1, 0, ""},
        {"ISOTR_013_V1", {kNoValue}, 10, 0, -6001, "GainMax is absent"},
        {"PARAB_014_V1", {40, kNoValue, kNoValue, kNoValue, {0}, 2}, 10, 1, -6005, "floor"},
        {"PARAB_014_V1", {40, kNoValue, kNoValue, kNoValue, {-100.5}, 2}, 10, -1, -6005, "floor"},
        {"PARAB_014_V1", {40, kNoValue, kNoValue, kNoValue, {-100}, 2}, 10, -1, 0, ""},
        {"PARAB_014_V1", {40, kNoValue, kNoValue, kNoValue, {0}, 2}, 10, 0, 0, ""},
        {"PARAB_014_V1", {40, kNoValue, kNoValue, kNoValue, {}, 0}, 10, 0, -6002,
         "Phi0 0 is not above 0"},
        {"PARAB_014_V1", {40, kNoValue, kNoValue, kNoValue, {}, -1}, 10, -1, -6002, "Phi0 -1"},
        {"PARAB_014_V1", {40, kNoValue, kNoValue, kNoValue, {}, kNaN}, 10, -1, -6011,
         "Phi0 is nan"},
    };
    return cases;
}

TEST_F(EarthA, StatusesCarryAnEventThatStatesTheNumbers) {
    for (const StatusCase& c : StatusCases()) {
        SCOPED_TRACE(::testing::Message() << c.name << " expecting " << c.status << " " << c.text);
        const Out o = c.gainValid < 0 ? Validate(c.name, c.in, c.phi)
                                      : Gain(c.name, c.in, c.phi, c.gainValid);
        EXPECT_EQ(o.status, c.status);
        if (c.status == 0) {
            EXPECT_TRUE(o.events.empty());
            if (c.gainValid >= 0) {
                EXPECT_TRUE(std::isfinite(o.gain));
            }
            continue;
        }
        ASSERT_EQ(o.events.size(), 1u);
        EXPECT_EQ(o.events[0].code, c.status);
        EXPECT_NE(o.events[0].text.find(c.text), std::string::npos) << o.events[0].text;
        if (c.gainValid >= 0 && c.status < 0) {
            EXPECT_EQ(o.gain, kNoValue);
            EXPECT_EQ(o.gainX, kNoValue);
        }
    }
}

// Any input, with the library's checks off: a computed finite gain, or a
// failure with NoValue outputs and an event of its status. Never a crash.
TEST_F(EarthA, BadInputNeverCrashesOrLeavesGarbage) {
    const char* names[] = {"FSREF_001_V1", "FSMLB_002_V1", "FSOBJ_003_V1", "FSOML_004_V1",
                           "GSOCO_005_V1", "NGSOE_006_V1", "FSASY_007_V1", "FSPKE_008_V1",
                           "FSAVG_009_V1", "SRES__010_V1", "RASTA_011_V1", "BSSRX_012_V1",
                           "ISOTR_013_V1", "PARAB_014_V1"};
    In base = Dish(50, 100);
    base.efficiency = 0.6;
    base.phi0 = 2;
    std::vector<In> bad;
    for (double x : {0.0, -1.0, kNaN, kInf, 1e308, -1e308, 1e-300})
        for (double In::*f :
             {&In::gainMax, &In::diameter, &In::frequency, &In::efficiency, &In::phi0})
            bad.push_back(With(base, f, x));
    bad.push_back(base);
    bad.back().fields = {kNaN};
    for (const char* name : names)
        for (const In& in : bad)
            for (double phi : {0.0, 10.0, -1e308, kNaN}) {
                SCOPED_TRACE(::testing::Message()
                             << name << " G " << in.gainMax << " D " << in.diameter << " F "
                             << in.frequency << " E " << in.efficiency << " Phi0 " << in.phi0);
                const Out o = Gain(name, in, phi, 0);
                if (o.status < 0) {
                    EXPECT_EQ(o.gain, kNoValue);
                    EXPECT_EQ(o.gainX, kNoValue);
                    ASSERT_FALSE(o.events.empty());
                    EXPECT_EQ(o.events.back().code, o.status);
                } else {
                    EXPECT_TRUE(std::isfinite(o.gain));
                    EXPECT_TRUE(o.gainX == kNoValue || std::isfinite(o.gainX));
                }
            }
    // A null structure reads as the NoValue structure: 014's default floor -30.
    double g = 40, phi = 180, phi0 = 2, gain = 0, gainX = 0, no = kNoValue;
    EXPECT_EQ(P("PARAB_014_V1").gain.earth(&g, &no, &no, &no, nullptr, &phi, &phi0, &gain, &gainX),
              0);
    EXPECT_EQ(gain, 10);
}

// ---- Records ------------------------------------------------------------------

TEST_F(EarthA, RecordsDescribeEachPattern) {
    constexpr int R = 10, O = 20, N = 30;
    struct Row {
        const char* name;
        const char* title;
        int props[8];
        int fields;
    };
    const Row rows[] = {
        {"FSREF_001_V1",
         "FSS earth station reference pattern, 32 - 25 log(phi)",
         {R, N, O, O, N, N, R, N},
         0},
        {"FSMLB_002_V1",
         "FSS earth station reference pattern with main-lobe model",
         {R, N, O, O, N, N, R, N},
         0},
        {"FSOBJ_003_V1",
         "FSS earth station design objective, 29 - 25 log(phi)",
         {R, N, O, O, N, N, R, N},
         0},
        {"FSOML_004_V1",
         "FSS earth station design objective with main-lobe model",
         {R, N, O, O, N, N, R, N},
         0},
        {"GSOCO_005_V1", "Earth station pattern for GSO coordination", {R, N, O, O, N, N, R, N}, 0},
        {"NGSOE_006_V1",
         "Earth station pattern for NGSO FSS EPFD calculations",
         {R, N, O, O, N, N, R, N},
         0},
        {"FSASY_007_V1",
         "FSS earth station with a non-symmetric beam",
         {R, N, R, R, N, O, R, N},
         1},
        {"FSPKE_008_V1",
         "Fixed-service point-to-point antenna, peak envelope",
         {R, N, O, R, N, N, R, N},
         0},
        {"FSAVG_009_V1",
         "Fixed-service point-to-point antenna, average side lobes",
         {R, N, O, R, N, N, R, N},
         0},
        {"SRES__010_V1", "Space research earth station", {N, N, R, R, R, N, R, N}, 0},
        {"RASTA_011_V1", "Radio astronomy station antenna", {N, N, R, R, O, N, R, N}, 0},
        {"BSSRX_012_V1",
         "BSS receiving earth station, co-polar and cross-polar",
         {N, N, R, R, N, N, R, N},
         0},
        {"ISOTR_013_V1", "Isotropic earth station antenna", {R, N, N, N, N, N, O, N}, 0},
        {"PARAB_014_V1", "Parabolic main lobe with a floor", {R, N, N, N, N, O, R, R}, 1},
    };
    const KAM_LibraryInfo& lib = stdtest::Library();
    for (int i = 0; i < 14; ++i) {  // first in the catalogue, in order
        const Row& r = rows[i];
        const KAM_PatternInfo& p = lib.patterns[i];
        EXPECT_STREQ(p.name, r.name);
        EXPECT_STREQ(reinterpret_cast<const char*>(p.title), r.title);
        EXPECT_EQ(p.type, KAM_PATTERN_EARTH);
        for (int k = 0; k < 8; ++k) EXPECT_EQ(p.paramProperties[k], r.props[k]) << r.name << k;
        EXPECT_EQ(p.specificSize, 8 * r.fields);
        EXPECT_EQ(p.specificStructId, r.fields ? i + 1 : 0);
        EXPECT_NE(p.validateInput.earth, nullptr);
        EXPECT_EQ(p.validateAll.earth != nullptr, i == 13)
            << r.name;  // only 014 checks an angle (Phi0)
        EXPECT_EQ(p.contour.space, nullptr);
    }
    struct Field {
        int structId;
        const char *name, *unit;
        double def, lo, hi;
    };
    for (const Field& f :
         {Field{7, "theta", "deg", 90, 0, 90}, Field{14, "floor", "dB", -30, -100, -3}}) {
        int found = 0;
        for (int i = 0; i < lib.specificParDefCount; ++i) {
            const KAM_SpecificParDef& d = lib.specificParDefs[i];
            if (d.structId != f.structId) continue;
            KAM_ElementDescription e;
            std::memcpy(&e, d.description, sizeof e);
            ++found;
            EXPECT_EQ(d.elementIndex, 0);
            EXPECT_STREQ(e.name, f.name);
            EXPECT_STREQ(e.unit, f.unit);
            EXPECT_EQ(e.offset, 0);
            EXPECT_EQ(e.defaultValue, f.def);
            EXPECT_EQ(e.lowest, f.lo);
            EXPECT_EQ(e.highest, f.hi);
        }
        EXPECT_EQ(found, 1) << f.name;
    }
}

// ---- Through the host's exports -------------------------------------------------

class EarthAExports : public HostTest {};

TEST_F(EarthAExports, GainAndEventsAsACallerSeesThem) {
    const KAM_LibraryId std = KAM_StdLibraryId();
    ASSERT_NE(std, 0);
    double g = 0, gx = 0;
    // 001 at d = 200, 10 degrees: 32 - 25 log 10 = 7.
    EXPECT_EQ(KAM_EarthPatternGain(std, "FSREF_001_V1", 50, 200 / 32., kF, kNoValue,
                                   KAM_NOVALUE_STRUCT, 10, kNoValue, &g, &gx),
              0);
    EXPECT_NEAR(g, 7, 1e-9);
    EXPECT_EQ(gx, kNoValue);
    // 012 returns both curves: -5 co-polar and cross-polar at 50 degrees.
    EXPECT_EQ(KAM_EarthPatternGain(KAM_ALL_LIBRARIES, "BSSRX_012_V1", kNoValue, 100 / 32., kF,
                                   kNoValue, KAM_NOVALUE_STRUCT, 50, kNoValue, &g, &gx),
              0);
    EXPECT_EQ(g, -5);
    EXPECT_EQ(gx, -5);
    // A warning of the library is the call's result and its event reaches the queue.
    EXPECT_EQ(KAM_EarthPatternGain(std, "FSOBJ_003_V1", 45, 40 / 32., kF, kNoValue,
                                   KAM_NOVALUE_STRUCT, 2.5, kNoValue, &g, &gx),
              6003);
    EXPECT_NEAR(g, 29 - 25 * lg(2.5), 1e-9);
    KAM_EventRecord e;
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_EQ(e.code, 6003);
    EXPECT_STREQ(e.patternName, "FSOBJ_003_V1");
    EXPECT_NE(std::string(e.text).find("below 50"), std::string::npos) << e.text;
    // +6008 comes from validateInput alone: one event, and the call's result.
    DrainEvents();
    EXPECT_EQ(KAM_EarthPatternGain(std, "FSREF_001_V1", 50, 1.0, kNoValue, kNoValue,
                                   KAM_NOVALUE_STRUCT, 10, kNoValue, &g, &gx),
              6008);
    EXPECT_NEAR(g, 32 - 25 * lg(10), 1e-9);  // d = 10^(42.3/20) = 130: phimin = 1
    const std::vector<KAM_EventRecord> events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 6008);
    EXPECT_STREQ(events[0].patternName, "FSREF_001_V1");
    // An error of the validator ends the call with NoValue outputs; with the
    // checks off (host and library) the formula is computed.
    EXPECT_EQ(KAM_EarthPatternGain(std, "NGSOE_006_V1", 30, 19 / 32., kF, kNoValue,
                                   KAM_NOVALUE_STRUCT, 90, kNoValue, &g, &gx),
              -6002);
    EXPECT_EQ(g, kNoValue);
    KAM_DisableInputParamValid();
    KAM_DisableGainValid();
    EXPECT_EQ(KAM_EarthPatternGain(std, "NGSOE_006_V1", 30, 19 / 32., kF, kNoValue,
                                   KAM_NOVALUE_STRUCT, 90, kNoValue, &g, &gx),
              0);
    EXPECT_EQ(g, -5);
}

}  // namespace
