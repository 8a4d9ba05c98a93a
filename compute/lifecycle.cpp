// The compute layer's part in termination: every antenna is deleted (its
// specific copy released) before core frees the tree.
#include "compute/antennas.h"
#include "core/lifecycle.h"
#include "core/state.h"
#include "kam/kam.h"

namespace kam {
namespace {

bool IsKind(const ListNode* node, NodeKind kind) noexcept {
    return node->kind == static_cast<std::uint32_t>(kind);
}

// Deletes every antenna: libraries, patterns and antennas oldest first.
// 0, -2004 for a node of an unexpected kind, or DeleteAntennaNode's failure.
int DeleteEveryAntenna() noexcept {
    if (g_state.root == nullptr) return 0;
    for (ListNode* library = g_state.root->lastChild; library != nullptr;
         library = library->prev) {
        if (!IsKind(library, NodeKind::Package)) return KAM_E_UNKNOWN_LIBRARY;
        for (ListNode* pattern = library->lastChild; pattern != nullptr; pattern = pattern->prev) {
            if (!IsKind(pattern, NodeKind::Pattern)) return KAM_E_UNKNOWN_LIBRARY;
            for (ListNode* antenna = pattern->lastChild; antenna != nullptr;) {
                ListNode* newer = antenna->prev;
                if (!IsKind(antenna, NodeKind::EarthAntenna) &&
                    !IsKind(antenna, NodeKind::SpaceAntenna)) {
                    return KAM_E_UNKNOWN_LIBRARY;
                }
                if (const int status = DeleteAntennaNode(antenna); status != 0) return status;
                antenna = newer;
            }
        }
    }
    return 0;
}

[[maybe_unused]] const bool kRegistered = RegisterLifecycleHook(Layer::Compute, {.release = &DeleteEveryAntenna});

}  // namespace
}  // namespace kam
