// Contours as a caller sees them, over fake pattern libraries: by pattern and
// by space antenna, the values validation sees (GainMax absent, Phi 0.0), the
// GainRel range, the output check and what the contour function receives.
#include <limits>
#include <string>
#include <vector>

#include "validation/export_fixture.h"

namespace {

using exptest::Codes;
using exptest::ExportTest;
using exptest::Handled;
using exptest::kNoValue;
using exptest::N;
using exptest::NoStruct;
using exptest::O;
using exptest::R;
using exptest::SameBits;
using exptest::SetProperties;
using exptest::TakeEvents;

class Contours : public ExportTest {
protected:
    KAM_AntennaId CreateSpace(KAM_LibraryId lib, const char* name = "A_SPACE") {
        KAM_AntennaId id = 0;
        EXPECT_EQ(KAM_CreateSpaceAntenna(lib, name, 30, 2, NoStruct(), &id), 0);
        return id;
    }
    KAM_AntennaId CreateEarth(KAM_LibraryId lib) {
        KAM_AntennaId id = 0;
        EXPECT_EQ(KAM_CreateEarthAntenna(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), &id), 0);
        return id;
    }
    // Both functions on the same pattern, with GainRel and Phi0.
    std::vector<int> Both(KAM_LibraryId lib, KAM_AntennaId antenna, double gainRel,
                          double phi0 = 2, double* phi = nullptr, double* phiX = nullptr) {
        double p = 0, px = 0;
        return {KAM_SpacePatternContour(lib, "A_SPACE", gainRel, 2, NoStruct(), phi0,
                                        phi ? phi : &p, phiX ? phiX : &px),
                KAM_AntennaContour(antenna, gainRel, phi0, phi ? phi : &p, phiX ? phiX : &px)};
    }
};

TEST_F(Contours, ArgumentChecksLeaveTheOutputsAlone) {
    const KAM_LibraryId lib = Load();
    double phi = 1.5, phiX = 2.5;
    const struct {
        int status;
        int expected;
    } cases[] = {
        {KAM_SpacePatternContour(0, nullptr, -3, 2, nullptr, 2, nullptr, nullptr), -1},
        {KAM_SpacePatternContour(lib, "ABCDEFGHIJKLM", -3, 2, NoStruct(), 2, &phi, &phiX), -2},
        {KAM_SpacePatternContour(lib, "A_SPACE", -3, 2, nullptr, 2, &phi, &phiX), -5},
        {KAM_SpacePatternContour(lib, "A_SPACE", -3, 2, NoStruct(), 2, nullptr, &phiX), -7},
        {KAM_SpacePatternContour(lib, "A_SPACE", -3, 2, NoStruct(), 2, &phi, nullptr), -8},
        {KAM_AntennaContour(0, -3, 2, nullptr, nullptr), -1},
        {KAM_AntennaContour(12345, -3, 2, nullptr, &phiX), -4},
        {KAM_AntennaContour(12345, -3, 2, &phi, nullptr), -5},
    };
    for (const auto& c : cases) EXPECT_EQ(c.status, c.expected);
    EXPECT_EQ(phi, 1.5);
    EXPECT_EQ(phiX, 2.5);
    EXPECT_EQ(Handled(), (std::vector<int>{-1, -2, -5, -7, -8, -1, -4, -5}));
}

