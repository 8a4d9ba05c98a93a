// The registry of pattern libraries: loading and registering a library with
// its patterns, reading its version stamp, and the pattern and library
// lookups. The lookups answer from the hash index (libraries/pattern_index.h)
// and walk the tree only when the index is not available.
#include "libraries/registry.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <new>

#include "core/handles.h"
#include "core/state.h"
#include "core/status.h"
#include "libraries/pattern_index.h"
#include "libraries/platform.h"

namespace kam {

// The resolution cache (registry.h) is plain data: nothing to release.
std::uint64_t registry_detail::g_generation = 1;
registry_detail::Resolution registry_detail::g_resolutions[registry_detail::kResolutionSlots] = {};

namespace {

constexpr const char* kSetEventLogHandlerEntry = "LIP_SetEventLogHandler";
constexpr const char* kInitLibraryEntry = "LIP_InitLibrary";
constexpr const char* kGetLibraryInfoEntry = "LIP_GetLibraryInfo";
constexpr const char* kGetArrayInfoEntry = "LIP_GetArrayInfo";
// What the module may fill: room beyond the record this host knows, so that
// a module built with a larger record writes into zeroed bytes, not past them.
constexpr std::size_t kArrayInfoRoom = 256;
// The smallest record that holds the slots.
constexpr std::size_t kArrayInfoMinimum =
    offsetof(KAM_ArrayInfo, slots) + sizeof(KAM_ArrayInfo::slots);

// The two forms of a version text, "%d, %d, %d, %d" and "%d.%d.%d.%d", tried
// in this order. They differ only in the separator that must follow each of
// the first three numbers at once: the blank after the comma matches any
// white space, which "%d" would skip before its number anyway.
struct VersionFormat {
    char separator;
};
constexpr VersionFormat kVersionFormats[] = {{','}, {'.'}};
constexpr int kVersionNumbers = 4;

bool IsPackage(const ListNode* node) noexcept {
    return node != nullptr && node->kind == static_cast<std::uint32_t>(NodeKind::Package);
}
bool IsPattern(const ListNode* node) noexcept {
    return node != nullptr && node->kind == static_cast<std::uint32_t>(NodeKind::Pattern);
}

// White space as the C locale classifies it, whatever the process locale.
bool IsSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads one "%d": optional white space, optional sign, one or more decimal
// digits. The value saturates at the int32 bounds. False when no digit.
bool ReadNumber(const char*& p, std::int32_t& value) noexcept {
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') return false;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kCap = static_cast<std::int64_t>(INT32_MAX) + 1;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude < kCap) magnitude = magnitude * 10 + (*p - '0');
    }
    if (magnitude > kCap) magnitude = kCap;
    std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX) signedValue = INT32_MAX;
    if (signedValue < INT32_MIN) signedValue = INT32_MIN;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

// One attempt with one format: true when all four numbers were read.
bool ParseWith(const char* text, VersionFormat format, std::int32_t numbers[4]) noexcept {
    const char* p = text;
    for (int i = 0; i < kVersionNumbers; ++i) {
        if (!ReadNumber(p, numbers[i])) return false;
        if (i + 1 == kVersionNumbers) break;
        if (*p != format.separator) return false;
        ++p;
    }
    return true;  // text after the fourth number is ignored
}

// Copies of a library's records never carry a name without its NUL.
void TerminateField(char* field, std::size_t size) noexcept {
    if (std::memchr(field, '\0', size) == nullptr) field[size - 1] = '\0';
}

// ReadLibraryVersion: the four ProductVersion numbers of the module's file.
// 0, -3050 (no version information), -2003 or -3051.
int ReadLibraryVersion(platform::Module module, const char* fileName,
                       std::int32_t numbers[4]) noexcept {
    try {
        HookString text;
        int status = platform::Current().ReadProductVersion(module, fileName, text);
        if (status != 0) return status;
        return ParseVersionText(text.c_str(), numbers);
    } catch (const std::bad_alloc&) {
        return KAM_E_NO_MEMORY;
    } catch (...) {
        return KAM_E_BAD_VERSION_INFO;
    }
}

using registry_detail::Resolution;

// Moves the registry generation on: every remembered resolution is stale.
void NextGeneration() noexcept { ++registry_detail::g_generation; }

// The tree walks behind the lookups, used when the index cannot answer.
ListNode* WalkLibrary(ListNode* library, const char* name) noexcept {
    for (ListNode* p = library->lastChild; p != nullptr; p = p->prev) {
        if (IsPattern(p) && std::strncmp(p->name, name, kNodeNameSize) == 0) return p;
    }
    return nullptr;
}

}  // namespace

