#include "model/fiber_label.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <limits>
#include <vector>

#include "model/arithmetic.h"
#include "model/input_check.h"
#include "model/text_scanner.h"

namespace dorvanix {

namespace {

// The largest genus a label may carry: a fiber of typed numbers (m and b at most 10000) has a
// genus below 5 * 10^7.
constexpr long long kMaxLabelGenus = 1'000'000'000;

void appendNumber(std::string& text, long long value) {
    std::array<char, std::numeric_limits<long long>::digits10 + 2> digits;
    text.append(digits.data(),
                std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr);
}

std::vector<int> largestFirst(std::span<const int> parts) {
    std::vector<int> sorted(parts.begin(), parts.end());
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    return sorted;
}

}  // namespace

// Why "G.m.r.a1-...-ab" names a fiber once, and always the same way:
// - A fiber is determined by m, r and the multiset of its first-branch multiplicities: each
//   branch chain follows from m and its first multiplicity by the continued-fraction rule, and
//   branches in another order give the same fiber. The label writes the multiset one way only,
//   largest first, which is also the order of the fiber list and the census.
// - r is fixed by the multiplicities (m r is their sum) and G by m and the multiplicities
//   (Riemann-Hurwitz), so neither adds a choice; they stand in front so that labels group by
//   genus, then m, then r, as the census is ordered, and a label with a slip in either is
//   refused instead of read as another fiber.
// - It depends on the fiber alone, not on a position in a list or on the program's version, so
//   it stays the same as the census grows.
// - Digits, '.' and '-' only: no quoting in a shell, a CSV file, a file name, a URL or LaTeX.
std::string fiberLabel(int m, int r, std::span<const int> parts) {
    const std::vector<int> sorted = largestFirst(parts);
    std::string label;
    label.reserve(16 + 6 * sorted.size());
    appendNumber(label, fiberGenus(m, sorted));
    label += '.';
    appendNumber(label, m);
    label += '.';
    appendNumber(label, r);
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        label += i == 0 ? '.' : '-';
        appendNumber(label, sorted[i]);
    }
    return label;
}

std::string fiberLabel(const FiberData& fiber) {
    return fiberLabel(fiber.m, fiber.r, fiber.firstMultiplicities());
}

bool looksLikeLabel(std::string_view text) {
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

FiberData readFiberLabel(std::string_view text) {
    TextScanner scan(text, "label");
    const std::size_t genusAt = scan.position();
    const long long genus = scan.number("the genus", kMaxLabelGenus);
    scan.expect('.');
    const int m = coreMultiplicity(scan, "m");
    scan.expect('.');
    const std::size_t rAt = scan.position();
    const int r = coreSelfIntersection(scan);
    std::vector<int> parts;
    long long sum = 0;
    char separator = '.';
    while (scan.accept(separator)) {
        separator = '-';
        const std::size_t at = scan.position();
        const int a = scan.number("a branch multiplicity");
        if (a < 1 || a > m - 1) {
            scan.failAt(at, "branch multiplicity " + std::to_string(a) +
                                " is outside 1 ... m-1 = " + std::to_string(m - 1));
        }
        if (!parts.empty() && a > parts.back()) {
            scan.failAt(at, "the branch multiplicities of a label come largest first");
        }
        if (parts.size() == static_cast<std::size_t>(kMaxInputNumber)) {
            scan.fail("more than " + std::to_string(kMaxInputNumber) + " branches");
        }
        parts.push_back(a);
        sum += a;
    }
    const std::size_t end = scan.position();
    scan.expectEnd();
    if (parts.size() < 3) scan.failAt(end, "a fiber needs at least 3 branches");
    if (sum != static_cast<long long>(m) * r) {
        scan.failAt(rAt, "the branch multiplicities sum to " + std::to_string(sum) +
                             ", not m*r = " + std::to_string(static_cast<long long>(m) * r));
    }
    const int actual = fiberGenus(m, parts);
    if (genus != actual) {
        scan.failAt(genusAt, "the fiber has genus " + std::to_string(actual) + ", not " +
                                 std::to_string(genus) + " (its label is " +
                                 fiberLabel(m, r, parts) + ")");
    }
    return fiberFromParts(m, r, parts);
}

}  // namespace dorvanix
