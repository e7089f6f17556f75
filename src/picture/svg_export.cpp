#include "picture/svg_export.h"

#include <sstream>

namespace dorvanix {

namespace {

// Distance from the top of a 24-pixel label to its baseline.
constexpr int kLabelAscent = 19;

std::string colourText(Rgb colour) {
    std::ostringstream text;
    text << "rgb(" << colour.red << ',' << colour.green << ',' << colour.blue << ')';
    return text.str();
}

std::string escaped(const std::string& text) {
    std::string result;
    for (const char ch : text) {
        switch (ch) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            case '"':
                result += "&quot;";
                break;
            default:
                result += ch;
        }
    }
    return result;
}

void writeSegment(std::ostream& out, const CubicSegment& segment) {
    const auto& p = segment.points;
    out << "<path d=\"M " << p[0].x << ' ' << p[0].y << " C " << p[1].x << ' ' << p[1].y << ' '
        << p[2].x << ' ' << p[2].y << ' ' << p[3].x << ' ' << p[3].y << "\" stroke=\""
        << colourText(segment.colour) << "\" stroke-width=\"" << segment.width << "\"/>\n";
}

void writeLabel(std::ostream& out, const TextLabel& label) {
    out << "<text x=\"" << label.topLeft.x << "\" y=\"" << label.topLeft.y + kLabelAscent
        << "\" fill=\"" << colourText(label.colour) << "\">" << escaped(label.text) << "</text>\n";
}

}  // namespace

std::string svgDocument(const DrawList& list) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPictureWidth << "\" height=\""
        << kPictureHeight << "\" viewBox=\"0 0 " << kPictureWidth << ' ' << kPictureHeight
        << "\">\n"
        << "<rect x=\"0\" y=\"0\" width=\"" << kPictureWidth << "\" height=\"" << kPictureHeight
        << "\" fill=\"white\"/>\n"
        << "<g fill=\"none\" stroke-linecap=\"round\" font-family=\"sans-serif\" font-size=\""
        << kLabelPixelSize << "px\">\n";
    // In drawing order, so that later curves cover earlier labels as on the screen.
    for (const DrawItem& item : list.items) {
        if (const auto* segment = std::get_if<CubicSegment>(&item)) {
            writeSegment(out, *segment);
        } else {
            writeLabel(out, std::get<TextLabel>(item));
        }
    }
    out << "</g>\n</svg>\n";
    return out.str();
}

}  // namespace dorvanix
