// Pattern gain by name as a caller sees it, over fake pattern libraries:
// argument checks, outputs after each failing step, the status combination,
// what the gain function receives, and unusual numbers in every argument.
#include <cmath>
#include <functional>
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

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kDenormal = std::numeric_limits<double>::denorm_min();
constexpr double kUnset = -4242.0;  // what the caller's outputs hold before a call

class PatternGain : public ExportTest {};

// Gain by pattern with the numeric inputs in one array, in the earth order
// (GainMax, Diameter, Frequency, Efficiency, Phi, Phi0) or the space order
// (GainMax, Beamlet, Phi, Phi0).
int EarthGain(KAM_LibraryId lib, const char* name, const std::vector<double>& v, void* specific,
              double* gain, double* gainX) {
    return KAM_EarthPatternGain(lib, name, v[0], v[1], v[2], v[3], specific, v[4], v[5], gain,
                                gainX);
}
int SpaceGain(KAM_LibraryId lib, const char* name, const std::vector<double>& v, void* specific,
              double* gain, double* gainX) {
    return KAM_SpacePatternGain(lib, name, v[0], v[1], specific, v[2], v[3], gain, gainX);
}
const std::vector<double> kEarthInputs = {30, 2, 1e4, 0.5, 10, 2};
const std::vector<double> kSpaceInputs = {30, 2, 10, 2};

