// Exports of the library state: lifecycle no-ops, the sentinels, and the
// validation and GainValid switches.
#include "core/frame.h"
#include "core/list.h"
#include "core/state.h"
#include "kam/kam_plugin.h"

namespace kam {
namespace {

// Sets a plain switch in a full frame; 0, or -2003 when lazy initialisation failed.
KAM_Status SetSwitch(int GlobalState::*field, int value) noexcept {
    return RunExport([&]() -> KAM_Status {
        if (KAM_Status status = EnterFrame(); status != 0) return status;
        g_state.*field = value;
        return ReportStatus(0);
    });
}

// Writes GainValid through the target of every library, oldest first; a
// library without a target is skipped. Always succeeds.
int WriteGainValidIntoLibraries() noexcept {
    for (ListNode* node = g_state.root != nullptr ? g_state.root->lastChild : nullptr;
         node != nullptr; node = node->prev) {
        if (node->kind != static_cast<std::uint32_t>(NodeKind::Package) ||
            node->payload == nullptr || node->payloadSize < sizeof(KAM_LibraryInfo)) {
            continue;
        }
        const auto* info = static_cast<const KAM_LibraryInfo*>(node->payload);
        if (info->gainValidTarget != nullptr) *info->gainValidTarget = g_state.gainValid;
    }
    return 0;
}

KAM_Status SetGainValid(int value) noexcept {
    return RunExport([&]() -> KAM_Status {
        if (KAM_Status status = EnterFrame(); status != 0) return status;
        g_state.gainValid = value;
        return ReportStatus(WriteGainValidIntoLibraries());
    });
}

}  // namespace
}  // namespace kam

using kam::g_state;

extern "C" KAM_API KAM_Status KAM_CALL KAM_Init(void) { return 0; }

extern "C" KAM_API KAM_Status KAM_CALL KAM_Terminate(void) { return 0; }

extern "C" KAM_API int32_t KAM_CALL KAM_IfInited(void) {
    return kam::RunExport([&]() -> KAM_Status {
        if (g_state.initialised == 0) kam::Initialise();
        return g_state.initialised;
    });
}

extern "C" KAM_API double KAM_CALL KAM_NoValueDouble(void) { return kam::kNoValueDouble; }

extern "C" KAM_API void* KAM_CALL KAM_NoValueStruct(void) { return kam::NoValueStruct(); }

extern "C" KAM_API KAM_Status KAM_CALL KAM_EnableInputParamValid(void) {
    return kam::SetSwitch(&kam::GlobalState::inputParamValid, 1);
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_DisableInputParamValid(void) {
    return kam::SetSwitch(&kam::GlobalState::inputParamValid, 0);
}

extern "C" KAM_API int32_t KAM_CALL KAM_IfInputParamValidEnabled(void) {
    return g_state.inputParamValid;
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_EnableGainValid(void) { return kam::SetGainValid(1); }

extern "C" KAM_API KAM_Status KAM_CALL KAM_DisableGainValid(void) { return kam::SetGainValid(0); }

extern "C" KAM_API int32_t KAM_CALL KAM_IfGainValidEnabled(void) { return g_state.gainValid; }

extern "C" KAM_API KAM_Status KAM_CALL KAM_EnableContourValid(void) {
    return kam::SetSwitch(&kam::GlobalState::contourValid, 1);
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_DisableContourValid(void) {
    return kam::SetSwitch(&kam::GlobalState::contourValid, 0);
}

extern "C" KAM_API int32_t KAM_CALL KAM_IfContourValidEnabled(void) {
    return g_state.contourValid;
}
