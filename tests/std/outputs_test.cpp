// Every pattern of the standard library, driven through its slots with inputs
// far outside its definition while its own checks are on and off: whatever a
// call gives with a status of 0 or above is a usable result (a finite gain, a
// finite or NoValue cross-polar gain, a contour angle that is not negative,
// NaN or infinite). Then the two contours of the uniform circular aperture
// that once came back negative with status 0, through the host's exports.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kam/kam.h"
#include "std/std_harness.h"

namespace {

using namespace stdtest;

constexpr double kHuge = 1e300, kTiny = 1e-300;

// Values that reach a formula's corners: absent, zero, tiny, huge, negative,
// and Phi0 values whose half has a negative sine (12000 deg: 6000 = 240 mod 360).
const double kGainMaxes[] = {kNoValue, 0.0, 40.0, -kHuge, kHuge};
const double kDiameters[] = {kNoValue, 1.0, kTiny, kHuge};
const double kFrequencies[] = {kNoValue, 12000.0, kTiny};
const double kEfficiencies[] = {kNoValue, 0.7, kTiny};
const double kBeamlets[] = {kNoValue, 0.0, 1.0, kTiny, kHuge, -1.0};
const double kPhis[] = {0.0, 1.0, 179.0, 400.0, -kHuge, kHuge};
const double kPhi0s[] = {kNoValue, 1.0, 200.0, 720.0, 12000.0, kTiny, kHuge};
const double kLevels[] = {-3.17e-31, -0.0061, -kTiny, -3.0, -99.9, -100.0};
// Field values for a structure of any of the library's patterns (each has
// fewer than 16 fields); the NoValue structure stands for the defaults.
const double kFieldValues[] = {0.0, -1.0, 1e6};

std::vector<void*> Structures(std::vector<std::vector<double>>& storage) {
    storage.clear();
    for (double v : kFieldValues) storage.push_back(std::vector<double>(16, v));
    std::vector<void*> structures = {KAM_NOVALUE_STRUCT};
    for (auto& s : storage) structures.push_back(s.data());
    return structures;
}

bool FiniteOrAbsent(double x) { return std::isfinite(x) || x == kNoValue; }

class Outputs : public SlotTest {};

TEST_F(Outputs, NonNegativeStatusComesWithUsableValues) {
    std::vector<std::vector<double>> storage;
    const std::vector<void*> structures = Structures(storage);
    const KAM_LibraryInfo& lib = Library();
    int gains = 0, contours = 0;
    for (int gainValid : {1, 0}) {
        for (int i = 0; i < lib.patternCount; ++i) {
            const KAM_PatternInfo& p = lib.patterns[i];
            Library(gainValid);
            SCOPED_TRACE(std::string(p.name) + " GainValid " + std::to_string(gainValid));
            for (void* specific : structures) {
                if (p.specificSize == 0 && specific != KAM_NOVALUE_STRUCT) continue;
                if (p.type == KAM_PATTERN_EARTH) {
                    for (double gm : kGainMaxes)
                        for (double d : kDiameters)
                            for (double f : kFrequencies)
                                for (double eta : kEfficiencies)
                                    for (double phi : kPhis)
                                        for (double phi0 : kPhi0s) {
                                            double in[] = {gm, d, f, eta, phi, phi0};
                                            double g = -1, gx = -1;
                                            const int s = p.gain.earth(&in[0], &in[1], &in[2],
                                                                       &in[3], specific, &in[4],
                                                                       &in[5], &g, &gx);
                                            ++gains;
                                            if (s < 0) continue;
                                            ASSERT_TRUE(std::isfinite(g) && FiniteOrAbsent(gx))
                                                << s << " gain " << g << " " << gx << " at "
                                                << gm << " " << d << " " << f << " " << eta
                                                << " phi " << phi << " phi0 " << phi0;
                                        }
                    continue;
                }
                for (double gm : kGainMaxes)
                    for (double b : kBeamlets)
                        for (double phi : kPhis)
                            for (double phi0 : kPhi0s) {
                                double in[] = {gm, b, phi, phi0};
                                double g = -1, gx = -1;
                                const int s = p.gain.space(&in[0], &in[1], specific, &in[2],
                                                           &in[3], &g, &gx);
                                ++gains;
                                if (s < 0) continue;
                                ASSERT_TRUE(std::isfinite(g) && FiniteOrAbsent(gx))
                                    << s << " gain " << g << " " << gx << " at " << gm << " "
                                    << b << " phi " << phi << " phi0 " << phi0;
                            }
                if (p.contour.space == nullptr) continue;
                for (double level : kLevels)
                    for (double b : kBeamlets)
                        for (double phi0 : kPhi0s) {
                            double in[] = {level, b, phi0};
                            double phi = kNoValue, phiX = kNoValue;
                            const int s =
                                p.contour.space(&in[0], &in[1], specific, &in[2], &phi, &phiX);
                            ++contours;
                            if (s < 0) continue;
                            ASSERT_TRUE(phi == kNoValue || (std::isfinite(phi) && phi >= 0.0))
                                << s << " contour " << phi << " at level " << level
                                << " beamlet " << b << " phi0 " << phi0;
                            ASSERT_EQ(phiX, kNoValue);
                        }
            }
        }
    }
    // Both kinds of call were made, and many of them.
    EXPECT_GT(gains, 100000);
    EXPECT_GT(contours, 1000);
}

class AiryContourThroughHost : public HostTest {};

// With input validation and the library's checks off, the levels just below
// 0 dB with Phi0 = 12000 (a negative sine of the half beamwidth) give no
// angle: -6002, Phi left at NoValue, and the library's event says why.
TEST_F(AiryContourThroughHost, NegativeAngleIsRefused) {
    KAM_DisableInputParamValid();
    KAM_DisableGainValid();
    struct Case {
        double level, beamlet;
    };
    for (const Case c : {Case{-3.17e-31, 0.0}, Case{-0.0061, 1.0}}) {
        double phi = 0, phiX = 0;
        EXPECT_EQ(KAM_SpacePatternContour(KAM_StdLibraryId(), "AIRYS_116_V1", c.level, c.beamlet,
                                          KAM_NOVALUE_STRUCT, 12000.0, &phi, &phiX),
                  -6002)
            << c.level;
        EXPECT_EQ(phi, kNoValue);
        EXPECT_EQ(phiX, kNoValue);
        const std::vector<KAM_EventRecord> events = TakeEvents();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events[0].code, -6002);
        EXPECT_NE(std::string(events[0].text).find("AIRYS_116_V1"), std::string::npos);
    }
    // The same level with a Phi0 whose half has a positive sine is a contour.
    double phi = 0, phiX = 0;
    EXPECT_EQ(KAM_SpacePatternContour(KAM_StdLibraryId(), "AIRYS_116_V1", -0.0061, 1.0,
                                      KAM_NOVALUE_STRUCT, 2.0, &phi, &phiX),
              0);
    EXPECT_GT(phi, 0.0);
    EXPECT_LT(phi, 1.0);  // well inside the half-power angle of 1 deg
}

}  // namespace
