#pragma once

#include <array>

#include "model/divisor_node.h"
#include "picture/library_random.h"

namespace dorvanix {

// The closed cycle every arm and moving-point velocity runs through, scaled per quantity.
inline constexpr std::array<double, 14> kVelocityCycle{1.0,  0.5,  0.3,  0.0, -0.3, -0.5, -1.0,
                                                       -0.9, -0.4, -0.2, 0.2, 0.4,  0.9,  1.0};

// The next value of a velocity on the cycle scale * kVelocityCycle; a value off the cycle stays.
double advanceOnCycle(double velocity, double scale);

// Moves `value` by `step` toward `target` when it lies outside target -/+ band.
void pullToward(double& value, double target, double band, double step);

// One animation step of the layout of the tree rooted at `node`: every arm breathes along its
// velocity cycle, the arms are pulled evenly apart, children are put back at the ends of their
// parents' arms, and a joining curve gathers its free points and finally becomes an ordinary
// node. `relaxationStarted` is set once a joining curve with two or more links has been
// collapsed; while it is set no further such collapse happens. Null does nothing.
void relaxStep(DivisorNode* node, const RandomSource& random, int& relaxationStarted);

// The child step for every child of `parent`, each followed by everything under it.
void relaxChildren(DivisorNode& parent, const RandomSource& random, int& relaxationStarted);

}  // namespace dorvanix
