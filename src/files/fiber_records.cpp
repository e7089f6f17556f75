#include "files/fiber_records.h"

#include <nlohmann/json.hpp>

#include "census/subdivisor_count.h"
#include "model/fiber_data.h"
#include "model/fiber_label.h"

namespace dorvanix {

namespace {

// The members of a JSON object as dump() writes them, without the braces.
std::string membersOf(const nlohmann::ordered_json& object) {
    const std::string text = object.dump();
    return text.substr(1, text.size() - 2);
}

}  // namespace

std::string fiberRecordJson(int m, int r, const FiberEntry& fiber) {
    const std::vector<int> parts(fiber.parts.begin(), fiber.parts.end());
    const FiberData data = fiberFromParts(m, r, parts);
    const nlohmann::ordered_json before = {
        {"label", fiberLabel(m, r, parts)},
        {"m", m},
        {"r", r},
        {"branches", parts},
        {"chains", data.chains},
        {"genus", fiber.genus},
    };
    const nlohmann::ordered_json after = {
        {"line", fiber.line},
        {"notation", fiberNotation(data)},
    };
    // A JSON number has as many digits as it needs, but a JSON library's integers stop at 64
    // bits: the count, which passes 2^128, is written out digit for digit.
    const std::string count = fiber.simpleCrustDigits.empty()
                                  ? std::to_string(fiber.simpleCrusts)
                                  : std::string(fiber.simpleCrustDigits);
    return "{" + membersOf(before) + ",\"simple_crust_count\":" + count + "," + membersOf(after) +
           "}";
}

std::string censusFiberJson(const CensusFiber& fiber) {
    const std::string digits = tallyText(fiber.simpleCrusts);
    const FiberEntry entry{fiber.shape.parts, fiber.simpleCrusts.clamped(), fiber.genus, fiber.line,
                           digits};
    return fiberRecordJson(fiber.shape.m, fiber.shape.r, entry);
}

std::string withJsonMember(std::string_view objectLine, std::string_view key,
                           const nlohmann::ordered_json& value) {
    std::string line(objectLine.substr(0, objectLine.rfind('}')));
    line += "," + nlohmann::ordered_json(std::string(key)).dump() + ":" + value.dump() + "}";
    return line;
}

}  // namespace dorvanix
