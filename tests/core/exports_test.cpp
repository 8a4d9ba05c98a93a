// The state and event-log exports as a caller uses them: switches, sentinels,
// handler setters and their reporting, taking and rendering events.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <string>
#include <vector>

#include "kam/kam.h"

namespace {

std::vector<KAM_Status> g_handled;
int KAM_CALL Recorder(KAM_Status code) {
    g_handled.push_back(code);
    return 0;
}

// Codes of the events the handler found queued when it was called.
std::vector<KAM_Status> g_takenInHandler;
int KAM_CALL Taker(KAM_Status) {
    KAM_EventRecord r;
    while (KAM_GetNextEvent(&r) == 0) g_takenInHandler.push_back(r.code);
    return 0;
}

std::vector<KAM_EventRecord> TakeAll() {
    std::vector<KAM_EventRecord> events;
    KAM_EventRecord r;
    while (KAM_GetNextEvent(&r) == 0) events.push_back(r);
    return events;
}

// Restores every switch and the handler after each case.
class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        handler_ = KAM_GetEventHandler();
        ASSERT_EQ(KAM_IfInited(), 1);
        TakeAll();
        g_handled.clear();
    }
    void TearDown() override {
        KAM_EnableInputParamValid();
        KAM_EnableGainValid();
        KAM_EnableContourValid();
        KAM_EnableEventLog();
        if (handler_ != nullptr) {
            KAM_SetUserEventHandler(handler_);
        } else {
            KAM_SetNullEventHandler();
        }
        TakeAll();
    }
    KAM_EventHandler handler_ = nullptr;
};

TEST_F(Exports, SwitchesStoreOneAndZero) {
    struct Switch {
        const char* what;
        KAM_Status(KAM_CALL* enable)();
        KAM_Status(KAM_CALL* disable)();
        int32_t(KAM_CALL* get)();
    };
    const Switch switches[] = {
        {"InputParamValid", KAM_EnableInputParamValid, KAM_DisableInputParamValid,
         KAM_IfInputParamValidEnabled},
        {"GainValid", KAM_EnableGainValid, KAM_DisableGainValid, KAM_IfGainValidEnabled},
        {"ContourValid", KAM_EnableContourValid, KAM_DisableContourValid,
         KAM_IfContourValidEnabled},
        {"EventLog", KAM_EnableEventLog, KAM_DisableEventLog, KAM_IfEventLogEnabled},
    };
    KAM_SetUserEventHandler(&Recorder);
    for (const Switch& s : switches) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(s.get(), 1);
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(s.disable(), 0);
            EXPECT_EQ(s.get(), 0);
        }
        EXPECT_EQ(s.enable(), 0);
        EXPECT_EQ(s.get(), 1);
    }
    EXPECT_TRUE(g_handled.empty());
}

TEST_F(Exports, SentinelsAndLifecycleNoOps) {
    EXPECT_EQ(KAM_NoValueDouble(), DBL_MAX);
    EXPECT_EQ(KAM_NoValueDouble(), 1.7976931348623157e308);
    EXPECT_EQ(KAM_NoValueStruct(), reinterpret_cast<void*>(1));
    int32_t before = -1;
    ASSERT_EQ(KAM_GetLibraryCount(&before), 0);
    const KAM_LibraryId std = KAM_StdLibraryId();
    // An antenna on the first space pattern of the standard library, if any.
    KAM_AntennaId antenna = 0;
    char names[13 * 64];
    int32_t count = 64;
    if (std != 0 && KAM_GetAllPatternNames(std, KAM_PATTERN_SPACE, &count, names) == 0 &&
        count > 0) {
        KAM_DisableInputParamValid();
        EXPECT_GE(KAM_CreateSpaceAntenna(std, names, 40, 2, KAM_NoValueStruct(), &antenna), 0);
        EXPECT_NE(antenna, 0);
    }
    EXPECT_EQ(KAM_Init(), 0);
    EXPECT_EQ(KAM_Terminate(), 0);
    EXPECT_EQ(KAM_IfInited(), 1);
    EXPECT_EQ(KAM_StdLibraryId(), std);
    int32_t after = -1;
    KAM_GetLibraryCount(&after);
    EXPECT_EQ(after, before);
    if (antenna != 0) {
        EXPECT_EQ(KAM_DeleteAntenna(antenna), 0) << "the antenna survived";
    }
}

