#include <CLI/CLI.hpp>
#include <ostream>

#include "census/subdivisor_count.h"
#include "census/subdivisor_listing.h"
#include "cli/commands.h"
#include "cli/json_lines.h"
#include "cli/output_target.h"
#include "cli/progress_line.h"
#include "files/list_files.h"
#include "model/fiber_data.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct SubdivisorsArguments {
    std::string x;
    std::string ell;
    bool exceptOnlyAB = false;
    bool allTypes = false;
    bool count = false;
    bool jsonl = false;
    OutputTarget target;
};

SubdivisorOptions readOptions(const SubdivisorsArguments& args) {
    SubdivisorOptions options;
    if (!args.ell.empty()) options.ellFilter = ellFilter(parseInputNumber(args.ell, "--ell"));
    options.exceptOnlyAB = args.exceptOnlyAB;
    options.onlyABC = !args.allTypes;
    return options;
}

void runSubdivisors(const SubdivisorsArguments& args, CommandContext& context) {
    const FiberData x = parseFiberText(args.x);
    const SubdivisorOptions options = readOptions(args);
    Progress progress;
    if (args.count) {
        SubdivisorTally tally;
        {
            const ProgressLine shown(progress, context.err, "counting",
                                     context.showsProgress(true));
            tally = tallySubdivisors(x, options, &progress);
        }
        context.out << tallyText(tally) << '\n';
        return;
    }
    if (!args.target.wanted()) {
        // Whole batches of lines: standard output's buffer passes them on without copying.
        writeSubdivisorText(
            x, options, args.jsonl ? SubdivisorTextForm::JsonRecord : SubdivisorTextForm::Line,
            "\n", [&](std::string_view lines) {
                context.out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
                return true;
            });
        return;
    }
    const auto write = [&](std::ostream& file) {
        const ProgressLine shown(progress, context.err, "sub-divisors",
                                 context.showsProgress(true));
        // A file that stopped taking lines fails its commit, which says why.
        writeSubdivisorList(file, x, options, &progress);
    };
    args.target.writeFile(subdivisorListFileName(fiberNotation(x)), context.out, write);
}

}  // namespace

void addSubdivisorsCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<SubdivisorsArguments>();
    CLI::App* command = app.add_subcommand("subdivisors", "List the sub-divisors Y of a fiber X");
    command->add_option("X", args->x, "the fiber: a fiber line, divisor notation or label")
        ->required();
    command
        ->add_option("--ell", args->ell,
                     "only ell = V (V > 0), or all but ell = -V (V < 0); 0 for every ell")
        ->option_text("V");
    command->add_flag("--except-only-ab", args->exceptOnlyAB,
                      "leave out the sub-divisors whose branches are all of type A, B or 0");
    command->add_flag("--all-types", args->allTypes, "also list sub-divisors with a '?' branch");
    auto* count = command->add_flag("--count", args->count, "print only the number of lines");
    auto* output = command
                       ->add_option("--output", args->target.outputPath,
                                    "write the sub-divisor list file to FILE")
                       ->option_text("FILE")
                       ->check(checkFileName)
                       ->excludes(count);
    auto* save = command
                     ->add_flag("--save", args->target.save,
                                "write the sub-divisor list file under its default name")
                     ->excludes(output)
                     ->excludes(count);
    command->add_flag("--jsonl", args->jsonl, "print one JSON object a line")
        ->excludes(output)
        ->excludes(save)
        ->excludes(count);
    command->callback([args, &context] { runSubdivisors(*args, context); });
}

}  // namespace dorvanix::cli
