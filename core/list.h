// The LIST module: the one container of the library. Every object the host
// keeps (roots, libraries, patterns, antennas, queued events) is a node of a
// tree; a node owns a private copy of its payload and its children.
#pragma once

#include <cstdint>
#include <cstdio>

namespace kam {

enum class NodeKind : std::uint32_t {
    None = 0,        // "- no value -": a freed node
    TopLevel = 1,    // "TOPLEVEL": the two roots
    Package = 2,     // "PACKAGE": a loaded pattern library
    Pattern = 3,     // "PATTERN": one pattern of a library
    EarthAntenna = 4,  // "EARTH-ANTENNA"
    SpaceAntenna = 5,  // "SPACE-ANTENNA"
    ErrorDescription = 6,  // "ERROR_DESCRIPTION": defined, never created
    Other = 7,       // "OTHER": one queued event
};

// Name of a kind as the diagnostic print shows it.
const char* NodeKindName(std::uint32_t kind) noexcept;

constexpr int kNodeNameSize = 64;

struct ListNode {
    ListNode* parent;
    ListNode* next;   // towards older siblings
    ListNode* prev;   // towards newer siblings
    std::uint32_t kind;
    std::uint32_t payloadSize;
    void* payload;
    char name[kNodeNameSize];
    ListNode* lastChild;   // oldest child
    ListNode* firstChild;  // newest child
    std::intptr_t handle;  // number handed to callers; 0 when it has none
    void* deferredBlock;   // released with the node when its release is deferred
};

// Whether nodes of this kind are handed to callers and so carry a handle.
bool KindHasHandle(NodeKind kind) noexcept;

// A new unlinked node; names of 64 characters or more are cut to 63.
// 0, or -2003 (nothing remains).
int CreateNode(NodeKind kind, std::uint32_t payloadSize, const void* source, const char* name,
               ListNode** out) noexcept;
// Creates a node and makes it parent's firstChild. Nodes of kind PACKAGE,
// PATTERN and the antenna kinds receive a handle. 0 or -2003.
int AddChild(ListNode* parent, NodeKind kind, std::uint32_t payloadSize, const void* source,
             const char* name, ListNode** out) noexcept;
// 0, or -4001 when the node has no parent.
int Unlink(ListNode* node) noexcept;
// 0, or -4001 (nothing released) when still linked or with children.
int FreeNode(ListNode* node) noexcept;
// Releases an unlinked node (a root, or one taken out with Unlink) and all
// its descendants. 0, -4001 (nothing released) for a node still linked to a
// parent, or the first failure.
int FreeSubtree(ListNode* node) noexcept;
// Hands the payload and its size to the caller, who owns them from then on.
void DetachPayload(ListNode* node, void** payload, std::uint32_t* size) noexcept;

// Walks: newest first follows firstChild/next, oldest first lastChild/prev.
template <class F>
void ForEachChildNewestFirst(ListNode* parent, F&& f) {
    for (ListNode* c = parent ? parent->firstChild : nullptr; c != nullptr;) {
        ListNode* after = c->next;
        f(c);
        c = after;
    }
}
template <class F>
void ForEachChildOldestFirst(ListNode* parent, F&& f) {
    for (ListNode* c = parent ? parent->lastChild : nullptr; c != nullptr;) {
        ListNode* after = c->prev;
        f(c);
        c = after;
    }
}

// Diagnostic print of a subtree, children oldest first, one "%s: %s\n" line
// per node indented by one tab per level.
void PrintSubtree(const ListNode* node, std::FILE* out, int depth = 0) noexcept;

}  // namespace kam
