// dorvanix-cli run as a process: what it prints, the files it writes byte for byte, and its exit
// status, for good and bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "process_run.h"

namespace dorvanix {
namespace {

using testing::ProcessResult;
using testing::ScratchFolder;
using testing::readBytes;
using testing::runProcess;
using testing::writeBytes;

const std::string kCli = DORVANIX_CLI_PATH;
const std::filesystem::path kGolden = std::filesystem::path(__FILE__).parent_path() / "golden";

ProcessResult run(const std::vector<std::string>& args, const ScratchFolder& folder) {
    return runProcess(kCli, args, folder.path());
}

std::string lines(const std::vector<std::string>& items, const std::string& end = "\n") {
    std::string text;
    for (const std::string& item : items) text += item + end;
    return text;
}

const std::vector<std::string> kThreeSubdivisors = {
    "(2;(2),(2),()):: ell = 2 :: type = BB0",   "(2;(2),(1),(1)):: ell = 1 :: type = CAA",
    "(2;(1),(2),(1)):: ell = 1 :: type = ACA",  "(2;(2),(2),(1)):: ell = 1 :: type = CCA",
    "(2;(2),(),(2)):: ell = 2 :: type = B0B",   "(2;(1),(1),(2)):: ell = 1 :: type = AAC",
    "(2;(2),(1),(2)):: ell = 1 :: type = CAC",  "(2;(),(2),(2)):: ell = 2 :: type = 0BB",
    "(2;(1),(2),(2)):: ell = 1 :: type = ACC",  "(2;(2),(2),(2)):: ell = 2 :: type = BBB",
    "(1;(1,1),(1,1),()):: ell = 1 :: type = BB0", "(1;(1,1),(),(1,1)):: ell = 1 :: type = B0B",
    "(1;(),(1,1),(1,1)):: ell = 1 :: type = 0BB", "(1;(1,1),(1,1),(1,1)):: ell = 1 :: type = BBB",
};

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

TEST(CliFibers, PrintsTheFiberLines) {
    expectPrints({
        {"3 2 3", {"fibers", "3", "2", "3"}, lines({"((3,2),2,2,2) : 14 (g=1)"})},
        {"5 2 3", {"fibers", "5", "2", "3"},
         lines({"((5,2),4,4,2) : 22 (g=2)", "((5,2),4,3,3) : 18 (g=2)"})},
        {"6 2 3", {"fibers", "6", "2", "3"},
         lines({"((6,2),5,5,2) : 20 (g=2)", "((6,2),5,4,3) : 9 (g=1)"})},
        {"6 2 3 without duplicates", {"fibers", "6", "2", "3", "--no-duplicates"},
         lines({"((6,2),5,4,3) : 9 (g=1)"})},
        {"7 2 3", {"fibers", "7", "2", "3"},
         lines({"((7,2),6,6,2) : 30 (g=3)", "((7,2),6,5,3) : 21 (g=3)",
                "((7,2),6,4,4) : 23 (g=3)", "((7,2),5,5,4) : 19 (g=3)"})},
        {"7 2 3 first multiplicity 6", {"fibers", "7", "2", "3", "--multiplicities", "6"},
         lines({"((7,2),6,6,2) : 30 (g=3)", "((7,2),6,5,3) : 21 (g=3)",
                "((7,2),6,4,4) : 23 (g=3)"})},
        {"7 2 3 positions 1 and 3", {"fibers", "7", "2", "3", "--multiplicities", "0,0,4"},
         lines({"((7,2),6,4,4) : 23 (g=3)", "((7,2),5,5,4) : 19 (g=3)"})},
        {"2 2 4", {"fibers", "2", "2", "4"}, lines({"((2,2),1,1,1,1) : 11 (g=1)"})},
        {"genus 2", {"fibers", "6", "2", "3", "--genus", "2"}, lines({"((6,2),5,5,2) : 20 (g=2)"})},
        {"genus 0 counts as 1", {"fibers", "6", "2", "3", "--genus", "0"},
         lines({"((6,2),5,4,3) : 9 (g=1)"})},
        {"negative genus counts as 1", {"fibers", "6", "2", "3", "--genus=-4"},
         lines({"((6,2),5,4,3) : 9 (g=1)"})},
        {"at most two crusts", {"fibers", "5", "2", "3", "--at-most-two-crusts"}, ""},
        {"too many branches: empty list", {"fibers", "3", "2", "7"}, ""},
    });
}

TEST(CliSubdivisors, PrintsTheSubdivisorLines) {
    std::vector<std::string> ellTwo, withC;
    for (const std::string& line : kThreeSubdivisors) {
        if (line.find("ell = 2") != std::string::npos) ellTwo.push_back(line);
        if (line.find('C', line.find("type")) != std::string::npos) withC.push_back(line);
    }
    expectPrints({
        {"fiber line", {"subdivisors", "((3,2),2,2,2)"}, lines(kThreeSubdivisors)},
        {"fiber line with annotation", {"subdivisors", "((3,2),2,2,2) : 14 (g=1)"},
         lines(kThreeSubdivisors)},
        {"divisor notation", {"subdivisors", "(3;(2,1),(2,1),(2,1))"}, lines(kThreeSubdivisors)},
        {"only ell 2", {"subdivisors", "((3,2),2,2,2)", "--ell", "2", "--all-types"},
         lines(ellTwo)},
        {"all but ell 1", {"subdivisors", "((3,2),2,2,2)", "--ell", "-1", "--all-types"},
         lines(ellTwo)},
        {"except only AB", {"subdivisors", "((3,2),2,2,2)", "--except-only-ab"}, lines(withC)},
        {"count", {"subdivisors", "((3,2),2,2,2)", "--count"}, "14\n"},
        {"count of the long chains", {"subdivisors", "(5;(4,3,2,1),(3,1),(3,1))", "--count"},
         "18\n"},
        {"count with '?' types", {"subdivisors", "((5,2),4,3,3)", "--all-types", "--count"},
         "44\n"},
        {"count of four single curves", {"subdivisors", "(2;(1),(1),(1),(1))", "--count"},
         "11\n"},
        {"no line", {"subdivisors", "((3,2),2,2,2)", "--ell", "5"}, ""},
    });
}

TEST(CliQuorbel, PrintsTheSixLines) {
    expectPrints({
        {"listed line", {"quorbel", "(3;(2,1),(2,1),(2,1))", "(2;(2),(1),(1)):: ell = 1 :: type = CAA"},
         readBytes(kGolden / "3222-2211.qpf")},
        {"fiber line and bare notation",
         {"quorbel", "((3,2),2,2,2)", "(2;(2),(1),(1))"}, readBytes(kGolden / "3222-2211.qpf")},
        {"ell 2", {"quorbel", "((3,2),2,2,2)", "(2;(2),(2),())"},
         "*polynomial\r\nx*(x*y*(1-y)-3)^2-2^2\r\n*degenerateloci\r\n0\r\n*branchpoly\r\n"
         "(1*y*(1-y)-1)*y*(1-y)\r\n"},
        {"plus sign", {"quorbel", "(2;(1),(1),(1),(1))", "(1;(1),(1),(),())"},
         "*polynomial\r\nx*(2-y)*(x*y*(1-y)-2)-1\r\n*degenerateloci\r\n0\r\n*branchpoly\r\n"
         "(1*y*(1-y)+1*(2-y))*y*(1-y)*(2-y)\r\n"},
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
        {"fiber list", {"fibers", "7", "2", "3", "--multiplicities", "6"}, "07-2-3.doc",
         readBytes(kGolden / "07-2-3.doc")},
        {"empty fiber list", {"fibers", "3", "2", "7"}, "03-2-7.doc", ""},
        {"sub-divisor list", {"subdivisors", "((3,2),2,2,2)"}, "X3-2-2-2.doc",
         readBytes(kGolden / "X3-2-2-2.doc")},
        {"sub-divisor list of nothing, every option line",
         {"subdivisors", "(3;(2,1),(2,1),(2,1))", "--ell", "-2", "--except-only-ab"},
         "X3-2-2-2.doc",
         "******original divisor******\r\n(3;(2,1),(2,1),(2,1))\n\r"
         "******List of subdivisors******\r\n******Subdivisors of except ell=2******\r\n"
         "******Subdivisors which don't have type AB branches******\r\n"
         "******Subdivisors which consists of type ABC branches******\r\n"
         + lines({kThreeSubdivisors[1], kThreeSubdivisors[2], kThreeSubdivisors[3],
                  kThreeSubdivisors[5], kThreeSubdivisors[6], kThreeSubdivisors[8]}, "\n\r") +
             "******End of Subdivisors******\r\n"},
        {"sub-divisor list, NONE", {"subdivisors", "((3,2),2,2,2)", "--ell", "3"},
         "X3-2-2-2.doc",
         "******original divisor******\r\n(3;(2,1),(2,1),(2,1))\n\r"
         "******List of subdivisors******\r\n******Subdivisors of ell= 3******\r\n"
         "******Subdivisors which consists of type ABC branches******\r\nNONE\r\n"
         "******End of Subdivisors******\r\n"},
        {"polynomial file", {"quorbel", "((3,2),2,2,2)", "(2;(2),(1),(1)):: ell = 1 :: type = CAA"},
         "3222-2211.qpf", readBytes(kGolden / "3222-2211.qpf")},
    };
}

TEST(CliFiles, OutputWritesTheFileByteForByte) {
    for (const FileRow& row : fileRows()) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"--output", "chosen.txt"});
        const ProcessResult result = run(args, folder);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(readBytes(folder / "chosen.txt"), row.bytes);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"chosen.txt"}) << "no temporary left";
    }
}

