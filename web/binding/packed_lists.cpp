#include "packed_lists.h"

#include <emscripten.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <sstream>
#include <string_view>
#include <vector>

#include "census/census_filter.h"
#include "census/fiber_enumeration.h"
#include "census/genus_census.h"
#include "census/subdivisor_count.h"
#include "census/subdivisor_line.h"
#include "census/subdivisor_listing.h"
#include "files/list_files.h"
#include "model/arithmetic.h"
#include "model/input_check.h"

namespace dorvanix::web {

using emscripten::val;

namespace {

// A list file goes to the page in pieces of about this many bytes.
constexpr std::size_t kFilePieceBytes = std::size_t{1} << 20;

// A chunk goes to the page after this many records, or this many milliseconds.
constexpr std::size_t kChunkRows = 16384;
constexpr double kChunkMillis = 100;

std::string textOf(const val& fields, const char* key) {
    const val value = fields[key];
    return value.isString() ? value.as<std::string>() : std::string();
}

bool flagOf(const val& fields, const char* key) {
    const val value = fields[key];
    return value.isTrue();
}

bool blank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// The typed number of a field, 0 when it is empty.
int fieldNumber(const val& fields, const char* key, const char* name) {
    const std::string text = textOf(fields, key);
    return blank(text) ? 0 : parseInputNumber(text, name);
}

SubdivisorOptions subdivisorOptionsOf(const val& options) {
    SubdivisorOptions result;
    result.ellFilter = ellFilter(options["ell"].as<int>());
    result.exceptOnlyAB = options["exceptOnlyAB"].isTrue();
    result.onlyABC = options["onlyABC"].isTrue();
    return result;
}

// Collects records and hands them over a chunk at a time.
template <typename Number>
class ChunkSender {
  public:
    ChunkSender(val onChunk, Progress& progress)
        : onChunk_(std::move(onChunk)), progress_(progress) {}

    void add(std::initializer_list<long long> head, std::span<const int> middle,
             std::initializer_list<long long> tail) {
        for (long long v : head) records_.push_back(static_cast<Number>(v));
        for (int v : middle) records_.push_back(static_cast<Number>(v));
        for (long long v : tail) records_.push_back(static_cast<Number>(v));
        ++rows_;
        ++found_;
        // The clock is a call out to JavaScript: it is read every few hundred records only.
        if (rows_ >= kChunkRows ||
            (rows_ % 256 == 0 && emscripten_get_now() - last_ >= kChunkMillis)) {
            send();
        }
    }
    void addBig(const std::string& digits) { bigs_.call<void>("push", val(rows_), val(digits)); }

    void send() {
        onChunk_(val(emscripten::typed_memory_view(records_.size(), records_.data())), bigs_,
                 progress_.fraction(), static_cast<double>(found_));
        records_.clear();
        bigs_ = val::array();
        rows_ = 0;
        last_ = emscripten_get_now();
    }

  private:
    val onChunk_;
    Progress& progress_;
    std::vector<Number> records_;
    val bigs_ = val::array();  // row within the chunk, digits, row, digits, ...
    std::size_t rows_ = 0;
    long long found_ = 0;
    double last_ = emscripten_get_now();
};

void addFiber(ChunkSender<std::int32_t>& sender, int m, int r, std::span<const int> parts,
              int genus, long long clamped, std::string_view digits) {
    const auto bits = static_cast<std::uint64_t>(clamped);
    if (clamped == LLONG_MAX) sender.addBig(std::string(digits));
    sender.add({m, r, static_cast<long long>(parts.size())}, parts,
               {genus, static_cast<std::int32_t>(bits & 0xffffffffu),
                static_cast<std::int32_t>(bits >> 32)});
}

// Walks the records: (m, r, parts, genus, count digits) for each, with the digits in bigCounts
// where the record's count is the 64-bit bound.
template <typename Visit>
void forEachFiber(const val& records, const val& bigCounts, Visit visit) {
    const std::vector<int> numbers = emscripten::convertJSArrayToNumberVector<int>(records);
    std::vector<std::string> bigs;
    const std::vector<val> pairs = emscripten::vecFromJSArray<val>(bigCounts);
    std::size_t nextBig = 0;
    std::size_t row = 0;
    for (std::size_t at = 0; at + 3 <= numbers.size(); ++row) {
        const int m = numbers[at], r = numbers[at + 1], b = numbers[at + 2];
        const std::span<const int> parts(numbers.data() + at + 3, static_cast<std::size_t>(b));
        const std::size_t tail = at + 3 + static_cast<std::size_t>(b);
        const int genus = numbers[tail];
        const auto count = static_cast<long long>(
            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(numbers[tail + 2])) << 32) |
            static_cast<std::uint32_t>(numbers[tail + 1]));
        std::string digits = std::to_string(count);
        if (count == LLONG_MAX && nextBig + 1 < pairs.size() &&
            pairs[nextBig].as<std::size_t>() == row) {
            digits = pairs[nextBig + 1].as<std::string>();
            nextBig += 2;
        }
        visit(fiberLineWithCount(m, r, parts, digits, count, genus));
        at = tail + 3;
    }
}

