#pragma once

#include <string>

#include "census/fiber_enumeration.h"
#include "census/genus_census.h"

namespace dorvanix {

// One fiber as one JSON object on one line (schema/dorvanix.schema.json, "fiber"): m, r,
// branches (first multiplicities), chains, genus, simple_crust_count, line and notation. The tool
// and the module write it here, so that their lines agree to the byte.
std::string fiberRecordJson(int m, int r, const FiberEntry& fiber);

// A fiber of the census likewise.
std::string censusFiberJson(const CensusFiber& fiber);

}  // namespace dorvanix
