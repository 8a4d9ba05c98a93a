// The single parameter checks: the limit table at every bound, special
// values, property codes, messages as printf would write them, the GainRel
// and contour-output checks, and the overflow guard of the messages.
#include <algorithm>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#if defined(__linux__)
#include <unistd.h>
#endif

#include "validation/validation.h"
#include "validation_fixture.h"

namespace {

using valtest::Printf;
using valtest::TakeAll;
using valtest::Texts;
using valtest::ValidationTest;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kDenormal = std::numeric_limits<double>::denorm_min();
constexpr double kNoValue = DBL_MAX;
void* const kNoStruct = KAM_NOVALUE_STRUCT;
// A pointer that must never be dereferenced.
void* const kPoison = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x10));

constexpr std::int32_t R = KAM_PROPERTY_REQUIRED;
constexpr std::int32_t O = KAM_PROPERTY_OPTIONAL;
constexpr std::int32_t N = KAM_PROPERTY_NOT_REQUIRED;

struct Properties {
    std::int32_t codes[KAM_PARAM_COUNT];
    operator const std::int32_t*() const { return codes; }
};
Properties AllOf(std::int32_t code) {
    Properties properties;
    for (std::int32_t& p : properties.codes) p = code;
    return properties;
}

std::string LimitMessage(const char* name, double x, double lo, double hi) {
    return Printf("TL Valid. %s (%.5e) is out of limits [%.5e,%.5e].", name, x, lo, hi);
}

// The documented bounds, written out independently of the table the code uses.
struct DocumentedRow {
    const char* name;
    double hardMin, hardMax, softMin, softMax;
};
const DocumentedRow kDocumented[KAM_PARAM_COUNT] = {
    {"GainMax", 0, 700, 0, 100},           {"Beamlet", 1e-5, 180, 0.001, 18},
    {"Diameter", 1e-5, 1e5, 0.01, 100},    {"Frequency", 0.001, 1e10, 1, 1e6},
    {"Efficiency", 1e-5, 1, 0.1, 1},       {"Specific", -999, -999, -999, -999},
    {"Phi", 0, 180, 0, 180},               {"Phi0", 1e-5, 180, 0.001, 18},
};

TEST(LimitTable, HoldsTheDocumentedNamesAndBounds) {
    for (int i = 0; i < KAM_PARAM_COUNT; ++i) {
        const kam::ParameterLimit& row = kam::kParameterLimitTable[i];
        SCOPED_TRACE(i);
        EXPECT_STREQ(row.name, kDocumented[i].name);
        EXPECT_EQ(row.hardMin, kDocumented[i].hardMin);
        EXPECT_EQ(row.hardMax, kDocumented[i].hardMax);
        EXPECT_EQ(row.softMin, kDocumented[i].softMin);
        EXPECT_EQ(row.softMax, kDocumented[i].softMax);
    }
}

// Walks the very table the checks use and nudges every bound one double to
// each side: a bound itself lies inside its range, the next double outside
// it fails; a hard breach is never also reported as a soft one.
TEST_F(ValidationTest, EveryBoundOfTheLimitTable) {
    for (int i = 0; i < KAM_PARAM_COUNT; ++i) {
        if (i == KAM_PARAM_SPECIFIC) continue;
        const kam::ParameterLimit& row = kam::kParameterLimitTable[i];
        for (double bound : {row.hardMin, row.hardMax, row.softMin, row.softMax}) {
            for (double x : {bound, std::nextafter(bound, -kInf), std::nextafter(bound, kInf)}) {
                SCOPED_TRACE(std::string(row.name) + " " + Printf("%.17g", x));
                const bool hard = x < row.hardMin || x > row.hardMax;
                const bool soft = !hard && (x < row.softMin || x > row.softMax);
                const std::int32_t expected = hard ? -(5200 + i) : soft ? 5200 + i : 0;
                std::vector<std::string> messages;
                if (hard) messages.push_back(LimitMessage(row.name, x, row.hardMin, row.hardMax));
                if (soft) messages.push_back(LimitMessage(row.name, x, row.softMin, row.softMax));

                EXPECT_EQ(kam::CheckLimits(i, &x), expected);
                const std::vector<KAM_EventRecord> events = TakeAll();
                EXPECT_EQ(Texts(events), messages);
                for (const KAM_EventRecord& e : events) {
                    EXPECT_EQ(e.code, expected);
                    EXPECT_EQ(e.severity, expected > 0 ? KAM_SEVERITY_WARNING : KAM_SEVERITY_ERROR);
                    EXPECT_EQ(e.textLength, static_cast<std::int32_t>(std::strlen(e.text)));
                }
                // Required and Optional compare a present value the same way.
                EXPECT_EQ(kam::CheckParameter(i, AllOf(R), &x), expected);
                EXPECT_EQ(kam::CheckParameter(i, AllOf(O), &x), expected);
                EXPECT_EQ(TakeAll().size(), 2 * messages.size());
                // With the log off: the same status, nothing queued.
                kam::g_state.eventLog = 0;
                EXPECT_EQ(kam::CheckLimits(i, &x), expected);
                kam::g_state.eventLog = 1;
                EXPECT_TRUE(TakeAll().empty());
            }
        }
    }
}

