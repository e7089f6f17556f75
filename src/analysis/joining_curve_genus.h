#pragma once

#include <optional>
#include <string>

#include "model/dual_graph.h"

namespace dorvanix {

// What an analysis can say of the genus h of its joining curve J. The count
//     h = (d N - (a + chi(X) - chi(R))) / 2
// is taken for the genus of J only where it is one: its numerator even and not negative, R a
// fiber (every self-intersection numerical triviality asks of it a whole number), and adjunction
// on R's dual graph, R a fiber of the genus g of X, giving J the same genus. Elsewhere there is
// no genus, and the note says why (docs/joining_curve_genus.md has the reasoning).
struct JoiningCurveGenus {
    std::optional<long long>
        numerator;             // d N - (a + chi(X) - chi(R)); none after a proportional branch
    std::optional<int> genus;  // numerator / 2 where that is the genus of J
    std::string note;          // why there is no genus; empty where there is
};

// The verdict on `numerator` for the analysis divisor R whose dual graph is `graphOfR` (J the
// vertex of kind "joining_curve"), X of genus fiberGenus, J meeting the core coreMeetings times.
JoiningCurveGenus judgeJoiningCurveGenus(long long numerator, const DualGraph& graphOfR,
                                         int fiberGenus, int coreMeetings);

// After a proportional branch the analysis ends before it counts.
JoiningCurveGenus genusAfterProportionalBranch();

// numerator / 2 as a number: "1", "-1/2".
std::string halfText(long long numerator);

}  // namespace dorvanix
