// Initialisation and termination, lazy initialisation when memory runs out,
// deferred release of nodes deleted during a call, and the walks over the
// libraries (sinks and GainValid) through a fake platform and hand-made
// library nodes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/frame.h"
#include "core/handles.h"
#include "core_fixture.h"

namespace {

using coretest::CoreTest;
using coretest::Handled;
using coretest::TakeAll;

// ---- Initialise and Terminate -----------------------------------------

TEST_F(CoreTest, InitialiseBuildsTheTwoRoots) {
    const kam::ListNode* root = kam::g_state.root;
    const kam::ListNode* queue = kam::g_state.eventQueue;
    ASSERT_NE(root, nullptr);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(kam::g_state.initialised, 1);
    EXPECT_EQ(root->kind, 1u);
    EXPECT_STREQ(root->name, "TOP");
    ASSERT_EQ(root->payloadSize, 9u);
    EXPECT_EQ(std::memcmp(root->payload, "Toplevel", 9), 0);
    EXPECT_EQ(queue->kind, 1u);
    EXPECT_STREQ(queue->name, "EVENT LOG");
    EXPECT_EQ(queue->payload, nullptr);
    EXPECT_EQ(queue->payloadSize, 0u);
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(queue->parent, nullptr);
    EXPECT_EQ(kam::Initialise(), 0) << "a second Initialise does nothing";
    EXPECT_EQ(kam::g_state.root, root);
}

TEST_F(CoreTest, TerminateReleasesTheTreeAndResetsIdsAndContext) {
    kam::QueueEvent(-1, "dropped");
    kam::SetCurrentLibrary(5);
    kam::SetCurrentPatternName("PAT");
    ASSERT_EQ(kam::Terminate(), 0);
    EXPECT_EQ(kam::g_state.initialised, 0);
    EXPECT_EQ(kam::g_state.root, nullptr);
    EXPECT_EQ(kam::g_state.eventQueue, nullptr);
    EXPECT_EQ(kam::g_state.stdLibraryId, 0);
    EXPECT_EQ(kam::g_state.currentLibrary, 0);
    EXPECT_STREQ(kam::g_state.currentPatternName, "");
    EXPECT_EQ(kam::Terminate(), 0) << "terminating twice is harmless";
    const std::int64_t live = kam::testing::LiveAllocations();
    kam::Initialise();
    ASSERT_EQ(kam::Terminate(), 0);
    EXPECT_EQ(kam::testing::LiveAllocations(), live) << "a cycle leaks nothing";
}

TEST_F(CoreTest, TerminateStopsAtANodeOfAnUnexpectedKind) {
    UseRecordingHandler();
    kam::ListNode* stray = nullptr;
    ASSERT_EQ(kam::AddChild(kam::g_state.root, kam::NodeKind::Other, 0, nullptr, "stray", &stray),
              0);
    EXPECT_EQ(kam::Terminate(), KAM_E_UNKNOWN_LIBRARY);
    EXPECT_EQ(kam::g_state.initialised, 1);
    EXPECT_EQ(Handled(), std::vector<int>{KAM_E_UNKNOWN_LIBRARY});
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_STREQ(events[0].text, "Unknown library. Wrong LibraryId.");
    ASSERT_EQ(kam::Unlink(stray), 0);
    ASSERT_EQ(kam::FreeNode(stray), 0);
}

// ---- Lazy initialisation without memory --------------------------------

class LazyInitTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(kam::Terminate(), 0);
        UseRecordingHandler();
    }
    void TearDown() override {
        kam::testing::FailAllocation(0, false);
        kam::Initialise();
        CoreTest::TearDown();
    }
};

