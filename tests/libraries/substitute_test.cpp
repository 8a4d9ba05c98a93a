// The standard library present but failing, for real: a scratch folder holds
// copies of libkam.so and of a caller program beside a fake pattern library
// named libKAM_Std.so, which the host loads as its standard library.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "kam/kam.h"
#include "plugins/fake_paths.h"

namespace {

#if !defined(_WIN32)

namespace fs = std::filesystem;

std::map<std::string, long> RunWithSubstitute(const std::string& stem, const std::string& module,
                                              const std::string& what) {
    static int serial = 0;
    fs::path dir = fake::ScratchDir() / ("substitute" + std::to_string(++serial));
    fs::create_directories(dir);
    fs::copy_file(std::string(KAM_TEST_BIN_DIR) + "/libkam.so", dir / "libkam.so");
    fs::copy_file(fake::Path(stem), dir / "libKAM_Std.so");
    fs::copy_file(KAM_SUBSTITUTE_HOST, dir / "host");
    std::map<std::string, long> out;
    const std::string emulator = KAM_TEST_EMULATOR;
    std::string command = (emulator.empty() ? "" : emulator + " ") + (dir / "host").string() +
                          " " + module + " " + what;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char key[64];
    long value = 0;
    while (std::fscanf(pipe, "%63s %ld", key, &value) == 2) out[key] = value;
    out["exit"] = pclose(pipe);
    return out;
}

TEST(SubstituteStandardLibrary, InitialisationWithAFailingOrMissingStandardLibrary) {
    struct Case {
        const char* stem;
        const char* module;
        const char* what;
        long firstEvent;  // the load's status as reported, -2007 for none
        long std;         // StdLibraryId set
        long libraries;
        long patterns;    // of the library named "Substitute", -1 when none
        long addStd;      // KAM_AddLibrary("KAM_Std.dll") afterwards
    };
    const Case cases[] = {
        {"fake_a", "fake_a", "plain", KAM_E_QUEUE_EMPTY, 1, 1, 2, KAM_W_ALREADY_LOADED},
        {"fake_a", "fake_a", "set=5", 5, 0, 0, -1, 5},
        {"fake_a", "fake_a", "init=-77", -77, 0, 0, -1, -77},
        {"fake_a", "fake_a", "info=-99", -99, 0, 0, -1, -99},
        // Registered with its first pattern, yet no standard library id.
        {"fake_a", "fake_a", "nullgain", KAM_E_NULL_GAIN, 0, 1, 1, KAM_W_ALREADY_LOADED},
        {"fake_ver_none", "fake_ver", "plain", KAM_E_NO_VERSION_INFO, 0, 0, -1,
         KAM_E_NO_VERSION_INFO},
        {"fake_no_init", "fake_no_init", "plain", KAM_E_NO_INIT_LIBRARY, 0, 0, -1,
         KAM_E_NO_INIT_LIBRARY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stem) + " " + c.what);
        auto out = RunWithSubstitute(c.stem, c.module, c.what);
        ASSERT_EQ(out["exit"], 0);
        if (std::string(c.stem) != "fake_no_init") {
            EXPECT_GE(out["init_at_load"], 1);  // the load notification
        }
        EXPECT_EQ(out["first_event"], c.firstEvent);
        EXPECT_EQ(out["std"], c.std);
        EXPECT_EQ(out["libraries"], c.libraries);
        EXPECT_EQ(out["patterns"], c.patterns);
        EXPECT_EQ(out["add_std"], c.addStd);
    }
}

#endif

}  // namespace
