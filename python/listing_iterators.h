#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "census/fiber_enumeration.h"
#include "census/subdivisor_line.h"
#include "fiber_object.h"
#include "item_stream.h"
#include "subdivisor_type.h"

namespace dorvanix::python {

// One fiber of the list as the worker hands it over.
struct FiberRecord {
    std::vector<int> parts;
    std::string simpleCrusts;  // in decimal, exact at any size
};

// The lazy fiber list of `dorvanix.fibers`.
class FiberIterator {
  public:
    using Item = FiberObject;

    FiberIterator(int m, int r, int b, const FiberOptions& options);
    // The next fiber, or none at the end.
    std::optional<FiberObject> tryNext();
    void close() { stream_.stop(); }

  private:
    int m_;
    int r_;
    ItemStream<FiberRecord> stream_;
};

// The lazy sub-divisor list of `Fiber.subdivisors`. Made and used with the GIL held.
class SubdivisorIterator {
  public:
    // A dorvanix.Subdivisor, made straight from the line in the batch.
    using Item = pybind11::object;

    SubdivisorIterator(std::shared_ptr<const FiberData> fiber, const SubdivisorOptions& options);
    // The next sub-divisor, or none at the end.
    std::optional<pybind11::object> tryNext();
    void close() { stream_.stop(); }

  private:
    pybind11::object sharedFiber_;    // the fiber as every listed Subdivisor holds it
    ItemStream<std::string> stream_;  // the lines
};

}  // namespace dorvanix::python
