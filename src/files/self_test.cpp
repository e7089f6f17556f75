#include "files/self_test.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <numeric>
#include <set>
#include <sstream>
#include <vector>

#include "census/fiber_enumeration.h"
#include "census/genus_census.h"
#include "census/subdivisor_count.h"
#include "census/subdivisor_listing.h"
#include "files/fiber_lookup.h"
#include "model/arithmetic.h"
#include "model/big_count.h"
#include "model/dual_graph.h"
#include "model/fiber_label.h"
#include "model/input_check.h"

namespace dorvanix {

namespace {

// What a check found: empty `failure` when it holds.
struct Finding {
    std::string detail;
    std::string failure;
};

// Every fiber of the census of a genus, as numbers.
std::vector<CensusShape> censusShapes(int genus) {
    return genusShapes(genus);
}

// Kodaira's fibers of types I0*, IV*, III*, II* are the extended Dynkin diagrams D4~, E6~, E7~,
// E8~: (-2)-curves in a star whose legs have these lengths, with the multiplicities of the null
// vector of the intersection matrix. Along a leg of length L those fall by c / (L + 1) a curve
// from the centre's c, so c is the least common multiple of the L + 1, and the centre itself is
// numerically trivial when the first curves of the legs add up to 2c.
struct KodairaType {
    const char* name;
    std::vector<int> legs;
};

const KodairaType kKodairaTypes[] = {
    {"I0*", {1, 1, 1, 1}}, {"IV*", {2, 2, 2}}, {"III*", {3, 3, 1}}, {"II*", {5, 2, 1}}};

Finding kodairaFibers(const Progress*) {
    std::vector<std::pair<const char*, FiberData>> expected;
    std::ostringstream detail;
    for (const KodairaType& type : kKodairaTypes) {
        int centre = 1;
        for (int length : type.legs) centre = std::lcm(centre, length + 1);
        FiberData fiber{centre, 0, {}};
        long long firstSum = 0;
        for (int length : type.legs) {
            std::vector<int> chain;
            for (int i = 1; i <= length; ++i)
                chain.push_back(centre * (length + 1 - i) / (length + 1));
            firstSum += chain.front();
            fiber.chains.push_back(chain);
        }
        if (firstSum != 2LL * centre) return {{}, std::string(type.name) + " is not a fiber"};
        fiber.r = 2;
        std::sort(fiber.chains.begin(), fiber.chains.end(), std::greater<>());
        expected.emplace_back(type.name, fiber);
    }
    const std::vector<CensusShape> census = censusShapes(1);
    if (census.size() != expected.size()) {
        return {{},
                "the census of genus 1 has " + std::to_string(census.size()) + " fibers, not " +
                    std::to_string(expected.size())};
    }
    std::set<std::string> matched;
    for (const CensusShape& shape : census) {
        const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
        const DualGraph graph = fiberDualGraph(x);
        const bool allMinusTwo =
            std::all_of(graph.vertices.begin(), graph.vertices.end(),
                        [](const DualVertex& v) { return v.selfIntersection == -2; });
        const auto found = std::find_if(expected.begin(), expected.end(),
                                        [&](const auto& type) { return type.second == x; });
        if (!allMinusTwo || found == expected.end()) {
            return {{}, fiberLineText(x.m, x.r, shape.parts) + " is none of Kodaira's types"};
        }
        matched.insert(found->first);
        detail << (matched.size() == 1 ? "" : ", ") << found->first << " = "
               << fiberLineText(x.m, x.r, shape.parts);
    }
    if (matched.size() != expected.size()) return {{}, "a Kodaira type is missing"};
    return {detail.str(), {}};
}

Finding numericallyTrivial(const Progress* progress) {
    long long fibers = 0;
    for (int genus = 1; genus <= 8; ++genus) {
        for (const CensusShape& shape : censusShapes(genus)) {
            throwIfCancelled(progress);
            const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
            const DualGraph graph = fiberDualGraph(x);
            const std::vector<std::vector<int>> matrix = intersectionMatrix(graph);
            long long canonical = 0;
            for (std::size_t i = 0; i < matrix.size(); ++i) {
                long long dot = 0;
                for (std::size_t j = 0; j < matrix.size(); ++j) {
                    dot += static_cast<long long>(matrix[i][j]) * graph.vertices[j].multiplicity;
                }
                if (dot != 0) {
                    return {{},
                            fiberLineText(x.m, x.r, shape.parts) + ": curve " + std::to_string(i) +
                                " is not numerically trivial"};
                }
                canonical += graph.vertices[i].multiplicity * (-2LL - matrix[i][i]);
            }
            if (canonical != 2LL * genus - 2 || fiberGenus(x.m, shape.parts) != genus) {
                return {{},
                        fiberLineText(x.m, x.r, shape.parts) + ": adjunction gives 2g - 2 = " +
                            std::to_string(canonical) + ", Riemann-Hurwitz genus " +
                            std::to_string(fiberGenus(x.m, shape.parts))};
            }
            ++fibers;
        }
    }
    return {std::to_string(fibers) + " fibers", {}};
}

Finding censusIsTheFilteredLists(const Progress* progress) {
    long long lines = 0;
    for (int genus = 2; genus <= 10; ++genus) {
        std::vector<std::string> census;
        censusByGenus(genus, [&](const CensusFiber& f) { census.emplace_back(f.line); });
        const GenusBounds bounds = genusBounds(genus);
        FiberOptions options;
        options.requiredGenus = genus;
        std::vector<std::string> lists;
        for (int m = 2; m <= bounds.maxM; ++m) {
            throwIfCancelled(progress);
            for (int r = 2; r <= bounds.maxR; ++r) {
                for (int b = 3; b <= bounds.maxB; ++b) {
                    for (std::string& line : fiberLines(m, r, b, options)) {
                        lists.push_back(std::move(line));
                    }
                }
            }
        }
        if (census != lists) {
            return {{},
                    "genus " + std::to_string(genus) + ": the census has " +
                        std::to_string(census.size()) + " lines, the fiber lists " +
                        std::to_string(lists.size()) +
                        (census.size() == lists.size() ? ", not the same" : "")};
        }
        lines += static_cast<long long>(census.size());
    }
    return {std::to_string(lines) + " fibers", {}};
}

Finding countsAgreeWithTheListing(const Progress* progress) {
    const SubdivisorOptions optionSets[] = {kSimpleCrustOptions,
                                            {0, false, false},
                                            {1, false, true},
                                            {-1, false, false},
                                            {0, true, true}};
    long long counts = 0;
    for (int m = 2; m <= 8; ++m) {
        for (int r = 2; r <= 3; ++r) {
            for (int b = 3; b <= 5; ++b) {
                for (const SubdivisorOptions& options : optionSets) {
                    PrefixTally kept(m, r, b, options);
                    const bool listed = enumerateFibers(m, r, b, {}, [&](const FiberEntry& f) {
                        const std::vector<int> parts(f.parts.begin(), f.parts.end());
                        const FiberData x = fiberFromParts(m, r, parts);
                        long long lines = 0;
                        listSubdivisors(x, options, [&](const Subdivisor&) { ++lines; });
                        const BigCount expected = bigCountOf(static_cast<WideCount>(lines));
                        if (tallySubdivisors(x, options).exact() != expected ||
                            tallySubdivisorsByGcdTable(x, options).exact() != expected ||
                            kept.count(parts, nullptr).exact() != expected ||
                            (options == kSimpleCrustOptions && f.simpleCrusts != lines)) {
                            throw std::logic_error(std::string(f.line));
                        }
                        ++counts;
                    });
                    throwIfCancelled(progress);
                    static_cast<void>(listed);
                }
            }
        }
    }
    return {std::to_string(counts) + " counts of fibers with m <= 8, r <= 3, b <= 5", {}};
}

Finding linesReadBack(const Progress* progress) {
    long long fibers = 0;
    std::set<std::string> labels;
    for (int genus = 1; genus <= 8; ++genus) {
        std::vector<std::pair<CensusShape, std::string>> census;
        censusByGenus(genus, [&](const CensusFiber& f) { census.emplace_back(f.shape, f.line); });
        for (const auto& [shape, line] : census) {
            throwIfCancelled(progress);
            const FiberData x = fiberFromParts(shape.m, shape.r, shape.parts);
            const std::string label = fiberLabel(x);
            if (parseFiberText(line) != x || parseFiberText(label) != x ||
                lookupFiber(label).line != line || !labels.insert(label).second) {
                return {{}, line + " (" + label + ") does not read back"};
            }
            ++fibers;
        }
    }
    return {std::to_string(fibers) + " lines and labels", {}};
}

}  // namespace

bool runSelfTest(const std::function<void(const SelfTestCheck&)>& report, Progress* progress) {
    using Clock = std::chrono::steady_clock;
    const struct {
        const char* name;
        Finding (*check)(const Progress*);
    } checks[] = {
        {"the fibers of genus 1 are Kodaira's I0*, IV*, III*, II*", kodairaFibers},
        {"every fiber of genus <= 8 is numerically trivial, adjunction gives its genus",
         numericallyTrivial},
        {"the census of genus 2 to 10 is the fiber lists filtered by genus",
         censusIsTheFilteredLists},
        {"the counts agree with the listing", countsAgreeWithTheListing},
        {"every census line and label of genus <= 8 reads back to its fiber", linesReadBack},
    };
    bool all = true;
    for (const auto& [name, check] : checks) {
        if (stopRequested(progress)) return false;
        const Clock::time_point start = Clock::now();
        SelfTestCheck done{name, false, {}, 0};
        try {
            const Finding found = check(progress);
            done.passed = found.failure.empty();
            done.detail = done.passed ? found.detail : found.failure;
        } catch (const Cancelled&) {
            return false;
        } catch (const std::exception& error) {
            done.detail = std::string("failed at ") + error.what();
        }
        done.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        all = all && done.passed;
        report(done);
    }
    return all;
}

std::string selfTestLine(const SelfTestCheck& check) {
    std::ostringstream line;
    line << (check.passed ? "ok   " : "FAIL ") << check.name << ": " << check.detail << " ("
         << std::fixed << std::setprecision(2) << check.seconds << " s)";
    return line.str();
}

std::string selfTestSummary(int passed, int total) {
    return std::to_string(passed) + " of " + std::to_string(total) + " checks hold";
}

}  // namespace dorvanix
