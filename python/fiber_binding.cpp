#include <pybind11/stl.h>

#include "bindings.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

py::tuple intTuple(const std::vector<int>& values) {
    py::tuple tuple(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) tuple[i] = values[i];
    return tuple;
}

py::tuple chainsTuple(const FiberData& fiber) {
    py::tuple tuple(fiber.chains.size());
    for (std::size_t i = 0; i < fiber.chains.size(); ++i) tuple[i] = intTuple(fiber.chains[i]);
    return tuple;
}

py::dict fiberDict(FiberObject& fiber) {
    py::dict dict;
    dict["label"] = fiber.label();
    dict["m"] = fiber.data->m;
    dict["r"] = fiber.data->r;
    dict["branches"] = py::cast(fiber.parts());
    dict["chains"] = py::cast(fiber.data->chains);
    dict["genus"] = fiber.genus();
    dict["simple_crust_count"] = exactInt(fiber.simpleCrustDigits());
    dict["line"] = fiber.listLine();
    dict["notation"] = fiber.notation();
    return dict;
}

}  // namespace

void defineFiber(FiberClass& fiber) {
    fiber.def(py::init([](std::string_view text) { return FiberObject::fromText(text); }),
              py::arg("text"),
              R"doc(A fiber from its text, checked as dorvanix-cli checks it.

Args:
    text: a fiber line such as '((3,2),2,2,2)' (the list's annotation ' : 14 (g=1)' may
        follow), divisor notation such as '(3;(2,1),(2,1),(2,1))' or a label such as
        '1.3.2.2-2-2'.

Raises:
    ValueError: with the tool's message, unless m >= 2, r >= 2, there are at least 3 branches,
        each first multiplicity is in 1 ... m-1, their sum is m*r and every chain follows the
        continued-fraction rule.

Example:
    >>> x = dorvanix.Fiber("(5;(4,3,2,1),(3,1),(3,1))")
    >>> x.line, x.label, x.genus
    ('((5,2),4,3,3) : 18 (g=2)', '2.5.2.4-3-3', 2)
    >>> x == dorvanix.Fiber("2.5.2.4-3-3")
    True
)doc");
    fiber.def_property_readonly(
        "m", [](const FiberObject& x) { return x.data->m; }, "Multiplicity of the core.");
    fiber.def_property_readonly(
        "r", [](const FiberObject& x) { return x.data->r; }, "The core's self-intersection is -r.");
    fiber.def_property_readonly(
        "branches", [](const FiberObject& x) { return intTuple(x.parts()); },
        "The first-branch multiplicities a1, ..., ab, in branch order.");
    fiber.def_property_readonly(
        "chains", [](const FiberObject& x) { return chainsTuple(*x.data); },
        "Each branch's multiplicities from the core outward, one tuple per branch.");
    fiber.def_property_readonly("genus", &FiberObject::genus,
                                "Genus g of the fiber (Riemann-Hurwitz).");
    fiber.def_property_readonly(
        "simple_crust_count", [](FiberObject& x) { return exactInt(x.simpleCrustDigits()); },
        "Number of sub-divisors whose branches are all of type A, B, C or 0. Known for a fiber "
        "of dorvanix.fibers(); counted on first use (interruptibly) for a typed fiber. An exact "
        "int at any size.");
    fiber.def_property_readonly("line", &FiberObject::listLine,
                                "The fiber's line as the fiber list shows it, "
                                "'((m,r),a1,...,ab) : n (g=g)', with 21 asterisks when n <= 2.");
    fiber.def_property_readonly(
        "label", &FiberObject::label,
        "The fiber's label 'G.m.r.a1-a2-...-ab': genus, m, r and the first-branch "
        "multiplicities largest first, e.g. '2.5.2.4-4-2'. It names the fiber once: the fiber is "
        "its m, r and the multiset of first multiplicities, written largest first; G and r follow "
        "from them and are checked. Fiber(label) reads it back.");
    fiber.def_property_readonly("notation", &FiberObject::notation,
                                "The fiber in divisor notation, '(m;(c1,c2,...),...)'.");
    fiber.def(
        "to_dict", &fiberDict,
        R"doc(The fiber as a dict of plain values: one line of ``dorvanix-cli fibers --jsonl``.

Returns:
    dict: label, m, r, branches, chains, genus, simple_crust_count, line and notation.

Example:
    >>> dorvanix.Fiber("((5,2),4,3,3)").to_dict()["chains"]
    [[4, 3, 2, 1], [3, 1], [3, 1]]
)doc");
    fiber.def("__str__", &FiberObject::listLine, "The fiber's line as listed.");
    fiber.def(
        "__repr__", [](const FiberObject& x) { return "Fiber('" + x.plainLine() + "')"; },
        "Fiber('((m,r),a1,...,ab)').");
    fiber.def(
        "__eq__",
        [](const FiberObject& x, const py::object& other) -> py::object {
            if (!py::isinstance<FiberObject>(other))
                return py::reinterpret_borrow<py::object>(Py_NotImplemented);
            return py::bool_(*x.data == *other.cast<const FiberObject&>().data);
        },
        py::arg("other"), "Equal when m, r and every chain agree, branch by branch.");
    fiber.def(
        "__hash__", [](const FiberObject& x) { return py::hash(py::str(x.notation())); },
        "Hash of the divisor notation, consistent with ==.");
    fiber.def(py::pickle([](const FiberObject& x) { return x.notation(); },
                         [](const std::string& text) { return FiberObject::fromText(text); }));
}

}  // namespace dorvanix::python
