#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "error_translation.h"

namespace dorvanix::python {

// A `for` loop asks an iterator for each item through its type's tp_iternext slot. pybind11 fills
// that slot with a generic path that looks `__next__` up, dispatches through its overload
// machinery and finds the C++ types by name for every item: for a listing of hundreds of
// thousands of short lines that costs more than making the lines. The slot installed here goes
// straight to the C++ iterator's tryNext() and wraps the item with type information looked up
// once. `__next__` stays as it is for explicit calls.
template <typename Iterator>
class IteratorSlot {
  public:
    static void install(pybind11::class_<Iterator>& iterator) {
        auto* type = reinterpret_cast<PyTypeObject*>(iterator.ptr());
        type->tp_iternext = &next;
        PyType_Modified(type);
    }

  private:
    using Item = typename Iterator::Item;

    static PyObject* next(PyObject* self) {
        try {
            Iterator* iterator = iteratorOf(self);
            if (iterator == nullptr) {
                PyErr_SetString(PyExc_TypeError, "this iterator was never started");
                return nullptr;
            }
            std::optional<Item> item = iterator->tryNext();
            if (!item) return nullptr;  // no exception set: the loop's StopIteration
            return wrap(std::move(*item));
        } catch (pybind11::error_already_set& raised) {
            raised.restore();
        } catch (...) {
            raiseAnyError(std::current_exception());
        }
        return nullptr;
    }

    static Iterator* iteratorOf(PyObject* self) {
        auto* instance = reinterpret_cast<pybind11::detail::instance*>(self);
        return static_cast<Iterator*>(instance->get_value_and_holder().value_ptr());
    }

    // A listing that makes its Python objects itself hands them over as they are.
    static PyObject* wrap(Item&& item) {
        if constexpr (std::is_same_v<Item, pybind11::object>) {
            return item.release().ptr();
        } else {
            static const pybind11::detail::type_info* const type =
                pybind11::detail::get_type_info(typeid(Item), /*throw_if_missing=*/true);
            return pybind11::detail::type_caster_generic::cast(
                       &item, pybind11::return_value_policy::move, pybind11::handle(), type,
                       nullptr, &moveOut)
                .ptr();
        }
    }

    static void* moveOut(const void* from) {
        return new Item(std::move(*const_cast<Item*>(static_cast<const Item*>(from))));
    }
};

}  // namespace dorvanix::python
