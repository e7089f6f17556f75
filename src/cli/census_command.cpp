#include <CLI/CLI.hpp>
#include <chrono>
#include <ctime>
#include <functional>
#include <iomanip>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "analysis/census_statistics.h"
#include "analysis/joining_curve_genus.h"
#include "census/genus_census.h"
#include "cli/commands.h"
#include "cli/output_target.h"
#include "cli/progress_line.h"
#include "dorvanix/version.h"
#include "files/analysis_records.h"
#include "files/atomic_file.h"
#include "files/census_database.h"
#include "files/census_records.h"
#include "files/fiber_records.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct CensusArguments {
    std::string genus;
    std::string format = "text";
    bool jsonl = false;
    bool analyze = false;
    std::string threads = "0";
    std::string output;
};

constexpr const char* kCensusHelp =
    "List every fiber of genus G (or A..B) as text, JSON, CSV or SQLite\n"
    "List every fiber of genus G (or of each genus from A to B) over all m >= 2, r >= 2 and "
    "b >= 3 (fibers with r = 1, such as ((6,1),3,2,1), are not listed), ordered by m, then r, "
    "then b, and within one (m, r, b) as `fibers` lists them. A fiber of genus G >= 1 has "
    "m <= 4G + 2 (the largest order of an automorphism of a curve of genus G), b <= 2G + 2 "
    "(every branch adds at least m/2 to 2G - 2 + 2m) and r <= b - 1 (m r is the sum of b parts "
    "below m); the branch multiplicities are chosen so that the genus comes out exactly. "
    "--format csv writes a header and one fiber a row (label, genus, m, r, b, branches, "
    "simple_crusts, line), --format sqlite a database with the tables fibers, analysis (with "
    "--analyze) and meta, which `sqlite3 FILE .schema` shows with their comments; --output writes "
    "any format to FILE, complete or not at all.";

// The genera asked for: "G" or "A..B".
std::pair<int, int> genusRange(const std::string& text) {
    const std::size_t dots = text.find("..");
    const int from = parseInputNumber(text.substr(0, dots), "the genus");
    const int to =
        dots == std::string::npos ? from : parseInputNumber(text.substr(dots + 2), "the genus");
    if (from < 1) throw InputError("the genus must be at least 1, not " + std::to_string(from));
    if (to < from) {
        throw InputError("the genus range " + quoteInput(text) + " ends before it starts");
    }
    return {from, to};
}

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    std::ostringstream text;
    text << std::put_time(&parts, "%Y-%m-%dT%H:%M:%SZ");
    return text.str();
}

// A row of a fiber's (N, d, h) table as the census text shows it: a count that is no genus is
// shown apart from h = 0, with what the formula gives where it gives anything.
void writeTableRow(std::ostream& out, const AnalysisTally& row) {
    out << "  N = " << row.chainCount << ", d = " << row.gcd;
    if (row.joiningCurveGenus) {
        out << ", h = " << *row.joiningCurveGenus;
    } else if (row.genusNumerator) {
        out << ", h none (the formula gives " << halfText(*row.genusNumerator) << ")";
    } else {
        out << ", h none";
    }
    out << ": " << row.count << '\n';
}

// Where the fibers go, one format each; the table is null without --analyze.
class CensusWriter {
  public:
    virtual ~CensusWriter() = default;
    virtual void fiber(const CensusFiber& fiber, const AnalysisTable* table) = 0;
    // Whether the output still takes fibers (a failed file stops the census).
    virtual bool good() const { return true; }
    virtual void finish() {}
};

class StreamWriter : public CensusWriter {
  public:
    StreamWriter(std::ostream& out, const std::string& format, bool analyze)
        : out_(out),
          format_(format == "csv"     ? Format::Csv
                  : format == "jsonl" ? Format::Jsonl
                                      : Format::Text) {
        if (format_ == Format::Csv) writeCensusCsvHeader(out_, analyze);
    }

    void fiber(const CensusFiber& fiber, const AnalysisTable* table) override {
        if (format_ == Format::Csv) {
            const std::string json = table ? analysisTableJson(*table).dump() : std::string();
            writeCensusCsvRow(out_, censusRow(fiber), table ? &json : nullptr);
        } else if (format_ == Format::Jsonl) {
            out_ << (table ? censusAnalysisJsonLine(fiber, *table) : censusFiberJson(fiber))
                 << '\n';
        } else {
            out_ << fiber.line << '\n';
            if (!table) return;
            for (const AnalysisTally& row : *table) writeTableRow(out_, row);
        }
    }

    bool good() const override { return static_cast<bool>(out_); }

  private:
    // Told apart once, not at each of millions of fibers.
    enum class Format { Text, Jsonl, Csv };
    std::ostream& out_;
    Format format_;
};

