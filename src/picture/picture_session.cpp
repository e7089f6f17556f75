#include "picture/picture_session.h"

#include "model/arithmetic.h"
#include "model/input_check.h"
#include "picture/svg_export.h"

namespace dorvanix {

void checkTickCount(int ticks, std::string_view name) {
    if (ticks < 0 || ticks > kMaxPictureTicks) {
        throw InputError(std::string(name) + " must lie in 0 ... " +
                         std::to_string(kMaxPictureTicks) + ", not " + std::to_string(ticks));
    }
}

void PictureSession::choose(std::string_view line, const Progress* progress) {
    choice_.choose(line, progress);
    relaxationStarted_ = 0;
    animation_.restart();
}

Scene PictureSession::scene() {
    const AnalysisResult& analysis = choice_.analysis();
    Scene scene;
    scene.fiber = &choice_.fiber();
    scene.subdivisor = choice_.subdivisor();
    scene.analysisDivisor = analysis.root;
    scene.analysisChains = analysis.chains;
    scene.analysisChainCount = analysis.chainCount;
    scene.genus = choice_.genus();
    scene.relaxationStarted = &relaxationStarted_;
    return scene;
}

DrawList PictureSession::frameAfterTicks(int ticks, const RandomSource& random, const View& view,
                                         const Progress* progress) {
    return animation_.frameAfterTicks(scene(), ticks, random, view, progress);
}

namespace {

// A count with its digits in groups of three, "107,912", as every count the user reads is.
std::string groupedDigits(long long count) {
    std::string digits = std::to_string(count);
    const std::size_t first = digits.front() == '-' ? 1 : 0;
    for (std::size_t at = digits.size(); at > first + 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

}  // namespace

std::string pictureRefusal(const FiberData& x, long long chainNodes) {
    long long curves = 1;
    for (const auto& chain : x.chains) curves += static_cast<long long>(chain.size());
    // The nodes of a chain diagram are curves of the picture as much as those of X.
    const std::string limit =
        "more than the " + groupedDigits(kMaxPictureCurves) + " a picture draws";
    if (curves > kMaxPictureCurves) {
        return "the picture would draw X of " + groupedDigits(curves) + " curves, " + limit;
    }
    if (chainNodes > kMaxPictureCurves) {
        return "the picture would draw a chain diagram of " + groupedDigits(chainNodes) +
               " curves, " + limit;
    }
    return {};
}

std::string pictureRefusal(const FiberData& x, const AnalysisResult& analysis) {
    const int genus = fiberGenus(x.m, x.firstMultiplicities());
    const long long chainNodes =
        analysis.proportionalBranch || analysis.chainCount < 0 || genus <= 0
            ? 0
            : static_cast<long long>(analysis.chainCount) * genus;
    return pictureRefusal(x, chainNodes);
}

void checkPictureSize(const FiberData& x, long long chainNodes) {
    if (std::string refusal = pictureRefusal(x, chainNodes); !refusal.empty()) {
        throw InputError(refusal);
    }
}

std::string pictureSvg(const FiberData& x, const SubdivisorLine* y, int ticks,
                       const RandomSource& random, const Progress* progress) {
    checkTickCount(ticks);
    checkPictureSize(x, y != nullptr ? chainDiagramNodes(x, *y) : 0);
    PictureSession session(x);
    if (y != nullptr) session.choose(y->line, progress);
    const View centred{kPictureWidth / 2, kPictureHeight / 2, 1.0};
    return svgDocument(session.frameAfterTicks(ticks, random, centred, progress));
}

}  // namespace dorvanix
