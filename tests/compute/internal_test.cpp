// Internals of the computations: the antenna nodes in the tree,
// DeleteAntennaNode, termination releasing every antenna and its copy,
// creation under exhausted memory, and clean calls that allocate nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "compute/antennas.h"
#include "core/alloc.h"
#include "core/handles.h"
#include "core/state.h"
#include "core/status.h"
#include "fake_control.h"
#include "fake_paths.h"
#include "kam/kam.h"
#include "support/oom.h"

// Counts every operator new of the process, so a test can see whether a call
// allocated through anything but the library's hook.
namespace {
std::atomic<long> g_news{0};
}
void* operator new(std::size_t size) {
    ++g_news;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    ++g_news;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int kSpecificSize = 24;

class ComputeInternal : public ::testing::Test {
protected:
    void SetUp() override {
        if (kam::g_state.initialised == 0) {
            ASSERT_EQ(kam::Initialise(), 0);
        }
        saved_ = kam::g_state;
        kam::g_state.inputParamValid = 1;
        kam::g_state.contourValid = 1;
        kam::g_state.eventLog = 1;
        fake::Reset();
        for (fake::PatternConfig& p : fake::Config("fake_a").patterns) {
            for (std::int32_t& code : p.paramProperties) code = KAM_PROPERTY_OPTIONAL;
            p.specificSize = kSpecificSize;
        }
        lib_ = 0;
        ASSERT_EQ(KAM_AddLibrary(fake::FreshCopy("fake_a").c_str(), &lib_), 0);
        for (int i = 0; i < kSpecificSize; ++i) structure_[i] = static_cast<unsigned char>(i * 7);
    }
    void TearDown() override {
        kam::testing::FailAllocation(0, false);
        kam::g_state.inputParamValid = saved_.inputParamValid;
        kam::g_state.contourValid = saved_.contourValid;
        kam::g_state.eventLog = saved_.eventLog;
        kam::g_state.eventHandler = saved_.eventHandler;
        kam::DrainEvents();
        fake::Reset();
    }

    kam::ListNode* Pattern(const char* name) {
        kam::ListNode* library = kam::NodeOfKind(lib_, kam::NodeKind::Package);
        for (kam::ListNode* p = library ? library->firstChild : nullptr; p; p = p->next) {
            if (std::strcmp(p->name, name) == 0) return p;
        }
        return nullptr;
    }
    static int ChildCount(const kam::ListNode* node) {
        int n = 0;
        for (const kam::ListNode* c = node->firstChild; c; c = c->next) ++n;
        return n;
    }
    KAM_AntennaId CreateEarth(void* specific) {
        KAM_AntennaId id = 0;
        EXPECT_EQ(KAM_CreateEarthAntenna(lib_, "A_EARTH", 30, 2, 1e4, 0.5, specific, &id), 0);
        return id;
    }
    KAM_AntennaId CreateSpace(void* specific) {
        KAM_AntennaId id = 0;
        EXPECT_EQ(KAM_CreateSpaceAntenna(lib_, "A_SPACE", 31, 3, specific, &id), 0);
        return id;
    }

    KAM_LibraryId lib_ = 0;
    unsigned char structure_[kSpecificSize];

private:
    kam::GlobalState saved_;
};

// The node of each kind: its record, its own copy, its place in the tree.
TEST_F(ComputeInternal, AntennaNodes) {
    kam::ListNode* earthPattern = Pattern("A_EARTH");
    kam::ListNode* spacePattern = Pattern("A_SPACE");
    ASSERT_NE(earthPattern, nullptr);
    ASSERT_NE(spacePattern, nullptr);
    const KAM_AntennaId older = CreateEarth(structure_);
    const KAM_AntennaId earth = CreateEarth(structure_);
    const KAM_AntennaId space = CreateSpace(KAM_NOVALUE_STRUCT);

    kam::ListNode* node = kam::NodeFromHandle(earth);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->kind, static_cast<std::uint32_t>(kam::NodeKind::EarthAntenna));
    EXPECT_STREQ(node->name, "ANTENNA");
    EXPECT_EQ(node->payloadSize, 40u);
    EXPECT_EQ(node->parent, earthPattern);
    EXPECT_EQ(earthPattern->firstChild, node);  // the newest antenna comes first
    EXPECT_EQ(node->next, kam::NodeFromHandle(older));
    const auto* data = static_cast<const kam::EarthAntennaData*>(node->payload);
    EXPECT_EQ(data->gainMax, 30);
    EXPECT_EQ(data->diameter, 2);
    EXPECT_EQ(data->frequency, 1e4);
    EXPECT_EQ(data->efficiency, 0.5);
    EXPECT_NE(data->specific, static_cast<void*>(structure_));
    EXPECT_EQ(std::memcmp(data->specific, structure_, kSpecificSize), 0);
    EXPECT_NE(data->specific,
              static_cast<const kam::EarthAntennaData*>(kam::NodeFromHandle(older)->payload)
                  ->specific);

    node = kam::NodeFromHandle(space);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->kind, static_cast<std::uint32_t>(kam::NodeKind::SpaceAntenna));
    EXPECT_EQ(node->payloadSize, 24u);
    EXPECT_EQ(node->parent, spacePattern);
    const auto* spaceData = static_cast<const kam::SpaceAntennaData*>(node->payload);
    EXPECT_EQ(spaceData->gainMax, 31);
    EXPECT_EQ(spaceData->beamlet, 3);
    EXPECT_EQ(spaceData->specific, KAM_NOVALUE_STRUCT);

    // A failed creation adds nothing.
    KAM_AntennaId id = 0;
    EXPECT_EQ(KAM_CreateEarthAntenna(lib_, "A_EARTH", 800, 2, 1e4, 0.5, structure_, &id), -5200);
    EXPECT_EQ(ChildCount(earthPattern), 2);

    for (KAM_AntennaId a : {older, earth, space}) EXPECT_EQ(KAM_DeleteAntenna(a), 0);
    EXPECT_EQ(ChildCount(earthPattern), 0);
    EXPECT_EQ(ChildCount(spacePattern), 0);
}

