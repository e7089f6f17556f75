#include "subdivisor/list_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace dorvanix {
namespace {

const std::string kHeader = "******original divisor******\r\n";
const std::string kListHeader = "******List of subdivisors******\r\n";
const std::string kOnlyABC = "******Subdivisors which consists of type ABC branches******\r\n";
const std::string kExceptAB = "******Subdivisors which don't have type AB branches******\r\n";
const std::string kEnd = "******End of Subdivisors******\r\n";

std::string listFile(const std::string& x, const SubdivisorOptions& options,
                     const std::vector<std::string>& lines) {
    std::ostringstream out;
    SubdivisorListWriter writer(out, x, options);
    for (const std::string& line : lines) writer.line(line);
    writer.finish();
    return out.str();
}

TEST(SubdivisorListFile, FramesTheLinesWithHeaderAndOptionLines) {
    const std::string x = "(3;(2,1),(2,1),(2,1))";
    const std::vector<std::string> two = {"(2;(2),(2),()):: ell = 2 :: type = BB0",
                                          "(2;(2),(1),(1)):: ell = 1 :: type = CAA"};
    const std::string body = two[0] + "\n\r" + two[1] + "\n\r";
    struct Row {
        const char* name;
        SubdivisorOptions options;
        std::vector<std::string> lines;
        std::string expected;
    };
    const Row rows[] = {
        {"opening options", {0, false, true}, two,
         kHeader + x + "\n\r" + kListHeader + kOnlyABC + body + kEnd},
        {"no option set", {0, false, false}, two, kHeader + x + "\n\r" + kListHeader + body + kEnd},
        {"only ell = 3: blank after =", {3, false, false}, two,
         kHeader + x + "\n\r" + kListHeader + "******Subdivisors of ell= 3******\r\n" + body + kEnd},
        {"all but ell = 3: no blank", {-3, false, false}, two,
         kHeader + x + "\n\r" + kListHeader + "******Subdivisors of except ell=3******\r\n" + body +
             kEnd},
        {"every option, in order", {-100, true, true}, two,
         kHeader + x + "\n\r" + kListHeader + "******Subdivisors of except ell=100******\r\n" +
             kExceptAB + kOnlyABC + body + kEnd},
        {"empty list says NONE", {0, false, true}, {},
         kHeader + x + "\n\r" + kListHeader + kOnlyABC + "NONE\r\n" + kEnd},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(listFile(x, row.options, row.lines), row.expected);
    }
}

TEST(SubdivisorListFile, LongLinesAreWrittenWhole) {
    const std::string x = "(" + std::string(3000, '7') + ";(1),(1),(1))";
    const std::string line(5000, 'A');
    const std::string file = listFile(x, {0, false, false}, {line});
    EXPECT_NE(file.find(x + "\n\r"), std::string::npos);
    EXPECT_NE(file.find("\r\n" + line + "\n\r"), std::string::npos);
}

TEST(FiberListFile, EachEntryEndsInLineFeedCarriageReturn) {
    std::ostringstream out;
    writeFiberListLine(out, "((5,2),4,4,2) : 22 (g=2)");
    writeFiberListLine(out, "((5,2),4,3,3) : 18 (g=2)");
    EXPECT_EQ(out.str(), "((5,2),4,4,2) : 22 (g=2)\n\r((5,2),4,3,3) : 18 (g=2)\n\r");
}

TEST(ListFileNames, FollowTheDefaultPatterns) {
    struct Row {
        const char* name;
        std::string actual;
        const char* expected;
    };
    const Row rows[] = {
        {"fiber list, m padded", fiberListFileName(3, 2, 3), "03-2-3.doc"},
        {"fiber list, two digits", fiberListFileName(12, 3, 10), "12-3-10.doc"},
        {"fiber list, three digits", fiberListFileName(100, 2, 3), "100-2-3.doc"},
        {"fiber list, r and b not padded", fiberListFileName(7, 2, 4), "07-2-4.doc"},
        {"sub-divisor list", subdivisorListFileName("(3;(2,1),(2,1),(2,1))"), "X3-2-2-2.doc"},
        {"sub-divisor list, long chains", subdivisorListFileName("(5;(4,3,2,1),(3,1),(3,1))"),
         "X5-4-3-3.doc"},
        {"sub-divisor list, multi-digit", subdivisorListFileName("(12;(11,10),(9,6,3),(6))"),
         "X12-11-9-6.doc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.actual, row.expected);
    }
}

}  // namespace
}  // namespace dorvanix
