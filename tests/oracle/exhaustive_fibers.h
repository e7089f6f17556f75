#pragma once

#include <string>
#include <vector>

#include "census/fiber_enumeration.h"

// The fiber enumeration that walks every partition of m r into parts of at most m - 1 and
// counts the simple crusts of each accepted fiber by visiting every vector.
namespace dorvanix::oracle {

bool enumerateFibers(int m, int r, int b, const FiberOptions& options, const FiberSink& sink,
                     Progress* progress = nullptr);

std::vector<std::string> fiberLines(int m, int r, int b, const FiberOptions& options);

}  // namespace dorvanix::oracle
