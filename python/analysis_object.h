#pragma once

#include <memory>

#include "analysis/analysis_summary.h"
#include "fiber_object.h"

namespace dorvanix::python {

// The analysis of a sub-divisor Y of a fiber X, as plain figures: the trees it was built on are
// given back before Python sees it.
struct AnalysisObject {
    std::shared_ptr<const FiberData> fiber;
    SubdivisorLine subdivisor;
    AnalysisFigures figures;
};

// Builds X and Y as Select does, analyses Y on a pool of its own and reads off the figures.
// Throws Cancelled when `progress` is cancelled.
AnalysisFigures analyzeLine(const FiberData& x, const SubdivisorLine& y, const Progress& progress);

}  // namespace dorvanix::python