// Values that are not ordinary numbers, against one row with a positive
// hard minimum (Beamlet), one whose minimum is 0 (GainMax) and Phi.
TEST_F(ValidationTest, SpecialValuesAgainstTheLimits) {
    struct Case {
        int index;
        double x;
        std::int32_t expected;
    };
    const Case cases[] = {
        {KAM_PARAM_GAINMAX, kNaN, 0},          {KAM_PARAM_GAINMAX, -kNaN, 0},
        {KAM_PARAM_GAINMAX, kInf, -5200},      {KAM_PARAM_GAINMAX, -kInf, -5200},
        {KAM_PARAM_GAINMAX, kNoValue, -5200},  {KAM_PARAM_GAINMAX, -kNoValue, -5200},
        {KAM_PARAM_GAINMAX, 0.0, 0},           {KAM_PARAM_GAINMAX, -0.0, 0},
        {KAM_PARAM_GAINMAX, kDenormal, 0},     {KAM_PARAM_GAINMAX, -kDenormal, -5200},
        {KAM_PARAM_GAINMAX, 700.0, 5200},      {KAM_PARAM_GAINMAX, 700.5, -5200},
        {KAM_PARAM_BEAMLET, 0.0, -5201},       {KAM_PARAM_BEAMLET, kDenormal, -5201},
        {KAM_PARAM_BEAMLET, 1e-5, 5201},       {KAM_PARAM_BEAMLET, kNaN, 0},
        {KAM_PARAM_FREQUENCY, 2e6, 5203},      {KAM_PARAM_FREQUENCY, 2e10, -5203},
        {KAM_PARAM_EFFICIENCY, 1.0, 0},        {KAM_PARAM_PHI, 180.0, 0},
        {KAM_PARAM_PHI, -0.0, 0},              {KAM_PARAM_PHI, -0.5, -5206},
        {KAM_PARAM_PHI, 180.0000001, -5206},   {KAM_PARAM_PHI0, 0.0, -5207},
        {KAM_PARAM_PHI0, kInf, -5207},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Printf("index %d x %.17g", c.index, c.x));
        EXPECT_EQ(kam::CheckLimits(c.index, &c.x), c.expected);
    }
    TakeAll();
    // The printed value is the value as given, whatever it is.
    const double x = -kDenormal;
    kam::CheckLimits(KAM_PARAM_GAINMAX, &x);
    EXPECT_EQ(Texts(TakeAll()), std::vector<std::string>{
                                    "TL Valid. GainMax (-4.94066e-324) is out of limits "
                                    "[0.00000e+00,7.00000e+02]."});
    kam::CheckLimits(KAM_PARAM_PHI0, &kInf);
    EXPECT_EQ(Texts(TakeAll()), std::vector<std::string>{
                                    "TL Valid. Phi0 (inf) is out of limits "
                                    "[1.00000e-05,1.80000e+02]."});
}

