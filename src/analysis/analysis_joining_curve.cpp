#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "analysis/analysis_builder.h"
#include "analysis/analysis_serials.h"
#include "model/pi.h"

// The joining curve J: one curve of multiplicity ell through three points per stub, linked to
// every component a stub was attached to, standing in for all the stubs; and the genus chain of
// marked nodes that hangs from it when its genus h is positive.

namespace dorvanix {

namespace {

constexpr double kQuarterTurn = 1.5707963268;

void sizeJoiningCurve(DivisorNode& curve, int points) {
    curve.degree = points;
    curve.allocateArms(points);
    curve.pointX.assign(static_cast<std::size_t>(points), 0.0);
    curve.pointY.assign(static_cast<std::size_t>(points), 0.0);
    curve.pointCount = points;
}

// The arm of a stub that leads into the divisor: arm 1 only for a stub cut out of a branch
// (rule 'B'), whose first link was cleared.
int innerArm(const DivisorNode& stub) {
    return stub.degree == 1 || stub.neighbor(0) != nullptr ? 0 : 1;
}

}  // namespace

void AnalysisBuilder::buildJoiningCurve() {
    DivisorNode& curve = take();
    result_.joiningCurve = &curve;
    const int count = static_cast<int>(stubs_.size());
    sizeJoiningCurve(curve, 3 * count);
    curve.serial = kJoiningCurveSerial;
    curve.multiplicity = ell_;
    for (int i = 0; i < count; ++i) {
        DivisorNode& stub = *stubs_[static_cast<std::size_t>(i)];
        const int inner = innerArm(stub);
        DivisorNode* neighbour = stub.neighbor(inner);
        const Arm arm = armOf(stub, inner);
        const int p = 3 * i;
        curve.neighbors[p + 1] = neighbour;
        for (int k = 0; k < 3; ++k) {
            curve.pointX[p + k] = stub.x;
            curve.pointY[p + k] = stub.y;
            setArm(curve, p + k,
                   {0.5 * arm.handle, arm.length, arm.angle + (k - 1) * kQuarterTurn});
        }
        curve.movingX = curve.x = stub.x;
        curve.movingY = curve.y = stub.y;
        if (neighbour == nullptr) continue;
        std::replace(neighbour->neighbors.begin(), neighbour->neighbors.end(),
                     static_cast<DivisorNode*>(&stub), &curve);
    }
    for (std::size_t i = 0; i < stubs_.size() && i < 2; ++i) {
        stubAngles_.push_back(armOf(*stubs_[i], 0).angle);
    }
    result_.stubCount = count;
    dropStubs();
}

void AnalysisBuilder::dropStubs() {
    // J stands in every stub's place, so the stubs go back to the pool. A link to a stub that
    // J's replacement did not reach (a stub next to another stub) is cleared, so that nothing
    // points into a free slot.
    const std::unordered_set<DivisorNode*> gone(stubs_.begin(), stubs_.end());
    for (DivisorNode* stub : stubs_) pool_.releaseNode(stub);
    stubs_.clear();
    std::erase_if(result_.nodes, [&](DivisorNode* node) { return gone.contains(node); });
    for (DivisorNode* node : result_.nodes) {
        for (DivisorNode*& link : node->neighbors) {
            if (gone.contains(link)) link = nullptr;
        }
    }
}

void AnalysisBuilder::buildGenusChain(int genus) {
    DivisorNode& curve = *result_.joiningCurve;
    const int p = curve.degree;
    // The chain leaves from the middle point of the first stub in the direction of the second
    // stub; with one stub its own direction is taken, with none J's position and angle 0.
    const double beta = stubAngles_.empty() ? 0.0 : stubAngles_[stubAngles_.size() > 1 ? 1 : 0];
    const double baseX = p > 1 ? curve.pointX[1] : curve.x;
    const double baseY = p > 1 ? curve.pointY[1] : curve.y;
    const auto grown = static_cast<std::size_t>(p + 1);
    for (auto* values :
         {&curve.armAngle, &curve.handleLength, &curve.armLength, &curve.armAngleVelocity,
          &curve.handleLengthVelocity, &curve.armLengthVelocity, &curve.pointX, &curve.pointY}) {
        values->resize(grown, 0.0);
    }
    curve.neighbors.resize(grown, nullptr);
    curve.degree = curve.pointCount = p + 1;
    curve.pointX[p] = baseX;
    curve.pointY[p] = baseY;
    setArm(curve, p, {30.0, 30.0, beta});

    DivisorNode* previous = &curve;
    for (int i = 0; i < genus; ++i) {
        DivisorNode& node = take();
        const double distance = 30.0 + 60.0 * i;
        initNode(node, i < genus - 1 ? 2 : 1, previous, baseX + std::cos(beta) * distance,
                 baseY + std::sin(beta) * distance, kGenusChainFirstSerial + i, ell_,
                 {30.0, 30.0, beta - kPiCut5}, {30.0, 30.0, beta});
        node.marked = 1;
        setNeighbor(*previous, previous == &curve ? p : 1, &node);
        previous = &node;
    }
}

}  // namespace dorvanix
