// TMP_ConvertPatternName as a caller uses it: conversions, the refused
// lengths, the missing arguments, the exact bytes written, and that nothing
// is reported.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kam/kam.h"

namespace {

constexpr char kFill = '#';
constexpr int kBufferSize = 32;
// A NUL, eleven blanks and a NUL.
const char kEmptyName[13] = {'\0', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', '\0'};

struct Buffer {
    char bytes[kBufferSize];
    Buffer() { std::memset(bytes, kFill, sizeof bytes); }
    bool UntouchedFrom(int offset) const {
        for (int i = offset; i < kBufferSize; ++i)
            if (bytes[i] != kFill) return false;
        return true;
    }
};

struct Conversion {
    const char* legacy;
    int status;
    const char* current;  // nullptr: the empty name
};

// Expected names read off the catalogue by hand.
const Conversion kConversions[] = {
    {"ES-REF      ", 0, "FSREF_001_V1"},
    {"ES-REF(32)  ", 0, "FSREF_001_V1"},  // shares 001 with the row above
    {"FS-PMP-S(pk)", 0, "PMPSP_023_V1"},  // a full 12 characters, no padding
    {"SS-LS20     ", 0, "GSOSS_101_V1"},
    {"SS-GSO-20   ", 0, "GSOSS_101_V1"},
    {"BSS-TX(FRO) ", 0, "FROFF_109_V1"},  // the fourth designation of 109
    {"RAD-CSC2*   ", 0, "CSEC2_021_V1"},
    {"SS-AIRY     ", 0, "AIRYS_116_V1"},  // the last row
    {"SS-AIRY", -2005, nullptr},          // without its padding
    {"ss-airy     ", -2005, nullptr},     // case matters
    {"SS-AIRY      ", -1, nullptr},       // 13 characters: refused, nothing written
    {"SS-AIRY       ", -2005, nullptr},   // 14 characters: looked up, not found
    {"", -2005, nullptr},
    {"FSREF_001_V1", -2005, nullptr},  // a current name is no designation
};

TEST(LegacyConvert, Conversions) {
    for (const Conversion& c : kConversions) {
        SCOPED_TRACE(std::string("\"") + c.legacy + "\"");
        Buffer out;
        ASSERT_EQ(TMP_ConvertPatternName(c.legacy, out.bytes), c.status);
        if (c.status == -1) {
            EXPECT_TRUE(out.UntouchedFrom(0));
            continue;
        }
        const char* expected = c.current != nullptr ? c.current : kEmptyName;
        EXPECT_EQ(std::memcmp(out.bytes, expected, 13), 0);
        EXPECT_TRUE(out.UntouchedFrom(13));
    }
}

TEST(LegacyConvert, MissingArguments) {
    Buffer out;
    EXPECT_EQ(TMP_ConvertPatternName(nullptr, nullptr), -1);
    EXPECT_EQ(TMP_ConvertPatternName(nullptr, out.bytes), -1);
    EXPECT_EQ(TMP_ConvertPatternName("SS-LS20     ", nullptr), -2);
    EXPECT_EQ(TMP_ConvertPatternName("SS-LS20      ", nullptr), -1);  // 13 characters come first
    EXPECT_EQ(TMP_ConvertPatternName("no such name", nullptr), -2);
    EXPECT_TRUE(out.UntouchedFrom(0));
}

// A long caller text is judged after at most 14 characters: the lookup of a
// name far longer than a designation still ends in -2005.
TEST(LegacyConvert, LongName) {
    const std::string longName(4096, 'A');
    Buffer out;
    EXPECT_EQ(TMP_ConvertPatternName(longName.c_str(), out.bytes), -2005);
    EXPECT_EQ(std::memcmp(out.bytes, kEmptyName, 13), 0);
}

int g_handlerCalls = 0;
int KAM_CALL CountingHandler(KAM_Status) {
    ++g_handlerCalls;
    return 0;
}

// Turns the event log on and installs a counting handler; restores both.
class LegacyConvertReporting : public ::testing::Test {
protected:
    void SetUp() override {
        logWasOn_ = KAM_IfEventLogEnabled() != 0;
        previous_ = KAM_GetEventHandler();
        KAM_EnableEventLog();
        KAM_SetUserEventHandler(&CountingHandler);
        KAM_EventRecord event;
        while (KAM_GetNextEvent(&event) == 0) {
        }
        g_handlerCalls = 0;
    }
    void TearDown() override {
        KAM_SetUserEventHandler(previous_);
        if (!logWasOn_) KAM_DisableEventLog();
    }

private:
    bool logWasOn_ = false;
    KAM_EventHandler previous_ = nullptr;
};

// Failures of the conversion are returned only: no event, no handler call.
TEST_F(LegacyConvertReporting, ReportsNothing) {
    Buffer out;
    EXPECT_EQ(TMP_ConvertPatternName("ES-HEMI     ", out.bytes), 0);
    EXPECT_EQ(TMP_ConvertPatternName("nothing", out.bytes), -2005);
    EXPECT_EQ(TMP_ConvertPatternName("SS-AIRY      ", out.bytes), -1);
    EXPECT_EQ(TMP_ConvertPatternName("SS-AIRY     ", nullptr), -2);
    EXPECT_EQ(g_handlerCalls, 0);
    KAM_EventRecord event;
    EXPECT_EQ(KAM_GetNextEvent(&event), -2007);
}

}  // namespace