TEST_F(ValidationTest, IsNoValue) {
    const double noValue = kNoValue, minusNoValue = -kNoValue, nan = kNaN, inf = kInf;
    EXPECT_TRUE(kam::IsNoValue(KAM_PARAM_GAINMAX, &noValue));
    EXPECT_TRUE(kam::IsNoValue(KAM_PARAM_PHI0, &noValue));
    EXPECT_FALSE(kam::IsNoValue(KAM_PARAM_GAINMAX, &minusNoValue));
    EXPECT_FALSE(kam::IsNoValue(KAM_PARAM_GAINMAX, &nan));
    EXPECT_FALSE(kam::IsNoValue(KAM_PARAM_GAINMAX, &inf));
    // Specific is the pointer itself, compared with the structure NoValue.
    EXPECT_TRUE(kam::IsNoValue(KAM_PARAM_SPECIFIC, kNoStruct));
    EXPECT_FALSE(kam::IsNoValue(KAM_PARAM_SPECIFIC, &noValue));
    EXPECT_FALSE(kam::IsNoValue(KAM_PARAM_SPECIFIC, kPoison));
    EXPECT_FALSE(kam::IsNoValue(8, &noValue));
    EXPECT_FALSE(kam::IsNoValue(-1, &noValue));
}

TEST_F(ValidationTest, IndexOutsideTheTable) {
    const double x = 1.0;
    EXPECT_EQ(kam::CheckLimits(8, &x), KAM_E_INTERNAL);
    EXPECT_EQ(kam::CheckLimits(-1, &x), KAM_E_INTERNAL);
    // Specific is never compared with anything.
    EXPECT_EQ(kam::CheckLimits(KAM_PARAM_SPECIFIC, kPoison), 0);
    EXPECT_TRUE(TakeAll().empty());
}

// Property code x presence, for a double parameter (Beamlet, given a value
// outside even its hard limits) and for Specific (a pointer that would crash
// if read).
TEST_F(ValidationTest, PropertyCodes) {
    const double outside = -1.0, absent = kNoValue, nan = kNaN;
    const std::string requiredBeamlet = "TL Valid. Required Beamlet is not provided.";
    const std::string ignoredBeamlet = "TL Valid. Not required Beamlet is provided. It is ignored.";
    const std::string requiredSpecific = "TL Valid. Required Specific is not provided.";
    const std::string ignoredSpecific =
        "TL Valid. Not required Specific is provided. It is ignored.";
    struct Case {
        std::int32_t code;
        int index;
        const void* reference;
        std::int32_t expected;
        std::string message;  // "" for none
    };
    const Case cases[] = {
        {R, KAM_PARAM_BEAMLET, &absent, -5101, requiredBeamlet},
        {R, KAM_PARAM_BEAMLET, &outside, -5201,
         LimitMessage("Beamlet", -1.0, 1e-5, 180)},
        {R, KAM_PARAM_BEAMLET, &nan, 0, ""},
        {O, KAM_PARAM_BEAMLET, &absent, 0, ""},
        {O, KAM_PARAM_BEAMLET, &outside, -5201, LimitMessage("Beamlet", -1.0, 1e-5, 180)},
        {O, KAM_PARAM_BEAMLET, &nan, 0, ""},
        {N, KAM_PARAM_BEAMLET, &absent, 0, ""},
        {N, KAM_PARAM_BEAMLET, &outside, 5101, ignoredBeamlet},
        {N, KAM_PARAM_BEAMLET, &nan, 5101, ignoredBeamlet},
        {R, KAM_PARAM_SPECIFIC, kNoStruct, -5105, requiredSpecific},
        {R, KAM_PARAM_SPECIFIC, kPoison, 0, ""},
        {O, KAM_PARAM_SPECIFIC, kNoStruct, 0, ""},
        {O, KAM_PARAM_SPECIFIC, kPoison, 0, ""},
        {N, KAM_PARAM_SPECIFIC, kNoStruct, 0, ""},
        {N, KAM_PARAM_SPECIFIC, kPoison, 5105, ignoredSpecific},
        {0, KAM_PARAM_BEAMLET, &outside, KAM_E_UNKNOWN_PROPERTY, ""},
        {15, KAM_PARAM_BEAMLET, &absent, KAM_E_UNKNOWN_PROPERTY, ""},
        {-10, KAM_PARAM_SPECIFIC, kNoStruct, KAM_E_UNKNOWN_PROPERTY, ""},
        {11, KAM_PARAM_SPECIFIC, kPoison, KAM_E_UNKNOWN_PROPERTY, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Printf("code %d index %d expected %d", c.code, c.index, c.expected));
        for (int log : {1, 0}) {
            kam::g_state.eventLog = log;
            EXPECT_EQ(kam::CheckParameter(c.index, AllOf(c.code), c.reference), c.expected);
            kam::g_state.eventLog = 1;
            const std::vector<KAM_EventRecord> events = TakeAll();
            if (log == 0 || c.message.empty()) {
                EXPECT_TRUE(events.empty());
            } else {
                ASSERT_EQ(events.size(), 1u);
                EXPECT_EQ(std::string(events[0].text), c.message);
                EXPECT_EQ(events[0].code, c.expected);
            }
        }
    }
}

