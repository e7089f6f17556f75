#include "bindings.h"
#include "files/self_test.h"
#include "interruptible_wait.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

struct SelfTestRun {
    std::vector<SelfTestCheck> checks;
    bool passed = false;
};

}  // namespace

void defineSelfTest(py::module_& module) {
    module.def(
        "self_test",
        [] {
            const SelfTestRun run = runInterruptibly<SelfTestRun>([](Progress& progress) {
                SelfTestRun done;
                done.passed = runSelfTest(
                    [&](const SelfTestCheck& check) { done.checks.push_back(check); }, &progress);
                return done;
            });
            py::list checks;
            int passed = 0;
            for (const SelfTestCheck& check : run.checks) {
                py::dict row;
                row["name"] = check.name;
                row["passed"] = check.passed;
                row["detail"] = check.detail;
                row["seconds"] = check.seconds;
                row["line"] = selfTestLine(check);
                checks.append(row);
                if (check.passed) ++passed;
            }
            py::dict result;
            result["passed"] = run.passed;
            result["checks"] = checks;
            result["summary"] = selfTestSummary(passed, static_cast<int>(run.checks.size()));
            return result;
        },
        R"doc(Re-derives what ``dorvanix-cli selftest`` does, in a few seconds.

Kodaira's fibers of genus 1, numerical triviality and adjunction, the census against the fiber
lists, the counts against the listing, every census line and label read back.
``python3 -m dorvanix.selftest`` prints it and exits 0 when all hold.

Returns:
    dict: 'passed', 'checks' (each with name, passed, detail, seconds and its printed line) and
    'summary'.

Raises:
    KeyboardInterrupt: on Ctrl-C.

Example:
    >>> result = dorvanix.self_test()  # doctest: +SKIP
    >>> result["passed"]  # doctest: +SKIP
    True
)doc");
}

}  // namespace dorvanix::python
