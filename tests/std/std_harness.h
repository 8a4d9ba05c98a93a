// Test harness for the standard pattern library: reaches a pattern's slots
// through the library's own LIP_GetLibraryInfo (as a host does), captures the
// events it queues, sets the values a host writes into it, and holds the
// fixtures and small numeric helpers every family's test shares.
#pragma once

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "kam/kam.h"
#include "kam/kam_plugin.h"

namespace stdtest {

struct CapturedEvent {
    int code;
    std::string text;
};

inline std::vector<CapturedEvent>& Events() {
    static std::vector<CapturedEvent> events;
    return events;
}

inline void KAM_CALL CaptureSink(KAM_EventRecord* record) {
    Events().push_back({record->code, std::string(record->text)});
}

// The library record as the library hands it over, with the host's values
// written into it (NoValue sentinels, GainValid) and a capturing sink.
inline const KAM_LibraryInfo& Library(int gainValid = 1) {
    static KAM_LibraryInfo info;
    static bool loaded = false;
    if (!loaded) {
        std::memset(&info, 0, sizeof info);
        LIP_SetEventLogHandler(&CaptureSink);
        LIP_InitLibrary();
        LIP_GetLibraryInfo(&info);
        *info.noValueDoubleTarget = DBL_MAX;
        *info.noValueStructTarget = KAM_NOVALUE_STRUCT;
        loaded = true;
    }
    *info.gainValidTarget = gainValid;
    Events().clear();
    return info;
}

// The pattern record of a name, or nullptr.
inline const KAM_PatternInfo* Pattern(const char* name) {
    const KAM_LibraryInfo& lib = Library();
    for (int i = 0; i < lib.patternCount; ++i)
        if (std::strcmp(lib.patterns[i].name, name) == 0) return &lib.patterns[i];
    return nullptr;
}

constexpr double kNoValue = DBL_MAX;
constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
inline double lg(double x) { return std::log10(x); }

// The specific structure of a call: the NoValue structure when no field is given.
inline void* Specific(std::vector<double>& fields) {
    return fields.empty() ? KAM_NOVALUE_STRUCT : fields.data();
}

// Slot tests: the capturing sink is the library's during the test, and
// GainValid is back at 1 afterwards.
class SlotTest : public ::testing::Test {
protected:
    void SetUp() override { LIP_SetEventLogHandler(&CaptureSink); }
    void TearDown() override { Library(1); }

    static const KAM_PatternInfo& P(const char* name) {
        const KAM_PatternInfo* p = Pattern(name);
        if (p == nullptr) ADD_FAILURE() << name << " missing";
        return *p;
    }
};

// Tests through the host's exports: both validation switches on and the
// event queue kept for the test to read (null handler, log enabled); the
// switches and the handler are restored afterwards, and the library gets the
// slot tests' capturing sink back.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(KAM_IfInited(), 1);
        handler_ = KAM_GetEventHandler();
        input_ = KAM_IfInputParamValidEnabled();
        gainValid_ = KAM_IfGainValidEnabled();
        KAM_SetNullEventHandler();
        KAM_EnableEventLog();  // hands the host's sink back to the library
        KAM_EnableInputParamValid();
        KAM_EnableGainValid();
        DrainEvents();
    }
    void TearDown() override {
        input_ ? KAM_EnableInputParamValid() : KAM_DisableInputParamValid();
        gainValid_ ? KAM_EnableGainValid() : KAM_DisableGainValid();
        KAM_SetUserEventHandler(handler_);
        LIP_SetEventLogHandler(&CaptureSink);
        Library(1);
    }
    // The queued events, oldest first (at most 16), leaving the queue empty.
    static std::vector<KAM_EventRecord> TakeEvents() {
        std::vector<KAM_EventRecord> events;
        KAM_EventRecord e;
        while (events.size() < 16 && KAM_GetNextEvent(&e) == 0) events.push_back(e);
        DrainEvents();
        return events;
    }
    static void DrainEvents() {
        KAM_EventRecord e;
        while (KAM_GetNextEvent(&e) == 0) {
        }
    }

private:
    KAM_EventHandler handler_ = nullptr;
    int input_ = 1, gainValid_ = 1;
};

}  // namespace stdtest
