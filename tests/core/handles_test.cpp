// Handles: numbers resolve only to live nodes of the asked kind, are never
// reused, skip 0 and -1 across the wrap of the counter, and survive growth
// and shrinkage of the map.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "core/alloc.h"
#include "core/handles.h"
#include "core/list.h"

namespace {

using kam::ListNode;
using kam::NodeKind;

ListNode* NewNode(NodeKind kind = NodeKind::Package) {
    ListNode* node = nullptr;
    EXPECT_EQ(kam::CreateNode(kind, 0, nullptr, "h", &node), 0);
    return node;
}

TEST(Handles, ForgedAndSpecialNumbersResolveToNothing) {
    ListNode* node = NewNode();
    ASSERT_EQ(kam::IssueHandle(node), 0);
    const std::intptr_t h = node->handle;
    for (std::intptr_t forged : {std::intptr_t{0}, std::intptr_t{-1}, h + 1, h - 1, h * 7919,
                                 reinterpret_cast<std::intptr_t>(node), INTPTR_MIN, INTPTR_MAX}) {
        if (forged == h) continue;
        EXPECT_EQ(kam::NodeFromHandle(forged), nullptr) << forged;
    }
    EXPECT_EQ(kam::NodeOfKind(h, NodeKind::Package), node);
    EXPECT_EQ(kam::NodeOfKind(h, NodeKind::Pattern), nullptr);
    EXPECT_EQ(kam::NodeOfKind(h, NodeKind::EarthAntenna), nullptr);
    EXPECT_EQ(kam::FreeNode(node), 0);
    EXPECT_EQ(kam::NodeOfKind(h, NodeKind::Package), nullptr);
}

TEST(Handles, NumbersAreNeverReused) {
    std::vector<std::intptr_t> seen;
    for (int round = 0; round < 50; ++round) {
        ListNode* node = NewNode(NodeKind::SpaceAntenna);
        ASSERT_EQ(kam::IssueHandle(node), 0);
        for (std::intptr_t old : seen) {
            ASSERT_NE(node->handle, old);
            EXPECT_EQ(kam::NodeFromHandle(old), nullptr);
        }
        seen.push_back(node->handle);
        ASSERT_EQ(kam::FreeNode(node), 0);
    }
}

TEST(Handles, RetireIsIdempotentAndIssueKeepsAnExistingNumber) {
    ListNode* node = NewNode();
    ASSERT_EQ(kam::IssueHandle(node), 0);
    const std::intptr_t h = node->handle;
    ASSERT_EQ(kam::IssueHandle(node), 0);
    EXPECT_EQ(node->handle, h);
    kam::RetireHandle(node);
    EXPECT_EQ(node->handle, 0);
    EXPECT_EQ(kam::NodeFromHandle(h), nullptr);
    kam::RetireHandle(node);
    kam::RetireHandle(nullptr);
    EXPECT_EQ(kam::FreeNode(node), 0);
}

TEST(Handles, ManyLiveHandlesResolveThroughGrowthAndRemovals) {
    const std::int64_t live = kam::testing::LiveAllocations();
    std::vector<ListNode*> nodes;
    for (int i = 0; i < 3000; ++i) {
        nodes.push_back(NewNode(i % 2 ? NodeKind::Pattern : NodeKind::Package));
        ASSERT_EQ(kam::IssueHandle(nodes.back()), 0);
    }
    // Remove every third, then check that every survivor still resolves.
    std::vector<std::intptr_t> removed;
    for (std::size_t i = 0; i < nodes.size(); i += 3) {
        removed.push_back(nodes[i]->handle);
        ASSERT_EQ(kam::FreeNode(nodes[i]), 0);
        nodes[i] = nullptr;
    }
    for (ListNode* n : nodes) {
        if (n != nullptr) {
            EXPECT_EQ(kam::NodeFromHandle(n->handle), n);
        }
    }
    for (std::intptr_t h : removed) EXPECT_EQ(kam::NodeFromHandle(h), nullptr);
    for (ListNode* n : nodes) {
        if (n != nullptr) {
            ASSERT_EQ(kam::FreeNode(n), 0);
        }
    }
    EXPECT_EQ(kam::testing::LiveAllocations(), live);
}

TEST(Handles, RandomIssueAndRetireAgreeWithAPlainMap) {
    // Deterministic mix of issues and retirements, checked against std::map
    // after every step (clusters, wrap-around probing and shrinking included).
    std::map<std::intptr_t, ListNode*> expected;
    std::vector<ListNode*> live;
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int step = 0; step < 4000; ++step) {
        if (live.empty() || next() % 3 != 0) {
            ListNode* node = NewNode(NodeKind::Pattern);
            ASSERT_EQ(kam::IssueHandle(node), 0);
            expected[node->handle] = node;
            live.push_back(node);
        } else {
            std::size_t i = next() % live.size();
            expected.erase(live[i]->handle);
            ASSERT_EQ(kam::FreeNode(live[i]), 0);
            live[i] = live.back();
            live.pop_back();
        }
        if (step % 97 == 0) {
            for (const auto& [h, n] : expected) ASSERT_EQ(kam::NodeFromHandle(h), n) << step;
        }
    }
    for (const auto& [h, n] : expected) EXPECT_EQ(kam::NodeFromHandle(h), n);
    for (ListNode* n : live) ASSERT_EQ(kam::FreeNode(n), 0);
}

TEST(Handles, CounterWrapsSkippingZeroAllBitsAndNumbersInUse) {
    ListNode* probe = NewNode();
    ASSERT_EQ(kam::IssueHandle(probe), 0);
    const auto resume = static_cast<std::uintptr_t>(probe->handle) + 1;
    ASSERT_EQ(kam::FreeNode(probe), 0);

    kam::testing::SetNextHandle(1);
    ListNode* one = NewNode();
    ASSERT_EQ(kam::IssueHandle(one), 0);
    EXPECT_EQ(one->handle, 1);

    const std::uintptr_t allBits = ~std::uintptr_t{0};
    kam::testing::SetNextHandle(allBits - 1);
    ListNode* last = NewNode();
    ASSERT_EQ(kam::IssueHandle(last), 0);
    EXPECT_EQ(static_cast<std::uintptr_t>(last->handle), allBits - 1);
    ListNode* wrapped = NewNode();
    ASSERT_EQ(kam::IssueHandle(wrapped), 0);
    // all bits (-1) and 0 are skipped, and 1 is still in use.
    EXPECT_EQ(wrapped->handle, 2);

    for (ListNode* n : {one, last, wrapped}) ASSERT_EQ(kam::FreeNode(n), 0);
    kam::testing::SetNextHandle(resume);
}

}  // namespace
