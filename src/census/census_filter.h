#pragma once

#include "census/fiber_enumeration.h"
#include "census/genus_census.h"

namespace dorvanix {

// Whether a fiber of a genus census is one the fiber list would keep under `options`: no two
// equal branches when asked, the required first-branch multiplicities, at most two simple
// crusts when asked. The genus requirement is the census's own and is not looked at again.
bool censusFiberPasses(const FiberOptions& options, const CensusFiber& fiber);

}  // namespace dorvanix