TEST_F(LazyInitTest, FullFrameExportsFailWithMemoryErrorAndChangeNothing) {
    struct Export {
        const char* what;
        KAM_Status (*call)();
        int* switchField;  // the switch it would change, or nullptr
        int unchanged;
    };
    const Export exports[] = {
        {"EnableInputParamValid", [] { return KAM_EnableInputParamValid(); },
         &kam::g_state.inputParamValid, 0},
        {"DisableGainValid", [] { return KAM_DisableGainValid(); }, &kam::g_state.gainValid, 1},
        {"EnableContourValid", [] { return KAM_EnableContourValid(); },
         &kam::g_state.contourValid, 0},
        {"DisableEventLog", [] { return KAM_DisableEventLog(); }, &kam::g_state.eventLog, 1},
        {"SetNullEventHandler", [] { return KAM_SetNullEventHandler(); }, nullptr, 0},
        {"SetDefaultEventHandler", [] { return KAM_SetDefaultEventHandler(); }, nullptr, 0},
        {"SetUserEventHandler(null)", [] { return KAM_SetUserEventHandler(nullptr); }, nullptr, 0},
    };
    for (const Export& e : exports) {
        for (std::uint64_t nth : {1u, 2u}) {
            for (bool persistent : {false, true}) {
                SCOPED_TRACE(std::string(e.what) + " allocation " + std::to_string(nth) +
                             (persistent ? " persistent" : " transient"));
                if (e.switchField) *e.switchField = e.unchanged;
                Handled().clear();
                const std::int64_t live = kam::testing::LiveAllocations();
                kam::testing::FailAllocation(nth, persistent);
                EXPECT_EQ(e.call(), KAM_E_NO_MEMORY);
                kam::testing::FailAllocation(0, false);
                EXPECT_EQ(kam::g_state.initialised, 0);
                EXPECT_EQ(kam::g_state.root, nullptr);
                EXPECT_EQ(kam::testing::LiveAllocations(), live);
                EXPECT_EQ(Handled(), std::vector<int>{KAM_E_NO_MEMORY});
                EXPECT_EQ(kam::g_state.eventHandler, &coretest::RecordingHandler);
                if (e.switchField) {
                    EXPECT_EQ(*e.switchField, e.unchanged);
                }
            }
        }
    }
    kam::g_state.inputParamValid = kam::g_state.gainValid = kam::g_state.contourValid = 1;
    kam::g_state.eventLog = 1;
    // The next call tries again and succeeds.
    EXPECT_EQ(KAM_EnableContourValid(), 0);
    EXPECT_EQ(kam::g_state.initialised, 1);
}

TEST_F(LazyInitTest, EventTakersTreatTheMissingQueueAsEmpty) {
    KAM_EventRecord r;
    std::memset(&r, 0, sizeof r);
    r.severity = 1;
    r.code = -2005;
    std::strcpy(r.text, "Pattern not found.");
    char line[256];
    kam::testing::FailAllocation(1, true);
    EXPECT_EQ(KAM_GetNextEvent(&r), KAM_E_QUEUE_EMPTY);
    EXPECT_EQ(KAM_DefaultEventHandler(-3), KAM_E_QUEUE_EMPTY);
    EXPECT_EQ(KAM_ConvertEventToString(&r, line), 0);
    EXPECT_EQ(KAM_IfInited(), 0);
    kam::testing::FailAllocation(0, false);
    EXPECT_EQ(std::string(line).substr(std::string(line).size() - 18), "Pattern not found.");
    EXPECT_TRUE(Handled().empty()) << "none of these reports anything";
    EXPECT_EQ(kam::g_state.initialised, 0);
    // The getters and sentinels never initialise.
    EXPECT_EQ(KAM_IfEventLogEnabled(), 1);
    EXPECT_EQ(KAM_GetEventHandler(), &coretest::RecordingHandler);
    EXPECT_EQ(KAM_NoValueStruct(), reinterpret_cast<void*>(1));
    EXPECT_EQ(kam::g_state.initialised, 0);
    // Without a queue the sink loses the event quietly.
    kam::QueueEvent(-1, "lost");
    EXPECT_EQ(kam::g_state.eventQueue, nullptr);
}

TEST_F(LazyInitTest, InitialiseReleasesTheFirstRootWhenTheSecondFails) {
    const std::int64_t live = kam::testing::LiveAllocations();
    kam::testing::FailAllocation(3, false);  // the root is node + payload; then the queue node
    EXPECT_EQ(kam::Initialise(), KAM_E_NO_MEMORY);
    kam::testing::FailAllocation(0, false);
    EXPECT_EQ(kam::testing::LiveAllocations(), live);
    EXPECT_EQ(kam::g_state.initialised, 0);
    EXPECT_TRUE(Handled().empty()) << "Initialise reports no root failure itself";
}

// ---- Deferred release --------------------------------------------------

class DeferTest : public CoreTest {
protected:
    kam::ListNode* MakeAntenna(kam::ListNode** parent) {
        kam::ListNode* antenna = nullptr;
        EXPECT_EQ(kam::CreateNode(kam::NodeKind::Pattern, 0, nullptr, "PAT", parent), 0);
        EXPECT_EQ(kam::AddChild(*parent, kam::NodeKind::EarthAntenna, 40, std::string(40, 'a').data(),
                                "ANTENNA", &antenna),
                  0);
        return antenna;
    }
};