TEST(CliFiles, SaveUsesTheDefaultNameAndPrintsIt) {
    for (const FileRow& row : fileRows()) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        std::vector<std::string> args = row.args;
        args.push_back("--save");
        const ProcessResult result = run(args, folder);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, row.defaultName + "\n");
        EXPECT_EQ(readBytes(folder / row.defaultName), row.bytes);
        EXPECT_EQ(folder.entries(), std::set<std::string>{row.defaultName});
    }
}

TEST(CliFiles, OutputReplacesAnEarlierFile) {
    ScratchFolder folder;
    writeBytes(folder / "list.doc", std::string(10000, 'x'));
    const ProcessResult result = run({"fibers", "7", "2", "3", "--multiplicities", "6",
                                      "--output", "list.doc"}, folder);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readBytes(folder / "list.doc"), readBytes(kGolden / "07-2-3.doc"));
}

TEST(CliFiles, FailedWriteLeavesTheEarlierFileAndNoTemporary) {
    const std::string earlier = "an earlier list\r\n";
    struct Row {
        const char* name;
        std::vector<std::string> args;
    };
    const Row rows[] = {
        {"sub-divisor list", {"subdivisors", "((5,2),4,3,3)", "--all-types", "--output", "old.doc"}},
        {"fiber list", {"fibers", "13", "2", "3", "--output", "old.doc"}},
        // Thirty branches: the listing would run for ages, so the failure must end it.
        {"listing that would not end",
         {"subdivisors", "((3,20),2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2)", "--all-types", "--output", "old.doc"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        writeBytes(folder / "old.doc", earlier);
        // Files may grow to 200 bytes only: the list is longer, so writing it fails.
        const ProcessResult result = runProcess(kCli, row.args, folder.path(), 200);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_NE(result.err.find("old.doc"), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(readBytes(folder / "old.doc"), earlier);
        EXPECT_EQ(folder.entries(), std::set<std::string>{"old.doc"});
    }
}

TEST(CliFiles, UnwritablePlaceExitsWithOne) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
    };
    const Row rows[] = {
        {"missing folder", {"fibers", "3", "2", "3", "--output", "no/such/folder/list.doc"}},
        {"a file used as folder", {"quorbel", "((3,2),2,2,2)", "(2;(2),(1),(1))", "--output",
                                   "plain/list.qpf"}},
        {"default name taken by a folder", {"subdivisors", "((3,2),2,2,2)", "--save"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        writeBytes(folder / "plain", "not a folder");
        std::filesystem::create_directory(folder / "X3-2-2-2.doc");
        const std::set<std::string> before = folder.entries();
        const ProcessResult result = run(row.args, folder);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("dorvanix-cli: cannot write", 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(folder.entries(), before);
        EXPECT_EQ(readBytes(folder / "plain"), "not a folder");
    }
}

TEST(CliFiles, InterruptedWriteLeavesTheEarlierFileAndNoTemporary) {
    ScratchFolder folder;
    const std::string earlier = "an earlier list\r\n";
    writeBytes(folder / "old.doc", earlier);
    // The fibers with m = 60 and six branches take far longer than the second and a half after
    // which the tool is stopped, and their list stays well below the megabyte files may grow to.
    const ProcessResult result =
        runProcess(kCli, {"fibers", "60", "2", "6", "--output", "old.doc"}, folder.path(),
                   1 << 20, nullptr, 1500);
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_EQ(readBytes(folder / "old.doc"), earlier);
    EXPECT_EQ(folder.entries(), std::set<std::string>{"old.doc"});
}

TEST(CliFiles, FullStandardOutputIsAnError) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
    };
    const Row rows[] = {
        {"fiber lines", {"fibers", "7", "2", "3"}},
        {"sub-divisor lines", {"subdivisors", "((5,2),4,3,3)", "--all-types"}},
        {"polynomial file", {"quorbel", "((3,2),2,2,2)", "(2;(2),(1),(1))"}},
        {"saved file name", {"fibers", "3", "2", "3", "--save"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const ProcessResult result = runProcess(kCli, row.args, folder.path(), 0, "/dev/full");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, "dorvanix-cli: cannot write to standard output\n");
    }
}

TEST(CliBadInput, OneLineOnStandardErrorExitTwoNothingWritten) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        const char* message;  // part of the line on standard error
    };
    const Row rows[] = {
        {"m not a number", {"fibers", "x", "2", "3", "--save"}, "m"},
        {"m below 2", {"fibers", "1", "2", "3", "--save"}, "m must be at least 2, not 1"},
        {"r below 2", {"fibers", "3", "1", "3", "--save"}, "r must be at least 2, not 1"},
        {"b below 3", {"fibers", "3", "2", "2", "--save"}, "b must be at least 3, not 2"},
        {"number with junk", {"fibers", "3", "2x", "3", "--save"},
         "r \"2x\": at character 2: unexpected text after the end"},
        {"huge number", {"fibers", "99999999999", "2", "3", "--save"}, "too large"},
        {"missing B", {"fibers", "3", "2"}, "B"},
        {"unknown option", {"fibers", "3", "2", "3", "--bogus", "--save"}, "--bogus"},
        {"five multiplicities", {"fibers", "7", "2", "3", "--multiplicities", "1,2,3,4,5", "--save"},
         "at most 4 values"},
        {"multiplicity not a number", {"fibers", "7", "2", "3", "--multiplicities", "6,x", "--save"},
         "required multiplicity"},
        {"genus not a number", {"fibers", "7", "2", "3", "--genus", "two", "--save"}, "genus"},
        {"genus empty", {"fibers", "7", "2", "3", "--genus", "", "--save"},
         "the genus \"\": at character 1"},
        {"multiplicities empty", {"fibers", "7", "2", "3", "--multiplicities", "", "--save"},
         "a required multiplicity \"\": at character 1"},
        {"output and save", {"fibers", "3", "2", "3", "--output", "a.doc", "--save"}, "--save"},
        {"no command", {}, "subcommand"},
        {"unknown command", {"picturesque", "3"}, "unknown command \"picturesque\""},
        {"malformed X", {"subdivisors", "((3,2),2,2,2", "--save"}, "expected ')'"},
        {"X branch sum", {"subdivisors", "((3,2),2,2,1)", "--save"}, "sum to 5, not m*r = 6"},
        {"X branch outside 1 ... m-1", {"subdivisors", "((3,2),3,2,1)", "--save"},
         "outside 1 ... m-1 = 2"},
        {"X chain broken", {"subdivisors", "(3;(2,1),(2,1),(2))", "--save"},
         "does not follow the continued-fraction rule"},
        {"X with two branches", {"subdivisors", "((3,2),3,3)", "--save"}, "outside"},
        {"X junk after", {"subdivisors", "((3,2),2,2,2)junk", "--save"}, "unexpected text"},
        {"ell 0", {"subdivisors", "((3,2),2,2,2)", "--ell", "0", "--save"}, "-100 to 100"},
        {"ell 101", {"subdivisors", "((3,2),2,2,2)", "--ell", "101", "--save"}, "-100 to 100"},
        {"ell -101", {"subdivisors", "((3,2),2,2,2)", "--ell", "-101", "--save"}, "-100 to 100"},
        {"count and output", {"subdivisors", "((3,2),2,2,2)", "--count", "--output", "a.doc"},
         "--count"},
        {"Y not of X", {"quorbel", "((3,2),2,2,2)", "(2;(2),(2))", "--save"},
         "Y has 2 branches but X has 3"},
        {"Y not admitted", {"quorbel", "((3,2),2,2,2)", "(2;(1),(1),(1))", "--save"},
         "not admitted"},
        {"Y wrong ell", {"quorbel", "((3,2),2,2,2)", "(2;(2),(1),(1)):: ell = 2 :: type = CAA",
                         "--save"}, "ell = 2 but gcd"},
        {"Y malformed", {"quorbel", "((3,2),2,2,2)", "2;(2),(1),(1)", "--save"}, "expected '('"},
        {"X malformed for quorbel", {"quorbel", "(3,2),2,2,2", "(2;(2),(1),(1))", "--save"},
         "at character 3: expected ';'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const ProcessResult result = run(row.args, folder);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("dorvanix-cli: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(folder.entries().empty()) << "a file was written";
    }
}

TEST(CliHelp, PrintsUsage) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        std::vector<const char*> mentions;
    };
    const Row rows[] = {
        {"tool", {"--help"}, {"fibers", "subdivisors", "quorbel", "Exit status"}},
        {"fibers", {"fibers", "--help"},
         {"--no-duplicates", "--genus", "--at-most-two-crusts", "--multiplicities", "--output",
          "--save"}},
        {"subdivisors", {"subdivisors", "--help"},
         {"--ell", "--except-only-ab", "--all-types", "--count", "--output", "--save"}},
        {"quorbel", {"quorbel", "--help"}, {"X", "Y", "--output", "--save"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        const ProcessResult result = run(row.args, folder);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "");
        for (const char* mention : row.mentions) {
            EXPECT_NE(result.out.find(mention), std::string::npos) << mention;
        }
    }
}

}  // namespace
}  // namespace dorvanix
