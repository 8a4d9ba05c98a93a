// The libraries layer's part in the lifecycle: the standard library loaded
// by Initialise, the lookup caches dropped by Terminate, and the platform's
// load and unload notifications.
#include "core/lifecycle.h"
#include "core/state.h"
#include "libraries/platform.h"
#include "libraries/registry.h"

namespace kam {
namespace {

constexpr const char* kInitLibraryEntry = "LIP_InitLibrary";

// Loads the standard library; a non-negative status sets StdLibraryId.
int LoadStandardLibrary() noexcept {
    KAM_LibraryId id = KAM_NO_LIBRARY;
    const int status = LoadPatternLibrary(kStdLibraryFile, &id);
    if (status >= 0) g_state.stdLibraryId = id;
    return status;
}

// Calls the standard library's LIP_InitLibrary, ignoring its result.
void CallStandardInitLibrary() noexcept {
    platform::Platform& os = platform::Current();
    platform::Module module = os.StandardModule();
    if (module == nullptr) return;
    auto entry = reinterpret_cast<KAM_InitLibraryFn>(os.Resolve(module, kInitLibraryEntry));
    if (entry != nullptr) entry();
}

[[maybe_unused]] const bool kRegistered = RegisterLifecycleHook(
    Layer::Libraries, {.initialise = &LoadStandardLibrary, .forget = &DropPatternIndex});

}  // namespace

void OnLoadNotification() noexcept { CallStandardInitLibrary(); }

void OnUnloadNotification() noexcept {
    CallStandardInitLibrary();
    Terminate();
}

}  // namespace kam