TEST_F(DeferTest, NodeDeletedDuringACallLivesUntilTheOutermostCallReturns) {
    kam::ListNode* pattern = nullptr;
    kam::ListNode* antenna = MakeAntenna(&pattern);
    const std::intptr_t handle = antenna->handle;
    void* specific = kam::Allocate(16);
    const std::int64_t live = kam::testing::LiveAllocations();
    {
        kam::CallScope outer;
        {
            kam::CallScope inner;
            EXPECT_TRUE(kam::InsideCall());
            ASSERT_EQ(kam::Unlink(antenna), 0);
            kam::DeferRelease(antenna, specific);
            EXPECT_EQ(kam::NodeFromHandle(handle), nullptr) << "the handle is dead at once";
        }
        EXPECT_EQ(kam::testing::LiveAllocations(), live) << "kept while the outer call runs";
        EXPECT_STREQ(antenna->name, "ANTENNA");
        EXPECT_EQ(static_cast<const char*>(antenna->payload)[39], 'a');
    }
    EXPECT_FALSE(kam::InsideCall());
    EXPECT_EQ(kam::testing::LiveAllocations(), live - 3);  // node, payload, specific copy
    ASSERT_EQ(kam::FreeSubtree(pattern), 0);
}

TEST_F(DeferTest, OutsideACallReleaseIsImmediate) {
    kam::ListNode* pattern = nullptr;
    kam::ListNode* antenna = MakeAntenna(&pattern);
    ASSERT_EQ(kam::Unlink(antenna), 0);
    const std::int64_t live = kam::testing::LiveAllocations();
    kam::DeferRelease(antenna);
    EXPECT_EQ(kam::testing::LiveAllocations(), live - 2);
    ASSERT_EQ(kam::FreeSubtree(pattern), 0);
}

// ---- Walks over the libraries -------------------------------------------

// A platform whose hand-made modules 1..4 resolve LIP_SetEventLogHandler to
// recording functions (module 4 has none); other modules go to the real one.
struct SinkCall {
    int module;
    KAM_EventSink sink;
};
std::vector<SinkCall> g_sinkCalls;
std::map<int, KAM_Status> g_sinkResults;

template <int M>
KAM_Status KAM_CALL SetSink(KAM_EventSink sink) {
    g_sinkCalls.push_back({M, sink});
    return g_sinkResults[M];
}

class FakePlatform final : public kam::platform::Platform {
public:
    explicit FakePlatform(kam::platform::Platform& real) : real_(real) {}
    kam::platform::Module LoadModule(const char* f) override { return real_.LoadModule(f); }
    kam::platform::Module StandardModule() override { return real_.StandardModule(); }
    void* Resolve(kam::platform::Module m, const char* entry) override {
        const auto id = reinterpret_cast<std::uintptr_t>(m);
        if (id < 1 || id > 4) return real_.Resolve(m, entry);
        if (std::strcmp(entry, "LIP_SetEventLogHandler") != 0 || id == 4) return nullptr;
        KAM_SetEventLogHandlerFn fns[] = {&SetSink<1>, &SetSink<2>, &SetSink<3>};
        return reinterpret_cast<void*>(fns[id - 1]);
    }
    int ReadProductVersion(kam::platform::Module m, const char* f, kam::HookString& t) override {
        return real_.ReadProductVersion(m, f, t);
    }

private:
    kam::platform::Platform& real_;
};

class LibraryWalkTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        fake_ = std::make_unique<FakePlatform>(kam::platform::Current());
        kam::platform::SetForTesting(fake_.get());
        g_sinkCalls.clear();
        g_sinkResults.clear();
        UseRecordingHandler();
    }
    void TearDown() override {
        for (kam::ListNode* n : libraries_) {
            kam::Unlink(n);
            kam::FreeSubtree(n);
        }
        kam::platform::SetForTesting(nullptr);
        CoreTest::TearDown();
    }
    // Adds a library node whose module is the fake module m.
    void AddLibrary(int m, std::int32_t* gainValidTarget) {
        KAM_LibraryInfo info;
        std::memset(&info, 0, sizeof info);
        std::snprintf(info.name, sizeof info.name, "Fake%d", m);
        info.module = reinterpret_cast<void*>(static_cast<std::uintptr_t>(m));
        info.gainValidTarget = gainValidTarget;
        kam::ListNode* node = nullptr;
        ASSERT_EQ(kam::AddChild(kam::g_state.root, kam::NodeKind::Package, sizeof info, &info,
                                info.name, &node),
                  0);
        libraries_.push_back(node);
    }
    // The calls to fake modules only (the standard library may be loaded too).
    std::vector<int> CalledModules(KAM_EventSink expected) {
        std::vector<int> modules;
        for (const SinkCall& c : g_sinkCalls) {
            EXPECT_EQ(c.sink, expected) << "module " << c.module;
            modules.push_back(c.module);
        }
        return modules;
    }
    std::unique_ptr<FakePlatform> fake_;
    std::vector<kam::ListNode*> libraries_;
};

