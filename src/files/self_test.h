#pragma once

#include <functional>
#include <string>

#include "model/progress.h"

namespace dorvanix {

// One check of the self-test: what it re-derives, whether that holds, and what it found.
struct SelfTestCheck {
    std::string name;
    bool passed = false;
    std::string detail;  // how much was checked, or the first thing that did not hold
    double seconds = 0;
};

// Re-derives, on the user's machine, what can be checked by hand or in the literature:
// - the fibers of genus 1 are Kodaira's I0*, IV*, III* and II*: the star-shaped extended Dynkin
//   diagrams D4~, E6~, E7~, E8~ of (-2)-curves with the multiplicities of their null vectors;
// - every fiber of genus <= 8 is numerically trivial, and adjunction gives its genus back;
// - the census of genus 2 to 10 is the fiber lists of every (m, r, b) under the genus filter;
// - the counts (by runs, by the gcd table, with the work kept along a fiber list) agree with
//   the number of lines the listing lists, on every fiber with m <= 8, r <= 3 and b <= 5;
// - every census line of genus <= 8, and the fiber's label, read back to the fiber.
// Each check is handed to `report` as it ends. True when all hold; a cancelled `progress`
// ends the run early (false).
bool runSelfTest(const std::function<void(const SelfTestCheck&)>& report,
                 Progress* progress = nullptr);

// "ok   NAME: DETAIL (0.12 s)", or "FAIL" in front; the last line, "N of N checks hold".
std::string selfTestLine(const SelfTestCheck& check);
std::string selfTestSummary(int passed, int total);

}  // namespace dorvanix
