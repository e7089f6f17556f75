#include "analysis/fiber_adjunction.h"

#include <numeric>

namespace dorvanix {

namespace {

std::vector<long long> degrees(const DualGraph& graph) {
    std::vector<long long> degree(graph.vertices.size(), 0);
    for (const auto& [i, j] : graph.edges) {
        ++degree[static_cast<std::size_t>(i)];
        ++degree[static_cast<std::size_t>(j)];
    }
    return degree;
}

}  // namespace

Fraction makeFraction(long long numerator, long long denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    const long long common = std::gcd(numerator, denominator);
    return common > 1 ? Fraction{numerator / common, denominator / common}
                      : Fraction{numerator, denominator};
}

std::string fractionText(const Fraction& value) {
    std::string text = std::to_string(value.numerator);
    if (!value.whole()) text += "/" + std::to_string(value.denominator);
    return text;
}

std::vector<Fraction> trivialSelfIntersections(const DualGraph& graph) {
    std::vector<long long> met(graph.vertices.size(), 0);
    for (const auto& [i, j] : graph.edges) {
        met[static_cast<std::size_t>(i)] +=
            graph.vertices[static_cast<std::size_t>(j)].multiplicity;
        met[static_cast<std::size_t>(j)] +=
            graph.vertices[static_cast<std::size_t>(i)].multiplicity;
    }
    std::vector<Fraction> selfs;
    for (std::size_t i = 0; i < graph.vertices.size(); ++i) {
        selfs.push_back(makeFraction(-met[i], graph.vertices[i].multiplicity));
    }
    return selfs;
}

Fraction adjunctionGenus(const DualGraph& graph, std::size_t v, int fiberGenus) {
    const std::vector<long long> degree = degrees(graph);
    // 2 m_v g_v = 2g - 2 - sum_{i != v} m_i (2 g_i - 2 + deg_i) - m_v (deg_v - 2)
    long long twice = 2LL * fiberGenus - 2;
    for (std::size_t i = 0; i < graph.vertices.size(); ++i) {
        const DualVertex& curve = graph.vertices[i];
        const long long genus = i == v ? 0 : curve.genus.value_or(0);
        twice -= static_cast<long long>(curve.multiplicity) * (2 * genus - 2 + degree[i]);
    }
    return makeFraction(twice, 2LL * graph.vertices[v].multiplicity);
}

}  // namespace dorvanix
