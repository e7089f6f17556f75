#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "census/subdivisor_line.h"
#include "census/subdivisor_options.h"
#include "model/fiber_data.h"
#include "model/fiber_label.h"

namespace dorvanix::python {

// A fiber X as Python sees it: its chains, shared with every sub-divisor listed from it, and its
// simple crust count once known (the fiber list knows it; a typed fiber counts on first use),
// in decimal digits, exact at any size.
struct FiberObject {
    std::shared_ptr<const FiberData> data;
    std::optional<std::string> simpleCrusts;

    // A fiber line (annotation allowed) or divisor notation, checked as the command line does.
    static FiberObject fromText(std::string_view text);

    std::vector<int> parts() const { return data->firstMultiplicities(); }
    int genus() const { return fiberGenus(data->m, parts()); }
    // The simple crust count in decimal digits; counted on first use, interruptibly and with the
    // GIL released.
    const std::string& simpleCrustDigits();
    // "((m,r),a1,...,ab)" without the annotation.
    std::string plainLine() const { return fiberLineText(data->m, data->r, parts()); }
    // The line of the fiber list, with the simple crust count and the genus.
    std::string listLine();
    std::string notation() const { return fiberNotation(*data); }
    std::string label() const { return fiberLabel(*data); }
};

// A sub-divisor Y of a fiber X, as listed or read from a listed line.
struct SubdivisorObject {
    std::shared_ptr<const FiberData> fiber;
    SubdivisorLine y;
};

// The listing options from their Python keywords: ell = 0 (every ell), ell > 0 (only that ell)
// or ell < 0 (every ell but -ell), within the bound of ellFilter. Throws InputError.
SubdivisorOptions listingOptions(int ell, bool exceptOnlyAB, bool allTypes);

// The sub-divisor of `fiber` that `y` names, checked against it: a sub-divisor listed from
// another fiber is read again as a line of this one, so that a mismatch is reported, not drawn.
SubdivisorLine subdivisorOf(const FiberObject& fiber, const SubdivisorObject& y);

}  // namespace dorvanix::python
