// A dual graph in JSON, as lookup reads it: any text is refused with one line of InputError or
// read, never a crash, however deep its nesting or large its numbers. A graph read as a fiber
// gives that fiber back when its own dual graph is written and read again, and the message of a
// refusal quotes typed text only escaped and short.
#include <cstdint>
#include <string>
#include <string_view>

#include "files/graph_formats.h"
#include "model/dual_graph.h"
#include "model/fiber_data.h"
#include "model/input_check.h"

using namespace dorvanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    DualGraph graph;
    FiberData fiber;
    try {
        graph = readDualGraphJson(text);
        fiber = fiberOfDualGraph(graph);
    } catch (const InputError& error) {
        const std::string message = error.what();
        for (const char c : message) {
            if (static_cast<unsigned char>(c) < 0x20) __builtin_trap();
        }
        // The longest fixed text, and 60 typed characters each escaped to four.
        if (message.size() > 600) __builtin_trap();
        return 0;
    }
    if (graph.vertices.empty()) __builtin_trap();
    const DualGraph written = fiberDualGraph(fiber);
    if (!(fiberOfDualGraph(readDualGraphJson(dualGraphJson(written))) == fiber)) __builtin_trap();
    return 0;
}
