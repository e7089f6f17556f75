#pragma once

#include <string>

#include "census/fiber_enumeration.h"
#include "census/subdivisor_listing.h"

namespace dorvanix::cli {

// One JSON object on one line, for jq, pandas and other programs. A fiber carries its label, m,
// r, branches (first multiplicities), chains, genus, simple_crust_count, line and notation.
std::string fiberJsonLine(int m, int r, const FiberEntry& fiber);

// A sub-divisor carries k, ys, ell, types and line.
std::string subdivisorJsonLine(const Subdivisor& y);

}  // namespace dorvanix::cli
