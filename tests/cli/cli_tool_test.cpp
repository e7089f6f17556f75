// dorvanix-cli run as a process: what it prints, the files it writes byte for byte, and its exit
// status, for good and bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "census/subdivisor_listing.h"
#include "dorvanix/version.h"
#include "model/fiber_data.h"
#include "support/process_run.h"

namespace dorvanix {
namespace {

using testing::ProcessResult;
using testing::readBytes;
using testing::runProcess;
using testing::ScratchFolder;
using testing::writeBytes;

const std::string kCli = DORVANIX_CLI_PATH;
const std::filesystem::path kGolden = std::filesystem::path(DORVANIX_TEST_DIR) / "golden";

ProcessResult run(const std::vector<std::string>& args, const ScratchFolder& folder) {
    return runProcess(kCli, args, folder.path());
}

std::string lines(const std::vector<std::string>& items, const std::string& end = "\n") {
    std::string text;
    for (const std::string& item : items) text += item + end;
    return text;
}

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

// The lines of (3;(2,1),(2,1),(2,1)) under the opening options, from the core; the listing test
// checks them against the lines worked out by hand.
const std::vector<std::string> kThreeSubdivisors =
    subdivisorLines(fiberFromParts(3, 2, {2, 2, 2}), SubdivisorOptions{});
const std::string kCAA = "(2;(2),(1),(1)):: ell = 1 :: type = CAA";

struct PrintRow {
    const char* name;
    std::vector<std::string> args;
    std::string expected;
};

void expectPrints(const std::vector<PrintRow>& rows) {
    for (const PrintRow& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const ProcessResult result = run(row.args, folder);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, row.expected);
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(folder.entries().empty()) << "printing writes no file";
    }
}

// One row per option: the lines themselves are checked against the exhaustive walk elsewhere.
TEST(CliLists, PrintTheFiberAndSubdivisorLinesAndPolynomials) {
    const std::string x = "((3,2),2,2,2)";
    std::vector<std::string> ellTwo, withC;
    for (const std::string& line : kThreeSubdivisors) {
        if (line.find("ell = 2") != std::string::npos) ellTwo.push_back(line);
        if (line.find('C', line.find("type")) != std::string::npos) withC.push_back(line);
    }
    const std::string polynomials = readBytes(kGolden / "3222-2211.qpf");
    expectPrints({
        {"3 2 3", {"fibers", "3", "2", "3"}, lines({"((3,2),2,2,2) : 14 (g=1)"})},
        {"no duplicates",
         {"fibers", "6", "2", "3", "--no-duplicates"},
         "((6,2),5,4,3) : 9 (g=1)\n"},
        {"7 2 3 positions 1 and 3",
         {"fibers", "7", "2", "3", "--multiplicities", "0,0,4"},
         lines({"((7,2),6,4,4) : 23 (g=3)", "((7,2),5,5,4) : 19 (g=3)"})},
        {"genus 2", {"fibers", "6", "2", "3", "--genus", "2"}, "((6,2),5,5,2) : 20 (g=2)\n"},
        {"negative genus counts as 1",
         {"fibers", "6", "2", "3", "--genus=-4"},
         "((6,2),5,4,3) : 9 (g=1)\n"},
        {"at most two crusts", {"fibers", "5", "2", "3", "--at-most-two-crusts"}, ""},
        // Three parts of at most 9999 can never sum to 10^8: the list is empty, at once.
        {"m and r beyond any three parts", {"fibers", "10000", "10000", "3"}, ""},
        {"sub-divisors", {"subdivisors", x}, lines(kThreeSubdivisors)},
        {"only ell 2", {"subdivisors", x, "--ell", "2", "--all-types"}, lines(ellTwo)},
        {"except only AB", {"subdivisors", x, "--except-only-ab"}, lines(withC)},
        {"count", {"subdivisors", x, "--count"}, "14\n"},
        {"count with '?' types",
         {"subdivisors", "((5,2),4,3,3)", "--all-types", "--count"},
         "44\n"},
        {"polynomials of a listed line", {"quorbel", "(3;(2,1),(2,1),(2,1))", kCAA}, polynomials},
        {"polynomials of a bare notation", {"quorbel", x, "(2;(2),(1),(1))"}, polynomials},
    });
}

struct FileRow {
    const char* name;
    std::vector<std::string> args;  // without --output / --save
    std::string defaultName;
    std::string bytes;
};

std::vector<FileRow> fileRows() {
    return {
        {"fiber list",
         {"fibers", "7", "2", "3", "--multiplicities", "6"},
         "07-2-3.doc",
         readBytes(kGolden / "07-2-3.doc")},
        {"empty fiber list", {"fibers", "3", "2", "7"}, "03-2-7.doc", ""},
        {"sub-divisor list",
         {"subdivisors", "((3,2),2,2,2)"},
         "X3-2-2-2.doc",
         readBytes(kGolden / "X3-2-2-2.doc")},
        {"polynomial file",
         {"quorbel", "((3,2),2,2,2)", kCAA},
         "3222-2211.qpf",
         readBytes(kGolden / "3222-2211.qpf")},
    };
}

// --output replaces an earlier file; --save writes under the default name and prints it.
TEST(CliFiles, OutputAndSaveWriteTheFileByteForByte) {
    for (const FileRow& row : fileRows()) {
        SCOPED_TRACE(row.name);
        for (const bool save : {false, true}) {
            ScratchFolder folder;
            const std::string name = save ? row.defaultName : "chosen.txt";
            if (!save) writeBytes(folder / name, std::string(10000, 'x'));
            std::vector<std::string> args = row.args;
            if (save)
                args.push_back("--save");
            else
                args.insert(args.end(), {"--output", name});
            const ProcessResult result = run(args, folder);
            EXPECT_EQ(result.exitCode, 0) << result.err;
            EXPECT_EQ(result.out, save ? name + "\n" : "");
            EXPECT_EQ(readBytes(folder / name), row.bytes);
            EXPECT_EQ(folder.entries(), std::set<std::string>{name}) << "no temporary left";
        }
    }
}

// Every failed write: one line naming what could not be written, exit 1, the folder as it was.
TEST(CliFiles, FailedWritesExitWithOneAndLeaveTheEarlierFiles) {
    const std::string x = "((3,2),2,2,2)";
    struct Row {
        const char* name;
        std::vector<std::string> args;
        const char* names;          // what the line on standard error names
        long fileSizeLimit = 0;     // when positive, files may grow this far only
        const char* out = nullptr;  // standard output goes there when given
        int stopAfterMs = 0;        // when positive, Ctrl-C then ends what still runs
    };
    const Row rows[] = {
        {"fiber list over the file size limit",
         {"fibers", "13", "2", "3", "--output", "old.doc"},
         "old.doc",
         200},
        // Thirty branches: the listing would run for ages, so the failure must end it.
        {"listing that would not end, over the limit",
         {"subdivisors", "((3,20),2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2)",
          "--all-types", "--output", "old.doc"},
         "old.doc",
         200},
        {"census database over the file size limit, named with a terminal title sequence",
         {"census", "--genus", "6", "--format", "sqlite", "--output", "x\x1b]0;PWNED\ay"},
         "cannot write \"x\\x1b]0;PWNED\\x07y\": ",
         4096},
        {"missing folder",
         {"fibers", "3", "2", "3", "--output", "no/such/folder/list.doc"},
         "list.doc"},
        {"a file used as folder",
         {"quorbel", x, "(2;(2),(1),(1))", "--output", "plain/list.qpf"},
         "list.qpf"},
        {"default name taken by a folder", {"subdivisors", x, "--save"}, "X3-2-2-2.doc"},
        {"picture into a missing folder", {"picture", x, "--output", "no/p.svg"}, "p.svg"},
        {"full disk under the fiber lines",
         {"fibers", "7", "2", "3"},
         "standard output",
         0,
         "/dev/full"},
        {"full disk under the saved file's name",
         {"fibers", "3", "2", "3", "--save"},
         "standard output",
         0,
         "/dev/full"},
        // 45 branches: the listing would run for ages, so the failure must end it.
        {"full disk under a listing that would not end",
         {"subdivisors", "((9,10)" + repeated(",2", 45) + ")"},
         "standard output: No space left on device",
         0,
         "/dev/full",
         20000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        writeBytes(folder / "old.doc", "an earlier list\r\n");
        writeBytes(folder / "plain", "not a folder");
        std::filesystem::create_directory(folder / "X3-2-2-2.doc");
        const std::set<std::string> before = folder.entries();
        const ProcessResult result =
            runProcess(kCli, row.args, folder.path(), row.fileSizeLimit, row.out, row.stopAfterMs);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(result.err.rfind("dorvanix-cli: cannot write", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(row.names), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        std::set<std::string> after = folder.entries();
        after.erase("03-2-3.doc");  // saved whole before its name could not be printed
        EXPECT_EQ(after, before) << "no temporary left";
        EXPECT_EQ(readBytes(folder / "old.doc"), "an earlier list\r\n");
        EXPECT_EQ(readBytes(folder / "plain"), "not a folder");
    }
}

// Also where the file system has no unnamed temporaries: the named one is removed on the way out.
TEST(CliFiles, InterruptedWriteLeavesTheEarlierFileAndNoTemporary) {
    // The fibers of genus 700 with m = 400 and six branches take far longer than the second and
    // a half after which the tool is stopped (hours), and they are sparse: about 85 kB of lines a
    // second on one core, where the whole list grows by 11 MB a second, so the file stays far
    // below the 16 MiB files may grow to on any machine; the census database of genus 500 has
    // made its tables by then, and its first fibers take minutes.
    const std::vector<std::string> fibers{"fibers",  "400", "2",        "6",
                                          "--genus", "700", "--output", "old.doc"};
    const std::vector<std::string> database{"census", "--genus",  "500..501", "--format",
                                            "sqlite", "--output", "old.doc"};
    const struct {
        const char* name;
        int signal;
        bool noUnnamedTemporaries;
        const std::vector<std::string>& args;
        int exitCode = -1;  // -1: ended by the signal
    } rows[] = {
        {"Ctrl-C", SIGINT, false, fibers, 130},
        {"Ctrl-C, no unnamed temporaries", SIGINT, true, fibers, 130},
        {"SIGTERM, no unnamed temporaries", SIGTERM, true, fibers, 130},
        {"census database, Ctrl-C", SIGINT, false, database, 130},
        {"census database, SIGUSR1", SIGUSR1, false, database},
        {"census database, SIGALRM", SIGALRM, false, database},
        {"census database, SIGPIPE", SIGPIPE, false, database},
        {"census database, SIGXCPU as from ulimit -t", SIGXCPU, false, database},
        {"list, SIGHUP, no unnamed temporaries", SIGHUP, true, fibers},
        // Nothing can be removed on the way out; the next save to the file removes it.
        {"census database, kill -9", SIGKILL, false, database},
        {"list, kill -9, no unnamed temporaries", SIGKILL, true, fibers},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const std::string earlier = "an earlier list\r\n";
        writeBytes(folder / "old.doc", earlier);
        const ProcessResult result = runProcess(kCli, row.args, folder.path(), 1 << 24, nullptr,
                                                1500, row.signal, row.noUnnamedTemporaries);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
        EXPECT_EQ(readBytes(folder / "old.doc"), earlier);
        if (row.signal == SIGKILL) {
            EXPECT_EQ(folder.entries().size(), 2u) << "the temporary of the save killed";
            const std::vector<std::string> next =
                row.args == fibers
                    ? std::vector<std::string>{"fibers", "3", "2", "3", "--output", "old.doc"}
                    : std::vector<std::string>{"census", "--genus",  "2",      "--format",
                                               "sqlite", "--output", "old.doc"};
            EXPECT_EQ(runProcess(kCli, next, folder.path(), 0, nullptr, 0, SIGINT,
                                 row.noUnnamedTemporaries)
                          .exitCode,
                      0);
        }
        EXPECT_EQ(folder.entries(), std::set<std::string>{"old.doc"});
    }
}

// A progress line on a terminal (script gives the tool one) beside a list piped to a reader that
// starts late: the full pipe holds the tool past the second after which the line shows, and the
// list must come through exactly as without a terminal.
TEST(CliProgress, ListBesideTheProgressLineIsWhole) {
    ScratchFolder folder;
    const ProcessResult plain = run({"fibers", "20", "2", "6", "--jsonl"}, folder);
    const std::string piped = "'" + kCli + "' fibers 20 2 6 --jsonl | { sleep 1.5; cat; } > l";
    const ProcessResult shown =
        runProcess("/usr/bin/script", {"-q", "-c", piped, "/dev/null"}, folder.path());
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("dorvanix-cli: fibers"), std::string::npos) << "no progress line";
    const std::string list = readBytes(folder / "l");
    EXPECT_TRUE(list == plain.out) << list.size() << " bytes, not " << plain.out.size();
}

// Standard input that cannot be read as the shell hands it over: a folder, closed, a line longer
// than memory holds. Each stops `analyze X -` (and `lookup -`) with the line it could not read,
// never as its end.
TEST(CliAnalyze, StandardInputThatCannotBeReadStopsWithItsLine) {
    const std::string analyze = "'" + kCli + "' analyze '((3,2),2,2,2)' - --jsonl";
    const struct {
        std::string command, message;
        int records;  // printed before the failure
    } rows[] = {
        {analyze + " < .", "cannot read line 1 of standard input: Is a directory", 0},
        {analyze + " <&-", "cannot read line 1 of standard input: Bad file descriptor", 0},
        {"'" + kCli + "' lookup - < .", "cannot read line 1 of standard input: Is a directory", 0},
        // Each line is looked up on its own: the refused ones are named, the others answered.
        {"printf '((5,2),4,3,3)\\n((6,2),4,4,4)\\n\\n2.5.2.4-4-2\\nq\\n' | '" + kCli + "' lookup -",
         "line 2 of standard input: lookup \"((6,2),4,4,4)\": 1.6.2.4-4-4 is no fiber of the "
         "census: gcd(m, a1, ..., ab) = 2, and the census keeps only gcd 1\ndorvanix-cli: line 5 "
         "of standard input: lookup \"q\": expected a label \"G.m.r.a1-...-ab\", a fiber line "
         "\"((m,r),a1,...)\", divisor notation \"(m;(c,...),...)\" or a dual graph in JSON",
         2},
        // 400 MB within 256 MiB of address space
        {"{ echo '(2;(2),(1),(1))'; head -c 400000000 /dev/zero | tr '\\0' a; echo; } | " + analyze,
         "line 2 of standard input is too long to hold in memory", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        if (row.records > 0 && !testing::kCanLimitMemory) continue;
        ScratchFolder folder;
        const ProcessResult result = runProcess("/bin/sh", {"-c", row.command}, folder.path(), 0,
                                                nullptr, 0, SIGINT, false, 256L << 20);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_EQ(result.err, "dorvanix-cli: " + row.message + "\n");
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), row.records);
    }
}

// "(2;(1),(1),...,(1))" with the given number of branches.
std::string singleCurveBranches(int branches) {
    std::string text = "(2;(1)";
    for (int i = 1; i < branches; ++i) text += ",(1)";
    return text + ")";
}

// What a careless or hostile caller can hand the tool; each row names what it tries, and none
// may take more than 4 GiB.
TEST(CliBadInput, OneLineOnStandardErrorExitTwoNothingWritten) {
    const std::string x = "((3,2),2,2,2)";
    const std::string x5 = "(5;(4,3,2,1),(3,1),(3,1))";
    const std::string wide = "((10000,9999)" + repeated(",9999", 10000) + ")";
    const std::string kLong(100'000, 'q');
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::string message;  // part of the line on standard error
        long memoryLimit = 4L << 30;
    };
    const Row rows[] = {
        {"empty m", {"fibers", "", "2", "3"}, "expected m"},
        {"number with junk", {"fibers", "3", "2x", "3", "--save"}, "r \"2x\": at character 2"},
        {"m below 2", {"fibers", "1", "2", "3", "--save"}, "m must be at least 2, not 1"},
        {"r below 2", {"fibers", "3", "1", "3", "--save"}, "r must be at least 2, not 1"},
        {"b below 3", {"fibers", "3", "2", "2", "--save"}, "b must be at least 3, not 2"},
        {"m with twenty digits", {"fibers", "99999999999999999999", "2", "3"}, "m is too large"},
        {"missing B", {"fibers", "3", "2"}, "B"},
        {"unknown option", {"fibers", "3", "2", "3", "--bogus", "--save"}, "--bogus"},
        {"five multiplicities",
         {"fibers", "7", "2", "3", "--multiplicities", "1,2,3,4,5"},
         "at most 4 values"},
        {"a letter among the multiplicities",
         {"fibers", "7", "2", "3", "--multiplicities", "6,x"},
         "expected a required multiplicity"},
        {"output and save", {"fibers", "3", "2", "3", "--output", "a.doc", "--save"}, "--save"},
        {"jsonl and output", {"subdivisors", x, "--jsonl", "--output", "f.doc"}, "--jsonl"},
        {"jsonl and count", {"subdivisors", x, "--jsonl", "--count"}, "--jsonl"},
        {"count and output", {"subdivisors", x, "--count", "--output", "a.doc"}, "--count"},
        {"no command", {}, "subcommand"},
        {"unknown command", {"picturesque", "3"}, "unknown command \"picturesque\""},
        {"malformed X", {"subdivisors", "((3,2),2,2,2", "--save"}, "expected ')'"},
        {"bytes that are not UTF-8", {"subdivisors", "\xff\xfe\x80"}, "expected a fiber line"},
        {"a hundred kilobytes of brackets",
         {"subdivisors", std::string(100000, '(')},
         "expected m"},
        {"more branches than supported",
         {"subdivisors", singleCurveBranches(10001), "--count"},
         "more than 10000 branches"},
        {"branch sum that is not a multiple of m",
         {"subdivisors", singleCurveBranches(5001), "--count"},
         "not a multiple of m"},
        {"ell 101", {"subdivisors", x, "--ell", "101", "--save"}, "-100 to 100"},
        {"ell with eleven digits", {"subdivisors", x, "--ell", "99999999999"}, "too large"},
        {"count and output", {"subdivisors", x, "--count", "--output", "a.doc"}, "--count"},
        {"Y not of X", {"quorbel", x, "(2;(2),(2))", "--save"}, "Y has 2 branches but X has 3"},
        {"Y not admitted", {"quorbel", x, "(2;(1),(1),(1))", "--save"}, "not admitted"},
        {"ell with fourteen digits",
         {"quorbel", x, "(2;(2),(1),(1)):: ell = 99999999999999 :: type = CAA"},
         "ell is too large"},
        {"analyze: Y missing", {"analyze", "(5;(4,3,2,1),(3,1),(3,1))"}, "Y"},
        {"analyze: X not a fiber", {"analyze", "(3;(2),(2),(2))", "(1;(1),(1),(1))"}, ""},
        {"analyze: chain diagram of 4000 chains of 1000 nodes",
         {"analyze", "((2001,2),2000,1001,1001)", "(2000;(2000),(1001),(1001))"},
         "4000 * 1000"},
        {"picture: Y too large on a branch", {"picture", x, "(2;(2),(9),(1))"}, "branch"},
        {"picture: negative ticks", {"picture", x, "--ticks", "-1"}, "--ticks"},
        {"picture: too many ticks", {"picture", x, "--ticks", "1001"}, "--ticks"},
        {"picture: 10000 branches of 9999 curves", {"picture", wide}, "X of 99,990,001 curves"},
        {"graph: 10000 branches of 9999 curves",
         {"graph", wide},
         "the dual graph of X would have 99990001 curves, more than the 200000 a graph may have"},
        {"picture: chain diagram of 4000 chains of 1000 nodes",
         {"picture", "((2001,2),2000,1001,1001)", "(2000;(2000),(1001),(1001))"},
         "a chain diagram of 4,000,000 curves"},
        {"graph: chain diagram of 1999 chains of 999 nodes",
         {"graph", "((2,1000)" + repeated(",1", 2000) + ")",
          "(1;" + repeated("(1),", 1999) + "(1))"},
         "1999 * 999"},
        {"picture: chain diagram of 19 chains of 9481 nodes, which an analysis builds",
         {"picture", "((1000,20)" + repeated(",999", 20) + ",20)",
          "(999;" + repeated("(999),", 20) + "())", "--ticks", "80"},
         "a chain diagram of 180,139 curves"},
        // X's chains alone hold 400 MB.
        {"exact count of 10000 branches of 9999, in 1 GiB",
         {"subdivisors", wide, "--count"},
         "exactly would take about",
         1L << 30},
        {"picture: ticks in hexadecimal", {"picture", x, "--ticks", "0x10"}, "--ticks \"0x10\""},
        {"census: threads in hexadecimal",
         {"census", "--genus", "2", "--threads", "0x3"},
         "--threads \"0x3\""},
        {"census: more threads than any machine has cores",
         {"census", "--genus", "2", "--threads", "300"},
         "--threads must lie in 0 ... 256"},
        {"an empty file name",
         {"fibers", "3", "2", "3", "--output", ""},
         "a file name cannot be empty"},
        {"a terminal title sequence as an extra argument",
         {"fibers", "3", "2", "3", "a\x1b]0;x\ab"},
         "unexpected argument \"a\\x1b]0;x\\x07b\""},
        {"three extra arguments of 100 kB",
         {"fibers", "3", "2", "3", kLong, kLong, kLong},
         "unexpected arguments \"" + kLong.substr(0, 60) + "...\" \""},
        {"a flag given an escape sequence",
         {"fibers", "3", "2", "3", "--save=\x1b]0;x"},
         "\\x1b]0;x"},
        {"census: a range that ends before it starts",
         {"census", "--genus", "3..2"},
         "ends before it starts"},
        {"census: a database on standard output",
         {"census", "--genus", "2", "--format", "sqlite"},
         "name it with --output FILE"},
        {"census: an empty output name", {"census", "--genus", "2", "--output", ""}, "--output"},
        {"lookup: no form of a fiber", {"lookup", "hello"}, "expected a label"},
        {"lookup: a label not largest first", {"lookup", "2.5.2.4-2-4"}, "largest first"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.memoryLimit < (4L << 30) && !testing::kCanLimitMemory) continue;
        ScratchFolder folder;
        const ProcessResult result = runProcess(kCli, row.args, folder.path(), 0, nullptr, 0,
                                                SIGINT, false, row.memoryLimit);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("dorvanix-cli: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        // Typed text is quoted escaped and shortened: nothing reaches the terminal raw.
        EXPECT_LT(result.err.size(), 400u) << result.err.substr(0, 400);
        EXPECT_EQ(std::count_if(result.err.begin(), result.err.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
                  1)
            << result.err.substr(0, 400);
        EXPECT_TRUE(folder.entries().empty()) << "a file was written";
    }
    ScratchFolder folder;
    const ProcessResult help = run({"--help"}, folder);
    EXPECT_EQ(help.exitCode, 0) << "help is not an error";
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    const ProcessResult version = run({"--version"}, folder);
    EXPECT_EQ(version.out, "dorvanix-cli " DORVANIX_VERSION "\n");
}

}  // namespace
}  // namespace dorvanix
