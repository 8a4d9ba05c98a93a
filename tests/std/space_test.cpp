// Space patterns 101 to 116 of the standard library, driven through their
// slots as a host reaches them. Expected values are written here from the
// formulas (independently of the library's code) or are the check values of
// the pattern definitions. Contours are inverted against the gain function:
// the gain just before the returned angle is above the level, the gain at or
// just after it is at or below it (the first crossing).
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

using stdtest::kNoValue;

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTight = 1e-9;  // dB or deg, values derived from the formulas
double lg(double x) { return std::log10(x); }

// One set of inputs of a space call.
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

void* Specific(In& in) { return in.fields.empty() ? KAM_NOVALUE_STRUCT : in.fields.data(); }

class Space : public ::testing::Test {
protected:
    void SetUp() override { LIP_SetEventLogHandler(&stdtest::CaptureSink); }
    void TearDown() override { stdtest::Library(1); }

    static const KAM_PatternInfo& P(const char* name) {
        const KAM_PatternInfo* p = stdtest::Pattern(name);
        EXPECT_NE(p, nullptr) << name;
        return *p;
    }
    static Out Gain(const char* name, In in, int gainValid = 1) {
        const KAM_PatternInfo& p = P(name);
        stdtest::Library(gainValid);
        Out o{0, -1.0, -1.0, {}};
        o.status = p.gain.space(&in.gainMax, &in.beamlet, Specific(in), &in.phi, &in.phi0,
                                &o.value, &o.valueX);
        o.events = stdtest::Events();
        return o;
    }
    // The gain at phi, expected to succeed.
    static double G(const char* name, In in, double phi) {
        in.phi = phi;
        const Out o = Gain(name, in);
        EXPECT_EQ(o.status, 0) << name << " phi " << phi;
        EXPECT_EQ(o.valueX, kNoValue) << name;
        return o.value;
    }
    // The contour of level; Phi and PhiX start as NoValue, as the host sets them.
    static Out Contour(const char* name, double level, In in, int gainValid = 1) {
        const KAM_PatternInfo& p = P(name);
        stdtest::Library(gainValid);
        Out o{0, kNoValue, kNoValue, {}};
        o.status = p.contour.space(&level, &in.beamlet, Specific(in), &in.phi0, &o.value,
                                   &o.valueX);
        o.events = stdtest::Events();
        EXPECT_EQ(o.valueX, kNoValue) << name << ": PhiX is never written";
        return o;
    }
    static double C(const char* name, double level, In in) {
        const Out o = Contour(name, level, in);
        EXPECT_EQ(o.status, 0) << name << " level " << level;
        return o.value;
    }
    // validateInput, then validateAll (each when the pattern has one).
    static Out Validate(const char* name, In in) {
        const KAM_PatternInfo& p = P(name);
        stdtest::Library(1);
        Out o{0, 0, 0, {}};
        if (p.validateInput.space)
            o.status = p.validateInput.space(&in.gainMax, &in.beamlet, Specific(in));
        if (o.status >= 0 && p.validateAll.space) {
            const int s = p.validateAll.space(&in.gainMax, &in.beamlet, Specific(in), &in.phi,
                                              &in.phi0);
            if (s != 0) o.status = s;
        }
        o.events = stdtest::Events();
        return o;
    }
    // Expects status with exactly one event of that code whose text holds
    // every piece of `numbers`; the outputs of a failed gain are NoValue.
    static void ExpectFailure(const Out& o, int status, std::vector<std::string> numbers) {
        EXPECT_EQ(o.status, status);
        ASSERT_EQ(o.events.size(), 1u);
        EXPECT_EQ(o.events[0].code, status);
        for (const std::string& n : numbers)
            EXPECT_NE(o.events[0].text.find(n), std::string::npos)
                << "\"" << o.events[0].text << "\" lacks " << n;
    }

    // The first-crossing rule: Rel just before phi is above level, Rel at phi
    // (continuous) or just after it (a step) is at or below it.
    static void ExpectFirstCrossing(const std::function<double(double)>& rel, double level,
                                    double phi) {
        const double before = phi * (1.0 - 1e-9);
        const double after = phi * (1.0 + 1e-9);
        EXPECT_GT(rel(before), level) << "phi " << phi;
        EXPECT_LE(std::fmin(rel(phi), rel(after)), level + 1e-7) << "phi " << phi;
    }
};

// One value of a gain function: inputs and the expected gain, derived by hand.
struct Point {
    double phi;
    double expected;
};

// ---- 101 to 103 ------------------------------------------------------------

struct GsoRow {
    const char* name;
    double ls, a, b;
};
const GsoRow kGso[] = {{"GSOSS_101_V1", -20, 2.58, 6.32},
                       {"GSOSS_102_V1", -25, 2.88, 6.32},
                       {"GSOSS_103_V1", -30, 3.16, 6.32}};

double GsoReference(const GsoRow& r, double gm, double psi, double psi0) {
    const double x = psi / psi0;
    const double psi1 = psi0 * std::pow(10.0, (gm + r.ls + 20.0) / 25.0);  // LF = 0
    if (psi > psi1) return 0.0;
    if (psi > r.b * psi0) return gm + r.ls + 20.0 - 25.0 * lg(x);
    if (psi > r.a * psi0) return gm + r.ls;
    return gm - 3.0 * x * x;
}

TEST_F(Space, GsoSegmentsAndBreakpoints) {
    const double gm = 40.0, psi0 = 1.5;
    for (const GsoRow& r : kGso) {
        SCOPED_TRACE(r.name);
        const In in{.gainMax = gm, .phi0 = psi0};
        const double x1 = std::pow(10.0, (gm + r.ls + 20.0) / 25.0);
        for (double x : {0.0, 0.7, r.a, 4.0, r.b, 10.0, x1, 100.0})
            for (double psi : {x * psi0, x * psi0 * (1 + 1e-9)})
                EXPECT_NEAR(G(r.name, in, psi), GsoReference(r, gm, psi, psi0), kTight)
                    << "psi " << psi;
        EXPECT_NEAR(G(r.name, in, psi0), gm - 3.0, kTight);
        EXPECT_NEAR(G(r.name, in, -psi0), gm - 3.0, kTight);  // symmetric
        // Continuous at psi1: the side-lobe law meets the 0 dBi floor.
        EXPECT_NEAR(G(r.name, in, x1 * psi0 * (1 - 1e-12)), 0.0, 1e-9);
    }
    // By hand, 101 with GainMax 40, psi0 1: 20 dBi at 4, 15 at 10, the floor at 100.
    const In in{.gainMax = 40.0, .phi0 = 1.0};
    EXPECT_NEAR(G("GSOSS_101_V1", in, 4.0), 20.0, kTight);
    EXPECT_NEAR(G("GSOSS_101_V1", in, 10.0), 15.0, kTight);
    EXPECT_NEAR(G("GSOSS_101_V1", in, 100.0), 0.0, kTight);
}

