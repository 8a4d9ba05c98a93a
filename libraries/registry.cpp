// Placeholder bodies of the registry until the loader lands.
#include "libraries/registry.h"

#include "core/handles.h"

namespace kam {

ListNode* LibraryNode(KAM_LibraryId id) noexcept { return NodeOfKind(id, NodeKind::Package); }
int LoadPatternLibrary(const char*, KAM_LibraryId* id) noexcept {
    if (id) *id = 0;
    return KAM_E_DLL_NOT_FOUND;
}
int RegisterPatterns(ListNode*) noexcept { return KAM_E_UNKNOWN_LIBRARY; }
int ParseVersionText(const char*, std::int32_t*) noexcept { return KAM_E_BAD_VERSION_INFO; }
ListNode* FindLibraryByModule(void*) noexcept { return nullptr; }
int FindPatternInLibrary(KAM_LibraryId, const char*, ListNode**) noexcept {
    return KAM_E_UNKNOWN_LIBRARY;
}
int FindPatternInAnyLibrary(const char*, ListNode** library, ListNode** pattern) noexcept {
    if (library) *library = nullptr;
    if (pattern) *pattern = nullptr;
    return KAM_E_PATTERN_NOT_FOUND;
}
int ResolvePattern(KAM_LibraryId, const char*, ListNode**) noexcept {
    return KAM_E_PATTERN_NOT_FOUND;
}

}  // namespace kam
