// Internals of the loader: the version-text parser, the ELF reader on
// corrupt files, initialisation with the standard library missing or failing
// (through an in-process platform fake), the lookup index against a walk of
// the tree, termination, and loading under allocation failures.
#include <gtest/gtest.h>

#include <clocale>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "core/alloc.h"
#include "core/handles.h"
#include "core/state.h"
#include "core/status.h"
#include "elf_patch.h"
#include "libraries/platform.h"
#include "libraries/registry.h"
#include "plugins/fake_control.h"
#include "plugins/fake_paths.h"
#include "support/oom.h"

namespace {

TEST(ParseVersionText, BothFormatsAndFormattedInputRules) {
    struct Case {
        const char* text;
        int status;
        std::int32_t numbers[4];
    };
    const Case cases[] = {
        {"1, 0, 0, 3", 0, {1, 0, 0, 3}},
        {"1,2,3,4", 0, {1, 2, 3, 4}},
        {"4.0.0.2", 0, {4, 0, 0, 2}},
        {"  7,\t8,\n 9,  10", 0, {7, 8, 9, 10}},
        {"1. 2.\t3. 4", 0, {1, 2, 3, 4}},        // white space before each number
        {"+1,-2,+3,-4", 0, {1, -2, 3, -4}},
        {"1.2.3.4.5", 0, {1, 2, 3, 4}},           // trailing text ignored
        {"1,2,3,4garbage", 0, {1, 2, 3, 4}},
        {"0012,0,0,000", 0, {12, 0, 0, 0}},
        {"2147483647,-2147483648,0,0", 0, {INT32_MAX, INT32_MIN, 0, 0}},
        {"2147483648,-2147483649,0,0", 0, {INT32_MAX, INT32_MIN, 0, 0}},
        {"99999999999999999999999,-99999999999999999999999,1,1", 0, {INT32_MAX, INT32_MIN, 1, 1}},
        {"1 ,2,3,4", KAM_E_BAD_VERSION_INFO, {}},  // separator must follow at once
        {"1 .2.3.4", KAM_E_BAD_VERSION_INFO, {}},
        {"1.2.3", KAM_E_BAD_VERSION_INFO, {}},
        {"1,2,3", KAM_E_BAD_VERSION_INFO, {}},
        {"1,2.3,4", KAM_E_BAD_VERSION_INFO, {}},  // the formats do not mix
        {"1,2,3,", KAM_E_BAD_VERSION_INFO, {}},
        {"+,1,2,3", KAM_E_BAD_VERSION_INFO, {}},
        {"- 1,2,3,4", KAM_E_BAD_VERSION_INFO, {}},
        {"0x10,1,2,3", KAM_E_BAD_VERSION_INFO, {}},
        {"", KAM_E_BAD_VERSION_INFO, {}},
        {"   ", KAM_E_BAD_VERSION_INFO, {}},
    };
    // The parser must not depend on the locale.
    const char* locales[] = {"C", "de_DE.UTF-8", "fr_FR.UTF-8", "C.UTF-8"};
    for (const char* locale : locales) {
        if (std::setlocale(LC_ALL, locale) == nullptr) continue;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(locale) + " '" + c.text + "'");
            std::int32_t numbers[4] = {-5, -5, -5, -5};
            ASSERT_EQ(kam::ParseVersionText(c.text, numbers), c.status);
            if (c.status == 0) {
                for (int i = 0; i < 4; ++i) EXPECT_EQ(numbers[i], c.numbers[i]) << i;
            }
        }
    }
    std::setlocale(LC_ALL, "C");
    std::int32_t numbers[4];
    EXPECT_EQ(kam::ParseVersionText(nullptr, numbers), KAM_E_BAD_VERSION_INFO);
}

#if !defined(_WIN32)
// The reader of the real platform, given a file directly (no module).
int ReadVersion(const std::string& path, std::string* text = nullptr) {
    kam::HookString out;
    int status = kam::platform::Current().ReadProductVersion(nullptr, path.c_str(), out);
    if (text != nullptr) *text = std::string(out.c_str());
    return status;
}