TEST_F(ComputeInternal, DeleteAntennaNodeRefusesWhatIsNotAnAntenna) {
    EXPECT_EQ(kam::DeleteAntennaNode(nullptr), KAM_E_INTERNAL);
    kam::ListNode* pattern = Pattern("A_EARTH");
    kam::ListNode* library = pattern->parent;
    EXPECT_EQ(kam::DeleteAntennaNode(pattern), KAM_E_UNKNOWN_ANTENNA);
    EXPECT_EQ(kam::DeleteAntennaNode(library), KAM_E_UNKNOWN_ANTENNA);
    EXPECT_EQ(pattern->parent, library);
    EXPECT_EQ(kam::NodeOfKind(lib_, kam::NodeKind::Package), library);
    EXPECT_EQ(KAM_DeleteAntenna(lib_), KAM_E_UNKNOWN_ANTENNA);
    EXPECT_EQ(kam::NodeOfKind(lib_, kam::NodeKind::Package), library);

    // Outside any exported call a deletion releases at once.
    kam::DrainEvents();
    const std::int64_t before = kam::testing::LiveAllocations();
    const KAM_AntennaId id = CreateEarth(structure_);
    kam::ListNode* node = kam::NodeFromHandle(id);
    EXPECT_EQ(kam::DeleteAntennaNode(node), 0);
    EXPECT_EQ(kam::NodeFromHandle(id), nullptr);
    EXPECT_EQ(kam::testing::LiveAllocations(), before);
}

