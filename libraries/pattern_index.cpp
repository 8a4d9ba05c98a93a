// The registry's hash index. One table maps (scope, owner, name) keys to the
// node a tree walk would find; a second gives each indexed library its
// registration ordinal, so that "newest first" is a comparison. The index is
// tied to the tree it was built for (the root and the handle of the oldest
// library): after termination, or after a failed insertion, it is rebuilt
// from the tree on next use.
#include "libraries/pattern_index.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <unordered_map>

#include "core/alloc.h"
#include "core/handles.h"
#include "core/state.h"
#include "kam/kam_plugin.h"
#include "libraries/registry.h"

namespace kam::index {
namespace {

enum class Scope : std::uint32_t {
    PatternInLibrary = 1,  // owner: the library; first pattern of the name
    PatternAnywhere = 2,   // the newest library's first pattern of the name
    LibraryName = 3,       // the newest library of the name
    Module = 4,            // owner: the module; the oldest library holding it
};

struct Key {
    const void* owner = nullptr;
    Scope scope = Scope::PatternInLibrary;
    char name[kNodeNameSize] = {};

    // The name as 8-byte words; both names are zero padded, so two names
    // that agree up to the first word holding a NUL agree in full.
    std::uint64_t Word(std::size_t i) const noexcept {
        std::uint64_t word;
        std::memcpy(&word, name + i * sizeof word, sizeof word);
        return word;
    }
    static bool HasZeroByte(std::uint64_t word) noexcept {
        return ((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull) != 0;
    }

    bool operator==(const Key& other) const noexcept {
        if (owner != other.owner || scope != other.scope) return false;
        for (std::size_t i = 0; i < kNameWords; ++i) {
            const std::uint64_t word = Word(i);
            if (word != other.Word(i)) return false;
            if (HasZeroByte(word)) return true;
        }
        return true;
    }

    static constexpr std::size_t kNameWords = kNodeNameSize / sizeof(std::uint64_t);
};

struct KeyHash {
    std::size_t operator()(const Key& key) const noexcept {
        // The owner, the scope and the name word by word up to the word that
        // holds its NUL, each mixed in with a multiply.
        constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
        std::uint64_t h = (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(key.owner)) ^
                           static_cast<std::uint64_t>(key.scope)) *
                          kMultiplier;
        for (std::size_t i = 0; i < Key::kNameWords; ++i) {
            const std::uint64_t word = key.Word(i);
            h = (h ^ word) * kMultiplier;
            h ^= h >> 29;
            if (Key::HasZeroByte(word)) break;
        }
        return static_cast<std::size_t>(h);
    }
};

struct Entry {
    ListNode* library;
    ListNode* pattern;
};

using EntryMap = std::unordered_map<Key, Entry, KeyHash, std::equal_to<Key>,
                                    HookAllocator<std::pair<const Key, Entry>>>;
using OrdinalMap =
    std::unordered_map<const ListNode*, std::uint64_t, std::hash<const ListNode*>,
                       std::equal_to<const ListNode*>,
                       HookAllocator<std::pair<const ListNode* const, std::uint64_t>>>;

struct Index {
    EntryMap entries;
    OrdinalMap ordinals;
    std::uint64_t nextOrdinal = 1;
    const ListNode* root = nullptr;
    std::intptr_t oldestHandle = 0;  // handle of the oldest library, 0 while none
};

// Plain pointer, no static destructor: the index lives in hook memory and is
// released by Drop, which termination may run at process exit.
Index* g_index = nullptr;

bool IsPackage(const ListNode* node) noexcept {
    return node != nullptr && node->kind == static_cast<std::uint32_t>(NodeKind::Package);
}

// Builds a key; false when name is longer than the names of this scope can
// be (such a name matches nothing).
bool MakeKey(Scope scope, const void* owner, const char* name, std::size_t limit, Key& key) noexcept {
    key.scope = scope;
    key.owner = owner;
    std::size_t length = name != nullptr ? strnlen(name, limit + 1) : 0;
    if (length > limit) return false;
    std::memcpy(key.name, name != nullptr ? name : "", length);
    return true;
}

constexpr std::size_t kPatternNameLimit = kPatternNameSize - 1;
constexpr std::size_t kLibraryNameLimit = kLibraryNameSize - 1;

// Throws std::bad_alloc when memory runs out.
void InsertLibrary(Index& index, ListNode* library) {
    if (index.ordinals.count(library) != 0) return;
    index.ordinals.emplace(library, index.nextOrdinal++);
    if (index.oldestHandle == 0) index.oldestHandle = library->handle;
    Key key;
    if (MakeKey(Scope::LibraryName, nullptr, library->name, kLibraryNameLimit, key)) {
        index.entries[key] = Entry{library, nullptr};  // the newer library wins
    }
    if (library->payload != nullptr && library->payloadSize >= sizeof(KAM_LibraryInfo)) {
        Key moduleKey;
        MakeKey(Scope::Module, LibraryInfoOf(library).module, "", 0, moduleKey);
        index.entries.emplace(moduleKey, Entry{library, nullptr});  // the oldest stays
    }
}

void InsertPattern(Index& index, ListNode* library, ListNode* pattern) {
    Key key;
    if (!MakeKey(Scope::PatternInLibrary, library, pattern->name, kPatternNameLimit, key)) return;
    index.entries.emplace(key, Entry{library, pattern});  // the first of the name stays
    key.owner = nullptr;
    key.scope = Scope::PatternAnywhere;
    auto [it, added] = index.entries.emplace(key, Entry{library, pattern});
    if (!added && it->second.library != library &&
        index.ordinals.at(it->second.library) < index.ordinals.at(library)) {
        it->second = Entry{library, pattern};
    }
}

void Destroy(Index* index) noexcept {
    if (index == nullptr) return;
    index->~Index();
    Release(index);
}

// The index of the current tree, built when missing or stale; nullptr when
// there is no tree or no memory for the index.
Index* Current() noexcept {
    ListNode* root = g_state.root;
    if (root == nullptr) return nullptr;
    if (g_index != nullptr && g_index->root == root) {
        ListNode* oldest = root->lastChild;
        bool same = g_index->oldestHandle == 0 ? oldest == nullptr
                                               : NodeFromHandle(g_index->oldestHandle) == oldest;
        if (same) return g_index;
    }
    Drop();
    void* block = Allocate(sizeof(Index));
    if (block == nullptr) return nullptr;
    Index* index = new (block) Index();
    index->root = root;
    try {
        for (ListNode* library = root->lastChild; library != nullptr; library = library->prev) {
            if (!IsPackage(library)) continue;
            InsertLibrary(*index, library);
            for (ListNode* p = library->lastChild; p != nullptr; p = p->prev) {
                if (p->kind == static_cast<std::uint32_t>(NodeKind::Pattern)) InsertPattern(*index, library, p);
            }
        }
    } catch (...) {
        Destroy(index);
        return nullptr;
    }
    g_index = index;
    return g_index;
}

}  // namespace

void AddLibrary(ListNode* library) noexcept {
    if (!IsPackage(library)) return;
    Index* index = Current();
    if (index == nullptr) return;
    try {
        InsertLibrary(*index, library);
    } catch (...) {
        Drop();  // rebuilt from the tree on next use
    }
}

void AddPattern(ListNode* library, ListNode* pattern) noexcept {
    if (!IsPackage(library) || pattern == nullptr) return;
    Index* index = Current();
    if (index == nullptr) return;
    try {
        InsertLibrary(*index, library);
        InsertPattern(*index, library, pattern);
    } catch (...) {
        Drop();
    }
}

bool FindInLibrary(const ListNode* library, const char* name, ListNode** pattern) noexcept {
    Index* index = Current();
    if (index == nullptr || index->ordinals.count(library) == 0) return false;
    Key key;
    *pattern = nullptr;
    if (!MakeKey(Scope::PatternInLibrary, library, name, kPatternNameLimit, key)) return true;
    auto it = index->entries.find(key);
    if (it != index->entries.end()) *pattern = it->second.pattern;
    return true;
}

bool FindInAny(const char* name, ListNode** library, ListNode** pattern) noexcept {
    Index* index = Current();
    if (index == nullptr) return false;
    Key key;
    *library = nullptr;
    *pattern = nullptr;
    if (!MakeKey(Scope::PatternAnywhere, nullptr, name, kPatternNameLimit, key)) return true;
    auto it = index->entries.find(key);
    if (it != index->entries.end()) {
        *library = it->second.library;
        *pattern = it->second.pattern;
    }
    return true;
}

bool FindLibraryByName(const char* name, ListNode** library) noexcept {
    Index* index = Current();
    if (index == nullptr) return false;
    Key key;
    *library = nullptr;
    if (!MakeKey(Scope::LibraryName, nullptr, name, kLibraryNameLimit, key)) return true;
    auto it = index->entries.find(key);
    if (it != index->entries.end()) *library = it->second.library;
    return true;
}

bool FindLibraryByModule(const void* module, ListNode** library) noexcept {
    Index* index = Current();
    if (index == nullptr) return false;
    Key key;
    MakeKey(Scope::Module, module, "", 0, key);
    auto it = index->entries.find(key);
    *library = it != index->entries.end() ? it->second.library : nullptr;
    return true;
}

void Drop() noexcept {
    Index* index = g_index;
    g_index = nullptr;
    Destroy(index);
}

}  // namespace kam::index
