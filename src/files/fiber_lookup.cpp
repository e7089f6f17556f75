#include "files/fiber_lookup.h"

#include "census/fiber_enumeration.h"
#include "files/graph_formats.h"
#include "model/arithmetic.h"
#include "model/dual_graph.h"
#include "model/fiber_label.h"
#include "model/input_check.h"

namespace dorvanix {

namespace {

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

FiberData readAnyForm(std::string_view text) {
    if (!text.empty() && text.front() == '{') return fiberOfDualGraph(readDualGraphJson(text));
    if (!text.empty() && (text.front() == '(' || looksLikeLabel(text))) {
        return parseFiberText(text);
    }
    throw InputError("lookup " + quoteInput(text) +
                     ": expected a label \"G.m.r.a1-...-ab\", a fiber line \"((m,r),a1,...)\", "
                     "divisor notation \"(m;(c,...),...)\" or a dual graph in JSON");
}

}  // namespace

FoundFiber lookupFiber(std::string_view text, Progress* progress) {
    const FiberData typed = readAnyForm(trimmed(text));
    const std::string label = fiberLabel(typed);
    // The census lists each fiber with its branches largest first.
    FoundFiber found{readFiberLabel(label), label, 0, {}, {}};
    const std::vector<int> parts = found.fiber.firstMultiplicities();
    int common = found.fiber.m;
    for (int a : parts) common = gcd(common, a);
    if (common != 1) {
        throw InputError("lookup " + quoteInput(trimmed(text)) + ": " + label +
                         " is no fiber of the census: gcd(m, a1, ..., ab) = " +
                         std::to_string(common) + ", and the census keeps only gcd 1");
    }
    found.genus = fiberGenus(found.fiber.m, parts);
    found.simpleCrusts = tallySubdivisors(found.fiber, kSimpleCrustOptions, progress);
    throwIfCancelled(progress);
    if (found.simpleCrusts.cancelled) throw Cancelled();
    found.line =
        fiberLineWithCount(found.fiber.m, found.fiber.r, parts, tallyText(found.simpleCrusts),
                           found.simpleCrusts.clamped(), found.genus);
    return found;
}

}  // namespace dorvanix
