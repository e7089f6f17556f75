#include <CLI/CLI.hpp>
#include <iostream>
#include <ostream>

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
    "(its vertices in any order, with any ids); - reads one of them a line from standard input. "
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

// TEXT given as "-": one text a line (blank lines skipped); a line that names no census fiber,
// and a failed read, stop with its number.
void lookupLines(const LookupArguments& args, CommandContext& context) {
    std::istream& in = context.in != nullptr ? *context.in : std::cin;
    std::string text;
    for (long long number = 1; readInputLine(in, text, number); ++number) {
        if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
        FoundFiber found;
        try {
            found = lookupFiber(text);
        } catch (const InputError& error) {
            throw InputError("line " + std::to_string(number) +
                             " of standard input: " + error.what());
        }
        printFound(found, args.json, context.out);
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