class FileWriter : public StreamWriter {
  public:
    FileWriter(std::unique_ptr<AtomicFile> file, const std::string& format, bool analyze)
        : StreamWriter(file->stream(), format, analyze), file_(std::move(file)) {}
    void finish() override { file_->commit(); }

  private:
    std::unique_ptr<AtomicFile> file_;
};

class DatabaseWriter : public CensusWriter {
  public:
    DatabaseWriter(const std::string& path,
                   const std::vector<std::pair<std::string, std::string>>& meta)
        : database_(path, meta) {}

    void fiber(const CensusFiber& fiber, const AnalysisTable* table) override {
        const CensusRow row = censusRow(fiber);
        database_.add(row);
        if (table) database_.addAnalysis(row.label, analysisTableJson(*table));
    }
    void finish() override { database_.finish(); }

  private:
    CensusDatabase database_;
};

std::unique_ptr<CensusWriter> makeWriter(const CensusArguments& args, const std::string& format,
                                         std::pair<int, int> genera, CommandContext& context) {
    if (format == "sqlite") {
        if (args.output.empty()) {
            throw InputError("--format sqlite writes a database file: name it with --output FILE");
        }
        return std::make_unique<DatabaseWriter>(args.output,
                                                std::vector<std::pair<std::string, std::string>>{
                                                    {"program", "dorvanix-cli"},
                                                    {"version", DORVANIX_VERSION},
                                                    {"command", context.commandLine},
                                                    {"created", utcNow()},
                                                    {"genus_from", std::to_string(genera.first)},
                                                    {"genus_to", std::to_string(genera.second)},
                                                    {"analyze", args.analyze ? "yes" : "no"}});
    }
    if (args.output.empty()) {
        return std::make_unique<StreamWriter>(context.out, format, args.analyze);
    }
    return std::make_unique<FileWriter>(std::make_unique<AtomicFile>(args.output), format,
                                        args.analyze);
}

void runCensus(const CensusArguments& args, CommandContext& context) {
    const std::pair<int, int> genera = genusRange(args.genus);
    // Read as typed numbers are everywhere (decimal), not by CLI11, which takes 0x3 for 3.
    const int threads = threadCount(parseInputNumber(args.threads, "--threads"), "--threads");
    const std::string format = args.jsonl ? "jsonl" : args.format;
    const std::unique_ptr<CensusWriter> writer = makeWriter(args, format, genera, context);
    const bool toFile = !args.output.empty();
    // Where the results show on a terminal too, the progress line of a genus stands until its
    // first fiber: a large genus may walk for minutes before it finds its first block.
    const bool untilFirst = !toFile && context.errOnTerminal && context.outOnTerminal;
    for (int genus = genera.first; genus <= genera.second; ++genus) {
        Progress progress;
        std::optional<ProgressLine> shown;
        shown.emplace(progress, context.err, "census of genus " + std::to_string(genus),
                      context.showsProgress(toFile) || untilFirst);
        // A file that stopped taking lines ends the work; finishing reports why.
        const auto take = [&](const CensusFiber& fiber, const AnalysisTable* table) {
            if (untilFirst) shown.reset();
            writer->fiber(fiber, table);
            if (!writer->good()) progress.cancel();
        };
        const bool done = args.analyze
                              ? censusAnalysis(
                                    genus,
                                    [&](const CensusFiber& fiber, const AnalysisTable& table) {
                                        take(fiber, &table);
                                    },
                                    &progress, CensusOptions{threads})
                              : censusByGenus(
                                    genus, [&](const CensusFiber& fiber) { take(fiber, nullptr); },
                                    &progress, CensusOptions{threads});
        if (!done) break;
    }
    writer->finish();
}

}  // namespace

void addCensusCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<CensusArguments>();
    CLI::App* command = app.add_subcommand("census", kCensusHelp);
    command
        ->add_option("--genus", args->genus,
                     "the genus G of the fibers (at least 1), or A..B for each genus from A to B")
        ->option_text("G|A..B")
        ->required();
    auto* format = command
                       ->add_option("--format", args->format,
                                    "text (the census lines, default), jsonl, csv or sqlite")
                       ->check(CLI::IsMember({"text", "jsonl", "csv", "sqlite"}))
                       ->option_text("text|jsonl|csv|sqlite");
    command->add_flag("--jsonl", args->jsonl, "print one JSON object a line (--format jsonl)")
        ->excludes(format);
    command->add_flag("--analyze", args->analyze,
                      "for every fiber, the table of (N, d, h) over its listed sub-divisors");
    command->add_option("--threads", args->threads, "threads to use (0: one per core; at most 256)")
        ->option_text("T");
    command
        ->add_option("--output", args->output,
                     "write to FILE, complete or not at all (needed by --format sqlite)")
        ->option_text("FILE")
        ->check(checkFileName);
    command->callback([args, &context] { runCensus(*args, context); });
}

}  // namespace dorvanix::cli
