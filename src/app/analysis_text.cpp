#include "app/analysis_text.h"

namespace dorvanix {

std::string analysisText(const AnalysisResult& result) {
    if (result.proportionalBranch) {
        return "Y is proportional to X on a branch: the analysis ends there, without chain "
               "diagram (N and d are undefined).";
    }
    const std::string chains = result.chainCount == 1 ? " chain" : " chains";
    return "N = " + std::to_string(result.chainCount) + chains +
           ", gcd d = " + std::to_string(result.gcd) +
           ", genus of the joining curve h = " + std::to_string(result.joiningCurveGenus);
}

}  // namespace dorvanix
