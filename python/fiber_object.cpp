#include "fiber_object.h"

#include <string>

#include "census/fiber_enumeration.h"
#include "census/subdivisor_listing.h"
#include "interruptible_wait.h"
#include "model/input_check.h"

namespace dorvanix::python {

FiberObject FiberObject::fromText(std::string_view text) {
    return FiberObject{std::make_shared<const FiberData>(parseFiberText(text)), std::nullopt};
}

long long FiberObject::simpleCrustCount() {
    if (!simpleCrusts) {
        const std::shared_ptr<const FiberData> fiber = data;
        simpleCrusts = runInterruptibly<long long>(
            [fiber](Progress& progress) { return countSimpleCrusts(*fiber, &progress); });
    }
    return *simpleCrusts;
}

std::string FiberObject::listLine() {
    const long long crusts = simpleCrustCount();
    const std::vector<int> firsts = parts();
    return fiberListLine(data->m, data->r, firsts, crusts, fiberGenus(data->m, firsts));
}

SubdivisorOptions listingOptions(int ell, bool exceptOnlyAB, bool allTypes) {
    return SubdivisorOptions{ellFilter(ell), exceptOnlyAB, !allTypes};
}

SubdivisorLine subdivisorOf(const FiberObject& fiber, const SubdivisorObject& y) {
    if (y.fiber == fiber.data || *y.fiber == *fiber.data) return y.y;
    return parseSubdivisorLine(*fiber.data, y.y.line);
}

}  // namespace dorvanix::python
