#include "census/census_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "census/fiber_enumeration.h"
#include "census/genus_census.h"

namespace dorvanix {
namespace {

struct FilterCase {
    const char* name;
    int genus;
    FiberOptions options;
};

FiberOptions options(bool noDuplicates, std::array<int, 4> required, bool atMostTwo) {
    FiberOptions o;
    o.noDuplicateBranches = noDuplicates;
    o.multiplicityOption = required != std::array<int, 4>{};
    o.requiredMultiplicities = required;
    o.atMostTwoSimpleCrusts = atMostTwo;
    return o;
}

// A census of genus G kept under the fiber list's options holds exactly the fibers that the
// fiber lists of every (m, r, b) give with genus G required and the same options.
TEST(CensusFilter, KeepsWhatTheFiberListsOfEveryMRBKeep) {
    const std::vector<FilterCase> cases = {
        {"no options", 2, {}},
        {"no two equal branches", 3, options(true, {}, false)},
        {"first multiplicity 5", 2, options(false, {5, 0, 0, 0}, false)},
        {"second and third 2", 3, options(false, {0, 2, 2, 0}, false)},
        {"a fourth multiplicity", 2, options(false, {0, 0, 0, 1}, false)},
        {"a fourth multiplicity past some fibers' branches", 3,
         options(false, {0, 0, 0, 2}, false)},
        {"at most two simple crusts", 6, options(false, {}, true)},
        {"all at once", 6, options(true, {8, 0, 0, 0}, true)},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> kept;
        censusByGenus(c.genus, [&](const CensusFiber& fiber) {
            if (censusFiberPasses(c.options, fiber)) kept.emplace_back(fiber.line);
        });
        FiberOptions listed = c.options;
        listed.requiredGenus = c.genus;
        std::vector<std::string> expected;
        const GenusBounds bounds = genusBounds(c.genus);
        for (int m = 2; m <= bounds.maxM; ++m) {
            for (int r = 2; r <= bounds.maxR; ++r) {
                for (int b = 3; b <= bounds.maxB; ++b) {
                    enumerateFibers(m, r, b, listed, [&](const FiberEntry& entry) {
                        expected.emplace_back(entry.line);
                    });
                }
            }
        }
        EXPECT_EQ(kept, expected);
        EXPECT_FALSE(kept.empty());
    }
}

}  // namespace
}  // namespace dorvanix
