// Loading pattern libraries through the Windows platform: version resources
// (ProductVersion under 040904b0 only), file names with either slash, and
// files that are no loadable DLL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "libraries/libraries_fixture.h"

namespace {

using libtest::LibrariesTest;

std::string WithSeparator(std::string path, char separator) {
    std::replace(path.begin(), path.end(), separator == '/' ? '\\' : '/', separator);
    return path;
}

// Each case is a copy of fake_ver linked with its own version resource (see
// tests/plugins/CMakeLists.txt); a fresh copy is a module never seen before.
TEST_F(LibrariesTest, VersionResources) {
    struct Case {
        const char* stem;
        KAM_Status expected;
        std::int32_t version[3];  // ProductVersion numbers 1, 2 and 4
    };
    const Case cases[] = {
        {"fake_ver_dots", 0, {4, 0, 2}},           // "4.0.0.2"
        {"fake_ver_commas_blank", 0, {1, 2, 4}},   // "1, 2, 3, 4"
        {"fake_ver_three", KAM_E_BAD_VERSION_INFO, {}},  // three numbers
        {"fake_ver_empty", KAM_E_BAD_VERSION_INFO, {}},  // ProductVersion ""
        {"fake_ver_none", KAM_E_NO_VERSION_INFO, {}},    // no resource
        {"fake_ver_lang", KAM_E_BAD_VERSION_INFO, {}},   // only under 040704b0
        {"fake_ver_nostrings", KAM_E_BAD_VERSION_INFO, {}},  // no StringFileInfo
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stem);
        const int32_t before = LibraryCount();
        KAM_LibraryId id = 777;
        EXPECT_EQ(KAM_AddLibrary(fake::FreshCopy(c.stem).c_str(), &id), c.expected);
        if (c.expected != 0) {
            EXPECT_EQ(id, KAM_NO_LIBRARY);
            EXPECT_EQ(LibraryCount(), before);
            continue;
        }
        ASSERT_NE(id, KAM_NO_LIBRARY);
        KAM_LibraryProperties properties;
        ASSERT_EQ(KAM_GetLibraryProperties(id, &properties), 0);
        EXPECT_EQ(properties.version[0], c.version[0]);
        EXPECT_EQ(properties.version[1], c.version[1]);
        EXPECT_EQ(properties.version[2], c.version[2]);
    }
}

// One file named with forward slashes, backslashes or both is one module.
TEST_F(LibrariesTest, EitherSlashNamesTheSameModule) {
    const std::string path = fake::FreshCopy("fake_a");
    KAM_LibraryId first = KAM_NO_LIBRARY;
    ASSERT_EQ(KAM_AddLibrary(WithSeparator(path, '/').c_str(), &first), 0);
    ASSERT_NE(first, KAM_NO_LIBRARY);

    std::string mixed = WithSeparator(path, '\\');
    mixed[mixed.rfind('\\')] = '/';
    for (const std::string& name : {WithSeparator(path, '\\'), mixed}) {
        SCOPED_TRACE(name);
        KAM_LibraryId again = KAM_NO_LIBRARY;
        EXPECT_EQ(KAM_AddLibrary(name.c_str(), &again), KAM_W_ALREADY_LOADED);
        EXPECT_EQ(again, first);
    }
}

TEST_F(LibrariesTest, FilesThatAreNoDllGive2002) {
    const std::filesystem::path dir = fake::ScratchDir();
    const std::filesystem::path text = dir / "not_an_image.dll";
    std::ofstream(text, std::ios::binary) << "not a portable executable\n";
    const std::filesystem::path truncated = dir / "truncated_image.dll";
    std::ofstream(truncated, std::ios::binary) << "MZ";

    for (const std::string& name :
         {(dir / "no_such_library.dll").string(), dir.string(), text.string(),
          truncated.string(), WithSeparator((dir / "no_such_library.dll").string(), '/')}) {
        SCOPED_TRACE(name);
        const int32_t before = LibraryCount();
        KAM_LibraryId id = 777;
        EXPECT_EQ(KAM_AddLibrary(name.c_str(), &id), KAM_E_DLL_NOT_FOUND);
        EXPECT_EQ(id, KAM_NO_LIBRARY);
        EXPECT_EQ(LibraryCount(), before);
    }
}

}  // namespace
