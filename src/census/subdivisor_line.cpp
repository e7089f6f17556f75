#include "census/subdivisor_line.h"

#include <algorithm>

#include "census/branch_shape.h"
#include "model/arithmetic.h"
#include "model/divisor_notation.h"
#include "model/input_check.h"
#include "model/leading_number.h"
#include "model/text_scanner.h"

namespace dorvanix {

namespace {

// The chain a branch of Y with first multiplicity y has under core multiplicity k.
std::vector<long long> branchChain(const BranchShape& shape, int k, int y) {
    std::vector<long long> chain;
    if (y > 0) {
        chain.push_back(y);
        shape.follow(k, y, &chain);
    }
    return chain;
}

std::string numbersText(const std::vector<long long>& numbers) {
    std::string text = "(";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        text += (i > 0 ? "," : "") + std::to_string(numbers[i]);
    }
    return text + ")";
}

// What is wrong with a typed branch: the whole chain it should read when that is short, else the
// first number that differs, so that the message stays one readable line for long chains.
std::string chainMismatch(const std::string& label, const std::vector<long long>& expected,
                          const std::vector<int>& typed, int k) {
    const std::string forK = " for k = " + std::to_string(k);
    const std::string text = numbersText(expected);
    if (text.size() <= 60) return label + " should read " + text + forK;
    std::size_t i = 0;
    while (i < expected.size() && i < typed.size() && expected[i] == typed[i]) ++i;
    const std::string length = " (" + std::to_string(expected.size()) + " numbers" + forK + ")";
    if (i < expected.size() && i < typed.size()) {
        return label + ": number " + std::to_string(i + 1) + " should be " +
               std::to_string(expected[i]) + ", not " + std::to_string(typed[i]) + length;
    }
    return label + " has " + std::to_string(typed.size()) +
           (typed.size() == 1 ? " number" : " numbers") + " but should have " +
           std::to_string(expected.size()) + forK;
}

long long ellOf(int k, const std::vector<int>& ys) {
    long long value = k;
    for (int y : ys) {
        if (value == 1) break;
        if (y != 0) value = gcd64(value, y);
    }
    return value;
}

// Reads the notation part: "(k;(...),...)"; the chains are checked against X afterwards.
void readNotation(TextScanner& scan, const FiberData& x, SubdivisorLine& result,
                  std::vector<std::vector<int>>& chains) {
    scan.expect('(');
    result.k = scan.number("k");
    scan.expect(';');
    do {
        scan.expect('(');
        std::vector<int> chain;
        if (scan.peek() != ')') {
            chain.push_back(scan.number("a multiplicity"));
            while (scan.accept(',')) chain.push_back(scan.number("a multiplicity"));
        }
        scan.expect(')');
        chains.push_back(std::move(chain));
        if (chains.size() > x.chains.size()) scan.fail("Y has more branches than X");
    } while (scan.accept(','));
    scan.expect(')');
}

void checkAgainstFiber(const TextScanner& scan, const FiberData& x, SubdivisorLine& result,
                       const std::vector<std::vector<int>>& chains) {
    const std::size_t end = scan.position();
    if (chains.size() != x.chains.size()) {
        scan.failAt(end, "Y has " + std::to_string(chains.size()) + " branches but X has " +
                             std::to_string(x.chains.size()));
    }
    if (result.k < 1 || result.k > x.m - 1) {
        scan.failAt(1, "k = " + std::to_string(result.k) +
                           " is outside 1 ... m-1 = " + std::to_string(x.m - 1));
    }
    long long sum = 0;
    for (std::size_t i = 0; i < chains.size(); ++i) {
        const int y = chains[i].empty() ? 0 : chains[i].front();
        const BranchShape shape(x.m, x.chains[i]);
        const std::string label = "branch " + std::to_string(i + 1) + " of Y";
        if (y < 1 && !chains[i].empty()) scan.failAt(end, label + " starts with 0; write it ()");
        if (y > shape.firstMultiplicity() || y > result.k) {
            scan.failAt(end, label + ": " + std::to_string(y) + " exceeds min(" +
                                 std::to_string(shape.firstMultiplicity()) +
                                 ", k = " + std::to_string(result.k) + ")");
        }
        const std::vector<long long> expected = branchChain(shape, result.k, y);
        if (!std::equal(expected.begin(), expected.end(), chains[i].begin(), chains[i].end())) {
            scan.failAt(end, chainMismatch(label, expected, chains[i], result.k));
        }
        result.ys.push_back(y);
        sum += y;
    }
    if (sum < static_cast<long long>(result.k) * x.r) {
        scan.failAt(end, "Y is not admitted: y1+...+yb = " + std::to_string(sum) +
                             " < k*r = " + std::to_string(static_cast<long long>(result.k) * x.r));
    }
}

// The suffix ":: ell = L :: type = T", when given.
void readSuffix(TextScanner& scan, const FiberData& x, SubdivisorLine& result) {
    result.ell = ellOf(result.k, result.ys);
    result.types = subdivisorTypes(x, result.k, result.ys, result.ell);
    if (scan.atEnd()) return;
    if (!scan.acceptWord(":: ell = ")) scan.fail("expected \":: ell = \"");
    const std::size_t ellAt = scan.position();
    const int ell = scan.number("ell");
    if (ell != result.ell) {
        scan.failAt(ellAt, "ell = " + std::to_string(ell) +
                               " but gcd(k, y1, ..., yb) = " + std::to_string(result.ell));
    }
    if (!scan.acceptWord(" :: type = ")) scan.fail("expected \" :: type = \"");
    std::string letters;
    while (!scan.atEnd() && letters.size() < x.chains.size()) {
        const char letter = scan.peek();
        if (std::string_view("0ABC?").find(letter) == std::string_view::npos) {
            scan.fail("a type letter must be one of 0, A, B, C, ?");
        }
        letters += letter;
        scan.accept(letter);
    }
    if (letters.size() != x.chains.size()) {
        scan.fail("expected " + std::to_string(x.chains.size()) + " type letters");
    }
    scan.expectEnd();
    result.types = letters;
}

// The number after the first occurrence of `key` (leadingNumber); 0 when there is none.
int numberAfter(std::string_view line, std::string_view key) {
    const std::size_t at = line.find(key);
    return at == std::string_view::npos ? 0 : leadingNumber(line, at + key.size());
}

}  // namespace

