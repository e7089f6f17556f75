#include "files/graph_formats.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <limits>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "files/graph_layout.h"
#include "model/input_check.h"

namespace dorvanix {

namespace {

std::string selfText(const DualVertex& v) {
    return v.selfIntersection ? std::to_string(*v.selfIntersection) : "?";
}

// "m / s", with the genus when the curve is not rational, and always on the joining curve J.
std::string label(const DualVertex& v) {
    const bool joining = v.kind == "joining_curve";
    std::string text =
        (joining ? "J: " : "") + std::to_string(v.multiplicity) + " / " + selfText(v);
    if (!v.genus) {
        text += " (g=?)";
    } else if (*v.genus != 0 || joining) {
        text += " (g=" + std::to_string(*v.genus) + ")";
    }
    return text;
}

}  // namespace

std::string dualGraphJson(const DualGraph& graph) {
    std::ostringstream out;
    out << "{\"vertices\": [";
    for (std::size_t i = 0; i < graph.vertices.size(); ++i) {
        const DualVertex& v = graph.vertices[i];
        out << (i == 0 ? "" : ", ") << "{\"id\": " << v.id
            << ", \"multiplicity\": " << v.multiplicity << ", \"self_intersection\": "
            << (v.selfIntersection ? std::to_string(*v.selfIntersection) : "null")
            << ", \"genus\": " << (v.genus ? std::to_string(*v.genus) : "null") << ", \"kind\": \""
            << v.kind << "\", \"note\": "
            << (v.note.empty() ? std::string("null") : nlohmann::json(v.note).dump()) << "}";
    }
    out << "], \"edges\": [";
    for (std::size_t i = 0; i < graph.edges.size(); ++i) {
        out << (i == 0 ? "" : ", ") << '[' << graph.edges[i].first << ", " << graph.edges[i].second
            << ']';
    }
    out << "]}";
    return out.str();
}

std::string dualGraphDot(const DualGraph& graph, LayoutMethod method) {
    const GraphLayout layout = layOutDualGraph(graph, method);
    std::ostringstream out;
    out << std::fixed << std::setprecision(2);
    // The positions are pinned ("!") and the edges carry their splines, so that neato -n2 (or
    // any Graphviz program, through layout=neato) draws the graph as it was laid out.
    out << "graph dual {\n  // laid out by " << layout.engine << "\n"
        << "  graph [layout=neato, splines=true];\n  node [shape=circle, fontsize=10];\n";
    for (std::size_t i = 0; i < graph.vertices.size(); ++i) {
        const DualVertex& v = graph.vertices[i];
        out << "  v" << v.id << " [label=\"" << label(v) << "\"";
        if (v.kind == "core") out << ", shape=doublecircle";
        if (v.kind == "joining_curve")
            out << ", shape=box, style=\"rounded,filled\", fillcolor=gray90";
        out << ", pos=\"" << layout.positions[i].x << ',' << layout.positions[i].y << "!\"];\n";
    }
    for (const DualVertex& v : graph.vertices) {
        if (!v.note.empty()) out << "  // v" << v.id << ": " << v.note << "\n";
    }
    for (std::size_t k = 0; k < graph.edges.size(); ++k) {
        const auto& [i, j] = graph.edges[k];
        out << "  v" << i << " -- v" << j;
        if (!layout.edgePaths[k].empty()) {
            out << " [pos=\"";
            for (std::size_t p = 0; p < layout.edgePaths[k].size(); ++p) {
                out << (p == 0 ? "" : " ") << layout.edgePaths[k][p].x << ','
                    << layout.edgePaths[k][p].y;
            }
            out << "\"]";
        }
        out << ";\n";
    }
    out << "}\n";
    return out.str();
}

namespace {

// Text set in LaTeX as it reads.
std::string latexText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\textbackslash{}";
                break;
            case '{':
            case '}':
            case '$':
            case '&':
            case '#':
            case '_':
            case '%':
                out += '\\';
                out += c;
                break;
            case '^':
                out += "\\^{}";
                break;
            case '~':
                out += "\\~{}";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The bend of the repeat-th of `repeats` edges between two curves, in degrees, to the left when
// positive: an odd number of them has a straight one in the middle, and the others go in pairs to
// either side, each pair further out, so that the bundle is symmetric.
int bendAngle(int repeat, int repeats) {
    if (repeats <= 1) return 0;
    const bool odd = repeats % 2 == 1;
    if (odd && repeat == 0) return 0;
    const int k = odd ? repeat - 1 : repeat;
    const int bend = (odd ? 16 : 10) + 16 * (k / 2);
    return k % 2 == 0 ? bend : -bend;
}

// A note set as mathematics is: numbers and fractions in math mode ("-3/2" as $-\tfrac{3}{2}$),
// and a letter standing alone other than the article "a" (J, R, X's, N, d, h) as a variable.
std::string latexNote(std::string_view text) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto wordChar = [&](char c) {
        return digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        // A word starts after anything but a letter, a digit or an apostrophe (R's).
        const bool starts = i == 0 || !(wordChar(text[i - 1]) || text[i - 1] == '\'');
        const bool minus = text[i] == '-' && i + 1 < text.size() && digit(text[i + 1]);
        if (starts && (digit(text[i]) || minus)) {
            std::size_t end = i + (minus ? 1 : 0);
            while (end < text.size() && digit(text[end])) ++end;
            const std::string_view whole =
                text.substr(i + (minus ? 1 : 0), end - i - (minus ? 1 : 0));
            std::string_view below;
            if (end + 1 < text.size() && text[end] == '/' && digit(text[end + 1])) {
                std::size_t over = end + 1;
                while (over < text.size() && digit(text[over])) ++over;
                below = text.substr(end + 1, over - end - 1);
                end = over;
            }
            if (end == text.size() || !wordChar(text[end])) {
                out += std::string("$") + (minus ? "-" : "");
                out += below.empty()
                           ? std::string(whole)
                           : "\\tfrac{" + std::string(whole) + "}{" + std::string(below) + "}";
                out += "$";
                i = end;
                continue;
            }
        }
        const bool letter = wordChar(text[i]) && !digit(text[i]);
        if (starts && letter && text[i] != 'a' &&
            (i + 1 == text.size() || !wordChar(text[i + 1]))) {
            out += std::string("$") + text[i] + "$";
        } else {
            out += latexText(text.substr(i, 1));
        }
        ++i;
    }
    return out;
}

// The path of edge k: a line, bent to one side or the other when the two curves meet more than
// once.
std::string edgePath(const std::pair<int, int>& edge, int repeat, int repeats) {
    std::ostringstream out;
    out << "(v" << edge.first << ")";
    if (const int bend = bendAngle(repeat, repeats); bend != 0) {
        out << " to[bend " << (bend > 0 ? "left" : "right") << '=' << std::abs(bend) << "]";
    } else {
        out << " --";
    }
    out << " (v" << edge.second << ")";
    return out.str();
}

// The width the graph takes, in points: its curves (each within kReach of its place), Graphviz's
// splines (each within its control points) and the bent edges (each within the control points
// TikZ gives `bend`: at 0.3915 of the distance, turned by the bend at either end).
class Extent {
  public:
    static constexpr double kReach = 26;  // half J's box, the widest curve, and a margin

