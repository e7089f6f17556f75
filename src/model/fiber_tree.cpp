#include "model/fiber_tree.h"

#include "model/arithmetic.h"
#include "model/divisor_notation.h"

namespace dorvanix {

namespace {

// The chain of one branch, hung on arm `arm` of the core, from its first node `current` on.
void buildChain(NodePool& pool, DivisorNode& root, DivisorNode* current, int arm, int& serial) {
    int before = root.multiplicity;
    DivisorNode* previous = &root;
    while (true) {
        const int c = current->multiplicity;
        if (c <= 0) {  // only a corrupt line gets here; end the branch on this node
            attachChainNode(*previous, *current, 1, arm);
            return;
        }
        const ChainStep step = chainStep(before, c);
        current->selfIntersection = static_cast<int>(step.selfIntersection);
        if (step.last) {
            attachChainNode(*previous, *current, 1, arm);
            return;
        }
        attachChainNode(*previous, *current, 2, arm);
        DivisorNode* following = &pool.take();
        current->neighbors[1] = following;
        following->serial = ++serial;
        following->multiplicity = static_cast<int>(step.next);
        before = c;
        previous = current;
        current = following;
        arm = 1;
    }
}

}  // namespace

void buildFiberTree(NodePool& pool, DivisorNode& root, int m, int r, std::span<const int> parts) {
    int serial = kCoreSerial;
    root.serial = serial;
    root.multiplicity = m;
    root.selfIntersection = r;
    const int branches = static_cast<int>(parts.size());
    root.degree = branches;
    root.x = root.y = 0.0;
    root.allocateArms(branches);
    for (int k = 0; k < branches; ++k) {
        setCoreArm(root, k, branches, 50);
        DivisorNode* first = &pool.take();
        root.neighbors[k] = first;
        first->serial = ++serial;
        first->multiplicity = parts[k];
        buildChain(pool, root, first, k, serial);
    }
    root.movingX = root.movingY = 0.0;
    root.velocityX = root.velocityY = 0.0;
}

void buildFiberTree(NodePool& pool, DivisorNode& root, const FiberData& fiber) {
    buildFiberTree(pool, root, fiber.m, fiber.r, fiber.firstMultiplicities());
}

}  // namespace dorvanix
