#pragma once

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
// trees of a fiber have chains of up to m - 1 curves, and the walks over them recurse along a
// chain, so the bound also keeps every walk well inside the stack.
inline constexpr int kMaxInputNumber = 10000;

// Reads a fiber typed by a user, either as a fiber line "((m,r),a1,...,ab)" (with or without the
// list's annotation " : n (g=g)" and its asterisks) or in divisor notation "(m;(c,...),...)".
// Checks that m >= 2, r >= 2, b >= 3, every a_j lies in 1 ... m-1, the a_j sum to m r, and in
// divisor notation that every chain follows the continued-fraction rule. Throws InputError.
FiberData parseFiberText(std::string_view text);

// A number typed on its own: decimal digits with an optional sign, nothing else, within
// -kMaxInputNumber ... kMaxInputNumber. `what` names it in the message. Throws InputError.
int parseInputNumber(std::string_view text, std::string_view what);

// The text quoted in a message: at most 60 characters of it, non-printable bytes as \xNN.
std::string quoteInput(std::string_view text);

}  // namespace dorvanix
