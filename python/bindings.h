#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analysis_object.h"
#include "fiber_object.h"
#include "listing_iterators.h"

namespace dorvanix::python {

using FiberClass = pybind11::class_<FiberObject>;

// -1 stands for "none" in the core (no parent, or ended by a proportional branch); Python says
// None.
inline pybind11::object definedOrNone(long long value) {
    return value < 0 ? pybind11::none() : pybind11::object(pybind11::int_(value));
}
using SubdivisorClass = pybind11::class_<SubdivisorObject>;

// Each fills in one part of the module; the classes are declared first so that every signature
// names them.
void defineErrors(pybind11::module_& module);
void defineFiber(FiberClass& fiber);
void defineSubdivisor(SubdivisorClass& subdivisor);
void defineListings(pybind11::module_& module, FiberClass& fiber,
                    pybind11::class_<FiberIterator>& fibers,
                    pybind11::class_<SubdivisorIterator>& subdivisors);
void defineFiles(pybind11::module_& module, FiberClass& fiber);
void defineAnalysis(pybind11::class_<AnalysisObject>& analysis, FiberClass& fiber);
void definePicture(FiberClass& fiber, pybind11::class_<AnalysisObject>& analysis);
void defineCensus(pybind11::module_& module, FiberClass& fiber,
                  pybind11::class_<AnalysisObject>& analysis);

}  // namespace dorvanix::python
