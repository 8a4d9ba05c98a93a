// The LIST module: creation, linking, unlinking and release of tree nodes,
// and the diagnostic print of a subtree.
#include "core/list.h"

#include <cstring>

#include "core/alloc.h"
#include "core/handles.h"
#include "kam/kam.h"

namespace kam {
namespace {

// Names of the node kinds, indexed by value.
constexpr const char* kKindNames[] = {
    "- no value -", "TOPLEVEL", "PACKAGE", "PATTERN", "EARTH-ANTENNA",
    "SPACE-ANTENNA", "ERROR_DESCRIPTION", "OTHER",
};
constexpr std::uint32_t kKindCount = sizeof(kKindNames) / sizeof(kKindNames[0]);

}  // namespace

const char* NodeKindName(std::uint32_t kind) noexcept {
    return kind < kKindCount ? kKindNames[kind] : kKindNames[0];
}

bool KindHasHandle(NodeKind kind) noexcept {
    return kind == NodeKind::Package || kind == NodeKind::Pattern ||
           kind == NodeKind::EarthAntenna || kind == NodeKind::SpaceAntenna;
}

// A new unlinked node with a private copy of payloadSize bytes of source
// (no payload without a source). The name is cut to 63 characters; a missing
// name gives "". 0, or -2003 with nothing allocated.
int CreateNode(NodeKind kind, std::uint32_t payloadSize, const void* source, const char* name,
               ListNode** out) noexcept {
    if (out != nullptr) *out = nullptr;
    auto* node = static_cast<ListNode*>(Allocate(sizeof(ListNode)));
    if (node == nullptr) return KAM_E_NO_MEMORY;
    std::memset(node, 0, sizeof(ListNode));
    if (source != nullptr) {
        node->payload = Allocate(payloadSize);
        if (node->payload == nullptr) {
            Release(node);
            return KAM_E_NO_MEMORY;
        }
        if (payloadSize != 0) std::memcpy(node->payload, source, payloadSize);
    }
    node->kind = static_cast<std::uint32_t>(kind);
    node->payloadSize = payloadSize;
    if (name != nullptr) {
        std::size_t length = strnlen(name, kNodeNameSize - 1);
        std::memcpy(node->name, name, length);
        node->name[length] = '\0';
    }
    if (out != nullptr) {
        *out = node;
    } else {
        FreeNode(node);  // nobody could own it
    }
    return 0;
}

// Creates a node, issues its handle when its kind carries one, and makes it
// parent's firstChild. 0; -2003 with nothing created; -4001 without a parent.
int AddChild(ListNode* parent, NodeKind kind, std::uint32_t payloadSize, const void* source,
             const char* name, ListNode** out) noexcept {
    if (out != nullptr) *out = nullptr;
    if (parent == nullptr) return KAM_E_LIST;
    ListNode* node = nullptr;
    int status = CreateNode(kind, payloadSize, source, name, &node);
    if (status != 0) return status;
    if (KindHasHandle(kind)) {
        status = IssueHandle(node);
        if (status != 0) {
            FreeNode(node);
            return status;
        }
    }
    node->parent = parent;
    if (parent->firstChild != nullptr) {
        parent->firstChild->prev = node;
        node->next = parent->firstChild;
    } else {
        node->next = nullptr;
        parent->lastChild = node;
    }
    parent->firstChild = node;
    if (out != nullptr) *out = node;
    return 0;
}

int Unlink(ListNode* node) noexcept {
    if (node == nullptr || node->parent == nullptr) return KAM_E_LIST;
    ListNode* parent = node->parent;
    ListNode* n = node->next;
    ListNode* v = node->prev;
    if (n != nullptr) {
        n->prev = v;
    } else {
        parent->lastChild = v;
    }
    if (v != nullptr) {
        v->next = n;
    } else {
        parent->firstChild = n;
    }
    node->parent = nullptr;
    node->next = nullptr;
    node->prev = nullptr;
    return 0;
}

// Releases payload and node and retires the node's handle. -4001 (nothing
// released) while the node is linked or has children.
int FreeNode(ListNode* node) noexcept {
    if (node == nullptr || node->parent != nullptr || node->firstChild != nullptr ||
        node->lastChild != nullptr) {
        return KAM_E_LIST;
    }
    RetireHandle(node);
    Release(node->payload);
    node->payload = nullptr;
    node->kind = static_cast<std::uint32_t>(NodeKind::None);
    Release(node);
    return 0;
}

// Children are released oldest first; the parent's child links follow each
// release, so a failure leaves a consistent tree of what remains. A node that
// is still linked to a parent is refused with -4001 (nothing released):
// releasing it would leave its parent pointing at freed memory.
int FreeSubtree(ListNode* node) noexcept {
    if (node == nullptr) return 0;
    if (node->parent != nullptr) return KAM_E_LIST;
    for (ListNode* child = node->lastChild; child != nullptr;) {
        ListNode* newer = child->prev;
        child->parent = nullptr;
        child->next = nullptr;
        child->prev = nullptr;
        int status = FreeSubtree(child);
        if (status != 0) {
            child->parent = node;
            child->prev = newer;
            return status;
        }
        node->lastChild = newer;
        if (newer != nullptr) {
            newer->next = nullptr;
        } else {
            node->firstChild = nullptr;
        }
        child = newer;
    }
    node->parent = nullptr;
    node->next = nullptr;
    node->prev = nullptr;
    node->lastChild = nullptr;
    node->firstChild = nullptr;
    return FreeNode(node);
}

void DetachPayload(ListNode* node, void** payload, std::uint32_t* size) noexcept {
    if (payload != nullptr) *payload = node != nullptr ? node->payload : nullptr;
    if (size != nullptr) *size = node != nullptr ? node->payloadSize : 0;
    if (node == nullptr) return;
    node->payload = nullptr;
    node->payloadSize = 0;
}

void PrintSubtree(const ListNode* node, std::FILE* out, int depth) noexcept {
    if (node == nullptr || out == nullptr) return;
    for (int i = 0; i < depth; ++i) std::fputc('\t', out);
    std::fprintf(out, "%s: %s\n", NodeKindName(node->kind), node->name);
    for (const ListNode* child = node->lastChild; child != nullptr; child = child->prev) {
        PrintSubtree(child, out, depth + 1);
    }
}

}  // namespace kam