TEST_F(ValidationTest, OnlyTheParameterItselfDecidesItsCode) {
    // Each index reads its own property: GainMax required, the rest unknown.
    std::int32_t properties[KAM_PARAM_COUNT] = {R, 0, 0, 0, 0, 0, 0, 0};
    const double gainMax = 30.0;
    EXPECT_EQ(kam::CheckParameter(KAM_PARAM_GAINMAX, properties, &gainMax), 0);
    EXPECT_EQ(kam::CheckParameter(KAM_PARAM_PHI0, properties, &gainMax), KAM_E_UNKNOWN_PROPERTY);
    properties[KAM_PARAM_PHI0] = N;
    EXPECT_EQ(kam::CheckParameter(KAM_PARAM_PHI0, properties, &gainMax), 5107);
}

// The group checks: fixed order, first error ends the group, else the
// latest warning; superseded warnings keep their messages.
TEST_F(ValidationTest, GroupChecksCombineInOrder) {
    const Properties required = AllOf(R);
    const Properties optional = AllOf(O);
    const double gainMax = 30, diameterSoft = 200, frequency = 1e4, frequencySoft = 2e6,
                 efficiency = 0.5, efficiencyHard = 2, absent = kNoValue;
    EXPECT_EQ(kam::CheckEarthParameters(optional, &gainMax, &diameterSoft, &frequency,
                                        &efficiencyHard, kNoStruct),
              -5204);
    EXPECT_EQ(Texts(TakeAll()),
              (std::vector<std::string>{LimitMessage("Diameter", 200, 0.01, 100),
                                        LimitMessage("Efficiency", 2, 1e-5, 1)}));
    EXPECT_EQ(kam::CheckEarthParameters(optional, &gainMax, &diameterSoft, &frequencySoft,
                                        &efficiency, kNoStruct),
              5203);
    EXPECT_EQ(TakeAll().size(), 2u);
    // A required GainMax absent: nothing after it is examined.
    EXPECT_EQ(kam::CheckEarthParameters(required, &absent, &diameterSoft, &frequencySoft,
                                        &efficiencyHard, kNoStruct),
              -5100);
    EXPECT_EQ(Texts(TakeAll()),
              std::vector<std::string>{"TL Valid. Required GainMax is not provided."});
    // Specific comes last in the earth group.
    EXPECT_EQ(kam::CheckEarthParameters(required, &gainMax, &frequency, &frequency, &efficiency,
                                        kNoStruct),
              -5105);
    TakeAll();
    // The space group: GainMax, Beamlet, Specific.
    const double beamletSoft = 20;
    EXPECT_EQ(kam::CheckSpaceParameters(optional, &gainMax, &beamletSoft, kPoison), 5201);
    EXPECT_EQ(kam::CheckSpaceParameters(required, &gainMax, &beamletSoft, kNoStruct), -5105);
    TakeAll();
    // The angles: Phi, then Phi0.
    const double phi = 10, phiHard = 181, phi0 = 2, phi0Zero = 0, phi0Soft = 20;
    EXPECT_EQ(kam::CheckAngles(required, &phi, &phi0), 0);
    EXPECT_EQ(kam::CheckAngles(required, &phi, &phi0Zero), -5207);
    EXPECT_EQ(kam::CheckAngles(required, &phiHard, &phi0Zero), -5206);
    EXPECT_EQ(kam::CheckAngles(required, &phi, &phi0Soft), 5207);
    EXPECT_EQ(kam::CheckAngles(AllOf(N), &phi, &phi0), 5107);
    EXPECT_EQ(TakeAll().size(), 5u);
}

