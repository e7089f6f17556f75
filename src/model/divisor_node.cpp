#include "model/divisor_node.h"

namespace dorvanix {

void DivisorNode::allocateArms(int n) {
    const std::size_t size = n > 0 ? static_cast<std::size_t>(n) : 0;
    neighbors.assign(size, nullptr);
    for (auto* arms : {&armAngle, &handleLength, &armLength, &armAngleVelocity,
                       &handleLengthVelocity, &armLengthVelocity}) {
        arms->assign(size, 0.0);
    }
}

void DivisorNode::reset() {
    const int keepInUse = inUse;
    *this = DivisorNode{};
    inUse = keepInUse;
}

}  // namespace dorvanix
