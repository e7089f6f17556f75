#pragma once

#include "model/divisor_node.h"

namespace dorvanix {

// One arm of a node: handle length, arm length and angle.
struct Arm {
    double handle = 0.0;
    double length = 0.0;
    double angle = 0.0;
};

// Sets up a taken node as a curve of n arms: `neighbors` of n entries with entry 0 = `first`
// (may be null), position (px, py) for both the node and its moving point, arm 0 = `arm0` and,
// when n >= 2, arm 1 = `arm1`; every velocity 0, no extra points, not marked, `visited` -1.
// The caller fills the other neighbours and arms.
DivisorNode& initNode(DivisorNode& node, int n, DivisorNode* first, double px, double py,
                      int serial, int multiplicity, Arm arm0, Arm arm1 = {});

// The position in a's neighbours of the k-th link between a and b (two nodes may be linked more
// than once); -1 when link k of b does not lead to a. A k beyond b's degree means link 0. When a
// holds fewer links to b than b to a, the answer is 1.
int linkSlotOf(const DivisorNode& a, const DivisorNode& b, int k);

}  // namespace dorvanix
