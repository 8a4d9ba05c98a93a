// The global state, the context setters, and Initialise and Terminate,
// which hand the layers above core their part through the lifecycle hooks.
#include "core/state.h"

#include <cstring>

#include "core/lifecycle.h"
#include "core/status.h"

namespace kam {

// Plain data with constant initialisation: usable from the load notification
// and during termination at process exit.
GlobalState g_state;

namespace {

constexpr const char* kRootName = "TOP";
constexpr char kRootPayload[] = "Toplevel";  // 9 bytes with the NUL
constexpr const char* kEventQueueName = "EVENT LOG";

}  // namespace

void SetCurrentPatternName(const char* name) noexcept {
    char* field = g_state.currentPatternName;
    std::size_t length = 0;
    if (name != nullptr) {
        length = strnlen(name, kPatternNameSize - 1);
        std::memcpy(field, name, length);
    }
    std::memset(field + length, 0, sizeof g_state.currentPatternName - length);
}

// Creates the roots ("TOP" with its 9-byte payload, then "EVENT LOG"),
// marks the library initialised, drains, and runs the initialise hooks (the
// libraries layer loads the standard library there and sets StdLibraryId).
// Root failures are returned unreported with nothing left allocated (the
// first root is released when the second cannot be made); the hooks'
// combined status is reported and returned.
int Initialise() noexcept {
    if (g_state.initialised != 0) return 0;
    ListNode* root = nullptr;
    int status = CreateNode(NodeKind::TopLevel, sizeof kRootPayload, kRootPayload, kRootName, &root);
    if (status != 0) return status;
    ListNode* queue = nullptr;
    status = CreateNode(NodeKind::TopLevel, 0, nullptr, kEventQueueName, &queue);
    if (status != 0) {
        FreeNode(root);
        return status;
    }
    g_state.root = root;
    g_state.eventQueue = queue;
    g_state.initialised = 1;
    DrainEvents();
    return ReportStatus(RunInitialiseHooks());
}

// Runs the release hooks (the compute layer deletes every antenna there),
// then frees "TOP" and "EVENT LOG"; the forget hooks run before and after
// the tree is freed. On success the
// library is uninitialised with StdLibraryId and the context reset. A
// failure stops the teardown, is reported (logged when the log is on and
// the code has a row range, handed to the EventHandler) and returned, and
// the library stays initialised.
int Terminate() noexcept {
    if (g_state.initialised == 0) return 0;
    DrainEvents();
    // Lookup caches are let go before the tree is touched, so nothing
    // remembered can outlive a node, even when teardown stops.
    RunForgetHooks();
    int status = RunReleaseHooks();
    if (status == 0) {
        status = FreeSubtree(g_state.root);
        if (status == 0) {
            g_state.root = nullptr;
            RunForgetHooks();
        }
    }
    if (status == 0) {
        status = FreeSubtree(g_state.eventQueue);
        if (status == 0) g_state.eventQueue = nullptr;
    }
    if (status != 0) return ReportStatus(status);
    g_state.initialised = 0;
    g_state.stdLibraryId = KAM_NO_LIBRARY;
    ClearContext();
    return 0;
}

}  // namespace kam
