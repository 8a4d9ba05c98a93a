// Lifecycle against the real standard library and a fake platform: antennas
// released by termination, a missing standard library at the first call, and
// the load and unload notifications.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/frame.h"
#include "core/lifecycle.h"
#include "core_fixture.h"
#include "libraries/registry.h"

namespace {

using coretest::CoreTest;
using coretest::Handled;
using coretest::TakeAll;

// Creates an antenna on every standard pattern that has a specific
// structure (validation off, so any values do); returns how many.
int CreateAntennasWithSpecificCopies() {
    int created = 0;
    std::vector<double> specific(64, 1.0);
    for (kam::ListNode* library = kam::g_state.root->lastChild; library; library = library->prev) {
        for (kam::ListNode* p = library->lastChild; p; p = p->prev) {
            const KAM_PatternInfo& info = kam::PatternInfoOf(p);
            if (info.specificSize <= 0) continue;
            KAM_AntennaId id = 0;
            KAM_Status status =
                info.type == KAM_PATTERN_EARTH
                    ? KAM_CreateEarthAntenna(library->handle, info.name, 40, 1.2, 12, 0.6,
                                             specific.data(), &id)
                    : KAM_CreateSpaceAntenna(library->handle, info.name, 40, 2, specific.data(),
                                             &id);
            EXPECT_GE(status, 0) << info.name;
            if (id != 0) ++created;
        }
    }
    return created;
}

class LifecycleTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(kam::Terminate(), 0);
        bare_ = kam::testing::LiveAllocations();
        kam::Initialise();
        kam::DrainEvents();
        if (kam::g_state.stdLibraryId == 0) GTEST_SKIP() << "standard library not registered";
        KAM_DisableInputParamValid();
    }
    std::int64_t bare_ = 0;  // allocations of an uninitialised library
};

TEST_F(LifecycleTest, TerminateReleasesEveryAntennaAndItsSpecificCopy) {
    ASSERT_GT(CreateAntennasWithSpecificCopies(), 0);
    ASSERT_EQ(kam::Terminate(), 0);
    EXPECT_EQ(kam::testing::LiveAllocations(), bare_);
}

TEST_F(LifecycleTest, TerminateDuringACallReleasesAntennasWhenTheCallReturns) {
    ASSERT_GT(CreateAntennasWithSpecificCopies(), 0);
    {
        kam::CallScope call;
        ASSERT_EQ(kam::Terminate(), 0);
        EXPECT_GT(kam::testing::LiveAllocations(), bare_) << "antennas parked until the call returns";
    }
    EXPECT_EQ(kam::testing::LiveAllocations(), bare_);
}

// ---- Fake platform: a missing standard library, notifications -----------

int g_initLibraryCalls = 0;
KAM_Status KAM_CALL CountingInitLibrary() {
    ++g_initLibraryCalls;
    return -99;  // ignored
}

class StandardModulePlatform final : public kam::platform::Platform {
public:
    StandardModulePlatform(kam::platform::Platform& real, kam::platform::Module standard)
        : real_(real), standard_(standard) {}
    kam::platform::Module LoadModule(const char* f) override { return real_.LoadModule(f); }
    kam::platform::Module StandardModule() override { return standard_; }
    void* Resolve(kam::platform::Module m, const char* entry) override {
        if (m == &g_initLibraryCalls) {
            return std::strcmp(entry, "LIP_InitLibrary") == 0
                       ? reinterpret_cast<void*>(&CountingInitLibrary)
                       : nullptr;
        }
        return real_.Resolve(m, entry);
    }
    int ReadProductVersion(kam::platform::Module m, const char* f, kam::HookString& t) override {
        return real_.ReadProductVersion(m, f, t);
    }

private:
    kam::platform::Platform& real_;
    kam::platform::Module standard_;
};

class MissingStandardTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(kam::Terminate(), 0);
        fake_ = std::make_unique<StandardModulePlatform>(kam::platform::Current(), nullptr);
        kam::platform::SetForTesting(fake_.get());
        UseRecordingHandler();
    }
    void TearDown() override {
        kam::platform::SetForTesting(nullptr);
        kam::Terminate();
        kam::Initialise();
        CoreTest::TearDown();
    }
    std::unique_ptr<StandardModulePlatform> fake_;
};

