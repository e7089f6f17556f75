#pragma once

#include <string_view>

namespace dorvanix {

// The three listing options of the sub-divisor list.
struct SubdivisorOptions {
    // 0: every ell; v > 0: only ell = v; v < 0: every ell but -v.
    int ellFilter = 0;
    // Drop the sub-divisors whose branches are all of type 'A', 'B' or '0'.
    bool exceptOnlyAB = false;
    // Drop the sub-divisors with a '?' branch.
    bool onlyABC = true;

    bool operator==(const SubdivisorOptions&) const = default;
};

// The options with which the simple crusts of a fiber are counted.
inline constexpr SubdivisorOptions kSimpleCrustOptions{0, false, true};

inline bool passesEllFilter(int ellFilter, long long ell) {
    return ellFilter == 0 || (ellFilter > 0 && ell == ellFilter) ||
           (ellFilter < 0 && ell != -static_cast<long long>(ellFilter));
}

inline bool passesFilters(const SubdivisorOptions& options, long long ell, std::string_view types) {
    if (!passesEllFilter(options.ellFilter, ell)) return false;
    if (options.exceptOnlyAB && types.find_first_not_of("AB0") == std::string_view::npos) {
        return false;
    }
    return !(options.onlyABC && types.find('?') != std::string_view::npos);
}

}  // namespace dorvanix
