// Loading pattern libraries through KAM_AddLibrary, as a caller does, with
// the fake libraries: entry points and their order, broken contracts, version
// stamps, the values written into a library, and events raised on the way.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "elf_patch.h"
#include "kam/kam_plugin.h"
#include "libraries_fixture.h"

namespace {

using libtest::LibrariesTest;

TEST_F(LibrariesTest, RegistersLibraryCallingEntryPointsInOrder) {
    fake::Config("fake_a").libraryName = "Alpha";
    KAM_LibraryId id = Add("fake_a");
    ASSERT_NE(id, KAM_NO_LIBRARY);

    std::vector<std::string> order;
    for (const fake::Call& c : fake::CallsOf("fake_a")) order.push_back(c.what);
    EXPECT_EQ(order, (std::vector<std::string>{"LIP_SetEventLogHandler", "LIP_InitLibrary",
                                               "LIP_GetLibraryInfo"}));
    EXPECT_NE(fake::CallsOf("fake_a", "LIP_SetEventLogHandler")[0].sink, nullptr);

    // The record handed to LIP_GetLibraryInfo is all zero.
    const fake::Registration* reg = fake::LastRegistration("fake_a");
    ASSERT_NE(reg, nullptr);
    KAM_LibraryInfo zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(std::memcmp(&reg->infoOnEntry, &zero, sizeof zero), 0);

    // The three targets.
    EXPECT_EQ(reg->noValueDouble, DBL_MAX);
    EXPECT_EQ(reg->noValueStruct, reinterpret_cast<void*>(1));
    EXPECT_EQ(reg->gainValid, 1);

    KAM_LibraryProperties props;
    ASSERT_EQ(KAM_GetLibraryProperties(id, &props), 0);
    EXPECT_STREQ(props.name, "Alpha");
    EXPECT_EQ(props.patternCount, 2);
    // Stamped "1, 2, 3, 4": the first, second and fourth number.
    EXPECT_EQ(props.version[0], 1);
    EXPECT_EQ(props.version[1], 2);
    EXPECT_EQ(props.version[2], 4);
    EXPECT_EQ(KAM_ExistPattern(id, "A_EARTH"), 0);
    EXPECT_EQ(KAM_ExistPattern(id, "A_SPACE"), 0);
}

TEST_F(LibrariesTest, SameModuleTwiceGives2008WithFirstIdAndCallsNothing) {
    std::string path = fake::FreshCopy("fake_b");
    KAM_LibraryId first = 0;
    ASSERT_EQ(KAM_AddLibrary(path.c_str(), &first), 0);
    int32_t before = LibraryCount();
    fake::Reset();

    KAM_LibraryId again = 12345;
    EXPECT_EQ(KAM_AddLibrary(path.c_str(), &again), KAM_W_ALREADY_LOADED);
    EXPECT_EQ(again, first);
    EXPECT_TRUE(fake::CallsOf("fake_b").empty());
    EXPECT_EQ(LibraryCount(), before);
    EXPECT_EQ(handled_, std::vector<KAM_Status>{KAM_W_ALREADY_LOADED});
}

TEST_F(LibrariesTest, StandardLibraryByItsNameGives2008WithStdId) {
    KAM_LibraryId std = KAM_StdLibraryId();
    if (std == KAM_NO_LIBRARY) GTEST_SKIP() << "standard library not registered";
    KAM_LibraryId id = 0;
    EXPECT_EQ(KAM_AddLibrary("KAM_Std.dll", &id), KAM_W_ALREADY_LOADED);
    EXPECT_EQ(id, std);
#if !defined(_WIN32)
    // The match is exact and case-sensitive: another spelling is a file name
    // (which Windows, unlike Linux, resolves to the same file).
    EXPECT_EQ(KAM_AddLibrary("kam_std.dll", &id), KAM_E_DLL_NOT_FOUND);
    EXPECT_EQ(id, KAM_NO_LIBRARY);
#endif
}

TEST_F(LibrariesTest, ArgumentChecksLeaveOutputUntouched) {
    KAM_LibraryId id = 777;
    EXPECT_EQ(KAM_AddLibrary(nullptr, &id), -1);
    EXPECT_EQ(KAM_AddLibrary("", &id), -1);
    EXPECT_EQ(id, 777);
    EXPECT_EQ(KAM_AddLibrary(fake::Path("fake_a").c_str(), nullptr), -2);
    EXPECT_EQ(handled_, (std::vector<KAM_Status>{-1, -1, -2}));
    KAM_EventRecord e;
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_EQ(e.code, -2);
    EXPECT_STREQ(e.text, "Input parameter 2 is wrong.");
}

TEST_F(LibrariesTest, UnloadableFileGives2002AndNoneId) {
    KAM_LibraryId id = 777;
    std::string missing = fake::ScratchDir().string() + "/no_such_library.so";
    EXPECT_EQ(KAM_AddLibrary(missing.c_str(), &id), KAM_E_DLL_NOT_FOUND);
    EXPECT_EQ(id, KAM_NO_LIBRARY);
}

// A missing entry point, or an entry point returning anything but 0, stops
// the load before anything is registered; later entry points are not called.
TEST_F(LibrariesTest, EntryPointFailuresRegisterNothing) {
    struct Case {
        const char* stem;
        int entry;          // entry whose status is set, -1 for none
        KAM_Status status;  // configured status
        KAM_Status expected;
        std::vector<std::string> called;
    };
    const std::vector<std::string> set{"LIP_SetEventLogHandler"};
    const std::vector<std::string> setInit{"LIP_SetEventLogHandler", "LIP_InitLibrary"};
    const std::vector<std::string> all{"LIP_SetEventLogHandler", "LIP_InitLibrary",
                                       "LIP_GetLibraryInfo"};
    const Case cases[] = {
        {"fake_no_set", -1, 0, KAM_E_NO_SET_EVENT_LOG_HANDLER, {}},
        {"fake_no_init", -1, 0, KAM_E_NO_INIT_LIBRARY, set},
        {"fake_no_info", -1, 0, KAM_E_NO_GET_LIBRARY_INFO, setInit},
        {"fake_c", fake::kSetEventLogHandler, 5, 5, set},
        {"fake_c", fake::kSetEventLogHandler, -77, -77, set},
        {"fake_c", fake::kInitLibrary, 5, 5, setInit},
        {"fake_c", fake::kInitLibrary, -77, -77, setInit},
        {"fake_c", fake::kGetLibraryInfo, 3, 3, all},
        {"fake_c", fake::kGetLibraryInfo, -99, -99, all},
        {"fake_c", fake::kInitLibrary, -6001, -6001, setInit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stem) + " status " + std::to_string(c.status));
        fake::Reset();
        handled_.clear();
        const std::string module = c.stem;
        if (c.entry >= 0) fake::Config(module).entries[c.entry].status = c.status;
        int32_t before = LibraryCount();
        std::string path = fake::FreshCopy(c.stem);
        KAM_LibraryId id = 777;
        EXPECT_EQ(KAM_AddLibrary(path.c_str(), &id), c.expected);
        EXPECT_EQ(id, KAM_NO_LIBRARY);
        std::vector<std::string> called;
        for (const fake::Call& call : fake::CallsOf(module)) called.push_back(call.what);
        EXPECT_EQ(called, c.called);
        EXPECT_EQ(handled_, std::vector<KAM_Status>{c.expected});
        // Logged only up to 4999, with the table's text or an empty one.
        KAM_EventRecord e;
        if (c.expected <= -5000 || c.expected >= 5000) {
            EXPECT_EQ(KAM_GetNextEvent(&e), KAM_E_QUEUE_EMPTY);
        } else {
            ASSERT_EQ(KAM_GetNextEvent(&e), 0);
            EXPECT_EQ(e.code, c.expected);
            EXPECT_EQ(e.severity, c.expected > 0 ? KAM_SEVERITY_WARNING : KAM_SEVERITY_ERROR);
            if (c.entry >= 0) {
                EXPECT_STREQ(e.text, "");
            }
        }
        EXPECT_EQ(LibraryCount(), before);

        // The module stays loaded but unregistered: a second load calls the
        // entry points again.
        if (c.entry >= 0) {
            fake::Config(module).entries[c.entry].status = 0;
            EXPECT_EQ(KAM_AddLibrary(path.c_str(), &id), 0);
            EXPECT_NE(id, KAM_NO_LIBRARY);
        }
    }
}

