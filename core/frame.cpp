// The entry frame of the exports: call nesting with deferred release of
// nodes deleted during a call, lazy initialisation, and the name checks.
#include "core/frame.h"

#include <cstring>

#include "core/alloc.h"
#include "core/handles.h"
#include "core/state.h"

namespace kam {
namespace frame_detail {

// Plain data: the nesting depth and the parked nodes, chained through their
// (unused once unlinked) next field.
int g_depth = 0;
ListNode* g_parked = nullptr;

void ReleaseParked() noexcept {
    while (g_parked != nullptr) {
        ListNode* node = g_parked;
        g_parked = node->next;
        node->next = nullptr;
        void* extra = node->deferredBlock;
        node->deferredBlock = nullptr;
        FreeNode(node);
        Release(extra);
    }
}

}  // namespace frame_detail

using frame_detail::g_depth;
using frame_detail::g_parked;

bool InsideCall() noexcept { return g_depth > 0; }

void DeferRelease(ListNode* node) noexcept { DeferRelease(node, nullptr); }

// The node must be unlinked and childless; it keeps its memory (so pointers
// into its payload held by the call under way stay valid) but its handle is
// dead at once.
void DeferRelease(ListNode* node, void* extraBlock) noexcept {
    if (node == nullptr) {
        Release(extraBlock);
        return;
    }
    RetireHandle(node);
    if (g_depth == 0) {
        FreeNode(node);
        Release(extraBlock);
        return;
    }
    node->deferredBlock = extraBlock;
    node->next = g_parked;
    g_parked = node;
}

// Lazy initialisation, then DrainEvents. When the roots cannot be created
// the EventHandler alone receives -2003 (there is no queue to log to), nothing
// is changed, and the export returns -2003; the next call tries again.
std::int32_t frame_detail::EnterFrameSlow() noexcept {
    if (g_state.initialised == 0) {
        Initialise();
        if (g_state.initialised == 0) {
            if (g_state.eventHandler != nullptr) g_state.eventHandler(KAM_E_NO_MEMORY);
            return KAM_E_NO_MEMORY;
        }
    }
    DrainEvents();
    return 0;
}

bool IsGoodLibraryName(const char* name) noexcept {
    if (name == nullptr) return false;
    std::size_t length = strnlen(name, kLibraryNameSize);
    return length >= 1 && length < static_cast<std::size_t>(kLibraryNameSize);
}

}  // namespace kam
