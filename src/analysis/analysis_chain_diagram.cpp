#include <cmath>

#include "analysis/analysis_builder.h"
#include "analysis/analysis_serials.h"
#include "model/pi.h"

// The chain diagram: N spokes from the origin, each a chain of g nodes 40 apart with
// multiplicities 1 ... g, the first d of them flagged (selfIntersection 1).

namespace dorvanix {

void AnalysisBuilder::buildChainDiagram(int chainCount, int flagged, int genusX) {
    DivisorNode& holder = take();
    result_.chains = &holder;
    const int count = chainCount > 0 ? chainCount : 0;
    holder.degree = count;
    holder.allocateArms(count);
    holder.serial = kChainHolderSerial;
    for (int i = 0; i < count; ++i) {
        const double phi = i * kTurnRounded4 / count;
        DivisorNode* previous = nullptr;
        for (int k = 0; k < genusX; ++k) {
            DivisorNode& node = take();
            const bool last = k == genusX - 1;
            const int degree = k == 0 || last ? 1 : 2;
            const Arm outward{40.0, 40.0, phi};
            const Arm inward{40.0, 40.0, phi + kPiCut10};
            initNode(node, degree, previous, std::cos(phi) * k * 40.0, std::sin(phi) * k * 40.0,
                     k + 1, k + 1, k == 0 ? outward : inward, outward);
            node.selfIntersection = k < flagged ? 1 : 0;
            if (k == 0) {
                holder.neighbors[static_cast<std::size_t>(i)] = &node;
            } else {
                setNeighbor(*previous, k == 1 ? 0 : 1, &node);
            }
            previous = &node;
        }
    }
}

}  // namespace dorvanix
