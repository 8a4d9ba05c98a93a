// The catalogue exports: what the loaded pattern libraries offer, read from
// the registry's copies of their records and copied into callers' buffers
// with fixed byte counts. No plug-in code runs here.
#include <cstring>

#include "core/frame.h"
#include "core/state.h"
#include "libraries/registry.h"

using kam::g_state;
using kam::ListNode;

namespace {

// Bytes handed to callers.
constexpr std::size_t kLibraryPropertiesBytes = sizeof(KAM_LibraryProperties);  // 412
constexpr std::size_t kPatternPropertiesBytes = sizeof(KAM_PatternProperties);  // 336
constexpr std::size_t kParamPropertiesBytes = sizeof(std::int32_t) * KAM_PARAM_COUNT;  // 32
constexpr std::size_t kSpecificParDefBytes = sizeof(KAM_SpecificParDef);  // 96
constexpr std::size_t kLibraryNameSlot = KAM_LIBRARY_NAME_SLOT;  // 64
constexpr std::size_t kPatternNameSlot = KAM_PATTERN_NAME_SLOT;  // 13
static_assert(kLibraryPropertiesBytes == 412 && kPatternPropertiesBytes == 336 &&
              kParamPropertiesBytes == 32 && kSpecificParDefBytes == 96);
static_assert(kLibraryPropertiesBytes <= offsetof(KAM_LibraryInfo, patterns));
static_assert(kPatternPropertiesBytes <= offsetof(KAM_PatternInfo, validateInput));

bool IsKind(const ListNode* node, kam::NodeKind kind) noexcept {
    return node != nullptr && node->kind == static_cast<std::uint32_t>(kind);
}

bool IsTypeMask(std::int32_t mask) noexcept {
    return mask == KAM_PATTERN_EARTH || mask == KAM_PATTERN_SPACE || mask == KAM_PATTERN_ANY;
}

bool Selected(const ListNode* pattern, std::int32_t mask) noexcept {
    return (kam::PatternInfoOf(pattern).type & mask) != 0;
}

std::int32_t CountSelected(const ListNode* library, std::int32_t mask) noexcept {
    std::int32_t count = 0;
    for (const ListNode* p = library->lastChild; p != nullptr; p = p->prev) {
        if (IsKind(p, kam::NodeKind::Pattern) && Selected(p, mask)) ++count;
    }
    return count;
}

// Copies the selected names of one library, in its array order, into the
// slots from `written` on, up to `capacity`; returns the new written count.
std::int32_t CopyPatternNames(const ListNode* library, std::int32_t mask, std::int32_t capacity,
                              std::int32_t written, char* names) noexcept {
    for (const ListNode* p = library->lastChild; p != nullptr && written < capacity; p = p->prev) {
        if (!IsKind(p, kam::NodeKind::Pattern) || !Selected(p, mask)) continue;
        std::memcpy(names + static_cast<std::size_t>(written) * kPatternNameSlot,
                    kam::PatternInfoOf(p).name, kPatternNameSlot);
        ++written;
    }
    return written;
}

// The pattern lookup of the pattern queries: sets the context and finds the
// pattern in the given library or, with -1, in every library newest first.
// 0 with the pattern node (its parent is the owning library), or the
// failure, already reported.
KAM_Status LookUpPattern(KAM_LibraryId id, const char* name, ListNode** pattern) noexcept {
    *pattern = nullptr;
    int status = kam::ResolvePattern(id, name, pattern);
    if (status != 0) return kam::ReportStatus(status);
    return 0;
}

// Step 1 of the specific-parameter queries: the pattern has a structure and
// its library a table of definitions.
bool HasSpecificDefinitions(const KAM_PatternInfo& pattern, const KAM_LibraryInfo& library) noexcept {
    return pattern.specificSize > 0 && pattern.specificStructId > 0 &&
           library.specificParDefCount > 0 && library.specificParDefs != nullptr;
}

}  // namespace

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetLibraryCount(int32_t* count) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (count == nullptr) return kam::ReportStatus(-1);
        std::int32_t n = 0;
        kam::ForEachChildNewestFirst(g_state.root, [&](ListNode* node) {
            if (IsKind(node, kam::NodeKind::Package)) ++n;
        });
        *count = n;
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetAllLibraryNames(int32_t* count, char* names) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (count == nullptr || *count <= 0) return kam::ReportStatus(-1);
        if (names == nullptr) return kam::ReportStatus(-2);
        const std::int32_t capacity = *count;
        std::int32_t written = 0;
        for (ListNode* l = g_state.root->firstChild; l != nullptr && written < capacity; l = l->next) {
            if (!IsKind(l, kam::NodeKind::Package)) continue;
            std::memcpy(names + static_cast<std::size_t>(written) * kLibraryNameSlot,
                        kam::LibraryInfoOf(l).name, kLibraryNameSlot);
            ++written;
        }
        *count = written;
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetLibraryIdByName(const char* libraryName,
                                                              KAM_LibraryId* libraryId) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (!kam::IsGoodLibraryName(libraryName)) return kam::ReportStatus(-1);
        if (libraryId == nullptr) return kam::ReportStatus(-2);
        *libraryId = KAM_NO_LIBRARY;
        ListNode* library = kam::FindLibraryByName(libraryName);
        if (library == nullptr) return kam::ReportStatus(KAM_E_LIBRARY_NOT_FOUND);
        *libraryId = library->handle;
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetLibraryProperties(KAM_LibraryId libraryId,
                                                                KAM_LibraryProperties* properties) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (libraryId == KAM_NO_LIBRARY) return kam::ReportStatus(-1);
        if (properties == nullptr) return kam::ReportStatus(-2);
        kam::SetCurrentLibrary(libraryId);
        ListNode* library = kam::LibraryNode(libraryId);
        if (library == nullptr) return kam::ReportStatus(KAM_E_UNKNOWN_LIBRARY);
        std::memcpy(properties, library->payload, kLibraryPropertiesBytes);
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetPatternCount(KAM_LibraryId libraryId,
                                                           int32_t typeMask, int32_t* count) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (libraryId == KAM_NO_LIBRARY) return kam::ReportStatus(-1);
        if (!IsTypeMask(typeMask)) return kam::ReportStatus(-2);
        if (count == nullptr) return kam::ReportStatus(-3);
        if (libraryId == KAM_ALL_LIBRARIES) {
            *count = 0;
            kam::ForEachChildNewestFirst(g_state.root, [&](ListNode* l) {
                if (IsKind(l, kam::NodeKind::Package)) *count += CountSelected(l, typeMask);
            });
            return 0;
        }
        kam::SetCurrentLibrary(libraryId);
        ListNode* library = kam::LibraryNode(libraryId);
        if (library == nullptr) return kam::ReportStatus(KAM_E_UNKNOWN_LIBRARY);
        *count = CountSelected(library, typeMask);
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetAllPatternNames(KAM_LibraryId libraryId,
                                                              int32_t typeMask, int32_t* count,
                                                              char* names) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (libraryId == KAM_NO_LIBRARY) return kam::ReportStatus(-1);
        if (!IsTypeMask(typeMask)) return kam::ReportStatus(-2);
        if (count == nullptr || *count <= 0) return kam::ReportStatus(-3);
        if (names == nullptr) return kam::ReportStatus(-4);
        const std::int32_t capacity = *count;
        if (libraryId == KAM_ALL_LIBRARIES) {
            std::int32_t written = 0;
            for (ListNode* l = g_state.root->firstChild; l != nullptr && written < capacity;
                 l = l->next) {
                if (IsKind(l, kam::NodeKind::Package)) {
                    written = CopyPatternNames(l, typeMask, capacity, written, names);
                }
            }
            *count = written;
            return 0;
        }
        kam::SetCurrentLibrary(libraryId);
        ListNode* library = kam::LibraryNode(libraryId);
        if (library == nullptr) return kam::ReportStatus(KAM_E_UNKNOWN_LIBRARY);
        *count = CopyPatternNames(library, typeMask, capacity, 0, names);
        return 0;
    });
}

