// The one allocation hook of the library. Every allocation the host makes
// (nodes, payloads, specific-structure copies, index tables) goes through
// Allocate/Release, so that tests can make the Nth allocation fail and can
// count what is still allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace kam {

// Returns nullptr when memory is exhausted (or a test injects a failure).
void* Allocate(std::size_t bytes) noexcept;
// Releases a block from Allocate; nullptr is ignored.
void Release(void* block) noexcept;

// Standard-library allocator over the hook; throws std::bad_alloc on failure,
// which the export guard turns into -2003.
template <class T>
struct HookAllocator {
    using value_type = T;
    HookAllocator() noexcept = default;
    template <class U>
    HookAllocator(const HookAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        void* p = Allocate(n * sizeof(T));
        if (p == nullptr) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { Release(p); }
    template <class U>
    bool operator==(const HookAllocator<U>&) const noexcept { return true; }
};

// Containers whose memory goes through the hook.
using HookString = std::basic_string<char, std::char_traits<char>, HookAllocator<char>>;
template <class T>
using HookVector = std::vector<T, HookAllocator<T>>;

namespace testing {
// Fault injection: the allocation with ordinal `nth` (1-based, counted from
// this call) fails; with `persistent` every later one fails too. 0 disables.
void FailAllocation(std::uint64_t nth, bool persistent) noexcept;
// Whether an injected failure has fired since FailAllocation.
bool AllocationFailureFired() noexcept;
// Blocks currently allocated through the hook (allocations minus releases).
std::int64_t LiveAllocations() noexcept;
// Called for every allocation with its site (the return address into the
// code that called Allocate; nullptr where the compiler cannot tell) and
// whether it was made to fail. nullptr (the default) turns it off.
using AllocationObserver = void (*)(const void* site, bool failed) noexcept;
void ObserveAllocations(AllocationObserver observer) noexcept;
}  // namespace testing

}  // namespace kam
