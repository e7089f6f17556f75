#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_app.h"

namespace dorvanix::cli {
namespace {

TEST(CliTool, PrintsTheDefaultExample) {
    std::ostringstream out, err;
    EXPECT_EQ(runCli({"fibers", "3", "2", "3"}, out, err), kDone);
    EXPECT_EQ(out.str(), "((3,2),2,2,2) : 14 (g=1)\n");
}

}  // namespace
}  // namespace dorvanix::cli