TEST_F(LibraryWalkTest, SinksGoToEveryLibraryOldestFirst) {
    AddLibrary(2, nullptr);
    AddLibrary(1, nullptr);
    AddLibrary(3, nullptr);
    EXPECT_EQ(KAM_DisableEventLog(), 0);
    EXPECT_EQ(KAM_IfEventLogEnabled(), 0);
    EXPECT_EQ(CalledModules(nullptr), (std::vector<int>{2, 1, 3}));
    g_sinkCalls.clear();
    EXPECT_EQ(KAM_EnableEventLog(), 0);
    EXPECT_EQ(CalledModules(&kam::EventSink), (std::vector<int>{2, 1, 3}));
    EXPECT_TRUE(Handled().empty());
}

TEST_F(LibraryWalkTest, APositiveResultStopsTheWalkUnreported) {
    AddLibrary(1, nullptr);
    AddLibrary(2, nullptr);
    AddLibrary(3, nullptr);
    g_sinkResults[2] = 3;
    EXPECT_EQ(KAM_DisableEventLog(), 0);
    EXPECT_EQ(KAM_IfEventLogEnabled(), 0);
    EXPECT_EQ(CalledModules(nullptr), (std::vector<int>{1, 2}));
    EXPECT_TRUE(Handled().empty());
}

TEST_F(LibraryWalkTest, DisableWithANegativeResultReachesOnlyTheHandler) {
    AddLibrary(1, nullptr);
    AddLibrary(2, nullptr);
    g_sinkResults[1] = -5;
    EXPECT_EQ(KAM_DisableEventLog(), -5);
    EXPECT_EQ(KAM_IfEventLogEnabled(), 0) << "the switch keeps its new value";
    EXPECT_EQ(CalledModules(nullptr), std::vector<int>{1});
    EXPECT_EQ(Handled(), std::vector<int>{-5});
    kam::g_state.eventLog = 1;
    EXPECT_TRUE(TakeAll().empty()) << "reported with the log already off";
}

TEST_F(LibraryWalkTest, EnableWithANegativeResultIsQueuedToo) {
    kam::g_state.eventLog = 0;
    AddLibrary(1, nullptr);
    g_sinkResults[1] = -5;
    EXPECT_EQ(KAM_EnableEventLog(), -5);
    EXPECT_EQ(KAM_IfEventLogEnabled(), 1);
    EXPECT_EQ(Handled(), std::vector<int>{-5});
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, -5);
    EXPECT_STREQ(events[0].text, "Input parameter 5 is wrong.");
}

TEST_F(LibraryWalkTest, ALibraryWithoutTheEntryStopsTheWalkWith3004) {
    AddLibrary(1, nullptr);
    AddLibrary(4, nullptr);
    AddLibrary(2, nullptr);
    EXPECT_EQ(KAM_EnableEventLog(), KAM_E_SINK_UPDATE_FAILED);
    EXPECT_EQ(CalledModules(&kam::EventSink), std::vector<int>{1});
    EXPECT_EQ(Handled(), std::vector<int>{KAM_E_SINK_UPDATE_FAILED});
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_STREQ(events[0].text,
                 "Antenna patterns DLL interface error. SetEventLogHandler procedure not found.");
}

TEST_F(LibraryWalkTest, GainValidIsWrittenThroughEveryTargetNullSkipped) {
    std::int32_t a = 77, c = 77;
    AddLibrary(1, &a);
    AddLibrary(2, nullptr);
    AddLibrary(3, &c);
    EXPECT_EQ(KAM_DisableGainValid(), 0);
    EXPECT_EQ(KAM_IfGainValidEnabled(), 0);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(KAM_EnableGainValid(), 0);
    EXPECT_EQ(KAM_IfGainValidEnabled(), 1);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(c, 1);
    EXPECT_TRUE(Handled().empty());
}

}  // namespace
