#pragma once

// The sweeps over the fiber list: every fiber it lists, with no options, for small sizes.

#include <string>
#include <vector>

#include "census/fiber_enumeration.h"

namespace dorvanix::testing {

// A fiber of the list with the numbers of its line.
struct ListedFiber {
    int m = 0;
    int r = 0;
    std::vector<int> parts;
    int genus = 0;
    long long simpleCrusts = 0;
    std::string line;  // with its annotation
};

// Every fiber the list gives for 2 <= m <= mMax, 2 <= r <= rMax and 3 <= b <= bMax.
inline std::vector<ListedFiber> listedFibers(int mMax, int rMax, int bMax) {
    std::vector<ListedFiber> fibers;
    for (int m = 2; m <= mMax; ++m) {
        for (int r = 2; r <= rMax; ++r) {
            for (int b = 3; b <= bMax; ++b) {
                enumerateFibers(m, r, b, {}, [&](const FiberEntry& f) {
                    fibers.push_back({m,
                                      r,
                                      {f.parts.begin(), f.parts.end()},
                                      f.genus,
                                      f.simpleCrusts,
                                      std::string(f.line)});
                });
            }
        }
    }
    return fibers;
}

}  // namespace dorvanix::testing
