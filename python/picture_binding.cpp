#include "bindings.h"
#include "interruptible_wait.h"
#include "picture/library_random.h"
#include "picture/picture_session.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

// The animation settles after this many 100 ms ticks: X with the analysis divisor and the
// chain diagram at rest.
constexpr int kSettledTicks = 100;

// The picture after `ticks` ticks, drawn from the start of the library's random sequence every
// time, as `dorvanix-cli picture` draws it; on a worker thread, so that Ctrl-C stops a picture
// of a large analysis.
std::string pictureAfter(const FiberData& x, const SubdivisorLine* y, int ticks) {
    return runInterruptibly<std::string>(
        [&](Progress& progress) { return pictureSvg(x, y, ticks, LibraryRandom(), &progress); });
}

std::string picture(const FiberObject& fiber, const std::optional<SubdivisorObject>& y, int ticks) {
    std::optional<SubdivisorLine> line;
    if (y) line = subdivisorOf(fiber, *y);
    const std::shared_ptr<const FiberData> data = fiber.data;
    return pictureAfter(*data, line ? &*line : nullptr, ticks);
}

}  // namespace

void definePicture(FiberClass& fiber, py::class_<AnalysisObject>& analysis) {
    fiber.def("picture", &picture, py::arg("subdivisor") = py::none(), py::arg("ticks") = 0,
              R"doc(The picture as SVG text, as ``dorvanix-cli picture`` draws it.

Args:
    subdivisor: None for X alone, or a Subdivisor of this fiber, selected and analysed.
    ticks: 100 ms animation steps (0 ... 1000): 1 to 49 fly Y onto X, 50 shows Y, from 51 the
        chain diagram flies out and the analysis divisor settles (about 100).

Returns:
    str: a 1024 x 768 SVG document, the same on every run and platform.

Raises:
    ValueError: for ticks outside 0 ... 1000, a sub-divisor not of this fiber, or a picture of
        more than 100000 curves.
    KeyboardInterrupt: on Ctrl-C.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> svg = x.picture(dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))"), ticks=80)
    >>> svg.startswith("<?xml")
    True
)doc");
    fiber.def(
        "_repr_svg_", [](const FiberObject& x) { return picture(x, std::nullopt, 0); },
        "The fiber's picture, for Jupyter.");
    analysis.def(
        "picture",
        [](const AnalysisObject& a, int ticks) {
            return pictureAfter(*a.fiber, &a.subdivisor, ticks);
        },
        py::arg("ticks") = kSettledTicks,
        R"doc(The picture of the analysed sub-divisor as SVG text.

Args:
    ticks: animation steps, as for Fiber.picture(); by default the settled analysis divisor and
        chain diagram.

Returns:
    str: the SVG document.

Raises:
    ValueError: for ticks outside 0 ... 1000.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> a = x.analyze(dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))"))
    >>> a.picture() == x.picture(a.subdivisor, ticks=100)
    True
)doc");
    analysis.def(
        "_repr_svg_",
        [](const AnalysisObject& a) {
            return pictureAfter(*a.fiber, &a.subdivisor, kSettledTicks);
        },
        "The settled picture of the analysis, for Jupyter.");
}

}  // namespace dorvanix::python