TEST_F(Space, GsoContours) {
    const double gm = 45.0, psi0 = 0.8;
    for (const GsoRow& r : kGso) {
        SCOPED_TRACE(r.name);
        const In in{.gainMax = gm, .phi0 = psi0};
        auto rel = [&](double p) { return G(r.name, in, p) - gm; };
        for (double level : {-0.5, -3.0, -12.0, -3 * r.a * r.a, r.ls + 0.01, r.ls, r.ls - 0.01,
                             r.ls - 0.018, r.ls - 0.02, r.ls - 5.0, -40.0}) {
            const double phi = C(r.name, level, In{.phi0 = psi0});
            ExpectFirstCrossing(rel, level, phi);
        }
        EXPECT_NEAR(C(r.name, -3.0, In{.phi0 = psi0}), psi0, kTight);
        // Plateau and steps: the main lobe's end, the plateau's end.
        EXPECT_NEAR(C(r.name, r.ls, In{.phi0 = psi0}), r.a * psi0, kTight);
        EXPECT_NEAR(C(r.name, r.ls - 0.01, In{.phi0 = psi0}), r.b * psi0, kTight);
        // Far below, no floor: the side-lobe law goes on beyond 180.
        const double far = C(r.name, -100.0, In{.phi0 = psi0});
        EXPECT_NEAR(far, psi0 * std::pow(10.0, (r.ls + 120.0) / 25.0), 1e-9 * far);
        EXPECT_GT(far, 180.0);
    }
}

TEST_F(Space, GsoDomain) {
    // GainMax + LS must reach 0.018: 20.018 passes, 20.0 does not.
    EXPECT_EQ(Validate("GSOSS_101_V1", In{.gainMax = 20.018, .phi0 = 1}).status, 0);
    ExpectFailure(Validate("GSOSS_101_V1", In{.gainMax = 20.0, .phi0 = 1}), -6002, {"0.018"});
    ExpectFailure(Gain("GSOSS_103_V1", In{.gainMax = 29.0, .phi = 1, .phi0 = 1}), -6002,
                  {"-1", "0.018"});
    // Without the library's checks it is computed: the main lobe still holds.
    const Out off = Gain("GSOSS_103_V1", In{.gainMax = 29.0, .phi = 1, .phi0 = 1}, 0);
    EXPECT_EQ(off.status, 0);
    EXPECT_NEAR(off.value, 26.0, kTight);
}

// ---- 104 to 107 ------------------------------------------------------------

struct NgsoRow {
    const char* name;
    double ln, k;
};
const NgsoRow kNgso[] = {{"NGSOS_104_V1", -15, 1.4},
                         {"NGSOS_105_V1", -20, 1.0},
                         {"NGSOS_106_V1", -25, 0.6},
                         {"NGSOS_107_V1", -30, 0.4}};

double NgsoReference(const NgsoRow& r, double gm, double z, double psi, double psib) {
    const double a = 2.58 * std::sqrt(1.0 - r.k * lg(z));
    const double y = 6.32 * psib * std::pow(10.0, 0.04 * (gm + r.ln));
    if (psi > 90.0) return std::max(0.0, 15.0 + r.ln + 0.25 * gm + 5.0 * lg(z));
    if (psi > std::min(y, 90.0)) return 0.0;
    if (psi > 6.32 * psib) return gm + r.ln - 25.0 * lg(psi / (6.32 * psib));
    if (psi > 3.16 * psib) return gm + r.ln;
    if (psi > a * psib) return gm + r.ln + 20.0 * lg(z);
    return gm - 3.0 * std::pow(psi / psib, 1.5);
}

TEST_F(Space, NgsoSegmentsAndBreakpoints) {
    for (const NgsoRow& r : kNgso) {
        for (double z : {1.0, 2.0}) {
            for (double gm : {30.0, 60.0}) {  // Y below 90, and Y beyond 90
                SCOPED_TRACE(std::string(r.name) + " z " + std::to_string(z) + " GainMax " +
                             std::to_string(gm));
                const double psib = 0.9;
                const In in{.gainMax = gm, .fields = {z}, .phi0 = psib};
                const double a = 2.58 * std::sqrt(1.0 - r.k * lg(z));
                const double y = 6.32 * psib * std::pow(10.0, 0.04 * (gm + r.ln));
                std::vector<double> angles = {0.0,  0.5 * psib, a * psib,  3.16 * psib,
                                              6.32 * psib, 30.0, 90.0, 120.0, 180.0};
                if (y < 90.0) angles.push_back(y);
                for (double p0 : angles)
                    for (double p : {p0, p0 * (1 + 1e-9)})
                        if (p <= 180.0) {
                            EXPECT_NEAR(G(r.name, in, p), NgsoReference(r, gm, z, p, psib),
                                        kTight)
                                << "phi " << p;
                        }
                EXPECT_NEAR(G(r.name, in, psib), gm - 3.0, kTight);
            }
        }
    }
    // By hand, 105 (LN -20), GainMax 40, z 1, psi_b 1: LB = max(0, 15 - 20 + 10) = 5
    // beyond 90; Y = 6.32 * 10^0.8 = 39.87, so 0 dBi at 50; LN - 25 log(2) at 12.64.
    const In in{.gainMax = 40.0, .phi0 = 1.0};
    EXPECT_NEAR(G("NGSOS_105_V1", in, 100.0), 5.0, kTight);
    EXPECT_NEAR(G("NGSOS_105_V1", in, 50.0), 0.0, kTight);
    EXPECT_NEAR(G("NGSOS_105_V1", in, 12.64), 20.0 - 25.0 * lg(2.0), kTight);
    EXPECT_NEAR(G("NGSOS_105_V1", in, 5.0), 20.0, kTight);
}

TEST_F(Space, NgsoContours) {
    const double gm = 50.0, psib = 0.7;
    for (const NgsoRow& r : kNgso) {
        // z 3.2 on 104 makes LN + 20 log z lie above -3 a^1.5: a step up at a psi_b.
        for (double z : {1.0, 2.0, 3.2}) {
            SCOPED_TRACE(std::string(r.name) + " z " + std::to_string(z));
            const In in{.gainMax = gm, .fields = {z}, .phi0 = psib};
            auto rel = [&](double p) { return G(r.name, in, p) - gm; };
            const double a = 2.58 * std::sqrt(1.0 - r.k * lg(z));
            const double mainEnd = -3.0 * std::pow(a, 1.5);
            for (double level : {-1.0, -3.0, mainEnd, mainEnd - 0.01, r.ln + 20 * lg(z),
                                 r.ln + 0.01, r.ln, r.ln - 0.01, r.ln - 10.0, -40.0}) {
                if (level >= 0.0) continue;
                const double phi = C(r.name, level, In{.fields = {z}, .phi0 = psib});
                ExpectFirstCrossing(rel, level, phi);
            }
            // At z 1 the plateau LN starts at a psi_b, else after the step at 0.5 b psi_b.
            const double plateau = z == 1.0 ? a * psib : 3.16 * psib;
            EXPECT_NEAR(C(r.name, r.ln, In{.fields = {z}, .phi0 = psib}), plateau, kTight);
            EXPECT_NEAR(C(r.name, -3.0, In{.fields = {z}, .phi0 = psib}), psib, kTight);
        }
        // Beyond 90 the side-lobe law is still returned.
        EXPECT_NEAR(C(r.name, -80.0, In{.phi0 = psib}),
                    6.32 * psib * std::pow(10.0, (r.ln + 80.0) / 25.0), 1e-9);
    }
}

