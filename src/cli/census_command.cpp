#include <CLI/CLI.hpp>
#include <chrono>
#include <ctime>
#include <iomanip>
#include <memory>
#include <ostream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "analysis/census_statistics.h"
#include "census/genus_census.h"
#include "cli/commands.h"
#include "cli/json_lines.h"
#include "cli/progress_line.h"
#include "dorvanix/version.h"
#include "files/analysis_records.h"
#include "files/atomic_file.h"
#include "files/census_database.h"
#include "files/census_records.h"
#include "model/input_check.h"

namespace dorvanix::cli {

namespace {

struct CensusArguments {
    std::string genus;
    std::string format = "text";
    bool jsonl = false;
    bool analyze = false;
    int threads = 0;
    std::string output;
};

constexpr const char* kCensusHelp =
    "List every fiber of genus G (or of each genus from A to B) over all m, r and b, ordered by "
    "m, then r, then b, and within one (m, r, b) as `fibers` lists them. A fiber of genus G >= 1 "
    "has m <= 4G + 2 (the largest order of an automorphism of a curve of genus G), b <= 2G + 2 "
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

std::string fiberJson(const CensusFiber& fiber) {
    const FiberEntry entry{fiber.shape.parts, fiber.simpleCrusts.clamped(), fiber.genus,
                           fiber.line};
    return fiberJsonLine(fiber.shape.m, fiber.shape.r, entry);
}

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    std::ostringstream text;
    text << std::put_time(&parts, "%Y-%m-%dT%H:%M:%SZ");
    return text.str();
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
        : out_(out), format_(format) {
        if (format_ == "csv") writeCensusCsvHeader(out_, analyze);
    }

    void fiber(const CensusFiber& fiber, const AnalysisTable* table) override {
        if (format_ == "csv") {
            const std::string json = table ? analysisTableJson(*table).dump() : std::string();
            writeCensusCsvRow(out_, censusRow(fiber), table ? &json : nullptr);
        } else if (format_ == "jsonl") {
            if (!table) {
                out_ << fiberJson(fiber) << '\n';
                return;
            }
            nlohmann::ordered_json object = nlohmann::ordered_json::parse(fiberJson(fiber));
            object["analysis_table"] = analysisTableJson(*table);
            out_ << object.dump() << '\n';
        } else {
            out_ << fiber.line << '\n';
            if (!table) return;
            for (const AnalysisTally& row : *table) {
                out_ << "  N = " << row.chainCount << ", d = " << row.gcd
                     << ", h = " << row.joiningCurveGenus << ": " << row.count << '\n';
            }
        }
    }

    bool good() const override { return static_cast<bool>(out_); }

  private:
    std::ostream& out_;
    std::string format_;
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

void runCensus(const CensusArguments& args, const CLI::App& command, CommandContext& context) {
    const std::pair<int, int> genera = genusRange(args.genus);
    if (args.threads < 0) throw InputError("--threads cannot be negative");
    if (command.count("--output") > 0 && args.output.empty()) {
        throw InputError("--output needs a file name");
    }
    const std::string format = args.jsonl ? "jsonl" : args.format;
    const std::unique_ptr<CensusWriter> writer = makeWriter(args, format, genera, context);
    const bool toFile = !args.output.empty();
    for (int genus = genera.first; genus <= genera.second; ++genus) {
        Progress progress;
        const ProgressLine shown(progress, context.err, "census of genus " + std::to_string(genus),
                                 context.showsProgress(toFile));
        // A file that stopped taking lines ends the work; finishing reports why.
        const auto take = [&](const CensusFiber& fiber, const AnalysisTable* table) {
            writer->fiber(fiber, table);
            if (!writer->good()) progress.cancel();
        };
        const bool done = args.analyze
                              ? censusAnalysis(
                                    genus,
                                    [&](const CensusFiber& fiber, const AnalysisTable& table) {
                                        take(fiber, &table);
                                    },
                                    &progress, CensusOptions{args.threads})
                              : censusByGenus(
                                    genus, [&](const CensusFiber& fiber) { take(fiber, nullptr); },
                                    &progress, CensusOptions{args.threads});
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
    command->add_option("--threads", args->threads, "threads to use (0: one per core)")
        ->option_text("T");
    command
        ->add_option("--output", args->output,
                     "write to FILE, complete or not at all (needed by --format sqlite)")
        ->option_text("FILE");
    command->callback([args, command, &context] { runCensus(*args, *command, context); });
}

}  // namespace dorvanix::cli
