// Handles handed to callers (LibraryId, AntennaId) are serial numbers, never
// addresses: a number resolves to its live node through a hash map, so a
// forged, stale or never-issued number finds nothing and is never
// dereferenced. The counter skips 0 and -1 and, where handles are 32 bits,
// wraps and skips numbers still in use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/list.h"

namespace kam {

// Gives the node a fresh number and records it. 0, or -2003.
int IssueHandle(ListNode* node) noexcept;
// Forgets the node's number (the handle is dead from then on); idempotent.
void RetireHandle(ListNode* node) noexcept;
namespace handles_detail {
// The number resolved last and its node (number 0 while none): forgotten
// when that number is retired, so it always names a live entry of the map.
extern std::intptr_t g_lastHandle;
extern ListNode* g_lastNode;
// The map lookup; remembers what it found.
ListNode* Lookup(std::intptr_t handle) noexcept;
}  // namespace handles_detail

// The live node that carries this number, or nullptr.
inline ListNode* NodeFromHandle(std::intptr_t handle) noexcept {
    if (handle != 0 && handle == handles_detail::g_lastHandle) return handles_detail::g_lastNode;
    return handles_detail::Lookup(handle);
}
// Resolves only when the node is of the given kind.
inline ListNode* NodeOfKind(std::intptr_t handle, NodeKind kind) noexcept {
    ListNode* node = NodeFromHandle(handle);
    return node != nullptr && node->kind == static_cast<std::uint32_t>(kind) ? node : nullptr;
}

namespace testing {
// The number the next IssueHandle tries first (0 and -1 are still skipped),
// so tests can reach the wrap of the counter.
void SetNextHandle(std::uintptr_t number) noexcept;
// Live handles in the map.
std::size_t LiveHandleCount() noexcept;
}  // namespace testing

}  // namespace kam