FiberOptions fiberOptionsOf(const val& input) {
    FiberOptions options;
    options.noDuplicateBranches = input["noDuplicates"].isTrue();
    options.requiredGenus = input["genus"].as<int>();
    options.multiplicityOption = input["multiplicityOption"].isTrue();
    options.atMostTwoSimpleCrusts = input["atMostTwoCrusts"].isTrue();
    const std::vector<int> required = emscripten::vecFromJSArray<int>(input["required"]);
    for (std::size_t i = 0; i < required.size() && i < options.requiredMultiplicities.size(); ++i) {
        options.requiredMultiplicities[i] = required[i];
    }
    return options;
}

}  // namespace

val readFiberInput(val fields) {
    val answer = val::object();
    const char* field = "m";
    try {
        const bool genusOn = flagOf(fields, "genusOption");
        const bool whole = genusOn && blank(textOf(fields, "m"));
        // m, r and b as the tool reads them, each with its message; a whole genus needs none.
        int m = kLeastCoreMultiplicity, r = kLeastSelfIntersection, b = kLeastBranchCount;
        if (!whole) {
            m = atLeast(parseInputNumber(textOf(fields, "m"), "m"), "m", kLeastCoreMultiplicity);
            field = "r";
            r = atLeast(parseInputNumber(textOf(fields, "r"), "r"), "r", kLeastSelfIntersection);
            field = "b";
            b = atLeast(parseInputNumber(textOf(fields, "b"), "b"), "b", kLeastBranchCount);
        }
        field = "genus";
        const int genus = genusOn ? genusRequirement(fieldNumber(fields, "genus", "genus")) : 0;
        std::array<int, 4> required{};
        if (flagOf(fields, "multiplicityOption")) {
            std::vector<int> typed;
            for (const char* key : {"a1", "a2", "a3", "a4"}) {
                field = key;
                typed.push_back(fieldNumber(fields, key, key));
            }
            field = "a1";
            required = requiredMultiplicities(typed);
        }
        answer.set("ok", true);
        answer.set("whole", whole);
        answer.set("m", m);
        answer.set("r", r);
        answer.set("b", b);
        answer.set("genus", genus);
        answer.set("noDuplicates", flagOf(fields, "noDuplicates"));
        answer.set("atMostTwoCrusts", flagOf(fields, "atMostTwoCrusts"));
        answer.set("multiplicityOption", flagOf(fields, "multiplicityOption"));
        val list = val::array();
        for (int value : required) list.call<void>("push", value);
        answer.set("required", list);
    } catch (const InputError& error) {
        answer.set("ok", false);
        answer.set("field", std::string(field));
        answer.set("message", std::string(error.what()));
    }
    return answer;
}

bool listFibers(val input, val onChunk) {
    Progress progress;
    ChunkSender<std::int32_t> sender(onChunk, progress);
    const FiberOptions options = fiberOptionsOf(input);
    bool whole = false;
    if (input["whole"].isTrue()) {
        whole = censusByGenus(
            options.requiredGenus,
            [&](const CensusFiber& fiber) {
                if (!censusFiberPasses(options, fiber)) return;
                addFiber(sender, fiber.shape.m, fiber.shape.r, fiber.shape.parts, fiber.genus,
                         fiber.simpleCrusts.clamped(), tallyText(fiber.simpleCrusts));
            },
            &progress);
    } else {
        const int m = input["m"].as<int>();
        const int r = input["r"].as<int>();
        // A list asked for in part ends after `limit` fibers (0: no limit).
        const val limitValue = input["limit"];
        const double limit = limitValue.isNumber() ? limitValue.as<double>() : 0;
        long long kept = 0;
        whole = enumerateFibers(
            m, r, input["b"].as<int>(), options,
            [&](const FiberEntry& fiber) {
                if (limit > 0 && static_cast<double>(kept) >= limit) {
                    progress.cancel();
                    return;
                }
                ++kept;
                addFiber(sender, m, r, fiber.parts, fiber.genus, fiber.simpleCrusts,
                         fiber.simpleCrustDigits);
            },
            &progress);
    }
    sender.send();
    return whole;
}

