#pragma once

#include <string>
#include <string_view>

#include "analysis/subdivisor_analysis.h"
#include "census/subdivisor_line.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"

namespace dorvanix::testing {

// A fiber X built as the fiber list builds it, on a pool the tests can watch.
class FiberUnderTest {
  public:
    explicit FiberUnderTest(std::string_view text, NodePool& pool)
        : pool_(pool), data_(parseFiberText(text)), root_(pool.take()) {
        parseFiberLine(pool, root_, fiberLineText(data_.m, data_.r, data_.firstMultiplicities()));
        genus_ = fiberGenus(data_.m, data_.firstMultiplicities());
    }
    FiberUnderTest(const FiberUnderTest&) = delete;
    FiberUnderTest& operator=(const FiberUnderTest&) = delete;
    ~FiberUnderTest() { releaseSubtree(pool_, &root_); }

    const FiberData& data() const { return data_; }
    DivisorNode& root() { return root_; }
    int genus() const { return genus_; }

  private:
    NodePool& pool_;
    FiberData data_;
    DivisorNode& root_;
    int genus_ = 0;
};

// A sub-divisor Y built from a line as Select builds it.
class SelectedUnderTest {
  public:
    SelectedUnderTest(const FiberData& x, std::string_view line, NodePool& pool)
        : pool_(pool), root_(pool.take()) {
        buildSelectedDivisor(pool, root_, line, x.branchCount());
    }
    SelectedUnderTest(const SelectedUnderTest&) = delete;
    SelectedUnderTest& operator=(const SelectedUnderTest&) = delete;
    ~SelectedUnderTest() { releaseSubtree(pool_, &root_); }

    DivisorNode& root() { return root_; }

  private:
    NodePool& pool_;
    DivisorNode& root_;
};

// One analysis of a line of a fiber, released when the test is done with it.
class AnalysisUnderTest {
  public:
    AnalysisUnderTest(std::string_view fiber, std::string_view line)
        : x_(fiber, pool_),
          y_(x_.data(), line, pool_),
          result_(analyzeSubdivisor(x_.root(), y_.root(), x_.genus(), pool_)) {}
    ~AnalysisUnderTest() { releaseAnalysis(pool_, result_); }

    const AnalysisResult& result() const { return result_; }
    DivisorNode& x() { return x_.root(); }
    DivisorNode& root() { return *result_.root; }
    DivisorNode& joiningCurve() { return *result_.joiningCurve; }

  private:
    NodePool pool_;
    FiberUnderTest x_;
    SelectedUnderTest y_;
    AnalysisResult result_;
};

}  // namespace dorvanix::testing
