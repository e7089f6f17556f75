#pragma once

#include <string>
#include <vector>

#include "model/fiber_data.h"

namespace dorvanix::oracle {

// A fiber of a sweep with the label a failing check names it by.
struct SweptFiber {
    std::string label;
    FiberData fiber;
};

// Every fiber ((m,r),a1,...,ab) with 2 <= m <= mMax, 2 <= r <= rMax, 3 <= b <= bMax, parts from 1
// to m - 1 in non-increasing order summing to m r, whether or not it passes the gcd test.
std::vector<SweptFiber> sweepFibers(int mMax, int rMax, int bMax);

}  // namespace dorvanix::oracle
