#pragma once

#include <vector>

namespace dorvanix {

// The builders number the core of a divisor 1 and every further node in creation order, so a
// child always has a larger serial than its parent.
inline constexpr int kCoreSerial = 1;

// One curve of a divisor: the core, a member of a branch chain, a stub, the joining curve or a
// node of the chain diagram. Besides the integers of the curve it carries the layout the picture
// animates. Per-arm arrays are empty until a builder sizes them; an empty `neighbors` plays the
// part of a missing neighbour array, so every reader goes through `neighbor()`.
class DivisorNode {
  public:
    virtual ~DivisorNode() = default;

    int multiplicity = 0;
    // The positive r such that the self-intersection number of the curve is -r.
    int selfIntersection = 0;
    int ell = 0;
    char branchType = 0;
    int degree = 1;
    int marked = 0;
    std::vector<DivisorNode*> neighbors;
    int serial = 0;
    int visited = -1;
    std::vector<double> armAngle;
    std::vector<double> handleLength;
    std::vector<double> armLength;
    double x = 0.0;
    double y = 0.0;
    std::vector<double> armAngleVelocity;
    std::vector<double> handleLengthVelocity;
    std::vector<double> armLengthVelocity;
    double movingX = 0.0;
    double movingY = 0.0;
    double velocityX = 0.0;
    double velocityY = 0.0;
    std::vector<double> pointX;
    std::vector<double> pointY;
    int pointCount = 0;
    int inUse = 0;

    // Neighbour k, or null when there is no such entry.
    DivisorNode* neighbor(int k) const {
        return k >= 0 && static_cast<std::size_t>(k) < neighbors.size() ? neighbors[k] : nullptr;
    }

    // Gives the node fresh neighbour and arm arrays of n entries, all null or zero.
    void allocateArms(int n);

    // Back to the state of a newly constructed node (the pool keeps `inUse`).
    void reset();
};

}  // namespace dorvanix
