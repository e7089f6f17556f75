#include "listing_iterators.h"

#include "subdivisor/subdivisor_listing.h"

namespace dorvanix::python {

FiberIterator::FiberIterator(int m, int r, int b, const FiberOptions& options)
    : m_(m), r_(r), stream_([m, r, b, options](const auto& push, Progress& progress) {
          enumerateFibers(
              m, r, b, options,
              [&](const FiberEntry& fiber) {
                  push(FiberRecord{{fiber.parts.begin(), fiber.parts.end()}, fiber.simpleCrusts});
              },
              &progress);
      }) {}

std::optional<FiberObject> FiberIterator::tryNext() {
    std::optional<FiberRecord> record = stream_.next();
    if (!record) return std::nullopt;
    return FiberObject{std::make_shared<const FiberData>(fiberFromParts(m_, r_, record->parts)),
                       record->simpleCrusts};
}

SubdivisorIterator::SubdivisorIterator(std::shared_ptr<const FiberData> fiber,
                                       const SubdivisorOptions& options)
    : fiber_(fiber), stream_([fiber, options](const auto& push, Progress& progress) {
          listSubdivisors(
              *fiber, options,
              [&](const Subdivisor& y) {
                  push(SubdivisorLine{y.k,
                                      {y.ys.begin(), y.ys.end()},
                                      y.ell,
                                      std::string(y.types),
                                      std::string(y.line)});
              },
              &progress);
      }) {}

std::optional<SubdivisorObject> SubdivisorIterator::tryNext() {
    std::optional<SubdivisorLine> y = stream_.next();
    if (!y) return std::nullopt;
    return SubdivisorObject{fiber_, std::move(*y)};
}

}  // namespace dorvanix::python
