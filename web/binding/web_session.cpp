#include "web_session.h"

#include "analysis/analysis_dual_graph.h"
#include "analysis/analysis_summary.h"
#include "files/analysis_records.h"
#include "files/graph_formats.h"
#include "files/list_files.h"
#include "files/quorbel_file.h"
#include "model/arithmetic.h"
#include "model/dual_graph.h"
#include "model/input_check.h"
#include "picture/svg_export.h"

namespace dorvanix::web {

namespace {

const View kCentred{kPictureWidth / 2, kPictureHeight / 2, 1.0};

}  // namespace

WebSession::WebSession(const std::string& x)
    : x_(parseFiberText(x)),
      notation_(fiberNotation(x_)),
      genus_(fiberGenus(x_.m, x_.firstMultiplicities())),
      // A fiber too large to draw is still listed, counted and analysed: only its picture is
      // declined.
      pictureRefusal_(pictureRefusal(x_)) {
    restart();
}

std::string WebSession::select(const std::string& line) {
    SubdivisorLine y = parseSubdivisorLine(x_, line);
    const AnalysisFigures figures = analysisFigures(x_, y);
    pictureRefusal_ = pictureRefusal(x_, chainDiagramNodes(x_, y));
    y_ = std::move(y);
    restart();
    return analysisJson(figures, y_->line).dump();
}

void WebSession::clear() {
    y_.reset();
    pictureRefusal_ = pictureRefusal(x_);
    restart();
}

void WebSession::restart() {
    ticks_ = 0;
    // A picture the core declines is never built.
    picture_.reset();
    if (!pictureRefusal_.empty()) return;
    picture_ = std::make_unique<PictureSession>(x_);
    random_ = std::make_unique<LibraryRandom>();
    if (y_) picture_->choose(y_->line);
}

DrawList WebSession::frameDrawing() {
    if (!pictureRefusal_.empty()) throw InputError(pictureRefusal_);
    // The frame before any tick, painted on a copy: a paint re-centres X, and the tool's
    // frames after T ticks are painted only after each tick.
    if (ticks_ == 0) {
        PictureSession fresh(x_);
        if (y_) fresh.choose(y_->line);
        return fresh.frameAfterTicks(0, LibraryRandom(), kCentred);
    }
    return picture_->frameAfterTicks(0, std::ref(*random_), kCentred);
}

DrawList WebSession::tickDrawing() {
    if (ticks_ >= kMaxPictureTicks || !pictureRefusal_.empty()) return frameDrawing();
    ++ticks_;
    return picture_->frameAfterTicks(1, std::ref(*random_), kCentred);
}

std::string WebSession::frame() {
    return svgDocument(frameDrawing());
}

std::string WebSession::tick() {
    return svgDocument(tickDrawing());
}

std::string WebSession::quorbelFile() const {
    if (!y_) throw InputError("select a sub-divisor first");
    return quorbelFileText(quorbelInputOf(x_, *y_));
}

std::string WebSession::quorbelFileName() const {
    if (!y_) throw InputError("select a sub-divisor first");
    return polynomialFileName(notation_, y_->line);
}

std::string WebSession::graph(const std::string& format) const {
    const DualGraph graph = y_ ? analysisDualGraph(x_, y_->line) : fiberDualGraph(x_);
    if (format == "dot") return dualGraphDot(graph, LayoutMethod::kPlain);
    if (format == "tikz") return dualGraphTikz(graph, LayoutMethod::kPlain);
    return dualGraphJson(graph) + "\n";
}

std::string WebSession::subdivisorListFileName() const {
    return dorvanix::subdivisorListFileName(notation_);
}

}  // namespace dorvanix::web
