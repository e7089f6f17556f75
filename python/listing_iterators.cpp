#include "listing_iterators.h"

#include <algorithm>
#include <string_view>

#include "census/subdivisor_listing.h"

namespace dorvanix::python {

namespace {

// The text a listing's worker fills before cutting it into lines: a thousand open listings hold
// 64 MB of it, and a dense listing still cuts some thousand lines at a time.
constexpr std::size_t kTextBatch = std::size_t{64} << 10;

}  // namespace

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
              // The listing as the tool writes it, its text cut into lines; a slot's buffer is
              // reused, no allocation once the batches have gone round.
              writeSubdivisorText(
                  *fiber, options, SubdivisorTextForm::Line, "\n",
                  [&](std::string_view text) {
                      while (!text.empty()) {
                          const std::size_t end = text.find('\n');
                          const std::string_view line = text.substr(0, end);
                          if (!sink.push([&](std::string& slot) { slot.assign(line); })) {
                              return false;
                          }
                          text.remove_prefix(std::min(end + 1, text.size()));
                      }
                      return true;
                  },
                  &progress, kTextBatch);
          },
          kWalkStack) {}

std::optional<pybind11::object> SubdivisorIterator::tryNext() {
    return stream_.next(
        [this](const std::string& line) { return SubdivisorType::make(sharedFiber_, line); });
}

}  // namespace dorvanix::python
