#include "cli/json_lines.h"

#include <nlohmann/json.hpp>

#include "model/fiber_data.h"
#include "model/fiber_label.h"

namespace dorvanix::cli {

std::string fiberJsonLine(int m, int r, const FiberEntry& fiber) {
    const std::vector<int> parts(fiber.parts.begin(), fiber.parts.end());
    const FiberData data = fiberFromParts(m, r, parts);
    const nlohmann::ordered_json object = {
        {"label", fiberLabel(m, r, fiber.parts)},
        {"m", m},
        {"r", r},
        {"branches", parts},
        {"chains", data.chains},
        {"genus", fiber.genus},
        {"simple_crust_count", fiber.simpleCrusts},
        {"line", fiber.line},
        {"notation", fiberNotation(data)},
    };
    return object.dump();
}

std::string subdivisorJsonLine(const Subdivisor& y) {
    const nlohmann::ordered_json object = {
        {"k", y.k},       {"ys", std::vector<int>(y.ys.begin(), y.ys.end())},
        {"ell", y.ell},   {"types", y.types},
        {"line", y.line},
    };
    return object.dump();
}

}  // namespace dorvanix::cli
