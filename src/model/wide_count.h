#pragma once

#include <string>

namespace dorvanix {

// Counts of sub-divisors outgrow 64 bits quickly (a fiber with 20 branches already has more than
// 2^32 of them), so the counting works with 128-bit unsigned numbers that stop at their largest
// value instead of wrapping round.
__extension__ typedef unsigned __int128 WideCount;

inline constexpr WideCount kWideCountMax = ~WideCount{0};

// a + b, or kWideCountMax when the sum does not fit.
inline WideCount addSaturating(WideCount a, WideCount b) {
    return b > kWideCountMax - a ? kWideCountMax : a + b;
}

// The decimal digits of a count.
std::string wideCountText(WideCount value);

}  // namespace dorvanix