TEST_F(Space, NgsoFieldAndDomain) {
    // zmax = 10^(1/k) is excluded; 1 is the lowest z.
    const double zmax104 = std::pow(10.0, 1.0 / 1.4);
    EXPECT_EQ(Validate("NGSOS_104_V1", In{.fields = {zmax104 * (1 - 1e-12)}, .phi0 = 1}).status, 0);
    ExpectFailure(Validate("NGSOS_104_V1", In{.fields = {zmax104}, .phi0 = 1}), -6005, {"z"});
    ExpectFailure(Validate("NGSOS_107_V1", In{.fields = {0.99}, .phi0 = 1}), -6005, {"z", "0.99"});
    ExpectFailure(Contour("NGSOS_105_V1", -3, In{.fields = {10.0}, .phi0 = 1}), -6005, {"z", "10"});
    // GainMax + LN must be at least LF = 0.
    EXPECT_EQ(Validate("NGSOS_106_V1", In{.gainMax = 25.0, .phi0 = 1}).status, 0);
    ExpectFailure(Validate("NGSOS_106_V1", In{.gainMax = 24.5, .phi0 = 1}), -6002, {"24.5", "-0.5"});
    ExpectFailure(Gain("NGSOS_106_V1", In{.gainMax = 24.5, .phi = 1, .phi0 = 1}), -6002, {"-0.5"});
    EXPECT_EQ(Gain("NGSOS_106_V1", In{.gainMax = 24.5, .phi = 1, .phi0 = 1}, 0).status, 0);
}

// ---- 108 -------------------------------------------------------------------

TEST_F(Space, LeoSegmentsAndContours) {
    const char* name = "NGLEO_108_V1";
    const double gm = 35.0, psib = 2.0;
    const double y = 1.5 * psib;
    const double z = y * std::pow(10.0, 0.04 * (gm - 6.75 - 5.0));
    auto reference = [&](double p) {
        if (p <= y) return gm - 3.0 * (p / psib) * (p / psib);
        if (p <= z) return gm - 6.75 - 25.0 * lg(p / y);
        return 5.0;
    };
    const In in{.gainMax = gm, .phi0 = psib};
    for (double p : {0.0, 1.0, psib, y, y * (1 + 1e-9), 10.0, z, z * (1 + 1e-9), 90.0, 180.0})
        EXPECT_NEAR(G(name, in, p), reference(p), kTight) << "phi " << p;
    EXPECT_NEAR(G(name, in, y), gm - 6.75, kTight);  // continuous at Y
    EXPECT_NEAR(G(name, in, z), 5.0, kTight);        // and at Z
    auto rel = [&](double p) { return G(name, in, p) - gm; };
    for (double level : {-1.0, -3.0, -6.75, -6.8, -20.0}) {
        const double phi = C(name, level, In{.phi0 = psib});
        ExpectFirstCrossing(rel, level, phi);
        EXPECT_NEAR(rel(phi), level, 1e-9);
    }
    EXPECT_NEAR(C(name, -3.0, In{.phi0 = psib}), psib, kTight);
    EXPECT_NEAR(C(name, -31.75, In{.phi0 = psib}), 10.0 * y, kTight);  // 25 dB below LS
}

// ---- 109 -------------------------------------------------------------------

double FroffRelative(double t, double beta) {
    const double x = 0.5 * (1.0 - beta);
    if (t > 1.45) return -(22.0 + 20.0 * lg(t));
    if (t > 1.45 * beta + x) return -25.23;
    if (t > 0.5) return -12.0 * std::pow((t - x) / beta, 2);
    return -12.0 * t * t;
}

TEST_F(Space, FastRollOffSegmentsAndContours) {
    const char* name = "FROFF_109_V1";
    const double gm = 40.0;
    for (double bmin : {0.6, 1.2, 2.0}) {
        const double phi0 = 2.0;
        const double beta = bmin / phi0, x = 0.5 * (1 - beta);
        SCOPED_TRACE("Bmin " + std::to_string(bmin));
        const In in{.gainMax = gm, .beamlet = bmin, .phi0 = phi0};
        for (double t : {0.0, 0.3, 0.5, 0.5 * (1 + 1e-9), 1.45 * beta + x,
                         (1.45 * beta + x) * (1 + 1e-9), 1.45, 1.45 * (1 + 1e-9), 3.0, 40.0})
            EXPECT_NEAR(G(name, in, t * phi0), std::fmax(gm + FroffRelative(t, beta), 0.0),
                        kTight)
                << "t " << t;
        // Continuous at t = 0.5 (-3) and at 1.45 beta + x (-25.23).
        EXPECT_NEAR(G(name, in, 0.5 * phi0 * (1 + 1e-12)), gm - 3.0, 1e-9);
        EXPECT_NEAR(G(name, in, (1.45 * beta + x) * phi0 * (1 - 1e-12)), gm - 25.23, 1e-9);
        auto rel = [&](double p) { return G(name, in, p) - gm; };
        for (double level : {-1.0, -3.0, -10.0, -25.23, -25.229, -25.231, -30.0}) {
            const double phi = C(name, level, In{.beamlet = bmin, .phi0 = phi0});
            ExpectFirstCrossing(rel, level, phi);
        }
        // The plateau starts at 1.45 beta + x.
        EXPECT_NEAR(C(name, -25.23, In{.beamlet = bmin, .phi0 = phi0}), (1.45 * beta + x) * phi0,
                    kTight);
    }
    // Bmin = phi0: -12 t^2, then -(22 + 20 log t); here by hand at t = 1 and 2.
    const In same{.gainMax = gm, .beamlet = 2.0, .phi0 = 2.0};
    EXPECT_NEAR(G(name, same, 2.0), gm - 12.0, kTight);
    EXPECT_NEAR(G(name, same, 4.0), gm - 22.0 - 20.0 * lg(2.0), kTight);
    // Beamlet absent: Bmin = 0.6.
    EXPECT_NEAR(G(name, In{.gainMax = gm, .phi0 = 2.0}, 1.5),
                G(name, In{.gainMax = gm, .beamlet = 0.6, .phi0 = 2.0}, 1.5), 0.0);
    // The floor: G = max(GainMax + A, 0).
    EXPECT_EQ(G(name, In{.gainMax = 20.0, .phi0 = 1.0}, 50.0), 0.0);
}

TEST_F(Space, FastRollOffPhi0BelowBmin) {
    const char* name = "FROFF_109_V1";
    ExpectFailure(Validate(name, In{.beamlet = 1.0, .phi0 = 0.8}), -6006, {"0.8", "1"});
    ExpectFailure(Validate(name, In{.phi0 = 0.5}), -6006, {"0.5", "0.6"});  // default Bmin
    EXPECT_EQ(Validate(name, In{.beamlet = 1.0, .phi0 = 1.0}).status, 0);
    ExpectFailure(Gain(name, In{.gainMax = 30, .beamlet = 1.0, .phi = 0, .phi0 = 0.8}), -6006,
                  {"0.8"});
    ExpectFailure(Contour(name, -3, In{.beamlet = 1.0, .phi0 = 0.8}), -6006, {"0.8"});
    EXPECT_EQ(Gain(name, In{.gainMax = 30, .beamlet = 1.0, .phi = 0.1, .phi0 = 0.8}, 0).status, 0);
}

