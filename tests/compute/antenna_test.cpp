// Antenna objects as a caller sees them, over fake pattern libraries:
// creation with its copy of the specific structure, gain by AntennaId with
// pointers into the stored record, deletion (from inside a slot too), and
// handles that are not (or no longer) antennas.
#include <cstring>
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

constexpr KAM_AntennaId kUnsetId = 4242;

class Antennas : public ExportTest {
protected:
    KAM_AntennaId CreateEarth(KAM_LibraryId lib, void* specific, int expected = 0,
                              double gainMax = 30) {
        KAM_AntennaId id = kUnsetId;
        EXPECT_EQ(KAM_CreateEarthAntenna(lib, "A_EARTH", gainMax, 2, 1e4, 0.5, specific, &id),
                  expected);
        return id;
    }
    KAM_AntennaId CreateSpace(KAM_LibraryId lib, void* specific, int expected = 0,
                              double gainMax = 30) {
        KAM_AntennaId id = kUnsetId;
        EXPECT_EQ(KAM_CreateSpaceAntenna(lib, "A_SPACE", gainMax, 2, specific, &id), expected);
        return id;
    }
    int Gain(KAM_AntennaId id, double* gain = nullptr, double* gainX = nullptr) {
        double g = 0, gx = 0;
        return KAM_AntennaGain(id, 10, 2, gain ? gain : &g, gainX ? gainX : &gx);
    }
};

TEST_F(Antennas, ArgumentChecks) {
    const KAM_LibraryId lib = Load();
    KAM_AntennaId id = kUnsetId;
    double gain = 1.5, gainX = 2.5;
    const struct {
        const char* label;
        int status;
        int expected;
    } cases[] = {
        {"earth no library", KAM_CreateEarthAntenna(0, nullptr, 30, 2, 1e4, 0.5, nullptr, nullptr), -1},
        {"earth long name", KAM_CreateEarthAntenna(lib, "ABCDEFGHIJKLM", 30, 2, 1e4, 0.5, nullptr, &id), -2},
        {"earth no specific", KAM_CreateEarthAntenna(lib, "A_EARTH", 30, 2, 1e4, 0.5, nullptr, &id), -7},
        {"earth no id", KAM_CreateEarthAntenna(lib, "A_EARTH", 30, 2, 1e4, 0.5, NoStruct(), nullptr), -8},
        {"space no library", KAM_CreateSpaceAntenna(0, "A_SPACE", 30, 2, NoStruct(), &id), -1},
        {"space empty name", KAM_CreateSpaceAntenna(lib, "", 30, 2, NoStruct(), &id), -2},
        {"space no specific", KAM_CreateSpaceAntenna(lib, "A_SPACE", 30, 2, nullptr, &id), -5},
        {"space no id", KAM_CreateSpaceAntenna(lib, "A_SPACE", 30, 2, NoStruct(), nullptr), -6},
        {"delete none", KAM_DeleteAntenna(0), -1},
        {"gain none", KAM_AntennaGain(0, 10, 2, nullptr, nullptr), -1},
        {"gain no gain", KAM_AntennaGain(12345, 10, 2, nullptr, &gainX), -4},
        {"gain no gainX", KAM_AntennaGain(12345, 10, 2, &gain, nullptr), -5},
    };
    for (const auto& c : cases) EXPECT_EQ(c.status, c.expected) << c.label;
    EXPECT_EQ(id, kUnsetId);
    EXPECT_EQ(gain, 1.5);
    EXPECT_EQ(gainX, 2.5);
    EXPECT_TRUE(Calls().empty());
}

// Every failed creation leaves the id at 0 and no antenna behind.
TEST_F(Antennas, FailedCreationLeavesNothing) {
    SetProperties(Earth(), {R, O, O, O, O, O, O, O});
    Space().slots[fake::kValidateInput].status = -44;
    const KAM_LibraryId lib = Load();
    KAM_AntennaId id = kUnsetId;
    EXPECT_EQ(KAM_CreateSpaceAntenna(lib, "A_EARTH", 30, 2, NoStruct(), &id), KAM_E_PATTERN_TYPE);
    EXPECT_EQ(id, 0);
    id = kUnsetId;
    EXPECT_EQ(KAM_CreateEarthAntenna(lib, "A_SPACE", 30, 2, 1e4, 0.5, NoStruct(), &id),
              KAM_E_PATTERN_TYPE);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(CreateEarth(999999, NoStruct(), KAM_E_UNKNOWN_LIBRARY), 0);
    EXPECT_EQ(CreateEarth(lib, NoStruct(), -5100, kNoValue), 0);
    EXPECT_EQ(CreateEarth(lib, NoStruct(), -5200, 800), 0);
    EXPECT_EQ(CreateSpace(lib, NoStruct(), -44), 0);
}

