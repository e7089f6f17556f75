#include "files/fiber_records.h"

#include <nlohmann/json.hpp>

#include "model/fiber_data.h"

namespace dorvanix {

std::string fiberRecordJson(int m, int r, const FiberEntry& fiber) {
    const std::vector<int> parts(fiber.parts.begin(), fiber.parts.end());
    const FiberData data = fiberFromParts(m, r, parts);
    const nlohmann::ordered_json object = {
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

std::string censusFiberJson(const CensusFiber& fiber) {
    const FiberEntry entry{fiber.shape.parts, fiber.simpleCrusts.clamped(), fiber.genus,
                           fiber.line};
    return fiberRecordJson(fiber.shape.m, fiber.shape.r, entry);
}

}  // namespace dorvanix
