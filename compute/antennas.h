// Antenna objects: a pattern bound to a set of parameter values with a
// private copy of the pattern-specific structure.
#pragma once

#include "core/list.h"

namespace kam {

// Deletes one antenna node: unlinks it, retires its handle, and releases its
// specific copy and the node (deferred while an exported call is under way).
// 0, -4101 (no node), -2009 (not an antenna) or a LIST failure.
int DeleteAntennaNode(ListNode* node) noexcept;

}  // namespace kam
