#include "bindings.h"
#include "interruptible_wait.h"
#include "picture_render.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

// Drawn on a worker thread, so that Ctrl-C stops a picture of a large analysis.
std::string drawn(const FiberData& x, const std::optional<SubdivisorLine>& y, int ticks) {
    return runInterruptibly<std::string>(
        [&](Progress& progress) { return pictureSvg(x, y, ticks, progress); });
}

std::string picture(const FiberObject& fiber, const std::optional<SubdivisorObject>& y, int ticks) {
    std::optional<SubdivisorLine> line;
    if (y) line = subdivisorOf(fiber, *y);
    return drawn(*fiber.data, line, ticks);
}

}  // namespace

void definePicture(FiberClass& fiber, py::class_<AnalysisObject>& analysis) {
    fiber.def("picture", &picture, py::arg("subdivisor") = py::none(), py::arg("ticks") = 0,
              "The picture as SVG text, as `dorvanix-cli picture` draws it: X alone, or with "
              "the sub-divisor selected (and analysed) after `ticks` 100 ms animation steps "
              "(0 ... 1000): 1 to 49 fly Y onto X, 50 shows Y, from 51 the chain diagram flies "
              "out and the analysis divisor settles (about 100).");
    fiber.def(
        "_repr_svg_", [](const FiberObject& x) { return picture(x, std::nullopt, 0); },
        "The fiber's picture, for Jupyter.");
    analysis.def(
        "picture",
        [](const AnalysisObject& a, int ticks) { return drawn(*a.fiber, a.subdivisor, ticks); },
        py::arg("ticks") = kSettledTicks,
        "The picture of the analysed sub-divisor after `ticks` animation steps (by default "
        "the settled analysis divisor and chain diagram), as SVG text.");
    analysis.def(
        "_repr_svg_",
        [](const AnalysisObject& a) { return drawn(*a.fiber, a.subdivisor, kSettledTicks); },
        "The settled picture of the analysis, for Jupyter.");
}

}  // namespace dorvanix::python
