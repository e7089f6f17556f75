#include "model/input_check.h"

#include <algorithm>
#include <iterator>
#include <utility>

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

namespace {

// The digit zero of each script's run of ten decimal digits (Unicode's Nd characters, ascending).
constexpr char32_t kDigitZeros[] = {
    0x30,    0x660,   0x6F0,   0x7C0,   0x966,   0x9E6,   0xA66,   0xAE6,   0xB66,   0xBE6,
    0xC66,   0xCE6,   0xD66,   0xDE6,   0xE50,   0xED0,   0xF20,   0x1040,  0x1090,  0x17E0,
    0x1810,  0x1946,  0x19D0,  0x1A80,  0x1A90,  0x1B50,  0x1BB0,  0x1C40,  0x1C50,  0xA620,
    0xA8D0,  0xA900,  0xA9D0,  0xA9F0,  0xAA50,  0xABF0,  0xFF10,  0x104A0, 0x10D30, 0x11066,
    0x110F0, 0x11136, 0x111D0, 0x112F0, 0x11450, 0x114D0, 0x11650, 0x116C0, 0x11730, 0x118E0,
    0x11950, 0x11C50, 0x11D50, 0x11DA0, 0x16A60, 0x16AC0, 0x16B50, 0x1D7CE, 0x1D7D8, 0x1D7E2,
    0x1D7EC, 0x1D7F6, 0x1E140, 0x1E2F0, 0x1E950, 0x1FBF0};

// The code point that starts at `at` of UTF-8 text and its length in bytes; a byte that starts no
// well-formed sequence stands for itself.
std::pair<char32_t, std::size_t> codePointAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0xC2   ? 1
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 1;
    if (length == 1 || at + length > text.size()) return {lead, 1};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return {lead, 1};
        code = (code << 6) | (next & 0x3F);
    }
    return {code, length};
}

}  // namespace

std::string asciiNumberText(std::string_view text) {
    std::string ascii;
    ascii.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto [code, length] = codePointAt(text, at);
        const auto* zero = std::upper_bound(std::begin(kDigitZeros), std::end(kDigitZeros), code);
        if (code < 0x80) {
            ascii += text[at];
        } else if (zero != std::begin(kDigitZeros) && code - *(zero - 1) < 10) {
            ascii += static_cast<char>('0' + (code - *(zero - 1)));
        } else if (code == 0x2212 || code == 0xFF0D) {
            ascii += '-';
        } else if (code == 0xFF0B) {
            ascii += '+';
        } else if (code == 0xA0 || (code >= 0x2000 && code <= 0x200A) || code == 0x202F ||
                   code == 0x205F || code == 0x3000) {
            ascii += ' ';
        } else {
            ascii.append(text.substr(at, length));
        }
        at += length;
    }
    return ascii;
}

int parseInputNumber(std::string_view typed, std::string_view what) {
    const std::string text = asciiNumberText(typed);
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