// ---- 110 and 111 -----------------------------------------------------------

TEST_F(Space, ParabolaWithFloor) {
    const char* name = "PARAB_110_V1";
    const In in{.gainMax = 30.0, .fields = {-20.0}, .phi0 = 4.0};
    const double edge = 4.0 * std::sqrt(20.0 / 12.0);  // where the parabola meets the floor
    for (double p : {0.0, 1.0, 2.0, edge, edge * (1 + 1e-9), 90.0})
        EXPECT_NEAR(G(name, in, p), 30.0 + std::fmax(-12.0 * (p / 4.0) * (p / 4.0), -20.0), kTight);
    EXPECT_NEAR(G(name, in, 2.0), 27.0, kTight);  // G(Phi0/2) = GainMax - 3
    EXPECT_NEAR(G(name, In{.gainMax = 30.0, .phi0 = 4.0}, 90.0), 0.0, kTight);  // default -30
    EXPECT_NEAR(C(name, -3.0, In{.fields = {-20.0}, .phi0 = 4.0}), 2.0, kTight);
    EXPECT_NEAR(C(name, -20.0, In{.fields = {-20.0}, .phi0 = 4.0}), edge, kTight);
    ExpectFailure(Contour(name, -20.5, In{.fields = {-20.0}, .phi0 = 4.0}), -6010,
                  {"-20.5", "-20"});
    ExpectFailure(Validate(name, In{.fields = {-2.0}, .phi0 = 1}), -6005, {"floor", "-2"});
    ExpectFailure(Gain(name, In{.gainMax = 30, .fields = {-101.0}, .phi = 1, .phi0 = 1}), -6005,
                  {"floor", "-101"});
}

TEST_F(Space, Isotropic) {
    const char* name = "ISOTR_111_V1";
    const Out o = Gain(name, In{.gainMax = 12.5, .phi = kNoValue});  // Phi is optional
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.value, 12.5);
    EXPECT_EQ(o.valueX, kNoValue);
    EXPECT_EQ(G(name, In{.gainMax = 12.5}, 170.0), 12.5);
    for (double level : {-0.001, -3.0, -100.0}) ExpectFailure(Contour(name, level, In{}), -6010, {});
    EXPECT_EQ(Contour(name, -3.0, In{}).value, kNoValue);
    EXPECT_EQ(P(name).validateInput.space, nullptr);
    EXPECT_EQ(P(name).validateAll.space, nullptr);
}

// ---- 112 -------------------------------------------------------------------

TEST_F(Space, PassiveSensorCheckValues) {
    const char* name = "PSENS_112_V1";
    // The definition's check values, printed to 4 decimals.
    const In big{.gainMax = 52.568089, .fields = {0.6}};
    for (const Point& pt : {Point{1, 21.7891}, Point{5, 4.3149}, Point{30, -15.1389},
                            Point{69.01, -23.0}})
        EXPECT_NEAR(G(name, big, pt.phi), pt.expected, 5e-5) << pt.phi;
    const In small{.gainMax = 32.714488, .fields = {0.6}};
    for (const Point& pt : {Point{5, 18.5170}, Point{68.99, -19.2171}, Point{69.01, -19.2475}})
        EXPECT_NEAR(G(name, small, pt.phi), pt.expected, 5e-5) << pt.phi;
    // Contours with Phi0 0.46749335, printed to 6 decimals.
    const In c{.fields = {0.6}, .phi0 = 0.46749335};
    for (const Point& pt : {Point{-3, 0.233747}, Point{-50, 5.872739}, Point{-76.7, 68.681642},
                            Point{-76.76, 69.0}})
        EXPECT_NEAR(C(name, pt.phi, c), pt.expected, 5e-7) << pt.phi;
    ExpectFailure(Contour(name, -76.8, c), -6010, {"-76.8", "-76.779"});
}

TEST_F(Space, PassiveSensorFormulas) {
    const char* name = "PSENS_112_V1";
    for (double eta : {0.6, 1.0}) {
        for (double gm : {30.0, 50.0}) {
            SCOPED_TRACE("eta " + std::to_string(eta) + " GainMax " + std::to_string(gm));
            const double d = std::sqrt(std::pow(10.0, gm / 10.0) / eta) / kPi;
            const double phim = 22.0 / d * std::sqrt(5.5 + 5.0 * lg(eta * eta * d));
            auto reference = [&](double p) {
                const double parabola = gm - 0.0018 * d * d * p * p;
                double g = -13.0 - 5.0 * lg(d);
                if (p <= phim) {
                    g = parabola;
                } else if (p <= 69.0) {
                    g = std::fmax(parabola, 33.0 - 5.0 * lg(d) - 25.0 * lg(p));
                }
                return std::fmax(g, -23.0);
            };
            const In in{.gainMax = gm, .fields = {eta}};
            for (double p : {0.0, 0.5 * phim, phim, phim * (1 + 1e-9), 2 * phim, 20.0, 69.0,
                             69.0 * (1 + 1e-9), 180.0})
                EXPECT_NEAR(G(name, in, p), reference(p), kTight) << "phi " << p;
            // The contour with the Phi0 of this d, against the gain without its floor.
            const double phi0 = 2.0 / d * std::sqrt(3.0 / 0.0018);
            const double gm2 = 10.0 * lg(eta * kPi * kPi * d * d);
            EXPECT_NEAR(gm2, gm, 1e-9);
            auto rel = [&](double p) { return G(name, in, p) - gm; };
            for (double level : {-3.0, -10.0, -30.0, -45.0}) {
                if (level <= -23.0 - gm) continue;
                const double phi = C(name, level, In{.fields = {eta}, .phi0 = phi0});
                ExpectFirstCrossing(rel, level, phi);
            }
            EXPECT_NEAR(C(name, -3.0, In{.fields = {eta}, .phi0 = phi0}), phi0 / 2.0, kTight);
        }
    }
}

TEST_F(Space, PassiveSensorDomain) {
    const char* name = "PSENS_112_V1";
    // GainMax 10, eta 0.6: d = sqrt(10 / 0.6) / pi = 1.2995, not above 2.
    ExpectFailure(Validate(name, In{.gainMax = 10.0}), -6002, {"1.29", "2"});
    ExpectFailure(Gain(name, In{.gainMax = 10.0, .phi = 1}), -6002, {"1.29"});
    // From Phi0 in contours: Phi0 50 gives d = 1.633.
    ExpectFailure(Contour(name, -3, In{.phi0 = 50.0}), -6002, {"1.63", "Phi0"});
    // eta 0.1, d 3: 5.5 + 5 log(0.03) = -2.11, the main lobe undefined.
    const double gm = 10.0 * lg(0.1 * kPi * kPi * 9.0);
    ExpectFailure(Validate(name, In{.gainMax = gm, .fields = {0.1}}), -6002, {"-2.11"});
    EXPECT_EQ(Validate(name, In{.phi0 = 0.5}).status, 0);  // GainMax absent: no domain check
    ExpectFailure(Validate(name, In{.fields = {1.5}}), -6005, {"efficiency", "1.5"});
    ExpectFailure(Validate(name, In{.phi0 = 0.0}), -6002, {"Phi0"});
    // Phi0 is not needed by the gain.
    EXPECT_EQ(Gain(name, In{.gainMax = 40.0, .phi = 1}).status, 0);
    ExpectFailure(Contour(name, -3, In{}), -6001, {"Phi0"});
}

