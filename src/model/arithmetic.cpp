#include "model/arithmetic.h"

namespace dorvanix {

long long gcd64(long long a, long long b) {
    a = a < 0 ? -a : a;
    b = b < 0 ? -b : b;
    while (b != 0) {
        const long long t = a % b;
        a = b;
        b = t;
    }
    return a;
}

int gcd(int a, int b) {
    return static_cast<int>(gcd64(a, b));
}

long long hurwitzSum(int m, std::span<const int> parts) {
    long long s = 2LL * m;
    for (int a : parts) s += gcd(m, a) - m;
    return s;
}

int fiberGenus(int m, std::span<const int> parts) {
    return static_cast<int>((2 - hurwitzSum(m, parts)) / 2);
}

ChainStep chainStep(long long before, long long current) {
    const long long r = before / current + 1;
    const long long next = r * current - before;
    if (next == current) return ChainStep{next, r - 1, true};
    return ChainStep{next, r, false};
}

}  // namespace dorvanix