TEST_F(PatternGain, ArgumentChecksLeaveTheOutputsAlone) {
    const KAM_LibraryId lib = Load();
    double gain = kUnset, gainX = kUnset;
    const struct {
        bool earth;
        KAM_LibraryId library;
        const char* name;
        void* specific;
        bool gainOut;
        bool gainXOut;
        int expected;
    } cases[] = {
        {true, 0, nullptr, nullptr, false, false, -1},
        {true, lib, "", nullptr, false, false, -2},
        {true, lib, "ABCDEFGHIJKLM", NoStruct(), true, true, -2},
        {true, lib, "A_EARTH", nullptr, false, false, -7},
        {true, lib, "A_EARTH", NoStruct(), false, false, -10},
        {true, lib, "A_EARTH", NoStruct(), true, false, -11},
        {false, 0, "A_SPACE", NoStruct(), true, true, -1},
        {false, lib, nullptr, NoStruct(), true, true, -2},
        {false, lib, "A_SPACE", nullptr, false, false, -5},
        {false, lib, "A_SPACE", NoStruct(), false, true, -8},
        {false, lib, "A_SPACE", NoStruct(), true, false, -9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        Clear();
        double* g = c.gainOut ? &gain : nullptr;
        double* gx = c.gainXOut ? &gainX : nullptr;
        const int status = c.earth ? EarthGain(c.library, c.name, kEarthInputs, c.specific, g, gx)
                                   : SpaceGain(c.library, c.name, kSpaceInputs, c.specific, g, gx);
        EXPECT_EQ(status, c.expected);
        EXPECT_EQ(Handled(), std::vector<int>{c.expected});
        EXPECT_EQ(gain, kUnset);
        EXPECT_EQ(gainX, kUnset);
        EXPECT_TRUE(Calls().empty());
    }
}

// Every failure before the gain function leaves NoValue in both outputs and
// calls no gain function.
TEST_F(PatternGain, FailuresBeforeTheGainFunctionLeaveNoValue) {
    SetProperties(Earth(), {R, O, O, O, O, O, O, O});
    Earth().slots[fake::kValidateAll].status = -33;
    const KAM_LibraryId lib = Load();
    const struct {
        std::function<int(double*, double*)> call;
        int expected;
    } cases[] = {
        {[&](double* g, double* gx) { return EarthGain(999999, "A_EARTH", kEarthInputs, NoStruct(), g, gx); },
         KAM_E_UNKNOWN_LIBRARY},
        {[&](double* g, double* gx) { return EarthGain(lib, "NOPE", kEarthInputs, NoStruct(), g, gx); },
         KAM_E_PATTERN_NOT_FOUND},
        {[&](double* g, double* gx) { return EarthGain(lib, "A_SPACE", kEarthInputs, NoStruct(), g, gx); },
         KAM_E_PATTERN_TYPE},
        {[&](double* g, double* gx) { return SpaceGain(lib, "A_EARTH", kSpaceInputs, NoStruct(), g, gx); },
         KAM_E_PATTERN_TYPE},
        {[&](double* g, double* gx) {
             return EarthGain(lib, "A_EARTH", {kNoValue, 2, 1e4, 0.5, 10, 2}, NoStruct(), g, gx);
         },
         -5100},
        {[&](double* g, double* gx) { return EarthGain(lib, "A_EARTH", kEarthInputs, NoStruct(), g, gx); },
         -33},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        Clear();
        double gain = kUnset, gainX = kUnset;
        EXPECT_EQ(c.call(&gain, &gainX), c.expected);
        EXPECT_EQ(gain, kNoValue);
        EXPECT_EQ(gainX, kNoValue);
        EXPECT_TRUE(Calls("gain").empty());
        EXPECT_EQ(Handled(), std::vector<int>{c.expected});
    }
}

// The outputs are the gain function's two working doubles, 0.0 when it
// starts, copied whatever it returns; the result combines its status with
// the validation's warning.
TEST_F(PatternGain, OutputsAndStatusCombination) {
    const KAM_LibraryId lib = Load();
    fake::SlotConfig& gainSlot = Space().slots[fake::kGain];
    const struct {
        const char* label;
        double beamlet;     // 20 is beyond its soft maximum: +5201
        int gainStatus;
        bool writeGainOnly;
        bool writeBoth;
        int expected;
        double gain, gainX;
    } cases[] = {
        {"clean, nothing written", 2, 0, false, false, 0, 0.0, 0.0},
        {"clean, both written", 2, 0, false, true, 0, 12.5, -3.25},
        {"warning kept", 20, 0, false, true, 5201, 12.5, -3.25},
        {"gain warning wins", 20, 9, false, true, 9, 12.5, -3.25},
        {"gain error wins", 20, -9, true, false, -9, 7.0, 0.0},
        {"gain error, no warning", 2, -9, false, true, -9, 12.5, -3.25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        gainSlot.status = c.gainStatus;
        gainSlot.writeOutputs = c.writeBoth;
        gainSlot.output1 = 12.5;
        gainSlot.output2 = -3.25;
        gainSlot.hook = nullptr;
        if (c.writeGainOnly) {
            gainSlot.hook = [] {
                const fake::Call& call = fake::Log().back();
                *call.args[call.args.size() - 2] = 7.0;
            };
        }
        Clear();
        double gain = kUnset, gainX = kUnset;
        EXPECT_EQ(SpaceGain(lib, "A_SPACE", {30, c.beamlet, 10, 2}, NoStruct(), &gain, &gainX),
                  c.expected);
        EXPECT_EQ(gain, c.gain);
        EXPECT_EQ(gainX, c.gainX);
        const std::vector<fake::Call> gains = Calls("gain");
        ASSERT_EQ(gains.size(), 1u);
        // The working doubles hold 0.0 when the gain function starts.
        EXPECT_EQ(gains[0].values[4], 0.0);
        EXPECT_EQ(gains[0].values[5], 0.0);
        EXPECT_NE(gains[0].args[4], &gain);
        EXPECT_EQ(Handled(), c.expected != 0 ? std::vector<int>{c.expected} : std::vector<int>{});
    }
}

// The validators and the gain function share the call's copies of the
// inputs; Specific is passed on unchanged, the structure NoValue included.
TEST_F(PatternGain, SlotsShareTheCallsCopies) {
    const KAM_LibraryId lib = Load();
    Earth().slots[fake::kValidateInput].hook = [] {
        const fake::Call& call = fake::Log().back();
        *call.args[1] = 3.5;  // Diameter
    };
    char structure[8] = {};
    for (void* specific : {static_cast<void*>(structure), NoStruct()}) {
        Clear();
        double gain = 0, gainX = 0;
        EXPECT_EQ(EarthGain(lib, "A_EARTH", kEarthInputs, specific, &gain, &gainX), 0);
        EXPECT_EQ(CallNames(), (std::vector<std::string>{"validateInput", "validateAll", "gain"}));
        const std::vector<fake::Call> calls = Calls();
        ASSERT_EQ(calls.size(), 3u);
        for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(calls[0].args[k], calls[2].args[k]);
        EXPECT_EQ(calls[1].args[4], calls[2].args[4]);  // Phi
        EXPECT_EQ(calls[1].args[5], calls[2].args[5]);  // Phi0
        EXPECT_EQ(calls[2].values,
                  (std::vector<double>{30, 3.5, 1e4, 0.5, 10, 2, 0.0, 0.0}));
        for (const fake::Call& call : calls) EXPECT_EQ(call.specific, specific);
        for (const fake::Call& call : calls) EXPECT_EQ(call.type, KAM_PATTERN_EARTH);
    }
}

// InputParamValid off: no check and no validator; the gain function gets
// whatever the caller passed.
TEST_F(PatternGain, InputValidationOffPassesEverythingThrough) {
    SetProperties(Earth(), {R, R, R, R, R, R, R, R});
    const KAM_LibraryId lib = Load();
    KAM_DisableInputParamValid();
    double gain = 0, gainX = 0;
    EXPECT_EQ(EarthGain(lib, "A_EARTH", {800, -1, kNoValue, 5, 400, 0}, NoStruct(), &gain, &gainX),
              0);
    EXPECT_EQ(CallNames(), std::vector<std::string>{"gain"});
    EXPECT_EQ(Calls("gain")[0].values,
              (std::vector<double>{800, -1, kNoValue, 5, 400, 0, 0.0, 0.0}));
    EXPECT_TRUE(TakeEvents().empty());
}

// Unusual numbers in every numeric argument: with validation off they reach
// the gain function bit for bit; with it on (every parameter optional) each
// is judged by its row of the limit table.
TEST_F(PatternGain, UnusualNumbersInEveryArgument) {
    const KAM_LibraryId lib = Load();
    struct Expectation {
        double value;
        // Status for each argument in order: earth GainMax, Diameter,
        // Frequency, Efficiency, Phi, Phi0; space GainMax, Beamlet, Phi, Phi0.
        std::vector<int> earth;
        std::vector<int> space;
    };
    const Expectation cases[] = {
        {kNaN, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0}},
        {-kNaN, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0}},
        {kInf, {-5200, -5202, -5203, -5204, -5206, -5207}, {-5200, -5201, -5206, -5207}},
        {-kInf, {-5200, -5202, -5203, -5204, -5206, -5207}, {-5200, -5201, -5206, -5207}},
        {kNoValue, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0}},  // absent, and optional
        {-kNoValue, {-5200, -5202, -5203, -5204, -5206, -5207}, {-5200, -5201, -5206, -5207}},
        {kDenormal, {0, -5202, -5203, -5204, 0, -5207}, {0, -5201, 0, -5207}},
        {-kDenormal, {-5200, -5202, -5203, -5204, -5206, -5207}, {-5200, -5201, -5206, -5207}},
        {0.0, {0, -5202, -5203, -5204, 0, -5207}, {0, -5201, 0, -5207}},
        {-0.0, {0, -5202, -5203, -5204, 0, -5207}, {0, -5201, 0, -5207}},
    };
    for (const Expectation& c : cases) {
        for (bool earth : {true, false}) {
            const std::vector<double>& base = earth ? kEarthInputs : kSpaceInputs;
            const std::vector<int>& expected = earth ? c.earth : c.space;
            for (std::size_t k = 0; k < base.size(); ++k) {
                SCOPED_TRACE(::testing::Message() << (earth ? "earth" : "space") << " argument "
                                                  << k << " value " << c.value);
                std::vector<double> inputs = base;
                inputs[k] = c.value;
                auto call = [&](double* g, double* gx) {
                    return earth ? EarthGain(lib, "A_EARTH", inputs, NoStruct(), g, gx)
                                 : SpaceGain(lib, "A_SPACE", inputs, NoStruct(), g, gx);
                };
                double gain = 0, gainX = 0;
                KAM_DisableInputParamValid();
                Clear();
                EXPECT_EQ(call(&gain, &gainX), 0);
                const std::vector<fake::Call> gains = Calls("gain");
                ASSERT_EQ(gains.size(), 1u);
                for (std::size_t j = 0; j < base.size(); ++j) {
                    EXPECT_TRUE(SameBits(gains[0].values[j], inputs[j])) << "position " << j;
                }
                KAM_EnableInputParamValid();
                Clear();
                EXPECT_EQ(call(&gain, &gainX), expected[k]);
            }
        }
    }
}

