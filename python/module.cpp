#include <pybind11/pybind11.h>

#include "bindings.h"
#include "dorvanix/version.h"
#include "error_translation.h"

namespace py = pybind11;
using namespace dorvanix::python;

namespace dorvanix::python {

void defineErrors(py::module_&) {
    py::register_exception_translator([](std::exception_ptr error) {
        if (!raiseCoreError(error)) std::rethrow_exception(error);
    });
}

}  // namespace dorvanix::python

PYBIND11_MODULE(dorvanix, module) {
    module.doc() =
        "Star-shaped singular fibers, their sub-divisors and polynomial files: the core of "
        "Dorvanix for scripts and notebooks.\n\n"
        "    import dorvanix\n"
        "    for x in dorvanix.fibers(5, 2, 3):\n"
        "        print(x.line, x.genus, x.count_subdivisors(all_types=True))\n\n"
        "Every number is exact; long calls release the GIL and stop on Ctrl-C.";
    defineErrors(module);
    FiberClass fiber(module, "Fiber",
                     "A star-shaped singular fiber X: a core of multiplicity m and "
                     "self-intersection -r with b branches, each a Hirzebruch-Jung chain.");
    py::class_<AnalysisObject> analysis(
        module, "Analysis", "The figures of the analysis of a sub-divisor (Fiber.analyze).");
    py::class_<FiberIterator> fibers(module, "FiberIterator",
                                     "Lazy iterator over a fiber list (see dorvanix.fibers).");
    py::class_<SubdivisorIterator> subdivisors(
        module, "SubdivisorIterator", "Lazy iterator over a sub-divisor list (Fiber.subdivisors).");
    defineFiber(fiber);
    SubdivisorType::define(module);
    defineListings(module, fiber, fibers, subdivisors);
    defineFiles(module, fiber);
    defineAnalysis(analysis, fiber);
    definePicture(fiber, analysis);
    defineCensus(module, fiber, analysis);
    defineSelfTest(module);
    module.attr("__version__") = DORVANIX_VERSION;
}
