#pragma once

#include "model/divisor_node.h"
#include "model/node_pool.h"

namespace dorvanix {

// Walks over divisor trees. A child is told from its parent by a larger `serial`; null arrays
// and null neighbours are skipped everywhere.

// Releases the node held in `slot` and everything below it, children first. The pointer in the
// slot is left as it was.
void releaseSubtree(NodePool& pool, DivisorNode* slot);
// Releases every branch of a core node (not the core) and drops the core's neighbour array;
// `degree` is left as it was.
void releaseBranches(NodePool& pool, DivisorNode& root);
void clearVisited(DivisorNode* node);
// Euler number of the part with nonzero multiplicity that hangs together with the root (the root
// always counts): twice the curves minus the parent-child links between them.
int supportEulerNumber(DivisorNode& root);
void sumPositions(DivisorNode& node, double& sumX, double& sumY, int& count);
// Moves a tree by (-dx, -dy); the extra points of a joining curve stay where they are.
void translateDivisor(DivisorNode& node, double dx, double dy);
// Moves a tree so that the mean point of its positions lies at (0, 0).
void recentreDivisor(DivisorNode& root);
// Copies every node reached from `root` through the neighbour arrays, layout included, into
// nodes of `pool`, and links the copies as the originals are linked. Answers the copy of `root`.
DivisorNode& copyTree(NodePool& pool, const DivisorNode& root);

}  // namespace dorvanix