// Creation runs the partial chain only; a warning still creates the antenna.
TEST_F(Antennas, CreationValidatesOnceWithThePartialChain) {
    const KAM_LibraryId lib = Load();
    Clear();
    const KAM_AntennaId id = CreateEarth(lib, NoStruct(), 5200, 200);
    EXPECT_NE(id, 0);
    EXPECT_NE(id, kUnsetId);
    EXPECT_EQ(Handled(), std::vector<int>{5200});
    EXPECT_EQ(CallNames(), std::vector<std::string>{"validateInput"});
    // Gain: the angles and validateAll only; the stored GainMax beyond its
    // soft limit is not reported again.
    Clear();
    EXPECT_EQ(Gain(id), 0);
    EXPECT_EQ(CallNames(), (std::vector<std::string>{"validateAll", "gain"}));
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

// An antenna created with validation off keeps values beyond the table;
// asked for gain with validation on, only the angles and validateAll run.
TEST_F(Antennas, CreatedUncheckedNotCheckedLater) {
    SetProperties(Space(), {R, R, O, O, O, O, R, R});
    const KAM_LibraryId lib = Load();
    KAM_DisableInputParamValid();
    const KAM_AntennaId id = CreateSpace(lib, NoStruct(), 0, 900);
    EXPECT_TRUE(Calls().empty());
    KAM_EnableInputParamValid();
    Clear();
    EXPECT_EQ(Gain(id), 0);
    EXPECT_EQ(Calls("validateAll")[0].values[0], 900);
    double gain = 0, gainX = 0;
    EXPECT_EQ(KAM_AntennaGain(id, 10, 0, &gain, &gainX), -5207);
    EXPECT_EQ(gain, kNoValue);
    EXPECT_EQ(gainX, kNoValue);
    EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

// The antenna keeps its own copy of specificSize bytes; the structure NoValue
// is stored when there is no structure or no size (negative counts as none).
TEST_F(Antennas, SpecificStructureIsCopiedOrNoValue) {
    Earth().specificSize = 16;
    Space().specificSize = 0;
    const KAM_LibraryId sized = Load();
    Earth().specificSize = -8;
    const KAM_LibraryId negative = Load();

    unsigned char structure[16];
    for (int i = 0; i < 16; ++i) structure[i] = static_cast<unsigned char>(i + 1);
    unsigned char original[16];
    std::memcpy(original, structure, sizeof structure);

    const KAM_AntennaId copied = CreateEarth(sized, structure);
    std::memset(structure, 0xEE, sizeof structure);  // the caller reuses its structure
    Earth().slots[fake::kGain].hook = [&original] {
        const fake::Call& call = fake::Log().back();
        EXPECT_EQ(std::memcmp(call.specific, original, sizeof original), 0);
    };
    Clear();
    EXPECT_EQ(Gain(copied), 0);
    ASSERT_EQ(Calls("gain").size(), 1u);
    void* stored = Calls("gain")[0].specific;
    EXPECT_NE(stored, static_cast<void*>(structure));
    EXPECT_NE(stored, NoStruct());
    EXPECT_EQ(Calls("validateAll")[0].specific, stored);
    // The next call passes the same stored copy.
    EXPECT_EQ(Gain(copied), 0);
    EXPECT_EQ(Calls("gain")[1].specific, stored);
    Earth().slots[fake::kGain].hook = nullptr;

    const struct {
        const char* label;
        KAM_AntennaId id;
    } noCopy[] = {
        {"NoValue given", CreateEarth(sized, NoStruct())},
        {"size 0, real pointer", CreateSpace(sized, structure)},
        {"negative size, real pointer", CreateEarth(negative, structure)},
    };
    for (const auto& c : noCopy) {
        SCOPED_TRACE(c.label);
        Clear();
        EXPECT_EQ(Gain(c.id), 0);
        ASSERT_EQ(Calls("gain").size(), 1u);
        EXPECT_EQ(Calls("gain")[0].specific, NoStruct());
        EXPECT_EQ(KAM_DeleteAntenna(c.id), 0);
    }
    EXPECT_EQ(KAM_DeleteAntenna(copied), 0);
}

// The slots receive pointers into the antenna's record: what they write
// there is the antenna's value from then on.
TEST_F(Antennas, SlotsWorkOnTheStoredRecord) {
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId id = CreateEarth(lib, NoStruct());
    Earth().slots[fake::kValidateAll].hook = [] {
        const fake::Call& call = fake::Log().back();
        *call.args[0] += 1.0;  // GainMax
    };
    Clear();
    EXPECT_EQ(Gain(id), 0);
    EXPECT_EQ(Gain(id), 0);
    const std::vector<fake::Call> gains = Calls("gain");
    ASSERT_EQ(gains.size(), 2u);
    EXPECT_EQ(gains[0].values[0], 31);
    EXPECT_EQ(gains[1].values[0], 32);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(gains[0].args[k], gains[1].args[k]);
    EXPECT_EQ(gains[0].values, (std::vector<double>{31, 2, 1e4, 0.5, 10, 2, 0.0, 0.0}));
    EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

TEST_F(Antennas, GainOutputsAndCombination) {
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId id = CreateSpace(lib, NoStruct());
    fake::SlotConfig& gainSlot = Space().slots[fake::kGain];
    fake::SlotConfig& allSlot = Space().slots[fake::kValidateAll];
    const struct {
        double phi0;  // 20 is beyond Phi0's soft maximum: +5207
        int all;
        int gainStatus;
        bool write;
        int expected;
        double gain, gainX;
    } cases[] = {
        {2, 0, 0, false, 0, 0.0, 0.0},
        {2, 0, 0, true, 0, 40.0, 41.0},
        {20, 0, 0, true, 5207, 40.0, 41.0},
        {20, 6, 0, true, 6, 40.0, 41.0},
        {20, 6, 8, true, 8, 40.0, 41.0},
        {20, 6, -8, true, -8, 40.0, 41.0},
        {20, -6, 8, true, -6, kNoValue, kNoValue},
        {0, 6, 8, true, -5207, kNoValue, kNoValue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.phi0 << " " << c.all << " " << c.gainStatus);
        allSlot.status = c.all;
        gainSlot.status = c.gainStatus;
        gainSlot.writeOutputs = c.write;
        gainSlot.output1 = 40;
        gainSlot.output2 = 41;
        Clear();
        double gain = -1, gainX = -1;
        EXPECT_EQ(KAM_AntennaGain(id, 10, c.phi0, &gain, &gainX), c.expected);
        EXPECT_EQ(gain, c.gain);
        EXPECT_EQ(gainX, c.gainX);
        EXPECT_EQ(Handled(), c.expected != 0 ? std::vector<int>{c.expected} : std::vector<int>{});
    }
    // Validation off: the angles reach the gain function unchecked.
    KAM_DisableInputParamValid();
    gainSlot.status = 0;
    Clear();
    double gain = 0, gainX = 0;
    EXPECT_EQ(KAM_AntennaGain(id, 400, -3, &gain, &gainX), 0);
    EXPECT_EQ(CallNames(), std::vector<std::string>{"gain"});
    EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

// Events raised during an antenna's gain carry its library and pattern.
TEST_F(Antennas, EventsCarryTheAntennasPattern) {
    Config().libraryName = "AntennaLib";
    Space().slots[fake::kGain].events = {{5, "note"}};
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId id = CreateSpace(lib, NoStruct());
    Clear();
    double gain = 0, gainX = 0;
    EXPECT_EQ(KAM_AntennaGain(id, 10, 20, &gain, &gainX), 5207);
    const std::vector<KAM_EventRecord> events = TakeEvents();
    EXPECT_EQ(Codes(events), (std::vector<int>{5207, 5}));
    for (const KAM_EventRecord& e : events) {
        EXPECT_STREQ(e.libraryName, "AntennaLib");
        EXPECT_STREQ(e.patternName, "A_SPACE");
    }
    EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

// Two antennas on one pattern are independent; a deleted one is gone for
// every function, and deleting reports nothing.
TEST_F(Antennas, DeletionAndHandlesThatAreNotAntennas) {
    const KAM_LibraryId lib = Load();
    const KAM_AntennaId first = CreateEarth(lib, NoStruct(), 0, 31);
    const KAM_AntennaId second = CreateEarth(lib, NoStruct(), 0, 32);
    EXPECT_NE(first, second);
    Clear();
    EXPECT_EQ(KAM_DeleteAntenna(first), 0);
    EXPECT_TRUE(Handled().empty());
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_EQ(Gain(second), 0);
    EXPECT_EQ(Calls("gain")[0].values[0], 32);

    const KAM_AntennaId space = CreateSpace(lib, NoStruct());
    const KAM_AntennaId notAntennas[] = {first, lib, 987654321, -5};
    for (KAM_AntennaId bad : notAntennas) {
        SCOPED_TRACE(bad);
        Clear();
        double gain = 1, gainX = 1;
        EXPECT_EQ(KAM_AntennaGain(bad, 10, 2, &gain, &gainX), KAM_E_UNKNOWN_ANTENNA);
        EXPECT_EQ(gain, kNoValue);
        EXPECT_EQ(gainX, kNoValue);
        EXPECT_EQ(KAM_DeleteAntenna(bad), KAM_E_UNKNOWN_ANTENNA);
        EXPECT_EQ(Handled(), (std::vector<int>{KAM_E_UNKNOWN_ANTENNA, KAM_E_UNKNOWN_ANTENNA}));
        const std::vector<KAM_EventRecord> events = TakeEvents();
        ASSERT_EQ(events.size(), 1u);  // the second call drained the first's
        EXPECT_STREQ(events[0].text, "Unknown antenna. Wrong AntennaId.");
        EXPECT_STREQ(events[0].libraryName, "");
        EXPECT_TRUE(Calls().empty());
    }
    // The library survived the attempt to delete it as an antenna.
    EXPECT_NE(CreateSpace(lib, NoStruct()), 0);
    EXPECT_EQ(Gain(second), 0);
    EXPECT_EQ(Gain(space), 0);
    EXPECT_EQ(KAM_DeleteAntenna(second), 0);
    EXPECT_EQ(KAM_DeleteAntenna(second), KAM_E_UNKNOWN_ANTENNA);
    EXPECT_EQ(KAM_DeleteAntenna(space), 0);
}

// An antenna deleted from inside one of its own slots: the call under way
// finishes on the antenna's record (released only when it returns), and the
// handle is dead at once.
TEST_F(Antennas, DeletedFromInsideASlot) {
    Earth().specificSize = 16;
    const KAM_LibraryId lib = Load();
    for (fake::Slot slot : {fake::kValidateAll, fake::kGain}) {
        SCOPED_TRACE(slot);
        unsigned char structure[16] = {1, 2, 3};
        const KAM_AntennaId id = CreateEarth(lib, structure);
        int inner = 1, innerAgain = 1;
        Earth().slots[slot].hook = [&] {
            inner = KAM_DeleteAntenna(id);
            innerAgain = KAM_DeleteAntenna(id);
            const fake::Call& call = fake::Log().back();
            *call.args[0] = 99.0;  // GainMax, in the deleted antenna's record
        };
        Earth().slots[fake::kGain].writeOutputs = true;
        Earth().slots[fake::kGain].output1 = 3;
        Earth().slots[fake::kGain].output2 = 4;
        Clear();
        double gain = 0, gainX = 0;
        EXPECT_EQ(KAM_AntennaGain(id, 10, 2, &gain, &gainX), 0);
        EXPECT_EQ(inner, 0);
        EXPECT_EQ(innerAgain, KAM_E_UNKNOWN_ANTENNA);
        EXPECT_EQ(gain, 3);
        EXPECT_EQ(gainX, 4);
        const std::vector<fake::Call> gains = Calls("gain");
        ASSERT_EQ(gains.size(), 1u);
        if (slot == fake::kValidateAll) {
            EXPECT_EQ(gains[0].values[0], 99.0);
        }
        Earth().slots[slot].hook = nullptr;
        EXPECT_EQ(Gain(id), KAM_E_UNKNOWN_ANTENNA);
        EXPECT_EQ(KAM_DeleteAntenna(id), KAM_E_UNKNOWN_ANTENNA);
    }
}

// Unusual numbers: stored and passed on bit for bit; the angles judged by
// their rows of the limit table while validation is on (every parameter
// optional here).
TEST_F(Antennas, UnusualNumbers) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kTiny = std::numeric_limits<double>::denorm_min();
    const KAM_LibraryId lib = Load();
    KAM_DisableInputParamValid();
    KAM_AntennaId id = 0;
    ASSERT_EQ(KAM_CreateEarthAntenna(lib, "A_EARTH", kNaN, kInf, -0.0, kTiny, NoStruct(), &id), 0);
    double gain = 0, gainX = 0;
    ASSERT_EQ(KAM_AntennaGain(id, -kNaN, -kInf, &gain, &gainX), 0);
    const std::vector<double> expected = {kNaN, kInf, -0.0, kTiny, -kNaN, -kInf};
    ASSERT_EQ(Calls("gain").size(), 1u);
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_TRUE(SameBits(Calls("gain")[0].values[k], expected[k])) << k;
    }
    KAM_EnableInputParamValid();
    const struct {
        double value;
        int phi;   // status with the value as Phi (Phi0 = 2)
        int phi0;  // status with the value as Phi0 (Phi = 10)
    } cases[] = {
        {kNaN, 0, 0},          {kInf, -5206, -5207},   {-kInf, -5206, -5207},
        {kNoValue, 0, 0},      {-kNoValue, -5206, -5207}, {kTiny, 0, -5207},
        {-kTiny, -5206, -5207}, {-0.0, 0, -5207},       {180, 0, 5207},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(KAM_AntennaGain(id, c.value, 2, &gain, &gainX), c.phi);
        EXPECT_EQ(KAM_AntennaGain(id, 10, c.value, &gain, &gainX), c.phi0);
    }
    EXPECT_EQ(KAM_DeleteAntenna(id), 0);
}

}  // namespace
