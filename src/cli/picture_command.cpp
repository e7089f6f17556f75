#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>

#include "census/subdivisor_line.h"
#include "cli/commands.h"
#include "cli/output_target.h"
#include "files/atomic_file.h"
#include "model/fiber_data.h"
#include "model/input_check.h"
#include "picture/library_random.h"
#include "picture/picture_session.h"

namespace dorvanix::cli {

namespace {

struct PictureArguments {
    std::string x;
    std::string y;
    std::string ticks = "0";
    std::string outputPath;
};

void runPicture(const PictureArguments& args, CommandContext& context) {
    // Read as typed numbers are everywhere (decimal), not by CLI11, which takes 0x10 for 16.
    const int ticks = parseInputNumber(args.ticks, "--ticks");
    checkTickCount(ticks, "--ticks");
    const FiberData x = parseFiberText(args.x);
    std::optional<SubdivisorLine> y;
    if (!args.y.empty()) y = parseSubdivisorLine(x, args.y);
    // Every run draws from the start of the library's sequence, as a freshly started program.
    const std::string svg = pictureSvg(x, y ? &*y : nullptr, ticks, LibraryRandom());
    if (args.outputPath.empty()) {
        context.out << svg;
    } else {
        writeFileAtomically(args.outputPath, svg);
    }
}

}  // namespace

void addPictureCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<PictureArguments>();
    CLI::App* command = app.add_subcommand(
        "picture", "Draw the picture of a fiber X (and a sub-divisor Y flying onto it) as SVG");
    command->add_option("X", args->x, "the fiber: a fiber line, divisor notation or label")
        ->required();
    command->add_option("Y", args->y, "a sub-divisor line of X as listed");
    command
        ->add_option("--ticks", args->ticks,
                     "100 ms animation steps before the frame is drawn (default 0)")
        ->option_text("T");
    command->add_option("--output", args->outputPath, "write the SVG to FILE")
        ->option_text("FILE.svg")
        ->check(checkFileName);
    command->callback([args, &context] { runPicture(*args, context); });
}

}  // namespace dorvanix::cli