TEST_F(Exports, HandlerSettersAndGetter) {
    EXPECT_EQ(KAM_SetDefaultEventHandler(), 0);
    EXPECT_EQ(KAM_GetEventHandler(), &KAM_DefaultEventHandler);
    EXPECT_EQ(KAM_SetUserEventHandler(&Recorder), 0);
    EXPECT_EQ(KAM_GetEventHandler(), &Recorder);
    EXPECT_EQ(KAM_SetNullEventHandler(), 0);
    EXPECT_EQ(KAM_GetEventHandler(), nullptr);
}

TEST_F(Exports, MissingUserHandlerIsReportedToTheHandlerInForce) {
    KAM_SetUserEventHandler(&Recorder);
    EXPECT_EQ(KAM_SetUserEventHandler(nullptr), -1);
    EXPECT_EQ(KAM_GetEventHandler(), &Recorder);
    EXPECT_EQ(g_handled, std::vector<KAM_Status>{-1});
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, -1);
    EXPECT_EQ(events[0].severity, 1);
    EXPECT_STREQ(events[0].text, "Input parameter 1 is wrong.");
    EXPECT_EQ(events[0].textLength, 27);
    EXPECT_STREQ(events[0].libraryName, "");
    EXPECT_STREQ(events[0].patternName, "");
}

TEST_F(Exports, LoggingComesBeforeTheHandler) {
    g_takenInHandler.clear();
    KAM_SetUserEventHandler(&Taker);
    KAM_SetUserEventHandler(nullptr);
    EXPECT_EQ(g_takenInHandler, std::vector<KAM_Status>{-1});
}

TEST_F(Exports, AWarningIsQueuedBeforeTheHandlerRunsAndReturned) {
    if (KAM_StdLibraryId() == 0) GTEST_SKIP() << "standard library not registered";
    g_takenInHandler.clear();
    KAM_SetUserEventHandler(&Taker);
    KAM_LibraryId id = 0;
    EXPECT_EQ(KAM_AddLibrary("KAM_Std.dll", &id), KAM_W_ALREADY_LOADED);
    EXPECT_EQ(id, KAM_StdLibraryId());
    EXPECT_EQ(g_takenInHandler, std::vector<KAM_Status>{KAM_W_ALREADY_LOADED});
    // Again, with the event left in the queue for the caller.
    KAM_SetUserEventHandler(&Recorder);
    EXPECT_EQ(KAM_AddLibrary("KAM_Std.dll", &id), KAM_W_ALREADY_LOADED);
    EXPECT_EQ(g_handled, std::vector<KAM_Status>{KAM_W_ALREADY_LOADED});
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].severity, 2);
    EXPECT_STREQ(events[0].text, "DLL is already loaded.");
    EXPECT_EQ(events[0].textLength, 22);
}

TEST_F(Exports, DefaultHandlerEmptiesTheQueueAfterEveryReport) {
    KAM_SetDefaultEventHandler();
    EXPECT_EQ(KAM_SetUserEventHandler(nullptr), -1);
    KAM_EventRecord r;
    EXPECT_EQ(KAM_GetNextEvent(&r), KAM_E_QUEUE_EMPTY);
    EXPECT_EQ(KAM_DefaultEventHandler(12345), KAM_E_QUEUE_EMPTY);
}

