// The registry of loaded pattern libraries and the pattern lookups on which
// the catalogue, validation and computation rely.
#pragma once

#include <cstdint>

#include "core/list.h"
#include "kam/kam_plugin.h"

namespace kam {

// The PACKAGE node a LibraryId names, or nullptr.
ListNode* LibraryNode(KAM_LibraryId id) noexcept;
inline const KAM_LibraryInfo& LibraryInfoOf(const ListNode* package) noexcept {
    return *static_cast<const KAM_LibraryInfo*>(package->payload);
}
inline const KAM_PatternInfo& PatternInfoOf(const ListNode* pattern) noexcept {
    return *static_cast<const KAM_PatternInfo*>(pattern->payload);
}

// Loads and registers a pattern library ("KAM_Std.dll" takes the standard
// module). Sets *id to none first; see the status list of KAM_AddLibrary.
int LoadPatternLibrary(const char* fileName, KAM_LibraryId* id) noexcept;
// 0 or the first failure (-2004, -3006, -2003).
int RegisterPatterns(ListNode* library) noexcept;
// Parses a ProductVersion text as "%d, %d, %d, %d" or "%d.%d.%d.%d" with
// numbers saturated to the int32 range. 0 or -3051.
int ParseVersionText(const char* text, std::int32_t numbers[4]) noexcept;
// The oldest PACKAGE node holding this module, or nullptr.
ListNode* FindLibraryByModule(void* module) noexcept;
// The newest PACKAGE node whose name equals name (at most 64 bytes read),
// or nullptr.
ListNode* FindLibraryByName(const char* name) noexcept;
// 0 with *pattern; -2004 (pattern untouched) or -2005 (pattern = nullptr).
int FindPatternInLibrary(KAM_LibraryId library, const char* name, ListNode** pattern) noexcept;
// Newest library first. 0, or -2005 with both outputs nullptr.
int FindPatternInAnyLibrary(const char* name, ListNode** library, ListNode** pattern) noexcept;
// Sets CurrentPatternName, then finds the pattern: with -1 in every library
// (CurrentLibrary = the library found), otherwise CurrentLibrary = id first.
// 0, -2004 or -2005; reports nothing.
int ResolvePattern(KAM_LibraryId id, const char* name, ListNode** pattern) noexcept;

// Releases the lookup index of the registry. Terminate calls it after
// freeing the tree; the index is also rebuilt by itself when it finds the
// tree it was built for gone, so a missing call only keeps memory.
void DropPatternIndex() noexcept;

}  // namespace kam