ListNode* LibraryNode(KAM_LibraryId id) noexcept { return NodeOfKind(id, NodeKind::Package); }

int ParseVersionText(const char* text, std::int32_t numbers[4]) noexcept {
    if (text == nullptr || numbers == nullptr) return KAM_E_BAD_VERSION_INFO;
    for (const VersionFormat& format : kVersionFormats) {
        std::int32_t read[kVersionNumbers] = {};
        if (ParseWith(text, format, read)) {
            std::memcpy(numbers, read, sizeof read);
            return 0;
        }
    }
    return KAM_E_BAD_VERSION_INFO;
}

// The twelve steps of a load. Sets *id to none first; 2008 with the id of
// the library that already holds the module; a failure before the PACKAGE
// node exists registers nothing; a failure while registering patterns leaves
// the library registered with the patterns before it, and *id names it.
int LoadPatternLibrary(const char* fileName, KAM_LibraryId* id) noexcept {
    if (id != nullptr) *id = KAM_NO_LIBRARY;
    if (fileName == nullptr || fileName[0] == '\0') return KAM_E_DLL_NOT_FOUND;
    if (g_state.root == nullptr) return KAM_E_NOT_INITIALISED;

    platform::Platform& os = platform::Current();
    platform::Module module = std::strcmp(fileName, kStdLibraryFile) == 0
                                  ? os.StandardModule()
                                  : os.LoadModule(fileName);
    if (module == nullptr) return KAM_E_DLL_NOT_FOUND;

    if (ListNode* existing = FindLibraryByModule(module); existing != nullptr) {
        if (id != nullptr) *id = existing->handle;
        return KAM_W_ALREADY_LOADED;
    }

    auto setHandler = reinterpret_cast<KAM_SetEventLogHandlerFn>(
        os.Resolve(module, kSetEventLogHandlerEntry));
    if (setHandler == nullptr) return KAM_E_NO_SET_EVENT_LOG_HANDLER;
    int status = setHandler(g_state.eventLog != 0 ? &EventSink : nullptr);
    if (status != 0) return status;

    auto initLibrary = reinterpret_cast<KAM_InitLibraryFn>(os.Resolve(module, kInitLibraryEntry));
    if (initLibrary == nullptr) return KAM_E_NO_INIT_LIBRARY;
    status = initLibrary();
    if (status != 0) return status;

    auto getInfo = reinterpret_cast<KAM_GetLibraryInfoFn>(os.Resolve(module, kGetLibraryInfoEntry));
    if (getInfo == nullptr) return KAM_E_NO_GET_LIBRARY_INFO;
    KAM_LibraryInfo info;
    std::memset(&info, 0, sizeof info);
    status = getInfo(&info);
    if (status != 0) return status;

    info.module = module;
    KAM_ArrayInfo arrays{};
    const bool hasArrays = ReadArrayInfo(module, &arrays) == 0;
    std::int32_t numbers[kVersionNumbers] = {};
    status = ReadLibraryVersion(module, fileName, numbers);
    if (status != 0) return status;
    info.version[0] = numbers[0];
    info.version[1] = numbers[1];
    info.version[2] = numbers[3];
    TerminateField(info.name, sizeof info.name);

    // A library that registered itself meanwhile (through a re-entrant load
    // from one of its entry points) is not registered twice.
    if (ListNode* existing = FindLibraryByModule(module); existing != nullptr) {
        if (id != nullptr) *id = existing->handle;
        return KAM_W_ALREADY_LOADED;
    }
    if (g_state.root == nullptr) return KAM_E_NOT_INITIALISED;

    ListNode* library = nullptr;
    status = AddChild(g_state.root, NodeKind::Package, sizeof info, &info, info.name, &library);
    if (status != 0) return status;
    NextGeneration();
    index::AddLibrary(library);

    if (info.noValueDoubleTarget != nullptr) *info.noValueDoubleTarget = kNoValueDouble;
    if (info.noValueStructTarget != nullptr) *info.noValueStructTarget = NoValueStruct();
    if (info.gainValidTarget != nullptr) *info.gainValidTarget = g_state.gainValid;

    if (id != nullptr) *id = library->handle;
    return hasArrays ? RegisterPatterns(library, arrays.slots, arrays.slotCount, arrays.flags)
                     : RegisterPatterns(library);
}

