// The global state, the context setters, Initialise and Terminate, and the
// platform's load and unload notifications.
#include "core/state.h"

#include <cstring>

#include "compute/antennas.h"
#include "core/status.h"
#include "libraries/platform.h"
#include "libraries/registry.h"

namespace kam {

// Plain data with constant initialisation: usable from the load notification
// and during termination at process exit.
GlobalState g_state;

namespace {

constexpr const char* kRootName = "TOP";
constexpr char kRootPayload[] = "Toplevel";  // 9 bytes with the NUL
constexpr const char* kEventQueueName = "EVENT LOG";
constexpr const char* kInitLibraryEntry = "LIP_InitLibrary";

bool IsKind(const ListNode* node, NodeKind kind) noexcept {
    return node->kind == static_cast<std::uint32_t>(kind);
}

// Deletes every antenna: libraries, patterns and antennas oldest first.
// 0, -2004 for a node of an unexpected kind, or DeleteAntennaNode's failure.
int DeleteEveryAntenna() noexcept {
    for (ListNode* library = g_state.root->lastChild; library != nullptr;
         library = library->prev) {
        if (!IsKind(library, NodeKind::Package)) return KAM_E_UNKNOWN_LIBRARY;
        for (ListNode* pattern = library->lastChild; pattern != nullptr; pattern = pattern->prev) {
            if (!IsKind(pattern, NodeKind::Pattern)) return KAM_E_UNKNOWN_LIBRARY;
            for (ListNode* antenna = pattern->lastChild; antenna != nullptr;) {
                ListNode* newer = antenna->prev;
                if (!IsKind(antenna, NodeKind::EarthAntenna) &&
                    !IsKind(antenna, NodeKind::SpaceAntenna)) {
                    return KAM_E_UNKNOWN_LIBRARY;
                }
                int status = DeleteAntennaNode(antenna);
                if (status != 0) return status;
                antenna = newer;
            }
        }
    }
    return 0;
}

// Calls the standard library's LIP_InitLibrary, ignoring its result.
void CallStandardInitLibrary() noexcept {
    platform::Platform& os = platform::Current();
    platform::Module module = os.StandardModule();
    if (module == nullptr) return;
    auto entry = reinterpret_cast<KAM_InitLibraryFn>(os.Resolve(module, kInitLibraryEntry));
    if (entry != nullptr) entry();
}

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
// marks the library initialised, drains, and loads the standard library.
// Root failures are returned unreported with nothing left allocated (the
// first root is released when the second cannot be made); the load's status
// is reported and returned, and a non-negative one sets StdLibraryId.
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
    KAM_LibraryId id = KAM_NO_LIBRARY;
    status = LoadPatternLibrary(kStdLibraryFile, &id);
    if (status >= 0) g_state.stdLibraryId = id;
    return ReportStatus(status);
}

// Deletes every antenna, then frees "TOP" and "EVENT LOG". On success the
// library is uninitialised with StdLibraryId and the context reset. A
// failure stops the teardown, is reported (logged when the log is on and
// the code has a row range, handed to the EventHandler) and returned, and
// the library stays initialised.
int Terminate() noexcept {
    if (g_state.initialised == 0) return 0;
    DrainEvents();
    // The registry's lookup caches are let go before the tree is touched,
    // so nothing remembered can outlive a node, even when teardown stops.
    DropPatternIndex();
    int status = DeleteEveryAntenna();
    if (status == 0) {
        status = FreeSubtree(g_state.root);
        if (status == 0) {
            g_state.root = nullptr;
            DropPatternIndex();
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

void OnLoadNotification() noexcept { CallStandardInitLibrary(); }

void OnUnloadNotification() noexcept {
    CallStandardInitLibrary();
    Terminate();
}

}  // namespace kam
