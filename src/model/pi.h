#pragma once

namespace dorvanix {

// pi, and the cuts of it that the layouts and the drawings use.
//
// The program has always written pi out to a few decimals, to a different number at different
// places: 3.14159 where the relaxation sizes handles and the chains fly out, 3.1416 where the
// analysis divisor fans out its stubs, 3.1415926535 where an arm is turned back toward its
// parent, and a full turn as 6.2832, 6.28318, 6.283185307 or 6.28. The first layout of every
// tree, and so every frame of the picture, depends on those exact values, so each place keeps
// its cut. They are all taken from the one pi below; the checks under it tie each cut to the
// decimals it has always had.
inline constexpr double kPi = 3.14159265358979323846;

namespace pi_detail {
constexpr double powerOfTen(int decimals) {
    double power = 1.0;
    for (int i = 0; i < decimals; ++i) power *= 10.0;
    return power;
}
// Both are exact: the integer part is exact in a double and the quotient rounds once.
constexpr double cut(double value, int decimals) {
    return static_cast<double>(static_cast<long long>(value * powerOfTen(decimals))) /
           powerOfTen(decimals);
}
constexpr double rounded(double value, int decimals) {
    return static_cast<double>(static_cast<long long>(value * powerOfTen(decimals) + 0.5)) /
           powerOfTen(decimals);
}
}  // namespace pi_detail

inline constexpr double kPiCut5 = pi_detail::cut(kPi, 5);
inline constexpr double kPiCut7 = pi_detail::cut(kPi, 7);
inline constexpr double kPiCut10 = pi_detail::cut(kPi, 10);
inline constexpr double kPiRounded4 = pi_detail::rounded(kPi, 4);
inline constexpr double kTurnCut2 = pi_detail::cut(2 * kPi, 2);
inline constexpr double kTurnCut5 = pi_detail::cut(2 * kPi, 5);
inline constexpr double kTurnCut9 = pi_detail::cut(2 * kPi, 9);
inline constexpr double kTurnRounded4 = pi_detail::rounded(2 * kPi, 4);

static_assert(kPiCut5 == 3.14159 && kPiCut7 == 3.1415926 && kPiCut10 == 3.1415926535);
static_assert(kPiRounded4 == 3.1416);
static_assert(kTurnCut2 == 6.28 && kTurnCut5 == 6.28318 && kTurnCut9 == 6.283185307);
static_assert(kTurnRounded4 == 6.2832);

}  // namespace dorvanix