int ReadArrayInfo(void* module, KAM_ArrayInfo* info) noexcept {
    auto getArrays = reinterpret_cast<KAM_GetArrayInfoFn>(
        platform::Current().Resolve(module, kGetArrayInfoEntry));
    if (getArrays == nullptr || info == nullptr) return KAM_E_INTERNAL;
    alignas(KAM_ArrayInfo) unsigned char room[kArrayInfoRoom];
    static_assert(sizeof room >= sizeof(KAM_ArrayInfo), "room for the whole record");
    std::memset(room, 0, sizeof room);
    auto* filled = reinterpret_cast<KAM_ArrayInfo*>(room);
    if (const int status = getArrays(filled); status != 0) return status;
    if (filled->structSize < 0 ||
        static_cast<std::size_t>(filled->structSize) < kArrayInfoMinimum ||
        filled->slotCount < 0 || (filled->slotCount > 0 && filled->slots == nullptr)) {
        return KAM_E_INTERNAL;
    }
    // What lies beyond the module's own record stays zero (its flags, say,
    // when it was built before they existed).
    const std::size_t known = std::min(static_cast<std::size_t>(filled->structSize),
                                       sizeof(KAM_ArrayInfo));
    std::memset(info, 0, sizeof *info);
    std::memcpy(info, room, known);
    return 0;
}

// Copies each PatternInfo of the library's array into a PATTERN node, in
// array order. 0; -2004 when library is not a PACKAGE node; -3006 at the
// first null gain (or when a positive count comes with no array), the
// patterns before it staying registered; -2003 when a node cannot be made.
int RegisterPatterns(ListNode* library, const KAM_PatternArraySlots* arrays,
                     std::int32_t arrayCount, std::uint32_t arrayFlags) noexcept {
    if (!IsPackage(library) || library->payload == nullptr ||
        library->payloadSize < sizeof(KAM_LibraryInfo)) {
        return KAM_E_UNKNOWN_LIBRARY;
    }
    const KAM_LibraryInfo& info = LibraryInfoOf(library);
    const std::int32_t count = info.patternCount;
    if (count <= 0) return 0;
    if (info.patterns == nullptr) return KAM_E_NULL_GAIN;
    for (std::int32_t i = 0; i < count; ++i) {
        const KAM_PatternInfo& source = info.patterns[i];
        if (source.gain.earth == nullptr) return KAM_E_NULL_GAIN;
        PatternRecord copy;
        std::memset(&copy, 0, sizeof copy);
        std::memcpy(&copy.info, &source, sizeof copy.info);
        TerminateField(copy.info.name, sizeof copy.info.name);
        if (arrays != nullptr && i < arrayCount) {
            copy.arrays = arrays[i];
            copy.arrayFlags = arrayFlags;
        }
        ListNode* pattern = nullptr;
        int status =
            AddChild(library, NodeKind::Pattern, sizeof copy, &copy, copy.info.name, &pattern);
        if (status != 0) return status;
        NextGeneration();
        index::AddPattern(library, pattern);
    }
    return 0;
}

ListNode* FindLibraryByModule(void* module) noexcept {
    if (g_state.root == nullptr) return nullptr;
    ListNode* found = nullptr;
    if (index::FindLibraryByModule(module, &found)) return found;
    for (ListNode* library = g_state.root->lastChild; library != nullptr; library = library->prev) {
        if (IsPackage(library) && library->payloadSize >= sizeof(KAM_LibraryInfo) &&
            LibraryInfoOf(library).module == module) {
            return library;
        }
    }
    return nullptr;
}

