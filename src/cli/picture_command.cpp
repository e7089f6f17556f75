#include <CLI/CLI.hpp>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>

#include "analysis/subdivisor_analysis.h"
#include "census/subdivisor_line.h"
#include "cli/commands.h"
#include "files/atomic_file.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/input_check.h"
#include "model/node_pool.h"
#include "model/tree_operations.h"
#include "picture/picture_animation.h"
#include "picture/svg_export.h"

namespace dorvanix::cli {

namespace {

// The animation settles after 100 ticks; more only keep it breathing, and the bound keeps a run
// over a large fiber short.
constexpr int kMaxTicks = 1000;

struct PictureArguments {
    std::string x;
    std::string y;
    std::string ticks = "0";
    std::string outputPath;
};

// The trees the picture window would hold after choosing X and selecting Y.
struct PictureTrees {
    NodePool pool;
    Scene scene;
    AnalysisResult analysis;
    int relaxationStarted = 0;
};

void buildFiber(PictureTrees& trees, const FiberData& x) {
    DivisorNode& root = trees.pool.take();
    parseFiberLine(trees.pool, root, fiberLineText(x.m, x.r, x.firstMultiplicities()));
    trees.scene.fiber = &root;
    trees.scene.genus = fiberGenus(x.m, x.firstMultiplicities());
    trees.scene.relaxationStarted = &trees.relaxationStarted;
}

// What Select does with a single selected line: Y is built, X re-centred, and Y analysed into
// the analysis divisor and the chain diagram.
void selectSubdivisor(PictureTrees& trees, const FiberData& x, const SubdivisorLine& y) {
    DivisorNode& root = trees.pool.take();
    buildSelectedDivisor(trees.pool, root, y.line, x.branchCount());
    Scene& scene = trees.scene;
    scene.subdivisor = &root;
    recentreDivisor(*scene.fiber);
    trees.analysis = analyzeSubdivisor(*scene.fiber, root, scene.genus, trees.pool);
    trees.relaxationStarted = 0;
    scene.analysisDivisor = trees.analysis.root;
    scene.analysisChains = trees.analysis.chains;
    scene.analysisChainCount = trees.analysis.chainCount;
}

void runPicture(const PictureArguments& args, CommandContext& context) {
    // Read as typed numbers are everywhere (decimal), not by CLI11, which takes 0x10 for 16.
    const int ticks = parseInputNumber(args.ticks, "--ticks");
    if (ticks < 0 || ticks > kMaxTicks) {
        throw InputError("--ticks must lie in 0 ... " + std::to_string(kMaxTicks) + ", not " +
                         std::to_string(ticks));
    }
    const FiberData x = parseFiberText(args.x);
    std::optional<SubdivisorLine> y;
    if (!args.y.empty()) y = parseSubdivisorLine(x, args.y);

    auto trees = std::make_unique<PictureTrees>();
    buildFiber(*trees, x);
    if (y) selectSubdivisor(*trees, x, *y);

    // Every run draws from the start of the library's sequence, as a freshly started program.
    std::srand(1);
    const RandomSource random = standardRandom();
    PictureAnimation animation;
    for (int t = 0; t < ticks; ++t) animation.tick(trees->scene, random);
    const View view{kPictureWidth / 2, kPictureHeight / 2, 1.0};
    const std::string svg = svgDocument(animation.paint(trees->scene, view));
    if (args.outputPath.empty()) {
        context.out << svg;
    } else {
        writeFileAtomically(args.outputPath, svg);
    }
}

}  // namespace

void addPictureCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<PictureArguments>();
    CLI::App* command = app.add_subcommand(
        "picture", "Draw the picture of a fiber X (and a sub-divisor Y flying onto it) as SVG");
    command->add_option("X", args->x, "the fiber: a fiber line or divisor notation")->required();
    command->add_option("Y", args->y, "a sub-divisor line of X as listed");
    command
        ->add_option("--ticks", args->ticks,
                     "100 ms animation steps before the frame is drawn (default 0)")
        ->option_text("T");
    command->add_option("--output", args->outputPath, "write the SVG to FILE")
        ->option_text("FILE.svg");
    command->callback([args, &context] { runPicture(*args, context); });
}

}  // namespace dorvanix::cli
