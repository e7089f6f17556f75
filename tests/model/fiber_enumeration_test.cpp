#include "model/fiber_enumeration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/fiber_data.h"

namespace dorvanix {
namespace {

const std::string kStars(21, '*');

struct ListRow {
    const char* name;
    int m, r, b;
    FiberOptions options;
    std::vector<std::string> expected;
};

FiberOptions noDuplicates() {
    FiberOptions options;
    options.noDuplicateBranches = true;
    return options;
}

FiberOptions firstMultiplicity(int a1) {
    FiberOptions options;
    options.multiplicityOption = true;
    options.requiredMultiplicities = {a1, 0, 0, 0};
    return options;
}

FiberOptions multiplicities(std::array<int, 4> values) {
    FiberOptions options;
    options.multiplicityOption = true;
    options.requiredMultiplicities = values;
    return options;
}

FiberOptions genus(int g) {
    FiberOptions options;
    options.requiredGenus = g;
    return options;
}

FiberOptions atMostTwo() {
    FiberOptions options;
    options.atMostTwoSimpleCrusts = true;
    return options;
}

TEST(EnumerateFibers, ListsTheKnownFibersInOrder) {
    const ListRow rows[] = {
        {"3,2,3", 3, 2, 3, {}, {"((3,2),2,2,2) : 14 (g=1)"}},
        {"5,2,3", 5, 2, 3, {}, {"((5,2),4,4,2) : 22 (g=2)", "((5,2),4,3,3) : 18 (g=2)"}},
        {"6,2,3: (4,4,4) fails the gcd test", 6, 2, 3, {},
         {"((6,2),5,5,2) : 20 (g=2)", "((6,2),5,4,3) : 9 (g=1)"}},
        {"6,2,3 without duplicate branches", 6, 2, 3, noDuplicates(),
         {"((6,2),5,4,3) : 9 (g=1)"}},
        {"7,2,3", 7, 2, 3, {},
         {"((7,2),6,6,2) : 30 (g=3)", "((7,2),6,5,3) : 21 (g=3)", "((7,2),6,4,4) : 23 (g=3)",
          "((7,2),5,5,4) : 19 (g=3)"}},
        {"7,2,3 with first multiplicity 6", 7, 2, 3, firstMultiplicity(6),
         {"((7,2),6,6,2) : 30 (g=3)", "((7,2),6,5,3) : 21 (g=3)", "((7,2),6,4,4) : 23 (g=3)"}},
        {"2,2,4: only (1,1,1,1)", 2, 2, 4, {}, {"((2,2),1,1,1,1) : 11 (g=1)"}},
        {"required genus nobody has", 5, 2, 3, genus(7), {}},
        {"required genus every fiber has", 5, 2, 3, genus(2),
         {"((5,2),4,4,2) : 22 (g=2)", "((5,2),4,3,3) : 18 (g=2)"}},
        {"required genus picks one", 6, 2, 3, genus(1), {"((6,2),5,4,3) : 9 (g=1)"}},
        {"more branches than m r allows", 3, 2, 7, {}, {}},
        {"m = 2 with three branches has no fiber", 2, 2, 3, {}, {}},
        {"position beyond b never matches", 3, 2, 3, multiplicities({0, 0, 0, 2}), {}},
        {"two positions required", 7, 2, 3, multiplicities({6, 4, 0, 0}),
         {"((7,2),6,4,4) : 23 (g=3)"}},
        {"third position required", 7, 2, 3, multiplicities({0, 0, 4, 0}),
         {"((7,2),6,4,4) : 23 (g=3)", "((7,2),5,5,4) : 19 (g=3)"}},
        {"at most two crusts drops rich fibers", 5, 2, 3, atMostTwo(), {}},
    };
    for (const ListRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fiberLines(row.m, row.r, row.b, row.options), row.expected);
    }
}

TEST(FiberListLine, MarksFibersWithAtMostTwoSimpleCrusts) {
    struct Row {
        const char* name;
        long long crusts;
        const char* expected;
    };
    const Row rows[] = {
        {"none", 0, "((5,2),4,4,2) : 0 (g=2)*********************"},
        {"one", 1, "((5,2),4,4,2) : 1 (g=2)*********************"},
        {"two", 2, "((5,2),4,4,2) : 2 (g=2)*********************"},
        {"three: no mark", 3, "((5,2),4,4,2) : 3 (g=2)"},
        {"many", 123456789012LL, "((5,2),4,4,2) : 123456789012 (g=2)"},
    };
    const int parts[] = {4, 4, 2};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fiberListLine(5, 2, parts, row.crusts, 2), row.expected);
    }
}