TEST_F(LibrariesTest, MissingEntryPointMessages) {
    struct Case {
        const char* stem;
        const char* text;
    };
    const Case cases[] = {
        {"fake_no_set",
         "Antenna patterns DLL interface error. SetEventLogHandler procedure not found."},
        {"fake_no_init", "Antenna patterns DLL interface error. InitLibrary procedure not found."},
        {"fake_no_info",
         "Antenna patterns DLL interface error. GetLibraryInfo procedure not found."},
    };
    for (const Case& c : cases) {
        KAM_LibraryId id = 0;
        KAM_AddLibrary(fake::FreshCopy(c.stem).c_str(), &id);
        KAM_EventRecord e;
        ASSERT_EQ(KAM_GetNextEvent(&e), 0);
        EXPECT_STREQ(e.text, c.text);
        EXPECT_STREQ(e.libraryName, "");
    }
}

// A null gain at pattern k ends registration with -3006; the library stays
// registered with the k patterns before it.
TEST_F(LibrariesTest, NullGainKeepsPatternsBeforeIt) {
    for (int k : {0, 2, 3}) {
        SCOPED_TRACE("null gain at " + std::to_string(k));
        fake::Reset();
        auto& cfg = fake::Config("fake_d");
        cfg.patterns.clear();
        for (int i = 0; i < 4; ++i) {
            fake::PatternConfig p;
            p.name = "D_P" + std::to_string(i);
            cfg.patterns.push_back(p);
        }
        cfg.patterns[k].slots[fake::kGain].present = false;
        KAM_LibraryId id = 0;
        ASSERT_EQ(KAM_AddLibrary(fake::FreshCopy("fake_d").c_str(), &id), KAM_E_NULL_GAIN);
        ASSERT_NE(id, KAM_NO_LIBRARY);
        EXPECT_EQ(PatternCount(id, 3), k);
        for (int i = 0; i < 4; ++i) {
            std::string name = "D_P" + std::to_string(i);
            EXPECT_EQ(KAM_ExistPattern(id, name.c_str()), i < k ? 0 : KAM_E_PATTERN_NOT_FOUND);
        }
        // The targets were written before the patterns were registered.
        EXPECT_EQ(fake::LastRegistration("fake_d")->noValueDouble, DBL_MAX);
    }
}