// Only space patterns and live space antennas; anything else is a type
// mismatch, stale and forged handles included. Outputs hold NoValue.
TEST_F(Contours, OnlySpacePatternsAndSpaceAntennas) {
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId earth = CreateEarth(lib);
    const KAM_AntennaId deleted = CreateSpace(lib);
    ASSERT_EQ(KAM_DeleteAntenna(deleted), 0);
    double phi = 1.5, phiX = 2.5;
    EXPECT_EQ(KAM_SpacePatternContour(lib, "A_EARTH", -3, 2, NoStruct(), 2, &phi, &phiX),
              KAM_E_PATTERN_TYPE);
    EXPECT_EQ(phi, kNoValue);
    EXPECT_EQ(phiX, kNoValue);
    for (KAM_AntennaId bad : {earth, KAM_AntennaId{lib}, deleted, KAM_AntennaId{87654321}}) {
        SCOPED_TRACE(bad);
        Clear();
        phi = 1.5;
        phiX = 2.5;
        EXPECT_EQ(KAM_AntennaContour(bad, -3, 2, &phi, &phiX), KAM_E_PATTERN_TYPE);
        EXPECT_EQ(phi, kNoValue);
        EXPECT_EQ(phiX, kNoValue);
        EXPECT_EQ(Handled(), std::vector<int>{KAM_E_PATTERN_TYPE});
    }
    EXPECT_EQ(KAM_SpacePatternContour(lib, "NOPE", -3, 2, NoStruct(), 2, &phi, &phiX),
              KAM_E_PATTERN_NOT_FOUND);
    EXPECT_EQ(KAM_SpacePatternContour(999999, "A_SPACE", -3, 2, NoStruct(), 2, &phi, &phiX),
              KAM_E_UNKNOWN_LIBRARY);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(KAM_DeleteAntenna(earth), 0);
}

TEST_F(Contours, PatternWithoutContour) {
    Space().slots[fake::kContour].present = false;
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId antenna = CreateSpace(lib);
    for (bool validate : {true, false}) {
        if (validate) KAM_EnableInputParamValid(); else KAM_DisableInputParamValid();
        Clear();
        double phi = 1.5, phiX = 2.5;
        EXPECT_EQ(Both(lib, antenna, -3, 2, &phi, &phiX),
                  (std::vector<int>{KAM_E_NO_CONTOUR, KAM_E_NO_CONTOUR}));
        EXPECT_EQ(phi, kNoValue);
        EXPECT_EQ(phiX, kNoValue);
        EXPECT_TRUE(Calls().empty());
        EXPECT_EQ(Codes(TakeEvents()), std::vector<int>{KAM_E_NO_CONTOUR});
    }
    EXPECT_EQ(KAM_DeleteAntenna(antenna), 0);
}

TEST_F(Contours, GainRelRange) {
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId antenna = CreateSpace(lib);
    const struct {
        double gainRel;
        int expected;
    } cases[] = {{-100, 0}, {-0.001, 0}, {-50, 0}, {0, -5300}, {-100.5, -5300}, {3, -5300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gainRel);
        Clear();
        EXPECT_EQ(Both(lib, antenna, c.gainRel), (std::vector<int>{c.expected, c.expected}));
        if (c.expected != 0) {
            EXPECT_TRUE(Calls().empty());
            const std::vector<KAM_EventRecord> events = TakeEvents();
            ASSERT_EQ(events.size(), 1u);  // the second call drained the first's
            EXPECT_EQ(events[0].code, -5300);
        }
    }
    // Validation off: any GainRel reaches the contour function.
    KAM_DisableInputParamValid();
    Clear();
    EXPECT_EQ(Both(lib, antenna, 5.0), (std::vector<int>{0, 0}));
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"contour", "contour"}));
    EXPECT_EQ(Calls("contour")[0].values[0], 5.0);
    EXPECT_EQ(KAM_DeleteAntenna(antenna), 0);
}

