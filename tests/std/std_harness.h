// Test harness for the standard pattern library: reaches a pattern's slots
// through the library's own LIP_GetLibraryInfo (as a host does), captures the
// events it queues, and sets the values a host writes into it.
#pragma once

#include <cfloat>
#include <cstring>
#include <string>
#include <vector>

#include "kam/kam_plugin.h"

namespace stdtest {

struct CapturedEvent {
    int code;
    std::string text;
};

inline std::vector<CapturedEvent>& Events() {
    static std::vector<CapturedEvent> events;
    return events;
}

inline void KAM_CALL CaptureSink(KAM_EventRecord* record) {
    Events().push_back({record->code, std::string(record->text)});
}

// The library record as the library hands it over, with the host's values
// written into it (NoValue sentinels, GainValid) and a capturing sink.
inline const KAM_LibraryInfo& Library(int gainValid = 1) {
    static KAM_LibraryInfo info;
    static bool loaded = false;
    if (!loaded) {
        std::memset(&info, 0, sizeof info);
        LIP_SetEventLogHandler(&CaptureSink);
        LIP_InitLibrary();
        LIP_GetLibraryInfo(&info);
        *info.noValueDoubleTarget = DBL_MAX;
        *info.noValueStructTarget = KAM_NOVALUE_STRUCT;
        loaded = true;
    }
    *info.gainValidTarget = gainValid;
    Events().clear();
    return info;
}

// The pattern record of a name, or nullptr.
inline const KAM_PatternInfo* Pattern(const char* name) {
    const KAM_LibraryInfo& lib = Library();
    for (int i = 0; i < lib.patternCount; ++i)
        if (std::strcmp(lib.patterns[i].name, name) == 0) return &lib.patterns[i];
    return nullptr;
}

constexpr double kNoValue = DBL_MAX;

}  // namespace stdtest
