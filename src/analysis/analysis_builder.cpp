#include "analysis/analysis_builder.h"
#include "analysis/analysis_serials.h"
#include "model/pi.h"

#include <cmath>

namespace dorvanix {

Arm armOf(const DivisorNode& node, int k) {
    if (k < 0) return {};
    const auto at = static_cast<std::size_t>(k);
    if (at >= node.handleLength.size() || at >= node.armLength.size() ||
        at >= node.armAngle.size()) {
        return {};
    }
    return {node.handleLength[at], node.armLength[at], node.armAngle[at]};
}

void setArm(DivisorNode& node, int k, Arm arm) {
    if (k < 0 || static_cast<std::size_t>(k) >= node.armAngle.size()) return;
    const auto at = static_cast<std::size_t>(k);
    node.handleLength[at] = arm.handle;
    node.armLength[at] = arm.length;
    node.armAngle[at] = arm.angle;
    node.armAngleVelocity[at] = node.handleLengthVelocity[at] = node.armLengthVelocity[at] = 0.0;
}

void setNeighbor(DivisorNode& node, int k, DivisorNode* value) {
    if (k >= 0 && static_cast<std::size_t>(k) < node.neighbors.size()) node.neighbors[k] = value;
}

int multiplicityOf(const DivisorNode* node) {
    return node != nullptr ? node->multiplicity : 0;
}

const DivisorNode* nextInChain(const DivisorNode* node) {
    return node != nullptr && node->degree >= 2 ? node->neighbor(1) : nullptr;
}

AnalysisBuilder::AnalysisBuilder(NodePool& pool, AnalysisResult& result, int ell,
                                 const Progress* progress)
    : pool_(pool), result_(result), ell_(ell), progress_(progress) {}

DivisorNode& AnalysisBuilder::take() {
    // Room first, so that a node is never taken without being tracked.
    auto& nodes = result_.nodes;
    if (nodes.size() % 4096 == 0) throwIfCancelled(progress_);
    if (nodes.size() == nodes.capacity()) nodes.reserve(2 * nodes.capacity() + 16);
    DivisorNode& node = pool_.take();
    result_.nodes.push_back(&node);
    return node;
}

DivisorNode& AnalysisBuilder::copyX(const Cursor& at, int degree, int serial, int multiplicity) {
    const DivisorNode& x = *at.x;
    return initNode(*at.copy, degree < 1 ? 1 : degree, at.parent, x.x, x.y, serial, multiplicity,
                    armOf(x, 0), armOf(x, 1));
}

bool AnalysisBuilder::advance(Cursor& at) {
    const DivisorNode* next = nextInChain(at.x);
    if (next == nullptr) return false;
    DivisorNode& following = take();
    setNeighbor(*at.copy, 1, &following);
    at.parent = at.copy;
    at.copy = &following;
    at.x = next;
    return true;
}

DivisorNode& AnalysisBuilder::standardStub(DivisorNode& node, int arm) {
    DivisorNode& stub = take();
    setNeighbor(node, arm, &stub);
    stubs_.push_back(&stub);
    const Arm a = armOf(node, arm);
    initNode(stub, 1, &node, node.x + 2 * a.length * std::cos(a.angle),
             node.y + 2 * a.length * std::sin(a.angle), kStubSerial, ell_,
             {a.handle, a.length, a.angle - kPiRounded4});
    return stub;
}

void AnalysisBuilder::fan(DivisorNode& node, int firstArm, int count, Arm lengths, double base,
                          double step) {
    for (int i = 1; i <= count; ++i) {
        setArm(node, firstArm + i - 1, {lengths.handle, lengths.length, base + i * step});
        standardStub(node, firstArm + i - 1);
    }
}

void AnalysisBuilder::buildRoot(const DivisorNode& x, const DivisorNode& y) {
    const int b = x.degree;
    long long sumY = 0;
    for (int j = 0; j < b; ++j) sumY += multiplicityOf(y.neighbor(j));
    // A listed sub-divisor is admitted (sum >= mY r), so kc >= 0; a line that is not admitted
    // gets no core stubs rather than a negative count of arms.
    const long long excess = (sumY - static_cast<long long>(y.multiplicity) * x.selfIntersection);
    const int kc = excess > 0 ? static_cast<int>(excess / ell_) : 0;
    result_.coreBranches = kc;

    DivisorNode& root = take();
    result_.root = &root;
    initNode(root, b + kc, nullptr, x.x, x.y, x.serial, x.multiplicity - y.multiplicity,
             armOf(x, 0), armOf(x, 1));
    for (int j = 0; j < b; ++j) setArm(root, j, armOf(x, j));
    const Arm first = armOf(x, 0);
    const double lastAngle = armOf(x, b - 1).angle;
    for (int t = 0; t < kc; ++t) {
        const double angle = ((kc - t) * lastAngle + (2 + 2 * t) * kPiRounded4) / (kc + 1);
        setArm(root, b + t, {first.handle, first.length, angle});
        standardStub(root, b + t);
    }
}

void AnalysisBuilder::copyBranch(const DivisorNode& x, const DivisorNode& y, int j) {
    const DivisorNode* head = x.neighbor(j);
    if (head == nullptr) return;
    DivisorNode& copy = take();
    setNeighbor(*result_.root, j, &copy);
    const Cursor at{head, result_.root, &copy};
    const DivisorNode* yHead = y.neighbor(j);
    // A branch missing from Y altogether is read as an empty one.
    const char letter = yHead != nullptr ? yHead->branchType : '0';
    const DivisorNode* yc = multiplicityOf(yHead) != 0 ? yHead : nullptr;
    switch (letter) {
        case '0':
            ruleZero(at, y.multiplicity);
            break;
        case 'A':
            ruleA(at, y, yc);
            break;
        case 'B':
            ruleB(at, yc);
            break;
        default:
            ruleC(at, yc);
            break;
    }
}

}  // namespace dorvanix
