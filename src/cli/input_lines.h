#pragma once

#include <iosfwd>
#include <string>

namespace dorvanix::cli {

// The next line of `in` (standard input, for a command given "-") into `text`; false at its
// end. A read that fails (standard input a folder, closed, or a line too long to hold) throws
// InputError with the line's number, so that it is never taken for the end.
bool readInputLine(std::istream& in, std::string& text, long long number);

}  // namespace dorvanix::cli
