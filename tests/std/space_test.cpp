// Space patterns 101 to 116 of the standard library, driven through their
// slots as a host reaches them (and, at the end, through the host's exports).
// Expected values come from the formulas written here independently of the
// library's code, or are the check values of the pattern definitions.
// Contours are inverted against the gain: the gain just before the returned
// angle is above the level, at or just after it at or below it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "kam/kam.h"
#include "std/std_harness.h"

namespace {

using namespace stdtest;  // kNoValue, kPi, kDeg, kNaN, kInf, lg, Specific, fixtures

constexpr double kTight = 1e-9;  // values derived from the formulas

struct In {
    double gainMax = kNoValue, beamlet = kNoValue;
    std::vector<double> fields = {};  // empty: the NoValue structure
    double phi = 0.0, phi0 = kNoValue;
};

struct Out {
    int status;
    double value, valueX;  // Gain and GainX, or Phi and PhiX
    std::vector<stdtest::CapturedEvent> events;
};

Out Gain(const char* name, In in, int gainValid = 1) {
    const KAM_PatternInfo* p = stdtest::Pattern(name);
    stdtest::Library(gainValid);
    Out o{0, -1.0, -1.0, {}};
    o.status = p->gain.space(&in.gainMax, &in.beamlet, Specific(in.fields), &in.phi, &in.phi0, &o.value,
                             &o.valueX);
    o.events = stdtest::Events();
    return o;
}
double G(const char* name, In in, double phi) {
    in.phi = phi;
    const Out o = Gain(name, in);
    EXPECT_EQ(o.status, 0) << name << " phi " << phi;
    EXPECT_EQ(o.valueX, kNoValue) << name << ": co-polar only";
    return o.value;
}
// Phi and PhiX start as NoValue, as the host sets them; PhiX is never written.
Out Contour(const char* name, double level, In in, int gainValid = 1) {
    const KAM_PatternInfo* p = stdtest::Pattern(name);
    stdtest::Library(gainValid);
    Out o{0, kNoValue, kNoValue, {}};
    o.status = p->contour.space(&level, &in.beamlet, Specific(in.fields), &in.phi0, &o.value, &o.valueX);
    o.events = stdtest::Events();
    EXPECT_EQ(o.valueX, kNoValue) << name;
    return o;
}
// validateInput, then validateAll, each when the pattern has one.
Out Validate(const char* name, In in) {
    const KAM_PatternInfo* p = stdtest::Pattern(name);
    stdtest::Library(1);
    Out o{0, kNoValue, kNoValue, {}};
    if (p->validateInput.space)
        o.status = p->validateInput.space(&in.gainMax, &in.beamlet, Specific(in.fields));
    if (o.status == 0 && p->validateAll.space)
        o.status = p->validateAll.space(&in.gainMax, &in.beamlet, Specific(in.fields), &in.phi, &in.phi0);
    o.events = stdtest::Events();
    return o;
}
// status with one event of that code whose text holds every piece of numbers
// (a failed gain leaves NoValue in both outputs); 0 with no event.
void Expect(const Out& o, int status, const std::vector<std::string>& numbers = {}) {
    EXPECT_EQ(o.status, status);
    if (status == 0) {
        EXPECT_TRUE(o.events.empty());
        return;
    }
    ASSERT_EQ(o.events.size(), 1u);
    EXPECT_EQ(o.events[0].code, status);
    for (const std::string& n : numbers)
        EXPECT_NE(o.events[0].text.find(n), std::string::npos)
            << o.events[0].text << " lacks " << n;
}

class Space : public SlotTest {};

// ---- The formulas, written from the definitions ------------------------------

double Gso(double ls, double a, double b, double gm, double psi0, double p) {
    const double psi1 = psi0 * std::pow(10.0, (gm + ls + 20.0) / 25.0);
    if (p > psi1) return 0.0;
    if (p > b * psi0) return gm + ls + 20.0 - 25.0 * lg(p / psi0);
    if (p > a * psi0) return gm + ls;
    return gm - 3.0 * (p / psi0) * (p / psi0);
}
double Ngso(double ln, double k, double z, double gm, double psib, double p) {
    const double y = 6.32 * psib * std::pow(10.0, 0.04 * (gm + ln));
    if (p > 90.0) return std::max(0.0, 15.0 + ln + 0.25 * gm + 5.0 * lg(z));
    if (p > std::min(y, 90.0)) return 0.0;
    if (p > 6.32 * psib) return gm + ln - 25.0 * lg(p / (6.32 * psib));
    if (p > 3.16 * psib) return gm + ln;
    if (p > 2.58 * std::sqrt(1.0 - k * lg(z)) * psib) return gm + ln + 20.0 * lg(z);
    return gm - 3.0 * std::pow(p / psib, 1.5);
}
double Leo(double gm, double psib, double p) {
    const double y = 1.5 * psib, z = y * std::pow(10.0, 0.04 * (gm - 11.75));
    return p <= y   ? gm - 3.0 * (p / psib) * (p / psib)
           : p <= z ? gm - 6.75 - 25.0 * lg(p / y)
                    : 5.0;
}
double Froff(double gm, double bmin, double phi0, double p) {
    const double t = p / phi0, beta = bmin / phi0, x = 0.5 * (1.0 - beta);
    double a = -12.0 * t * t;
    if (t > 1.45)
        a = -(22.0 + 20.0 * lg(t));
    else if (t > 1.45 * beta + x)
        a = -25.23;
    else if (t > 0.5)
        a = -12.0 * ((t - x) / beta) * ((t - x) / beta);
    return std::max(gm + a, 0.0);
}
double Psens(double gm, double eta, double p) {
    const double d = std::sqrt(std::pow(10.0, gm / 10.0) / eta) / kPi;
    const double phim = 22.0 / d * std::sqrt(5.5 + 5.0 * lg(eta * eta * d));
    const double parabola = gm - 0.0018 * d * d * p * p;
    double g = -13.0 - 5.0 * lg(d);
    if (p <= phim)
        g = parabola;
    else if (p <= 69.0)
        g = std::max(parabola, 33.0 - 5.0 * lg(d) - 25.0 * lg(p));
    return std::max(g, -23.0);
}
const double kJ[] = {3.8317059702075123, 7.0155866698156188, 10.173468135062722,
                     13.323691936314223, 16.470630050877633, 19.615858510468242,
                     22.760084380592772, 25.903672087618383, 29.046828534916855,
                     32.189679910974404, 35.332307550083865, 38.474766234771615};
const std::vector<double> kTaylorDefaults = {0.0249827048, 1.6, 1.6, 20.0, 4.0, 0.0};
// Away from the zeros j_n.
double Taylor(const std::vector<double>& f, double gm, double p) {
    const int nbar = static_cast<int>(f[4]);
    const double a = std::acosh(std::pow(10.0, f[3] / 20.0)) / kPi;
    const double sigma = kJ[nbar - 1] / kPi / std::hypot(a, nbar - 0.5);
    const double umax =
        kPi * std::hypot(f[1] * std::cos(f[5] * kDeg), f[2] * std::sin(f[5] * kDeg)) / f[0];
    const double u = umax * std::sin(std::min(p, 90.0) * kDeg);
    double v = u == 0 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, u) / u;
    for (int n = 1; n < nbar && u != 0; ++n) {
        const double zero = kPi * sigma * std::hypot(a, n - 0.5);
        v *= (1.0 - (u / zero) * (u / zero)) / (1.0 - (u / kJ[n - 1]) * (u / kJ[n - 1]));
    }
    return gm + std::max(20.0 * lg(std::fabs(v)), -100.0);
}
double Airy(double gm, double phi0, double p) {
    const double u = 1.616340 * std::sin(std::min(p, 90.0) * kDeg) / std::sin(phi0 / 2 * kDeg);
    const double v = u == 0 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, u) / u;
    return gm + std::max(20.0 * lg(std::fabs(v)), -100.0);
}

