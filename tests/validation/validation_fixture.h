// Fixture of the internal validation tests: the library initialised with an
// empty queue and no context, the switches and handler restored afterwards,
// and helpers to take the queued events and to build expected messages with
// the C library's own formatter.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/status.h"

namespace valtest {

// Every queued event, oldest first, taken out of the queue.
inline std::vector<KAM_EventRecord> TakeAll() {
    std::vector<KAM_EventRecord> events;
    KAM_EventRecord record;
    while (kam::TakeNextEvent(&record) == 0) events.push_back(record);
    return events;
}

inline std::vector<std::string> Texts(const std::vector<KAM_EventRecord>& events) {
    std::vector<std::string> texts;
    for (const KAM_EventRecord& e : events) texts.emplace_back(e.text);
    return texts;
}

// printf formatting in the test process's locale ("C" unless a test changes it).
inline std::string Printf(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

class ValidationTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = kam::g_state;
        kam::Initialise();
        kam::g_state.eventLog = 1;
        kam::g_state.contourValid = 1;
        kam::g_state.inputParamValid = 1;
        kam::DrainEvents();
    }
    void TearDown() override {
        kam::g_state.inputParamValid = saved_.inputParamValid;
        kam::g_state.gainValid = saved_.gainValid;
        kam::g_state.contourValid = saved_.contourValid;
        kam::g_state.eventLog = saved_.eventLog;
        kam::g_state.eventHandler = saved_.eventHandler;
        kam::DrainEvents();
    }

private:
    kam::GlobalState saved_;
};

}  // namespace valtest
