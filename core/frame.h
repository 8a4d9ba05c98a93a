// The entry frame shared by every export: exception barrier, call nesting
// (so antennas deleted from inside a call are released when the outermost
// call returns), lazy initialisation, DrainEvents, and argument checks.
#pragma once

#include <cstdint>
#include <new>

#include "core/list.h"
#include "core/status.h"

namespace kam {

// RAII nesting counter of exported calls. When the outermost scope ends,
// nodes parked with DeferRelease are released.
class CallScope {
public:
    CallScope() noexcept;
    ~CallScope();
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
std::int32_t EnterFrame() noexcept;

// Argument checks. A pattern name is good with 1..12 characters, a library
// name with 1..63; at most 13 / 64 bytes are read.
bool IsGoodPatternName(const char* name) noexcept;
bool IsGoodLibraryName(const char* name) noexcept;

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