// One configuration of a pattern: the reference gain, the breakpoints (each
// checked at, just after, and half-way to the next), and contour levels.
struct Family {
    std::string name;
    In in;
    std::function<double(double)> reference;
    std::vector<double> breaks;
    std::vector<double> levels;
    double tolerance = kTight;
};

std::vector<Family> Families() {
    std::vector<Family> f;
    const double gsoRows[][3] = {{-20, 2.58, 6.32}, {-25, 2.88, 6.32}, {-30, 3.16, 6.32}};
    for (int i = 0; i < 3; ++i) {
        const double ls = gsoRows[i][0], a = gsoRows[i][1], b = gsoRows[i][2], gm = 40, psi0 = 1.5;
        const double psi1 = psi0 * std::pow(10.0, (gm + ls + 20) / 25);
        f.push_back({"GSOSS_10" + std::to_string(i + 1) + "_V1",
                     In{.gainMax = gm, .phi0 = psi0},
                     [=](double p) { return Gso(ls, a, b, gm, psi0, p); },
                     {0, psi0, a * psi0, b * psi0, psi1, 180},
                     {-0.5, -3, -3 * a * a, ls + 0.01, ls, ls - 0.01, ls - 0.018, ls - 0.02, -38}});
    }
    const double ngsoRows[][2] = {{-15, 1.4}, {-20, 1.0}, {-25, 0.6}, {-30, 0.4}};
    for (int i = 0; i < 4; ++i) {
        // z 3.2 on 104 puts LN + 20 log z above -3 a^1.5: a step up at a psi_b.
        for (double z : {1.0, 2.0, 3.2}) {
            for (double gm : {35.0, 60.0}) {  // Y below 90, and beyond it
                const double ln = ngsoRows[i][0], k = ngsoRows[i][1], psib = 0.9;
                const double a = 2.58 * std::sqrt(1 - k * lg(z));
                const double y = 6.32 * psib * std::pow(10.0, 0.04 * (gm + ln));
                f.push_back(
                    {"NGSOS_10" + std::to_string(i + 4) + "_V1",
                     In{.gainMax = gm, .fields = {z}, .phi0 = psib},
                     [=](double p) { return Ngso(ln, k, z, gm, psib, p); },
                     {0, psib, a * psib, 3.16 * psib, 6.32 * psib, std::min(y, 90.0), 90, 180},
                     {-1, -3, -3 * std::pow(a, 1.5), -3 * std::pow(a, 1.5) - 0.01, ln + 20 * lg(z),
                      ln + 0.01, ln, ln - 0.01, ln - 3}});
            }
        }
    }
    const double leoZ = 3.0 * std::pow(10.0, 0.04 * (35 - 11.75));
    f.push_back({"NGLEO_108_V1",
                 In{.gainMax = 35, .phi0 = 2},
                 [](double p) { return Leo(35, 2, p); },
                 {0, 2, 3, leoZ, 180},
                 {-1, -3, -6.75, -6.8, -20}});
    for (double bmin : {0.6, 1.2, 2.0}) {
        const double beta = bmin / 2, x = 0.5 * (1 - beta);
        f.push_back({"FROFF_109_V1",
                     In{.gainMax = 40, .beamlet = bmin, .phi0 = 2},
                     [=](double p) { return Froff(40, bmin, 2, p); },
                     {0, 1, 2 * (1.45 * beta + x), 2.9, 180},
                     {-1, -3, -10, -25.229, -25.23, -25.231, -30}});
    }
    f.push_back({"PARAB_110_V1",
                 In{.gainMax = 30, .fields = {-20}, .phi0 = 4},
                 [](double p) { return 30 + std::max(-12 * (p / 4) * (p / 4), -20.0); },
                 {0, 2, 4 * std::sqrt(20.0 / 12), 180},
                 {-1, -3, -19.9, -20}});
    for (double eta : {0.6, 1.0}) {
        for (double gm : {30.0, 50.0}) {
            const double d = std::sqrt(std::pow(10.0, gm / 10) / eta) / kPi;
            const double phim = 22 / d * std::sqrt(5.5 + 5 * lg(eta * eta * d));
            // The contour's Phi0 gives the same d, so contour and gain agree
            // above the -23 dBi floor.
            f.push_back({"PSENS_112_V1",
                         In{.gainMax = gm, .fields = {eta}, .phi0 = 2 / d * std::sqrt(3 / 0.0018)},
                         [=](double p) { return Psens(gm, eta, p); },
                         {0, phim, 2 * phim, 69, 180},
                         {-3, -10, -30, -45}});
        }
    }
    f.push_back(
        {"SNS9A_113_V1",
         In{.gainMax = 40},
         [](double p) {
             return 40 + (p <= 2.5 ? -5.2 * p * p - 0.6 * p : p <= 10 ? -3.47 * p - 25.3 : -60);
         },
         {0, 2.5, 10, 180},
         {-1, -3, -20, -34, -34.01, -50, -59.9, -60}});
    f.push_back({"SNS9B_114_V1",
                 In{.gainMax = 40},
                 [](double p) {
                     return 40 + (p <= 1.25 ? -22.8 * p * p - 0.7 * p
                                  : p <= 10 ? -3.257 * p - 32.429
                                            : -65);
                 },
                 {0, 1.25, 10, 180},
                 {-1, -3, -20, -36.5, -36.5001, -40, -64.9995}});
    for (const auto& fields : std::vector<std::vector<double>>{kTaylorDefaults,
                                                               {0.05, 3.0, 1.5, 30.0, 6.0, 30.0},
                                                               {0.01, 0.5, 0.5, 45.0, 12.0, -120.0},
                                                               {0.1, 2.0, 2.0, 15.0, 2.0, 0.0}})
        f.push_back({"TAYLR_115_V1",
                     In{.gainMax = 35, .fields = fields},
                     [=](double p) { return Taylor(fields, 35, p); },
                     {0, 0.2, 0.7, 1.3, 3, 17, 90, 180},
                     {-0.01, -3, -10, -25, -60, -100},
                     1e-8});
    for (double phi0 : {1.0, 7.0, 60.0})
        f.push_back({"AIRYS_116_V1",
                     In{.gainMax = 20, .phi0 = phi0},
                     [=](double p) { return Airy(20, phi0, p); },
                     {0, phi0 / 3, phi0, 2 * phi0, 90, 180},
                     {-1, -3, -17, -40}});
    return f;
}

