#include "files/quorbel_file.h"

#include <algorithm>

#include "model/arithmetic.h"
#include "model/leading_number.h"

namespace dorvanix {

namespace {

// Branch 1 stands for the factor y, branch j >= 2 for (j-1-y).
std::string factorBase(std::size_t branch) {
    return branch == 1 ? "y" : "(" + std::to_string(branch - 1) + "-y)";
}

std::string power(const std::string& base, long long exponent) {
    return exponent == 1 ? base : base + "^" + std::to_string(exponent);
}

std::string leadingFactor(std::size_t branch, long long exponent) {
    return power(factorBase(branch), exponent) + "*";
}

std::string joinedFactor(std::size_t branch, long long exponent) {
    return "*" + power(factorBase(branch), exponent);
}

// Only the core and branches 1 ... b-1 enter the polynomials.
std::size_t usedBranches(const QuorbelInput& input) {
    const std::size_t b = std::min(input.xFirsts.size(), input.yFirsts.size());
    return b > 0 ? b - 1 : 0;
}

long long a(const QuorbelInput& input, std::size_t i) {
    return i == 0 ? input.m - input.k : input.xFirsts[i - 1] - input.yFirsts[i - 1];
}

long long c(const QuorbelInput& input, std::size_t i) {
    const long long ell = input.ell == 0 ? 1 : input.ell;
    return (i == 0 ? input.k : input.yFirsts[i - 1]) / ell;
}

}  // namespace

QuorbelInput quorbelInputOf(const FiberData& x, const SubdivisorLine& y) {
    QuorbelInput input;
    input.m = x.m;
    for (int a : x.firstMultiplicities()) input.xFirsts.push_back(a);
    input.k = y.k;
    for (int value : y.ys) input.yFirsts.push_back(value);
    input.ell = y.ell;
    return input;
}

std::string quorbelPolynomial(const QuorbelInput& input) {
    const std::size_t n = usedBranches(input);
    std::string line = power("x", a(input, 0)) + "*";
    for (std::size_t i = 1; i <= n; ++i) {
        if (a(input, i) > 0) line += leadingFactor(i, a(input, i));
    }
    line += "(" + power("x", c(input, 0));
    for (std::size_t i = 1; i <= n; ++i) {
        if (c(input, i) > 0) line += joinedFactor(i, c(input, i));
    }
    const std::string m = std::to_string(input.m);
    const std::string k = std::to_string(input.k);
    if (input.ell == 1) return line + "-" + m + ")-" + k;
    const std::string ell = std::to_string(input.ell);
    return line + "-" + m + ")^" + ell + "-" + k + "^" + ell;
}

std::string quorbelBranchPolynomial(const QuorbelInput& input) {
    const std::size_t n = usedBranches(input);
    const long long a0 = a(input, 0);
    const long long c0 = c(input, 0);
    long long g = gcd64(a0, c0);
    if (g == 0) g = 1;
    std::vector<long long> d(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) d[i] = (c(input, i) * a0 - a(input, i) * c0) / g;
    const long long s = (c0 * input.ell) / g;
    std::string line = "(1";
    for (std::size_t i = 1; i <= n; ++i) {
        if (d[i] > 0) line += joinedFactor(i, d[i]);
    }
    line += s % 2 == 0 ? "-" : "+";
    line += a0 / g == 1 ? std::to_string(a0) : std::to_string(a0) + "^" + std::to_string(a0 / g);
    for (std::size_t i = 1; i <= n; ++i) {
        if (d[i] < 0) line += joinedFactor(i, -d[i]);
    }
    line += ")";
    for (std::size_t i = 1; i <= n; ++i) line += joinedFactor(i, 1);
    return line;
}

std::string quorbelFileText(const QuorbelInput& input) {
    constexpr std::string_view kEnd = "\r\n";
    std::string text;
    text.append("*polynomial").append(kEnd);
    text.append(quorbelPolynomial(input)).append(kEnd);
    text.append("*degenerateloci").append(kEnd).append("0").append(kEnd);
    text.append("*branchpoly").append(kEnd);
    text.append(quorbelBranchPolynomial(input)).append(kEnd);
    return text;
}

namespace {

// The number at position `at` (leadingNumber), as text.
std::string numberTextAt(std::string_view text, std::size_t at) {
    return std::to_string(leadingNumber(text, at));
}

std::string numbersOf(std::string_view text) {
    std::string numbers = numberTextAt(text, 1);
    for (std::size_t at = text.find('(', 1); at != std::string_view::npos;
         at = text.find('(', at + 1)) {
        numbers += numberTextAt(text, at + 1);
    }
    return numbers;
}

}  // namespace

std::string polynomialFileName(std::string_view xNotation, std::string_view yLine) {
    return numbersOf(xNotation) + "-" + numbersOf(yLine) + ".qpf";
}

}  // namespace dorvanix