// ---- 113 and 114 -----------------------------------------------------------

TEST_F(Space, SensorFits) {
    struct Fit {
        const char* name;
        std::function<double(double)> rel;
        double knee;
    };
    const Fit fits[] = {
        {"SNS9A_113_V1",
         [](double p) {
             return p <= 2.5 ? -5.2 * p * p - 0.6 * p : p <= 10 ? -3.47 * p - 25.3 : -60.0;
         },
         2.5},
        {"SNS9B_114_V1",
         [](double p) {
             return p <= 1.25 ? -22.8 * p * p - 0.7 * p : p <= 10 ? -3.257 * p - 32.429 : -65.0;
         },
         1.25},
    };
    for (const Fit& f : fits) {
        SCOPED_TRACE(f.name);
        const In in{.gainMax = 40.0};
        for (double p : {0.0, 0.5, f.knee, f.knee * (1 + 1e-9), 5.0, 10.0, 10.0 * (1 + 1e-9), 100.0})
            EXPECT_NEAR(G(f.name, in, p), 40.0 + f.rel(p), kTight) << "phi " << p;
        auto rel = [&](double p) { return G(f.name, in, p) - 40.0; };
        for (double level : {-1.0, -3.0, -20.0, -34.0, -34.01, -36.5, -36.5001, -40.0, -50.0, -59.9,
                             -60.0, -64.9995}) {
            const Out o = Contour(f.name, level, in);
            if (o.status != 0) continue;  // below the far level, checked below
            ExpectFirstCrossing(rel, level, o.value);
        }
    }
    // The definitions' check values (6 decimals).
    for (const Point& pt : {Point{-3, 0.704050}, Point{-34, 2.5}, Point{-34.01, 2.510086},
                            Point{-50, 7.118156}, Point{-60, 10}})
        EXPECT_NEAR(C("SNS9A_113_V1", pt.phi, In{}), pt.expected, 5e-7) << pt.phi;
    for (const Point& pt : {Point{-3, 0.347712}, Point{-20, 0.921361}, Point{-40, 2.324532},
                            Point{-36.5001, 1.25}, Point{-64.9995, 10}})
        EXPECT_NEAR(C("SNS9B_114_V1", pt.phi, In{}), pt.expected, 5e-7) << pt.phi;
    // The steps: 113 up by 0.025 just after 2.5, 114 down at 1.25 and at 10.
    EXPECT_NEAR(G("SNS9A_113_V1", In{.gainMax = 0}, 2.5 + 1e-12), -33.975, 1e-9);
    EXPECT_NEAR(G("SNS9B_114_V1", In{.gainMax = 0}, 10.0), -64.999, 1e-9);
    ExpectFailure(Contour("SNS9A_113_V1", -60.5, In{}), -6010, {"-60.5", "-60"});
    ExpectFailure(Contour("SNS9B_114_V1", -65.1, In{}), -6010, {"-65.1", "-65"});
}

// ---- 115 -------------------------------------------------------------------

const double kJ[] = {3.8317059702075123, 7.0155866698156188, 10.173468135062722,
                     13.323691936314223, 16.470630050877633, 19.615858510468242,
                     22.760084380592772, 25.903672087618383, 29.046828534916855,
                     32.189679910974404, 35.332307550083865, 38.474766234771615};

// 20 log|F| of the Taylor aperture, clamped at -100, away from the zeros j_n.
double TaylorReference(const std::vector<double>& f, double phi) {
    const double lambda = f[0], lr = f[1], lt = f[2], slr = f[3], a = f[5] * kDeg;
    const int nbar = static_cast<int>(f[4]);
    const double bigA = std::acosh(std::pow(10.0, slr / 20.0)) / kPi;
    const double sigma = kJ[nbar - 1] / kPi / std::hypot(bigA, nbar - 0.5);
    const double umax = kPi * std::hypot(lr * std::cos(a), lt * std::sin(a)) / lambda;
    const double u = umax * std::sin(std::min(phi, 90.0) * kDeg);
    if (u == 0) return 0.0;
    double value = 2.0 * std::cyl_bessel_j(1.0, u) / u;
    for (int n = 1; n < nbar; ++n) {
        const double un = kPi * sigma * std::hypot(bigA, n - 0.5);
        value *= (1.0 - (u / un) * (u / un)) / (1.0 - (u / kJ[n - 1]) * (u / kJ[n - 1]));
    }
    return std::max(20.0 * lg(std::fabs(value)), -100.0);
}

const std::vector<double> kTaylorDefaults = {0.0249827048, 1.6, 1.6, 20.0, 4.0, 0.0};

TEST_F(Space, TaylorCheckValues) {
    const char* name = "TAYLR_115_V1";
    const In in{.gainMax = 0.0, .fields = kTaylorDefaults};
    for (const Point& pt : {Point{0.461002, -3.0}, Point{1, -20.6089}, Point{10, -49.1415},
                            Point{90, -68.1567}, Point{120, -68.1567}, Point{180, -68.1567},
                            Point{1.125552, -100.0}})
        EXPECT_NEAR(G(name, in, pt.phi), pt.expected, 5e-5) << pt.phi;
    for (const Point& pt : {Point{-3, 0.461002}, Point{-10, 0.785042}, Point{-20, 0.992243}})
        EXPECT_NEAR(C(name, pt.phi, in), pt.expected, 5e-7) << pt.phi;
    In two = in;
    two.fields[4] = 2.0;
    for (const Point& pt : {Point{1, -16.5183}, Point{2, -68.1544}, Point{90, -71.2692}})
        EXPECT_NEAR(G(name, two, pt.phi), pt.expected, 5e-5) << pt.phi;
    for (const Point& pt : {Point{0, -24.4096}, Point{45, -19.6958}, Point{90, -5.8209}}) {
        const In ellipse{.gainMax = 0.0, .fields = {0.0249827048, 2.0, 1.0, 20.0, 4.0, pt.phi}};
        EXPECT_NEAR(G(name, ellipse, 1.0), pt.expected, 5e-5) << "planeAngle " << pt.phi;
    }
}

TEST_F(Space, TaylorFormulaAndContours) {
    const char* name = "TAYLR_115_V1";
    const std::vector<std::vector<double>> cases = {
        kTaylorDefaults,
        {0.05, 3.0, 1.5, 30.0, 6.0, 30.0},
        {0.01, 0.5, 0.5, 45.0, 12.0, -120.0},
        {0.1, 2.0, 2.0, 15.0, 2.0, 0.0},
    };
    for (const auto& f : cases) {
        SCOPED_TRACE("SLR " + std::to_string(f[3]) + " nbar " + std::to_string(f[4]));
        const In in{.gainMax = 35.0, .fields = f};
        for (double p : {0.0, 0.2, 0.7, 1.3, 3.0, 17.0, 60.0, 90.0, 150.0})
            EXPECT_NEAR(G(name, in, p), 35.0 + TaylorReference(f, p), 1e-8) << "phi " << p;
        auto rel = [&](double p) { return G(name, in, p) - 35.0; };
        for (double level : {-0.01, -3.0, -10.0, -25.0, -60.0, -100.0}) {
            const Out o = Contour(name, level, in);
            ASSERT_EQ(o.status, 0) << level;
            ExpectFirstCrossing(rel, level, o.value);
            if (level > -100.0) {
                EXPECT_NEAR(rel(o.value), level, 1e-7);
            }
        }
    }
}

