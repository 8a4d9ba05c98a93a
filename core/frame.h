// The entry frame shared by every export: exception barrier, call nesting
// (so antennas deleted from inside a call are released when the outermost
// call returns), lazy initialisation, DrainEvents, and argument checks.
#pragma once

#include <cstdint>
#include <new>

#include <cstring>

#include "core/list.h"
#include "core/state.h"
#include "core/status.h"

namespace kam {

namespace frame_detail {
// The nesting depth and the parked nodes (chained through their next field).
extern int g_depth;
extern ListNode* g_parked;
// Releases every parked node.
void ReleaseParked() noexcept;
// The full entry steps: lazy Initialise, then DrainEvents.
std::int32_t EnterFrameSlow() noexcept;
}  // namespace frame_detail

// RAII nesting counter of exported calls. When the outermost scope ends,
// nodes parked with DeferRelease are released.
class CallScope {
public:
    CallScope() noexcept { ++frame_detail::g_depth; }
    ~CallScope() {
        if (--frame_detail::g_depth == 0 && frame_detail::g_parked != nullptr) {
            frame_detail::ReleaseParked();
        }
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
};

// True while an exported call is under way.
bool InsideCall() noexcept;
// Parks an unlinked node until the outermost call returns; releases it at
// once when no call is under way. The node's handle is retired at once.
void DeferRelease(ListNode* node) noexcept;
// The same, releasing extraBlock (a block from Allocate, for instance an
// antenna's copy of its specific structure, or nullptr) together with it.
void DeferRelease(ListNode* node, void* extraBlock) noexcept;

// Steps 1 and 2 of the full frame: lazy Initialise, then DrainEvents.
// Returns 0, or -2003 (already handed to the EventHandler) when the roots
// could not be created; the export then returns that status at once.
// The common case (initialised, and the log off or its queue empty) is
// decided here without a call: DrainEvents would only clear the context.
inline std::int32_t EnterFrame() noexcept {
    if (g_state.initialised != 0) {
        if (g_state.eventLog == 0) return 0;
        const ListNode* queue = g_state.eventQueue;
        if (queue != nullptr && queue->lastChild == nullptr) {
            ClearContext();
            return 0;
        }
    }
    return frame_detail::EnterFrameSlow();
}

// DrainEvents for the exports that never initialise (already initialised
// when they call it), with the same shortcut for an empty queue.
inline void DrainAtEntry() noexcept {
    if (g_state.eventLog == 0) return;
    const ListNode* queue = g_state.eventQueue;
    if (queue != nullptr && queue->lastChild == nullptr) {
        ClearContext();
        return;
    }
    DrainEvents();
}

// Argument checks. A pattern name is good with 1..12 characters, a library
// name with 1..63; at most 13 / 64 bytes are read.
// strnlen(name, 13), 0 for nullptr: what the lookups take as the length.
inline std::size_t PatternNameLength(const char* name) noexcept {
    return name != nullptr ? strnlen(name, kPatternNameSize) : 0;
}
inline bool IsGoodPatternLength(std::size_t length) noexcept {
    return length >= 1 && length < static_cast<std::size_t>(kPatternNameSize);
}
inline bool IsGoodPatternName(const char* name) noexcept {
    return IsGoodPatternLength(PatternNameLength(name));
}
bool IsGoodLibraryName(const char* name) noexcept;

// The frame of the exports that never initialise (validation, contours):
// -2001, unreported, before the first initialising call; else DrainEvents
// and 0.
inline std::int32_t EnterFrameInitialised() noexcept {
    if (g_state.initialised != 1) return KAM_E_NOT_INITIALISED;
    DrainAtEntry();
    return 0;
}

// The first checks of every export that names a pattern: LibraryId (-1),
// the name (-2, its length into *nameLength), Specific at its position.
// 0, or the failure (already reported).
inline std::int32_t CheckPatternArguments(KAM_LibraryId libraryId, const char* name,
                                          const void* specific, std::int32_t specificPosition,
                                          std::size_t* nameLength) noexcept {
    if (libraryId == KAM_NO_LIBRARY) return ReportStatus(-1);
    *nameLength = PatternNameLength(name);
    if (!IsGoodPatternLength(*nameLength)) return ReportStatus(-2);
    if (specific == nullptr) return ReportStatus(-specificPosition);
    return 0;
}

// The last step of an export: a non-zero status is reported (ReportStatus
// does nothing for 0, so the call is skipped then).
inline std::int32_t Finish(std::int32_t status) noexcept {
    return status != 0 ? ReportStatus(status) : 0;
}

// Runs an export body; any escaping exception becomes a status (bad_alloc:
// -2003, anything else: -4101), reported, never thrown across the ABI.
template <class F>
std::int32_t RunExport(F&& body) noexcept {
    CallScope scope;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ReportStatus(KAM_E_NO_MEMORY);
    } catch (...) {
        return ReportStatus(KAM_E_INTERNAL);
    }
}

}  // namespace kam
