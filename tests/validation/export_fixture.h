// Fixture of the tests that drive the validation and computation exports as a
// caller does, with fake pattern libraries: each test configures a fake and
// loads a fresh copy of it (a module the host has never seen, so the records
// it registers are the ones configured), records what the EventHandler
// receives, and restores every switch and the handler afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "fake_control.h"
#include "fake_paths.h"
#include "kam/kam.h"
#include "support/agreement.h"

namespace exptest {

constexpr double kNoValue = DBL_MAX;
inline void* NoStruct() { return KAM_NOVALUE_STRUCT; }
constexpr std::int32_t R = KAM_PROPERTY_REQUIRED;
constexpr std::int32_t O = KAM_PROPERTY_OPTIONAL;
constexpr std::int32_t N = KAM_PROPERTY_NOT_REQUIRED;

inline std::vector<int>& Handled() {
    static std::vector<int> codes;
    return codes;
}
inline int KAM_CALL RecordingHandler(KAM_Status code) {
    Handled().push_back(code);
    return 0;
}

// Every queued event, oldest first, taken out of the queue.
inline std::vector<KAM_EventRecord> TakeEvents() {
    std::vector<KAM_EventRecord> events;
    KAM_EventRecord record;
    while (KAM_GetNextEvent(&record) == 0) events.push_back(record);
    return events;
}

inline std::vector<int> Codes(const std::vector<KAM_EventRecord>& events) {
    std::vector<int> codes;
    for (const KAM_EventRecord& e : events) codes.push_back(e.code);
    return codes;
}

inline void SetProperties(fake::PatternConfig& pattern, std::initializer_list<std::int32_t> codes) {
    int i = 0;
    for (std::int32_t c : codes) pattern.paramProperties[i++] = c;
}

using testsupport::SameBits;

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(KAM_IfInited(), 1);
        inputParamValid_ = KAM_IfInputParamValidEnabled();
        contourValid_ = KAM_IfContourValidEnabled();
        eventLog_ = KAM_IfEventLogEnabled();
        handler_ = KAM_GetEventHandler();
        KAM_EnableInputParamValid();
        KAM_EnableContourValid();
        KAM_EnableEventLog();
        KAM_SetUserEventHandler(&RecordingHandler);
        fake::Reset();
        mark_ = 0;
        // The default patterns: one earth ("X_EARTH") and one space
        // ("X_SPACE", with a contour), every parameter optional, so that
        // ordinary values pass cleanly.
        for (const char* module : {"fake_a", "fake_b"}) {
            for (fake::PatternConfig& p : fake::Config(module).patterns) {
                SetProperties(p, {O, O, O, O, O, O, O, O});
            }
        }
        Clear();
    }
    void TearDown() override {
        fake::Reset();
        if (inputParamValid_) KAM_EnableInputParamValid(); else KAM_DisableInputParamValid();
        if (contourValid_) KAM_EnableContourValid(); else KAM_DisableContourValid();
        if (eventLog_) KAM_EnableEventLog(); else KAM_DisableEventLog();
        if (handler_ != nullptr) KAM_SetUserEventHandler(handler_); else KAM_SetNullEventHandler();
        TakeEvents();
    }

    fake::ModuleConfig& Config(const std::string& module = "fake_a") {
        return fake::Config(module);
    }
    fake::PatternConfig& Earth(const std::string& module = "fake_a") {
        return fake::Config(module).patterns[0];
    }
    fake::PatternConfig& Space(const std::string& module = "fake_a") {
        return fake::Config(module).patterns[1];
    }

    // Loads a fresh copy of the module with its current configuration.
    KAM_LibraryId Load(const std::string& module = "fake_a") {
        KAM_LibraryId id = 0;
        const KAM_Status status = KAM_AddLibrary(fake::FreshCopy(module).c_str(), &id);
        EXPECT_EQ(status, 0);
        EXPECT_NE(id, 0);
        Clear();
        return id;
    }

    // Forgets what the handler received and the queue; the calls the fakes
    // logged before are no longer looked at.
    void Clear() {
        Handled().clear();
        TakeEvents();
        mark_ = fake::Log().size();
    }

    // The slot calls the fakes logged since the last Clear (of one kind when
    // what is given), oldest first.
    std::vector<fake::Call> Calls(const std::string& what = "") const {
        std::vector<fake::Call> out;
        const std::vector<fake::Call>& log = fake::Log();
        for (std::size_t i = mark_; i < log.size(); ++i)
            if (what.empty() || log[i].what == what) out.push_back(log[i]);
        return out;
    }
    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        for (const fake::Call& c : Calls()) names.push_back(c.what);
        return names;
    }

private:
    std::size_t mark_ = 0;
    int inputParamValid_ = 1;
    int contourValid_ = 1;
    int eventLog_ = 1;
    KAM_EventHandler handler_ = nullptr;
};

}  // namespace exptest