TEST_F(Space, TaylorAtTheZerosOfJ1) {
    // At u = j_n (n < nbar) the quotient is 0/0; its limit -J0(j_n) keeps the
    // pattern continuous there.
    const char* name = "TAYLR_115_V1";
    const In in{.gainMax = 0.0, .fields = kTaylorDefaults};
    const double umax = kPi * 1.6 / 0.0249827048;
    for (int n = 1; n <= 3; ++n) {
        const double at = std::asin(kJ[n - 1] / umax) / kDeg;
        const double near = std::asin((kJ[n - 1] + 1e-5) / umax) / kDeg;
        const double g = G(name, in, at);
        EXPECT_TRUE(std::isfinite(g));
        EXPECT_NEAR(g, TaylorReference(kTaylorDefaults, near), 1e-3) << "n " << n;
    }
}

TEST_F(Space, TaylorStatuses) {
    const char* name = "TAYLR_115_V1";
    // The structure is required.
    ExpectFailure(Gain(name, In{.gainMax = 30, .phi = 1}), -6001, {"specific"});
    ExpectFailure(Contour(name, -3, In{}), -6001, {"specific"});
    ExpectFailure(Validate(name, In{}), -6001, {"specific"});
    // nbar must be whole and within 2 to 12, whatever GainValid says.
    for (double nbar : {4.5, 1.0, 13.0}) {
        auto f = kTaylorDefaults;
        f[4] = nbar;
        ExpectFailure(Validate(name, In{.fields = f}), -6005, {"nbar"});
        ExpectFailure(Gain(name, In{.gainMax = 30, .fields = f, .phi = 1}, 0), -6005, {"nbar"});
    }
    auto slr = kTaylorDefaults;
    slr[3] = 70.0;
    ExpectFailure(Validate(name, In{.fields = slr}), -6005, {"SLR", "70"});
    EXPECT_EQ(Gain(name, In{.gainMax = 30, .fields = slr, .phi = 1}, 0).status, 0);
    // A small aperture: the lobe does not fall to -20 dB within 90 deg.
    const std::vector<double> tiny = {1.0, 0.5, 0.5, 20.0, 4.0, 0.0};
    const double at90 = TaylorReference(tiny, 90.0);
    ASSERT_GT(at90, -20.0);
    const Out o = Contour(name, -20.0, In{.fields = tiny});
    ExpectFailure(o, -6010, {"-20"});
    EXPECT_EQ(o.value, kNoValue);
    ExpectFailure(Contour(name, -100.5, In{.fields = kTaylorDefaults}, 0), -6010, {"-100.5"});
}

// ---- 116 -------------------------------------------------------------------

TEST_F(Space, AiryCheckValuesAndContours) {
    const char* name = "AIRYS_116_V1";
    constexpr double u3 = 1.616340;
    for (double phi0 : {0.5, 2.0, 30.0, 150.0})
        EXPECT_NEAR(G(name, In{.gainMax = 0, .phi0 = phi0}, phi0 / 2.0), -3.0103, 5e-5) << phi0;
    const In two{.gainMax = 0.0, .phi0 = 2.0};
    for (const Point& pt : {Point{2, -16.2679}, Point{90, -58.4928}, Point{135, -58.4928},
                            Point{2.371163, -100.0}})
        EXPECT_NEAR(G(name, two, pt.phi), pt.expected, 5e-5) << pt.phi;
    for (const Point& pt : {Point{-3, 0.998392}, Point{-10, 1.690013}, Point{-20, 2.116104}})
        EXPECT_NEAR(C(name, pt.phi, two), pt.expected, 5e-7) << pt.phi;
    // Against the formula written here, and the contour inverted.
    for (double phi0 : {1.0, 7.0, 60.0}) {
        const In in{.gainMax = 20.0, .phi0 = phi0};
        auto reference = [&](double p) {
            const double u = u3 * std::sin(std::min(p, 90.0) * kDeg) / std::sin(phi0 / 2 * kDeg);
            const double airy = u == 0 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, u) / u;
            return 20.0 + std::max(20.0 * lg(std::fabs(airy)), -100.0);
        };
        for (double p : {0.0, phi0 / 3, phi0, 2 * phi0, 89.0, 91.0, 180.0})
            EXPECT_NEAR(G(name, in, p), reference(p), 1e-9) << p;
        auto rel = [&](double p) { return G(name, in, p) - 20.0; };
        for (double level : {-1.0, -3.0, -17.0, -40.0}) {
            const Out o = Contour(name, level, in);
            if (o.status != 0) continue;
            ExpectFirstCrossing(rel, level, o.value);
            EXPECT_NEAR(rel(o.value), level, 1e-7);
        }
    }
    // Phi0 150: the level of 90 deg is -3.2417, so -10 is never reached.
    EXPECT_NEAR(G(name, In{.gainMax = 0, .phi0 = 150}, 90.0), -3.2417, 5e-5);
    const Out o = Contour(name, -10.0, In{.phi0 = 150.0});
    ExpectFailure(o, -6010, {"-10", "-3.24"});
    EXPECT_EQ(o.value, kNoValue);
}

// ---- Every pattern -----------------------------------------------------------

struct Catalogue {
    const char* name;
    const char* title;
    int properties[8];
    int fieldCount;
    bool hasValidateInput, hasValidateAll;
};
const Catalogue kCatalogue[] = {
    {"GSOSS_101_V1", "GSO FSS space station, circular beam, LS -20 dB", {20, 30, 30, 30, 30, 30, 10, 10}, 0, true, true},
    {"GSOSS_102_V1", "GSO FSS space station, circular beam, LS -25 dB", {20, 30, 30, 30, 30, 30, 10, 10}, 0, true, true},
    {"GSOSS_103_V1", "GSO FSS space station, circular beam, LS -30 dB", {20, 30, 30, 30, 30, 30, 10, 10}, 0, true, true},
    {"NGSOS_104_V1", "NGSO FSS space station, LN -15 dB", {20, 30, 30, 30, 30, 20, 10, 10}, 1, true, true},
    {"NGSOS_105_V1", "NGSO FSS space station, LN -20 dB", {20, 30, 30, 30, 30, 20, 10, 10}, 1, true, true},
    {"NGSOS_106_V1", "NGSO FSS space station, LN -25 dB", {20, 30, 30, 30, 30, 20, 10, 10}, 1, true, true},
    {"NGSOS_107_V1", "NGSO FSS space station, LN -30 dB", {20, 30, 30, 30, 30, 20, 10, 10}, 1, true, true},
    {"NGLEO_108_V1", "NGSO space station, low-orbit variant", {20, 30, 30, 30, 30, 30, 10, 10}, 0, false, true},
    {"FROFF_109_V1", "Space station with fast roll-off in the main beam", {20, 20, 30, 30, 30, 30, 10, 10}, 0, true, true},
    {"PARAB_110_V1", "Parabolic main lobe with a floor", {20, 30, 30, 30, 30, 20, 10, 10}, 1, true, true},
    {"ISOTR_111_V1", "Isotropic space station antenna", {20, 30, 30, 30, 30, 30, 20, 30}, 0, false, false},
    {"PSENS_112_V1", "Spaceborne passive sensor", {20, 30, 30, 30, 30, 20, 10, 20}, 1, true, true},
    {"SNS9A_113_V1", "Spaceborne sensor, fit A", {20, 30, 30, 30, 30, 30, 10, 30}, 0, false, false},
    {"SNS9B_114_V1", "Spaceborne sensor, fit B", {20, 30, 30, 30, 30, 30, 10, 30}, 0, false, false},
    {"TAYLR_115_V1", "NGSO space station, Taylor illumination", {20, 30, 30, 30, 30, 10, 10, 30}, 6, true, false},
    {"AIRYS_116_V1", "Uniform circular aperture", {20, 30, 30, 30, 30, 30, 10, 10}, 0, false, true},
};

