#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/fiber_data.h"

namespace dorvanix {

// The label of a fiber: "G.m.r.a1-a2-...-ab", its genus, m, r and its first-branch
// multiplicities largest first, as the census lists them; for example 2.5.2.4-4-2 for
// ((5,2),4,4,2). fiber_label.cpp says why this names each fiber once.
std::string fiberLabel(int m, int r, std::span<const int> parts);
std::string fiberLabel(const FiberData& fiber);

// Whether the text has the form of a label (it starts with a digit), to tell it from a fiber
// line or divisor notation.
bool looksLikeLabel(std::string_view text);

// Reads a label back into its fiber. Refuses, saying what and where, a label that is not the
// one of its fiber: branches not listed largest first, a genus or an r other than the fiber's,
// and everything a fiber line refuses. Throws InputError.
FiberData readFiberLabel(std::string_view text);

}  // namespace dorvanix
