#include "files/graph_formats.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
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

// The path of edge k: Graphviz's spline with its ends on the curves themselves, or a line, bent
// to one side or the other when the two curves meet more than once.
std::string edgePath(const std::pair<int, int>& edge, int repeat, int repeats) {
    std::ostringstream out;
    out << "(v" << edge.first << ")";
    if (repeats > 1) {
        const int bend = 12 + 14 * (repeat / 2);
        out << " to[bend " << (repeat % 2 == 0 ? "left" : "right") << '=' << bend << "]";
    } else {
        out << " --";
    }
    out << " (v" << edge.second << ")";
    return out.str();
}

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

std::string dualGraphTikz(const DualGraph& graph, LayoutMethod method) {
    const GraphLayout layout = layOutDualGraph(graph, method);
    std::ostringstream out;
    out << std::fixed << std::setprecision(2);
    // A whole document that needs only LaTeX and TikZ (no standalone class): the picture is set
    // in a box, and under pdfTeX the page is cut to the box and a 4pt border.
    out << "\\documentclass{article}\n\\usepackage{tikz}\n\\begin{document}\n"
           "\\newsavebox{\\dualgraph}\n\\begin{lrbox}{\\dualgraph}\n"
           "% laid out by "
        << layout.engine
        << "; coordinates in points (1/72 inch)\n"
           "\\begin{tikzpicture}[x=1bp,y=1bp,\n"
           "  curve/.style={circle,draw,inner sep=1.5pt,minimum size=0.45in,align=center,"
           "font=\\small},\n"
           "  core/.style={curve,double},\n"
           "  joining/.style={curve,rectangle,rounded corners,thick,fill=black!8},\n"
           "  edge/.style={draw}]\n";
    std::vector<std::string> notes;
    for (std::size_t i = 0; i < graph.vertices.size(); ++i) {
        const DualVertex& v = graph.vertices[i];
        const bool joining = v.kind == "joining_curve";
        std::string mark;
        if (!v.note.empty()) {
            notes.push_back((joining ? "$J$: " : "curve " + std::to_string(v.id) + ": ") +
                            latexText(v.note));
            mark = "^{" + std::to_string(notes.size()) + "}";
        }
        std::string text = "$" + std::to_string(v.multiplicity) + "$\\\\$" + selfText(v) +
                           (v.selfIntersection ? "" : mark) + "$";
        if (joining) {
            text = "$J$\\\\" + text + "\\\\$g=" + (v.genus ? std::to_string(*v.genus) : "?") +
                   (v.genus ? "" : mark) + "$";
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
    std::map<std::pair<int, int>, int> drawn;
    for (std::size_t k = 0; k < graph.edges.size(); ++k) {
        const auto& edge = graph.edges[k];
        const std::pair<int, int> key{std::min(edge.first, edge.second),
                                      std::max(edge.first, edge.second)};
        const int repeat = drawn[key]++;
        out << "  \\draw[edge] "
            << (ownSpline[k] ? splinePath(layout.edgePaths[k], edge)
                             : edgePath(edge, repeat, static_cast<int>(meetings[key].size())))
            << ";\n";
    }
    if (!notes.empty()) {
        out << "  \\node[anchor=north west,text width=12cm,font=\\footnotesize,align=left] at "
               "(current bounding box.south west) {";
        for (std::size_t n = 0; n < notes.size(); ++n) {
            out << (n == 0 ? "" : "\\\\") << "$^{" << n + 1 << "}$ " << notes[n];
        }
        out << "};\n";
    }
    out << "\\end{tikzpicture}\n\\end{lrbox}\n"
           "\\ifdefined\\pdfpagewidth\n"
           "\\pdfpagewidth=\\dimexpr\\wd\\dualgraph+8pt\\relax\n"
           "\\pdfpageheight=\\dimexpr\\ht\\dualgraph+\\dp\\dualgraph+8pt\\relax\n"
           "\\hoffset=-1in \\voffset=-1in\n"
           "\\shipout\\vbox{\\kern4pt\\moveright4pt\\box\\dualgraph}\n"
           "\\else\n\\noindent\\usebox{\\dualgraph}\n\\fi\n"
           "\\end{document}\n";
    return out.str();
}

}  // namespace dorvanix