TEST_F(Exports, TheNextFramedCallDiscardsEarlierEvents) {
    KAM_SetUserEventHandler(nullptr);  // queues one event
    EXPECT_EQ(KAM_EnableContourValid(), 0);
    KAM_EventRecord r;
    EXPECT_EQ(KAM_GetNextEvent(&r), KAM_E_QUEUE_EMPTY);

    // The calls that take or render events discard nothing.
    KAM_SetUserEventHandler(nullptr);
    char line[256];
    KAM_EventRecord probe{};
    EXPECT_EQ(KAM_ConvertEventToString(&probe, line), 0);
    EXPECT_EQ(KAM_IfEventLogEnabled(), 1);
    KAM_GetEventHandler();
    EXPECT_EQ(TakeAll().size(), 1u);
}

TEST_F(Exports, GetNextEventArgumentAndSwitch) {
    KAM_SetUserEventHandler(&Recorder);
    KAM_SetUserEventHandler(nullptr);  // one event queued
    g_handled.clear();
    EXPECT_EQ(KAM_GetNextEvent(nullptr), -1);
    EXPECT_EQ(TakeAll().size(), 1u) << "the queue was left as it was";
    EXPECT_EQ(KAM_DisableEventLog(), 0);
    EXPECT_EQ(KAM_GetNextEvent(nullptr), KAM_E_QUEUE_EMPTY) << "the switch comes first";
    KAM_EventRecord r;
    EXPECT_EQ(KAM_GetNextEvent(&r), KAM_E_QUEUE_EMPTY);
    EXPECT_TRUE(g_handled.empty()) << "nothing of this is reported";
}

TEST_F(Exports, WithTheLogOffNothingIsQueuedButTheHandlerIsCalled) {
    KAM_SetUserEventHandler(&Recorder);
    EXPECT_EQ(KAM_DisableEventLog(), 0);
    EXPECT_EQ(KAM_SetUserEventHandler(nullptr), -1);
    EXPECT_EQ(g_handled, std::vector<KAM_Status>{-1});
    EXPECT_EQ(KAM_DefaultEventHandler(-77), -77) << "log off: the code comes back";
    EXPECT_EQ(KAM_EnableEventLog(), 0);
    KAM_EventRecord r;
    EXPECT_EQ(KAM_GetNextEvent(&r), KAM_E_QUEUE_EMPTY);
}

TEST_F(Exports, ConvertEventToStringArguments) {
    KAM_SetUserEventHandler(&Recorder);
    KAM_EventRecord r{};
    r.severity = 2;
    r.code = 2008;
    std::strcpy(r.text, "DLL is already loaded.");
    char line[256];
    EXPECT_EQ(KAM_ConvertEventToString(nullptr, line), -1);
    EXPECT_EQ(KAM_ConvertEventToString(&r, nullptr), -2);
    EXPECT_EQ(KAM_ConvertEventToString(nullptr, nullptr), -1);
    EXPECT_TRUE(g_handled.empty());
    KAM_EventRecord none;
    EXPECT_EQ(KAM_GetNextEvent(&none), KAM_E_QUEUE_EMPTY) << "nothing queued";
    KAM_DisableEventLog();
    EXPECT_EQ(KAM_ConvertEventToString(&r, line), 0);
    EXPECT_EQ(std::string(line), "KAM-> " + std::string(12, ' ') + "/" + std::string(12, ' ') +
                                     "/ Warning#  2008. DLL is already loaded.");
}

TEST_F(Exports, QueuedEventsRenderLikeTheRecordsTheyAre) {
    KAM_SetUserEventHandler(nullptr);
    KAM_EventRecord r;
    ASSERT_EQ(KAM_GetNextEvent(&r), 0);
    char line[256];
    ASSERT_EQ(KAM_ConvertEventToString(&r, line), 0);
    EXPECT_EQ(std::string(line), "KAM-> " + std::string(12, ' ') + "/" + std::string(12, ' ') +
                                     "/ Error  #    -1. Input parameter 1 is wrong.");
}

}  // namespace
