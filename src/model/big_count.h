#pragma once

#include <string>

#include "model/wide_count.h"

// Counts past 2^128 - 1 are held in one arbitrary-precision integer type, chosen when the build
// is configured: GMP's mpz_class where GMP is at hand, Boost.Multiprecision's header-only cpp_int
// where it is not (the WebAssembly build). Both give the same digits.
#if defined(DORVANIX_BIG_COUNT_BOOST)
#include <boost/multiprecision/cpp_int.hpp>
#else
#include <gmpxx.h>
#endif

namespace dorvanix {

#if defined(DORVANIX_BIG_COUNT_BOOST)
using BigCount = boost::multiprecision::cpp_int;
#else
using BigCount = mpz_class;
#endif

// The same number, exactly.
BigCount bigCountOf(WideCount value);

// Its decimal digits.
std::string bigCountText(const BigCount& value);

// The nearest double, for reports that only need its size.
double bigCountApproximation(const BigCount& value);

}  // namespace dorvanix
