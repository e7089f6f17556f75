#include "subdivisor_type.h"

#include <pybind11/stl.h>
#include <structmember.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "error_translation.h"
#include "model/fiber_data.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

// A Subdivisor object: its line and the fiber. The numbers are read from the line when asked for.
struct Item {
    PyObject head;
    PyObject* line;         // str
    PyObject* sharedFiber;  // capsule of a std::shared_ptr<const FiberData>
    PyObject* weakrefs;
};

using FiberPointer = std::shared_ptr<const FiberData>;
constexpr const char* kFiberCapsule = "dorvanix.FiberData";

PyTypeObject* subdivisorType = nullptr;

Item* itemOf(PyObject* self) {
    return reinterpret_cast<Item*>(self);
}
const FiberPointer& fiberOf(const Item* item) {
    return *static_cast<const FiberPointer*>(
        PyCapsule_GetPointer(item->sharedFiber, kFiberCapsule));
}
// The line's characters: those of an ASCII str, as it holds them.
std::string_view lineOf(const Item* item) {
    if (PyUnicode_IS_ASCII(item->line)) {
        return {static_cast<const char*>(PyUnicode_DATA(item->line)),
                static_cast<std::size_t>(PyUnicode_GET_LENGTH(item->line))};
    }
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(item->line, &size);
    return {text, static_cast<std::size_t>(size)};
}

// The numbers of a line as the listing writes it, "(k;(y1,...),...,()):: ell = L :: type = T",
// where each branch's chain starts with y and an empty branch is "()". Every Subdivisor holds
// such a line: it comes from a listing, or was read and written out again.
// So it is read here without the checks of parseSubdivisorLine, which follows every chain and
// takes some thirty times as long: a listing read attribute by attribute pays this on each line.
class LineNumbers {
  public:
    explicit LineNumbers(std::string_view line) : line_(line) {
        k = static_cast<int>(number(1));
        std::size_t at = line_.find(';') + 1;
        while (at < line_.size() && line_[at] == '(') {
            const bool empty = at + 1 >= line_.size() || line_[at + 1] == ')';
            ys.push_back(empty ? 0 : static_cast<int>(number(at + 1)));
            at = line_.find(')', at) + 1;
            if (at < line_.size() && line_[at] == ',') ++at;
        }
        const std::size_t gcd = line_.find("ell = ");
        if (gcd != std::string_view::npos) ell = number(gcd + 6);
        const std::size_t letters = line_.find("type = ");
        if (letters != std::string_view::npos) types = line_.substr(letters + 7);
    }

    int k = 0;
    std::vector<int> ys;
    long long ell = 0;
    std::string_view types;

  private:
    long long number(std::size_t at) const {
        long long value = 0;
        if (at < line_.size()) {
            std::from_chars(line_.data() + at, line_.data() + line_.size(), value);
        }
        return value;
    }

    std::string_view line_;
};

// Whether every character is ASCII, eight at a time.
bool isAscii(std::string_view text) {
    std::uint64_t bits = 0;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, 8);
        bits |= word;
    }
    for (; at < text.size(); ++at) bits |= static_cast<unsigned char>(text[at]);
    return (bits & 0x8080808080808080u) == 0;
}

// The lines are ASCII (digits, punctuation, the letters 0ABC? and "ell", "type"), copied as they
// are into a str; anything else would be read as UTF-8.
PyObject* lineText(std::string_view line) {
    if (!isAscii(line)) {
        return PyUnicode_DecodeUTF8(line.data(), static_cast<Py_ssize_t>(line.size()), "strict");
    }
    PyObject* text = PyUnicode_New(static_cast<Py_ssize_t>(line.size()), 127);
    if (text != nullptr) std::memcpy(PyUnicode_1BYTE_DATA(text), line.data(), line.size());
    return text;
}

// Runs `body` and turns a C++ exception into the Python one it stands for.
template <typename Body>
PyObject* guarded(Body&& body) {
    try {
        return body();
    } catch (py::error_already_set& raised) {
        raised.restore();
    } catch (...) {
        raiseAnyError(std::current_exception());
    }
    return nullptr;
}

