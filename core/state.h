// The library's global state: switches, sentinels, roots, context globals,
// and the initialisation and termination that build and tear down the tree.
#pragma once

#include <cfloat>
#include <cstdint>
#include <cstring>

#include "core/list.h"
#include "kam/kam.h"

namespace kam {

constexpr double kNoValueDouble = DBL_MAX;
inline void* NoValueStruct() noexcept { return KAM_NOVALUE_STRUCT; }
inline bool IsNoValueStruct(const void* p) noexcept { return p == KAM_NOVALUE_STRUCT; }

constexpr const char* kStdLibraryFile = "KAM_Std.dll";
constexpr int kPatternNameSize = 13;  // 12 characters and a NUL
constexpr int kLibraryNameSize = 64;  // 63 characters and a NUL

struct GlobalState {
    int initialised = 0;
    int inputParamValid = 1;
    int gainValid = 1;
    int contourValid = 1;
    int eventLog = 1;
    KAM_EventHandler eventHandler = nullptr;
    KAM_LibraryId stdLibraryId = 0;
    ListNode* root = nullptr;        // "TOP"
    ListNode* eventQueue = nullptr;  // "EVENT LOG"
    // Context stamped into every event: the raw id of the library whose work
    // is under way (resolved when an event is stamped) and the pattern name.
    KAM_LibraryId currentLibrary = 0;
    char currentPatternName[kPatternNameSize] = {};
    std::uint32_t elementCounter = 0;  // never reset
};

extern GlobalState g_state;

// Copies at most 12 characters of name (nullptr gives ""); the rest of the
// field is zero.
void SetCurrentPatternName(const char* name) noexcept;
// The same for a name already held zero padded in at least 13 bytes (a
// node's name field): a fixed-size copy, cut to 12 characters.
inline void SetCurrentPatternNamePadded(const char* padded) noexcept {
    std::memcpy(g_state.currentPatternName, padded, sizeof g_state.currentPatternName);
    g_state.currentPatternName[kPatternNameSize - 1] = '\0';
}
inline void SetCurrentLibrary(KAM_LibraryId id) noexcept { g_state.currentLibrary = id; }
inline void ClearContext() noexcept {
    g_state.currentLibrary = KAM_NO_LIBRARY;
    std::memset(g_state.currentPatternName, 0, sizeof g_state.currentPatternName);
}

// Creates the two roots, marks the library initialised and runs the
// initialise hooks (core/lifecycle.h), which load the standard library;
// reports their status. 0, -2003 or the load status.
int Initialise() noexcept;
// Runs the release hooks (which delete every antenna) and frees the tree;
// resets StdLibraryId and the context. 0 or the first failure (reported as
// termination reports it).
int Terminate() noexcept;

}  // namespace kam
