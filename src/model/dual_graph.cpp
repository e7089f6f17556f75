#include "model/dual_graph.h"

#include <stdexcept>
#include <string>

#include "model/input_check.h"

namespace dorvanix {

std::vector<int> branchSelfIntersections(int m, int a) {
    std::vector<int> result;
    long long p = m;
    long long q = a;
    while (q > 0) {
        const long long r = (p + q - 1) / q;  // the ceiling of p / q
        result.push_back(static_cast<int>(-r));
        const long long next = r * q - p;
        p = q;
        q = next;
    }
    return result;
}

DualGraph fiberDualGraph(const FiberData& x) {
    DualGraph graph;
    graph.vertices.push_back({0, x.m, -x.r, 0, "core", {}});
    for (const std::vector<int>& chain : x.chains) {
        if (chain.empty()) continue;
        const std::vector<int> selfs = branchSelfIntersections(x.m, chain.front());
        int previous = 0;
        for (std::size_t i = 0; i < chain.size(); ++i) {
            const int id = static_cast<int>(graph.vertices.size());
            const int self = i < selfs.size() ? selfs[i] : 0;
            graph.vertices.push_back({id, chain[i], self, 0, "branch", {}});
            graph.edges.emplace_back(previous, id);
            previous = id;
        }
    }
    return graph;
}

std::vector<std::vector<int>> intersectionMatrix(const DualGraph& graph) {
    const std::size_t n = graph.vertices.size();
    if (n > kMaxMatrixCurves) {
        throw InputError("the intersection matrix of " + std::to_string(n) + " curves would have " +
                         std::to_string(n * n) + " entries, more than the " +
                         std::to_string(kMaxMatrixCurves * kMaxMatrixCurves) + " it may hold");
    }
    std::vector<std::vector<int>> matrix(n, std::vector<int>(n, 0));
    for (std::size_t i = 0; i < n; ++i) {
        if (!graph.vertices[i].selfIntersection) {
            throw std::invalid_argument("the self-intersection of a curve is not known");
        }
        matrix[i][i] = *graph.vertices[i].selfIntersection;
    }
    for (const auto& [i, j] : graph.edges) {
        ++matrix[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
        ++matrix[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)];
    }
    return matrix;
}

}  // namespace dorvanix