// -1 is no library here: only the given one is searched.
extern "C" KAM_API KAM_Status KAM_CALL KAM_ExistPattern(KAM_LibraryId libraryId,
                                                        const char* patternName) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (libraryId == KAM_NO_LIBRARY) return kam::ReportStatus(-1);
        if (!kam::IsGoodPatternName(patternName)) return kam::ReportStatus(-2);
        kam::SetCurrentLibrary(libraryId);
        kam::SetCurrentPatternName(patternName);
        ListNode* pattern = nullptr;
        return kam::ReportStatus(kam::FindPatternInLibrary(libraryId, patternName, &pattern));
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_SearchPattern(const char* patternName,
                                                         KAM_LibraryId* libraryId) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (!kam::IsGoodPatternName(patternName)) return kam::ReportStatus(-1);
        if (libraryId == nullptr) return kam::ReportStatus(-2);
        *libraryId = KAM_NO_LIBRARY;
        kam::SetCurrentPatternName(patternName);
        ListNode* library = nullptr;
        ListNode* pattern = nullptr;
        int status = kam::FindPatternInAnyLibrary(patternName, &library, &pattern);
        if (status != 0) return kam::ReportStatus(status);
        *libraryId = library->handle;
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetPatternProperties(KAM_LibraryId libraryId,
                                                                const char* patternName,
                                                                KAM_PatternProperties* properties) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (libraryId == KAM_NO_LIBRARY) return kam::ReportStatus(-1);
        if (!kam::IsGoodPatternName(patternName)) return kam::ReportStatus(-2);
        if (properties == nullptr) return kam::ReportStatus(-3);
        ListNode* pattern = nullptr;
        if (KAM_Status status = LookUpPattern(libraryId, patternName, &pattern); status != 0) {
            return status;
        }
        std::memcpy(properties, pattern->payload, kPatternPropertiesBytes);
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetParamProperties(KAM_LibraryId libraryId,
                                                              const char* patternName,
                                                              int32_t* properties) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (libraryId == KAM_NO_LIBRARY) return kam::ReportStatus(-1);
        if (!kam::IsGoodPatternName(patternName)) return kam::ReportStatus(-2);
        if (properties == nullptr) return kam::ReportStatus(-3);
        ListNode* pattern = nullptr;
        if (KAM_Status status = LookUpPattern(libraryId, patternName, &pattern); status != 0) {
            return status;
        }
        std::memcpy(properties, kam::PatternInfoOf(pattern).paramProperties, kParamPropertiesBytes);
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetSpecificParCount(KAM_LibraryId libraryId,
                                                               const char* patternName,
                                                               int32_t* count) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (libraryId == KAM_NO_LIBRARY) return kam::ReportStatus(-1);
        if (!kam::IsGoodPatternName(patternName)) return kam::ReportStatus(-2);
        if (count == nullptr) return kam::ReportStatus(-3);
        *count = 0;
        ListNode* pattern = nullptr;
        if (KAM_Status status = LookUpPattern(libraryId, patternName, &pattern); status != 0) {
            return status;
        }
        const KAM_PatternInfo& info = kam::PatternInfoOf(pattern);
        const KAM_LibraryInfo& library = kam::LibraryInfoOf(pattern->parent);
        if (!HasSpecificDefinitions(info, library)) return kam::ReportStatus(KAM_E_NO_SPECIFIC_DEFS);
        std::int32_t n = 0;
        for (std::int32_t i = 0; i < library.specificParDefCount; ++i) {
            if (library.specificParDefs[i].structId == info.specificStructId) ++n;
        }
        if (n == 0) return kam::ReportStatus(KAM_E_NO_SPECIFIC_DEFS);
        *count = n;
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_GetSpecificParDef(KAM_LibraryId libraryId,
                                                             const char* patternName,
                                                             int32_t elementIndex,
                                                             KAM_SpecificParDef* definition) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (libraryId == KAM_NO_LIBRARY) return kam::ReportStatus(-1);
        if (!kam::IsGoodPatternName(patternName)) return kam::ReportStatus(-2);
        if (elementIndex < 0) return kam::ReportStatus(-3);
        if (definition == nullptr) return kam::ReportStatus(-4);
        ListNode* pattern = nullptr;
        if (KAM_Status status = LookUpPattern(libraryId, patternName, &pattern); status != 0) {
            return status;
        }
        const KAM_PatternInfo& info = kam::PatternInfoOf(pattern);
        const KAM_LibraryInfo& library = kam::LibraryInfoOf(pattern->parent);
        if (!HasSpecificDefinitions(info, library)) return kam::ReportStatus(KAM_E_NO_SPECIFIC_DEFS);
        for (std::int32_t i = 0; i < library.specificParDefCount; ++i) {
            const KAM_SpecificParDef& def = library.specificParDefs[i];
            if (def.structId == info.specificStructId && def.elementIndex == elementIndex) {
                std::memcpy(definition, &def, kSpecificParDefBytes);
                return 0;
            }
        }
        return kam::ReportStatus(KAM_E_PARDEF_NOT_FOUND);
    });
}