TEST_F(Space, GainFollowsTheFormulas) {
    for (const Family& f : Families()) {
        SCOPED_TRACE(f.name + " GainMax " + std::to_string(f.in.gainMax));
        for (size_t i = 0; i < f.breaks.size(); ++i) {
            const double b = f.breaks[i];
            std::vector<double> points = {b, b * (1 + 1e-9)};
            if (i + 1 < f.breaks.size()) points.push_back(0.5 * (b + f.breaks[i + 1]));
            for (double p : points) {
                if (p > 180) continue;
                EXPECT_NEAR(G(f.name.c_str(), f.in, p), f.reference(p), f.tolerance) << "phi " << p;
            }
        }
        EXPECT_EQ(G(f.name.c_str(), f.in, -20), G(f.name.c_str(), f.in, 20));  // symmetric
        EXPECT_EQ(G(f.name.c_str(), f.in, 340), G(f.name.c_str(), f.in, 20));  // folded
        EXPECT_EQ(G(f.name.c_str(), f.in, 740), G(f.name.c_str(), f.in, 20));
    }
}

TEST_F(Space, ContoursAreFirstCrossings) {
    for (const Family& f : Families()) {
        SCOPED_TRACE(f.name + " GainMax " + std::to_string(f.in.gainMax));
        auto rel = [&](double p) { return G(f.name.c_str(), f.in, p) - f.in.gainMax; };
        for (double level : f.levels) {
            const Out o =
                Contour(f.name.c_str(), level,
                        In{.beamlet = f.in.beamlet, .fields = f.in.fields, .phi0 = f.in.phi0});
            if (o.status == -6010) continue;  // the cases below hold these
            ASSERT_EQ(o.status, 0) << level;
            const double phi = o.value;
            EXPECT_GT(rel(phi * (1 - 1e-9)), level) << "level " << level << " phi " << phi;
            EXPECT_LE(std::min(rel(phi), rel(phi * (1 + 1e-9))), level + 1e-7)
                << "level " << level << " phi " << phi;
        }
    }
}

// ---- Values: the definitions' checks, and values worked out by hand ----------

struct Value {
    const char* name;
    In in;
    bool contour;  // x is a level, else an angle
    double x, expected, tolerance;
};