TEST_F(Space, CatalogueRecords) {
    const KAM_LibraryInfo& lib = stdtest::Library();
    int first = -1;
    for (int i = 0; i < lib.patternCount; ++i)
        if (std::strcmp(lib.patterns[i].name, "GSOSS_101_V1") == 0) first = i;
    ASSERT_GE(first, 0);
    ASSERT_LE(first + 16, lib.patternCount);
    for (int i = 0; i < 16; ++i) {
        const Catalogue& c = kCatalogue[i];
        const KAM_PatternInfo& p = lib.patterns[first + i];  // catalogue order
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(p.name, c.name);
        EXPECT_STREQ(reinterpret_cast<const char*>(p.title), c.title);
        EXPECT_EQ(p.type, 2);
        EXPECT_EQ(std::memcmp(p.paramProperties, c.properties, sizeof c.properties), 0);
        EXPECT_EQ(p.specificSize, 8 * c.fieldCount);
        EXPECT_EQ(p.specificStructId, c.fieldCount > 0 ? 101 + i : 0);
        EXPECT_EQ(p.validateInput.space != nullptr, c.hasValidateInput);
        EXPECT_EQ(p.validateAll.space != nullptr, c.hasValidateAll);
        EXPECT_NE(p.gain.space, nullptr);
        EXPECT_NE(p.contour.space, nullptr);
    }
}

TEST_F(Space, SpecificParDefs) {
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
    const KAM_LibraryInfo& lib = stdtest::Library();
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

// Contour validation calls the validators with GainMax absent and Phi 0.0:
// every pattern passes with good inputs, and a level of 0 gives Phi 0.
TEST_F(Space, ContourValidationAndLevelZero) {
    for (const Catalogue& c : kCatalogue) {
        SCOPED_TRACE(c.name);
        In in{.gainMax = kNoValue, .phi = 0.0, .phi0 = 1.0};
        if (std::string(c.name) == "TAYLR_115_V1") in.fields = kTaylorDefaults;
        if (c.properties[1] == 20) in.beamlet = 0.5;
        EXPECT_EQ(Validate(c.name, in).status, 0);
        const Out zero = Contour(c.name, 0.0, in);
        const Out above = Contour(c.name, 0.5, in);
        EXPECT_EQ(above.status, -6010);
        EXPECT_EQ(above.value, kNoValue);
        if (std::string(c.name) == "ISOTR_111_V1") {
            EXPECT_EQ(zero.status, -6010);
        } else {
            EXPECT_EQ(zero.status, 0);
            EXPECT_EQ(zero.value, 0.0);
        }
    }
}

// Absent and non-finite inputs, whatever GainValid says; GainMax absent only
// fails the gain.
TEST_F(Space, AbsentAndNonFiniteInputs) {
    for (const Catalogue& c : kCatalogue) {
        for (int gainValid : {1, 0}) {
            SCOPED_TRACE(std::string(c.name) + " GainValid " + std::to_string(gainValid));
            In good{.gainMax = 40.0, .phi = 1.0, .phi0 = 1.0};
            if (std::string(c.name) == "TAYLR_115_V1") good.fields = kTaylorDefaults;
            In in = good;
            in.gainMax = kNoValue;
            ExpectFailure(Gain(c.name, in, gainValid), -6001, {"GainMax"});
            const Out failed = Gain(c.name, in, gainValid);
            EXPECT_EQ(failed.value, kNoValue);
            EXPECT_EQ(failed.valueX, kNoValue);
            for (double bad : {kNaN, kInf, -kInf}) {
                in = good;
                in.gainMax = bad;
                ExpectFailure(Gain(c.name, in, gainValid), -6011, {"GainMax"});
                in = good;
                in.phi = bad;
                if (c.properties[6] == 10 || c.properties[6] == 20)
                    ExpectFailure(Gain(c.name, in, gainValid), -6011, {"Phi"});
                in = good;
                ExpectFailure(Contour(c.name, bad, in, gainValid), -6011, {"GainRel"});
            }
            in = good;
            in.phi = kNoValue;
            if (c.properties[6] == 10) ExpectFailure(Gain(c.name, in, gainValid), -6001, {"Phi"});
            ExpectFailure(Contour(c.name, kNoValue, good, gainValid), -6001, {"GainRel"});
            in = good;
            in.phi0 = kNoValue;
            if (c.properties[7] == 10) {
                ExpectFailure(Gain(c.name, in, gainValid), -6001, {"Phi0"});
                ExpectFailure(Contour(c.name, -3.0, in, gainValid), -6001, {"Phi0"});
            }
        }
    }
}

// Phi0 must be above 0 where a pattern uses it; without the library's checks
// a gain that is not finite is refused rather than returned.
TEST_F(Space, Phi0NotPositive) {
    for (const char* name : {"GSOSS_101_V1", "NGSOS_105_V1", "NGLEO_108_V1", "FROFF_109_V1",
                             "PARAB_110_V1", "AIRYS_116_V1"}) {
        SCOPED_TRACE(name);
        ExpectFailure(Validate(name, In{.beamlet = 1e-3, .phi0 = 0.0}), -6002, {"Phi0", "0"});
        ExpectFailure(Gain(name, In{.gainMax = 40, .beamlet = 1e-3, .phi = 1, .phi0 = -1}), -6002,
                      {"Phi0", "-1"});
        ExpectFailure(Contour(name, -3, In{.beamlet = 1e-3, .phi0 = 0.0}), -6002, {"Phi0"});
        const Out off = Gain(name, In{.gainMax = 40, .beamlet = 1e-3, .phi = 1, .phi0 = 0}, 0);
        if (off.status != 0) ExpectFailure(off, -6002, {});
    }
    // Where the formula gives no number (0/0 at Phi 0; J1 at an infinite u),
    // the gain is refused, not hidden behind a floor or the -100 dB clamp.
    ExpectFailure(Gain("PARAB_110_V1", In{.gainMax = 40, .phi = 0, .phi0 = 0}, 0), -6002, {"Phi 0"});
    ExpectFailure(Gain("AIRYS_116_V1", In{.gainMax = 40, .phi = 1, .phi0 = 0}, 0), -6002, {"Phi 1"});
}

// Without the library's checks nonsense inputs are computed, never crash and
// never loop: the bisection ends even when its interval is not a number.
TEST_F(Space, NonsenseWithChecksOff) {
    const std::vector<double> huge = {1e-300, 1e300, 1e300, 1e6, 4.0, 0.0};
    Out o = Contour("TAYLR_115_V1", -3.0, In{.fields = huge}, 0);
    EXPECT_NE(o.status, 0);
    o = Gain("TAYLR_115_V1", In{.gainMax = 40.0, .fields = huge, .phi = 1}, 0);
    EXPECT_TRUE(o.status == 0 || o.status == -6002);
    o = Contour("AIRYS_116_V1", -3.0, In{.phi0 = 720.0}, 0);
    EXPECT_TRUE(o.status == 0 || o.status == -6010 || o.status == -6002);
    o = Gain("NGSOS_104_V1", In{.gainMax = 40, .fields = {100.0}, .phi = 1, .phi0 = 1}, 0);
    EXPECT_TRUE(o.status == 0 || o.status == -6002);
    o = Gain("FROFF_109_V1", In{.gainMax = 40, .beamlet = -1, .phi = 1, .phi0 = 1}, 0);
    EXPECT_TRUE(o.status == 0 || o.status == -6002);
    ExpectFailure(Gain("FROFF_109_V1", In{.gainMax = 40, .beamlet = -1, .phi = 1, .phi0 = 1}),
                  -6002, {"Beamlet", "-1"});
}

// Angles beyond 180 fold: |phi|, then 360 - phi.
TEST_F(Space, Folding) {
    const In in{.gainMax = 40.0, .phi0 = 2.0};
    for (const char* name : {"GSOSS_102_V1", "NGLEO_108_V1", "AIRYS_116_V1"}) {
        EXPECT_EQ(G(name, in, 350.0), G(name, in, 10.0)) << name;
        EXPECT_EQ(G(name, in, -10.0), G(name, in, 10.0)) << name;
        EXPECT_EQ(G(name, in, 730.0), G(name, in, 10.0)) << name;
    }
}

// ---- Through the host's exports -------------------------------------------

// Drives the patterns as a caller does; restores the host's switches (and
// hands the library back the capturing sink the other tests use).
class SpaceThroughHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(KAM_IfInited(), 1);
        input_ = KAM_IfInputParamValidEnabled();
        gainValid_ = KAM_IfGainValidEnabled();
        contourValid_ = KAM_IfContourValidEnabled();
        KAM_EnableInputParamValid();
        KAM_EnableGainValid();
        KAM_EnableContourValid();
    }
    void TearDown() override {
        input_ ? KAM_EnableInputParamValid() : KAM_DisableInputParamValid();
        gainValid_ ? KAM_EnableGainValid() : KAM_DisableGainValid();
        contourValid_ ? KAM_EnableContourValid() : KAM_DisableContourValid();
        LIP_SetEventLogHandler(&stdtest::CaptureSink);
        stdtest::Library(1);
    }
    static int Gain(const char* name, double gainMax, double beamlet, void* specific, double phi,
                    double phi0, double* gain, double* gainX) {
        return KAM_SpacePatternGain(KAM_StdLibraryId(), name, gainMax, beamlet, specific, phi,
                                    phi0, gain, gainX);
    }
    static int Contour(const char* name, double level, double beamlet, void* specific,
                       double phi0, double* phi, double* phiX) {
        return KAM_SpacePatternContour(KAM_StdLibraryId(), name, level, beamlet, specific, phi0,
                                       phi, phiX);
    }

