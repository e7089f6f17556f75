#include "model/node_pool.h"

#include <gtest/gtest.h>

#include <vector>

namespace dorvanix {
namespace {

// Slots are handed out lowest first, a released slot comes back first and as a fresh node;
// releasing twice, releasing null or a node of no pool changes nothing.
TEST(NodePool, ReusesReleasedSlotsLowestFirstAsFreshNodes) {
    NodePool pool(4, NodePool::Growth::Bounded);
    DivisorNode* first = pool.takeNode();
    EXPECT_EQ(pool.indexOf(pool.takeNode()), 1);
    first->marked = 1;
    first->pointCount = 3;
    first->pointX.assign(3, 1.0);
    first->degree = 4;
    pool.releaseNode(first);
    pool.releaseNode(first);
    pool.releaseNode(nullptr);
    DivisorNode foreign;
    EXPECT_EQ(pool.indexOf(&foreign), -1);
    EXPECT_EQ(pool.inUseCount(), 1u);

    DivisorNode* again = pool.takeNode();
    ASSERT_EQ(again, first);
    EXPECT_EQ(pool.indexOf(again), 0);
    EXPECT_EQ(again->marked, 0);
    EXPECT_EQ(again->pointCount, 0);
    EXPECT_TRUE(again->pointX.empty());
    EXPECT_EQ(again->degree, 1);
    EXPECT_EQ(again->visited, -1);
    EXPECT_EQ(again->inUse, 1);
}

TEST(NodePool, BoundedPoolAnswersNullAndThrowsAfterItsLastSlot) {
    NodePool pool(NodePool::kClassicCapacity, NodePool::Growth::Bounded);
    for (std::size_t i = 0; i < NodePool::kClassicCapacity; ++i) {
        ASSERT_NE(pool.takeNode(), nullptr) << "take " << i + 1;
    }
    EXPECT_EQ(pool.takeNode(), nullptr) << "take 251";
    try {
        pool.take();
        FAIL() << "no error";
    } catch (const PoolExhausted& error) {
        EXPECT_STREQ(error.what(), "the node pool is full: all 250 divisor nodes are in use");
    }
    EXPECT_EQ(pool.inUseCount(), NodePool::kClassicCapacity);
}

TEST(NodePool, GrowingPoolNeverAnswersNullAndKeepsNodesInPlace) {
    NodePool pool;
    std::vector<DivisorNode*> nodes;
    for (int i = 0; i < 1000; ++i) {
        nodes.push_back(pool.takeNode());
        ASSERT_NE(nodes.back(), nullptr) << "take " << i + 1;
        nodes.back()->serial = i;
    }
    EXPECT_EQ(pool.capacity(), 4 * NodePool::kClassicCapacity);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(nodes[i]->serial, i) << "node " << i << " moved or was overwritten";
        ASSERT_EQ(pool.indexOf(nodes[i]), i);
    }
    // A slot freed in an early block is the next one handed out.
    pool.releaseNode(nodes[17]);
    pool.releaseNode(nodes[600]);
    EXPECT_EQ(pool.takeNode(), nodes[17]);
    EXPECT_EQ(pool.takeNode(), nodes[600]);
    EXPECT_EQ(pool.indexOf(pool.takeNode()), 1000);
}

}  // namespace
}  // namespace dorvanix
