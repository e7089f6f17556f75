#pragma once

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace dorvanix::cli {

// The streams a command writes to.
struct CommandContext {
    std::ostream& out;
    std::ostream& err;
    // Where a progress line may go: standard error is a terminal; and whether the results
    // themselves go to a terminal, where a progress line would get in their way.
    bool errOnTerminal = false;
    bool outOnTerminal = false;
    // Where "-" reads from; standard input when null.
    std::istream* in = nullptr;
    // The command as typed, for a file that records how it was made.
    std::string commandLine = {};
    // The exit status of a command that ends without an error but not with success (a self-test
    // with a check that does not hold).
    int exitStatus = 0;

    // A progress line is shown when it has a terminal to itself.
    bool showsProgress(bool resultsToFile) const {
        return errOnTerminal && (resultsToFile || !outOnTerminal);
    }
};

// Each adds one subcommand to the tool; its callback does the work and throws InputError for bad
// input and FileWriteError for a file it could not write.
void addFibersCommand(CLI::App& app, CommandContext& context);
void addSubdivisorsCommand(CLI::App& app, CommandContext& context);
void addQuorbelCommand(CLI::App& app, CommandContext& context);
void addAnalyzeCommand(CLI::App& app, CommandContext& context);
void addPictureCommand(CLI::App& app, CommandContext& context);
void addCensusCommand(CLI::App& app, CommandContext& context);
void addGraphCommand(CLI::App& app, CommandContext& context);
void addLookupCommand(CLI::App& app, CommandContext& context);
void addSelfTestCommand(CLI::App& app, CommandContext& context);

}  // namespace dorvanix::cli
