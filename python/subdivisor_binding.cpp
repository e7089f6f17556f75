#include <pybind11/stl.h>

#include <cstring>

#include "bindings.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

SubdivisorObject readSubdivisor(const FiberObject& fiber, std::string_view line) {
    return SubdivisorObject{fiber.data, parseSubdivisorLine(*fiber.data, line)};
}

py::dict subdivisorDict(const SubdivisorObject& y) {
    py::dict dict;
    dict["k"] = y.y.k;
    dict["ys"] = py::cast(y.y.ys);
    dict["ell"] = y.y.ell;
    dict["types"] = y.y.types;
    dict["line"] = y.y.line;
    return dict;
}

// `y.line` is read for every listed line in most loops over a listing. pybind11's property goes
// through its generic dispatch for each read; this descriptor reads the C++ object directly and
// makes the str in one step (the line is ASCII).
PyObject* lineOf(PyObject* self, void*) {
    auto* instance = reinterpret_cast<py::detail::instance*>(self);
    const auto* y =
        static_cast<const SubdivisorObject*>(instance->get_value_and_holder().value_ptr());
    if (y == nullptr || !instance->get_value_and_holder().holder_constructed()) {
        PyErr_SetString(PyExc_TypeError, "this Subdivisor was never initialised");
        return nullptr;
    }
    const std::string& line = y->y.line;
    PyObject* text = PyUnicode_New(static_cast<Py_ssize_t>(line.size()), 127);
    if (text == nullptr) return nullptr;
    std::memcpy(PyUnicode_1BYTE_DATA(text), line.data(), line.size());
    return text;
}

PyGetSetDef lineDescriptor{"line", &lineOf, nullptr,
                           "The line as listed: '(k;(...),...):: ell = L :: type = T'.", nullptr};

void installLineDescriptor(SubdivisorClass& subdivisor) {
    auto* type = reinterpret_cast<PyTypeObject*>(subdivisor.ptr());
    const py::object descriptor =
        py::reinterpret_steal<py::object>(PyDescr_NewGetSet(type, &lineDescriptor));
    if (!descriptor) throw py::error_already_set();
    if (PyObject_SetAttrString(subdivisor.ptr(), "line", descriptor.ptr()) != 0) {
        throw py::error_already_set();
    }
}

bool sameSubdivisor(const SubdivisorObject& a, const SubdivisorObject& b) {
    return a.y.line == b.y.line && (a.fiber == b.fiber || *a.fiber == *b.fiber);
}

}  // namespace

void defineSubdivisor(SubdivisorClass& subdivisor) {
    subdivisor.def(py::init(&readSubdivisor), py::arg("fiber"), py::arg("line"),
                   R"doc(The sub-divisor of a fiber that a listed line names.

Args:
    fiber: the fiber X.
    line: a line as listed, such as '(2;(2),(1),(1)):: ell = 1 :: type = CAA'. The part from
        '::' on may be left out; ell and the type letters are then derived.

Raises:
    ValueError: with dorvanix-cli's message, when the line does not fit the fiber (branch count,
        bounds, chains, admission, ell).

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> y = dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))")
    >>> y.k, y.ys, y.ell, y.types
    (3, (2, 2, 2), 1, 'ABB')
)doc");
    subdivisor.def_property_readonly(
        "k", [](const SubdivisorObject& y) { return y.y.k; }, "Core multiplicity of Y.");
    subdivisor.def_property_readonly(
        "ys",
        [](const SubdivisorObject& y) {
            py::tuple tuple(y.y.ys.size());
            for (std::size_t i = 0; i < y.y.ys.size(); ++i) tuple[i] = y.y.ys[i];
            return tuple;
        },
        "Multiplicity of Y on the first curve of each branch (0 for an empty branch).");
    subdivisor.def_property_readonly(
        "ell", [](const SubdivisorObject& y) { return y.y.ell; }, "ell = gcd(k, y1, ..., yb).");
    subdivisor.def_property_readonly(
        "types", [](const SubdivisorObject& y) { return y.y.types; },
        "One branch type letter per branch: '0', 'A', 'B', 'C' or '?'.");
    installLineDescriptor(subdivisor);
    subdivisor.def_property_readonly(
        "notation", [](const SubdivisorObject& y) { return std::string(y.y.notation()); },
        "Y in divisor notation, the part of the line before '::'.");
    subdivisor.def_property_readonly(
        "fiber",
        [](const SubdivisorObject& y) {
            return FiberObject{y.fiber, std::nullopt};
        },
        "The fiber X this is a sub-divisor of.");
    subdivisor.def(
        "to_dict", &subdivisorDict,
        R"doc(The sub-divisor as a dict of plain values: one line of ``dorvanix-cli subdivisors --jsonl``.

Returns:
    dict: k, ys, ell, types and line.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))").to_dict()["types"]
    'ABB'
)doc");
    subdivisor.def(
        "__str__", [](const SubdivisorObject& y) { return y.y.line; }, "The line as listed.");
    subdivisor.def(
        "__repr__",
        [](const SubdivisorObject& y) {
            return "Subdivisor(Fiber('" +
                   fiberLineText(y.fiber->m, y.fiber->r, y.fiber->firstMultiplicities()) + "'), '" +
                   y.y.line + "')";
        },
        "Subdivisor(Fiber('...'), 'line').");
    subdivisor.def(
        "__eq__",
        [](const SubdivisorObject& a, const py::object& other) -> py::object {
            if (!py::isinstance<SubdivisorObject>(other)) {
                return py::reinterpret_borrow<py::object>(Py_NotImplemented);
            }
            return py::bool_(sameSubdivisor(a, other.cast<const SubdivisorObject&>()));
        },
        py::arg("other"), "Equal when the fibers are equal and the lines agree.");
    subdivisor.def(
        "__hash__",
        [](const SubdivisorObject& y) {
            return py::hash(py::make_tuple(fiberNotation(*y.fiber), y.y.line));
        },
        "Hash of the fiber's notation and the line, consistent with ==.");
}

}  // namespace dorvanix::python