void dealloc(PyObject* self) {
    Item* item = itemOf(self);
    if (item->weakrefs != nullptr) PyObject_ClearWeakRefs(self);
    Py_XDECREF(item->line);
    Py_XDECREF(item->sharedFiber);
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

PyObject* newSubdivisor(PyTypeObject*, PyObject* args, PyObject* keywords) {
    static const char* names[] = {"fiber", "line", nullptr};
    PyObject* fiber = nullptr;
    PyObject* line = nullptr;
    if (PyArg_ParseTupleAndKeywords(args, keywords, "OU:Subdivisor", const_cast<char**>(names),
                                    &fiber, &line) == 0) {
        return nullptr;
    }
    return guarded([&] {
        py::detail::make_caster<FiberObject> x;
        if (!x.load(fiber, true)) {
            PyErr_SetString(PyExc_TypeError, "Subdivisor(): fiber must be a dorvanix.Fiber");
            return static_cast<PyObject*>(nullptr);
        }
        const FiberObject& data = py::detail::cast_op<const FiberObject&>(x);
        Py_ssize_t size = 0;
        const char* text = PyUnicode_AsUTF8AndSize(line, &size);
        if (text == nullptr) throw py::error_already_set();
        const SubdivisorLine y =
            parseSubdivisorLine(*data.data, std::string_view(text, static_cast<std::size_t>(size)));
        return SubdivisorType::make(SubdivisorType::shareFiber(data.data), y.line).release().ptr();
    });
}

PyObject* newReference(PyObject* object) {
    Py_INCREF(object);
    return object;
}

PyObject* getK(PyObject* self, void*) {
    return PyLong_FromLong(LineNumbers(lineOf(itemOf(self))).k);
}
PyObject* getEll(PyObject* self, void*) {
    return PyLong_FromLongLong(LineNumbers(lineOf(itemOf(self))).ell);
}

PyObject* getYs(PyObject* self, void*) {
    const LineNumbers numbers(lineOf(itemOf(self)));
    PyObject* tuple = PyTuple_New(static_cast<Py_ssize_t>(numbers.ys.size()));
    if (tuple == nullptr) return nullptr;
    for (std::size_t i = 0; i < numbers.ys.size(); ++i) {
        PyObject* y = PyLong_FromLong(numbers.ys[i]);
        if (y == nullptr) {
            Py_DECREF(tuple);
            return nullptr;
        }
        PyTuple_SET_ITEM(tuple, static_cast<Py_ssize_t>(i), y);
    }
    return tuple;
}

PyObject* getTypes(PyObject* self, void*) {
    const std::string_view types = LineNumbers(lineOf(itemOf(self))).types;
    return PyUnicode_FromStringAndSize(types.data(), static_cast<Py_ssize_t>(types.size()));
}

PyObject* getNotation(PyObject* self, void*) {
    const std::string_view line = lineOf(itemOf(self));
    const std::string_view notation = line.substr(0, line.find("::"));
    return PyUnicode_FromStringAndSize(notation.data(), static_cast<Py_ssize_t>(notation.size()));
}

PyObject* getFiber(PyObject* self, void*) {
    return guarded([&] {
        return py::cast(FiberObject{fiberOf(itemOf(self)), std::nullopt}).release().ptr();
    });
}

PyObject* toDict(PyObject* self, PyObject*) {
    return guarded([&] {
        const Item* item = itemOf(self);
        const LineNumbers numbers(lineOf(item));
        py::dict dict;
        dict["k"] = numbers.k;
        dict["ys"] = numbers.ys;
        dict["ell"] = numbers.ell;
        dict["types"] = numbers.types;
        dict["line"] = py::reinterpret_borrow<py::object>(item->line);
        return dict.release().ptr();
    });
}

PyObject* str(PyObject* self) {
    return newReference(itemOf(self)->line);
}

PyObject* repr(PyObject* self) {
    return guarded([&] {
        const Item* item = itemOf(self);
        const FiberData& x = *fiberOf(item);
        const std::string text = "Subdivisor(Fiber('" +
                                 fiberLineText(x.m, x.r, x.firstMultiplicities()) + "'), '" +
                                 std::string(lineOf(item)) + "')";
        return py::str(text).release().ptr();
    });
}

// Equal when the fibers are equal and the lines agree.
PyObject* compare(PyObject* self, PyObject* other, int op) {
    if ((op != Py_EQ && op != Py_NE) || !SubdivisorType::check(other)) Py_RETURN_NOTIMPLEMENTED;
    const Item* a = itemOf(self);
    const Item* b = itemOf(other);
    const bool same =
        lineOf(a) == lineOf(b) && (fiberOf(a) == fiberOf(b) || *fiberOf(a) == *fiberOf(b));
    return PyBool_FromLong(same == (op == Py_EQ));
}

// The hash of the fiber's notation and the line, consistent with ==.
Py_hash_t hash(PyObject* self) {
    try {
        const Item* item = itemOf(self);
        const py::tuple key = py::make_tuple(fiberNotation(*fiberOf(item)),
                                             py::reinterpret_borrow<py::object>(item->line));
        return PyObject_Hash(key.ptr());
    } catch (py::error_already_set& raised) {
        raised.restore();
    } catch (...) {
        raiseAnyError(std::current_exception());
    }
    return -1;
}

PyGetSetDef attributes[] = {
    {"k", &getK, nullptr, "Core multiplicity of Y.", nullptr},
    {"ys", &getYs, nullptr,
     "Multiplicity of Y on the first curve of each branch (0 for an empty branch).", nullptr},
    {"ell", &getEll, nullptr, "ell = gcd(k, y1, ..., yb).", nullptr},
    {"types", &getTypes, nullptr, "One branch type letter per branch: '0', 'A', 'B', 'C' or '?'.",
     nullptr},
    {"notation", &getNotation, nullptr, "Y in divisor notation, the part of the line before '::'.",
     nullptr},
    {"fiber", &getFiber, nullptr, "The fiber X this is a sub-divisor of.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef methods[] = {
    {"to_dict", &toDict, METH_NOARGS,
     R"doc(to_dict(self: dorvanix.Subdivisor) -> dict

The sub-divisor as a dict of plain values: one line of ``dorvanix-cli subdivisors --jsonl``.

Returns:
    dict: k, ys, ell, types and line.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))").to_dict()["types"]
    'ABB'
)doc"},
    {nullptr, nullptr, 0, nullptr},
};

