#include "files/quorbel_file.h"

#include <gtest/gtest.h>

#include <string>

#include "census/subdivisor_line.h"
#include "model/input_check.h"

namespace dorvanix {
namespace {

struct Example {
    const char* name;
    const char* x;
    const char* y;
    const char* polynomial;
    const char* branchPolynomial;
    const char* fileName;
};

const Example kExamples[] = {
    {"ell 1, a zero exponent left out", "(3;(2,1),(2,1),(2,1))",
     "(2;(2),(1),(1)):: ell = 1 :: type = CAA", "x*(1-y)*(x^2*y^2*(1-y)-3)-2",
     "(1*y^2-1*(1-y))*y*(1-y)", "3222-2211.qpf"},
    {"ell 2", "(3;(2,1),(2,1),(2,1))", "(2;(2),(2),()):: ell = 2 :: type = BB0",
     "x*(x*y*(1-y)-3)^2-2^2", "(1*y*(1-y)-1)*y*(1-y)", "3222-2220.qpf"},
    {"long chains", "(5;(4,3,2,1),(3,1),(3,1))", "(2;(2,2,2),(2),()):: ell = 2 :: type = BC0",
     "x^3*y^2*(1-y)*(x*y*(1-y)-5)^2-2^2", "(1*y*(1-y)^2-3^3)*y*(1-y)", "5433-2220.qpf"},
    {"odd s gives a plus, negative d moves behind", "(2;(1),(1),(1),(1))",
     "(1;(1),(1),(),()):: ell = 1 :: type = BB00", "x*(2-y)*(x*y*(1-y)-2)-1",
     "(1*y*(1-y)+1*(2-y))*y*(1-y)*(2-y)", "21111-11100.qpf"},
};

TEST(QuorbelFile, WritesTheKnownPolynomials) {
    for (const Example& example : kExamples) {
        SCOPED_TRACE(example.name);
        const FiberData x = parseFiberText(example.x);
        const SubdivisorLine y = parseSubdivisorLine(x, example.y);
        const QuorbelInput input = quorbelInputOf(x, y);
        EXPECT_EQ(quorbelPolynomial(input), example.polynomial);
        EXPECT_EQ(quorbelBranchPolynomial(input), example.branchPolynomial);
        EXPECT_EQ(quorbelFileText(input), std::string("*polynomial\r\n") + example.polynomial +
                                              "\r\n*degenerateloci\r\n0\r\n*branchpoly\r\n" +
                                              example.branchPolynomial + "\r\n");
        EXPECT_EQ(polynomialFileName(example.x, example.y), example.fileName);
    }
    // The name reads the number after every bracket: an empty branch gives 0.
    EXPECT_EQ(polynomialFileName("(3;(2,1),(2,1),(2,1))", "(1;(),(1,1),(1,1))"), "3222-1011.qpf");
    EXPECT_EQ(polynomialFileName("(12;(11,10),(9,6,3),(6))", "(10;(10,9),(9,6),(6))"),
              "121196-101096.qpf");
}

TEST(QuorbelFile, TheLastBranchChangesNothing) {
    QuorbelInput base{5, {4, 3, 3}, 2, {2, 2, 0}, 2};
    const std::string polynomial = quorbelPolynomial(base);
    const std::string branch = quorbelBranchPolynomial(base);
    const struct {
        const char* name;
        long long xLast, yLast;
    } changes[] = {{"larger X", 40, 0}, {"Y on it", 3, 2}, {"both", 17, 11}};
    for (const auto& change : changes) {
        SCOPED_TRACE(change.name);
        QuorbelInput changed = base;
        changed.xFirsts.back() = change.xLast;
        changed.yFirsts.back() = change.yLast;
        EXPECT_EQ(quorbelPolynomial(changed), polynomial);
        EXPECT_EQ(quorbelBranchPolynomial(changed), branch);
    }
}

TEST(QuorbelFile, FactorsOfFurtherBranchesAreNumberedFromTheSecond) {
    // m = 7, k = 3, ell = 1, five branches: factors y, (1-y), (2-y), (3-y).
    const QuorbelInput input{7, {6, 5, 4, 2, 4}, 3, {3, 1, 2, 1, 1}, 1};
    // a = (4, 3, 4, 2, 1), c = (3, 3, 1, 2, 1), g = gcd(4, 3) = 1,
    // d_i = 4 c_i - 3 a_i = (3, -8, 2, 1), s = 3.
    EXPECT_EQ(quorbelPolynomial(input),
              "x^4*y^3*(1-y)^4*(2-y)^2*(3-y)*(x^3*y^3*(1-y)*(2-y)^2*(3-y)-7)-3");
    EXPECT_EQ(quorbelBranchPolynomial(input),
              "(1*y^3*(2-y)^2*(3-y)+4^4*(1-y)^8)*y*(1-y)*(2-y)*(3-y)");
}

}  // namespace
}  // namespace dorvanix