TEST_F(MissingStandardTest, FirstFramedCallReportsAndThenDrainsTheLoadFailure) {
    int32_t count = -1;
    EXPECT_EQ(KAM_GetLibraryCount(&count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Handled(), std::vector<int>{KAM_E_DLL_NOT_FOUND});
    EXPECT_TRUE(TakeAll().empty()) << "the frame's DrainEvents discarded the message";
    EXPECT_EQ(kam::g_state.initialised, 1);
    EXPECT_EQ(KAM_StdLibraryId(), 0);
}

TEST_F(MissingStandardTest, IfInitedLeavesTheLoadFailureQueued) {
    EXPECT_EQ(KAM_IfInited(), 1);
    EXPECT_EQ(Handled(), std::vector<int>{KAM_E_DLL_NOT_FOUND});
    KAM_EventRecord r;
    ASSERT_EQ(KAM_GetNextEvent(&r), 0);
    EXPECT_EQ(r.code, KAM_E_DLL_NOT_FOUND);
    EXPECT_STREQ(r.text, "DLL not found. Wrong filename or file format.");
    EXPECT_EQ(KAM_GetNextEvent(&r), KAM_E_QUEUE_EMPTY);
}

TEST_F(CoreTest, NotificationsCallTheStandardInitLibraryAndUnloadTerminates) {
    StandardModulePlatform fake(kam::platform::Current(), &g_initLibraryCalls);
    kam::platform::SetForTesting(&fake);
    g_initLibraryCalls = 0;
    kam::OnLoadNotification();
    EXPECT_EQ(g_initLibraryCalls, 1);
    EXPECT_EQ(kam::g_state.initialised, 1) << "loading does not initialise";
    kam::OnUnloadNotification();
    EXPECT_EQ(g_initLibraryCalls, 2);
    EXPECT_EQ(kam::g_state.initialised, 0);
    kam::platform::SetForTesting(nullptr);
    kam::Initialise();
}

}  // namespace

// ---- The lifecycle hook table ------------------------------------------

// Hooks of the two layers that register nothing, recording their calls
// while a test listens; they stay registered for the rest of the process.
std::vector<std::string>* g_hookCalls = nullptr;
void Record(const char* what) {
    if (g_hookCalls != nullptr) g_hookCalls->push_back(what);
}

TEST_F(CoreTest, HooksRunInLayerOrderAndSlotsAreTakenOnce) {
    const kam::LifecycleHook validation{
        .initialise = []() noexcept {
            Record("init validation");
            return g_hookCalls != nullptr ? 7 : 0;  // a warning only while listened to
        },
        .release = []() noexcept { Record("release validation"); return 0; },
        .forget = []() noexcept { Record("forget validation"); }};
    const kam::LifecycleHook legacy{
        .initialise = []() noexcept { Record("init legacy"); return 0; },
        .release = []() noexcept { Record("release legacy"); return 0; },
        .forget = []() noexcept { Record("forget legacy"); }};
    // Registered in the reverse of the layer order: the order must not matter.
    ASSERT_TRUE(kam::RegisterLifecycleHook(kam::Layer::Legacy, legacy));
    ASSERT_TRUE(kam::RegisterLifecycleHook(kam::Layer::Validation, validation));
    EXPECT_FALSE(kam::RegisterLifecycleHook(kam::Layer::Legacy, validation)) << "slot taken";
    EXPECT_FALSE(kam::RegisterLifecycleHook(kam::Layer::Compute, legacy)) << "compute's slot";
    EXPECT_FALSE(kam::RegisterLifecycleHook(kam::Layer::Count, legacy)) << "out of range";

    std::vector<std::string> calls;
    g_hookCalls = &calls;
    ASSERT_EQ(kam::Terminate(), 0);
    // The standard library's load (libraries, lowest layer) succeeds with
    // 0; the validation hook's warning is the latest positive status.
    const int initialised = kam::Initialise();
    g_hookCalls = nullptr;
    EXPECT_EQ(initialised, 7);
    EXPECT_NE(kam::g_state.stdLibraryId, 0) << "the libraries layer ran first";
    const std::vector<std::string> expected{
        "forget legacy",      "forget validation", "release legacy", "release validation",
        "forget legacy",      "forget validation", "init validation", "init legacy"};
    EXPECT_EQ(calls, expected);
    kam::DrainEvents();
}