TEST_F(ValidationTest, GainRel) {
    const struct {
        double x;
        std::int32_t expected;
    } cases[] = {
        {-100.0, 0},        {-1e-9, 0},          {-50.0, 0},
        {-kDenormal, 0},    {kNaN, 0},           {0.0, -5300},
        {-0.0, -5300},      {kDenormal, -5300},  {-100.0000001, -5300},
        {std::nextafter(-100.0, -kInf), -5300}, {kNoValue, -5300},
        {-kInf, -5300},     {kInf, -5300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Printf("%.17g", c.x));
        EXPECT_EQ(kam::CheckGainRel(&c.x), c.expected);
        const std::vector<KAM_EventRecord> events = TakeAll();
        if (c.expected == 0) {
            EXPECT_TRUE(events.empty());
        } else {
            ASSERT_EQ(events.size(), 1u);
            EXPECT_EQ(std::string(events[0].text), LimitMessage("GainRel", c.x, -100, 0));
            EXPECT_EQ(events[0].code, -5300);
        }
    }
    kam::g_state.eventLog = 0;
    const double zero = 0.0;
    EXPECT_EQ(kam::CheckGainRel(&zero), -5300);
}

TEST(RoundToSingle, RoundsToNearestAndOverflowsToInfinity) {
    const double flt = FLT_MAX;
    const double halfway = 0x1.ffffffp127;  // FLT_MAX + half an ulp
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(kam::RoundToSingle(flt), FLT_MAX);
    EXPECT_EQ(kam::RoundToSingle(std::nextafter(halfway, 0.0)), FLT_MAX);
    EXPECT_EQ(kam::RoundToSingle(halfway), inf);
    EXPECT_EQ(kam::RoundToSingle(-halfway), -inf);
    EXPECT_EQ(kam::RoundToSingle(std::nextafter(-halfway, 0.0)), -FLT_MAX);
    EXPECT_EQ(kam::RoundToSingle(DBL_MAX), inf);
    EXPECT_EQ(kam::RoundToSingle(-DBL_MAX), -inf);
    EXPECT_EQ(kam::RoundToSingle(kInf), inf);
    EXPECT_TRUE(std::isnan(kam::RoundToSingle(kNaN)));
    // Ties to even: 1 + 2^-24 lies halfway between 1 and 1 + 2^-23.
    EXPECT_EQ(kam::RoundToSingle(1.0 + 0x1p-24), 1.0f);
    EXPECT_EQ(kam::RoundToSingle(1.0 + 0x1p-24 + 0x1p-40), 1.0f + 0x1p-23f);
}

TEST_F(ValidationTest, OutputAngleIsComparedInSinglePrecision) {
    // Floats near 180 are 2^-16 apart; 180 + 2^-17 is the tie, which rounds
    // to the even 180. Below 0 the same rounding: what rounds to -0.0f is
    // an angle of 0, the smallest negative float (2^-149) is not. NaN is no
    // angle.
    const double tie = 180.0 + 0x1p-17;
    enum Text { kNone, kAbove, kBelow };
    const struct {
        double x;
        std::int32_t expected;
        Text text;
    } cases[] = {
        {180.0, 0, kNone},           {tie, 0, kNone},
        {180.000005, 0, kNone},      {std::nextafter(tie, kInf), -5551, kAbove},
        {180.00001, -5551, kAbove},  {190.0, -5551, kAbove},
        {1e300, -5551, kAbove},      {kInf, -5551, kAbove},
        {0x1.ffffffp127, -5551, kAbove},
        {0.0, 0, kNone},             {-0.0, 0, kNone},
        {-0x1p-151, 0, kNone},       {-0x1p-149, -5551, kBelow},
        {-5.2e-7, -5551, kBelow},    {-2.31, -5551, kBelow},
        {-1e300, -5551, kBelow},     {-kInf, -5551, kBelow},
        {kNaN, -5551, kBelow},       {-kNaN, -5551, kBelow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Printf("%.17g", c.x));
        EXPECT_EQ(kam::CheckOutputAngle(c.x, KAM_E_OUTPUT_PHI), c.expected);
        const std::vector<std::string> texts = Texts(TakeAll());
        if (c.text == kNone) {
            EXPECT_TRUE(texts.empty());
        } else if (c.text == kAbove) {
            EXPECT_EQ(texts, std::vector<std::string>{Printf(
                                 "Output Phi (%.5e) is greater than 180 degrees.", c.x)});
        } else {
            EXPECT_EQ(texts.size(), 1u);
            EXPECT_EQ(texts.at(0).rfind("Output Phi (", 0), 0u) << texts.at(0);
            EXPECT_NE(texts.at(0).find(") is below 0 degrees or not a number."), std::string::npos)
                << texts.at(0);
        }
    }
    EXPECT_EQ(kam::CheckOutputAngle(-1.0, KAM_E_OUTPUT_PHIX), -5552);
    EXPECT_EQ(Texts(TakeAll()),
              std::vector<std::string>{
                  "Output PhiX (-1.00000e+00) is below 0 degrees or not a number."});
    EXPECT_EQ(kam::CheckOutputAngle(200.0, KAM_E_OUTPUT_PHIX), -5552);
    EXPECT_EQ(Texts(TakeAll()), std::vector<std::string>{
                                    "Output PhiX (2.00000e+02) is greater than 180 degrees."});
}

