#include "listing_iterators.h"

#include "census/subdivisor_listing.h"

namespace dorvanix::python {

FiberIterator::FiberIterator(int m, int r, int b, const FiberOptions& options)
    : m_(m),
      r_(r),
      stream_(
          [m, r, b, options](auto& sink, Progress& progress) {
              enumerateFibers(
                  m, r, b, options,
                  [&](const FiberEntry& fiber) {
                      sink.push([&](FiberRecord& slot) {
                          slot.parts.assign(fiber.parts.begin(), fiber.parts.end());
                          slot.simpleCrusts.assign(fiber.simpleCrustDigits);
                      });
                  },
                  &progress);
          },
          kWalkStack) {}

std::optional<FiberObject> FiberIterator::tryNext() {
    return stream_.next([this](const FiberRecord& record) {
        return FiberObject{std::make_shared<const FiberData>(fiberFromParts(m_, r_, record.parts)),
                           record.simpleCrusts};
    });
}

SubdivisorIterator::SubdivisorIterator(std::shared_ptr<const FiberData> fiber,
                                       const SubdivisorOptions& options)
    : sharedFiber_(SubdivisorType::shareFiber(fiber)),
      stream_(
          [fiber, options](auto& sink, Progress& progress) {
              listSubdivisors(
                  *fiber, options,
                  [&](const Subdivisor& y) {
                      // The slot's buffers are reused: no allocation once the batches have gone
                      // round.
                      sink.push([&](SubdivisorLine& slot) {
                          slot.k = y.k;
                          slot.ys.assign(y.ys.begin(), y.ys.end());
                          slot.ell = y.ell;
                          slot.types.assign(y.types);
                          slot.line.assign(y.line);
                      });
                  },
                  &progress);
          },
          kWalkStack) {}

std::optional<pybind11::object> SubdivisorIterator::tryNext() {
    return stream_.next(
        [this](const SubdivisorLine& y) { return SubdivisorType::make(sharedFiber_, y); });
}

}  // namespace dorvanix::python
