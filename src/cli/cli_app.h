#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace dorvanix::cli {

// Exit statuses of dorvanix-cli.
enum ExitStatus : int {
    kDone = 0,
    kWriteFailed = 1,
    kBadInput = 2,
    kInterrupted = 130,
};

// Runs dorvanix-cli with its arguments (without the program name), writing to `out` and `err`;
// "-" reads from `in`, standard input when null.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           std::istream* in = nullptr);

}  // namespace dorvanix::cli
