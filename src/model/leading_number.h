#pragma once

#include <cstddef>
#include <string_view>

namespace dorvanix {

// The number at position `from` of `text` (none past its end) as the C library's atoi reads it:
// white space, an optional sign and the decimal digits up to the first other character; text
// without digits reads 0. Unlike atoi, a number beyond the range of int saturates at INT_MAX or
// INT_MIN instead of overflowing. Every reader of text this program printed (the parsers, the file
// names, the selected lines) and of the dialogs' number fields goes through this.
int leadingNumber(std::string_view text, std::size_t from = 0);

}  // namespace dorvanix
