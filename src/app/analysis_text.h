#pragma once

#include <string>

#include "analysis/subdivisor_analysis.h"

namespace dorvanix {

// The figures of an analysis in words, as the sub-divisor dialog shows them: the chain count N,
// the gcd d and the genus h of the joining curve (or why the count gives no genus) with the
// count's numerator, or that a proportional branch ended it.
std::string analysisText(const AnalysisResult& result);

}  // namespace dorvanix
