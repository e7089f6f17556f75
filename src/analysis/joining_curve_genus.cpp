#include "analysis/joining_curve_genus.h"

#include <algorithm>
#include <climits>

#include "analysis/fiber_adjunction.h"

namespace dorvanix {

namespace {

// The first curve of R whose self-intersection would not be a whole number, as "the curve of
// multiplicity 2 would need self-intersection -3/2"; empty when every one is whole.
std::string notAFiber(const DualGraph& graph) {
    const std::vector<Fraction> selfs = trivialSelfIntersections(graph);
    for (std::size_t i = 0; i < selfs.size(); ++i) {
        if (selfs[i].whole()) continue;
        const DualVertex& curve = graph.vertices[i];
        const std::string which = curve.kind == "joining_curve" ? "J"
                                  : curve.kind == "core"        ? "the core"
                                                                : "a curve of multiplicity " +
                                                               std::to_string(curve.multiplicity);
        return "R is no fiber: " + which + " would need self-intersection " +
               fractionText(selfs[i]);
    }
    return {};
}

std::string adjunctionText(const Fraction& genus, int fiberGenus) {
    return "adjunction on R's dual graph, R a fiber of genus " + std::to_string(fiberGenus) +
           ", gives J genus " + fractionText(genus);
}

}  // namespace

std::string halfText(long long numerator) {
    return numerator % 2 == 0 ? std::to_string(numerator / 2) : std::to_string(numerator) + "/2";
}

JoiningCurveGenus genusAfterProportionalBranch() {
    return {std::nullopt, std::nullopt,
            "a branch of Y is proportional to X's, which ends the analysis before N, d and h"};
}

JoiningCurveGenus judgeJoiningCurveGenus(long long numerator, const DualGraph& graphOfR,
                                         int fiberGenus, int coreMeetings) {
    JoiningCurveGenus verdict{numerator, std::nullopt, {}};
    const bool noGenus = numerator < 0 || numerator % 2 != 0;
    verdict.note = "the formula gives " + halfText(numerator) +
                   (noGenus ? ", which is no genus" : ", which is not the genus of J");
    const auto j = std::find_if(graphOfR.vertices.begin(), graphOfR.vertices.end(),
                                [](const DualVertex& v) { return v.kind == "joining_curve"; });
    if (j == graphOfR.vertices.end()) {
        verdict.note += ": J does not meet the part of R that hangs together with the core";
        return verdict;
    }
    if (const std::string fault = notAFiber(graphOfR); !fault.empty()) {
        verdict.note += ": " + fault;
        return verdict;
    }
    const Fraction genus = adjunctionGenus(
        graphOfR, static_cast<std::size_t>(j - graphOfR.vertices.begin()), fiberGenus);
    if (!noGenus && genus == Fraction{numerator / 2, 1}) {
        verdict.genus = static_cast<int>(std::clamp<long long>(numerator / 2, 0, INT_MAX));
        verdict.note.clear();
        return verdict;
    }
    if (coreMeetings >= 2) {
        verdict.note += ", because J meets the core " + std::to_string(coreMeetings) +
                        " times, closing " + std::to_string(coreMeetings - 1) +
                        (coreMeetings == 2 ? " cycle" : " cycles") +
                        " through the core that the count does not see; ";
    } else {
        verdict.note += ": ";
    }
    verdict.note += adjunctionText(genus, fiberGenus);
    return verdict;
}

}  // namespace dorvanix