// Validation by pattern sees GainMax absent and Phi 0.0, and runs both
// validators; by antenna the stored GainMax, Phi 0.0 and validateAll only.
TEST_F(Contours, WhatValidationSees) {
    SetProperties(Space(), {O, O, O, O, O, O, N, O});  // Phi not required
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId antenna = CreateSpace(lib);
    Clear();
    double phi = 0, phiX = 0;
    EXPECT_EQ(KAM_SpacePatternContour(lib, "A_SPACE", -3, 4, NoStruct(), 2, &phi, &phiX), 5106);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"validateInput", "validateAll", "contour"}));
    std::vector<fake::Call> calls = Calls();
    EXPECT_EQ(calls[0].values, (std::vector<double>{kNoValue, 4}));
    EXPECT_EQ(calls[1].values, (std::vector<double>{kNoValue, 4, 0.0, 2}));
    // contour(GainRel, Beamlet, Phi0, Phi, PhiX): the call's copies, the
    // caller's outputs, both NoValue on entry.
    EXPECT_EQ(calls[2].values, (std::vector<double>{-3, 4, 2, kNoValue, kNoValue}));
    EXPECT_EQ(calls[2].args[1], calls[0].args[1]);
    EXPECT_EQ(calls[2].args[2], calls[1].args[3]);
    EXPECT_EQ(calls[2].args[3], &phi);
    EXPECT_EQ(calls[2].args[4], &phiX);
    EXPECT_EQ(Handled(), std::vector<int>{5106});

    Clear();
    EXPECT_EQ(KAM_AntennaContour(antenna, -3, 2, &phi, &phiX), 5106);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"validateAll", "contour"}));
    calls = Calls();
    EXPECT_EQ(calls[0].values, (std::vector<double>{30, 2, 0.0, 2}));
    EXPECT_EQ(calls[1].args[1], calls[0].args[1]);  // the stored Beamlet
    EXPECT_EQ(calls[1].args[3], &phi);
    EXPECT_EQ(calls[1].values, (std::vector<double>{-3, 2, 2, kNoValue, kNoValue}));
    EXPECT_EQ(KAM_DeleteAntenna(antenna), 0);
}

// A required GainMax fails contour by pattern (validated as absent) but not
// by antenna, whose stored GainMax is not tested again.
TEST_F(Contours, RequiredGainMax) {
    SetProperties(Space(), {R, O, O, O, O, O, O, O});
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId antenna = CreateSpace(lib);
    Clear();
    EXPECT_EQ(Both(lib, antenna, -3), (std::vector<int>{-5100, 0}));
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"validateAll", "contour"}));
    EXPECT_EQ(KAM_DeleteAntenna(antenna), 0);
}

TEST_F(Contours, OutputCheck) {
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId antenna = CreateSpace(lib);
    fake::SlotConfig& contour = Space().slots[fake::kContour];
    const struct {
        bool contourValid;
        bool write;
        double phi, phiX;
        int status;
        int expected;
        double outPhi, outPhiX;
    } cases[] = {
        {true, false, 0, 0, 0, 0, kNoValue, kNoValue},
        {true, true, 100, 200, 0, -5552, 100, 200},
        {true, true, 200, 100, 0, -5551, 200, 100},
        {true, true, 200, 300, 0, -5551, 200, 300},
        {true, true, 180.000005, 180, 0, 0, 180.000005, 180},
        {true, true, 180.00001, 0, 0, -5551, 180.00001, 0},
        // Below 0 degrees is no contour angle either; -0 is an angle of 0.
        {true, true, -2.31, 10, 0, -5551, -2.31, 10},
        {true, true, 10, -5.2e-7, 6, -5552, 10, -5.2e-7},
        {true, true, -0.0, 0, 0, 0, -0.0, 0},
        {false, true, -2.31, -1, 0, 0, -2.31, -1},
        {false, true, 200, 300, 0, 0, 200, 300},
        {false, true, 200, 300, 6, 6, 200, 300},
        {true, true, 10, 20, 6, 6, 10, 20},
        {true, true, 200, 20, -6, -6, 200, 20},  // the function's failure comes first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.phi << " " << c.phiX << " " << c.contourValid);
        if (c.contourValid) KAM_EnableContourValid(); else KAM_DisableContourValid();
        contour.writeOutputs = c.write;
        contour.output1 = c.phi;
        contour.output2 = c.phiX;
        contour.status = c.status;
        for (int byAntenna : {0, 1}) {
            Clear();
            double phi = 1.5, phiX = 2.5;
            const int status =
                byAntenna ? KAM_AntennaContour(antenna, -3, 2, &phi, &phiX)
                          : KAM_SpacePatternContour(lib, "A_SPACE", -3, 2, NoStruct(), 2, &phi,
                                                    &phiX);
            EXPECT_EQ(status, c.expected);
            EXPECT_EQ(phi, c.outPhi);
            EXPECT_EQ(phiX, c.outPhiX);
            EXPECT_EQ(Handled(), c.expected != 0 ? std::vector<int>{c.expected} : std::vector<int>{});
        }
    }
    // Only Phi written: PhiX stays NoValue and is not examined.
    KAM_EnableContourValid();
    contour.writeOutputs = false;
    contour.status = 0;
    contour.hook = [] {
        const fake::Call& call = fake::Log().back();
        *call.args[3] = 45.0;
    };
    double phi = 0, phiX = 0;
    EXPECT_EQ(KAM_AntennaContour(antenna, -3, 2, &phi, &phiX), 0);
    EXPECT_EQ(phi, 45.0);
    EXPECT_EQ(phiX, kNoValue);
    // The messages of the output check.
    contour.hook = nullptr;
    contour.writeOutputs = true;
    contour.output1 = 190;
    contour.output2 = 200;
    Clear();
    EXPECT_EQ(KAM_AntennaContour(antenna, -3, 2, &phi, &phiX), -5551);
    const std::vector<KAM_EventRecord> events = TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_STREQ(events[0].text, "Output Phi (1.90000e+02) is greater than 180 degrees.");
    EXPECT_STREQ(events[0].patternName, "A_SPACE");
    EXPECT_EQ(KAM_DeleteAntenna(antenna), 0);
}

