#pragma once

#include <string_view>

class QString;

namespace dorvanix {

// Reads a number as the dialogs always have: blanks, an optional sign and the leading decimal
// digits; anything else ends the number, and text without digits reads as 0. A number beyond
// the range of int saturates at INT_MAX or INT_MIN instead of overflowing.
int dialogNumber(std::string_view text);
int dialogNumber(const QString& text);

}  // namespace dorvanix
