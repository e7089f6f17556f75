#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <ostream>

#include "analysis/census_statistics.h"
#include "analysis/joining_curve_genus.h"
#include "census/genus_census.h"
#include "cli/commands.h"
#include "cli/progress_line.h"
#include "files/analysis_records.h"
#include "files/fiber_records.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct CensusArguments {
    std::string genus;
    bool jsonl = false;
    bool analyze = false;
    std::string threads = "0";
};

constexpr const char* kCensusHelp =
    "List every fiber of genus G over all m >= 2, r >= 2 and b >= 3 (fibers with r = 1, such as "
    "((6,1),3,2,1), are not listed), ordered by m, then r, then b, and within "
    "one (m, r, b) as `fibers` lists them. A fiber of genus G >= 1 has m <= 4G + 2 (the largest "
    "order of an automorphism of a curve of genus G), b <= 2G + 2 (every branch adds at least "
    "m/2 to 2G - 2 + 2m) and r <= b - 1 (m r is the sum of b parts below m); the branch "
    "multiplicities are chosen so that the genus comes out exactly.";

void writeCensusAnalysis(int genus, int threads, bool jsonl, CommandContext& context,
                         Progress& progress, const std::function<void()>& beforeResult) {
    censusAnalysis(
        genus,
        [&](const CensusFiber& fiber, const AnalysisTable& table) {
            beforeResult();
            if (jsonl) {
                context.out << censusAnalysisJsonLine(fiber, table) << '\n';
                return;
            }
            context.out << fiber.line << '\n';
            for (const AnalysisTally& row : table) {
                context.out << "  N = " << row.chainCount << ", d = " << row.gcd;
                if (row.joiningCurveGenus) {
                    context.out << ", h = " << *row.joiningCurveGenus;
                } else if (row.genusNumerator) {
                    context.out << ", h none (the formula gives " << halfText(*row.genusNumerator)
                                << ")";
                } else {
                    context.out << ", h none";
                }
                context.out << ": " << row.count << '\n';
            }
        },
        &progress, CensusOptions{threads});
}

void runCensus(const CensusArguments& args, CommandContext& context) {
    const int genus = parseInputNumber(args.genus, "the genus");
    if (genus < 1) {
        throw InputError("the genus must be at least 1, not " + std::to_string(genus));
    }
    // Read as typed numbers are everywhere (decimal), not by CLI11, which takes 0x3 for 3.
    const int threads = threadCount(parseInputNumber(args.threads, "--threads"), "--threads");
    Progress progress;
    // Where the results show on a terminal too, the progress line stands until the first of
    // them: a large genus may walk for minutes before it finds its first block of fibers.
    const bool untilFirst = context.errOnTerminal && context.outOnTerminal;
    std::optional<ProgressLine> shown;
    shown.emplace(progress, context.err, "census", context.showsProgress(false) || untilFirst);
    const std::function<void()> beforeResult = [&] {
        if (untilFirst) shown.reset();
    };
    if (args.analyze) {
        writeCensusAnalysis(genus, threads, args.jsonl, context, progress, beforeResult);
        return;
    }
    censusByGenus(
        genus,
        [&](const CensusFiber& fiber) {
            beforeResult();
            context.out << (args.jsonl ? censusFiberJson(fiber) : fiber.line) << '\n';
        },
        &progress, CensusOptions{threads});
}

}  // namespace

void addCensusCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<CensusArguments>();
    CLI::App* command = app.add_subcommand("census", kCensusHelp);
    command->add_option("--genus", args->genus, "the genus G of the fibers (at least 1)")
        ->option_text("G")
        ->required();
    command->add_flag("--jsonl", args->jsonl, "print one JSON object a line");
    command->add_flag("--analyze", args->analyze,
                      "for every fiber, the table of (N, d, h) over its listed sub-divisors");
    command->add_option("--threads", args->threads, "threads to use (0: one per core; at most 256)")
        ->option_text("T");
    command->callback([args, &context] { runCensus(*args, context); });
}

}  // namespace dorvanix::cli
