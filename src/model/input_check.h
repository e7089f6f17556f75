#pragma once

#include <array>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/fiber_data.h"

namespace dorvanix {

// Text from a user that cannot be taken: the message says what is wrong and where.
class InputError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// The largest number accepted anywhere in typed input (m, r, b, multiplicities, genus). The
// trees of a fiber have chains of up to m - 1 curves; the walks over them keep their place on
// stacks of their own, so the bound is one of size and time only.
inline constexpr int kMaxInputNumber = 10000;

// Reads a fiber typed by a user, as a fiber line "((m,r),a1,...,ab)" (with or without the
// list's annotation " : n (g=g)" and its asterisks, a note whose numbers are passed over, of any
// size), in divisor notation "(m;(c,...),...)" or as its label "G.m.r.a1-...-ab" (fiber_label.h).
// Checks that m >= 2, r >= 2, b >= 3, every a_j lies in 1 ... m-1, the a_j sum to m r, and in
// divisor notation that every chain follows the continued-fraction rule. Throws InputError.
FiberData parseFiberText(std::string_view text);

class TextScanner;
// The core multiplicity m (named `name` in messages) and the core self-intersection r, read
// where the scanner stands and checked there: each must be at least 2. Throws InputError.
int coreMultiplicity(TextScanner& scan, std::string_view name);
int coreSelfIntersection(TextScanner& scan);

// UTF-8 text typed as a number with the decimal digits of every script (a fullwidth "５", an
// Arabic-Indic "٥") written as the ASCII digits they are, the minus signs U+2212 and U+FF0D as
// '-', the fullwidth plus as '+' and the usual wide spaces as ' '; the rest as it is. Every face
// reads a typed number through this one rule, the desktop program's fields included.
std::string asciiNumberText(std::string_view text);

// A number typed on its own: decimal digits (of any script, asciiNumberText) with an optional
// sign, nothing else, within -kMaxInputNumber ... kMaxInputNumber. `what` names it in the
// message. Throws InputError.
int parseInputNumber(std::string_view text, std::string_view what);

// The rules for the numbers that start a fiber list and for the listing options; every face
// applies them through these, so that the bounds and the messages agree. The desktop program
// clamps to the least values instead of refusing.
inline constexpr int kLeastCoreMultiplicity = 2;  // m
inline constexpr int kLeastSelfIntersection = 2;  // r
inline constexpr int kLeastBranchCount = 3;       // b
// Required first-branch multiplicities can be given for the positions 1 to 4.
inline constexpr std::size_t kMaxRequiredMultiplicities = 4;
// The ell filter of the sub-divisor listing keeps ell = v (v > 0) or drops ell = -v (v < 0).
inline constexpr int kEllFilterLimit = 100;

// The parameter `name` (m, r or b) when it is at least `least`: "m must be at least 2, not 1".
int atLeast(int value, std::string_view name, int least);
// The genus a fiber of the list must have: a genus below 1 counts as 1.
int genusRequirement(int genus);
// The required multiplicities of positions 1, 2, ...: at most four, none negative; 0 = any.
std::array<int, 4> requiredMultiplicities(std::span<const int> values);
// The ell filter: -kEllFilterLimit ... kEllFilterLimit, 0 for every ell.
int ellFilter(int value);
// Threads a census may be given, 0 meaning one per core: a few hundred already outnumber the
// cores of any machine, and every further one only costs memory.
inline constexpr int kMaxThreads = 256;
// The number of threads asked for, named `name` in the message: "--threads must lie in 0 ... 256,
// not 100000".
int threadCount(int value, std::string_view name);

// The text quoted in a message: at most 60 characters of it, non-printable bytes as \xNN.
std::string quoteInput(std::string_view text);

}  // namespace dorvanix
