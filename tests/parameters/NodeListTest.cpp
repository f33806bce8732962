#include "parameters/NodeList.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorlin {
namespace {

// A node that records its destruction, so ownership can be checked.
class CountedNode final : public ListNode {
public:
    CountedNode(int number, std::vector<int>& log) : id(number), destroyed(log) {}
    ~CountedNode() override { destroyed.push_back(id); }

    const int id;

private:
    std::vector<int>& destroyed;
};

std::vector<int> idsOf(const NodeList& list) {
    std::vector<int> ids;
    for (ListNode* node = list.first(); node != nullptr; node = node->nextNode()) {
        ids.push_back(static_cast<CountedNode*>(node)->id);
    }
    return ids;
}

TEST(NodeListTest, AppendNodeAtAndUnlinkKeepTheLinksConsistent) {
    std::vector<int> destroyed;
    NodeList list;
    EXPECT_EQ(list.nodeAt(0), nullptr);
    CountedNode* nodes[4];
    for (int i = 0; i < 4; ++i) {
        nodes[i] = new CountedNode(i, destroyed);
        list.append(nodes[i]);
    }
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(nodes[3]->previousNode(), nodes[2]);
    EXPECT_EQ(list.nodeAt(3), nodes[3]);
    EXPECT_EQ(list.nodeAt(4), nullptr);
    EXPECT_EQ(list.nodeAt(-1), nullptr);

    EXPECT_TRUE(list.unlink(nodes[2])); // middle
    EXPECT_EQ(nodes[1]->nextNode(), nodes[3]);
    EXPECT_EQ(nodes[3]->previousNode(), nodes[1]);
    EXPECT_TRUE(list.unlink(nodes[0])); // head
    EXPECT_EQ(list.first(), nodes[1]);
    EXPECT_EQ(nodes[1]->previousNode(), nullptr);
    EXPECT_TRUE(list.unlink(nodes[3])); // tail
    EXPECT_EQ(nodes[1]->nextNode(), nullptr);
    EXPECT_EQ(idsOf(list), (std::vector<int>{1}));
    EXPECT_EQ(list.count(), 1);
    EXPECT_TRUE(destroyed.empty());

    // A node that is not (or no longer) in the list is refused and nothing changes.
    EXPECT_FALSE(list.unlink(nodes[2]));
    EXPECT_EQ(list.count(), 1);

    // An unlinked node keeps its stale links; appending it again must not bring them along.
    list.append(nodes[0]);
    EXPECT_EQ(idsOf(list), (std::vector<int>{1, 0}));
    delete nodes[2];
    delete nodes[3];
}

TEST(NodeListTest, DestroyAllAndDestructionDestroyEveryNodeInOrder) {
    std::vector<int> destroyed;
    {
        NodeList list;
        for (int i = 1; i <= 3; ++i) {
            list.append(new CountedNode(i, destroyed));
        }
        list.destroyAll();
        EXPECT_EQ(destroyed, (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(list.first(), nullptr);
        EXPECT_EQ(list.count(), 0);
        list.append(new CountedNode(4, destroyed));
    }
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2, 3, 4}));
}

// A node whose destruction destroys another node of the same list, as a parameter's last
// listener release can destroy another parameter of the registry.
class CascadingNode final : public ListNode {
public:
    CascadingNode(NodeList& owner, int& count) : list(owner), destroyedCount(count) {}
    ~CascadingNode() override {
        ++destroyedCount;
        if (victim != nullptr && list.unlink(victim)) {
            delete victim;
        }
    }

    ListNode* victim = nullptr;

private:
    NodeList& list;
    int& destroyedCount;
};

TEST(NodeListTest, DestroyAllSurvivesANodeThatDestroysItsSuccessor) {
    NodeList list;
    int destroyedCount = 0;
    auto* first = new CascadingNode(list, destroyedCount);
    auto* second = new CascadingNode(list, destroyedCount);
    auto* third = new CascadingNode(list, destroyedCount);
    list.append(first);
    list.append(second);
    list.append(third);
    first->victim = second;
    list.destroyAll();
    EXPECT_EQ(destroyedCount, 3);
    EXPECT_EQ(list.count(), 0);
}

} // namespace
} // namespace quorlin
