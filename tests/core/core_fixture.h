// Shared fixture of the internal core tests: the library initialised with an
// empty queue, a recording EventHandler at hand, and every switch, the
// handler, the platform and fault injection restored afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/alloc.h"
#include "core/list.h"
#include "core/state.h"
#include "core/status.h"
#include "libraries/platform.h"

namespace coretest {

inline std::vector<int>& Handled() {
    static std::vector<int> codes;
    return codes;
}

inline int KAM_CALL RecordingHandler(KAM_Status code) {
    Handled().push_back(code);
    return 0;
}

// Every queued event, oldest first, taken out of the queue.
inline std::vector<KAM_EventRecord> TakeAll() {
    std::vector<KAM_EventRecord> events;
    KAM_EventRecord record;
    while (kam::TakeNextEvent(&record) == 0) events.push_back(record);
    return events;
}

inline std::size_t QueuedCount() {
    std::size_t n = 0;
    for (auto* c = kam::g_state.eventQueue ? kam::g_state.eventQueue->firstChild : nullptr; c;
         c = c->next) {
        ++n;
    }
    return n;
}

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = kam::g_state;
        kam::Initialise();
        kam::DrainEvents();
        Handled().clear();
    }
    void TearDown() override {
        kam::testing::FailAllocation(0, false);
        kam::platform::SetForTesting(nullptr);
        kam::g_state.inputParamValid = saved_.inputParamValid;
        kam::g_state.gainValid = saved_.gainValid;
        kam::g_state.contourValid = saved_.contourValid;
        kam::g_state.eventLog = saved_.eventLog;
        kam::g_state.eventHandler = saved_.eventHandler;
        kam::DrainEvents();
        Handled().clear();
    }
    void UseRecordingHandler() { kam::g_state.eventHandler = &RecordingHandler; }

private:
    kam::GlobalState saved_;
};

}  // namespace coretest