TEST(ElfVersionReader, CorruptHeadersNeverReadOutOfBounds) {
    const auto original = elfpatch::Load(fake::Path("fake_ver_dots"));
    ASSERT_GT(original.size(), 64u);
    const elfpatch::Layout l = elfpatch::LayoutOf(original);
    const std::size_t section = elfpatch::SectionHeaderOf(original, ".kam_version");
    ASSERT_NE(section, 0u);
    const std::uint64_t shoff = elfpatch::Get(original, l.shoff, l.wordSize);
    const std::uint64_t strndx = elfpatch::Get(original, l.shstrndx, 2);
    const std::uint64_t entsize = elfpatch::Get(original, l.shentsize, 2);
    const std::size_t strHeader = static_cast<std::size_t>(shoff + strndx * entsize);
    const std::uint64_t wordMax = l.is64 ? UINT64_MAX : UINT32_MAX;

    std::string text;
    ASSERT_EQ(ReadVersion(fake::Path("fake_ver_dots"), &text), 0);
    EXPECT_EQ(text, "4.0.0.2");

    struct Case {
        const char* what;
        std::size_t at;
        std::size_t bytes;
        std::uint64_t value;
        int expected;
    };
    const Case cases[] = {
        {"e_shoff zero", l.shoff, l.wordSize, 0, KAM_E_NO_VERSION_INFO},
        {"e_shoff at the end", l.shoff, l.wordSize, original.size(), KAM_E_NO_VERSION_INFO},
        {"e_shoff huge", l.shoff, l.wordSize, wordMax - 3, KAM_E_NO_VERSION_INFO},
        {"e_shnum huge", l.shnum, 2, 0xFFFF, KAM_E_NO_VERSION_INFO},
        {"e_shnum zero", l.shnum, 2, 0, KAM_E_NO_VERSION_INFO},
        {"e_shentsize small", l.shentsize, 2, 4, KAM_E_NO_VERSION_INFO},
        {"e_shentsize huge", l.shentsize, 2, 0xFFFF, KAM_E_NO_VERSION_INFO},
        {"e_shstrndx out of range", l.shstrndx, 2, 0xFFFE, KAM_E_NO_VERSION_INFO},
        {"e_shstrndx extended", l.shstrndx, 2, 0xFFFF, KAM_E_NO_VERSION_INFO},
        {"names sh_size huge", strHeader + l.shSize, l.wordSize, wordMax, KAM_E_NO_VERSION_INFO},
        {"names sh_offset huge", strHeader + l.shOffset, l.wordSize, wordMax - 1,
         KAM_E_NO_VERSION_INFO},
        {"sh_name huge", section + l.shName, 4, 0xFFFFFFFF, KAM_E_NO_VERSION_INFO},
        {"sh_size zero", section + l.shSize, l.wordSize, 0, KAM_E_NO_VERSION_INFO},
        {"sh_size huge", section + l.shSize, l.wordSize, wordMax, KAM_E_BAD_VERSION_INFO},
        {"sh_size past the end", section + l.shSize, l.wordSize, original.size(),
         KAM_E_BAD_VERSION_INFO},
        {"sh_offset past the end", section + l.shOffset, l.wordSize, original.size(),
         KAM_E_BAD_VERSION_INFO},
        {"sh_offset huge", section + l.shOffset, l.wordSize, wordMax, KAM_E_BAD_VERSION_INFO},
        {"sh_size one byte short of the NUL", section + l.shSize, l.wordSize, 7,
         KAM_E_BAD_VERSION_INFO},
        {"not ELF", 0, 4, 0x464C457Fu ^ 0xFF, KAM_E_NO_VERSION_INFO},
        {"unknown class", 4, 1, 9, KAM_E_NO_VERSION_INFO},
        {"other byte order", 5, 1, 2, KAM_E_NO_VERSION_INFO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = original;
        elfpatch::Put(bytes, c.at, c.bytes, c.value);
        std::string path = fake::ScratchDir().string() + "/corrupt.so";
        elfpatch::Save(path, bytes);
        EXPECT_EQ(ReadVersion(path), c.expected);
    }

    // Truncated files and files that are not there.
    for (std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{40},
                             static_cast<std::size_t>(shoff + 10)}) {
        SCOPED_TRACE("truncated to " + std::to_string(size));
        std::vector<unsigned char> bytes(original.begin(), original.begin() + static_cast<long>(size));
        std::string path = fake::ScratchDir().string() + "/truncated.so";
        elfpatch::Save(path, bytes);
        EXPECT_EQ(ReadVersion(path), KAM_E_NO_VERSION_INFO);
    }
    EXPECT_EQ(ReadVersion(fake::ScratchDir().string() + "/missing.so"), KAM_E_NO_VERSION_INFO);
    EXPECT_EQ(ReadVersion(fake::ScratchDir().string()), KAM_E_NO_VERSION_INFO);  // a folder
}

