// A sub-divisor line checked against a fiber, then the analysis Select runs and a few hundred ticks
// of the picture's animation. Input: the fiber on the first line, the sub-divisor line on the
// second; any further bytes choose the branch letters, so that every letter meets every branch.
// Nothing may crash, hang or leave a node taken, and the layout must stay finite.
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include "analysis/subdivisor_analysis.h"
#include "census/subdivisor_line.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"
#include "picture/picture_animation.h"

using namespace dorvanix;

namespace {

constexpr int kTicks = 300;

bool small(const FiberData& x) {
    return x.m <= 12 && x.r <= 6 && x.branchCount() <= 6;
}

std::string withLetters(const FiberData& x, const SubdivisorLine& y, const std::string& choice) {
    if (choice.empty()) return y.line;
    std::string letters;
    for (int i = 0; i < x.branchCount(); ++i) {
        const auto byte = static_cast<unsigned char>(choice[i % choice.size()]);
        letters += "0ABC?"[byte % 5];
    }
    return subdivisorLineText(x, y.k, y.ys, y.ell, letters);
}

void checkFinite(const DivisorNode* node) {
    if (node == nullptr) return;
    if (!std::isfinite(node->x) || !std::isfinite(node->y) || std::fabs(node->x) > 1e7 ||
        std::fabs(node->y) > 1e7) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    std::string xText, yText, choice;
    std::getline(input, xText);
    std::getline(input, yText);
    std::getline(input, choice);
    FiberData x;
    SubdivisorLine y;
    try {
        x = parseFiberText(xText);
        if (!small(x)) return 0;
        y = parseSubdivisorLine(x, yText);
    } catch (const InputError&) {
        return 0;
    }
    NodePool pool;
    DivisorNode& xRoot = pool.take();
    parseDivisorNotation(pool, xRoot, fiberNotation(x));
    DivisorNode& yRoot = pool.take();
    buildSelectedDivisor(pool, yRoot, withLetters(x, y, choice), x.branchCount());
    const int genus = fiberGenus(x.m, x.firstMultiplicities());
    AnalysisResult analysis = analyzeSubdivisor(xRoot, yRoot, genus, pool);
    int relaxationStarted = 0;
    const Scene scene{&xRoot,
                      &yRoot,
                      analysis.root,
                      analysis.chains,
                      analysis.chainCount,
                      genus,
                      &relaxationStarted};
    PictureAnimation animation;
    unsigned seed = 1;
    const RandomSource random = [&seed] {
        return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16 & 0x7fff);
    };
    for (int tick = 0; tick < kTicks; ++tick) {
        animation.tick(scene, random);
        if (tick % 25 == 0) animation.paint(scene, View{});
    }
    checkFinite(&xRoot);
    checkFinite(analysis.root);
    releaseAnalysis(pool, analysis);
    releaseBranches(pool, yRoot);
    releaseBranches(pool, xRoot);
    pool.releaseNode(&yRoot);
    pool.releaseNode(&xRoot);
    if (pool.inUseCount() != 0) __builtin_trap();
    return 0;
}