double fiberListBound(val input) {
    if (input["whole"].isTrue()) return 0;
    return fiberCountBound(input["m"].as<int>(), input["r"].as<int>(), input["b"].as<int>(),
                           fiberOptionsOf(input));
}

val fiberLines(val records, val bigCounts) {
    val lines = val::array();
    forEachFiber(records, bigCounts,
                 [&](const std::string& line) { lines.call<void>("push", line); });
    return lines;
}

std::string fiberListFilePart(val records, val bigCounts) {
    std::ostringstream out;
    forEachFiber(records, bigCounts,
                 [&](const std::string& line) { writeFiberListLine(out, line); });
    return out.str();
}

std::string fiberListFileEnd(double shown, bool whole) {
    std::ostringstream out;
    if (!whole) writeCutShortMark(out, static_cast<long long>(shown), -1, "fibers");
    return out.str();
}

std::string fiberListFile(val records, val bigCounts, bool whole) {
    long long shown = 0;
    forEachFiber(records, bigCounts, [&](const std::string&) { ++shown; });
    return fiberListFilePart(records, bigCounts) +
           fiberListFileEnd(static_cast<double>(shown), whole);
}

bool listSubdivisorRows(const std::string& x, val options, val onChunk) {
    const FiberData fiber = parseFiberText(x);
    Progress progress;
    ChunkSender<std::uint16_t> sender(onChunk, progress);
    const bool whole = listSubdivisors(
        fiber, subdivisorOptionsOf(options),
        [&](const Subdivisor& y) { sender.add({y.k}, y.ys, {}); }, &progress);
    sender.send();
    return whole;
}

namespace {

template <typename Visit>
void forEachSubdivisor(const FiberData& x, const val& rows, Visit visit) {
    const std::vector<int> numbers = emscripten::convertJSArrayToNumberVector<int>(rows);
    const std::size_t stride = x.chains.size() + 1;
    for (std::size_t at = 0; at + stride <= numbers.size(); at += stride) {
        visit(subdivisorLineOf(
            x, numbers[at],
            std::vector<int>(numbers.begin() + at + 1, numbers.begin() + at + stride)));
    }
}

}  // namespace

val subdivisorLines(const std::string& x, val rows) {
    const FiberData fiber = parseFiberText(x);
    val lines = val::array();
    forEachSubdivisor(fiber, rows,
                      [&](const std::string& line) { lines.call<void>("push", line); });
    return lines;
}

std::string subdivisorCount(const std::string& x, val options) {
    return tallyText(tallySubdivisors(parseFiberText(x), subdivisorOptionsOf(options)));
}

std::string subdivisorListFileHead(const std::string& x, val options) {
    std::ostringstream out;
    SubdivisorListWriter writer(out, fiberNotation(parseFiberText(x)),
                                subdivisorOptionsOf(options));
    return out.str();
}

std::string subdivisorListFilePart(const std::string& x, val rows) {
    const FiberData fiber = parseFiberText(x);
    std::ostringstream out;
    forEachSubdivisor(fiber, rows, [&](const std::string& line) { out << line << kCopiedLineEnd; });
    return out.str();
}

bool writeSubdivisorListFile(const std::string& x, val options, val onPiece) {
    const FiberData fiber = parseFiberText(x);
    std::ostringstream out;
    SubdivisorListWriter writer(out, fiberNotation(fiber), subdivisorOptionsOf(options));
    double lines = 0;
    const auto send = [&] {
        onPiece(out.str(), lines);
        out.str({});
    };
    const bool whole =
        listSubdivisors(fiber, subdivisorOptionsOf(options), [&](const Subdivisor& y) {
            writer.line(y.line);
            ++lines;
            if (out.tellp() >= static_cast<std::streamoff>(kFilePieceBytes)) send();
        });
    writer.finish();
    send();
    return whole;
}

std::string subdivisorListFileEnd(double shown, bool whole, const std::string& total) {
    std::ostringstream out;
    const auto lines = static_cast<long long>(shown);
    if (whole) {
        writeSubdivisorListEnd(out, lines > 0);
    } else {
        writeCutShortMark(out, lines, total.empty() ? -1 : std::stoll(total), "subdivisors");
    }
    return out.str();
}

std::string subdivisorListFile(const std::string& x, val options, val rows, bool whole,
                               const std::string& total) {
    const std::string part = subdivisorListFilePart(x, rows);
    const auto shown = static_cast<double>(std::count(part.begin(), part.end(), '\n'));
    return subdivisorListFileHead(x, options) + part + subdivisorListFileEnd(shown, whole, total);
}

}  // namespace dorvanix::web