// Unusual numbers in GainRel, Beamlet and Phi0: passed on bit for bit while
// validation is off, judged by the GainRel range and the limit table while it
// is on (every parameter optional here).
TEST_F(Contours, UnusualNumbers) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kTiny = std::numeric_limits<double>::denorm_min();
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId antenna = CreateSpace(lib);
    const struct {
        double value;
        int gainRel;  // as GainRel (Beamlet 2, Phi0 2)
        int beamlet;  // as Beamlet by pattern (GainRel -3, Phi0 2)
        int phi0;     // as Phi0 (GainRel -3, Beamlet 2)
    } cases[] = {
        {kNaN, 0, 0, 0},
        {-kNaN, 0, 0, 0},
        {kInf, -5300, -5201, -5207},
        {-kInf, -5300, -5201, -5207},
        {kNoValue, -5300, 0, 0},
        {-kNoValue, -5300, -5201, -5207},
        {kTiny, -5300, -5201, -5207},
        {-kTiny, 0, -5201, -5207},
        {-0.0, -5300, -5201, -5207},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        double phi = 0, phiX = 0;
        const double v = c.value;
        KAM_EnableInputParamValid();
        EXPECT_EQ(Both(lib, antenna, v), (std::vector<int>{c.gainRel, c.gainRel}));
        EXPECT_EQ(KAM_SpacePatternContour(lib, "A_SPACE", -3, v, NoStruct(), 2, &phi, &phiX),
                  c.beamlet);
        EXPECT_EQ(Both(lib, antenna, -3, v), (std::vector<int>{c.phi0, c.phi0}));

        KAM_DisableInputParamValid();
        Clear();
        EXPECT_EQ(KAM_SpacePatternContour(lib, "A_SPACE", v, v, NoStruct(), v, &phi, &phiX), 0);
        EXPECT_EQ(KAM_AntennaContour(antenna, v, v, &phi, &phiX), 0);
        const std::vector<fake::Call> calls = Calls("contour");
        ASSERT_EQ(calls.size(), 2u);
        for (int k : {0, 1, 2}) EXPECT_TRUE(SameBits(calls[0].values[k], v)) << k;
        EXPECT_TRUE(SameBits(calls[1].values[0], v));
        EXPECT_EQ(calls[1].values[1], 2);  // the stored Beamlet
        EXPECT_TRUE(SameBits(calls[1].values[2], v));
    }
    EXPECT_EQ(KAM_DeleteAntenna(antenna), 0);
}

}  // namespace
