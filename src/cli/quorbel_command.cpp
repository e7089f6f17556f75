#include <CLI/CLI.hpp>
#include <ostream>

#include "census/subdivisor_line.h"
#include "cli/commands.h"
#include "cli/output_target.h"
#include "files/quorbel_file.h"
#include "model/fiber_data.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct QuorbelArguments {
    std::string x;
    std::string y;
    OutputTarget target;
};

void runQuorbel(const QuorbelArguments& args, CommandContext& context) {
    const FiberData x = parseFiberText(args.x);
    const SubdivisorLine y = parseSubdivisorLine(x, args.y);
    const std::string text = quorbelFileText(quorbelInputOf(x, y));
    if (!args.target.wanted()) {
        context.out << text;
        return;
    }
    const std::string name = polynomialFileName(fiberNotation(x), y.line);
    args.target.writeFile(name, context.out, [&](std::ostream& file) { file << text; });
}

}  // namespace

void addQuorbelCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<QuorbelArguments>();
    CLI::App* command = app.add_subcommand(
        "quorbel", "Print the polynomial file of a fiber X and a sub-divisor line Y");
    command->add_option("X", args->x, "the fiber: a fiber line, divisor notation or label")
        ->required();
    command->add_option("Y", args->y, "a sub-divisor line of X as listed")->required();
    auto* output =
        command
            ->add_option("--output", args->target.outputPath, "write the polynomial file to FILE")
            ->option_text("FILE")
            ->check(checkFileName);
    command
        ->add_flag("--save", args->target.save, "write the polynomial file under its default name")
        ->excludes(output);
    command->callback([args, &context] { runQuorbel(*args, context); });
}

}  // namespace dorvanix::cli
