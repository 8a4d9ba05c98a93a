// The registry of loaded pattern libraries and the pattern lookups on which
// the catalogue, validation and computation rely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/list.h"
#include "core/state.h"
#include "kam/kam_plugin.h"

namespace kam {

// The PACKAGE node a LibraryId names, or nullptr.
ListNode* LibraryNode(KAM_LibraryId id) noexcept;
inline const KAM_LibraryInfo& LibraryInfoOf(const ListNode* package) noexcept {
    return *static_cast<const KAM_LibraryInfo*>(package->payload);
}
// Payload of a PATTERN node: the library's PatternInfo, byte for byte, and
// the array functions its library handed over for it (all null when the
// library has no array path) with the flags of its array path
// (KAM_ARRAY_..., 0 without one).
struct PatternRecord {
    KAM_PatternInfo info;
    KAM_PatternArraySlots arrays;
    std::uint32_t arrayFlags;
};
inline const KAM_PatternInfo& PatternInfoOf(const ListNode* pattern) noexcept {
    return *static_cast<const KAM_PatternInfo*>(pattern->payload);
}
inline const KAM_PatternArraySlots& ArraySlotsOf(const ListNode* pattern) noexcept {
    return static_cast<const PatternRecord*>(pattern->payload)->arrays;
}
inline std::uint32_t ArrayFlagsOf(const ListNode* pattern) noexcept {
    return static_cast<const PatternRecord*>(pattern->payload)->arrayFlags;
}

// Loads and registers a pattern library ("KAM_Std.dll" takes the standard
// module). Sets *id to none first; see the status list of KAM_AddLibrary.
int LoadPatternLibrary(const char* fileName, KAM_LibraryId* id) noexcept;
// 0 or the first failure (-2004, -3006, -2003). arrays: the library's array
// path (slotCount records, each belonging to the pattern of its index), or
// nullptr when it has none; arrayFlags: its KAM_ARRAY_... flags.
int RegisterPatterns(ListNode* library, const KAM_PatternArraySlots* arrays = nullptr,
                     std::int32_t arrayCount = 0, std::uint32_t arrayFlags = 0) noexcept;
// Asks a module for its optional array path (LIP_GetArrayInfo): 0 with the
// record, or non-zero when the module has none, declines, or describes it
// with a record too small to hold the slots, a negative slot count, or no
// slots. The record is read only up to the size the module gives.
int ReadArrayInfo(void* module, KAM_ArrayInfo* info) noexcept;
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
namespace registry_detail {

// The resolution cache in front of ResolvePattern: a few recent successful
// resolutions, keyed by the LibraryId asked for and the exact name, each
// remembering the library and pattern found. An entry is good only while the
// registry generation it was made under is current; the generation moves on
// with every change that could alter an answer (a library or a pattern
// registered, the index dropped, which termination does before it takes the
// tree down), so a hit answers exactly as the lookups would.
constexpr std::size_t kResolutionSlots = 8;  // a power of two
constexpr std::size_t kPaddedNameSize = 16;  // a pattern name, its NUL and zeros

struct Resolution {
    std::uint64_t generation;  // 0: empty (the generation starts at 1)
    KAM_LibraryId id;
    const ListNode* root;
    std::size_t length;
    alignas(8) char name[kPaddedNameSize];  // zero padded
    ListNode* library;
    ListNode* pattern;
};

extern std::uint64_t g_generation;
extern Resolution g_resolutions[kResolutionSlots];

template <class Word>
Word Load(const char* p) noexcept {
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The entry for a name of 1..12 characters: hashed from words covering the
// name, reading only its length bytes.
inline Resolution& SlotFor(KAM_LibraryId id, const char* name, std::size_t length) noexcept {
    std::uint64_t h;
    if (length >= 8) {
        h = Load<std::uint64_t>(name) ^ (Load<std::uint64_t>(name + length - 8) << 1);
    } else if (length >= 4) {
        h = Load<std::uint32_t>(name) ^ (std::uint64_t{Load<std::uint32_t>(name + length - 4)} << 29);
    } else {
        h = static_cast<unsigned char>(name[0]) |
            std::uint64_t{static_cast<unsigned char>(name[length - 1])} << 8 |
            std::uint64_t{static_cast<unsigned char>(name[length / 2])} << 16;
    }
    h = (h ^ static_cast<std::uint64_t>(id) ^ (std::uint64_t{length} << 56)) * 0x9E3779B97F4A7C15ull;
    return g_resolutions[static_cast<std::size_t>(h >> 61) & (kResolutionSlots - 1)];
}

// Whether name (length characters, 1..12) equals the entry's name of the
// same length: word compares covering the name, within its bytes.
inline bool SameName(const Resolution& entry, const char* name, std::size_t length) noexcept {
    if (entry.length != length) return false;
    const char* kept = entry.name;
    if (length >= 8) {
        return Load<std::uint64_t>(name) == Load<std::uint64_t>(kept) &&
               Load<std::uint64_t>(name + length - 8) == Load<std::uint64_t>(kept + length - 8);
    }
    if (length >= 4) {
        return Load<std::uint32_t>(name) == Load<std::uint32_t>(kept) &&
               Load<std::uint32_t>(name + length - 4) == Load<std::uint32_t>(kept + length - 4);
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (name[i] != kept[i]) return false;
    }
    return true;
}

// The lookups behind a miss, remembering a success.
int ResolveAndRemember(KAM_LibraryId id, const char* name, std::size_t length,
                       ListNode** pattern) noexcept;

}  // namespace registry_detail

// ResolvePattern for a caller that has measured the name: length is
// strnlen(name, 13). A remembered answer is taken without a lookup.
inline int ResolvePatternOfLength(KAM_LibraryId id, const char* name, std::size_t length,
                                  ListNode** pattern) noexcept {
    using namespace registry_detail;
    if (name != nullptr && length >= 1 && length < static_cast<std::size_t>(kPatternNameSize)) {
        const Resolution& slot = SlotFor(id, name, length);
        if (slot.generation == g_generation && slot.id == id && slot.root == g_state.root &&
            SameName(slot, name, length)) {
            std::memcpy(g_state.currentPatternName, slot.name, sizeof g_state.currentPatternName);
            g_state.currentLibrary = id == KAM_ALL_LIBRARIES ? slot.library->handle : id;
            if (pattern != nullptr) *pattern = slot.pattern;
            return 0;
        }
    }
    return ResolveAndRemember(id, name, length, pattern);
}
// ResolvePatternOfLength, then the pattern's type must be exactly type.
// 0 with *pattern, -2004, -2005 or -2006; reports nothing.
inline int ResolvePatternOfLengthAndType(KAM_LibraryId id, const char* name, std::size_t length,
                                         std::int32_t type, ListNode** pattern) noexcept {
    ListNode* found = nullptr;
    const int status = ResolvePatternOfLength(id, name, length, &found);
    if (status != 0) return status;
    if (found == nullptr) return KAM_E_PATTERN_NOT_FOUND;
    if (PatternInfoOf(found).type != type) return KAM_E_PATTERN_TYPE;
    *pattern = found;
    return 0;
}

// Releases the lookup index of the registry. Terminate calls it after
// freeing the tree; the index is also rebuilt by itself when it finds the
// tree it was built for gone, so a missing call only keeps memory.
void DropPatternIndex() noexcept;

}  // namespace kam
