#include "picture/layout_relaxation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "model/node_links.h"
#include "model/pi.h"
#include "model/tree_walk.h"

namespace dorvanix {

namespace {

constexpr double kAngleScale = 0.05;
constexpr double kRootScale = 2.0;
constexpr double kChildScale = 1.0;

// Everything that one step draws from and may set.
struct Step {
    const RandomSource& random;
    int& relaxationStarted;

    bool threeInFour() const { return random() % 4 != 0; }
    bool fourInFive() const { return random() % 5 != 0; }
};

// Number of arms whose arrays are all present.
int usableArms(const DivisorNode& node) {
    const std::size_t sizes =
        std::min({node.armAngle.size(), node.armLength.size(), node.handleLength.size(),
                  node.armAngleVelocity.size(), node.handleLengthVelocity.size(),
                  node.armLengthVelocity.size()});
    return std::max(0, std::min(node.degree, static_cast<int>(sizes)));
}

// Number of extra points usable by the joining-curve step.
int usablePoints(const DivisorNode& node) {
    const std::size_t sizes = std::min(node.pointX.size(), node.pointY.size());
    return std::max(0, std::min({node.pointCount, usableArms(node), static_cast<int>(sizes)}));
}

bool hasPoint(const DivisorNode& node, int k) {
    return k >= 0 && static_cast<std::size_t>(k) < node.pointX.size() &&
           static_cast<std::size_t>(k) < node.pointY.size();
}

// Steps a velocity on its cycle (when the draw passes) and adds it to the quantity it drives.
void breathe(bool passes, double& velocity, double scale, double& quantity) {
    if (!passes) return;
    velocity = advanceOnCycle(velocity, scale);
    quantity += velocity;
}

void ensureNeighbourSlots(DivisorNode& node, int count) {
    if (node.neighbors.size() < static_cast<std::size_t>(count)) {
        node.neighbors.resize(static_cast<std::size_t>(count), nullptr);
    }
}

// Moves arm `from` (its neighbour, lengths, angle and velocities) to position `to`.
void moveArm(DivisorNode& node, int from, int to, bool withPoint) {
    if (from == to) return;
    node.neighbors[to] = node.neighbors[from];
    node.neighbors[from] = nullptr;
    for (auto* arms : {&node.armAngle, &node.armLength, &node.handleLength, &node.armAngleVelocity,
                       &node.handleLengthVelocity, &node.armLengthVelocity}) {
        (*arms)[to] = (*arms)[from];
    }
    if (withPoint && hasPoint(node, from) && hasPoint(node, to)) {
        node.pointX[to] = node.pointX[from];
        node.pointY[to] = node.pointY[from];
    }
}

void swapArms(DivisorNode& node, int a, int b) {
    std::swap(node.neighbors[a], node.neighbors[b]);
    for (auto* arms : {&node.armAngle, &node.armLength, &node.handleLength, &node.armAngleVelocity,
                       &node.handleLengthVelocity, &node.armLengthVelocity}) {
        std::swap((*arms)[a], (*arms)[b]);
    }
    if (hasPoint(node, a) && hasPoint(node, b)) {
        std::swap(node.pointX[a], node.pointX[b]);
        std::swap(node.pointY[a], node.pointY[b]);
    }
}

// Moves every arm with a neighbour down to the lowest free position, keeping the order; returns
// how many there are.
int dropEmptyArms(DivisorNode& node, int arms, bool withPoints) {
    ensureNeighbourSlots(node, arms);
    int kept = 0;
    for (int k = 0; k < arms; ++k) {
        if (node.neighbors[k] == nullptr) continue;
        moveArm(node, k, kept, withPoints);
        ++kept;
    }
    return kept;
}

void spreadArms(DivisorNode& node, int arms) {
    for (int k = 1; k < arms; ++k) {
        pullToward(node.armAngle[k], k * kTurnCut5 / arms + node.armAngle[0], 0.025, 0.05);
    }
}

// Handles of a star of three or more arms open to fill the angle between neighbouring arms.
double starHandle(int arms, double armLength) {
    return std::tan(kPiCut5 / arms) * armLength * 0.5;
}

// ---- the root step ----

void breatheRootArms(DivisorNode& node, int arms, const Step& step) {
    for (int k = 0; k < arms; ++k) {
        breathe(step.threeInFour(), node.armAngleVelocity[k], kAngleScale, node.armAngle[k]);
        breathe(step.fourInFive(), node.handleLengthVelocity[k], kRootScale, node.handleLength[k]);
        breathe(step.threeInFour(), node.armLengthVelocity[k], kRootScale, node.armLength[k]);
    }
}

void pullRootHandles(DivisorNode& node, int arms) {
    for (int k = 0; k < arms; ++k) {
        const double target =
            arms > 2 ? starHandle(arms, node.armLength[k]) : node.armLength[k] * 1.3;
        pullToward(node.handleLength[k], target, 0.025, 0.05);
    }
}

void relaxRoot(DivisorNode& node, const Step& step) {
    const int kept = dropEmptyArms(node, usableArms(node), false);
    if (kept > 0) node.degree = kept;
    const int arms = usableArms(node);
    breatheRootArms(node, arms, step);
    breathe(step.threeInFour(), node.velocityX, kRootScale, node.movingX);
    breathe(step.threeInFour(), node.velocityY, kRootScale, node.movingY);
    spreadArms(node, arms);
    pullRootHandles(node, arms);
}

// ---- the child step ----

// Turns the child's arms rigidly so that its arm toward the parent faces the parent's arm, then
// jitters the other arms.
void turnTowardParent(DivisorNode& child, const DivisorNode& parent, int parentArm,
                      const Step& step) {
    const int arms = usableArms(child);
    int back = 0;  // a child that does not know its parent turns its first arm
    for (int j = 0; j < arms; ++j) {
        if (child.neighbor(j) == &parent) back = j;
    }
    for (int j = 0; j < arms; ++j) {
        if (j != back) child.armAngle[j] -= child.armAngle[back];
    }
    child.armAngle[back] = parent.armAngle[parentArm] - kPiCut10;
    for (int j = 0; j < arms; ++j) {
        if (j == back) continue;
        child.armAngle[j] += child.armAngle[back];
        breathe(step.threeInFour(), child.armAngleVelocity[j], kAngleScale, child.armAngle[j]);
    }
}

// Arms of a child breathe; those not leading to a joining curve's parents stay near 30 pixels.
void breatheChildArms(DivisorNode& child, const Step& step) {
    const int arms = usableArms(child);
    for (int j = 0; j < arms; ++j) {
        breathe(step.fourInFive(), child.handleLengthVelocity[j], kChildScale,
                child.handleLength[j]);
        if (!step.threeInFour()) continue;
        breathe(true, child.armLengthVelocity[j], kChildScale, child.armLength[j]);
        const DivisorNode* next = child.neighbor(j);
        if (child.pointCount != 0 && next != nullptr && next->serial <= child.serial) continue;
        if (child.armLength[j] < 29.5) child.armLength[j] += 1.0;
        if (child.armLength[j] > 30.5) child.armLength[j] -= 1.0;
    }
}

void placeOrdinaryChild(DivisorNode& child, const DivisorNode& parent, int parentArm,
                        double distance) {
    double baseX = parent.x;
    double baseY = parent.y;
    if (parent.pointCount != 0 && hasPoint(parent, parentArm)) {
        baseX = parent.pointX[parentArm];
        baseY = parent.pointY[parentArm];
    }
    const double angle = parent.armAngle[parentArm];
    child.x = baseX + distance * std::cos(angle);
    child.y = baseY + distance * std::sin(angle);
    child.movingX = child.x;
    child.movingY = child.y;
    const int arms = usableArms(child);
    spreadArms(child, arms);
    for (int k = 0; k < arms; ++k) {
        if (arms < 3) {
            pullToward(child.handleLength[k], child.armLength[k] * 1.3, 0.05, 0.1);
        } else {
            pullToward(child.handleLength[k], starHandle(arms, child.armLength[k]), 0.025, 0.05);
        }
    }
}

void relaxJoiningCurve(DivisorNode& curve, const DivisorNode& parent, int parentArm,
                       const Step& step);

bool isRelaxedChild(const DivisorNode& parent, const DivisorNode* child) {
    return child != nullptr && child->multiplicity != 0 && child->degree >= 1 &&
           child->serial > parent.serial && usableArms(*child) >= 1;
}

void relaxChild(DivisorNode& child, DivisorNode& parent, int parentArm, const Step& step) {
    if (child.pointCount == 0) turnTowardParent(child, parent, parentArm, step);
    breatheChildArms(child, step);
    breathe(step.threeInFour(), child.velocityY, kChildScale, child.movingY);
    const double distance =
        std::max(parent.armLength[parentArm], 0.0) + std::max(child.armLength[0], 0.0);
    if (child.pointCount == 0) {
        placeOrdinaryChild(child, parent, parentArm, distance);
    } else {
        relaxJoiningCurve(child, parent, parentArm, step);
    }
    breathe(step.threeInFour(), child.velocityX, kChildScale, child.movingX);
    breathe(step.threeInFour(), child.velocityY, kChildScale, child.movingY);
}

// The child step for every child of `parent`, each followed by its own subtree.
void relaxChildrenOf(DivisorNode& parent, const Step& step) {
    walkDepthFirst(parent, usableArms, [&step](DivisorNode& node, int i) {
        DivisorNode* child = node.neighbor(i);
        if (!isRelaxedChild(node, child)) return static_cast<DivisorNode*>(nullptr);
        relaxChild(*child, node, i, step);
        return child;
    });
}

// ---- the joining curve ----

// Per point of a joining curve: whether it is linked to a node before it, and the direction
// from the gathering point to the tip of its arm.
struct Gathering {
    std::vector<bool> linked;
    std::vector<double> angle;
    double targetX = 0.0;
    double targetY = 0.0;
    int linkedCount = 0;
};

// A joining curve hanging from another joining curve follows the parent's point.
void followParentCurve(DivisorNode& curve, const DivisorNode& parent, int parentArm) {
    const double angle = parent.armAngle[parentArm];
    const int points = usablePoints(curve);
    for (int j = 0; j < points; ++j) {
        if (curve.neighbor(j) != &parent || !hasPoint(parent, parentArm)) continue;
        const double d =
            std::max(parent.armLength[parentArm], 0.0) + std::max(curve.armLength[j], 0.0);
        curve.pointX[j] = parent.pointX[parentArm] + d * std::cos(angle);
        curve.pointY[j] = parent.pointY[parentArm] + d * std::sin(angle);
        curve.movingX = curve.pointX[j];
        curve.movingY = curve.pointY[j];
    }
}

// Puts the points that hang on this arm of the parent at its end, and collects the linked ones.
Gathering anchorAndCollect(DivisorNode& curve, const DivisorNode& parent, int parentArm) {
    const int points = usablePoints(curve);
    Gathering gathering{std::vector<bool>(points, false), std::vector<double>(points, 0.0)};
    const double angle = parent.armAngle[parentArm];
    double sumX = 0.0;
    double sumY = 0.0;
    for (int j = 0; j < points; ++j) {
        if (linkSlotOf(parent, curve, j) == parentArm) {
            const double d =
                std::max(parent.armLength[parentArm], 0.0) + std::max(curve.armLength[j], 0.0);
            curve.pointX[j] = parent.x + d * std::cos(angle);
            curve.pointY[j] = parent.y + d * std::sin(angle);
        }
        const DivisorNode* next = curve.neighbor(j);
        if (next == nullptr || next->serial >= curve.serial) continue;
        gathering.linked[j] = true;
        gathering.angle[j] = curve.armAngle[j];
        gathering.linkedCount += 1;
        sumX += curve.pointX[j];
        sumY += curve.pointY[j];
    }
    const double factor = gathering.linkedCount < 2 ? 1.0 : 2.0 / gathering.linkedCount;
    gathering.targetX = sumX * factor;
    gathering.targetY = sumY * factor;
    return gathering;
}

void aimLinkedArms(const DivisorNode& curve, Gathering& gathering) {
    for (std::size_t j = 0; j < gathering.linked.size(); ++j) {
        if (!gathering.linked[j]) continue;
        gathering.angle[j] = std::atan2(
            curve.pointY[j] + curve.armLength[j] * std::sin(curve.armAngle[j]) - gathering.targetY,
            curve.pointX[j] + curve.armLength[j] * std::cos(curve.armAngle[j]) - gathering.targetX);
    }
}

void stepToward(double& value, double target) {
    if (value > target) {
        value -= 2.0;
    } else if (value < target) {
        value += 2.0;
    }
}

// The angle a free arm is pulled to: interpolated between the nearest linked arms on either
// side, one full turn apart when the search wraps. False when no arm is linked.
bool interpolatedAngle(const Gathering& gathering, int j, int n, double& target) {
    const auto linkedAt = [&](int position) {
        const int wrapped = ((position % n) + n) % n;
        return static_cast<std::size_t>(wrapped) < gathering.linked.size() &&
               gathering.linked[wrapped];
    };
    const auto angleAt = [&](int position) { return gathering.angle[((position % n) + n) % n]; };
    int before = j - n;
    for (int p = j - 1; p >= j - n + 1; --p) {
        if (linkedAt(p)) {
            before = p;
            break;
        }
    }
    int after = j + n;
    for (int q = j + 1; q <= j + n - 1; ++q) {
        if (linkedAt(q)) {
            after = q;
            break;
        }
    }
    if (before == j - n || after == j + n) return false;
    const double low = angleAt(before) - (before < 0 ? kTurnCut2 : 0.0);
    const double high = angleAt(after) + (after >= n ? kTurnCut2 : 0.0);
    target = ((j - before) * high + (after - j) * low) / (after - before);
    return true;
}

// Moves the free points toward the gathering point and sets every arm's angle and handle; true
// when every free point has arrived within 4 pixels.
bool gatherPoints(DivisorNode& curve, const DivisorNode& parent, int parentArm,
                  const Gathering& gathering) {
    const int points = static_cast<int>(gathering.linked.size());
    bool gathered = true;
    for (int j = 0; j < points; ++j) {
        double handleTarget = -curve.armLength[j];
        if (!gathering.linked[j]) {
            stepToward(curve.pointX[j], gathering.targetX);
            stepToward(curve.pointY[j], gathering.targetY);
            if (std::abs(curve.pointX[j] - gathering.targetX) > 4.0 ||
                std::abs(curve.pointY[j] - gathering.targetY) > 4.0) {
                gathered = false;
            }
            double angle = 0.0;
            if (interpolatedAngle(gathering, j, curve.degree, angle)) {
                pullToward(curve.armAngle[j], angle, 0.008, 0.016);
            }
            handleTarget = std::tan(kPiCut5 / curve.pointCount) * curve.armLength[j] * 0.5;
        } else if (linkSlotOf(parent, curve, j) == parentArm) {
            curve.armAngle[j] = parent.armAngle[parentArm] + kPiCut5;
        }
        pullToward(curve.handleLength[j], handleTarget, 0.025, 0.05);
    }
    return gathered;
}

// A gathered curve meeting the divisor once becomes an ordinary node at that point.
void collapseToNode(DivisorNode& curve) {
    const int kept = dropEmptyArms(curve, usablePoints(curve), true);
    for (int k = 0; k < kept; ++k) curve.handleLength[k] *= 3.0;
    if (kept > 0) {
        curve.x = curve.pointX[kept - 1];
        curve.y = curve.pointY[kept - 1];
        curve.degree = kept;
    }
    curve.pointCount = 0;
}

// Sorts the linked arms by their direction from the gathering point (the directions stay with
// their positions while arms move).
void orderLinkedArms(DivisorNode& curve, const Gathering& gathering) {
    const int points = static_cast<int>(gathering.linked.size());
    for (int t = 1; t < points; ++t) {
        for (int e = t - 1; e >= 0; --e) {
            if (gathering.linked[t] && gathering.linked[e] &&
                gathering.angle[t] < gathering.angle[e]) {
                swapArms(curve, e, t);
            }
        }
    }
}

// Keeps every linked arm and one empty arm out of each run of empty arms.
void compactArms(DivisorNode& curve, int points) {
    int kept = 0;
    for (int t = 0; t < points; ++t) {
        const DivisorNode* next = curve.neighbor(t);
        if (next == nullptr && t + 1 < points && curve.neighbor(t + 1) == nullptr) continue;
        const bool towardParent = next != nullptr && next->serial < curve.serial;
        curve.handleLength[t] *= towardParent ? -3.0 : 3.0;
        moveArm(curve, t, kept, true);
        ++kept;
    }
    curve.degree = kept;
    curve.pointCount = kept;
}

void relaxJoiningCurve(DivisorNode& curve, const DivisorNode& parent, int parentArm,
                       const Step& step) {
    if (parent.pointCount != 0) {
        followParentCurve(curve, parent, parentArm);
        return;
    }
    ensureNeighbourSlots(curve, usablePoints(curve));
    Gathering gathering = anchorAndCollect(curve, parent, parentArm);
    curve.movingX = gathering.targetX;
    curve.movingY = gathering.targetY;
    aimLinkedArms(curve, gathering);
    if (!gatherPoints(curve, parent, parentArm, gathering)) return;
    if (gathering.linkedCount == 1) {
        collapseToNode(curve);
    } else if (gathering.linkedCount >= 2 && step.relaxationStarted == 0) {
        orderLinkedArms(curve, gathering);
        compactArms(curve, static_cast<int>(gathering.linked.size()));
        step.relaxationStarted = 1;
    }
}

}  // namespace

double advanceOnCycle(double velocity, double scale) {
    for (std::size_t i = 0; i + 1 < kVelocityCycle.size(); ++i) {
        if (velocity == scale * kVelocityCycle[i]) return scale * kVelocityCycle[i + 1];
    }
    return velocity;
}

void pullToward(double& value, double target, double band, double step) {
    if (value < target - band) {
        value += step;
    } else if (value > target + band) {
        value -= step;
    }
}

void relaxStep(DivisorNode* node, const RandomSource& random, int& relaxationStarted) {
    if (node == nullptr) return;
    const Step step{random, relaxationStarted};
    relaxRoot(*node, step);
    relaxChildrenOf(*node, step);
}

void relaxChildren(DivisorNode& parent, const RandomSource& random, int& relaxationStarted) {
    relaxChildrenOf(parent, Step{random, relaxationStarted});
}

}  // namespace dorvanix
