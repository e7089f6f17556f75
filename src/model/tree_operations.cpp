#include "model/tree_operations.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "model/tree_walk.h"

namespace dorvanix {

namespace {

bool isChild(const DivisorNode& node, const DivisorNode* neighbour) {
    return neighbour != nullptr && neighbour->serial > node.serial;
}

int degreeOf(const DivisorNode& node) {
    return node.degree;
}

}  // namespace

void releaseSubtree(NodePool& pool, DivisorNode* slot) {
    if (slot == nullptr) return;
    walkDepthFirst(
        *slot, degreeOf,
        [](DivisorNode& node, int k) {
            DivisorNode* next = node.neighbor(k);
            return isChild(node, next) ? next : nullptr;
        },
        [&pool](DivisorNode& node) { pool.releaseNode(&node); });
}

void releaseBranches(NodePool& pool, DivisorNode& root) {
    for (int k = 0; k < root.degree; ++k) releaseSubtree(pool, root.neighbor(k));
    root.neighbors.clear();
    root.neighbors.shrink_to_fit();
}

void clearVisited(DivisorNode* node) {
    if (node == nullptr) return;
    node->visited = 0;
    walkDepthFirst(*node, degreeOf, [](DivisorNode& from, int k) {
        DivisorNode* next = from.neighbor(k);
        if (next == nullptr || next->visited == 0) return static_cast<DivisorNode*>(nullptr);
        next->visited = 0;
        return next;
    });
}

int supportEulerNumber(DivisorNode& root) {
    clearVisited(&root);
    // Every curve counts 2, every link from a curve to a child of nonzero multiplicity -1.
    root.visited = 1;
    int sum = 2;
    walkDepthFirst(root, degreeOf, [&sum](DivisorNode& node, int k) {
        DivisorNode* next = node.neighbor(k);
        if (next == nullptr || next->multiplicity == 0) return static_cast<DivisorNode*>(nullptr);
        if (next->serial > node.serial) sum -= 1;
        if (next->visited != 0) return static_cast<DivisorNode*>(nullptr);
        next->visited = 1;
        sum += 2;
        return next;
    });
    return sum;
}

namespace {

void addPosition(DivisorNode& node, double& sumX, double& sumY, int& count) {
    if (node.pointCount == 0) {
        sumX += node.x;
        sumY += node.y;
        count += 1;
    } else if (node.pointCount > 0) {
        const std::size_t points = std::min(node.pointX.size(), node.pointY.size());
        for (int i = 0; i < node.pointCount && static_cast<std::size_t>(i) < points; ++i) {
            sumX += node.pointX[i];
            sumY += node.pointY[i];
            count += 1;
        }
    }
    node.visited = 1;
}

void moveBy(DivisorNode& node, double dx, double dy) {
    node.x -= dx;
    node.movingX -= dx;
    node.y -= dy;
    node.movingY -= dy;
}

}  // namespace

void sumPositions(DivisorNode& node, double& sumX, double& sumY, int& count) {
    addPosition(node, sumX, sumY, count);
    walkDepthFirst(node, degreeOf, [&](DivisorNode& from, int k) {
        DivisorNode* next = from.neighbor(k);
        if (!isChild(from, next) || next->visited == 1) return static_cast<DivisorNode*>(nullptr);
        addPosition(*next, sumX, sumY, count);
        return next;
    });
}

void translateDivisor(DivisorNode& node, double dx, double dy) {
    moveBy(node, dx, dy);
    walkDepthFirst(node, degreeOf, [dx, dy](DivisorNode& from, int k) {
        DivisorNode* next = from.neighbor(k);
        if (!isChild(from, next)) return static_cast<DivisorNode*>(nullptr);
        moveBy(*next, dx, dy);
        return next;
    });
}

void recentreDivisor(DivisorNode& root) {
    clearVisited(&root);
    double sumX = 0.0;
    double sumY = 0.0;
    int count = 0;
    sumPositions(root, sumX, sumY, count);
    if (count == 0) return;
    translateDivisor(root, sumX / count, sumY / count);
}

DivisorNode& copyTree(NodePool& pool, const DivisorNode& root) {
    std::unordered_map<const DivisorNode*, DivisorNode*> copies;
    std::vector<const DivisorNode*> pending{&root};
    // Without recursion: a branch of a large fiber is thousands of nodes deep.
    while (!pending.empty()) {
        const DivisorNode* node = pending.back();
        pending.pop_back();
        if (copies.contains(node)) continue;
        DivisorNode& copy = pool.take();
        const int inUse = copy.inUse;
        copy = *node;
        copy.inUse = inUse;
        copies.emplace(node, &copy);
        for (const DivisorNode* next : node->neighbors) {
            if (next != nullptr && !copies.contains(next)) pending.push_back(next);
        }
    }
    for (auto& entry : copies) {
        for (DivisorNode*& next : entry.second->neighbors) {
            if (next != nullptr) next = copies.at(next);
        }
    }
    return *copies.at(&root);
}

}  // namespace dorvanix