TEST_F(LibrariesTest, PatternCountsAndArrays) {
    struct Case {
        const char* what;
        bool override;
        int32_t count;
        bool nullPatterns;
        KAM_Status expected;
        int32_t registered;
    };
    const Case cases[] = {
        {"count 0", true, 0, false, 0, 0},
        {"negative count", true, -5, false, 0, 0},
        {"negative count, null array", true, -1, true, 0, 0},
        {"count 1 of 2", true, 1, false, 0, 1},
        {"null array, positive count", false, 0, true, KAM_E_NULL_GAIN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake::Reset();
        auto& cfg = fake::Config("fake_e");
        cfg.overridePatternCount = c.override;
        cfg.patternCount = c.count;
        cfg.nullPatterns = c.nullPatterns;
        KAM_LibraryId id = 0;
        EXPECT_EQ(KAM_AddLibrary(fake::FreshCopy("fake_e").c_str(), &id), c.expected);
        ASSERT_NE(id, KAM_NO_LIBRARY);
        EXPECT_EQ(PatternCount(id, 3), c.registered);
        // The caller sees the count as the library wrote it.
        KAM_LibraryProperties props;
        ASSERT_EQ(KAM_GetLibraryProperties(id, &props), 0);
        EXPECT_EQ(props.patternCount, c.override ? c.count : 2);
    }
}

TEST_F(LibrariesTest, NamesAtAndBeyondTheirFields) {
    const std::string name63(63, 'L');
    const std::string name64(64, 'M');
    auto& cfg = fake::Config("fake_f");
    cfg.libraryName = name63;
    cfg.patterns[0].name = std::string(12, 'P');
    cfg.patterns[1].name = std::string(13, 'Q');  // no NUL in the field
    KAM_LibraryId full = Add("fake_f");
    KAM_LibraryProperties props;
    ASSERT_EQ(KAM_GetLibraryProperties(full, &props), 0);
    EXPECT_EQ(std::string(props.name), name63);
    EXPECT_EQ(KAM_ExistPattern(full, std::string(12, 'P').c_str()), 0);
    // The stored copy is cut at byte 12: its name is the first 12 characters.
    EXPECT_EQ(KAM_ExistPattern(full, std::string(12, 'Q').c_str()), 0);
    KAM_PatternProperties pp;
    ASSERT_EQ(KAM_GetPatternProperties(full, std::string(12, 'Q').c_str(), &pp), 0);
    EXPECT_EQ(pp.name[12], '\0');

    fake::Config("fake_f").libraryName = name64;
    KAM_LibraryId cut = Add("fake_f");
    ASSERT_EQ(KAM_GetLibraryProperties(cut, &props), 0);
    EXPECT_EQ(std::string(props.name), name64.substr(0, 63));
    KAM_LibraryId byName = 0;
    EXPECT_EQ(KAM_GetLibraryIdByName(name64.substr(0, 63).c_str(), &byName), 0);
    EXPECT_EQ(byName, cut);
}

TEST_F(LibrariesTest, NullTargetsAreNotWrittenThrough) {
    auto& cfg = fake::Config("fake_g");
    cfg.nullNoValueDoubleTarget = true;
    cfg.nullNoValueStructTarget = true;
    cfg.nullGainValidTarget = true;
    KAM_LibraryId id = Add("fake_g");
    EXPECT_NE(id, KAM_NO_LIBRARY);
    EXPECT_EQ(KAM_DisableGainValid(), 0);
    EXPECT_EQ(KAM_EnableGainValid(), 0);
    // One null target does not keep the others from being written.
    fake::Reset();
    fake::Config("fake_g").nullGainValidTarget = true;
    Add("fake_g");
    EXPECT_EQ(fake::LastRegistration("fake_g")->noValueDouble, DBL_MAX);
    EXPECT_EQ(fake::LastRegistration("fake_g")->gainValid, fake::kTargetUnsetInt);
}

TEST_F(LibrariesTest, GainValidSwitchReachesEveryLibrary) {
    ASSERT_EQ(KAM_DisableGainValid(), 0);
    Add("fake_h");
    fake::Registration* first = fake::LastRegistration("fake_h");
    EXPECT_EQ(first->gainValid, 0);
    Add("fake_h");
    fake::Registration* second = fake::LastRegistration("fake_h");
    ASSERT_EQ(KAM_EnableGainValid(), 0);
    EXPECT_EQ(first->gainValid, 1);
    EXPECT_EQ(second->gainValid, 1);
    ASSERT_EQ(KAM_DisableGainValid(), 0);
    EXPECT_EQ(first->gainValid, 0);
    EXPECT_EQ(second->gainValid, 0);
}

TEST_F(LibrariesTest, EventLogSwitchDecidesTheSinkHandedOut) {
    ASSERT_EQ(KAM_DisableEventLog(), 0);
    fake::Reset();  // forget the null sinks handed to the libraries already loaded
    Add("fake_a");
    auto calls = fake::CallsOf("fake_a", "LIP_SetEventLogHandler");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].sink, nullptr);
    ASSERT_EQ(KAM_EnableEventLog(), 0);
    calls = fake::CallsOf("fake_a", "LIP_SetEventLogHandler");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_NE(calls.back().sink, nullptr);
}

