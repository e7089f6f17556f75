#include "files/graph_formats.h"

#include <cmath>
#include <deque>
#include <iomanip>
#include <numbers>
#include <sstream>

#include <nlohmann/json.hpp>

#include "model/input_check.h"

namespace dorvanix {

namespace {

std::string selfText(const DualVertex& v) {
    return v.selfIntersection ? std::to_string(*v.selfIntersection) : "?";
}

// "m / s", with the genus when the curve is not rational.
std::string label(const DualVertex& v) {
    std::string text = std::to_string(v.multiplicity) + " / " + selfText(v);
    if (v.genus != 0) text += " (g=" + std::to_string(v.genus) + ")";
    return text;
}

// Distance from vertex 0 and the ray (the neighbour of vertex 0 it descends from) of every
// vertex, breadth first; -1 for a vertex out of reach. Answers the number of rays.
int rays(const DualGraph& graph, std::vector<int>& depth, std::vector<int>& ray) {
    const std::size_t n = graph.vertices.size();
    std::vector<std::vector<int>> adjacent(n);
    for (const auto& [i, j] : graph.edges) {
        adjacent[static_cast<std::size_t>(i)].push_back(j);
        adjacent[static_cast<std::size_t>(j)].push_back(i);
    }
    depth.assign(n, -1);
    ray.assign(n, -1);
    if (n == 0) return 0;
    depth[0] = 0;
    int rayCount = 0;
    std::deque<int> queue{0};
    while (!queue.empty()) {
        const int v = queue.front();
        queue.pop_front();
        for (int w : adjacent[static_cast<std::size_t>(v)]) {
            const auto u = static_cast<std::size_t>(w);
            if (depth[u] >= 0) continue;
            depth[u] = depth[static_cast<std::size_t>(v)] + 1;
            ray[u] = v == 0 ? rayCount++ : ray[static_cast<std::size_t>(v)];
            queue.push_back(w);
        }
    }
    return rayCount;
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
            << ", \"genus\": " << v.genus << ", \"kind\": \"" << v.kind << "\"}";
    }
    out << "], \"edges\": [";
    for (std::size_t i = 0; i < graph.edges.size(); ++i) {
        out << (i == 0 ? "" : ", ") << '[' << graph.edges[i].first << ", " << graph.edges[i].second
            << ']';
    }
    out << "]}";
    return out.str();
}

std::string dualGraphDot(const DualGraph& graph) {
    std::ostringstream out;
    out << "graph dual {\n  node [shape=circle];\n";
    for (const DualVertex& v : graph.vertices) {
        out << "  v" << v.id << " [label=\"" << label(v) << "\"";
        if (v.kind != "branch") out << ", shape=doublecircle";
        out << "];\n";
    }
    for (const auto& [i, j] : graph.edges) out << "  v" << i << " -- v" << j << ";\n";
    out << "}\n";
    return out.str();
}

std::string dualGraphTikz(const DualGraph& graph) {
    std::vector<int> depth;
    std::vector<int> ray;
    const int rayCount = rays(graph, depth, ray);
    std::ostringstream out;
    out << std::fixed << std::setprecision(3);
    // A whole document that needs only LaTeX and TikZ (no standalone class): the picture is set
    // in a box, and under pdfTeX the page is cut to the box and a 4pt border.
    out << "\\documentclass{article}\n\\usepackage{tikz}\n\\begin{document}\n"
           "\\newsavebox{\\dualgraph}\n\\begin{lrbox}{\\dualgraph}\n"
           "\\begin{tikzpicture}[curve/.style={circle,draw,inner sep=1.5pt,font=\\small}]\n";
    int unreached = 0;
    for (const DualVertex& v : graph.vertices) {
        const auto i = static_cast<std::size_t>(v.id);
        double x = 0;
        double y = 0;
        if (ray[i] >= 0) {
            const double angle = 2 * std::numbers::pi * ray[i] / rayCount;
            x = 2.2 * depth[i] * std::cos(angle);
            y = 2.2 * depth[i] * std::sin(angle);
        } else if (depth[i] < 0) {
            y = -2.2 * ++unreached;  // not connected to vertex 0: a column below it
        }
        std::string text = "$" + std::to_string(v.multiplicity) + "$\\\\$" + selfText(v) + "$";
        if (v.genus != 0) text += "\\\\$g=" + std::to_string(v.genus) + "$";
        out << "  \\node[curve,align=center] (v" << v.id << ") at (" << x << ',' << y << ") {"
            << text << "};\n";
    }
    for (const auto& [i, j] : graph.edges) out << "  \\draw (v" << i << ") -- (v" << j << ");\n";
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

namespace {

[[noreturn]] void malformed(const std::string& what) {
    throw InputError("dual graph: " + what);
}

int wholeNumber(const nlohmann::json& value, const std::string& what) {
    if (!value.is_number_integer() || value.get<long long>() < -kMaxInputNumber * 1000LL ||
        value.get<long long>() > kMaxInputNumber * 1000LL) {
        malformed(what + " must be a whole number, not " + value.dump());
    }
    return value.get<int>();
}

}  // namespace

DualGraph readDualGraphJson(std::string_view text) {
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        const std::string what = error.what();
        malformed("not JSON: " + what.substr(what.find("] ") + 2));
    }
    if (!json.is_object() || !json.contains("vertices") || !json.contains("edges") ||
        !json["vertices"].is_array() || !json["edges"].is_array()) {
        malformed("expected an object with the arrays \"vertices\" and \"edges\"");
    }
    DualGraph graph;
    for (const nlohmann::json& vertex : json["vertices"]) {
        const std::string where = "vertex " + std::to_string(graph.vertices.size() + 1);
        if (!vertex.is_object() || !vertex.contains("id") || !vertex.contains("multiplicity")) {
            malformed(where + ": expected an object with \"id\" and \"multiplicity\"");
        }
        DualVertex v;
        v.id = wholeNumber(vertex["id"], where + ": \"id\"");
        v.multiplicity = wholeNumber(vertex["multiplicity"], where + ": \"multiplicity\"");
        if (vertex.contains("self_intersection") && !vertex["self_intersection"].is_null()) {
            v.selfIntersection =
                wholeNumber(vertex["self_intersection"], where + ": \"self_intersection\"");
        }
        if (vertex.contains("genus")) v.genus = wholeNumber(vertex["genus"], where + ": \"genus\"");
        if (vertex.contains("kind") && vertex["kind"].is_string()) v.kind = vertex["kind"];
        graph.vertices.push_back(std::move(v));
    }
    for (const nlohmann::json& edge : json["edges"]) {
        if (!edge.is_array() || edge.size() != 2) {
            malformed("an edge must be a pair of ids, not " + edge.dump());
        }
        graph.edges.emplace_back(wholeNumber(edge[0], "an edge's id"),
                                 wholeNumber(edge[1], "an edge's id"));
    }
    return graph;
}

}  // namespace dorvanix
