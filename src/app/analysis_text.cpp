#include "app/analysis_text.h"

namespace dorvanix {

std::string analysisText(const AnalysisResult& result) {
    if (result.proportionalBranch) {
        return "Y is proportional to X on a branch: the analysis ends there, without chain "
               "diagram (N, d and h are undefined).";
    }
    const std::string chains = result.chainCount == 1 ? " chain" : " chains";
    const std::string numerator = "d N \u2212 (a + \u03c7(X) \u2212 \u03c7(R)) = " +
                                  std::to_string(result.genusNumerator.value_or(0));
    std::string text = "N = " + std::to_string(result.chainCount) + chains +
                       ", gcd d = " + std::to_string(result.gcd);
    if (result.joiningCurveGenus) {
        text += ", genus of the joining curve h = " + std::to_string(*result.joiningCurveGenus) +
                " (" + numerator + ")";
    } else {
        text += ", " + numerator + ". h: " + result.genusNote + ".";
    }
    return text;
}

}  // namespace dorvanix
