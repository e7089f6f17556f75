#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <string_view>

#include "census/subdivisor_line.h"
#include "fiber_object.h"

namespace dorvanix::python {

// `dorvanix.Subdivisor`, a type made with the C API rather than a pybind11 class. A listing makes
// one per line, most often only to read its `.line`: a pybind11 instance costs a C++ object on
// the heap, its holder and an entry in pybind11's table of live instances, besides the line's
// copy, which took about 330 ns a line. Here an object is one small allocation of Python's own
// that holds the line as a str made once from the listing's text and a reference to the fiber
// the whole listing shares; k, ys, ell and the letters are read from the line only when asked
// for. The objects never change once made.
class SubdivisorType {
  public:
    // Makes the type and adds it to the module.
    static void define(pybind11::module_& module);

    // The fiber as the objects of one listing share it: each holds a reference to this object
    // rather than a copy of the shared pointer.
    static pybind11::object shareFiber(std::shared_ptr<const FiberData> fiber);
    // A new Subdivisor of the fiber `sharedFiber` (made by shareFiber) whose line, as the listing
    // writes it, is `line`; throws error_already_set when Python is out of memory.
    static pybind11::object make(const pybind11::object& sharedFiber, std::string_view line);

    static bool check(PyObject* object);
    // A Subdivisor as the core's calls take it.
    static SubdivisorObject read(PyObject* object);
};

}  // namespace dorvanix::python

namespace pybind11::detail {

// Lets pybind11's functions take and give Subdivisor objects as SubdivisorObject.
template <>
struct type_caster<dorvanix::python::SubdivisorObject> {
    PYBIND11_TYPE_CASTER(dorvanix::python::SubdivisorObject, const_name("dorvanix.Subdivisor"));

    bool load(handle source, bool) {
        if (!dorvanix::python::SubdivisorType::check(source.ptr())) return false;
        value = dorvanix::python::SubdivisorType::read(source.ptr());
        return true;
    }

    static handle cast(const dorvanix::python::SubdivisorObject& y, return_value_policy, handle) {
        using dorvanix::python::SubdivisorType;
        return SubdivisorType::make(SubdivisorType::shareFiber(y.fiber), y.y.line).release();
    }
};

}  // namespace pybind11::detail
