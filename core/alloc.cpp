// The allocation hook: malloc and free underneath, with a count of live
// blocks and the fault injection that out-of-memory tests drive.
#include "core/alloc.h"

#include <cstdlib>

namespace kam {
namespace {

// Plain integers only: the hook runs during termination at process exit, so
// it must not depend on objects with destructors.
std::int64_t g_live = 0;
std::uint64_t g_countdown = 0;  // allocations left before the injected failure; 0: none armed
bool g_persistent = false;
bool g_failing = false;  // a persistent failure has fired
bool g_fired = false;
testing::AllocationObserver g_observer = nullptr;

// Whether this allocation is to fail.
bool InjectFailure() noexcept {
    if (g_failing) return true;
    if (g_countdown == 0) return false;
    if (--g_countdown != 0) return false;
    g_fired = true;
    g_failing = g_persistent;
    return true;
}

}  // namespace

void* Allocate(std::size_t bytes) noexcept {
    const bool fail = InjectFailure();
    if (g_observer != nullptr) {
#if defined(__GNUC__)
        g_observer(__builtin_extract_return_addr(__builtin_return_address(0)), fail);
#else
        g_observer(nullptr, fail);
#endif
    }
    if (fail) return nullptr;
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block != nullptr) ++g_live;
    return block;
}

void Release(void* block) noexcept {
    if (block == nullptr) return;
    --g_live;
    std::free(block);
}

namespace testing {

void FailAllocation(std::uint64_t nth, bool persistent) noexcept {
    g_countdown = nth;
    g_persistent = persistent;
    g_failing = false;
    g_fired = false;
}

bool AllocationFailureFired() noexcept { return g_fired; }

std::int64_t LiveAllocations() noexcept { return g_live; }

void ObserveAllocations(AllocationObserver observer) noexcept { g_observer = observer; }

}  // namespace testing
}  // namespace kam