TEST_F(Space, Values) {
    const In taylor{.gainMax = 0, .fields = kTaylorDefaults};
    In taylor2 = taylor;
    taylor2.fields[4] = 2;
    auto ellipse = [](double angle) {
        return In{.gainMax = 0, .fields = {0.0249827048, 2, 1, 20, 4, angle}};
    };
    const In psens{.gainMax = 52.568089, .fields = {0.6}},
        psens2{.gainMax = 32.714488, .fields = {0.6}};
    const In psensC{.fields = {0.6}, .phi0 = 0.46749335};
    const Value values[] = {
        // 101, GainMax 40, psi0 1: LS on the plateau, LS + 20 - 25 log 10, the floor.
        {"GSOSS_101_V1", {.gainMax = 40, .phi0 = 1}, false, 4, 20, kTight},
        {"GSOSS_101_V1", {.gainMax = 40, .phi0 = 1}, false, 10, 15, kTight},
        {"GSOSS_101_V1", {.gainMax = 40, .phi0 = 1}, false, 100, 0, kTight},
        {"GSOSS_102_V1", {.gainMax = 40, .phi0 = 1.5}, false, 1.5, 37, kTight},  // Rel(psi0) = -3
        {"GSOSS_103_V1", {.phi0 = 0.8}, true, -3, 0.8, kTight},
        {"GSOSS_101_V1", {.phi0 = 0.8}, true, -20, 2.58 * 0.8, kTight},  // LS: the plateau's start
        {"GSOSS_101_V1", {.phi0 = 0.8}, true, -20.01, 6.32 * 0.8, kTight},     // the step at b psi0
        {"GSOSS_101_V1", {.phi0 = 1}, true, -100, std::pow(10.0, 4.0), 1e-6},  // no floor: beyond
                                                                               // 180
        // 105, GainMax 40, psi_b 1: LB = 15 - 20 + 10 beyond 90; Y = 39.87, 0 dBi at 50.
        {"NGSOS_105_V1", {.gainMax = 40, .phi0 = 1}, false, 100, 5, kTight},
        {"NGSOS_105_V1", {.gainMax = 40, .phi0 = 1}, false, 50, 0, kTight},
        {"NGSOS_105_V1", {.gainMax = 40, .phi0 = 1}, false, 12.64, 20 - 25 * lg(2), kTight},
        {"NGSOS_105_V1", {.gainMax = 40, .phi0 = 1}, false, 1, 37, kTight},
        {"NGSOS_105_V1", {.phi0 = 0.7}, true, -20, 2.58 * 0.7, kTight},  // z 1: LN from a psi_b
        {"NGSOS_105_V1", {.fields = {2}, .phi0 = 0.7}, true, -20, 3.16 * 0.7, kTight},
        {"NGSOS_107_V1", {.phi0 = 1}, true, -80, 6.32 * std::pow(10.0, 2.0), 1e-9},  // beyond 90
        {"NGLEO_108_V1", {.phi0 = 2}, true, -31.75, 30, kTight},  // 25 dB below LS: 10 Y
        {"NGLEO_108_V1", {.gainMax = 35, .phi0 = 2}, false, 3, 35 - 6.75, kTight},
        // 109: Bmin = phi0 leaves -12 t^2 and -(22 + 20 log t); Bmin absent is 0.6; the floor.
        {"FROFF_109_V1", {.gainMax = 40, .beamlet = 2, .phi0 = 2}, false, 2, 28, kTight},
        {"FROFF_109_V1",
         {.gainMax = 40, .beamlet = 2, .phi0 = 2},
         false,
         4,
         18 - 20 * lg(2),
         kTight},
        {"FROFF_109_V1", {.gainMax = 40, .phi0 = 2}, false, 1.5, Froff(40, 0.6, 2, 1.5), kTight},
        {"FROFF_109_V1", {.gainMax = 20, .phi0 = 1}, false, 50, 0, 0},
        {"FROFF_109_V1", {.beamlet = 1.2, .phi0 = 2}, true, -25.23, 2 * (1.45 * 0.6 + 0.2), kTight},
        {"PARAB_110_V1", {.gainMax = 30, .phi0 = 4}, false, 2, 27, kTight},
        {"PARAB_110_V1", {.gainMax = 30, .phi0 = 4}, false, 90, 0, kTight},  // default floor -30
        {"PARAB_110_V1", {.fields = {-20}, .phi0 = 4}, true, -20, 4 * std::sqrt(20.0 / 12), kTight},
        {"ISOTR_111_V1", {.gainMax = 12.5}, false, 170, 12.5, 0},
        // 112: check values of the definition (4 and 6 decimals).
        {"PSENS_112_V1", psens, false, 1, 21.7891, 5e-5},
        {"PSENS_112_V1", psens, false, 5, 4.3149, 5e-5},
        {"PSENS_112_V1", psens, false, 30, -15.1389, 5e-5},
        {"PSENS_112_V1", psens, false, 69.01, -23, 5e-5},
        {"PSENS_112_V1", psens2, false, 5, 18.5170, 5e-5},
        {"PSENS_112_V1", psens2, false, 68.99, -19.2171, 5e-5},
        {"PSENS_112_V1", psens2, false, 69.01, -19.2475, 5e-5},
        {"PSENS_112_V1", psensC, true, -3, 0.233747, 5e-7},
        {"PSENS_112_V1", psensC, true, -50, 5.872739, 5e-7},
        {"PSENS_112_V1", psensC, true, -76.7, 68.681642, 5e-7},
        {"PSENS_112_V1", psensC, true, -76.76, 69, 5e-7},
        // 113 and 114: contours, and the steps (113 up by 0.025 after 2.5, 114 down at 10).
        {"SNS9A_113_V1", {}, true, -3, 0.704050, 5e-7},
        {"SNS9A_113_V1", {}, true, -34, 2.5, 5e-7},
        {"SNS9A_113_V1", {}, true, -34.01, 2.510086, 5e-7},
        {"SNS9A_113_V1", {}, true, -50, 7.118156, 5e-7},
        {"SNS9A_113_V1", {}, true, -60, 10, 5e-7},
        {"SNS9A_113_V1", {.gainMax = 0}, false, 2.5 + 1e-12, -33.975, 1e-9},
        {"SNS9B_114_V1", {}, true, -3, 0.347712, 5e-7},
        {"SNS9B_114_V1", {}, true, -20, 0.921361, 5e-7},
        {"SNS9B_114_V1", {}, true, -40, 2.324532, 5e-7},
        {"SNS9B_114_V1", {}, true, -36.5001, 1.25, 5e-7},
        {"SNS9B_114_V1", {}, true, -64.9995, 10, 5e-7},
        {"SNS9B_114_V1", {.gainMax = 0}, false, 10, -64.999, 1e-9},
        // 115 with the defaults, nbar 2, and an elliptical aperture.
        {"TAYLR_115_V1", taylor, false, 0.461002, -3, 5e-5},
        {"TAYLR_115_V1", taylor, false, 1, -20.6089, 5e-5},
        {"TAYLR_115_V1", taylor, false, 10, -49.1415, 5e-5},
        {"TAYLR_115_V1", taylor, false, 90, -68.1567, 5e-5},
        {"TAYLR_115_V1", taylor, false, 120, -68.1567, 5e-5},
        {"TAYLR_115_V1", taylor, false, 180, -68.1567, 5e-5},
        {"TAYLR_115_V1", taylor, false, 1.125552, -100, 5e-5},
        {"TAYLR_115_V1", taylor, true, -3, 0.461002, 5e-7},
        {"TAYLR_115_V1", taylor, true, -10, 0.785042, 5e-7},
        {"TAYLR_115_V1", taylor, true, -20, 0.992243, 5e-7},
        {"TAYLR_115_V1", taylor2, false, 1, -16.5183, 5e-5},
        {"TAYLR_115_V1", taylor2, false, 2, -68.1544, 5e-5},
        {"TAYLR_115_V1", taylor2, false, 90, -71.2692, 5e-5},
        {"TAYLR_115_V1", ellipse(0), false, 1, -24.4096, 5e-5},
        {"TAYLR_115_V1", ellipse(45), false, 1, -19.6958, 5e-5},
        {"TAYLR_115_V1", ellipse(90), false, 1, -5.8209, 5e-5},
        // 116: Rel(Phi0/2) = -3.0103 for every Phi0; Phi0 2 and 150.
        {"AIRYS_116_V1", {.gainMax = 0, .phi0 = 0.5}, false, 0.25, -3.0103, 5e-5},
        {"AIRYS_116_V1", {.gainMax = 0, .phi0 = 30}, false, 15, -3.0103, 5e-5},
        {"AIRYS_116_V1", {.gainMax = 0, .phi0 = 2}, false, 2, -16.2679, 5e-5},
        {"AIRYS_116_V1", {.gainMax = 0, .phi0 = 2}, false, 90, -58.4928, 5e-5},
        {"AIRYS_116_V1", {.gainMax = 0, .phi0 = 2}, false, 135, -58.4928, 5e-5},
        {"AIRYS_116_V1", {.gainMax = 0, .phi0 = 2}, false, 2.371163, -100, 5e-5},
        {"AIRYS_116_V1", {.gainMax = 0, .phi0 = 150}, false, 90, -3.2417, 5e-5},
        {"AIRYS_116_V1", {.phi0 = 2}, true, -3, 0.998392, 5e-7},
        {"AIRYS_116_V1", {.phi0 = 2}, true, -10, 1.690013, 5e-7},
        {"AIRYS_116_V1", {.phi0 = 2}, true, -20, 2.116104, 5e-7},
    };
    for (const Value& v : values) {
        SCOPED_TRACE(std::string(v.name) + (v.contour ? " level " : " phi ") + std::to_string(v.x));
        if (v.contour) {
            const Out o = Contour(v.name, v.x, v.in);
            EXPECT_EQ(o.status, 0);
            EXPECT_NEAR(o.value, v.expected, v.tolerance);
        } else {
            EXPECT_NEAR(G(v.name, v.in, v.x), v.expected, v.tolerance);
        }
    }
}

