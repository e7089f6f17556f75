#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "files/registered_temporary.h"

namespace {

// Ctrl-C ends the tool at once with status 130. A file being written is a temporary until it is
// complete, so the earlier file stays as it was; a named temporary (on file systems without
// unnamed ones) is removed here, so nothing is left behind.
extern "C" void onInterrupt(int) {
    dorvanix::removeRegisteredTemporaries();
    _exit(dorvanix::cli::kInterrupted);
}

}  // namespace

int main(int argc, char** argv) {
    // A file that outgrows the size limit should fail with an error the tool reports, not kill it.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    std::ios::sync_with_stdio(false);
    int status = dorvanix::cli::kBadInput;
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        status = dorvanix::cli::runCli(args, std::cout, std::cerr);
    } catch (const std::exception& error) {
        // runCli answers the failures of a command itself; this catches one outside them, such
        // as running out of memory while the arguments are copied.
        std::cerr << "dorvanix-cli: " << error.what() << '\n';
        return dorvanix::cli::kBadInput;
    }
    std::cout.flush();
    // A list that could not be printed (a full disk, a closed pipe) must not pass for a result.
    if (!std::cout && status == dorvanix::cli::kDone) {
        std::cerr << "dorvanix-cli: cannot write to standard output\n";
        return dorvanix::cli::kWriteFailed;
    }
    return status;
}