// Events of the whole call, the gain function's included, carry the library
// in which LibraryId -1 found the pattern.
TEST_F(PatternGain, EventsCarryTheLibraryThatHeldThePattern) {
    Space("fake_a").name = "TWICE";
    Space("fake_b").name = "TWICE";
    Config("fake_a").libraryName = "First";
    Config("fake_b").libraryName = "Second";
    Space("fake_b").slots[fake::kGain].events = {{-60, "gain says no"}};
    Space("fake_b").slots[fake::kGain].status = -60;
    Load("fake_a");
    Load("fake_b");
    double gain = 0, gainX = 0;
    EXPECT_EQ(SpaceGain(KAM_ALL_LIBRARIES, "TWICE", {30, 20, 10, 2}, NoStruct(), &gain, &gainX),
              -60);
    const std::vector<KAM_EventRecord> events = TakeEvents();
    EXPECT_EQ(Codes(events), (std::vector<int>{5201, -60, -60}));
    for (const KAM_EventRecord& e : events) {
        EXPECT_STREQ(e.libraryName, "Second");
        EXPECT_STREQ(e.patternName, "TWICE");
    }
    EXPECT_EQ(Calls("gain")[0].module, "fake_b");
    EXPECT_EQ(Handled(), std::vector<int>{-60});
}

}  // namespace
