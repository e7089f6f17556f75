#include "model/node_pool.h"

#include <algorithm>
#include <functional>
#include <string>

namespace dorvanix {

namespace {

bool byAddress(const std::pair<const DivisorNode*, std::size_t>& a,
               const std::pair<const DivisorNode*, std::size_t>& b) {
    return std::less<const DivisorNode*>()(a.first, b.first);
}

}  // namespace

PoolExhausted::PoolExhausted(std::size_t capacity)
    : std::runtime_error("the node pool is full: all " + std::to_string(capacity) +
                         " divisor nodes are in use") {}

NodePool::NodePool(std::size_t blockSize, Growth growth)
    : blockSize_(blockSize > 0 ? blockSize : 1), growth_(growth) {
    addBlock();
}

void NodePool::addBlock() {
    blocks_.push_back(std::make_unique<DivisorNode[]>(blockSize_));
    const std::pair<const DivisorNode*, std::size_t> entry{blocks_.back().get(),
                                                           blocks_.size() - 1};
    blocksByAddress_.insert(
        std::upper_bound(blocksByAddress_.begin(), blocksByAddress_.end(), entry, byAddress),
        entry);
    slotCount_ += blockSize_;
}

DivisorNode& NodePool::slot(std::size_t index) {
    return blocks_[index / blockSize_][index % blockSize_];
}

DivisorNode* NodePool::takeNode() {
    for (std::size_t i = firstFreeHint_; i < slotCount_; ++i) {
        DivisorNode& node = slot(i);
        if (node.inUse == 0) {
            node.reset();
            node.inUse = 1;
            ++inUse_;
            firstFreeHint_ = i + 1;
            return &node;
        }
    }
    firstFreeHint_ = slotCount_;
    if (growth_ == Growth::Bounded) return nullptr;
    addBlock();
    return takeNode();
}

DivisorNode& NodePool::take() {
    DivisorNode* node = takeNode();
    if (node == nullptr) throw PoolExhausted(slotCount_);
    return *node;
}

void NodePool::releaseNode(DivisorNode* node) {
    if (node == nullptr || node->inUse == 0) return;
    node->inUse = 0;
    --inUse_;
    const long index = indexOf(node);
    if (index >= 0 && static_cast<std::size_t>(index) < firstFreeHint_) {
        firstFreeHint_ = static_cast<std::size_t>(index);
    }
}

long NodePool::indexOf(const DivisorNode* node) const {
    // The last block that starts at or before the node.
    auto block = std::upper_bound(blocksByAddress_.begin(), blocksByAddress_.end(),
                                  std::pair<const DivisorNode*, std::size_t>{node, 0}, byAddress);
    if (block == blocksByAddress_.begin()) return -1;
    --block;
    const DivisorNode* first = block->first;
    if (!std::less<const DivisorNode*>()(node, first + blockSize_)) return -1;
    return static_cast<long>(block->second * blockSize_ + static_cast<std::size_t>(node - first));
}

}  // namespace dorvanix
