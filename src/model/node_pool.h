#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "model/divisor_node.h"

namespace dorvanix {

// Thrown by NodePool::take when a bounded pool has no free slot.
class PoolExhausted : public std::runtime_error {
  public:
    explicit PoolExhausted(std::size_t capacity);
};

// The slots every divisor tree is built from. Slots are handed out lowest index first and come
// back through releaseNode (or the release walks). A bounded pool holds exactly `blockSize` slots
// and answers null when they are all taken; a growing pool adds another block instead, and since
// blocks never move, node addresses stay valid for the pool's whole life.
class NodePool {
  public:
    static constexpr std::size_t kClassicCapacity = 250;
    enum class Growth { Bounded, Grow };

    explicit NodePool(std::size_t blockSize = kClassicCapacity, Growth growth = Growth::Grow);
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    // The first free slot, reset to a newly constructed node and marked taken; null when a
    // bounded pool is full.
    DivisorNode* takeNode();
    // Like takeNode, but a full bounded pool throws PoolExhausted instead of answering null.
    DivisorNode& take();
    // Marks the slot free; nothing else of the node changes.
    void releaseNode(DivisorNode* node);

    std::size_t capacity() const { return slotCount_; }
    std::size_t inUseCount() const { return inUse_; }
    // Index of a node of this pool, counted over all blocks; -1 for a foreign node.
    long indexOf(const DivisorNode* node) const;

  private:
    DivisorNode& slot(std::size_t index);
    void addBlock();

    std::size_t blockSize_;
    Growth growth_;
    std::vector<std::unique_ptr<DivisorNode[]>> blocks_;
    // The first slot of every block with the block's number, ordered by address: releasing the
    // million nodes of a large analysis looks each one up, and a walk over thousands of blocks
    // per node took seconds.
    std::vector<std::pair<const DivisorNode*, std::size_t>> blocksByAddress_;
    std::size_t slotCount_ = 0;
    std::size_t inUse_ = 0;
    // No slot below this index is free.
    std::size_t firstFreeHint_ = 0;
};

}  // namespace dorvanix