    void add(const LayoutPoint& p) {
        low_ = std::min(low_, p.x);
        high_ = std::max(high_, p.x);
    }
    void addCurve(const LayoutPoint& p) {
        add({p.x - kReach, p.y});
        add({p.x + kReach, p.y});
    }
    void addBend(const LayoutPoint& a, const LayoutPoint& b, int bendDegrees) {
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        const double toward = std::atan2(b.y - a.y, b.x - a.x);
        const double bend = bendDegrees * std::acos(-1.0) / 180;
        const double reach = 0.3915 * length;
        add({a.x + reach * std::cos(toward + bend), a.y});
        add({b.x - reach * std::cos(toward - bend), b.y});
    }
    double width() const { return high_ > low_ ? high_ - low_ : 2 * kReach; }

  private:
    double low_ = std::numeric_limits<double>::infinity();
    double high_ = -std::numeric_limits<double>::infinity();
};

// Two splines closer than a point everywhere: one curve to the eye.
bool samePath(const std::vector<LayoutPoint>& a, const std::vector<LayoutPoint>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t p = 0; p < a.size(); ++p) {
        if (std::abs(a[p].x - b[p].x) > 1 || std::abs(a[p].y - b[p].y) > 1) return false;
    }
    return true;
}

std::string splinePath(const std::vector<LayoutPoint>& path, const std::pair<int, int>& edge) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(2);
    out << "(v" << edge.first << ")";
    for (std::size_t p = 1; p + 2 < path.size(); p += 3) {
        out << " .. controls (" << path[p].x << ',' << path[p].y << ") and (" << path[p + 1].x
            << ',' << path[p + 1].y << ") .. ";
        if (p + 3 == path.size()) {
            out << "(v" << edge.second << ")";
        } else {
            out << '(' << path[p + 2].x << ',' << path[p + 2].y << ')';
        }
    }
    return out.str();
}

}  // namespace

