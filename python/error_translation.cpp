#include "error_translation.h"

#include <pybind11/pybind11.h>

#include <new>

#include "files/atomic_file.h"
#include "model/input_check.h"
#include "model/node_pool.h"

namespace dorvanix::python {

bool raiseCoreError(std::exception_ptr failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const InputError& bad) {
        PyErr_SetString(PyExc_ValueError, bad.what());
    } catch (const FileWriteError& failed) {
        // OSError(errno, message), so that callers can tell a full disk from a missing folder.
        if (failed.error() != 0) {
            PyErr_SetObject(PyExc_OSError,
                            pybind11::make_tuple(failed.error(), failed.what()).ptr());
        } else {
            PyErr_SetString(PyExc_OSError, failed.what());
        }
    } catch (const PoolExhausted& full) {
        PyErr_SetString(PyExc_MemoryError, full.what());
    } catch (const std::bad_alloc&) {
        PyErr_SetString(PyExc_MemoryError, "not enough memory for this input");
    } catch (...) {
        return false;
    }
    return true;
}

void raiseAnyError(std::exception_ptr failure) {
    if (raiseCoreError(failure)) return;
    try {
        pybind11::detail::translate_exception(failure);
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "an unknown error in the Dorvanix core");
    }
}

}  // namespace dorvanix::python
