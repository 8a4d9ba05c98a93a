// Every core operation run through each allocation failure it can meet: it
// ends normally (an event may be lost) or in -2003 with nothing changed.
#include <gtest/gtest.h>

#include "core/frame.h"
#include "core/handles.h"
#include "core_fixture.h"
#include "support/oom.h"

namespace {

using coretest::CoreTest;

class OomTest : public CoreTest {};

TEST_F(OomTest, AddChildOfEachKind) {
    for (kam::NodeKind kind : {kam::NodeKind::Package, kam::NodeKind::Pattern,
                               kam::NodeKind::EarthAntenna, kam::NodeKind::Other}) {
        SCOPED_TRACE(static_cast<int>(kind));
        kam::ListNode* added = nullptr;
        kamtest::OomCase c;
        c.operation = [&] {
            return kam::AddChild(kam::g_state.root, kind, 40, std::string(40, 'p').data(), "Node",
                                 &added);
        };
        c.reset = [&] {
            if (added != nullptr) {
                kam::Unlink(added);
                kam::FreeNode(added);
                added = nullptr;
            }
        };
        auto summary = kamtest::RunOutOfMemory(c);
        EXPECT_EQ(summary.referenceStatus, 0);
        EXPECT_GE(summary.ordinals, 2u);  // node and payload at least
    }
}

TEST_F(OomTest, QueueingAnEventLosesItQuietly) {
    kamtest::OomCase c;
    c.operation = [] {
        kam::QueueEvent(-2, "an event");
        kam::LogStatusMessage(-2005);
        return 0;
    };
    auto summary = kamtest::RunOutOfMemory(c);
    EXPECT_GE(summary.ordinals, 2u);
}

TEST_F(OomTest, PushEventFailsWithMemoryError) {
    KAM_EventRecord record{};
    kamtest::OomCase c;
    c.operation = [&] { return kam::PushEvent(record); };
    auto summary = kamtest::RunOutOfMemory(c);
    EXPECT_GT(summary.outOfMemoryRuns, 0);
}

TEST_F(OomTest, ReportStatusWithAHandler) {
    UseRecordingHandler();
    kamtest::OomCase c;
    c.operation = [] { return kam::ReportStatus(-2012); };
    EXPECT_EQ(kamtest::RunOutOfMemory(c).referenceStatus, -2012);
}

// Initialise ends in its normal outcome, in -2003 with nothing built, or (when
// memory runs out while the standard library loads) initialised without it.
bool InitialisedWithoutStandardLibrary(int status) {
    return status == KAM_E_NO_MEMORY && kam::g_state.initialised == 1 &&
           kam::g_state.stdLibraryId == 0;
}

TEST_F(OomTest, Initialise) {
    ASSERT_EQ(kam::Terminate(), 0);
    kamtest::OomCase c;
    c.operation = [] { return kam::Initialise(); };
    c.reset = [] { kam::Terminate(); };
    c.acceptPartial = InitialisedWithoutStandardLibrary;
    auto summary = kamtest::RunOutOfMemory(c);
    EXPECT_GE(summary.outOfMemoryRuns, 4);  // the two roots, transient and persistent
    kam::Initialise();
}

TEST_F(OomTest, LazyInitialisationThroughExports) {
    struct Export {
        const char* what;
        KAM_Status (*call)();
        bool answersNotInitialised;  // gives 0, not -2003, when the roots cannot be made
    };
    const Export exports[] = {
        {"EnableInputParamValid", [] { return KAM_EnableInputParamValid(); }, false},
        {"EnableGainValid", [] { return KAM_EnableGainValid(); }, false},
        {"EnableContourValid", [] { return KAM_EnableContourValid(); }, false},
        {"EnableEventLog", [] { return KAM_EnableEventLog(); }, false},
        {"SetNullEventHandler", [] { return KAM_SetNullEventHandler(); }, false},
        {"IfInited", [] { return KAM_IfInited(); }, true},
    };
    for (const Export& e : exports) {
        SCOPED_TRACE(e.what);
        ASSERT_EQ(kam::Terminate(), 0);
        kamtest::OomCase c;
        c.operation = e.call;
        c.reset = [] { kam::Terminate(); };
        // The frame ignores a failed load of the standard library.
        c.acceptPartial = [&e](int status) {
            if (e.answersNotInitialised && status == 0 && kam::g_state.initialised == 0) {
                return kam::g_state.root == nullptr;
            }
            return (status == 0 || status == 1) && kam::g_state.initialised == 1 &&
                   kam::g_state.stdLibraryId == 0;
        };
        kamtest::RunOutOfMemory(c);
    }
    kam::Initialise();
}

TEST_F(OomTest, ExportsOnAnInitialisedLibrary) {
    UseRecordingHandler();
    struct Export {
        const char* what;
        KAM_Status (*call)();
        KAM_Status normal;
    };
    const Export exports[] = {
        {"DisableContourValid", [] { return KAM_DisableContourValid(); }, 0},
        {"DisableGainValid", [] { return KAM_DisableGainValid(); }, 0},
        {"DisableEventLog", [] { return KAM_DisableEventLog(); }, 0},
        {"SetUserEventHandler(null)", [] { return KAM_SetUserEventHandler(nullptr); }, -1},
        {"GetNextEvent", [] {
             kam::QueueEvent(-1, "queued");
             KAM_EventRecord r;
             return KAM_GetNextEvent(&r);
         }, 0},
        {"DefaultEventHandler", [] {
             kam::QueueEvent(-1, "queued");
             return KAM_DefaultEventHandler(0);
         }, KAM_E_QUEUE_EMPTY},
    };
    for (const Export& e : exports) {
        SCOPED_TRACE(e.what);
        kamtest::OomCase c;
        c.operation = e.call;
        c.snapshot = [] { return kamtest::DumpLibraryState(); };
        c.reset = [] {
            KAM_EnableContourValid();
            KAM_EnableGainValid();
            KAM_EnableEventLog();
        };
        // Queueing the event may fail: the queue is then empty.
        c.acceptPartial = [](int status) { return status == KAM_E_QUEUE_EMPTY; };
        EXPECT_EQ(kamtest::RunOutOfMemory(c).referenceStatus, e.normal);
        c.reset();
    }
}

}  // namespace