std::string subdivisorTypes(const FiberData& x, int k, const std::vector<int>& ys, long long ell) {
    std::string types;
    for (std::size_t i = 0; i < x.chains.size() && i < ys.size(); ++i) {
        const BranchShape shape(x.m, x.chains[i]);
        types += branchLetter(ys[i], shape.follow(k, ys[i]), ell);
    }
    return types;
}

std::string subdivisorLineOf(const FiberData& x, int k, const std::vector<int>& ys) {
    long long ell = k;
    for (const int y : ys) ell = gcd64(ell, y);
    return subdivisorLineText(x, k, ys, ell, subdivisorTypes(x, k, ys, ell));
}

std::string subdivisorLineText(const FiberData& x, int k, const std::vector<int>& ys, long long ell,
                               std::string_view types) {
    std::string text = "(" + std::to_string(k) + ";";
    for (std::size_t i = 0; i < x.chains.size() && i < ys.size(); ++i) {
        if (i > 0) text += ",";
        text += numbersText(branchChain(BranchShape(x.m, x.chains[i]), k, ys[i]));
    }
    return text + "):: ell = " + std::to_string(ell) + " :: type = " + std::string(types);
}

SubdivisorLine parseSubdivisorLine(const FiberData& x, std::string_view text) {
    TextScanner scan(text, "sub-divisor line");
    SubdivisorLine result;
    std::vector<std::vector<int>> chains;
    readNotation(scan, x, result, chains);
    checkAgainstFiber(scan, x, result, chains);
    readSuffix(scan, x, result);
    result.line = subdivisorLineText(x, result.k, result.ys, result.ell, result.types);
    return result;
}

void buildSelectedDivisor(NodePool& pool, DivisorNode& root, std::string_view line, int branches) {
    parseDivisorNotation(pool, root, line);
    root.ell = numberAfter(line, "ell = ");
    const std::size_t at = line.find("type = ");
    for (int j = 0; j < branches; ++j) {
        DivisorNode* first = root.neighbor(j);
        if (first == nullptr) continue;
        const std::size_t pos = at == std::string_view::npos ? line.size() : at + 7 + j;
        first->branchType = pos < line.size() ? line[pos] : '\0';
    }
}

}  // namespace dorvanix
