#include "model/dual_graph.h"

#include <algorithm>
#include <functional>
#include <map>
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

long long dualGraphCurves(const FiberData& x) {
    long long curves = 1;
    for (const std::vector<int>& chain : x.chains) curves += static_cast<long long>(chain.size());
    return curves;
}

void checkDualGraphSize(const FiberData& x) {
    if (const long long curves = dualGraphCurves(x); curves > kMaxGraphCurves) {
        throw InputError("the dual graph of X would have " + std::to_string(curves) +
                         " curves, more than the " + std::to_string(kMaxGraphCurves) +
                         " a graph may have");
    }
}

DualGraph fiberDualGraph(const FiberData& x) {
    checkDualGraphSize(x);
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

namespace {

[[noreturn]] void notAFiber(const std::string& why) {
    throw InputError("dual graph: " + why);
}

std::string curveName(const DualVertex& v) {
    return "curve " + std::to_string(v.id);
}

// The graph's vertices by index, with each index's neighbours, once the ids, the curves and the
// edges have been checked.
std::vector<std::vector<std::size_t>> checkedNeighbours(const DualGraph& graph) {
    const std::size_t n = graph.vertices.size();
    std::map<int, std::size_t> indexOf;
    for (std::size_t i = 0; i < n; ++i) {
        const DualVertex& v = graph.vertices[i];
        if (!indexOf.emplace(v.id, i).second)
            notAFiber("two curves have the id " + std::to_string(v.id));
        if (v.multiplicity < 1) {
            notAFiber(curveName(v) + " has multiplicity " + std::to_string(v.multiplicity) +
                      "; every curve of a fiber has a positive multiplicity");
        }
        if (v.multiplicity > kMaxInputNumber) {
            notAFiber(curveName(v) + " has multiplicity " + std::to_string(v.multiplicity) +
                      ", more than " + std::to_string(kMaxInputNumber));
        }
        if (!v.genus) {
            notAFiber(curveName(v) +
                      " has no known genus; every curve of a star-shaped fiber is rational");
        }
        if (*v.genus != 0) {
            notAFiber(curveName(v) + " has genus " + std::to_string(*v.genus) +
                      "; every curve of a star-shaped fiber is rational");
        }
    }
    std::vector<std::vector<std::size_t>> neighbours(n);
    for (const auto& [a, b] : graph.edges) {
        const auto from = indexOf.find(a);
        const auto to = indexOf.find(b);
        if (from == indexOf.end() || to == indexOf.end()) {
            notAFiber("the edge [" + std::to_string(a) + ", " + std::to_string(b) +
                      "] names no curve " + std::to_string(from == indexOf.end() ? a : b));
        }
        if (a == b) notAFiber("curve " + std::to_string(a) + " meets itself");
        neighbours[from->second].push_back(to->second);
        neighbours[to->second].push_back(from->second);
    }
    if (n == 0) notAFiber("it has no curves");
    if (graph.edges.size() + 1 != n) {
        notAFiber("the curves do not form a tree: " + std::to_string(n) + " curves meet in " +
                  std::to_string(graph.edges.size()) + " points, not " + std::to_string(n - 1));
    }
    // With n - 1 edges, a tree exactly when it hangs together.
    std::vector<char> reached(n, 0);
    std::vector<std::size_t> stack{0};
    reached[0] = 1;
    std::size_t count = 1;
    while (!stack.empty()) {
        const std::size_t v = stack.back();
        stack.pop_back();
        for (std::size_t w : neighbours[v]) {
            if (reached[w]) continue;
            reached[w] = 1;
            ++count;
            stack.push_back(w);
        }
    }
    if (count != n) notAFiber("the curves do not form a tree: they fall apart");
    return neighbours;
}

}  // namespace

FiberData fiberOfDualGraph(const DualGraph& graph) {
    const std::vector<std::vector<std::size_t>> neighbours = checkedNeighbours(graph);
    const std::vector<DualVertex>& curves = graph.vertices;
    std::vector<std::size_t> cores;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        if (neighbours[i].size() >= 3) cores.push_back(i);
    }
    if (cores.empty()) notAFiber("not star-shaped: no curve meets three or more others");
    if (cores.size() == 1 && neighbours[cores.front()].size() > kMaxInputNumber) {
        notAFiber("more than " + std::to_string(kMaxInputNumber) + " branches");
    }
    if (cores.size() > 1) {
        notAFiber("not star-shaped: " + curveName(curves[cores[0]]) + " and " +
                  curveName(curves[cores[1]]) + " both meet three or more others");
    }
    const std::size_t core = cores.front();
    const int m = curves[core].multiplicity;
    if (m < 2)
        notAFiber("the core, " + curveName(curves[core]) +
                  ", has multiplicity 1; m must be at least 2");
    // Each branch from the core outward; every curve but the core meets at most two others.
    std::vector<std::vector<std::size_t>> branches;
    for (std::size_t first : neighbours[core]) {
        std::vector<std::size_t> branch{first};
        std::size_t before = core;
        while (true) {
            const std::size_t at = branch.back();
            std::size_t next = at;
            for (std::size_t w : neighbours[at]) {
                if (w != before) next = w;
            }
            if (next == at) break;
            before = at;
            branch.push_back(next);
        }
        branches.push_back(std::move(branch));
    }
    long long sum = 0;
    std::vector<int> parts;
    for (const std::vector<std::size_t>& branch : branches) {
        const DualVertex& start = curves[branch.front()];
        const int a = start.multiplicity;
        if (a > m - 1) {
            notAFiber("the branch at " + curveName(start) + " starts with multiplicity " +
                      std::to_string(a) + ", outside 1 ... m-1 = " + std::to_string(m - 1));
        }
        std::vector<int> chain;
        for (std::size_t i : branch) chain.push_back(curves[i].multiplicity);
        const std::vector<int> expected = branchChain(m, a);
        if (chain != expected) {
            notAFiber("the branch at " + curveName(start) + " reads " + chainText(chain) +
                      ", but the chain of m = " + std::to_string(m) + " and first multiplicity " +
                      std::to_string(a) + " reads " + chainText(expected));
        }
        sum += a;
        parts.push_back(a);
    }
    if (sum % m != 0) {
        notAFiber("the first multiplicities sum to " + std::to_string(sum) +
                  ", which is not a multiple of m = " + std::to_string(m));
    }
    const long long r = sum / m;
    if (r < 2) {
        notAFiber("r = " + std::to_string(r) + ": the first multiplicities sum to " +
                  std::to_string(sum) + " = m*r, but r must be at least 2");
    }
    if (curves[core].selfIntersection && *curves[core].selfIntersection != -r) {
        notAFiber("the core has self-intersection " +
                  std::to_string(*curves[core].selfIntersection) + ", but its branches make it -" +
                  std::to_string(r));
    }
    for (const std::vector<std::size_t>& branch : branches) {
        const std::vector<int> selfs =
            branchSelfIntersections(m, curves[branch.front()].multiplicity);
        for (std::size_t i = 0; i < branch.size(); ++i) {
            const DualVertex& v = curves[branch[i]];
            if (v.selfIntersection && *v.selfIntersection != selfs[i]) {
                notAFiber(curveName(v) + " has self-intersection " +
                          std::to_string(*v.selfIntersection) + ", but its chain makes it " +
                          std::to_string(selfs[i]));
            }
        }
    }
    std::sort(parts.begin(), parts.end(), std::greater<>());
    return fiberFromParts(m, static_cast<int>(r), parts);
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
