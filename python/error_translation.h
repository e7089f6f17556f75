#pragma once

#include <exception>

namespace dorvanix::python {

// Sets the Python exception that stands for a failure of the core: a bad input is a ValueError
// with the command line's message, a file that could not be written an OSError, an exhausted node
// pool a MemoryError. False when the failure is none of these and is left to pybind11.
bool raiseCoreError(std::exception_ptr failure);

// The same, falling back to pybind11's own translation (RuntimeError and the standard ones), for
// code that runs outside pybind11's dispatch and must leave an exception set.
void raiseAnyError(std::exception_ptr failure);

}  // namespace dorvanix::python
