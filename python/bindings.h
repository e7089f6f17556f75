#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analysis_object.h"
#include "fiber_object.h"
#include "listing_iterators.h"
#include "subdivisor_type.h"

namespace dorvanix::python {

using FiberClass = pybind11::class_<FiberObject>;

// A record the core writes as JSON, as Python objects: the tool's lines and the module's dicts
// share their keys by being made by the same code.
inline pybind11::object jsonObject(const std::string& text) {
    return pybind11::module_::import("json").attr("loads")(text);
}

// A whole number from Python (int, numpy or Sage integers: anything with __index__), read
// through the same check as a number typed on the command line, so that the limits and the
// messages agree.
int wholeNumber(const pybind11::handle& value, const std::string& what);

// A count the core gives in decimal digits (exact at any size) as a Python int.
inline pybind11::int_ exactInt(const std::string& digits) {
    PyObject* number = PyLong_FromString(digits.c_str(), nullptr, 10);
    if (number == nullptr) throw pybind11::error_already_set();
    return pybind11::reinterpret_steal<pybind11::int_>(number);
}

// Each fills in one part of the module; the classes are declared first so that every signature
// names them.
void defineErrors(pybind11::module_& module);
void defineFiber(FiberClass& fiber);
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