// At u = j_n (n < nbar) the quotient is 0/0; its limit keeps F continuous.
TEST_F(Space, TaylorAtTheZerosOfJ1) {
    const In in{.gainMax = 0, .fields = kTaylorDefaults};
    const double umax = kPi * 1.6 / 0.0249827048;
    for (int n = 1; n <= 3; ++n) {
        const double g = G("TAYLR_115_V1", in, std::asin(kJ[n - 1] / umax) / kDeg);
        const double near = std::asin((kJ[n - 1] + 1e-5) / umax) / kDeg;
        EXPECT_NEAR(g, Taylor(kTaylorDefaults, 0, near), 1e-3) << "n " << n;
    }
}

// ---- Statuses and their events ------------------------------------------------

struct Case {
    const char* what;
    std::function<Out()> call;
    int status;
    std::vector<std::string> numbers;
};

TEST_F(Space, Statuses) {
    const double zmax104 = std::pow(10.0, 1 / 1.4);
    auto taylor = [](int field, double v) {
        auto f = kTaylorDefaults;
        f[field] = v;
        return f;
    };
    const std::vector<double> tiny = {1.0, 0.5, 0.5, 20.0, 4.0, 0.0};  // -20 dB lies beyond 90 deg
    const double gm112 = 10 * lg(0.1 * kPi * kPi * 9);                 // eta 0.1, d 3
    const Case cases[] = {
        {"101 GainMax + LS 0.018",
         [] { return Validate("GSOSS_101_V1", {.gainMax = 20.018, .phi0 = 1}); },
         0,
         {}},
        {"101 GainMax + LS 0",
         [] { return Validate("GSOSS_101_V1", {.gainMax = 20, .phi0 = 1}); },
         -6002,
         {"0.018"}},
        {"103 gain",
         [] { return Gain("GSOSS_103_V1", {.gainMax = 29, .phi = 1, .phi0 = 1}); },
         -6002,
         {"-1", "0.018"}},
        {"103 checks off",
         [] { return Gain("GSOSS_103_V1", {.gainMax = 29, .phi = 1, .phi0 = 1}, 0); },
         0,
         {}},
        {"104 z below zmax",
         [=] { return Validate("NGSOS_104_V1", {.fields = {zmax104 * (1 - 1e-12)}}); },
         0,
         {}},
        {"104 z = zmax",
         [=] { return Validate("NGSOS_104_V1", {.fields = {zmax104}}); },
         -6005,
         {"z"}},
        {"107 z 0.99",
         [] { return Validate("NGSOS_107_V1", {.fields = {0.99}}); },
         -6005,
         {"z", "0.99"}},
        {"105 contour z 10",
         [] { return Contour("NGSOS_105_V1", -3, {.fields = {10}, .phi0 = 1}); },
         -6005,
         {"z", "10"}},
        {"106 GainMax + LN 0", [] { return Validate("NGSOS_106_V1", {.gainMax = 25}); }, 0, {}},
        {"106 GainMax + LN -0.5",
         [] { return Validate("NGSOS_106_V1", {.gainMax = 24.5}); },
         -6002,
         {"24.5", "-0.5"}},
        {"106 gain",
         [] { return Gain("NGSOS_106_V1", {.gainMax = 24.5, .phi = 1, .phi0 = 1}); },
         -6002,
         {"-0.5"}},
        {"106 checks off",
         [] { return Gain("NGSOS_106_V1", {.gainMax = 24.5, .phi = 1, .phi0 = 1}, 0); },
         0,
         {}},
        {"109 Phi0 < Bmin",
         [] { return Validate("FROFF_109_V1", {.beamlet = 1, .phi0 = 0.8}); },
         -6006,
         {"0.8", "1"}},
        {"109 Phi0 < 0.6",
         [] { return Validate("FROFF_109_V1", {.phi0 = 0.5}); },
         -6006,
         {"0.5", "0.6"}},
        {"109 Phi0 = Bmin",
         [] { return Validate("FROFF_109_V1", {.beamlet = 1, .phi0 = 1}); },
         0,
         {}},
        {"109 gain",
         [] { return Gain("FROFF_109_V1", {.gainMax = 30, .beamlet = 1, .phi0 = 0.8}); },
         -6006,
         {"0.8"}},
        {"109 contour",
         [] { return Contour("FROFF_109_V1", -3, {.beamlet = 1, .phi0 = 0.8}); },
         -6006,
         {"0.8"}},
        {"109 checks off",
         [] {
             return Gain("FROFF_109_V1", {.gainMax = 30, .beamlet = 1, .phi = 0.1, .phi0 = 0.8}, 0);
         },
         0,
         {}},
        {"109 Bmin -1",
         [] { return Gain("FROFF_109_V1", {.gainMax = 40, .beamlet = -1, .phi = 1, .phi0 = 1}); },
         -6002,
         {"Beamlet", "-1"}},
        {"110 below the floor",
         [] { return Contour("PARAB_110_V1", -20.5, {.fields = {-20}, .phi0 = 4}); },
         -6010,
         {"-20.5", "-20"}},
        {"110 floor -2",
         [] { return Validate("PARAB_110_V1", {.fields = {-2}}); },
         -6005,
         {"floor", "-2"}},
        {"110 gain floor -101",
         [] {
             return Gain("PARAB_110_V1", {.gainMax = 30, .fields = {-101}, .phi = 1, .phi0 = 1});
         },
         -6005,
         {"floor", "-101"}},
        {"111 contour", [] { return Contour("ISOTR_111_V1", -3, {}); }, -6010, {"-3"}},
        {"111 contour -100", [] { return Contour("ISOTR_111_V1", -100, {}); }, -6010, {"-100"}},
        {"111 Phi absent",
         [] { return Gain("ISOTR_111_V1", {.gainMax = 12.5, .phi = kNoValue}); },
         0,
         {}},
        {"112 far level",
         [] { return Contour("PSENS_112_V1", -76.8, {.fields = {0.6}, .phi0 = 0.46749335}); },
         -6010,
         {"-76.8", "-76.779"}},
        {"112 d 1.2995",
         [] { return Validate("PSENS_112_V1", {.gainMax = 10}); },
         -6002,
         {"1.29", "2"}},
        {"112 gain d 1.2995",
         [] { return Gain("PSENS_112_V1", {.gainMax = 10, .phi = 1}); },
         -6002,
         {"1.29"}},
        {"112 contour d 1.633",
         [] { return Contour("PSENS_112_V1", -3, {.phi0 = 50}); },
         -6002,
         {"1.63", "Phi0"}},
        {"112 5.5 + 5 log(eta^2 d) -2.11",
         [=] { return Validate("PSENS_112_V1", {.gainMax = gm112, .fields = {0.1}}); },
         -6002,
         {"-2.11"}},
        {"112 GainMax absent", [] { return Validate("PSENS_112_V1", {.phi0 = 0.5}); }, 0, {}},
        {"112 efficiency 1.5",
         [] { return Validate("PSENS_112_V1", {.fields = {1.5}}); },
         -6005,
         {"efficiency", "1.5"}},
        {"112 gain needs no Phi0",
         [] { return Gain("PSENS_112_V1", {.gainMax = 40, .phi = 1}); },
         0,
         {}},
        {"112 contour needs Phi0", [] { return Contour("PSENS_112_V1", -3, {}); }, -6001, {"Phi0"}},
        {"113 below -60",
         [] { return Contour("SNS9A_113_V1", -60.5, {}); },
         -6010,
         {"-60.5", "-60"}},
        {"114 below -65",
         [] { return Contour("SNS9B_114_V1", -65.1, {}); },
         -6010,
         {"-65.1", "-65"}},
        {"115 gain, no structure",
         [] { return Gain("TAYLR_115_V1", {.gainMax = 30, .phi = 1}); },
         -6001,
         {"specific"}},
        {"115 contour, no structure",
         [] { return Contour("TAYLR_115_V1", -3, {}); },
         -6001,
         {"specific"}},
        {"115 validate, no structure",
         [] { return Validate("TAYLR_115_V1", {}); },
         -6001,
         {"specific"}},
        {"115 nbar 4.5",
         [=] { return Validate("TAYLR_115_V1", {.fields = taylor(4, 4.5)}); },
         -6005,
         {"nbar", "4.5"}},
        {"115 nbar 13, checks off",
         [=] {
             return Gain("TAYLR_115_V1", {.gainMax = 30, .fields = taylor(4, 13), .phi = 1}, 0);
         },
         -6005,
         {"nbar", "13"}},
        {"115 nbar 1, checks off",
         [=] { return Contour("TAYLR_115_V1", -3, {.fields = taylor(4, 1)}, 0); },
         -6005,
         {"nbar", "1"}},
        {"115 SLR 70",
         [=] { return Validate("TAYLR_115_V1", {.fields = taylor(3, 70)}); },
         -6005,
         {"SLR", "70"}},
        {"115 SLR 70, checks off",
         [=] {
             return Gain("TAYLR_115_V1", {.gainMax = 30, .fields = taylor(3, 70), .phi = 1}, 0);
         },
         0,
         {}},
        {"115 beyond 90 deg",
         [=] { return Contour("TAYLR_115_V1", -20, {.fields = tiny}); },
         -6010,
         {"-20"}},
        {"115 below -100",
         [] { return Contour("TAYLR_115_V1", -100.5, {.fields = kTaylorDefaults}, 0); },
         -6010,
         {"-100.5"}},
        {"116 beyond 90 deg",
         [] { return Contour("AIRYS_116_V1", -10, {.phi0 = 150}); },
         -6010,
         {"-10", "-3.24"}},
        // A formula that gives no number is refused, not hidden behind a floor or the -100 clamp.
        // Phi0 0 is refused whatever GainValid says: the formulas divide by it.
        {"110 Phi0 0, checks off",
         [] { return Gain("PARAB_110_V1", {.gainMax = 40, .phi = 0, .phi0 = 0}, 0); },
         -6002,
         {"Phi0 0"}},
        // sin(Phi0/2) of a denormal Phi0: u = u3 sin(1 deg) / 5e-321 overflows.
        {"116 J1(inf), checks off",
         [] { return Gain("AIRYS_116_V1", {.gainMax = 40, .phi = 1, .phi0 = 1e-320}, 0); },
         -6002,
         {"Phi 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Out o = c.call();
        Expect(o, c.status, c.numbers);
        if (o.status < 0) {
            EXPECT_EQ(o.value, kNoValue);  // a failed gain, or Phi left NoValue
        }
    }
    ASSERT_GT(Taylor(tiny, 0, 90), -20.0);
}

// Phi0 must be above 0 where a pattern uses it.
TEST_F(Space, Phi0NotPositive) {
    for (const char* name : {"GSOSS_101_V1", "NGSOS_105_V1", "NGLEO_108_V1", "FROFF_109_V1",
                             "PARAB_110_V1", "AIRYS_116_V1"}) {
        SCOPED_TRACE(name);
        Expect(Validate(name, {.beamlet = 1e-3, .phi0 = 0}), -6002, {"Phi0", "0"});
        Expect(Gain(name, {.gainMax = 40, .beamlet = 1e-3, .phi = 1, .phi0 = -1}), -6002,
               {"Phi0", "-1"});
        Expect(Contour(name, -3, {.beamlet = 1e-3, .phi0 = 0}), -6002, {"Phi0"});
        // The formulas divide by Phi0: refused with the checks off as well.
        Expect(Gain(name, {.gainMax = 40, .beamlet = 1e-3, .phi = 1, .phi0 = 0}, 0), -6002,
               {"Phi0", "0"});
        Expect(Contour(name, -3, {.beamlet = 1e-3, .phi0 = -1}, 0), -6002, {"Phi0", "-1"});
    }
}

// Absent and non-finite inputs, whatever GainValid says; GainMax absent fails
// the gain only.
TEST_F(Space, AbsentAndNonFiniteInputs) {
    const KAM_LibraryInfo& lib = stdtest::Library();
    for (int i = 0; i < lib.patternCount; ++i) {
        const KAM_PatternInfo& p = lib.patterns[i];
        if (p.type != 2) continue;
        for (int gainValid : {1, 0}) {
            SCOPED_TRACE(std::string(p.name) + " GainValid " + std::to_string(gainValid));
            In good{.gainMax = 40, .phi = 1, .phi0 = 1};
            if (std::strcmp(p.name, "TAYLR_115_V1") == 0) good.fields = kTaylorDefaults;
            const int* props = p.paramProperties;
            In in = good;
            in.gainMax = kNoValue;
            Expect(Gain(p.name, in, gainValid), -6001, {"GainMax"});
            Expect(Contour(p.name, kNoValue, good, gainValid), -6001, {"GainRel"});
            in = good;
            in.phi = kNoValue;
            if (props[6] == 10) Expect(Gain(p.name, in, gainValid), -6001, {"Phi"});
            in = good;
            in.phi0 = kNoValue;
            if (props[7] == 10) Expect(Gain(p.name, in, gainValid), -6001, {"Phi0"});
            if (props[7] == 10) Expect(Contour(p.name, -3, in, gainValid), -6001, {"Phi0"});
            for (double bad : {kNaN, kInf, -kInf}) {
                in = good;
                in.gainMax = bad;
                Expect(Gain(p.name, in, gainValid), -6011, {"GainMax"});
                in = good;
                in.phi = bad;
                Expect(Gain(p.name, in, gainValid), -6011, {"Phi"});
                Expect(Contour(p.name, bad, good, gainValid), -6011, {"GainRel"});
            }
        }
    }
}

// Contour validation calls the validators with GainMax absent and Phi 0.0:
// every pattern passes; a level of 0 gives Phi 0, a level above 0 is never
// reached.
TEST_F(Space, ContourValidationAndLevelZero) {
    const KAM_LibraryInfo& lib = stdtest::Library();
    for (int i = 0; i < lib.patternCount; ++i) {
        const KAM_PatternInfo& p = lib.patterns[i];
        if (p.type != 2) continue;
        SCOPED_TRACE(p.name);
        In in{.beamlet = p.paramProperties[1] == 20 ? 0.5 : kNoValue, .phi = 0, .phi0 = 1};
        if (std::strcmp(p.name, "TAYLR_115_V1") == 0) in.fields = kTaylorDefaults;
        Expect(Validate(p.name, in), 0);
        const Out zero = Contour(p.name, 0.0, in);
        EXPECT_EQ(zero.status, 0);
        EXPECT_EQ(zero.value, 0.0);
        Expect(Contour(p.name, 0.5, in), -6010, {"0.5"});
    }
}

// Without the library's checks nonsense is computed: no crash, and the
// bisection ends even when its interval is not a number.
TEST_F(Space, NonsenseWithChecksOffEnds) {
    const std::vector<double> huge = {1e-300, 1e300, 1e300, 1e6, 4.0, 0.0};
    EXPECT_NE(Contour("TAYLR_115_V1", -3, {.fields = huge}, 0).status, 0);
    for (const Out& o :
         {Gain("TAYLR_115_V1", {.gainMax = 40, .fields = huge, .phi = 1}, 0),
          Gain("NGSOS_104_V1", {.gainMax = 40, .fields = {100}, .phi = 1, .phi0 = 1}, 0),
          Gain("FROFF_109_V1", {.gainMax = 40, .beamlet = -1, .phi = 1, .phi0 = 1}, 0),
          Contour("AIRYS_116_V1", -3, {.phi0 = 720}, 0)})
        EXPECT_TRUE(o.status == 0 || o.status == -6002 || o.status == -6010) << o.status;
}

// ---- Records ------------------------------------------------------------------

TEST_F(Space, CatalogueRecords) {
    struct Row {
        const char* name;
        const char* title;
        int properties[8];
        int fields;
        bool validateInput, validateAll;
    };
    const Row rows[] = {
        {"GSOSS_101_V1",
         "GSO FSS space station, circular beam, LS -20 dB",
         {20, 30, 30, 30, 30, 30, 10, 10},
         0,
         true,
         true},
        {"GSOSS_102_V1",
         "GSO FSS space station, circular beam, LS -25 dB",
         {20, 30, 30, 30, 30, 30, 10, 10},
         0,
         true,
         true},
        {"GSOSS_103_V1",
         "GSO FSS space station, circular beam, LS -30 dB",
         {20, 30, 30, 30, 30, 30, 10, 10},
         0,
         true,
         true},
        {"NGSOS_104_V1",
         "NGSO FSS space station, LN -15 dB",
         {20, 30, 30, 30, 30, 20, 10, 10},
         1,
         true,
         true},
        {"NGSOS_105_V1",
         "NGSO FSS space station, LN -20 dB",
         {20, 30, 30, 30, 30, 20, 10, 10},
         1,
         true,
         true},
        {"NGSOS_106_V1",
         "NGSO FSS space station, LN -25 dB",
         {20, 30, 30, 30, 30, 20, 10, 10},
         1,
         true,
         true},
        {"NGSOS_107_V1",
         "NGSO FSS space station, LN -30 dB",
         {20, 30, 30, 30, 30, 20, 10, 10},
         1,
         true,
         true},
        {"NGLEO_108_V1",
         "NGSO space station, low-orbit variant",
         {20, 30, 30, 30, 30, 30, 10, 10},
         0,
         false,
         true},
        {"FROFF_109_V1",
         "Space station with fast roll-off in the main beam",
         {20, 20, 30, 30, 30, 30, 10, 10},
         0,
         true,
         true},
        {"PARAB_110_V1",
         "Parabolic main lobe with a floor",
         {20, 30, 30, 30, 30, 20, 10, 10},
         1,
         true,
         true},
        {"ISOTR_111_V1",
         "Isotropic space station antenna",
         {20, 30, 30, 30, 30, 30, 20, 30},
         0,
         false,
         false},
        {"PSENS_112_V1",
         "Spaceborne passive sensor",
         {20, 30, 30, 30, 30, 20, 10, 20},
         1,
         true,
         true},
        {"SNS9A_113_V1",
         "Spaceborne sensor, fit A",
         {20, 30, 30, 30, 30, 30, 10, 30},
         0,
         false,
         false},
        {"SNS9B_114_V1",
         "Spaceborne sensor, fit B",
         {20, 30, 30, 30, 30, 30, 10, 30},
         0,
         false,
         false},
        {"TAYLR_115_V1",
         "NGSO space station, Taylor illumination",
         {20, 30, 30, 30, 30, 10, 10, 30},
         6,
         true,
         false},
        {"AIRYS_116_V1",
         "Uniform circular aperture",
         {20, 30, 30, 30, 30, 30, 10, 10},
         0,
         false,
         true},
    };
    const KAM_LibraryInfo& lib = stdtest::Library();
    int first = 0;
    while (first < lib.patternCount && std::strcmp(lib.patterns[first].name, rows[0].name) != 0)
        ++first;
    ASSERT_LE(first + 16, lib.patternCount);
    for (int i = 0; i < 16; ++i) {
        const Row& r = rows[i];
        const KAM_PatternInfo& p = lib.patterns[first + i];  // catalogue order
        SCOPED_TRACE(r.name);
        EXPECT_STREQ(p.name, r.name);
        EXPECT_STREQ(reinterpret_cast<const char*>(p.title), r.title);
        EXPECT_EQ(p.type, 2);
        EXPECT_EQ(std::memcmp(p.paramProperties, r.properties, sizeof r.properties), 0);
        EXPECT_EQ(p.specificSize, 8 * r.fields);
        EXPECT_EQ(p.specificStructId, r.fields > 0 ? 101 + i : 0);
        EXPECT_EQ(p.validateInput.space != nullptr, r.validateInput);
        EXPECT_EQ(p.validateAll.space != nullptr, r.validateAll);
        EXPECT_NE(p.contour.space, nullptr);
    }
    struct Element {
        int structId, index;
        const char* name;
        const char* unit;
        double def, lo, hi;
    };
    const Element elements[] = {
        {104, 0, "z", "", 1, 1, std::pow(10.0, 1 / 1.4)},
        {107, 0, "z", "", 1, 1, std::pow(10.0, 1 / 0.4)},
        {110, 0, "floor", "dB", -30, -100, -3},
        {112, 0, "efficiency", "", 0.6, 0.1, 1},
        {115, 0, "lambda", "m", 0.0249827048, 0.0001, 100},
        {115, 1, "Lr", "m", 1.6, 0.001, 1000},
        {115, 2, "Lt", "m", 1.6, 0.001, 1000},
        {115, 3, "SLR", "dB", 20, 15, 60},
        {115, 4, "nbar", "", 4, 2, 12},
        {115, 5, "planeAngle", "deg", 0, -180, 180},
    };
    for (const Element& e : elements) {
        SCOPED_TRACE(e.name);
        const KAM_SpecificParDef* found = nullptr;
        for (int i = 0; i < lib.specificParDefCount; ++i)
            if (lib.specificParDefs[i].structId == e.structId &&
                lib.specificParDefs[i].elementIndex == e.index)
                found = &lib.specificParDefs[i];
        ASSERT_NE(found, nullptr);
        KAM_ElementDescription d;
        std::memcpy(&d, found->description, sizeof d);
        EXPECT_STREQ(d.name, e.name);
        EXPECT_STREQ(d.unit, e.unit);
        EXPECT_EQ(d.valueType, 1);
        EXPECT_EQ(d.offset, 8 * e.index);
        EXPECT_DOUBLE_EQ(d.defaultValue, e.def);
        EXPECT_DOUBLE_EQ(d.lowest, e.lo);
        EXPECT_DOUBLE_EQ(d.highest, e.hi);
    }
}

// ---- Through the host's exports -------------------------------------------------

// Restores the host's switches, and hands the library back the capturing
// sink the other tests use.
class SpaceThroughHost : public HostTest {
protected:
    static int Gain(const char* name, double gainMax, double beamlet, void* specific, double phi,
                    double phi0) {
        gainX_ = 0;
        return KAM_SpacePatternGain(KAM_StdLibraryId(), name, gainMax, beamlet, specific, phi, phi0,
                                    &gain_, &gainX_);
    }
    static int Contour(const char* name, double level, double beamlet, void* specific,
                       double phi0) {
        return KAM_SpacePatternContour(KAM_StdLibraryId(), name, level, beamlet, specific, phi0,
                                       &phi_, &phiX_);
    }
    static inline double gain_ = 0, gainX_ = 0, phi_ = 0, phiX_ = 0;
};

TEST_F(SpaceThroughHost, GainAndContour) {
    EXPECT_EQ(Gain("GSOSS_101_V1", 40, kNoValue, KAM_NOVALUE_STRUCT, 10, 1), 0);
    EXPECT_NEAR(gain_, 15.0, kTight);  // LS + 20 - 25 log 10, by hand
    EXPECT_EQ(gainX_, kNoValue);
    EXPECT_EQ(Gain("GSOSS_101_V1", kNoValue, kNoValue, KAM_NOVALUE_STRUCT, 4, 1), -6001);
    // Contours validate with GainMax absent and Phi 0.0: every kind passes.
    EXPECT_EQ(Contour("AIRYS_116_V1", -3, kNoValue, KAM_NOVALUE_STRUCT, 2), 0);
    EXPECT_NEAR(phi_, 0.998392, 5e-7);
    EXPECT_EQ(phiX_, kNoValue);
    std::vector<double> z = {2.0}, taylor = kTaylorDefaults;
    EXPECT_EQ(Contour("NGSOS_105_V1", -3, kNoValue, z.data(), 0.8), 0);
    EXPECT_NEAR(phi_, 0.8, kTight);
    EXPECT_EQ(Contour("FROFF_109_V1", -3, 1.2, KAM_NOVALUE_STRUCT, 2), 0);
    EXPECT_NEAR(phi_, 1.0, kTight);  // t = 0.5
    EXPECT_EQ(Contour("TAYLR_115_V1", -10, kNoValue, taylor.data(), kNoValue), 0);
    EXPECT_NEAR(phi_, 0.785042, 5e-7);
    EXPECT_EQ(Contour("ISOTR_111_V1", -3, kNoValue, KAM_NOVALUE_STRUCT, kNoValue), -6010);
    EXPECT_EQ(phi_, kNoValue);
    // GainValid: 103 with GainMax 29 (GainMax + LS = -1) is computed only with it off.
    KAM_DisableInputParamValid();
    EXPECT_EQ(Gain("GSOSS_103_V1", 29, kNoValue, KAM_NOVALUE_STRUCT, 1, 1), -6002);
    KAM_DisableGainValid();
    EXPECT_EQ(Gain("GSOSS_103_V1", 29, kNoValue, KAM_NOVALUE_STRUCT, 1, 1), 0);
    EXPECT_NEAR(gain_, 26.0, kTight);
}

}  // namespace
