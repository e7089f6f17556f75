#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analysis_object.h"
#include "fiber_object.h"
#include "listing_iterators.h"

namespace dorvanix::python {

using FiberClass = pybind11::class_<FiberObject>;

// A record the core writes as JSON, as Python objects: the tool's lines and the module's dicts
// share their keys by being made by the same code.
inline pybind11::object jsonObject(const std::string& text) {
    return pybind11::module_::import("json").attr("loads")(text);
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
void defineSelfTest(pybind11::module_& module);

}  // namespace dorvanix::python
