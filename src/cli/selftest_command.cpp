#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/commands.h"
#include "files/self_test.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

constexpr const char* kSelfTestHelp =
    "Check in seconds what can be checked by hand or in the literature\n"
    "Re-derive on this machine, in seconds, what can be checked by hand or in the literature: "
    "the fibers of genus 1 are Kodaira's I0*, IV*, III*, II*; every fiber of genus <= 8 is "
    "numerically trivial and adjunction gives its genus; the census of genus 2 to 10 is the "
    "fiber lists filtered by genus; the counts agree with the listing on every fiber with "
    "m <= 8, r <= 3, b <= 5; every census line and label of genus <= 8 reads back to its fiber. "
    "Prints one line a check and a summary; exit status 0 when all hold, 1 otherwise.";

// The status of a self-test that found a check not holding.
constexpr int kCheckFailed = 1;

}  // namespace

void addSelfTestCommand(CLI::App& app, CommandContext& context) {
    CLI::App* command = app.add_subcommand("selftest", kSelfTestHelp);
    command->callback([&context] {
        int passed = 0;
        int total = 0;
        runSelfTest([&](const SelfTestCheck& check) {
            ++total;
            if (check.passed) ++passed;
            context.out << selfTestLine(check) << '\n' << std::flush;
        });
        context.out << selfTestSummary(passed, total) << '\n';
        if (passed != total) context.exitStatus = kCheckFailed;
    });
}

}  // namespace dorvanix::cli