// Events a library queues while it registers carry no library or pattern
// name: KAM_AddLibrary sets no context.
TEST_F(LibrariesTest, EventsDuringRegistrationCarryNoNames) {
    KAM_LibraryId other = Add("fake_b");
    KAM_LibraryProperties props;
    ASSERT_EQ(KAM_GetLibraryProperties(other, &props), 0);  // sets a context
    auto& cfg = fake::Config("fake_a");
    cfg.entries[fake::kInitLibrary].events = {{123, "init says hello", false}};
    cfg.entries[fake::kGetLibraryInfo].events = {{-45, "", true}};
    KAM_LibraryId id = 0;
    ASSERT_EQ(KAM_AddLibrary(fake::FreshCopy("fake_a").c_str(), &id), 0);
    KAM_EventRecord e;
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_EQ(e.code, 123);
    EXPECT_EQ(e.severity, KAM_SEVERITY_WARNING);
    EXPECT_STREQ(e.text, "init says hello");
    EXPECT_EQ(e.textLength, 15);
    EXPECT_STREQ(e.libraryName, "");
    EXPECT_STREQ(e.patternName, "");
    ASSERT_EQ(KAM_GetNextEvent(&e), 0);
    EXPECT_EQ(e.code, -45);
    EXPECT_EQ(e.textLength, 255);
    EXPECT_EQ(e.text[255], '\0');
    EXPECT_EQ(KAM_GetNextEvent(&e), KAM_E_QUEUE_EMPTY);
}