// Termination deletes every antenna and releases each copy with the tree.
TEST_F(ComputeInternal, TerminationReleasesEveryAntenna) {
    ASSERT_EQ(kam::Terminate(), 0);
    const std::int64_t baseline = kam::testing::LiveAllocations();
    ASSERT_EQ(kam::Initialise(), 0);
    ASSERT_EQ(KAM_AddLibrary(fake::FreshCopy("fake_a").c_str(), &lib_), 0);
    std::vector<KAM_AntennaId> ids;
    for (int i = 0; i < 5; ++i) {
        ids.push_back(CreateEarth(structure_));
        ids.push_back(CreateSpace(structure_));
        ids.push_back(CreateSpace(KAM_NOVALUE_STRUCT));
    }
    ASSERT_EQ(KAM_DeleteAntenna(ids[3]), 0);
    ASSERT_EQ(kam::Terminate(), 0);
    EXPECT_EQ(kam::testing::LiveAllocations(), baseline);
    for (KAM_AntennaId id : ids) EXPECT_EQ(kam::NodeFromHandle(id), nullptr);
    ASSERT_EQ(kam::Initialise(), 0);
}

// Creation meets every allocation failure: it ends normally or in -2003
// with nothing left behind.
TEST_F(ComputeInternal, CreationUnderExhaustedMemory) {
    for (bool earth : {true, false}) {
        SCOPED_TRACE(earth ? "earth" : "space");
        kam::ListNode* pattern = Pattern(earth ? "A_EARTH" : "A_SPACE");
        KAM_AntennaId id = 0;
        kamtest::OomCase c;
        c.operation = [&] {
            id = 0;
            return earth ? KAM_CreateEarthAntenna(lib_, "A_EARTH", 200, 2, 1e4, 0.5, structure_, &id)
                         : KAM_CreateSpaceAntenna(lib_, "A_SPACE", 200, 3, structure_, &id);
        };
        // The antennas under the pattern, with their copies' bytes (never
        // their addresses, which differ from run to run).
        c.snapshot = [&] {
            std::string out;
            for (const kam::ListNode* a = pattern->firstChild; a; a = a->next) {
                const std::size_t numbers = earth ? offsetof(kam::EarthAntennaData, specific)
                                                  : offsetof(kam::SpaceAntennaData, specific);
                out.append(static_cast<const char*>(a->payload), numbers);
                void* specific = *reinterpret_cast<void* const*>(
                    static_cast<const char*>(a->payload) + numbers);
                out.append(static_cast<const char*>(specific), kSpecificSize);
                out += "|";
            }
            return out;
        };
        c.reset = [&] {
            if (id != 0) {
                EXPECT_EQ(KAM_DeleteAntenna(id), 0);
            }
        };
        const kamtest::OomSummary summary = kamtest::RunOutOfMemory(c);
        EXPECT_EQ(summary.referenceStatus, 5200);  // GainMax beyond its soft limit
        EXPECT_GE(summary.outOfMemoryRuns, 2);
    }
}

