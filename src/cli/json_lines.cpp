#include "cli/json_lines.h"

#include <nlohmann/json.hpp>

#include "files/fiber_records.h"

namespace dorvanix::cli {

std::string fiberJsonLine(int m, int r, const FiberEntry& fiber) {
    return fiberRecordJson(m, r, fiber);
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
