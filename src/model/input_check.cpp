#include "model/input_check.h"

#include "model/fiber_label.h"
#include "model/text_scanner.h"

namespace dorvanix {

std::string quoteInput(std::string_view text) {
    constexpr std::size_t kShown = 60;
    static constexpr std::string_view kHex = "0123456789abcdef";
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte >= 0x7f || byte == '"' || byte == '\\') {
            quoted += "\\x";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 15];
        } else {
            quoted += static_cast<char>(byte);
        }
    }
    if (text.size() > kShown) quoted += "...";
    return quoted + "\"";
}

int parseInputNumber(std::string_view text, std::string_view what) {
    TextScanner scan(text, what);
    const bool negative = scan.accept('-');
    if (!negative) scan.accept('+');
    const int value = scan.number(what);
    scan.expectEnd();
    return negative ? -value : value;
}

int atLeast(int value, std::string_view name, int least) {
    if (value < least) {
        throw InputError(std::string(name) + " must be at least " + std::to_string(least) +
                         ", not " + std::to_string(value));
    }
    return value;
}

int genusRequirement(int genus) {
    return genus < 1 ? 1 : genus;
}

std::array<int, 4> requiredMultiplicities(std::span<const int> values) {
    if (values.size() > kMaxRequiredMultiplicities) {
        throw InputError("the required multiplicities take at most " +
                         std::to_string(kMaxRequiredMultiplicities) + " values, not " +
                         std::to_string(values.size()));
    }
    std::array<int, 4> required{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] < 0) {
            throw InputError("a required multiplicity cannot be negative: " +
                             std::to_string(values[i]));
        }
        required[i] = values[i];
    }
    return required;
}

int threadCount(int value, std::string_view name) {
    if (value < 0 || value > kMaxThreads) {
        throw InputError(std::string(name) + " must lie in 0 ... " + std::to_string(kMaxThreads) +
                         " (0: one per core), not " + std::to_string(value));
    }
    return value;
}

int ellFilter(int value) {
    if (value < -kEllFilterLimit || value > kEllFilterLimit) {
        throw InputError("ell takes a value from " + std::to_string(-kEllFilterLimit) + " to " +
                         std::to_string(kEllFilterLimit) + " (0 for every ell), not " +
                         std::to_string(value));
    }
    return value;
}

int coreMultiplicity(TextScanner& scan, std::string_view name) {
    const std::size_t at = scan.position();
    const int m = scan.number(name);
    if (m < 2) {
        scan.failAt(at, "the core multiplicity m must be at least 2, not " + std::to_string(m));
    }
    return m;
}

int coreSelfIntersection(TextScanner& scan) {
    const std::size_t at = scan.position();
    const int r = scan.number("r");
    if (r < 2) {
        scan.failAt(at,
                    "the core self-intersection r must be at least 2, not " + std::to_string(r));
    }
    return r;
}

namespace {

// The checks shared by both forms, once m, r and the first-branch multiplicities are known.
void checkBranches(const TextScanner& scan, std::size_t branches, std::size_t end) {
    if (branches < 3) scan.failAt(end, "a fiber needs at least 3 branches");
}

void checkBranchCount(const TextScanner& scan, std::size_t branches) {
    if (branches > static_cast<std::size_t>(kMaxInputNumber)) {
        scan.fail("more than " + std::to_string(kMaxInputNumber) + " branches");
    }
}

int branchMultiplicity(TextScanner& scan, int m) {
    const std::size_t at = scan.position();
    const int a = scan.number("a branch multiplicity");
    if (a < 1 || a > m - 1) {
        scan.failAt(at, "branch multiplicity " + std::to_string(a) +
                            " is outside 1 ... m-1 = " + std::to_string(m - 1));
    }
    return a;
}

// The list's annotation " : n (g=g)", possibly followed by asterisks. It is a note on the fiber,
// which the branches alone determine: its numbers are passed over whatever their size (a count
// can run to hundreds of digits) and never checked against the fiber.
void skipAnnotation(TextScanner& scan) {
    if (!scan.acceptWord(" : ")) return;
    scan.skipDigits("the simple crust count");
    if (!scan.acceptWord(" (g=")) scan.fail("expected \" (g=\" of the annotation");
    scan.accept('-');
    scan.skipDigits("the genus");
    scan.expect(')');
    while (scan.accept('*')) {
    }
}

FiberData readFiberLine(std::string_view text) {
    TextScanner scan(text, "fiber line");
    scan.expect('(');
    scan.expect('(');
    const int m = coreMultiplicity(scan, "m");
    scan.expect(',');
    const int r = coreSelfIntersection(scan);
    scan.expect(')');
    std::vector<int> parts;
    long long sum = 0;
    while (scan.accept(',')) {
        parts.push_back(branchMultiplicity(scan, m));
        sum += parts.back();
        checkBranchCount(scan, parts.size());
    }
    const std::size_t end = scan.position();
    scan.expect(')');
    checkBranches(scan, parts.size(), end);
    if (sum != static_cast<long long>(m) * r) {
        scan.failAt(end, "the branch multiplicities sum to " + std::to_string(sum) +
                             ", not m*r = " + std::to_string(static_cast<long long>(m) * r));
    }
    skipAnnotation(scan);
    scan.expectEnd();
    return fiberFromParts(m, r, parts);
}

FiberData readFiberNotation(std::string_view text) {
    TextScanner scan(text, "divisor notation");
    scan.expect('(');
    const int m = coreMultiplicity(scan, "the core multiplicity");
    scan.expect(';');
    FiberData fiber{m, 0, {}};
    long long sum = 0;
    do {
        const std::size_t branchStart = scan.position();
        scan.expect('(');
        std::vector<int> chain{branchMultiplicity(scan, m)};
        while (scan.accept(',')) chain.push_back(scan.number("a multiplicity"));
        scan.expect(')');
        const std::vector<int> expected = branchChain(m, chain.front());
        if (chain != expected) {
            scan.failAt(branchStart, "branch " + std::to_string(fiber.chains.size() + 1) +
                                         " does not follow the continued-fraction rule: for m = " +
                                         std::to_string(m) + " it reads " + chainText(expected));
        }
        sum += chain.front();
        fiber.chains.push_back(std::move(chain));
        checkBranchCount(scan, fiber.chains.size());
    } while (scan.accept(','));
    const std::size_t end = scan.position();
    scan.expect(')');
    scan.expectEnd();
    checkBranches(scan, fiber.chains.size(), end);
    if (sum % m != 0) {
        scan.failAt(end, "the first multiplicities sum to " + std::to_string(sum) +
                             ", which is not a multiple of m = " + std::to_string(m));
    }
    const long long r = sum / m;
    if (r < 2) {
        scan.failAt(end, "the first multiplicities sum to " + std::to_string(sum) +
                             " = m*r with r = " + std::to_string(r) +
                             ", but the core self-intersection r must be at least 2");
    }
    fiber.r = static_cast<int>(r);
    return fiber;
}

}  // namespace

FiberData parseFiberText(std::string_view text) {
    if (text.substr(0, 2) == "((") return readFiberLine(text);
    if (text.substr(0, 1) == "(") return readFiberNotation(text);
    if (looksLikeLabel(text)) return readFiberLabel(text);
    throw InputError("fiber " + quoteInput(text) +
                     ": expected a fiber line \"((m,r),a1,...)\", divisor notation "
                     "\"(m;(c,...),...)\" or a label \"G.m.r.a1-...-ab\"");
}

}  // namespace dorvanix