#endif  // ELF

// The real platform with the standard module and the version replaceable.
class FakePlatform final : public kam::platform::Platform {
public:
    explicit FakePlatform(kam::platform::Platform& real) : real_(real) {}
    kam::platform::Module LoadModule(const char* fileName) override {
        return real_.LoadModule(fileName);
    }
    kam::platform::Module StandardModule() override { return standard; }
    void* Resolve(kam::platform::Module module, const char* entry) override {
        return real_.Resolve(module, entry);
    }
    int ReadProductVersion(kam::platform::Module module, const char* fileName,
                           kam::HookString& text) override {
        if (versionStatus != 0) return versionStatus;
        return real_.ReadProductVersion(module, fileName, text);
    }

    kam::platform::Module standard = nullptr;
    int versionStatus = 0;

private:
    kam::platform::Platform& real_;
};

// Tears the library down so that the next export initialises again with
// the platform the test installed; restores the real platform afterwards.
class ReinitialiseTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        ASSERT_EQ(kam::Terminate(), 0);
        kam::platform::SetForTesting(&platform_);
    }
    void TearDown() override {
        kam::platform::SetForTesting(nullptr);
        kam::Terminate();
        fake::Reset();
    }
    FakePlatform platform_{kam::platform::Current()};
};

TEST_F(ReinitialiseTest, StandardLibraryMissingOrFailing) {
    struct Case {
        const char* what;
        bool present;
        int entry;
        KAM_Status status;
        int versionStatus;
        KAM_Status reported;
        bool stdSet;
    };
    const Case cases[] = {
        {"absent", false, -1, 0, 0, KAM_E_DLL_NOT_FOUND, false},
        {"working", true, -1, 0, 0, 0, true},
        {"warning from SetEventLogHandler", true, fake::kSetEventLogHandler, 5, 0, 5, false},
        {"error from InitLibrary", true, fake::kInitLibrary, -77, 0, -77, false},
        {"warning from GetLibraryInfo", true, fake::kGetLibraryInfo, 9, 0, 9, false},
        {"no memory for the version", true, -1, 0, KAM_E_NO_MEMORY, KAM_E_NO_MEMORY, false},
        {"no version", true, -1, 0, KAM_E_NO_VERSION_INFO, KAM_E_NO_VERSION_INFO, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(kam::Terminate(), 0);
        fake::Reset();
        if (c.entry >= 0) fake::Config("fake_c").entries[c.entry].status = c.status;
        platform_.standard =
            c.present ? platform_.LoadModule(fake::FreshCopy("fake_c").c_str()) : nullptr;
        platform_.versionStatus = c.versionStatus;
        KAM_EventRecord e;
        KAM_Status first = KAM_GetNextEvent(&e);  // initialises, drains nothing
        if (c.reported == 0) {
            EXPECT_EQ(first, KAM_E_QUEUE_EMPTY);
        } else {
            ASSERT_EQ(first, 0);
            EXPECT_EQ(e.code, c.reported);
        }
        EXPECT_EQ(kam::g_state.initialised, 1);
        EXPECT_EQ(KAM_StdLibraryId() != KAM_NO_LIBRARY, c.stdSet);
        if (c.stdSet) {
            KAM_LibraryId id = 0;
            EXPECT_EQ(KAM_AddLibrary("KAM_Std.dll", &id), KAM_W_ALREADY_LOADED);
            EXPECT_EQ(id, KAM_StdLibraryId());
            EXPECT_EQ(KAM_ExistPattern(id, "C_EARTH"), 0);
        } else if (!c.present) {
            KAM_LibraryId id = 777;
            EXPECT_EQ(KAM_AddLibrary("KAM_Std.dll", &id), KAM_E_DLL_NOT_FOUND);
            EXPECT_EQ(id, KAM_NO_LIBRARY);
        }
    }
}

// The index answers exactly what walking the tree answers, before and after
// termination (a new tree may reuse the old addresses) and when it cannot
// be built.
TEST_F(ReinitialiseTest, IndexAgreesWithTheTree) {
    auto walkAny = [](const char* name, kam::ListNode** library) -> kam::ListNode* {
        for (kam::ListNode* l = kam::g_state.root->firstChild; l != nullptr; l = l->next) {
            for (kam::ListNode* p = l->lastChild; p != nullptr; p = p->prev) {
                if (std::strcmp(p->name, name) == 0) {
                    *library = l;
                    return p;
                }
            }
        }
        *library = nullptr;
        return nullptr;
    };
    const char* names[] = {"X0", "X1", "X2", "X3", "X4", "SOLO", "A_EARTH", "NONE"};
    auto configure = [](int variant) {
        auto& cfg = fake::Config("fake_e");
        cfg.libraryName = "Lib" + std::to_string(variant % 3);
        cfg.patterns.resize(6, cfg.patterns[0]);
        // append, not "X" + std::to_string(): GCC 12 at -O3 warns falsely of an
        // overlapping copy (-Wrestrict) in the inlined operator+ (GCC bug 105329).
        for (int i = 0; i < 6; ++i)
            cfg.patterns[i].name = std::string("X").append(std::to_string((i + variant) % 5));
        if (variant == 2) cfg.patterns[5].name = "SOLO";
    };
    auto check = [&] {
        for (const char* name : names) {
            SCOPED_TRACE(name);
            kam::ListNode* library = nullptr;
            kam::ListNode* pattern = nullptr;
            kam::ListNode* expectedLibrary = nullptr;
            kam::ListNode* expected = walkAny(name, &expectedLibrary);
            EXPECT_EQ(kam::FindPatternInAnyLibrary(name, &library, &pattern),
                      expected != nullptr ? 0 : KAM_E_PATTERN_NOT_FOUND);
            EXPECT_EQ(pattern, expected);
            EXPECT_EQ(library, expectedLibrary);
            for (kam::ListNode* l = kam::g_state.root->firstChild; l != nullptr; l = l->next) {
                kam::ListNode* inLibrary = reinterpret_cast<kam::ListNode*>(1);
                kam::ListNode* first = nullptr;
                for (kam::ListNode* p = l->lastChild; p != nullptr && first == nullptr; p = p->prev) {
                    if (std::strcmp(p->name, name) == 0) first = p;
                }
                EXPECT_EQ(kam::FindPatternInLibrary(l->handle, name, &inLibrary),
                          first != nullptr ? 0 : KAM_E_PATTERN_NOT_FOUND);
                EXPECT_EQ(inLibrary, first);
            }
        }
        for (const char* libraryName : {"Lib0", "Lib1", "Lib2", "Lib3"}) {
            kam::ListNode* newest = nullptr;
            for (kam::ListNode* l = kam::g_state.root->firstChild; l != nullptr && newest == nullptr;
                 l = l->next) {
                if (std::strcmp(l->name, libraryName) == 0) newest = l;
            }
            EXPECT_EQ(kam::FindLibraryByName(libraryName), newest) << libraryName;
        }
    };

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(kam::Terminate(), 0);
        platform_.standard = nullptr;
        ASSERT_EQ(KAM_IfInited(), 1);
        if (round == 1) {
            // Only lookups of names the old tree had: a stale index would
            // hand out freed nodes.
            check();
        }
        for (int variant = 0; variant < 4; ++variant) {
            configure(variant);
            KAM_LibraryId id = 0;
            ASSERT_EQ(KAM_AddLibrary(fake::FreshCopy("fake_e").c_str(), &id), 0);
            check();
        }
        fake::Reset();
        KAM_LibraryId id = 0;
        ASSERT_EQ(KAM_AddLibrary(fake::FreshCopy("fake_a").c_str(), &id), 0);
        check();
    }

    // No memory for the index: the lookups walk the tree instead.
    kam::DropPatternIndex();
    kam::testing::FailAllocation(1, true);
    check();
    kam::testing::FailAllocation(0, false);
    check();
}

