// A caller program for the tests that replace the standard library: run from
// a scratch folder holding copies of itself and of libkam.so beside a fake
// named libKAM_Std.so, it configures that fake, makes the host initialise, and
// prints what the initialisation left behind, one "key value" per line.
//
//   libraries_substitute_host <module id> <case>
//   case: plain | set=<status> | init=<status> | info=<status> | nullgain
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kam/kam.h"
#include "plugins/fake_control.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string module = argv[1];
    const std::string what = argv[2];
    // The host's load notification already ran the fake's LIP_InitLibrary.
    const std::size_t initAtLoad = fake::CallsOf(module, "LIP_InitLibrary").size();
    fake::ModuleConfig& cfg = fake::Config(module);
    cfg.libraryName = "Substitute";
    const auto eq = what.find('=');
    if (eq != std::string::npos) {
        const int status = std::atoi(what.c_str() + eq + 1);
        const std::string entry = what.substr(0, eq);
        if (entry == "set") cfg.entries[fake::kSetEventLogHandler].status = status;
        if (entry == "init") cfg.entries[fake::kInitLibrary].status = status;
        if (entry == "info") cfg.entries[fake::kGetLibraryInfo].status = status;
    } else if (what == "nullgain") {
        cfg.patterns[1].slots[fake::kGain].present = false;
    }

    // KAM_GetNextEvent initialises without draining: the first event is the
    // one the standard library's load reported.
    KAM_EventRecord event;
    KAM_Status first = KAM_GetNextEvent(&event);
    std::printf("init_at_load %zu\n", initAtLoad);
    std::printf("first_event %d\n", first == 0 ? event.code : first);
    std::printf("std %d\n", KAM_StdLibraryId() != KAM_NO_LIBRARY ? 1 : 0);
    int32_t count = -1;
    KAM_GetLibraryCount(&count);
    std::printf("libraries %d\n", count);
    KAM_LibraryId byName = 0;
    KAM_GetLibraryIdByName("Substitute", &byName);
    int32_t patterns = -1;
    if (byName != KAM_NO_LIBRARY) KAM_GetPatternCount(byName, 3, &patterns);
    std::printf("patterns %d\n", patterns);
    KAM_LibraryId again = 0;
    std::printf("add_std %d\n", KAM_AddLibrary("KAM_Std.dll", &again));
    return 0;
}