TEST_F(ValidationTest, ContourOutput) {
    const double none = kNoValue, ok = 10, phiHigh = 190, phiXHigh = 200;
    EXPECT_EQ(kam::CheckContourOutput(&none, &none), 0);
    EXPECT_EQ(kam::CheckContourOutput(&ok, &ok), 0);
    EXPECT_TRUE(TakeAll().empty());
    // Phi fails first; PhiX is then not examined.
    EXPECT_EQ(kam::CheckContourOutput(&phiHigh, &phiXHigh), -5551);
    EXPECT_EQ(Texts(TakeAll()), std::vector<std::string>{
                                    "Output Phi (1.90000e+02) is greater than 180 degrees."});
    EXPECT_EQ(kam::CheckContourOutput(&ok, &phiXHigh), -5552);
    EXPECT_EQ(kam::CheckContourOutput(&none, &phiXHigh), -5552);
    EXPECT_EQ(kam::CheckContourOutput(&phiHigh, &none), -5551);
    // Below 0 or NaN as well, each output for itself.
    const double negative = -2.31, nan = kNaN;
    EXPECT_EQ(kam::CheckContourOutput(&negative, &ok), -5551);
    EXPECT_EQ(kam::CheckContourOutput(&ok, &negative), -5552);
    EXPECT_EQ(kam::CheckContourOutput(&nan, &none), -5551);
    EXPECT_EQ(kam::CheckContourOutput(&none, &nan), -5552);
    TakeAll();
    EXPECT_EQ(kam::CheckContourOutput(nullptr, &ok), KAM_E_INTERNAL);
    EXPECT_EQ(kam::CheckContourOutput(nullptr, nullptr), KAM_E_INTERNAL);
    EXPECT_EQ(kam::CheckContourOutput(&ok, nullptr), KAM_E_INTERNAL_2);
    EXPECT_TRUE(TakeAll().empty());
    // ContourValid off: nothing is examined, not even the pointers.
    kam::g_state.contourValid = 0;
    EXPECT_EQ(kam::CheckContourOutput(nullptr, nullptr), 0);
    EXPECT_EQ(kam::CheckContourOutput(&phiHigh, &phiXHigh), 0);
    EXPECT_TRUE(TakeAll().empty());
}

// The event text holds 255 characters: a longer message is refused whole.
TEST_F(ValidationTest, MessageThatWouldNotFitGives4999) {
    const std::string fixed = "TL Valid. Required  is not provided.";
    const std::string fits(255 - fixed.size(), 'n');
    const std::string tooLong(256 - fixed.size(), 'n');
    EXPECT_EQ(kam::RaiseFinding(-5100, -5100, fits.c_str(), nullptr, 0), -5100);
    const std::vector<KAM_EventRecord> events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].textLength, 255);
    EXPECT_EQ(kam::RaiseFinding(-5100, -5100, tooLong.c_str(), nullptr, 0),
              KAM_E_BUFFER_OVERFLOW);
    EXPECT_TRUE(TakeAll().empty());
    // The numbers count too.
    const std::string fixedLimit =
        "TL Valid.  (1.00000e+00) is out of limits [2.00000e+00,3.00000e+00].";
    const std::string name(255 - fixedLimit.size(), 'n');
    const double values[] = {1, 2, 3};
    EXPECT_EQ(kam::RaiseFinding(5200, 5200, name.c_str(), values, 3), 5200);
    EXPECT_EQ(kam::RaiseFinding(5200, 5200, (name + "n").c_str(), values, 3),
              KAM_E_BUFFER_OVERFLOW);
    TakeAll();
}

