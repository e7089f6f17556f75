#include <CLI/CLI.hpp>
#include <iostream>
#include <ostream>

#include "cli/cli_app.h"
#include "cli/commands.h"
#include "cli/input_lines.h"
#include "cli/json_lines.h"
#include "files/fiber_lookup.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct LookupArguments {
    std::string text;
    bool json = false;
};

constexpr const char* kLookupHelp =
    "Find the census fiber of a label, fiber line, divisor notation or dual graph\n"
    "Find the fiber of the census that TEXT names and print its label and its line. TEXT is a "
    "label (2.5.2.4-4-2), a fiber line (((5,2),4,4,2), its branches in any order), divisor "
    "notation ((5;(4,3,2,1),(4,3,2,1),(2,1))) or a dual graph as `graph --format json` writes it "
    "(its vertices in any order, ids of 32 bits, at most 64 MB); - reads one of them a line from "
    "standard input, each line looked up on its own: a line that names no fiber is named by its "
    "number on standard error, the rest are still answered, and the exit status is then 2. "
    "Text that names no fiber of the census is refused with one line saying why. The label "
    "G.m.r.a1-...-ab is the genus, m, r and the first-branch multiplicities largest first: a "
    "fiber is its m, r and the multiset of those multiplicities, written one way only, in the "
    "census's order; G and r, which the multiplicities fix, group the labels as the census is "
    "ordered and are checked when a label is read. It depends on the fiber alone, not on a place "
    "in a list, and needs no quoting.";

void printFound(const FoundFiber& found, bool json, std::ostream& out) {
    if (json) {
        const std::vector<int> parts = found.fiber.firstMultiplicities();
        const std::string digits = tallyText(found.simpleCrusts);
        out << fiberJsonLine(
                   found.fiber.m, found.fiber.r,
                   FiberEntry{parts, found.simpleCrusts.clamped(), found.genus, found.line, digits})
            << '\n';
        return;
    }
    out << found.label << ' ' << found.line << '\n';
}

// TEXT given as "-": one text a line (blank lines skipped). A line that names no census fiber is
// named by its number on standard error and the rest are still looked up; the status is then 2.
// A failed read stops with its line.
void lookupLines(const LookupArguments& args, CommandContext& context) {
    std::istream& in = context.in != nullptr ? *context.in : std::cin;
    std::string text;
    for (long long number = 1; readInputLine(in, text, number); ++number) {
        if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
        try {
            printFound(lookupFiber(text), args.json, context.out);
        } catch (const InputError& error) {
            context.err << "dorvanix-cli: line " << number << " of standard input: " << error.what()
                        << '\n';
            context.exitStatus = kBadInput;
        }
    }
}

void runLookup(const LookupArguments& args, CommandContext& context) {
    if (args.text == "-") {
        lookupLines(args, context);
        return;
    }
    printFound(lookupFiber(args.text), args.json, context.out);
}

}  // namespace

void addLookupCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<LookupArguments>();
    CLI::App* command = app.add_subcommand("lookup", kLookupHelp);
    command
        ->add_option("TEXT", args->text,
                     "a label, a fiber line, divisor notation or a dual graph in JSON; - reads "
                     "standard input")
        ->required();
    command->add_flag("--json", args->json,
                      "print the fiber's record (one line, as `fibers --jsonl`) instead");
    command->callback([args, &context] { runLookup(*args, context); });
}

}  // namespace dorvanix::cli
