#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "census/subdivisor_listing.h"
#include "census/subdivisor_options.h"
#include "model/fiber_data.h"
#include "model/progress.h"

// The sub-divisor listing that visits every vector of the odometer, admitted or not.
namespace dorvanix::oracle {

bool listSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                     const SubdivisorSink& sink, Progress* progress = nullptr);

std::vector<std::string> subdivisorLines(const FiberData& x, const SubdivisorOptions& options);

// -1 when cancelled.
long long countSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                           Progress* progress = nullptr);

long long countSimpleCrusts(const FiberData& x, Progress* progress = nullptr);

// The three listing options applied to a sub-divisor with this ell and these type letters.
bool passesOptions(const SubdivisorOptions& options, long long ell, std::string_view types);

}  // namespace dorvanix::oracle
