#include "picture/svg_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dorvanix {
namespace {

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(SvgExport, EmptyPictureIsAWhitePage) {
    const std::string svg = svgDocument(DrawList{});
    EXPECT_NE(svg.find("width=\"1024\" height=\"768\""), std::string::npos);
    EXPECT_NE(svg.find("<rect x=\"0\" y=\"0\" width=\"1024\" height=\"768\" fill=\"white\"/>"),
              std::string::npos);
    EXPECT_EQ(occurrences(svg, "<path"), 0);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

TEST(SvgExport, ItemsAreWrittenInDrawingOrderWithLabelsEscaped) {
    DrawList list;
    list.add(CubicSegment{{{{175, 120}, {175, 140}, {125, 140}, {125, -3}}}, {255, 0, 0}, 3});
    list.add(TextLabel{"12", {138, 108}, {0, 64, 255}});
    list.add(TextLabel{"<1&2>", {0, 0}, {0, 0, 0}});
    list.add(CubicSegment{{{{1, 2}, {3, 4}, {5, 6}, {7, 8}}}, {128, 128, 128}, 2});
    const std::string svg = svgDocument(list);
    const std::size_t first = svg.find(
        "<path d=\"M 175 120 C 175 140 125 140 125 -3\" stroke=\"rgb(255,0,0)\" "
        "stroke-width=\"3\"/>");
    const std::size_t label =
        svg.find("<text x=\"138\" y=\"127\" fill=\"rgb(0,64,255)\">12</text>");
    const std::size_t second = svg.find("stroke=\"rgb(128,128,128)\" stroke-width=\"2\"");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(label, std::string::npos) << "the baseline lies 19 pixels below the label's top";
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, label);
    EXPECT_LT(label, second);
    EXPECT_NE(svg.find("font-size=\"24px\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"none\""), std::string::npos) << "curves are not filled";
    EXPECT_NE(svg.find("&lt;1&amp;2&gt;"), std::string::npos) << "label text is escaped";
    EXPECT_EQ(svg.find("<1&2>"), std::string::npos);
}

}  // namespace
}  // namespace dorvanix
