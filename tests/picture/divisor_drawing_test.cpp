// What the drawing makes of a tree: how many curves and labels, whatever the coordinates (the
// golden frames hold those), and the SVG it is written as.
#include "picture/divisor_drawing.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/divisor_notation.h"
#include "model/node_pool.h"
#include "picture/svg_export.h"

namespace dorvanix {
namespace {

// Core of degree 3: 3 curves; a chain node of degree 2: 2 curves; an end: an oval of 2.
TEST(DivisorDrawing, CountsOfCurvesAndLabelsFollowTheTree) {
    const struct {
        const char* label;
        const char* notation;
        std::function<void(DivisorNode&)> change;
        int segments, labels;
    } rows[] = {
        {"the small fiber", "(3;(2,1),(2,1),(2,1))", nullptr, 15, 7},
        {"an empty branch", "(2;(2),(2),())", nullptr, 7, 3},
        {"three single curves", "(2;(2),(2),(2))", nullptr, 9, 4},
        {"long chains", "(5;(4,3,2,1),(3,1),(3,1))", nullptr, 3 + 8 + 4 + 4, 9},
        {"multiplicity 0: nothing behind it either", "(3;(2,1),(2,1),(2,1))",
         [](DivisorNode& root) { root.neighbors[0]->multiplicity = 0; }, 11, 5},
        {"no arm length: the core vanishes, its branches stay", "(3;(2,1),(2,1),(2,1))",
         [](DivisorNode& root) { root.armLength[0] = 0.0; }, 12, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        NodePool pool;
        DivisorNode& root = pool.take();
        parseDivisorNotation(pool, root, row.notation);
        if (row.change) row.change(root);
        DrawList list;
        drawDivisor(list, &root, View{});
        EXPECT_EQ(list.segmentCount(), row.segments);
        EXPECT_EQ(list.labelCount(), row.labels);
    }
    DrawList nothing;
    drawDivisor(nothing, nullptr, View{});
    drawChain(nothing, nullptr, View{}, 2);
    EXPECT_TRUE(nothing.items.empty()) << "null draws nothing";
}

TEST(SvgExport, ItemsAreWrittenInDrawingOrderWithLabelsEscaped) {
    DrawList list;
    list.add(CubicSegment{{{{175, 120}, {175, 140}, {125, 140}, {125, -3}}}, {255, 0, 0}, 3});
    list.add(TextLabel{"<1&2>", {0, 0}, {0, 0, 0}});
    list.add(CubicSegment{{{{1, 2}, {3, 4}, {5, 6}, {7, 8}}}, {128, 128, 128}, 2});
    const std::string svg = svgDocument(list);
    const std::size_t first = svg.find("M 175 120 C 175 140 125 140 125 -3");
    const std::size_t label = svg.find("&lt;1&amp;2&gt;");
    const std::size_t second = svg.find("M 1 2 C 3 4 5 6 7 8");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(label, std::string::npos) << "label text is escaped";
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, label);
    EXPECT_LT(label, second);
    EXPECT_EQ(svg.find("<1&2>"), std::string::npos);
}

}  // namespace
}  // namespace dorvanix
