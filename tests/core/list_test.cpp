// The node tree: linking order, unlinking at each position, refusals that
// leave the tree as it was, subtree release, payload ownership, names and the
// diagnostic print.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/alloc.h"
#include "core/handles.h"
#include "core/list.h"
#include "kam/kam.h"

namespace {

using kam::ListNode;
using kam::NodeKind;

ListNode* MakeRoot(const char* name = "R") {
    ListNode* root = nullptr;
    EXPECT_EQ(kam::CreateNode(NodeKind::TopLevel, 0, nullptr, name, &root), 0);
    return root;
}

ListNode* Add(ListNode* parent, const char* name, NodeKind kind = NodeKind::Other) {
    ListNode* node = nullptr;
    EXPECT_EQ(kam::AddChild(parent, kind, 0, nullptr, name, &node), 0);
    return node;
}

std::vector<std::string> NewestFirst(ListNode* parent) {
    std::vector<std::string> names;
    kam::ForEachChildNewestFirst(parent, [&](ListNode* c) { names.emplace_back(c->name); });
    return names;
}

std::vector<std::string> OldestFirst(ListNode* parent) {
    std::vector<std::string> names;
    kam::ForEachChildOldestFirst(parent, [&](ListNode* c) { names.emplace_back(c->name); });
    return names;
}

// Every link of parent's children agrees with its neighbours and the parent.
void ExpectConsistent(const ListNode* parent) {
    const ListNode* newer = nullptr;
    for (const ListNode* c = parent->firstChild; c != nullptr; c = c->next) {
        EXPECT_EQ(c->parent, parent);
        EXPECT_EQ(c->prev, newer);
        newer = c;
    }
    EXPECT_EQ(parent->lastChild, newer);
}

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { live_ = kam::testing::LiveAllocations(); }
    void TearDown() override { EXPECT_EQ(kam::testing::LiveAllocations(), live_) << "leak"; }
    std::int64_t live_ = 0;
};

TEST_F(ListTest, ChildrenRunNewestFirstAlongNextAndOldestFirstAlongPrev) {
    ListNode* root = MakeRoot();
    ListNode* one = Add(root, "one");
    Add(root, "two");
    ListNode* three = Add(root, "three");
    EXPECT_EQ(root->firstChild, three);
    EXPECT_EQ(root->lastChild, one);
    EXPECT_EQ(three->prev, nullptr);
    EXPECT_EQ(one->next, nullptr);
    EXPECT_EQ(NewestFirst(root), (std::vector<std::string>{"three", "two", "one"}));
    EXPECT_EQ(OldestFirst(root), (std::vector<std::string>{"one", "two", "three"}));
    ExpectConsistent(root);
    EXPECT_EQ(kam::FreeSubtree(root), 0);
}

TEST_F(ListTest, UnlinkAtEachPositionKeepsTheListConsistent) {
    struct Case {
        const char* victim;
        std::vector<std::string> left;  // newest first
    };
    for (const Case& c : {Case{"a", {"c", "b"}}, Case{"b", {"c", "a"}}, Case{"c", {"b", "a"}}}) {
        SCOPED_TRACE(c.victim);
        ListNode* root = MakeRoot();
        ListNode* nodes[] = {Add(root, "a"), Add(root, "b"), Add(root, "c")};
        ListNode* victim = nodes[c.victim[0] - 'a'];
        EXPECT_EQ(kam::Unlink(victim), 0);
        EXPECT_EQ(victim->parent, nullptr);
        EXPECT_EQ(victim->next, nullptr);
        EXPECT_EQ(victim->prev, nullptr);
        EXPECT_EQ(NewestFirst(root), c.left);
        ExpectConsistent(root);
        EXPECT_EQ(kam::FreeNode(victim), 0);
        EXPECT_EQ(kam::FreeSubtree(root), 0);
    }
}

TEST_F(ListTest, UnlinkingTheOnlyChildEmptiesTheParent) {
    ListNode* root = MakeRoot();
    ListNode* only = Add(root, "only");
    EXPECT_EQ(kam::Unlink(only), 0);
    EXPECT_EQ(root->firstChild, nullptr);
    EXPECT_EQ(root->lastChild, nullptr);
    EXPECT_EQ(kam::FreeNode(only), 0);
    EXPECT_EQ(kam::FreeNode(root), 0);
}