TEST(FormatMessage, WritesWhatPrintfWrites) {
    const double values[] = {0.0, -0.0, 123456.789, 1e-300, 9.999995e99, DBL_MAX,
                             kDenormal, kInf, -kInf, 1.0 / 3.0, 5e-5, 999999.5};
    for (double v : values) {
        char out[64];
        ASSERT_TRUE(kam::FormatMessage("<%.5e>", nullptr, &v, 1, out, sizeof out));
        EXPECT_EQ(std::string(out), Printf("<%.5e>", v));
    }
    char out[16];
    EXPECT_FALSE(kam::FormatMessage("%s and more", "a name that is long", nullptr, 0, out,
                                    sizeof out));
    EXPECT_EQ(std::string(out), "a name that is ");
    EXPECT_TRUE(kam::FormatMessage("100%% %s", "x", nullptr, 0, out, sizeof out));
    EXPECT_EQ(std::string(out), "100% x");
    // A format asking for more numbers than given is refused.
    EXPECT_FALSE(kam::FormatMessage("%.5e", nullptr, nullptr, 0, out, sizeof out));
}

#if defined(__linux__)
std::string LocaleScratch() { return "/tmp/kam_locale_" + std::to_string(::getpid()); }
#endif

// A locale whose decimal point is a comma: an installed one, or on Linux one
// compiled into a scratch folder when the system has the sources. True when
// printf now writes "1,5".
bool UseCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE",
                             "fr_FR", "German_Germany.1252", "French_France.1252"}) {
        if (std::setlocale(LC_ALL, name) != nullptr && Printf("%.1f", 1.5) == "1,5") return true;
    }
#if defined(__linux__)
    const std::string dir = LocaleScratch();
    const std::string command = "mkdir -p " + dir + " && localedef -i de_DE -f UTF-8 " + dir +
                                "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(command.c_str()) != -1) {
        ::setenv("LOCPATH", dir.c_str(), 1);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr && Printf("%.1f", 1.5) == "1,5") {
            return true;
        }
        ::unsetenv("LOCPATH");
    }
#endif
    std::setlocale(LC_ALL, "C");
    return false;
}

// The messages do not depend on the process's locale.
TEST_F(ValidationTest, MessagesIgnoreTheLocale) {
    if (!UseCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma is available";
    const double hard = 700.5, out = 190.25;
    const std::int32_t status = kam::CheckLimits(KAM_PARAM_GAINMAX, &hard);
    const std::int32_t outStatus = kam::CheckOutputAngle(out, KAM_E_OUTPUT_PHIX);
    std::setlocale(LC_ALL, "C");
#if defined(__linux__)
    ::unsetenv("LOCPATH");
    std::filesystem::remove_all(LocaleScratch());
#endif
    EXPECT_EQ(status, -5200);
    EXPECT_EQ(outStatus, -5552);
    EXPECT_EQ(Texts(TakeAll()),
              (std::vector<std::string>{
                  "TL Valid. GainMax (7.00500e+02) is out of limits [0.00000e+00,7.00000e+02].",
                  "Output PhiX (1.90250e+02) is greater than 180 degrees."}));
}

// The window an array call asks of all its angles at once must answer what
// IsQuietDouble answers of each: one value that is not quiet, at any place
// in a run of quiet ones (inside a block of the fast check or in its tail),
// makes the whole run not quiet.
TEST(QuietWindow, AgreesWithTheSingleValueCheckAtEveryPosition) {
    const double noValue = kam::kNoValueDouble;
    for (std::int32_t code : {R, O, N}) {
        for (int index : {static_cast<int>(KAM_PARAM_PHI), static_cast<int>(KAM_PARAM_PHI0)}) {
            const kam::QuietWindow window(index, code);
            const kam::ParameterLimit& row = kam::kParameterLimitTable[index];
            const double lo = std::max(row.hardMin, row.softMin);
            const double hi = std::min(row.hardMax, row.softMax);
            const double quiet = code == N ? noValue : (lo + hi) / 2;
            const double probes[] = {kNaN, kInf, -kInf, noValue, std::nextafter(lo, -kInf),
                                     std::nextafter(hi, kInf), lo, hi, quiet};
            for (int n : {1, 7, 8, 9, 16, 23}) {
                for (double probe : probes) {
                    for (int at = 0; at < n; ++at) {
                        std::vector<double> values(n, quiet);
                        values[at] = probe;
                        bool expected = true;
                        for (double v : values) expected &= kam::IsQuietDouble(index, code, v);
                        EXPECT_EQ(window.All(values.data(), n), expected)
                            << "code " << code << " index " << index << " n " << n << " at "
                            << at << " value " << probe;
                    }
                }
            }
        }
    }
}

}  // namespace
