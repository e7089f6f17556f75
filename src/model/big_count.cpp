#include "model/big_count.h"

#include <cstdint>

namespace dorvanix {

BigCount bigCountOf(WideCount value) {
    // Two 64-bit halves, as neither library takes a 128-bit integer on every platform.
    const BigCount high{static_cast<std::uint64_t>(value >> 64)};
    const BigCount low{static_cast<std::uint64_t>(value)};
    return BigCount{high << 64} + low;
}

#if defined(DORVANIX_BIG_COUNT_BOOST)

std::string bigCountText(const BigCount& value) {
    return value.str();
}

double bigCountApproximation(const BigCount& value) {
    return value.convert_to<double>();
}

#else

std::string bigCountText(const BigCount& value) {
    return value.get_str();
}

double bigCountApproximation(const BigCount& value) {
    return value.get_d();
}

#endif

}  // namespace dorvanix
