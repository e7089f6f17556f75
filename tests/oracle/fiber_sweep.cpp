#include "oracle/fiber_sweep.h"

#include <algorithm>
#include <functional>

namespace dorvanix::oracle {

namespace {

// Extends `parts` by every non-increasing tail of `left` parts, each at most `cap`, summing to
// `rest`.
void extend(std::vector<int>& parts, int left, int rest, int cap,
            const std::function<void(const std::vector<int>&)>& visit) {
    if (left == 0) {
        if (rest == 0) visit(parts);
        return;
    }
    for (int part = std::min(cap, rest); part >= 1; --part) {
        if (part * left < rest) break;
        parts.push_back(part);
        extend(parts, left - 1, rest - part, part, visit);
        parts.pop_back();
    }
}

}  // namespace

std::vector<SweptFiber> sweepFibers(int mMax, int rMax, int bMax) {
    std::vector<SweptFiber> fibers;
    for (int m = 2; m <= mMax; ++m) {
        for (int r = 2; r <= rMax; ++r) {
            for (int b = 3; b <= bMax; ++b) {
                std::vector<int> parts;
                extend(parts, b, m * r, m - 1, [&](const std::vector<int>& found) {
                    fibers.push_back({fiberLineText(m, r, found), fiberFromParts(m, r, found)});
                });
            }
        }
    }
    return fibers;
}

}  // namespace dorvanix::oracle
