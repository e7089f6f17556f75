// The tool's argument handling: arguments separated by newlines. Every run ends with status 0, 1
// or 2, and a failure says so in one line on stderr. Inputs that would write files or ask for work
// beyond small fibers (numbers of more than one digit, many branches, the self-test's seconds)
// are passed over.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace {

bool tooLarge(const std::string& text) {
    if (std::count(text.begin(), text.end(), '(') > 12) return true;
    int digits = 0;
    for (char ch : text) {
        digits = (ch >= '0' && ch <= '9') ? digits + 1 : 0;
        if (digits > 1) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (input.find("--o") != std::string::npos || input.find("--s") != std::string::npos ||
        input.find("selftest") != std::string::npos || tooLarge(input)) {
        return 0;
    }
    std::vector<std::string> args;
    std::istringstream lines(input);
    for (std::string arg; std::getline(lines, arg);) args.push_back(arg);
    std::ostringstream out, err;
    const int status = dorvanix::cli::runCli(args, out, err);
    if (status != 0 && status != 1 && status != 2) __builtin_trap();
    const std::string message = err.str();
    if (status == 2 && (message.empty() || message.find('\n') != message.size() - 1)) {
        __builtin_trap();
    }
    return 0;
}