std::string dualGraphTikz(const DualGraph& graph, LayoutMethod method, const TikzOptions& options) {
    const GraphLayout layout = layOutDualGraph(graph, method);
    // Repeated edges (two curves meeting more than once) are drawn one by one, each its own
    // curve: Graphviz's splines where it gave each its own, else bent to either side.
    std::map<std::pair<int, int>, std::vector<std::size_t>> meetings;
    for (std::size_t k = 0; k < graph.edges.size(); ++k) {
        const auto& [i, j] = graph.edges[k];
        meetings[{std::min(i, j), std::max(i, j)}].push_back(k);
    }
    std::vector<bool> ownSpline(graph.edges.size(), false);
    for (const auto& [pair, edges] : meetings) {
        bool apart = true;
        for (std::size_t a = 0; a < edges.size(); ++a) {
            apart = apart && !layout.edgePaths[edges[a]].empty();
            for (std::size_t b = 0; b < a && apart; ++b) {
                apart = !samePath(layout.edgePaths[edges[a]], layout.edgePaths[edges[b]]);
            }
        }
        for (std::size_t a = 0; a < edges.size(); ++a) {
            ownSpline[edges[a]] = apart;
        }
    }
    std::vector<std::string> paths;
    Extent extent;
    for (const LayoutPoint& p : layout.positions) extent.addCurve(p);
    std::map<std::pair<int, int>, int> drawn;
    for (std::size_t k = 0; k < graph.edges.size(); ++k) {
        const auto& edge = graph.edges[k];
        const std::pair<int, int> key{std::min(edge.first, edge.second),
                                      std::max(edge.first, edge.second)};
        const int repeat = drawn[key]++;
        if (ownSpline[k]) {
            for (const LayoutPoint& p : layout.edgePaths[k]) extent.add(p);
            paths.push_back(splinePath(layout.edgePaths[k], edge));
        } else {
            const int repeats = static_cast<int>(meetings[key].size());
            extent.addBend(layout.positions[static_cast<std::size_t>(edge.first)],
                           layout.positions[static_cast<std::size_t>(edge.second)],
                           bendAngle(repeat, repeats));
            paths.push_back(edgePath(edge, repeat, repeats));
        }
    }

    std::ostringstream out;
    out << std::fixed << std::setprecision(2);
    if (options.standalone) {
        // A whole document that needs only LaTeX, amsmath and TikZ (no standalone class): the
        // picture is set in a box, and under pdfTeX the page is cut to the box and a 4pt border.
        out << "\\documentclass{article}\n\\usepackage{amsmath}\n\\usepackage{tikz}\n"
               "\\begin{document}\n"
               "\\newsavebox{\\dualgraph}\n\\begin{lrbox}{\\dualgraph}\n";
    }
    out << "% A dual graph for \\input in a LaTeX document, such as within\n"
           "%   \\begin{figure}\\centering\\input{graph.tex}\\caption{...}\\end{figure}\n"
           "% Needs \\usepackage{amsmath} and \\usepackage{tikz} in the preamble, no TikZ "
           "library.\n"
           "% Laid out by "
        << layout.engine
        << "; coordinates in points (1/72 inch), the graph scaled down to \\linewidth\n"
           "% where it is wider.\n"
           "\\begin{tikzpicture}[x=1bp,y=1bp,\n"
           "  curve/.style={circle,draw,inner sep=1.5pt,minimum size=0.45in,align=center,"
           "font=\\small},\n"
           "  core/.style={curve,double},\n"
           "  joining/.style={curve,rectangle,rounded corners=3pt,inner sep=4pt,thick,"
           "fill=black!8},\n"
           "  edge/.style={draw}]\n"
           "\\begin{scope}[scale={min(1,\\linewidth/"
        << extent.width() * 72.27 / 72 << "pt)},transform shape]\n";
    std::vector<std::string> notes;
    bool hasJoining = false;
    for (std::size_t i = 0; i < graph.vertices.size(); ++i) {
        const DualVertex& v = graph.vertices[i];
        const bool joining = v.kind == "joining_curve";
        hasJoining = hasJoining || joining;
        // The note's number stands at the first number it explains, else beside J.
        std::string mark;
        if (!v.note.empty()) {
            const std::string name = joining            ? "$J$"
                                     : v.kind == "core" ? "The core"
                                                        : "The curve of multiplicity $" +
                                                              std::to_string(v.multiplicity) + "$";
            notes.push_back(name + ": " + latexNote(v.note) + ".");
            mark = "^{" + std::to_string(notes.size()) + "}";
        }
        const bool markSelf = !mark.empty() && !v.selfIntersection;
        const bool markGenus = !mark.empty() && !markSelf && joining && !v.genus;
        std::string text = "$" + std::to_string(v.multiplicity) + "$\\\\$" + selfText(v) +
                           (markSelf ? mark : "") + "$";
        if (joining) {
            text = "$J" + (mark.empty() || markSelf || markGenus ? "" : mark) + "$\\\\" + text +
                   "\\\\$g=" + (v.genus ? std::to_string(*v.genus) : "{?}") +
                   (markGenus ? mark : "") + "$";
        } else if (v.genus.value_or(0) != 0) {
            text += "\\\\$g=" + std::to_string(*v.genus) + "$";
        }
        out << "  \\node["
            << (joining            ? "joining"
                : v.kind == "core" ? "core"
                                   : "curve")
            << "] (v" << v.id << ") at (" << layout.positions[i].x << ',' << layout.positions[i].y
            << ") {" << text << "};\n";
    }
    for (const std::string& path : paths) out << "  \\draw[edge] " << path << ";\n";
    out << "\\end{scope}\n";
    std::vector<std::string> lines;
    if (options.legend) {
        lines.push_back(
            "At each curve its multiplicity over its self-intersection; the core "
            "circled twice" +
            std::string(hasJoining ? "; $J$ the joining curve, $g$ its genus" : "") + ".");
    }
    for (std::size_t n = 0; n < notes.size(); ++n) {
        lines.push_back("$^{" + std::to_string(n + 1) + "}$ " + notes[n]);
    }
    // The lines beneath are \linewidth wide and centred under the graph, which so stands in the
    // middle of the line however narrow it is.
    if (!lines.empty()) {
        out << "  \\node[anchor=north,text width=\\linewidth,inner xsep=0pt,"
               "font=\\footnotesize,align=left] at (current bounding box.south) {";
        for (std::size_t n = 0; n < lines.size(); ++n) out << (n == 0 ? "" : "\\\\") << lines[n];
        out << "};\n";
    }
    out << "\\end{tikzpicture}\n";
    if (options.standalone) {
        out << "\\end{lrbox}\n"
               "\\ifdefined\\pdfpagewidth\n"
               "\\pdfpagewidth=\\dimexpr\\wd\\dualgraph+8pt\\relax\n"
               "\\pdfpageheight=\\dimexpr\\ht\\dualgraph+\\dp\\dualgraph+8pt\\relax\n"
               "\\hoffset=-1in \\voffset=-1in\n"
               "\\shipout\\vbox{\\kern4pt\\moveright4pt\\box\\dualgraph}\n"
               "\\else\n\\noindent\\usebox{\\dualgraph}\n\\fi\n"
               "\\end{document}\n";
    }
    return out.str();
}

}  // namespace dorvanix