// The restamped copies exist where the version stamp is an ELF section.
#if !defined(_WIN32)
TEST_F(LibrariesTest, VersionStamps) {
    struct Case {
        const char* stem;
        KAM_Status expected;
        int32_t version[3];
    };
    const Case cases[] = {
        {"fake_ver_dots", 0, {4, 0, 2}},
        {"fake_ver_commas_blank", 0, {1, 2, 4}},
        {"fake_ver_commas", 0, {1, 2, 4}},
        {"fake_ver_three", KAM_E_BAD_VERSION_INFO, {}},
        {"fake_ver_blank_dot", KAM_E_BAD_VERSION_INFO, {}},
        {"fake_ver_empty", KAM_E_NO_VERSION_INFO, {}},
        {"fake_ver_none", KAM_E_NO_VERSION_INFO, {}},
        {"fake_ver_nonul", KAM_E_BAD_VERSION_INFO, {}},
        {"fake_ver_trailing", 0, {5, 6, 8}},
        {"fake_ver_signs", 0, {1, -2, 4}},
        {"fake_ver_huge_commas", 0, {INT32_MAX, INT32_MIN, INT32_MIN}},
        {"fake_ver_huge_dots", 0, {INT32_MAX, INT32_MIN, INT32_MAX}},
        {"fake_ver_words", KAM_E_BAD_VERSION_INFO, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stem);
        int32_t before = LibraryCount();
        KAM_LibraryId id = 777;
        ASSERT_EQ(KAM_AddLibrary(fake::FreshCopy(c.stem).c_str(), &id), c.expected);
        if (c.expected != 0) {
            EXPECT_EQ(id, KAM_NO_LIBRARY);
            KAM_EventRecord e;
            ASSERT_EQ(KAM_GetNextEvent(&e), 0);
            EXPECT_STREQ(e.text, c.expected == KAM_E_NO_VERSION_INFO
                                     ? "Antenna patterns DLL interface error. No version info found."
                                     : "Antenna patterns DLL interface error. Get library version failed.");
            EXPECT_EQ(LibraryCount(), before);
            continue;
        }
        KAM_LibraryProperties props;
        ASSERT_EQ(KAM_GetLibraryProperties(id, &props), 0);
        EXPECT_EQ(props.version[0], c.version[0]);
        EXPECT_EQ(props.version[1], c.version[1]);
        EXPECT_EQ(props.version[2], c.version[2]);
    }
}

// Copies whose section headers are corrupt load (the loader does not read
// them) but give no version, or a bad one, without reading out of bounds.
TEST_F(LibrariesTest, CorruptSectionHeadersGiveVersionFailures) {
    const auto original = elfpatch::Load(fake::Path("fake_ver_dots"));
    const elfpatch::Layout l = elfpatch::LayoutOf(original);
    const std::size_t section = elfpatch::SectionHeaderOf(original, ".kam_version");
    ASSERT_NE(section, 0u);
    struct Case {
        const char* what;
        std::size_t at;
        std::size_t bytes;
        std::uint64_t value;
        KAM_Status expected;
    };
    const Case cases[] = {
        {"e_shoff past the end", l.shoff, l.wordSize, original.size(), KAM_E_NO_VERSION_INFO},
        {"e_shnum huge", l.shnum, 2, 0xFFFF, KAM_E_NO_VERSION_INFO},
        {"sh_size huge", section + l.shSize, l.wordSize, 0x7FFFFFF0, KAM_E_BAD_VERSION_INFO},
        {"sh_name outside the names", section + l.shName, 4, 0x7FFFFFFF, KAM_E_NO_VERSION_INFO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = original;
        elfpatch::Put(bytes, c.at, c.bytes, c.value);
        std::string path = fake::FreshCopy("fake_ver_dots");
        elfpatch::Save(path, bytes);
        KAM_LibraryId id = 777;
        EXPECT_EQ(KAM_AddLibrary(path.c_str(), &id), c.expected);
        EXPECT_EQ(id, KAM_NO_LIBRARY);
    }
}

#endif  // ELF

}  // namespace
