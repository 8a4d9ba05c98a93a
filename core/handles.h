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
// The live node that carries this number, or nullptr.
ListNode* NodeFromHandle(std::intptr_t handle) noexcept;
// Resolves only when the node is of the given kind.
ListNode* NodeOfKind(std::intptr_t handle, NodeKind kind) noexcept;

namespace testing {
// The number the next IssueHandle tries first (0 and -1 are still skipped),
// so tests can reach the wrap of the counter.
void SetNextHandle(std::uintptr_t number) noexcept;
// Live handles in the map.
std::size_t LiveHandleCount() noexcept;
}  // namespace testing

}  // namespace kam
