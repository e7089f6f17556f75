#include "cli/input_lines.h"

#include <cerrno>
#include <istream>
#include <new>
#include <string>
#include <system_error>

#include "model/input_check.h"

namespace dorvanix::cli {

bool readInputLine(std::istream& in, std::string& text, long long number) {
    const std::ios::iostate previous = in.exceptions();
    in.exceptions(std::ios::badbit);
    const auto where = "line " + std::to_string(number) + " of standard input";
    try {
        const bool read = static_cast<bool>(std::getline(in, text));
        in.exceptions(previous);
        return read;
    } catch (const std::bad_alloc&) {
        in.exceptions(previous);
        throw InputError(where + " is too long to hold in memory");
    } catch (const std::ios_base::failure& failed) {
        in.exceptions(previous);
        // The stream's own code says only "iostream error"; the system's error is in errno.
        const std::error_code code = failed.code().category() == std::iostream_category()
                                         ? std::error_code(errno, std::generic_category())
                                         : failed.code();
        throw InputError("cannot read " + where + ": " + code.message());
    }
}

}  // namespace dorvanix::cli