TEST_F(ListTest, RefusedOperationsGiveListErrorAndChangeNothing) {
    ListNode* root = MakeRoot();
    ListNode* child = Add(root, "child");
    const std::int64_t live = kam::testing::LiveAllocations();

    EXPECT_EQ(kam::Unlink(root), KAM_E_LIST);       // a root has no parent
    EXPECT_EQ(kam::FreeNode(root), KAM_E_LIST);     // still has a child
    EXPECT_EQ(kam::FreeNode(child), KAM_E_LIST);    // still linked
    EXPECT_EQ(kam::FreeSubtree(child), KAM_E_LIST); // still linked
    EXPECT_EQ(kam::Unlink(nullptr), KAM_E_LIST);
    EXPECT_EQ(kam::FreeNode(nullptr), KAM_E_LIST);
    EXPECT_EQ(kam::AddChild(nullptr, NodeKind::Other, 0, nullptr, "x", nullptr), KAM_E_LIST);

    EXPECT_EQ(kam::testing::LiveAllocations(), live);
    EXPECT_EQ(root->firstChild, child);
    EXPECT_EQ(root->lastChild, child);
    EXPECT_EQ(child->parent, root);
    EXPECT_STREQ(child->name, "child");
    EXPECT_EQ(kam::Unlink(child), 0);
    EXPECT_EQ(kam::Unlink(child), KAM_E_LIST);  // already unlinked
    EXPECT_EQ(kam::FreeNode(child), 0);
    EXPECT_EQ(kam::FreeNode(root), 0);
}

TEST_F(ListTest, FreeSubtreeReleasesThreeLevelsWithPayloads) {
    const std::int64_t before = kam::testing::LiveAllocations();
    // The handle map is one block, present while any handle is live.
    const int mapBlock = kam::testing::LiveHandleCount() == 0 ? 1 : 0;
    const char payload[] = "Toplevel";
    ListNode* root = nullptr;
    ASSERT_EQ(kam::CreateNode(NodeKind::TopLevel, sizeof payload, payload, "TOP", &root), 0);
    std::vector<std::intptr_t> handles;
    for (const char* lib : {"L1", "L2"}) {
        ListNode* package = nullptr;
        ASSERT_EQ(kam::AddChild(root, NodeKind::Package, 4, "abc", lib, &package), 0);
        handles.push_back(package->handle);
        for (const char* pat : {"P1", "P2", "P3"}) {
            ListNode* pattern = nullptr;
            ASSERT_EQ(kam::AddChild(package, NodeKind::Pattern, 2, "z", pat, &pattern), 0);
            handles.push_back(pattern->handle);
            ListNode* antenna = nullptr;
            ASSERT_EQ(kam::AddChild(pattern, NodeKind::EarthAntenna, 8, "antenna", "ANTENNA",
                                    &antenna),
                      0);
            handles.push_back(antenna->handle);
        }
    }
    // 1 root + 2 packages + 6 patterns + 6 antennas, each a node and a payload.
    EXPECT_EQ(kam::testing::LiveAllocations() - before, 2 * 15 + mapBlock);
    EXPECT_EQ(kam::FreeSubtree(root), 0);
    EXPECT_EQ(kam::testing::LiveAllocations(), before);
    for (std::intptr_t h : handles) EXPECT_EQ(kam::NodeFromHandle(h), nullptr);
}

TEST_F(ListTest, DetachedPayloadOutlivesItsNode) {
    const int data[3] = {7, 8, 9};
    ListNode* node = nullptr;
    ASSERT_EQ(kam::CreateNode(NodeKind::Other, sizeof data, data, "n", &node), 0);
    EXPECT_NE(node->payload, static_cast<const void*>(data));  // a private copy
    void* payload = nullptr;
    std::uint32_t size = 0;
    kam::DetachPayload(node, &payload, &size);
    EXPECT_EQ(size, sizeof data);
    EXPECT_EQ(node->payload, nullptr);
    EXPECT_EQ(node->payloadSize, 0u);
    const std::int64_t live = kam::testing::LiveAllocations();
    EXPECT_EQ(kam::FreeNode(node), 0);
    EXPECT_EQ(kam::testing::LiveAllocations(), live - 1);  // the node only
    EXPECT_EQ(std::memcmp(payload, data, sizeof data), 0);
    kam::Release(payload);
}