private:
    int input_ = 1, gainValid_ = 1, contourValid_ = 1;
};

TEST_F(SpaceThroughHost, GainAndContour) {
    double gain = 0, gainX = 0;
    // 101, GainMax 40, psi0 1: 20 dBi on the plateau, 15 dBi at 10 deg (by hand).
    EXPECT_EQ(Gain("GSOSS_101_V1", 40, kNoValue, KAM_NOVALUE_STRUCT, 4, 1, &gain, &gainX), 0);
    EXPECT_NEAR(gain, 20.0, kTight);
    EXPECT_EQ(gainX, kNoValue);
    EXPECT_EQ(Gain("GSOSS_101_V1", 40, kNoValue, KAM_NOVALUE_STRUCT, 10, 1, &gain, &gainX), 0);
    EXPECT_NEAR(gain, 15.0, kTight);
    // GainMax absent: only the gain function refuses it.
    EXPECT_EQ(Gain("GSOSS_101_V1", kNoValue, kNoValue, KAM_NOVALUE_STRUCT, 4, 1, &gain, &gainX),
              -6001);
    // Contours validate with GainMax absent and Phi 0.0: every kind passes.
    double phi = 0, phiX = 0;
    EXPECT_EQ(Contour("AIRYS_116_V1", -3, kNoValue, KAM_NOVALUE_STRUCT, 2, &phi, &phiX), 0);
    EXPECT_NEAR(phi, 0.998392, 5e-7);
    EXPECT_EQ(phiX, kNoValue);
    std::vector<double> z = {2.0};
    EXPECT_EQ(Contour("NGSOS_105_V1", -3, kNoValue, z.data(), 0.8, &phi, &phiX), 0);
    EXPECT_NEAR(phi, 0.8, kTight);
    EXPECT_EQ(Contour("FROFF_109_V1", -3, 1.2, KAM_NOVALUE_STRUCT, 2, &phi, &phiX), 0);
    EXPECT_NEAR(phi, 1.0, kTight);  // t = 0.5
    std::vector<double> taylor = kTaylorDefaults;
    EXPECT_EQ(Contour("TAYLR_115_V1", -10, kNoValue, taylor.data(), kNoValue, &phi, &phiX), 0);
    EXPECT_NEAR(phi, 0.785042, 5e-7);
    // A level never reached: -6010, Phi stays NoValue.
    EXPECT_EQ(Contour("ISOTR_111_V1", -3, kNoValue, KAM_NOVALUE_STRUCT, kNoValue, &phi, &phiX),
              -6010);
    EXPECT_EQ(phi, kNoValue);
    EXPECT_EQ(Contour("SNS9A_113_V1", -70, kNoValue, KAM_NOVALUE_STRUCT, kNoValue, &phi, &phiX),
              -6010);
    EXPECT_EQ(phi, kNoValue);
}

TEST_F(SpaceThroughHost, GainValidSwitch) {
    double gain = 0, gainX = 0;
    // 103 with GainMax 29: GainMax + LS = -1 is below 0.018.
    EXPECT_EQ(Gain("GSOSS_103_V1", 29, kNoValue, KAM_NOVALUE_STRUCT, 1, 1, &gain, &gainX), -6002);
    KAM_DisableInputParamValid();
    EXPECT_EQ(Gain("GSOSS_103_V1", 29, kNoValue, KAM_NOVALUE_STRUCT, 1, 1, &gain, &gainX), -6002);
    KAM_DisableGainValid();
    EXPECT_EQ(Gain("GSOSS_103_V1", 29, kNoValue, KAM_NOVALUE_STRUCT, 1, 1, &gain, &gainX), 0);
    EXPECT_NEAR(gain, 26.0, kTight);
}

}  // namespace
