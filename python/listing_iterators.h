#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "census/fiber_enumeration.h"
#include "census/subdivisor_line.h"
#include "fiber_object.h"
#include "item_stream.h"

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

// The lazy sub-divisor list of `Fiber.subdivisors`.
class SubdivisorIterator {
  public:
    using Item = SubdivisorObject;

    SubdivisorIterator(std::shared_ptr<const FiberData> fiber, const SubdivisorOptions& options);
    // The next sub-divisor, or none at the end.
    std::optional<SubdivisorObject> tryNext();
    void close() { stream_.stop(); }

  private:
    std::shared_ptr<const FiberData> fiber_;
    ItemStream<SubdivisorLine> stream_;
};

}  // namespace dorvanix::python
