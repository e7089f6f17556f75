#include "model/node_links.h"

namespace dorvanix {

DivisorNode& initNode(DivisorNode& node, int n, DivisorNode* first, double px, double py,
                      int serial, int multiplicity, Arm arm0, Arm arm1) {
    node.degree = n;
    node.allocateArms(n);
    if (n >= 1) {
        node.neighbors[0] = first;
        node.handleLength[0] = arm0.handle;
        node.armLength[0] = arm0.length;
        node.armAngle[0] = arm0.angle;
    }
    if (n >= 2) {
        node.handleLength[1] = arm1.handle;
        node.armLength[1] = arm1.length;
        node.armAngle[1] = arm1.angle;
    }
    node.x = node.movingX = px;
    node.y = node.movingY = py;
    node.serial = serial;
    node.multiplicity = multiplicity;
    node.velocityX = node.velocityY = 0.0;
    node.pointX.clear();
    node.pointY.clear();
    node.pointCount = 0;
    node.marked = 0;
    node.visited = -1;
    return node;
}

int linkSlotOf(const DivisorNode& a, const DivisorNode& b, int k) {
    if (k >= b.degree) k = 0;
    if (b.neighbor(k) != &a) return -1;
    int count = 1;
    for (int i = 0; i < k; ++i) count += b.neighbor(i) == &a ? 1 : 0;
    for (std::size_t position = 0; position < a.neighbors.size(); ++position) {
        if (a.neighbors[position] != &b) continue;
        if (count == 1) return static_cast<int>(position);
        --count;
    }
    return 1;
}

}  // namespace dorvanix
