#pragma once

#include <string_view>

#include "analysis/subdivisor_choice.h"
#include "model/input_check.h"

namespace dorvanix::testing {

// A line of a fiber chosen as Select chooses it, released when the test is done with it.
class AnalysisUnderTest {
  public:
    AnalysisUnderTest(std::string_view fiber, std::string_view line)
        : choice_(parseFiberText(fiber)) {
        choice_.choose(line);
    }

    const AnalysisResult& result() const { return choice_.analysis(); }
    DivisorNode& x() { return choice_.fiber(); }
    DivisorNode& root() { return *result().root; }
    DivisorNode& joiningCurve() { return *result().joiningCurve; }

  private:
    SubdivisorChoice choice_;
};

}  // namespace dorvanix::testing
