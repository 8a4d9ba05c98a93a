// Fuzz target: the version reader on arbitrary file contents. Each input is
// written to a temporary file and added with KAM_AddLibrary as the file of a
// pattern library; the in-process platform stands in for the loader (no
// fuzz input is ever mapped or run) and hands the file to the platform's
// real version reader (the ELF reader here). Whatever the bytes, the result
// is a status: 0 with the library registered, or -3050, -3051, -2003 with
// nothing registered.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/in_process_platform.h"
#include "kam/kam.h"
#include "kam/kam_plugin.h"

namespace {

std::string g_dir, g_path;  // the temporary folder and file
fuzz::InProcessPlatform* g_platform = nullptr;

KAM_Status KAM_CALL SetEventLogHandler(KAM_EventSink) { return 0; }
KAM_Status KAM_CALL InitLibrary() { return 0; }
KAM_Status KAM_CALL Gain(double*, double*, double*, double*, void*, double*, double*, double* g,
                         double* gx) {
    *g = 1.0;
    *gx = 2.0;
    return 0;
}
// One earth pattern; the version is all that varies.
KAM_Status KAM_CALL GetLibraryInfo(KAM_LibraryInfo* info) {
    static KAM_PatternInfo pattern = [] {
        KAM_PatternInfo p = {};
        std::snprintf(p.name, sizeof p.name, "VERSIONED");
        p.type = KAM_PATTERN_EARTH;
        p.gain.earth = &Gain;
        for (std::int32_t& code : p.paramProperties) code = KAM_PROPERTY_OPTIONAL;
        return p;
    }();
    static double noValue;
    static void* noValueStruct;
    static std::int32_t gainValid;
    std::snprintf(info->name, sizeof info->name, "Versioned");
    info->patternCount = 1;
    info->patterns = &pattern;
    info->noValueDoubleTarget = &noValue;
    info->noValueStructTarget = &noValueStruct;
    info->gainValidTarget = &gainValid;
    return 0;
}

// The real platform's reader, on the temporary file.
int ReadFromFile(const char*, kam::HookString& text) {
    return g_platform->real().ReadProductVersion(nullptr, g_path.c_str(), text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // In memory where there is such a folder: the file is rewritten per input.
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/kam_fuzz_version_XXXXXX";
    std::vector<char> dir(pattern.begin(), pattern.end());
    dir.push_back('\0');
    if (mkdtemp(dir.data()) == nullptr) std::abort();
    g_dir = dir.data();
    g_path = g_dir + "/libcandidate.so";
    std::atexit([] {
        std::remove(g_path.c_str());
        rmdir(g_dir.c_str());
    });
    static fuzz::InProcessPlatform platform;
    g_platform = &platform;
    platform.entryPoints = {&SetEventLogHandler, &InitLibrary, &GetLibraryInfo};
    platform.version = &ReadFromFile;
    return 0;
}

static bool g_registered = false;  // the last input registered its library

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Only a registration changes the state; it is undone before the next
    // input (re-initialising costs more than reading most files).
    if (g_registered) fuzz::ResetLibrary();
    g_registered = false;
    std::FILE* f = std::fopen(g_path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    KAM_LibraryId id = 0;
    const std::int32_t status = KAM_AddLibrary(fuzz::InProcessPlatform::kFileName, &id);
    FUZZ_CHECK(status == 0 || status == KAM_E_NO_VERSION_INFO || status == KAM_E_BAD_VERSION_INFO ||
                   status == KAM_E_NO_MEMORY,
               status);
    std::int32_t libraries = 0;
    FUZZ_CHECK(KAM_GetLibraryCount(&libraries) == 0);
    if (status == 0) {
        g_registered = true;
        FUZZ_CHECK(id != KAM_NO_LIBRARY && libraries == 2, libraries);
        KAM_LibraryProperties p;
        FUZZ_CHECK(KAM_GetLibraryProperties(id, &p) == 0);
        FUZZ_CHECK(p.patternCount == 1, p.patternCount);
    } else {
        FUZZ_CHECK(id == KAM_NO_LIBRARY && libraries == 1, libraries);
    }
    fuzz::TakeEvents();
    return 0;
}
