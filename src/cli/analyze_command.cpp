#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/analysis_summary.h"
#include "analysis/subdivisor_choice.h"
#include "census/subdivisor_line.h"
#include "cli/commands.h"
#include "cli/input_lines.h"
#include "files/analysis_records.h"
#include "model/fiber_data.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct AnalyzeArguments {
    std::string x;
    std::string y;
    bool json = false;
    bool jsonl = false;
};

void printGenus(const AnalysisFigures& f, std::ostream& out) {
    if (f.joiningCurveGenus) {
        out << "h = " << *f.joiningCurveGenus << " (genus of the joining curve)\n";
    } else {
        out << "h: " << f.genusNote << '\n';
    }
    if (f.genusNumerator) {
        out << "genus numerator d N - (a + chi(X) - chi(R)) = " << *f.genusNumerator << '\n';
    }
}

void printCounts(const AnalysisFigures& f, std::ostream& out) {
    out << "N = " << f.chainCount << " (chain count)\n"
        << "d = " << f.gcd << " (gcd)\n";
    printGenus(f, out);
    out << "proportional branch: "
        << (f.proportionalBranch ? "yes, the analysis ended there (no chain diagram)" : "no")
        << '\n'
        << "kc = " << f.coreBranches << " core branches, " << f.stubCount
        << " stubs, a = " << f.insertedCount << " inserted nodes, chi(X) = " << f.supportEulerX
        << ", chi(R) = " << f.supportEulerR << '\n';
}

// R as a tree: each curve with its self-intersection and the curves of R it meets (by serial,
// once a meeting point), indented below the curve of R it hangs from; the nodes of the drawing
// that are no curves of R (multiplicity 0, the genus chain) on one line after it.
void printR(const AnalysisFigures& f, std::ostream& out) {
    out << "analysis divisor R (serial: multiplicity, self-intersection, the curves of R it meets; "
           "children indented):\n";
    std::vector<int> level(f.nodes.size(), 0);  // the curves of R above the node
    std::string outside;
    for (std::size_t i = 0; i < f.nodes.size(); ++i) {
        const AnalysisNodeFigures& node = f.nodes[i];
        if (node.parent >= 0) {
            const auto parent = static_cast<std::size_t>(node.parent);
            level[i] = level[parent] + (f.nodes[parent].inR ? 1 : 0);
        }
        if (!node.inR) {
            outside += (outside.empty() ? "" : ", ") + std::to_string(node.serial) +
                       (node.genusChain ? " (genus chain)" : " (multiplicity 0)");
            continue;
        }
        out << std::string(2 * static_cast<std::size_t>(level[i] + 1), ' ') << node.serial
            << ": multiplicity " << node.multiplicity << ", self-intersection "
            << node.selfIntersectionText << (node.selfIntersection ? "" : " (no whole number)");
        for (std::size_t k = 0; k < node.neighboursInR.size(); ++k) {
            out << (k == 0 ? ", meets " : ", ")
                << f.nodes[static_cast<std::size_t>(node.neighboursInR[k])].serial;
        }
        if (node.neighboursInR.empty()) out << ", meets no curve of R";
        if (node.parent < 0) out << " (the core)";
        if (node.joiningCurve) out << " (J, the joining curve)";
        out << '\n';
    }
    if (!outside.empty()) out << "drawn but not curves of R: " << outside << '\n';
}

void printChains(const AnalysisFigures& f, std::ostream& out) {
    if (f.proportionalBranch) return;
    out << "chain diagram (" << f.chains.size() << " chains, * = flagged):\n";
    for (const auto& chain : f.chains) {
        out << ' ';
        if (chain.empty()) out << " (empty)";
        for (const ChainNodeFigures& node : chain) {
            out << ' ' << node.multiplicity << (node.flagged ? "*" : "");
        }
        out << '\n';
    }
}

void printPlain(const FiberData& x, const SubdivisorLine& y, const AnalysisFigures& f,
                std::ostream& out) {
    out << "X = " << fiberNotation(x) << ", g = " << fiberGenus(x.m, x.firstMultiplicities())
        << '\n'
        << "Y = " << y.line << '\n';
    printCounts(f, out);
    printR(f, out);
    printChains(f, out);
}

// Each record of --json as an element of one JSON array, indented as a whole array would be.
void printArrayElement(const nlohmann::json& record, bool first, std::ostream& out) {
    std::string text = record.dump(2);
    std::string indented = "  ";
    for (const char ch : text) {
        indented += ch;
        if (ch == '\n') indented += "  ";
    }
    out << (first ? "[\n" : ",\n") << indented;
}

// Y given as "-": one sub-divisor line a line from standard input (blank lines skipped), one
// record each (with --json, the elements of one array); a bad line, an analysis too large and a
// failed read stop with the line's number.
void analyseLines(const FiberData& x, const AnalyzeArguments& args, CommandContext& context) {
    std::istream& in = context.in != nullptr ? *context.in : std::cin;
    std::string text;
    bool first = true;
    for (long long number = 1; readInputLine(in, text, number); ++number) {
        if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
        SubdivisorLine y;
        AnalysisFigures figures;
        try {
            y = parseSubdivisorLine(x, text);
            figures = analysisFigures(x, y);
        } catch (const InputError& error) {
            throw InputError("line " + std::to_string(number) +
                             " of standard input: " + error.what());
        }
        if (args.jsonl) {
            context.out << analysisJson(figures, y.line).dump() << '\n';
        } else if (args.json) {
            printArrayElement(analysisJson(figures, y.line), first, context.out);
        } else {
            printPlain(x, y, figures, context.out);
        }
        first = false;
    }
    if (args.json) context.out << (first ? "[]\n" : "\n]\n");
}

void runAnalyze(const AnalyzeArguments& args, CommandContext& context) {
    const FiberData x = parseFiberText(args.x);
    if (args.y == "-") {
        analyseLines(x, args, context);
        return;
    }
    const SubdivisorLine y = parseSubdivisorLine(x, args.y);
    const AnalysisFigures figures = analysisFigures(x, y);
    if (args.json || args.jsonl) {
        context.out << analysisJson(figures, y.line).dump(args.jsonl ? -1 : 2) << '\n';
    } else {
        printPlain(x, y, figures, context.out);
    }
}

}  // namespace

void addAnalyzeCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<AnalyzeArguments>();
    CLI::App* command = app.add_subcommand(
        "analyze", "Analyse a sub-divisor Y of a fiber X: N, d, h and the analysis divisor");
    command->add_option("X", args->x, "the fiber: a fiber line, divisor notation or label")
        ->required();
    command
        ->add_option("Y", args->y,
                     "a sub-divisor line of X as listed, or - to read one a line from standard "
                     "input")
        ->required();
    auto* json = command->add_flag(
        "--json", args->json,
        "print the figures as one JSON object (with Y as -, an array of one object a line)");
    command->add_flag("--jsonl", args->jsonl, "print one JSON object a line")->excludes(json);
    command->callback([args, &context] { runAnalyze(*args, context); });
}

}  // namespace dorvanix::cli