// A clean call (status 0, no event) allocates nothing: not through the
// library's hook (an armed failure would fire) nor through operator new.
TEST_F(ComputeInternal, CleanCallsAllocateNothing) {
    const KAM_AntennaId earth = CreateEarth(structure_);
    const KAM_AntennaId space = CreateSpace(structure_);
    double a = 0, b = 0;
    // Array calls over more elements than one chunk of the host's work, with
    // and without the optional outputs.
    constexpr int kElements = 1000;
    std::vector<double> angles(kElements, 10.0), levels(kElements, -3.0), phi0s(kElements, 2.0);
    std::vector<double> out1(kElements), out2(kElements);
    std::vector<KAM_Status> statuses(kElements);
    const std::vector<std::pair<const char*, std::function<int()>>> calls = {
        {"earth gain array",
         [&] { return KAM_EarthPatternGainArray(-1, "FSREF_001_V1", 40, 2, 12000,
                                                KAM_NOVALUE_DOUBLE, KAM_NOVALUE_STRUCT, kElements,
                                                angles.data(), nullptr, out1.data(), out2.data(),
                                                statuses.data()); }},
        {"earth gain array without the optional outputs",
         [&] { return KAM_EarthPatternGainArray(-1, "FSREF_001_V1", 40, 2, 12000,
                                                KAM_NOVALUE_DOUBLE, KAM_NOVALUE_STRUCT, kElements,
                                                angles.data(), nullptr, out1.data(), nullptr,
                                                nullptr); }},
        {"space gain array",
         [&] { return KAM_SpacePatternGainArray(-1, "GSOSS_101_V1", 40, KAM_NOVALUE_DOUBLE,
                                                KAM_NOVALUE_STRUCT, kElements, angles.data(),
                                                phi0s.data(), out1.data(), nullptr, nullptr); }},
        {"space contour array",
         [&] { return KAM_SpacePatternContourArray(-1, "GSOSS_101_V1", KAM_NOVALUE_DOUBLE,
                                                   KAM_NOVALUE_STRUCT, kElements, levels.data(),
                                                   phi0s.data(), out1.data(), nullptr, nullptr); }},
        {"earth gain by name",
         [&] { return KAM_EarthPatternGain(-1, "FSREF_001_V1", 40, 2, 12000, KAM_NOVALUE_DOUBLE,
                                           KAM_NOVALUE_STRUCT, 10, KAM_NOVALUE_DOUBLE, &a, &b); }},
        {"space gain by name",
         [&] { return KAM_SpacePatternGain(-1, "GSOSS_101_V1", 40, KAM_NOVALUE_DOUBLE,
                                           KAM_NOVALUE_STRUCT, 5, 2, &a, &b); }},
        {"space contour by name",
         [&] { return KAM_SpacePatternContour(-1, "GSOSS_101_V1", -3, KAM_NOVALUE_DOUBLE,
                                              KAM_NOVALUE_STRUCT, 2, &a, &b); }},
        {"validate earth",
         [&] { return KAM_ValidateEarthAntenna(-1, "FSREF_001_V1", 40, 2, 12000,
                                               KAM_NOVALUE_DOUBLE, KAM_NOVALUE_STRUCT, 10,
                                               KAM_NOVALUE_DOUBLE); }},
        {"validate space",
         [&] { return KAM_ValidateSpaceAntenna(-1, "GSOSS_101_V1", 40, KAM_NOVALUE_DOUBLE,
                                               KAM_NOVALUE_STRUCT, 5, 2); }},
    };
    // The fake's own slots allocate (they log every call), so the antenna
    // calls are judged by the hook alone.
    const std::vector<std::pair<const char*, std::function<int()>>> antennaCalls = {
        {"earth antenna gain", [&] { return KAM_AntennaGain(earth, 10, 2, &a, &b); }},
        {"space antenna gain", [&] { return KAM_AntennaGain(space, 10, 2, &a, &b); }},
        {"space antenna contour", [&] { return KAM_AntennaContour(space, -3, 2, &a, &b); }},
        {"earth antenna gain array",
         [&] { return KAM_AntennaGainArray(earth, kElements, angles.data(), phi0s.data(),
                                           out1.data(), nullptr, nullptr); }},
        {"space antenna contour array",
         [&] { return KAM_AntennaContourArray(space, kElements, levels.data(), phi0s.data(),
                                              out1.data(), out2.data(), statuses.data()); }},
    };
    for (int validate : {1, 0}) {
        kam::g_state.inputParamValid = validate;
        for (const auto& [label, call] : calls) {
            SCOPED_TRACE(std::string(label) + (validate ? " validated" : ""));
            ASSERT_EQ(call(), 0);  // warms up whatever a first call builds
            kam::testing::FailAllocation(1, true);
            const long news = g_news;
            EXPECT_EQ(call(), 0);
            EXPECT_EQ(g_news - news, 0);
            EXPECT_FALSE(kam::testing::AllocationFailureFired());
            kam::testing::FailAllocation(0, false);
            KAM_EventRecord event;
            EXPECT_EQ(KAM_GetNextEvent(&event), KAM_E_QUEUE_EMPTY);
        }
        for (const auto& [label, call] : antennaCalls) {
            SCOPED_TRACE(std::string(label) + (validate ? " validated" : ""));
            ASSERT_EQ(call(), 0);
            kam::testing::FailAllocation(1, true);
            EXPECT_EQ(call(), 0);
            EXPECT_FALSE(kam::testing::AllocationFailureFired());
            kam::testing::FailAllocation(0, false);
        }
    }
    EXPECT_EQ(KAM_DeleteAntenna(earth), 0);
    EXPECT_EQ(KAM_DeleteAntenna(space), 0);
}

}  // namespace
