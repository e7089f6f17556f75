#include "model/wide_count.h"

#include <algorithm>
#include <cstdint>

namespace dorvanix {

std::string wideCountText(WideCount value) {
    if (value <= ~std::uint64_t{0}) return std::to_string(static_cast<std::uint64_t>(value));
    std::string digits;
    do {
        digits += static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

}  // namespace dorvanix
