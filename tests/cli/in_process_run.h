#pragma once

// Runs the command-line tool inside the test, its two streams caught in strings.

#include <istream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace dorvanix::cli {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `in` stands for standard input.
inline CliRun runInProcess(const std::vector<std::string>& args, std::istream* in = nullptr) {
    std::ostringstream out, err;
    const int status = runCli(args, out, err, in);
    return {status, out.str(), err.str()};
}

}  // namespace dorvanix::cli
