#pragma once

#include <optional>
#include <string_view>

#include "files/graph_layout.h"

namespace dorvanix {

// The layout Graphviz's `engine` ("dot", "neato") gives the graph, taken under a lock: Graphviz
// keeps process-wide state and is not safe to call from two threads at once. None when Graphviz
// fails or the program is built without it.
std::optional<GraphLayout> graphvizLayout(const DualGraph& graph, std::string_view engine);

}  // namespace dorvanix
