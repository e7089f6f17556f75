#include "model/node_pool.h"

#include <gtest/gtest.h>

#include "model/tree_operations.h"

namespace dorvanix {
namespace {

TEST(NodePool, HandsOutSlotsLowestFirstAndReusesReleasedOnes) {
    NodePool pool(NodePool::kClassicCapacity, NodePool::Growth::Bounded);
    DivisorNode* first = pool.takeNode();
    DivisorNode* second = pool.takeNode();
    EXPECT_EQ(pool.indexOf(first), 0);
    EXPECT_EQ(pool.indexOf(second), 1);
    pool.releaseNode(first);
    EXPECT_EQ(pool.takeNode(), first);
    EXPECT_EQ(pool.inUseCount(), 2u);
}

TEST(NodePool, BoundedPoolAnswersNullAfterItsLastSlot) {
    NodePool pool(NodePool::kClassicCapacity, NodePool::Growth::Bounded);
    for (std::size_t i = 0; i < NodePool::kClassicCapacity; ++i) {
        ASSERT_NE(pool.takeNode(), nullptr) << "take " << i + 1;
    }
    EXPECT_EQ(pool.takeNode(), nullptr);
    EXPECT_THROW(pool.take(), PoolExhausted);
}

TEST(NodePool, GrowingPoolKeepsEarlierNodesInPlace) {
    NodePool pool(4);
    std::vector<DivisorNode*> nodes;
    for (int i = 0; i < 10; ++i) {
        nodes.push_back(pool.takeNode());
        nodes.back()->serial = i;
    }
    EXPECT_EQ(pool.capacity(), 12u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(nodes[i]->serial, i) << "node " << i;
    EXPECT_EQ(pool.indexOf(nodes[9]), 9);
}

TEST(NodePool, TakenNodeStartsAsNewlyConstructed) {
    NodePool pool(2, NodePool::Growth::Bounded);
    DivisorNode* node = pool.takeNode();
    node->marked = 1;
    node->pointCount = 3;
    node->pointX.assign(3, 1.0);
    node->degree = 4;
    pool.releaseNode(node);
    DivisorNode* again = pool.takeNode();
    ASSERT_EQ(again, node);
    EXPECT_EQ(again->marked, 0);
    EXPECT_EQ(again->pointCount, 0);
    EXPECT_TRUE(again->pointX.empty());
    EXPECT_EQ(again->degree, 1);
    EXPECT_EQ(again->visited, -1);
    EXPECT_EQ(again->inUse, 1);
}

}  // namespace
}  // namespace dorvanix

namespace dorvanix {
namespace {

TEST(NodePool, TakeOnAFullBoundedPoolThrowsWithAClearMessage) {
    NodePool pool(3, NodePool::Growth::Bounded);
    for (int i = 0; i < 3; ++i) pool.take();
    try {
        pool.take();
        FAIL() << "no error";
    } catch (const PoolExhausted& error) {
        EXPECT_STREQ(error.what(), "the node pool is full: all 3 divisor nodes are in use");
    }
    EXPECT_EQ(pool.inUseCount(), 3u);
}

TEST(NodePool, GrowingPoolNeverAnswersNull) {
    NodePool pool;
    std::vector<DivisorNode*> nodes;
    for (int i = 0; i < 1000; ++i) {
        DivisorNode* node = pool.takeNode();
        ASSERT_NE(node, nullptr) << "take " << i + 1;
        nodes.push_back(node);
    }
    EXPECT_EQ(pool.inUseCount(), 1000u);
    EXPECT_EQ(pool.capacity(), 4 * NodePool::kClassicCapacity);
    // A slot freed in an early block is the next one handed out.
    pool.releaseNode(nodes[17]);
    pool.releaseNode(nodes[600]);
    EXPECT_EQ(pool.takeNode(), nodes[17]);
    EXPECT_EQ(pool.takeNode(), nodes[600]);
    EXPECT_EQ(pool.indexOf(pool.takeNode()), 1000);
}

TEST(NodePool, ReleasingTwiceOrAForeignNodeChangesNothing) {
    NodePool pool(4, NodePool::Growth::Bounded);
    DivisorNode* node = pool.takeNode();
    pool.take();
    pool.releaseNode(node);
    pool.releaseNode(node);
    pool.releaseNode(nullptr);
    DivisorNode foreign;
    EXPECT_EQ(pool.indexOf(&foreign), -1);
    EXPECT_EQ(pool.inUseCount(), 1u);
    EXPECT_EQ(pool.takeNode(), node);
}

}  // namespace
}  // namespace dorvanix
