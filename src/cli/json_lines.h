#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "census/fiber_enumeration.h"
#include "census/subdivisor_listing.h"

namespace dorvanix::cli {

// One JSON object on one line, for jq, pandas and other programs. A fiber carries m, r,
// branches (first multiplicities), chains, genus, simple_crust_count, line and notation.
std::string fiberJsonLine(int m, int r, const FiberEntry& fiber);

// A JSON object line with one more member at its end, its other members left as written (so
// that numbers past 64 bits stay exact).
std::string withMember(std::string_view objectLine, std::string_view key,
                       const nlohmann::ordered_json& value);

// A sub-divisor carries k, ys, ell, types and line.
std::string subdivisorJsonLine(const Subdivisor& y);

}  // namespace dorvanix::cli
