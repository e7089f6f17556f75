#pragma once

#include <optional>
#include <string>

#include "census/subdivisor_line.h"
#include "model/fiber_data.h"
#include "model/progress.h"

namespace dorvanix::python {

// The animation settles after this many 100 ms ticks: X with the analysis divisor and the
// chain diagram at rest.
inline constexpr int kSettledTicks = 100;

// The SVG of the picture window after choosing X (and selecting Y, which runs its analysis) and
// `ticks` animation steps, drawn as `dorvanix-cli picture` draws it: the relaxation's random
// numbers start from the beginning of the library's sequence every time. Throws InputError when
// ticks lie outside 0 ... 1000, Cancelled when `progress` is cancelled (looked at between ticks).
std::string pictureSvg(const FiberData& x, const std::optional<SubdivisorLine>& y, int ticks,
                       const Progress& progress);

}  // namespace dorvanix::python