TEST_F(ReinitialiseTest, TerminationReleasesTheIndex) {
    ASSERT_EQ(kam::Terminate(), 0);
    const std::int64_t live = kam::testing::LiveAllocations();
    ASSERT_EQ(KAM_IfInited(), 1);
    KAM_LibraryId id = 0;
    ASSERT_EQ(KAM_AddLibrary(fake::FreshCopy("fake_b").c_str(), &id), 0);
    ASSERT_EQ(KAM_ExistPattern(id, "B_EARTH"), 0);
    ASSERT_EQ(kam::Terminate(), 0);
    EXPECT_EQ(kam::testing::LiveAllocations(), live);
}

TEST(LoadUnderAllocationFailures, EndsNormallyOrIn2003OrWithTheDocumentedPartialLibrary) {
    ASSERT_EQ(KAM_IfInited(), 1);
    fake::Reset();
    auto& cfg = fake::Config("fake_f");
    cfg.libraryName = "OomLib";
    cfg.reuseRegistration = true;
    cfg.patterns.resize(3, cfg.patterns[0]);
    cfg.patterns[1].name = "F_SECOND";
    cfg.patterns[2].name = "F_THIRD";
    const std::string path = fake::FreshCopy("fake_f");
    auto isOomLib = [](const kam::ListNode* node) {
        return node != nullptr && std::strcmp(node->name, "OomLib") == 0;
    };

    // Every run starts with an index built for the tree as it is, so that
    // a run that fails before registering changes nothing.
    auto freshIndex = [] {
        kam::DropPatternIndex();
        kam::ListNode* library = nullptr;
        kam::ListNode* pattern = nullptr;
        kam::FindPatternInAnyLibrary("A", &library, &pattern);
    };
    freshIndex();
    kamtest::OomCase c;
    c.operation = [&] {
        KAM_LibraryId id = 0;
        return KAM_AddLibrary(path.c_str(), &id);
    };
    c.reset = [&] {
        kam::ListNode* newest = kam::g_state.root->firstChild;
        if (isOomLib(newest)) {
            kam::Unlink(newest);
            kam::FreeSubtree(newest);
        }
        freshIndex();
    };
    c.acceptPartial = [&](int status) {
        // The library registered with the patterns added before the failure.
        kam::ListNode* newest = kam::g_state.root->firstChild;
        if (status != KAM_E_NO_MEMORY || !isOomLib(newest)) return false;
        int patterns = 0;
        for (kam::ListNode* p = newest->lastChild; p != nullptr; p = p->prev) ++patterns;
        return patterns < 3;
    };
    kamtest::OomSummary summary = kamtest::RunOutOfMemory(c);
    EXPECT_EQ(summary.referenceStatus, 0);
    EXPECT_GT(summary.outOfMemoryRuns, 0);
    fake::Reset();
}

}  // namespace

