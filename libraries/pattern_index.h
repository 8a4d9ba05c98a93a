// The lookup index of the registry: hash tables kept in step with
// registration so that finding a pattern, a library by name or a library by
// module takes the same time however many libraries and patterns are loaded.
// It answers exactly what a walk of the tree would answer (newest library
// first, a library's first pattern of a name, the oldest library of a
// module); when its memory cannot be had it steps aside and the callers walk
// the tree instead.
#pragma once

#include "core/list.h"

namespace kam::index {

// Records a PACKAGE node that was just added under the root (the newest).
void AddLibrary(ListNode* library) noexcept;
// Records a PATTERN node that was just added to library.
void AddPattern(ListNode* library, ListNode* pattern) noexcept;

// Each lookup returns true when the index answered (the outputs then hold the
// answer, nullptr for "none"), false when the caller must walk the tree.
bool FindInLibrary(const ListNode* library, const char* name, ListNode** pattern) noexcept;
bool FindInAny(const char* name, ListNode** library, ListNode** pattern) noexcept;
bool FindLibraryByName(const char* name, ListNode** library) noexcept;
bool FindLibraryByModule(const void* module, ListNode** library) noexcept;

// Releases the index (termination).
void Drop() noexcept;

}  // namespace kam::index