TEST_F(ListTest, NodeWithoutSourceKeepsTheGivenSizeButNoPayload) {
    ListNode* node = nullptr;
    ASSERT_EQ(kam::CreateNode(NodeKind::Other, 348, nullptr, "n", &node), 0);
    EXPECT_EQ(node->payload, nullptr);
    EXPECT_EQ(node->payloadSize, 348u);
    EXPECT_EQ(node->kind, static_cast<std::uint32_t>(NodeKind::Other));
    EXPECT_EQ(node->parent, nullptr);
    EXPECT_EQ(node->firstChild, nullptr);
    EXPECT_EQ(node->lastChild, nullptr);
    EXPECT_EQ(kam::FreeNode(node), 0);
}

TEST_F(ListTest, NamesAreCutTo63Characters) {
    struct Case {
        std::size_t length;
        std::size_t kept;
    };
    for (Case c : {Case{0, 0}, Case{1, 1}, Case{63, 63}, Case{64, 63}, Case{200, 63}}) {
        std::string name(c.length, 'n');
        for (std::size_t i = 0; i < c.length; ++i) name[i] = static_cast<char>('a' + i % 26);
        ListNode* node = nullptr;
        ASSERT_EQ(kam::CreateNode(NodeKind::Other, 0, nullptr, name.c_str(), &node), 0);
        EXPECT_EQ(std::string(node->name), name.substr(0, c.kept)) << c.length;
        EXPECT_EQ(kam::FreeNode(node), 0);
    }
    ListNode* unnamed = nullptr;
    ASSERT_EQ(kam::CreateNode(NodeKind::Other, 0, nullptr, nullptr, &unnamed), 0);
    EXPECT_STREQ(unnamed->name, "");
    EXPECT_EQ(kam::FreeNode(unnamed), 0);
}

TEST_F(ListTest, OnlyLibraryPatternAndAntennaNodesCarryHandles) {
    ListNode* root = MakeRoot();
    struct Case {
        NodeKind kind;
        bool handle;
    };
    for (Case c : {Case{NodeKind::Package, true}, Case{NodeKind::Pattern, true},
                   Case{NodeKind::EarthAntenna, true}, Case{NodeKind::SpaceAntenna, true},
                   Case{NodeKind::TopLevel, false}, Case{NodeKind::Other, false},
                   Case{NodeKind::ErrorDescription, false}}) {
        ListNode* node = Add(root, "n", c.kind);
        EXPECT_EQ(node->handle != 0, c.handle) << static_cast<int>(c.kind);
        if (c.handle) {
            EXPECT_EQ(kam::NodeFromHandle(node->handle), node);
            EXPECT_EQ(kam::NodeOfKind(node->handle, c.kind), node);
            const std::intptr_t h = node->handle;
            ASSERT_EQ(kam::Unlink(node), 0);
            ASSERT_EQ(kam::FreeNode(node), 0);
            EXPECT_EQ(kam::NodeFromHandle(h), nullptr) << "FreeNode retires the handle";
        }
    }
    EXPECT_EQ(kam::FreeSubtree(root), 0);
}

TEST_F(ListTest, DiagnosticPrintIndentsByDepthOldestFirst) {
    ListNode* root = MakeRoot("TOP");
    ListNode* lib1 = Add(root, "Lib1", NodeKind::Package);
    Add(root, "Lib2", NodeKind::Package);
    ListNode* pattern = Add(lib1, "APEREC001V01", NodeKind::Pattern);
    Add(pattern, "ANTENNA", NodeKind::EarthAntenna);
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    kam::PrintSubtree(root, f);
    std::rewind(f);
    std::string text;
    for (int ch; (ch = std::fgetc(f)) != EOF;) text += static_cast<char>(ch);
    std::fclose(f);
    EXPECT_EQ(text,
              "TOPLEVEL: TOP\n"
              "\tPACKAGE: Lib1\n"
              "\t\tPATTERN: APEREC001V01\n"
              "\t\t\tEARTH-ANTENNA: ANTENNA\n"
              "\tPACKAGE: Lib2\n");
    EXPECT_EQ(kam::FreeSubtree(root), 0);
}

TEST(NodeKindNames, MatchTheKindTable) {
    const char* expected[] = {"- no value -",  "TOPLEVEL",      "PACKAGE",
                              "PATTERN",       "EARTH-ANTENNA", "SPACE-ANTENNA",
                              "ERROR_DESCRIPTION", "OTHER"};
    for (std::uint32_t k = 0; k < 8; ++k) EXPECT_STREQ(kam::NodeKindName(k), expected[k]);
}

}  // namespace
