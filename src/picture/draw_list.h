#pragma once

#include <array>
#include <string>
#include <variant>
#include <vector>

namespace dorvanix {

// Width and height of the picture, in pixels.
inline constexpr int kPictureWidth = 1024;
inline constexpr int kPictureHeight = 768;
// Pixel height of the multiplicity labels.
inline constexpr int kLabelPixelSize = 24;

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// One cubic Bezier segment: start, two control points, end, already floored to pixels.
struct CubicSegment {
    std::array<PixelPoint, 4> points{};
    Rgb colour;
    int width = 1;
};

// A multiplicity label: the text with its top-left corner at `topLeft`.
struct TextLabel {
    std::string text;
    PixelPoint topLeft;
    Rgb colour;
};

using DrawItem = std::variant<CubicSegment, TextLabel>;

// What one paint draws, in drawing order. Painters (the Qt window, the SVG writer) only replay it.
struct DrawList {
    std::vector<DrawItem> items;

    void add(const CubicSegment& segment) { items.emplace_back(segment); }
    void add(TextLabel label) { items.emplace_back(std::move(label)); }
    int segmentCount() const;
    int labelCount() const;
};

// Where the drawing's origin lies in the picture and how arm and handle lengths are scaled.
struct View {
    double originX = 150.0;
    double originY = 120.0;
    double scale = 1.0;
};

}  // namespace dorvanix
