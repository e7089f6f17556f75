#include <CLI/CLI.hpp>
#include <ostream>
#include <vector>

#include "census/fiber_enumeration.h"
#include "cli/commands.h"
#include "cli/json_lines.h"
#include "cli/output_target.h"
#include "cli/progress_line.h"
#include "files/list_files.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct FibersArguments {
    std::string m, r, b;
    bool noDuplicates = false;
    std::string genus;
    bool genusGiven = false;  // also when the value is empty, which is then refused
    bool atMostTwoCrusts = false;
    std::string multiplicities;
    bool multiplicitiesGiven = false;
    bool jsonl = false;
    OutputTarget target;
};

// "A1[,A2[,A3[,A4]]]": the required multiplicities of positions 1, 2, ...
std::array<int, 4> readMultiplicities(const std::string& text) {
    std::vector<int> values;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        values.push_back(
            parseInputNumber(text.substr(start, comma - start), "a required multiplicity"));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return requiredMultiplicities(values);
}

void runFibers(const FibersArguments& args, CommandContext& context) {
    const int m = atLeast(parseInputNumber(args.m, "m"), "m", kLeastCoreMultiplicity);
    const int r = atLeast(parseInputNumber(args.r, "r"), "r", kLeastSelfIntersection);
    const int b = atLeast(parseInputNumber(args.b, "b"), "b", kLeastBranchCount);
    FiberOptions options;
    options.noDuplicateBranches = args.noDuplicates;
    options.atMostTwoSimpleCrusts = args.atMostTwoCrusts;
    if (args.genusGiven) {
        options.requiredGenus = genusRequirement(parseInputNumber(args.genus, "the genus"));
    }
    if (args.multiplicitiesGiven) {
        options.multiplicityOption = true;
        options.requiredMultiplicities = readMultiplicities(args.multiplicities);
    }
    Progress progress;
    if (!args.target.wanted()) {
        const ProgressLine shown(progress, context.err, "fibers", context.showsProgress(false));
        enumerateFibers(
            m, r, b, options,
            [&](const FiberEntry& fiber) {
                context.out << (args.jsonl ? fiberJsonLine(m, r, fiber) : std::string(fiber.line))
                            << '\n';
            },
            &progress);
        return;
    }
    args.target.writeFile(fiberListFileName(m, r, b), context.out, [&](std::ostream& file) {
        const ProgressLine shown(progress, context.err, "fibers", context.showsProgress(true));
        enumerateFibers(
            m, r, b, options,
            [&](const FiberEntry& fiber) {
                writeFiberListLine(file, fiber.line);
                // A file that stopped taking lines ends the work; the commit reports why.
                if (!file) progress.cancel();
            },
            &progress);
    });
}

}  // namespace

void addFibersCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<FibersArguments>();
    CLI::App* command = app.add_subcommand(
        "fibers", "List the fibers with core multiplicity M, self-intersection -R and B branches");
    command->add_option("M", args->m, "multiplicity of the core (at least 2)")->required();
    command->add_option("R", args->r, "the core's self-intersection is -R (at least 2)")
        ->required();
    command->add_option("B", args->b, "number of branches (at least 3)")->required();
    command->add_flag("--no-duplicates", args->noDuplicates, "no two branches alike");
    command->add_option("--genus", args->genus, "only fibers of genus G (below 1 counts as 1)")
        ->option_text("G");
    command->add_flag("--at-most-two-crusts", args->atMostTwoCrusts,
                      "only fibers with at most 2 simple crusts");
    command
        ->add_option("--multiplicities", args->multiplicities,
                     "required first-branch multiplicities of positions 1 to 4, 0 = any")
        ->option_text("A1[,A2[,A3[,A4]]]");
    auto* output =
        command
            ->add_option("--output", args->target.outputPath, "write the fiber list file to FILE")
            ->option_text("FILE")
            ->check(checkFileName);
    auto* save = command
                     ->add_flag("--save", args->target.save,
                                "write the fiber list file under its default name")
                     ->excludes(output);
    command->add_flag("--jsonl", args->jsonl, "print one JSON object a line")
        ->excludes(output)
        ->excludes(save);
    command->callback([args, command, &context] {
        args->genusGiven = command->count("--genus") > 0;
        args->multiplicitiesGiven = command->count("--multiplicities") > 0;
        runFibers(*args, context);
    });
}

}  // namespace dorvanix::cli