// With the option on only the marked lines remain, in the same order.
TEST(EnumerateFibers, AtMostTwoCrustsKeepsExactlyTheMarkedLines) {
    const struct {
        int m, r, b;
    } cases[] = {{5, 2, 4}, {7, 2, 4}, {4, 3, 5}, {9, 2, 3}, {8, 3, 4}, {2, 3, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.m) + "," + std::to_string(c.r) + "," + std::to_string(c.b));
        std::vector<std::string> marked;
        long long seen = 0;
        enumerateFibers(c.m, c.r, c.b, {}, [&](const FiberEntry& fiber) {
            ++seen;
            const std::string line(fiber.line);
            const bool stars = line.size() > kStars.size() &&
                               line.compare(line.size() - kStars.size(), kStars.size(), kStars) == 0;
            EXPECT_EQ(stars, fiber.simpleCrusts <= 2) << line;
            if (stars) marked.push_back(line);
        });
        EXPECT_EQ(fiberLines(c.m, c.r, c.b, atMostTwo()), marked);
        EXPECT_GT(seen, 0);
    }
}

TEST(EnumerateFibers, EntryCarriesPartsCountAndGenusOfItsLine) {
    std::vector<std::string> rebuilt;
    enumerateFibers(7, 3, 4, {}, [&](const FiberEntry& fiber) {
        rebuilt.push_back(fiberListLine(7, 3, fiber.parts, fiber.simpleCrusts, fiber.genus));
        EXPECT_EQ(rebuilt.back(), std::string(fiber.line));
        EXPECT_EQ(fiber.genus, fiberGenus(7, {fiber.parts.begin(), fiber.parts.end()}));
        int sum = 0;
        for (std::size_t i = 0; i < fiber.parts.size(); ++i) {
            sum += fiber.parts[i];
            if (i > 0) {
                EXPECT_LE(fiber.parts[i], fiber.parts[i - 1]) << fiber.line;
            }
        }
        EXPECT_EQ(sum, 21) << fiber.line;
    });
    EXPECT_FALSE(rebuilt.empty());
}

TEST(EnumerateFibers, StopsWhenCancelled) {
    Progress progress;
    progress.cancel();
    int lines = 0;
    EXPECT_FALSE(enumerateFibers(5, 2, 3, {}, [&](const FiberEntry&) { ++lines; }, &progress));
    EXPECT_EQ(lines, 0);
}

TEST(AcceptFiber, AppliesGcdDuplicateAndGenusTests) {
    struct Row {
        const char* name;
        int m;
        std::vector<int> parts;
        bool noDuplicates;
        int genus;
        bool expected;
    };
    const Row rows[] = {
        {"coprime parts", 6, {5, 4, 3}, false, 0, true},
        {"common factor 4 with m = 6", 6, {4, 4, 4}, false, 0, false},
        {"common factor 3", 6, {3, 3, 3, 3}, false, 0, false},
        {"one part coprime is enough", 6, {4, 4, 3, 1}, false, 0, true},
        {"duplicates allowed", 5, {4, 3, 3}, false, 0, true},
        {"duplicates refused", 5, {4, 3, 3}, true, 0, false},
        {"distinct parts pass", 7, {6, 5, 3}, true, 0, true},
        {"right genus", 5, {4, 4, 2}, false, 2, true},
        {"wrong genus", 5, {4, 4, 2}, false, 1, false},
        {"genus 1 of (6;5,4,3)", 6, {5, 4, 3}, false, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(acceptFiber(row.m, row.parts, row.noDuplicates, row.genus), row.expected);
    }
}

TEST(FiberGenus, FollowsRiemannHurwitz) {
    struct Row {
        const char* name;
        int m;
        std::vector<int> parts;
        int expected;
    };
    const Row rows[] = {
        {"(3;2,2,2)", 3, {2, 2, 2}, 1},     {"(5;4,4,2)", 5, {4, 4, 2}, 2},
        {"(6;5,4,3)", 6, {5, 4, 3}, 1},     {"(6;5,5,2)", 6, {5, 5, 2}, 2},
        {"(7;6,6,2)", 7, {6, 6, 2}, 3},     {"(2;1,1,1,1)", 2, {1, 1, 1, 1}, 1},
        {"(2;1 x6)", 2, {1, 1, 1, 1, 1, 1}, 2},
        {"(6;4,4,3,1): gcds 2,2,3,1", 6, {4, 4, 3, 1}, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fiberGenus(row.m, row.parts), row.expected);
    }
}

TEST(BranchChain, FollowsTheContinuedFractionUntilItDivides) {
    struct Row {
        const char* name;
        int m, a;
        std::vector<int> expected;
    };
    const Row rows[] = {
        {"7/5", 7, 5, {5, 3, 1}},       {"m-1 descends by one", 5, 4, {4, 3, 2, 1}},
        {"divides at once", 6, 3, {3}}, {"ends on the gcd", 6, 4, {4, 2}},
        {"a = 1", 9, 1, {1}},           {"7/4", 7, 4, {4, 1}},
        {"12/7", 12, 7, {7, 2, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(branchChain(row.m, row.a), row.expected);
    }
}

}  // namespace
}  // namespace dorvanix
