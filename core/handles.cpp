// Handle numbers and the map from number to live node. The map is an
// open-addressing table in one block from the allocation hook, released when
// it empties; it holds plain data only, so it stays usable during termination
// at process exit.
#include "core/handles.h"

#include <cstring>

#include "core/alloc.h"
#include "kam/kam.h"

namespace kam {
namespace {

struct Slot {
    std::uintptr_t number;  // 0: empty (0 is never issued)
    ListNode* node;
};

constexpr std::size_t kInitialCapacity = 16;  // a power of two

Slot* g_slots = nullptr;
std::size_t g_capacity = 0;  // a power of two, or 0 without a table
std::size_t g_count = 0;
std::uintptr_t g_last = 0;  // the number issued last

constexpr std::uintptr_t kAllBits = ~static_cast<std::uintptr_t>(0);

std::size_t Home(std::uintptr_t number, std::size_t capacity) noexcept {
    // Fibonacci hashing spreads consecutive numbers over the table.
    std::uint64_t h = static_cast<std::uint64_t>(number) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h >> 32) & (capacity - 1);
}

Slot* Find(std::uintptr_t number) noexcept {
    if (g_capacity == 0 || number == 0) return nullptr;
    for (std::size_t i = Home(number, g_capacity);; i = (i + 1) & (g_capacity - 1)) {
        if (g_slots[i].number == number) return &g_slots[i];
        if (g_slots[i].number == 0) return nullptr;
    }
}

void Place(Slot* slots, std::size_t capacity, std::uintptr_t number, ListNode* node) noexcept {
    std::size_t i = Home(number, capacity);
    while (slots[i].number != 0) i = (i + 1) & (capacity - 1);
    slots[i].number = number;
    slots[i].node = node;
}

// Makes room for one more entry at a load of at most one half. 0 or -2003.
int Reserve() noexcept {
    if ((g_count + 1) * 2 <= g_capacity) return 0;
    std::size_t capacity = g_capacity == 0 ? kInitialCapacity : g_capacity * 2;
    auto* slots = static_cast<Slot*>(Allocate(capacity * sizeof(Slot)));
    if (slots == nullptr) return KAM_E_NO_MEMORY;
    std::memset(slots, 0, capacity * sizeof(Slot));
    for (std::size_t i = 0; i < g_capacity; ++i) {
        if (g_slots[i].number != 0) Place(slots, capacity, g_slots[i].number, g_slots[i].node);
    }
    Release(g_slots);
    g_slots = slots;
    g_capacity = capacity;
    return 0;
}

// Removes a slot and moves later entries of its probe run back into the gap.
void Erase(Slot* slot) noexcept {
    std::size_t gap = static_cast<std::size_t>(slot - g_slots);
    std::size_t mask = g_capacity - 1;
    for (std::size_t i = (gap + 1) & mask; g_slots[i].number != 0; i = (i + 1) & mask) {
        std::size_t home = Home(g_slots[i].number, g_capacity);
        // The entry may move into the gap when its home is not cyclically in (gap, i].
        bool homeAfterGap = gap <= i ? (gap < home && home <= i) : (gap < home || home <= i);
        if (!homeAfterGap) {
            g_slots[gap] = g_slots[i];
            gap = i;
        }
    }
    g_slots[gap].number = 0;
    g_slots[gap].node = nullptr;
    if (--g_count == 0) {
        Release(g_slots);
        g_slots = nullptr;
        g_capacity = 0;
    }
}

// The next number after g_last that is neither 0, all bits, nor in use.
// Unsigned arithmetic wraps where intptr_t is 32 bits.
std::uintptr_t NextFreeNumber() noexcept {
    std::uintptr_t number = g_last;
    do {
        ++number;
    } while (number == 0 || number == kAllBits || Find(number) != nullptr);
    return number;
}

}  // namespace

// Gives node a fresh number and records it (a node that already has one keeps
// it). 0, or -2003 with the node unchanged.
int IssueHandle(ListNode* node) noexcept {
    if (node == nullptr) return KAM_E_INTERNAL;
    if (node->handle != 0) return 0;
    if (Reserve() != 0) return KAM_E_NO_MEMORY;
    std::uintptr_t number = NextFreeNumber();
    Place(g_slots, g_capacity, number, node);
    ++g_count;
    g_last = number;
    node->handle = static_cast<std::intptr_t>(number);
    return 0;
}

void RetireHandle(ListNode* node) noexcept {
    if (node == nullptr || node->handle == 0) return;
    if (handles_detail::g_lastHandle == node->handle) {
        handles_detail::g_lastHandle = 0;
        handles_detail::g_lastNode = nullptr;
    }
    Slot* slot = Find(static_cast<std::uintptr_t>(node->handle));
    if (slot != nullptr && slot->node == node) Erase(slot);
    node->handle = 0;
}

namespace handles_detail {

std::intptr_t g_lastHandle = 0;
ListNode* g_lastNode = nullptr;

ListNode* Lookup(std::intptr_t handle) noexcept {
    Slot* slot = Find(static_cast<std::uintptr_t>(handle));
    if (slot == nullptr) return nullptr;
    g_lastHandle = handle;
    g_lastNode = slot->node;
    return slot->node;
}

}  // namespace handles_detail

namespace testing {
void SetNextHandle(std::uintptr_t number) noexcept { g_last = number - 1; }
std::size_t LiveHandleCount() noexcept { return g_count; }
}  // namespace testing

}  // namespace kam
