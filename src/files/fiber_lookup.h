#pragma once

#include <string>
#include <string_view>

#include "census/subdivisor_count.h"
#include "model/fiber_data.h"
#include "model/progress.h"

namespace dorvanix {

// A fiber of the census, found from one of its written forms.
struct FoundFiber {
    FiberData fiber;  // its branches largest first, as the census lists them
    std::string label;
    int genus = 0;
    SubdivisorTally simpleCrusts;
    std::string line;  // its line in the census and the fiber list
};

// Reads `text` as a label, a fiber line, divisor notation, or a dual graph in the JSON of
// dualGraphJson (vertices in any order, with any ids), and finds the fiber of the census it
// names. Throws InputError with one line saying why when the text names none: what the readers
// refuse (r = 1, a chain the rule does not give, not star-shaped, ...), or a fiber the census
// leaves out (gcd(m, a1, ..., ab) other than 1). Throws Cancelled when `progress` stops the
// count of its simple crusts.
FoundFiber lookupFiber(std::string_view text, Progress* progress = nullptr);

}  // namespace dorvanix
