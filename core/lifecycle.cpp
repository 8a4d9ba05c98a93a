// The lifecycle hook table: one slot per layer above core, filled by the
// layers' registrars and walked by Initialise and Terminate.
#include "core/lifecycle.h"

namespace kam {
namespace {

constexpr int kLayerCount = static_cast<int>(Layer::Count);

// Constant-initialised (all null) before any registrar runs, and plain data
// with no destructor, so Terminate can use it at process exit.
constinit LifecycleHook g_hooks[kLayerCount] = {};
constinit bool g_taken[kLayerCount] = {};

}  // namespace

bool RegisterLifecycleHook(Layer layer, const LifecycleHook& hook) noexcept {
    const int slot = static_cast<int>(layer);
    if (slot < 0 || slot >= kLayerCount || g_taken[slot]) return false;
    g_hooks[slot] = hook;
    g_taken[slot] = true;
    return true;
}

int RunInitialiseHooks() noexcept {
    int result = 0;
    for (const LifecycleHook& hook : g_hooks) {
        if (hook.initialise == nullptr) continue;
        const int status = hook.initialise();
        if (status < 0) return status;
        if (status > 0) result = status;
    }
    return result;
}

void RunForgetHooks() noexcept {
    for (int slot = kLayerCount - 1; slot >= 0; --slot) {
        if (g_hooks[slot].forget != nullptr) g_hooks[slot].forget();
    }
}

int RunReleaseHooks() noexcept {
    for (int slot = kLayerCount - 1; slot >= 0; --slot) {
        if (g_hooks[slot].release == nullptr) continue;
        if (const int status = g_hooks[slot].release(); status != 0) return status;
    }
    return 0;
}

}  // namespace kam
