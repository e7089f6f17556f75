#pragma once

#include <span>

#include "model/divisor_node.h"
#include "model/fiber_data.h"
#include "model/node_pool.h"

namespace dorvanix {

// Builds the fiber X with core multiplicity m, self-intersection -r and branches starting with
// the multiplicities `parts` under `root`, as the fiber list builds the fiber of its line: the
// core is serial 1 at (0, 0) with its arms evenly spread, every further node is numbered in
// creation order branch by branch, and each branch chain follows from m and its first
// multiplicity by the continued-fraction rule (chainStep). Nodes come from `pool`.
void buildFiberTree(NodePool& pool, DivisorNode& root, int m, int r, std::span<const int> parts);
void buildFiberTree(NodePool& pool, DivisorNode& root, const FiberData& fiber);

}  // namespace dorvanix