ListNode* FindLibraryByName(const char* name) noexcept {
    if (g_state.root == nullptr || name == nullptr) return nullptr;
    ListNode* found = nullptr;
    if (index::FindLibraryByName(name, &found)) return found;
    for (ListNode* library = g_state.root->firstChild; library != nullptr; library = library->next) {
        if (IsPackage(library) && std::strncmp(library->name, name, kNodeNameSize) == 0) {
            return library;
        }
    }
    return nullptr;
}

int FindPatternInLibrary(KAM_LibraryId library, const char* name, ListNode** pattern) noexcept {
    ListNode* node = LibraryNode(library);
    if (node == nullptr) return KAM_E_UNKNOWN_LIBRARY;
    ListNode* found = nullptr;
    if (name != nullptr && !index::FindInLibrary(node, name, &found)) found = WalkLibrary(node, name);
    if (pattern != nullptr) *pattern = found;
    return found != nullptr ? 0 : KAM_E_PATTERN_NOT_FOUND;
}

int FindPatternInAnyLibrary(const char* name, ListNode** library, ListNode** pattern) noexcept {
    ListNode* foundLibrary = nullptr;
    ListNode* foundPattern = nullptr;
    if (name != nullptr && g_state.root != nullptr &&
        !index::FindInAny(name, &foundLibrary, &foundPattern)) {
        for (ListNode* l = g_state.root->firstChild; l != nullptr; l = l->next) {
            if (!IsPackage(l)) continue;
            if (ListNode* p = WalkLibrary(l, name); p != nullptr) {
                foundLibrary = l;
                foundPattern = p;
                break;
            }
        }
    }
    if (library != nullptr) *library = foundLibrary;
    if (pattern != nullptr) *pattern = foundPattern;
    return foundPattern != nullptr ? 0 : KAM_E_PATTERN_NOT_FOUND;
}

namespace {

// ResolvePattern without the cache, for names the cache does not keep.
int ResolveUncached(KAM_LibraryId id, const char* name, ListNode** pattern) noexcept {
    SetCurrentPatternName(name);
    if (id == KAM_ALL_LIBRARIES) {
        ListNode* library = nullptr;
        int status = FindPatternInAnyLibrary(name, &library, pattern);
        if (status == 0) SetCurrentLibrary(library->handle);
        return status;
    }
    SetCurrentLibrary(id);
    return FindPatternInLibrary(id, name, pattern);
}

}  // namespace

int ResolvePattern(KAM_LibraryId id, const char* name, ListNode** pattern) noexcept {
    const std::size_t length = name != nullptr ? strnlen(name, kPatternNameSize) : 0;
    return ResolvePatternOfLength(id, name, length, pattern);
}

// The lookups behind a cache miss; a success with a name of 1..12
// characters is remembered. The context is set as the lookups leave it.
int registry_detail::ResolveAndRemember(KAM_LibraryId id, const char* name, std::size_t length,
                                        ListNode** pattern) noexcept {
    if (name == nullptr || length == 0 || length >= static_cast<std::size_t>(kPatternNameSize)) {
        return ResolveUncached(id, name, pattern);
    }
    ListNode* library = nullptr;
    ListNode* found = nullptr;
    SetCurrentPatternName(name);
    int status;
    if (id == KAM_ALL_LIBRARIES) {
        status = FindPatternInAnyLibrary(name, &library, &found);
        if (status == 0) SetCurrentLibrary(library->handle);
    } else {
        SetCurrentLibrary(id);
        status = FindPatternInLibrary(id, name, &found);
        if (status == 0) library = LibraryNode(id);
    }
    if (pattern != nullptr && status != KAM_E_UNKNOWN_LIBRARY) *pattern = found;
    if (status == 0 && library != nullptr && found != nullptr) {
        Resolution& slot = SlotFor(id, name, length);
        slot = Resolution{g_generation, id, g_state.root, length, {}, library, found};
        std::memcpy(slot.name, name, length);
    }
    return status;
}

void DropPatternIndex() noexcept {
    NextGeneration();
    index::Drop();
}

}  // namespace kam
