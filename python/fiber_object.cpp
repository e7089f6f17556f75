#include "fiber_object.h"

#include <string>

#include "census/fiber_enumeration.h"
#include "census/subdivisor_count.h"
#include "census/subdivisor_listing.h"
#include "interruptible_wait.h"
#include "model/input_check.h"

namespace dorvanix::python {

FiberObject FiberObject::fromText(std::string_view text) {
    return FiberObject{std::make_shared<const FiberData>(parseFiberText(text)), std::nullopt};
}

const std::string& FiberObject::simpleCrustDigits() {
    if (!simpleCrusts) {
        const std::shared_ptr<const FiberData> fiber = data;
        simpleCrusts = runInterruptibly<std::string>([fiber](Progress& progress) {
            return tallyText(tallySubdivisors(*fiber, kSimpleCrustOptions, &progress));
        });
    }
    return *simpleCrusts;
}

std::string FiberObject::listLine() {
    const std::string& digits = simpleCrustDigits();
    const std::vector<int> firsts = parts();
    // Only whether the count is at most 2 matters beside the digits (the asterisks).
    const long long small = digits.size() == 1 ? digits[0] - '0' : 10;
    return fiberLineWithCount(data->m, data->r, firsts, digits, small, fiberGenus(data->m, firsts));
}

SubdivisorOptions listingOptions(int ell, bool exceptOnlyAB, bool allTypes) {
    return SubdivisorOptions{ellFilter(ell), exceptOnlyAB, !allTypes};
}

SubdivisorLine subdivisorOf(const FiberObject& fiber, const SubdivisorObject& y) {
    if (y.fiber == fiber.data || *y.fiber == *fiber.data) return y.y;
    return parseSubdivisorLine(*fiber.data, y.y.line);
}

}  // namespace dorvanix::python