// ResolvePattern remembers recent answers. Whatever it remembered, a library
// registered later must hide it, a termination must forget it (the new tree
// may reuse the old addresses and names), and the context it sets must be
// the one a lookup sets: the name zero padded, the library found.
TEST_F(ReinitialiseTest, ResolutionCacheFollowsRegistrationAndTermination) {
    auto newestNamed = [](const char* name, kam::ListNode** library) -> kam::ListNode* {
        for (kam::ListNode* l = kam::g_state.root->firstChild; l != nullptr; l = l->next) {
            for (kam::ListNode* p = l->lastChild; p != nullptr; p = p->prev) {
                if (std::strcmp(p->name, name) == 0) {
                    *library = l;
                    return p;
                }
            }
        }
        *library = nullptr;
        return nullptr;
    };
    // Resolves twice (the second answer may come from the cache) and checks
    // both answers and the context against a walk of the tree.
    auto expectResolves = [&](KAM_LibraryId id, const char* name) {
        SCOPED_TRACE(name);
        kam::ListNode* library = nullptr;
        kam::ListNode* expected = newestNamed(name, &library);
        if (id != KAM_ALL_LIBRARIES) {
            library = kam::LibraryNode(id);
            expected = nullptr;
            for (kam::ListNode* p = library->lastChild; p != nullptr && expected == nullptr;
                 p = p->prev) {
                if (std::strcmp(p->name, name) == 0) expected = p;
            }
        }
        ASSERT_NE(expected, nullptr);
        char padded[13] = {};
        std::memcpy(padded, name, std::strlen(name));
        for (int attempt = 0; attempt < 2; ++attempt) {
            std::memset(kam::g_state.currentPatternName, 'x', 13);
            kam::g_state.currentLibrary = 99;
            kam::ListNode* found = nullptr;
            ASSERT_EQ(kam::ResolvePattern(id, name, &found), 0);
            EXPECT_EQ(found, expected);
            EXPECT_EQ(kam::g_state.currentLibrary, library->handle);
            EXPECT_EQ(std::memcmp(kam::g_state.currentPatternName, padded, 13), 0);
        }
    };
    auto load = [](const char* module, const std::vector<std::string>& names) {
        fake::Reset();
        auto& cfg = fake::Config(module);
        cfg.patterns.resize(names.size(), cfg.patterns[0]);
        for (std::size_t i = 0; i < names.size(); ++i) cfg.patterns[i].name = names[i];
        KAM_LibraryId id = 0;
        EXPECT_EQ(KAM_AddLibrary(fake::FreshCopy(module).c_str(), &id), 0);
        return id;
    };

    platform_.standard = nullptr;
    ASSERT_EQ(KAM_IfInited(), 1);
    // Names of every length class the cache compares: 1..3, 4..7, 8..12.
    const KAM_LibraryId first = load("fake_a", {"P", "ABCDE", "TWELVE_CHARS", "P"});
    expectResolves(KAM_ALL_LIBRARIES, "P");
    expectResolves(KAM_ALL_LIBRARIES, "TWELVE_CHARS");
    expectResolves(first, "P");
    expectResolves(KAM_ALL_LIBRARIES, "ABCDE");
    kam::ListNode* unused = nullptr;
    EXPECT_EQ(kam::ResolvePattern(KAM_ALL_LIBRARIES, "TWELVE_CHARZ", &unused),
              KAM_E_PATTERN_NOT_FOUND);
    EXPECT_EQ(kam::ResolvePattern(KAM_ALL_LIBRARIES, "ABCD", &unused), KAM_E_PATTERN_NOT_FOUND);

    // A newer library with the same names hides the remembered answers for
    // "all libraries", not for the older library asked by its id.
    const KAM_LibraryId second = load("fake_b", {"TWELVE_CHARS", "ABCDE", "P"});
    for (const char* name : {"P", "ABCDE", "TWELVE_CHARS"}) {
        expectResolves(KAM_ALL_LIBRARIES, name);
        expectResolves(first, name);
        expectResolves(second, name);
    }
    kam::ListNode* found = nullptr;
    ASSERT_EQ(kam::ResolvePattern(KAM_ALL_LIBRARIES, "P", &found), 0);
    EXPECT_EQ(found->parent, kam::LibraryNode(second));

    // After termination the same names resolve in the new tree only, and
    // the old ids name nothing.
    ASSERT_EQ(kam::Terminate(), 0);
    ASSERT_EQ(KAM_IfInited(), 1);
    load("fake_c", {"ABCDE", "P"});
    expectResolves(KAM_ALL_LIBRARIES, "P");
    expectResolves(KAM_ALL_LIBRARIES, "ABCDE");
    EXPECT_EQ(kam::ResolvePattern(KAM_ALL_LIBRARIES, "TWELVE_CHARS", &unused),
              KAM_E_PATTERN_NOT_FOUND);
    EXPECT_EQ(kam::ResolvePattern(first, "P", &unused), KAM_E_UNKNOWN_LIBRARY);
    EXPECT_EQ(kam::ResolvePattern(second, "P", &unused), KAM_E_UNKNOWN_LIBRARY);
}
