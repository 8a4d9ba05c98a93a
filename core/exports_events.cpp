// Exports of the event log: the switch, taking and rendering events, and the
// EventHandler setters, getter and default handler.
#include "core/frame.h"
#include "core/state.h"
#include "core/status.h"

using kam::g_state;

namespace {

// Sets the event-log switch in a full frame and hands the sink (or none) to
// every library. A negative walk result is reported and returned; any other
// gives 0. The switch keeps its new value either way.
KAM_Status SetEventLog(int value) noexcept {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        g_state.eventLog = value;
        int walk = kam::UpdateLibrarySinks();
        if (walk < 0) return kam::ReportStatus(walk);
        return 0;
    });
}

}  // namespace

extern "C" KAM_API KAM_Status KAM_CALL KAM_EnableEventLog(void) { return SetEventLog(1); }

extern "C" KAM_API KAM_Status KAM_CALL KAM_DisableEventLog(void) { return SetEventLog(0); }

extern "C" KAM_API int32_t KAM_CALL KAM_IfEventLogEnabled(void) { return g_state.eventLog; }

// Initialises when needed; no DrainEvents; nothing reported. -2007 with the
// log off (before the argument is looked at) or an empty (or missing) queue.
extern "C" KAM_API KAM_Status KAM_CALL KAM_GetNextEvent(KAM_EventRecord* event) {
    return kam::RunExport([&]() -> KAM_Status {
        if (g_state.initialised == 0) kam::Initialise();
        if (g_state.eventLog == 0) return KAM_E_QUEUE_EMPTY;
        kam::ClearContext();
        if (event == nullptr) return -1;
        return kam::TakeNextEvent(event);
    });
}

// Initialises when needed; no DrainEvents; nothing reported. Works with the
// log off; reads only the five rendered fields of the record.
extern "C" KAM_API KAM_Status KAM_CALL KAM_ConvertEventToString(const KAM_EventRecord* event,
                                                                char* line) {
    return kam::RunExport([&]() -> KAM_Status {
        if (g_state.initialised == 0) kam::Initialise();
        kam::ClearContext();
        if (event == nullptr) return -1;
        if (line == nullptr) return -2;
        kam::RenderEventLine(*event, line);
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_SetDefaultEventHandler(void) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        g_state.eventHandler = &KAM_DefaultEventHandler;
        return 0;
    });
}

extern "C" KAM_API KAM_Status KAM_CALL KAM_SetNullEventHandler(void) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        g_state.eventHandler = nullptr;
        return 0;
    });
}

// A missing handler is parameter 1: reported (to the handler in force too),
// and the handler stays as it was.
extern "C" KAM_API KAM_Status KAM_CALL KAM_SetUserEventHandler(KAM_EventHandler handler) {
    return kam::RunExport([&]() -> KAM_Status {
        if (KAM_Status status = kam::EnterFrame(); status != 0) return status;
        if (handler == nullptr) return kam::ReportStatus(-1);
        g_state.eventHandler = handler;
        return 0;
    });
}

extern "C" KAM_API KAM_EventHandler KAM_CALL KAM_GetEventHandler(void) {
    return g_state.eventHandler;
}

// Initialises when needed, then empties the queue: -2007 once it is empty.
// With the log off it returns code, or Initialise's result when it ran.
extern "C" KAM_API int KAM_CALL KAM_DefaultEventHandler(KAM_Status code) {
    return kam::RunExport([&]() -> KAM_Status {
        bool initialisedNow = false;
        int initStatus = 0;
        if (g_state.initialised == 0) {
            initStatus = kam::Initialise();
            initialisedNow = true;
        }
        if (g_state.eventLog == 0) return initialisedNow ? initStatus : code;
        KAM_EventRecord scratch;
        int status;
        do {
            status = kam::TakeNextEvent(&scratch);
        } while (status == 0);
        return status;
    });
}