// `line` is a plain member so that the interpreter reads it straight from the object, as it does
// a slot of a class of its own (the attribute most loops over a listing read).
PyMemberDef members[] = {
    {"line", T_OBJECT_EX, static_cast<Py_ssize_t>(offsetof(Item, line)), READONLY,
     "The line as listed: '(k;(...),...):: ell = L :: type = T'."},
    {"__weaklistoffset__", T_PYSSIZET, static_cast<Py_ssize_t>(offsetof(Item, weakrefs)), READONLY,
     nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

constexpr const char* kDoc = R"doc(Subdivisor(fiber, line)
--

A sub-divisor Y of a fiber X, with its ell and branch types: the one a listed line names.

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
)doc";

}  // namespace

void SubdivisorType::define(py::module_& module) {
    PyType_Slot slots[] = {
        {Py_tp_dealloc, reinterpret_cast<void*>(&dealloc)},
        {Py_tp_new, reinterpret_cast<void*>(&newSubdivisor)},
        {Py_tp_repr, reinterpret_cast<void*>(&repr)},
        {Py_tp_str, reinterpret_cast<void*>(&str)},
        {Py_tp_hash, reinterpret_cast<void*>(&hash)},
        {Py_tp_richcompare, reinterpret_cast<void*>(&compare)},
        {Py_tp_getset, attributes},
        {Py_tp_methods, methods},
        {Py_tp_members, members},
        {Py_tp_doc, const_cast<char*>(kDoc)},
        {0, nullptr},
    };
    unsigned int flags = Py_TPFLAGS_DEFAULT;
#ifdef Py_TPFLAGS_IMMUTABLETYPE
    flags |= Py_TPFLAGS_IMMUTABLETYPE;
#endif
    PyType_Spec shape{"dorvanix.Subdivisor", static_cast<int>(sizeof(Item)), 0, flags, slots};
    PyObject* type = PyType_FromSpec(&shape);
    if (type == nullptr) throw py::error_already_set();
    subdivisorType = reinterpret_cast<PyTypeObject*>(type);
    module.add_object("Subdivisor", py::reinterpret_borrow<py::object>(type));
}

py::object SubdivisorType::shareFiber(std::shared_ptr<const FiberData> fiber) {
    auto* shared = new FiberPointer(std::move(fiber));
    PyObject* capsule = PyCapsule_New(shared, kFiberCapsule, [](PyObject* capsule) {
        delete static_cast<FiberPointer*>(PyCapsule_GetPointer(capsule, kFiberCapsule));
    });
    if (capsule == nullptr) {
        delete shared;
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::object>(capsule);
}

py::object SubdivisorType::make(const py::object& sharedFiber, std::string_view line) {
    // Python's small-object allocator without the generic path's clearing and checks: every field
    // is set here.
    auto* item = static_cast<Item*>(PyObject_Malloc(sizeof(Item)));
    if (item == nullptr) {
        PyErr_NoMemory();
        throw py::error_already_set();
    }
    PyObject* self = PyObject_Init(reinterpret_cast<PyObject*>(item), subdivisorType);
    item->line = nullptr;
    item->sharedFiber = nullptr;
    item->weakrefs = nullptr;
    py::object made = py::reinterpret_steal<py::object>(self);
    item->line = lineText(line);
    if (item->line == nullptr) throw py::error_already_set();
    item->sharedFiber = newReference(sharedFiber.ptr());
    return made;
}

bool SubdivisorType::check(PyObject* object) {
    return subdivisorType != nullptr && PyObject_TypeCheck(object, subdivisorType);
}

SubdivisorObject SubdivisorType::read(PyObject* object) {
    const Item* item = itemOf(object);
    const std::string_view line = lineOf(item);
    LineNumbers numbers(line);
    return SubdivisorObject{fiberOf(item),
                            SubdivisorLine{numbers.k, std::move(numbers.ys), numbers.ell,
                                           std::string(numbers.types), std::string(line)}};
}

}  // namespace dorvanix::python
