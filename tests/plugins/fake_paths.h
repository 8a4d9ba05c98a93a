// File paths of the fake pattern libraries built for the tests (see
// tests/plugins/CMakeLists.txt), and a helper that gives a fresh copy of a
// module: a new file is a new module identity, so a test that needs a module
// never registered before copies one.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#ifndef KAM_TEST_BIN_DIR
#error "KAM_TEST_BIN_DIR must name the folder of the built binaries"
#endif

namespace fake {

// lib<stem>.so (or <stem>.dll) in the build's binary folder, e.g.
// Path("fake_a"), Path("fake_no_init"), Path("fake_ver_dots").
inline std::string Path(const std::string& stem) {
#if defined(_WIN32)
    return std::string(KAM_TEST_BIN_DIR) + "/" + stem + ".dll";
#else
    return std::string(KAM_TEST_BIN_DIR) + "/lib" + stem + ".so";
#endif
}

// The version-stamp cases of the restamped copies of fake_ver, by file stem.
inline constexpr const char* kVersionCases[] = {
    "fake_ver_dots",      // "4.0.0.2"
    "fake_ver_commas_blank",  // "1, 2, 3, 4"
    "fake_ver_commas",    // "1,2,3,4"
    "fake_ver_three",     // "1.2.3"
    "fake_ver_blank_dot", // "1 .2.3.4"
    "fake_ver_empty",     // a section of no bytes
    "fake_ver_none",      // no section
    "fake_ver_nonul",     // "5.6.7.8" without a NUL
    "fake_ver_trailing",  // "5.6.7.8 beta 2"
    "fake_ver_signs",     // " +1,\t-2,  3,4x"
    "fake_ver_huge_commas",  // "99999999999, -99999999999, 3, -2147483649"
    "fake_ver_huge_dots", // "2147483648.-2147483649.0.2147483647"
    "fake_ver_words",     // "one.two.three.four"
};

// A scratch folder of this process, created on first use and removed at
// exit (where loaded modules keep their files, as on Windows, what cannot be
// removed stays behind).
struct ScratchFolder {
    std::filesystem::path path;
    ScratchFolder() {
        std::random_device random;
        path = std::filesystem::temp_directory_path() /
               ("kam_fakes_" + std::to_string(random()) + "_" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

inline std::filesystem::path ScratchDir() {
    static const ScratchFolder folder;
    return folder.path;
}

// Copies lib<stem>.so to a new file in the scratch folder and returns its
// path: a module the host has never seen, with stem's configuration.
inline std::string FreshCopy(const std::string& stem) {
    static std::atomic<int> serial{0};
    std::filesystem::path to =
        ScratchDir() / (stem + "_copy" + std::to_string(++serial) +
                        std::filesystem::path(Path(stem)).extension().string());
    std::filesystem::copy_file(Path(stem), to,
                               std::filesystem::copy_options::overwrite_existing);
    return to.string();
}

}  // namespace fake
