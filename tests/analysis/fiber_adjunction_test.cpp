#include "analysis/fiber_adjunction.h"

#include <gtest/gtest.h>

#include "census/genus_census.h"
#include "model/fiber_data.h"

namespace dorvanix {
namespace {

// X is a fiber whose self-intersections come from the continued fractions of m / a and whose
// genus from Riemann-Hurwitz: numerical triviality must give back every self-intersection, and
// adjunction a rational curve at every vertex.
TEST(FiberAdjunction, GivesBackTheSelfIntersectionsAndRationalCurvesOfEveryCensusFiber) {
    int fibers = 0;
    for (int genus = 1; genus <= 5; ++genus) {
        for (const CensusShape& shape : genusShapes(genus)) {
            const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
            SCOPED_TRACE(fiberNotation(x));
            const DualGraph graph = fiberDualGraph(x);
            const std::vector<Fraction> selfs = trivialSelfIntersections(graph);
            for (std::size_t v = 0; v < graph.vertices.size(); ++v) {
                EXPECT_EQ(selfs[v], (Fraction{*graph.vertices[v].selfIntersection, 1}))
                    << "curve " << v;
                EXPECT_EQ(adjunctionGenus(graph, v, genus), (Fraction{0, 1})) << "curve " << v;
            }
            ++fibers;
        }
    }
    EXPECT_GT(fibers, 100);
}

DualGraph cycle(int curves, int multiplicity) {
    DualGraph graph;
    for (int i = 0; i < curves; ++i) {
        graph.vertices.push_back({i, multiplicity, std::nullopt, 0, "branch", {}});
        graph.edges.emplace_back(i, (i + 1) % curves);
    }
    return graph;
}

// Graphs with cycles and curves of higher genus, worked by hand: a reduced fiber of genus g whose
// graph has b independent cycles has g - b left for the curves, so one curve of a cycle carries
// g - 1; a curve met twice by another of multiplicity 1 has self-intersection -2 / m.
TEST(FiberAdjunction, CountsTheCyclesOfTheGraphAndSaysWhereASelfIntersectionIsNoWholeNumber) {
    const struct {
        const char* label;
        DualGraph graph;
        int fiberGenus;
        Fraction genus;  // of vertex 0
        Fraction self;   // of vertex 0
    } rows[] = {
        {"a cycle of 8 (-2)-curves is a fiber of genus 1", cycle(8, 1), 1, {0, 1}, {-2, 1}},
        {"in genus 2 one curve of the cycle is elliptic", cycle(8, 1), 2, {1, 1}, {-2, 1}},
        {"a double cycle in genus 2 asks genus 1/2", cycle(3, 2), 2, {1, 2}, {-2, 1}},
        {"two curves meeting three times",
         {{{0, 1, {}, 0, "core", {}}, {1, 1, {}, 0, "joining_curve", {}}},
          {{0, 1}, {0, 1}, {0, 1}}},
         2,
         {0, 1},
         {-3, 1}},
        {"a curve of multiplicity 2 met by one of multiplicity 1",
         {{{0, 2, {}, 0, "branch", {}}, {1, 1, {}, 0, "core", {}}}, {{0, 1}}},
         1,
         {3, 4},
         {-1, 2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(adjunctionGenus(row.graph, 0, row.fiberGenus), row.genus);
        EXPECT_EQ(trivialSelfIntersections(row.graph)[0], row.self);
    }
    EXPECT_EQ(fractionText({-7, 2}), "-7/2");
    EXPECT_EQ(fractionText(makeFraction(6, -3)), "-2");
}

}  // namespace
}  // namespace dorvanix
