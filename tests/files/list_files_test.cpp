#include "files/list_files.h"

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

// The header, X, the option lines in their order, the lines (or NONE), the end line.
TEST(SubdivisorListFile, FramesTheLinesWithHeaderAndOptionLines) {
    const std::string x = "(3;(2,1),(2,1),(2,1))";
    const std::vector<std::string> two = {"(2;(2),(2),()):: ell = 2 :: type = BB0",
                                          "(2;(2),(1),(1)):: ell = 1 :: type = CAA"};
    const std::string body = two[0] + "\n\r" + two[1] + "\n\r";
    const struct {
        const char* name;
        SubdivisorOptions options;
        std::string optionLines;
    } rows[] = {
        {"no option set", {0, false, false}, ""},
        {"only ell = 3: blank after =", {3, false, false}, "******Subdivisors of ell= 3******\r\n"},
        {"every option, in order",
         {-100, true, true},
         "******Subdivisors of except ell=100******\r\n" + kExceptAB + kOnlyABC},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string head = kHeader + x + "\n\r" + kListHeader + row.optionLines;
        EXPECT_EQ(listFile(x, row.options, two), head + body + kEnd);
        EXPECT_EQ(listFile(x, row.options, {}), head + "NONE\r\n" + kEnd) << "an empty list";
    }
}

// Fiber list entries end in line feed, carriage return, as the sub-divisor lines do; nothing is
// cut, however long.
TEST(ListFiles, EntriesAreWrittenWholeWithTheirLineEnds) {
    std::ostringstream out;
    writeFiberListLine(out, "((5,2),4,4,2) : 22 (g=2)");
    writeFiberListLine(out, "((5,2),4,3,3) : 18 (g=2)");
    EXPECT_EQ(out.str(), "((5,2),4,4,2) : 22 (g=2)\n\r((5,2),4,3,3) : 18 (g=2)\n\r");

    const std::string x = "(" + std::string(3000, '7') + ";(1),(1),(1))";
    const std::string line(5000, 'A');
    const std::string file = listFile(x, {0, false, false}, {line});
    EXPECT_NE(file.find(x + "\n\r"), std::string::npos);
    EXPECT_NE(file.find("\r\n" + line + "\n\r"), std::string::npos);
}

}  // namespace
}  // namespace dorvanix
