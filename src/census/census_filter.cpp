#include "census/census_filter.h"

namespace dorvanix {

bool censusFiberPasses(const FiberOptions& options, const CensusFiber& fiber) {
    const std::vector<int>& parts = fiber.shape.parts;
    if (!acceptFiber(fiber.shape.m, parts, options.noDuplicateBranches, 0)) return false;
    for (std::size_t i = 0; options.multiplicityOption && i < options.requiredMultiplicities.size();
         ++i) {
        const int required = options.requiredMultiplicities[i];
        if (required != 0 && (i >= parts.size() || parts[i] != required)) return false;
    }
    return !options.atMostTwoSimpleCrusts || fiber.simpleCrusts.clamped() <= 2;
}

}  // namespace dorvanix
