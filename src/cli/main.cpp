#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/standard_output_buffer.h"
#include "files/atomic_file.h"
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
    // The results go through a buffer that throws on the first failed write, so that a full disk
    // or a broken device ends the work with one line instead of letting it run on unseen.
    dorvanix::cli::StandardOutputBuffer results(STDOUT_FILENO);
    std::streambuf* const standard = std::cout.rdbuf(&results);
    std::cout.exceptions(std::ios::badbit);
    if (isatty(STDOUT_FILENO) == 1) std::cout.setf(std::ios::unitbuf);
    // A message must not wait for, or fail with, the results it would flush first.
    std::cerr.tie(nullptr);
    int status = dorvanix::cli::kBadInput;
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        status = dorvanix::cli::runCli(args, std::cout, std::cerr);
        // Help and version are printed without a flush; after a failed write there is nothing
        // more to flush.
        if (std::cout.good()) std::cout.flush();
    } catch (const dorvanix::FileWriteError& error) {
        // Standard output failed while runCli was answering a failure, or at the last flush.
        std::cerr << "dorvanix-cli: " << error.what() << '\n';
        status = dorvanix::cli::kWriteFailed;
    } catch (const std::exception& error) {
        // runCli answers the failures of a command itself; this catches one outside them, such
        // as running out of memory while the arguments are copied.
        std::cerr << "dorvanix-cli: " << error.what() << '\n';
        status = dorvanix::cli::kBadInput;
    }
    // A list that could not be printed must not pass for a result.
    if (!std::cout && status == dorvanix::cli::kDone) {
        std::cerr << "dorvanix-cli: cannot write to standard output\n";
        status = dorvanix::cli::kWriteFailed;
    }
    std::cout.exceptions(std::ios::goodbit);
    std::cout.rdbuf(standard);
    return status;
}
