#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "census/fiber_enumeration.h"
#include "census/genus_census.h"

namespace dorvanix {

// One fiber as one JSON object on one line (schema/dorvanix.schema.json, "fiber"): label, m, r,
// branches (first multiplicities), chains, genus, simple_crust_count, line and notation. The tool
// and the module write it here, so that their lines agree to the byte. The count is written
// digit for digit from simpleCrustDigits (or simpleCrusts where no digits are given), exact at
// any size.
std::string fiberRecordJson(int m, int r, const FiberEntry& fiber);

// A fiber of the census likewise, its count exact at any size.
std::string censusFiberJson(const CensusFiber& fiber);

// A JSON object line with one more member at its end, its other members left as written (so
// that numbers past 64 bits stay exact, which reading the line back as JSON would not keep).
std::string withJsonMember(std::string_view objectLine, std::string_view key,
                           const nlohmann::ordered_json& value);

}  // namespace dorvanix
