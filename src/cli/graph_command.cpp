#include <CLI/CLI.hpp>
#include <ostream>

#include "analysis/analysis_dual_graph.h"
#include "census/subdivisor_line.h"
#include "cli/commands.h"
#include "files/graph_formats.h"
#include "model/dual_graph.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct GraphArguments {
    std::string x;
    std::string y;
    std::string format = "json";
    std::string layout = "graphviz";
    TikzOptions tikz;
    bool noLegend = false;
};

void runGraph(const GraphArguments& args, CommandContext& context) {
    const FiberData x = parseFiberText(args.x);
    DualGraph graph;
    if (args.y.empty()) {
        graph = fiberDualGraph(x);
    } else {
        const SubdivisorLine y = parseSubdivisorLine(x, args.y);
        graph = analysisDualGraph(x, y.line);
    }
    const LayoutMethod method =
        args.layout == "plain" ? LayoutMethod::kPlain : LayoutMethod::kGraphviz;
    if (args.format == "dot") {
        context.out << dualGraphDot(graph, method);
    } else if (args.format == "tikz") {
        context.out << dualGraphTikz(graph, method, args.tikz);
    } else {
        context.out << dualGraphJson(graph) << '\n';
    }
}

}  // namespace

void addGraphCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<GraphArguments>();
    CLI::App* command = app.add_subcommand(
        "graph", "The dual graph of X, or with Y of the analysis divisor R and its joining curve");
    command->add_option("X", args->x, "the fiber: a fiber line, divisor notation or label")
        ->required();
    command->add_option("Y", args->y, "a sub-divisor line of X as listed");
    command->add_option("--format", args->format, "json (default), dot (Graphviz) or tikz (LaTeX)")
        ->check(CLI::IsMember({"json", "dot", "tikz"}));
    command
        ->add_option("--layout", args->layout,
                     "where dot and tikz place the curves: graphviz (default; plain where the "
                     "program is built without Graphviz) or plain (the same in every build and "
                     "in the web page)")
        ->check(CLI::IsMember({"graphviz", "plain"}));
    command->add_flag("--standalone", args->tikz.standalone,
                      "tikz: a whole LaTeX document, its page cut to the picture, instead of the "
                      "tikzpicture alone for \\input in a paper");
    command->add_flag("--no-legend", args->noLegend,
                      "tikz: no line beneath the picture saying what the numbers at a curve are");
    command->callback([args, &context] {
        args->tikz.legend = !args->noLegend;
        runGraph(*args, context);
    });
}

}  // namespace dorvanix::cli
