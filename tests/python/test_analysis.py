"""Fiber.analyze gives the figures of the tool over a sweep; the figures themselves are checked in
the core's analysis tests."""

import itertools
import json

import dorvanix
from conftest import run_cli


def sweep():
    for size in [(3, 2, 3), (5, 2, 3), (2, 2, 4)]:
        for x in dorvanix.fibers(*size):
            for y in x.subdivisors(all_types=True):
                yield x, y


# dorvanix-cli analyze --json names the figures in the core's words; -1 there is None here.
TOOL_NAMES = {
    "analysisChainCount": "chain_count", "analysisGcd": "gcd",
    "joiningCurveGenus": "joining_curve_genus", "coreBranches": "core_branches",
    "stubCount": "stub_count", "insertedCount": "inserted_count",
    "supportEulerX": "support_euler_x", "supportEulerR": "support_euler_r",
    "proportionalBranch": "proportional_branch",
}


def test_figures_are_those_of_the_tool():
    compared = 0
    for x, y in itertools.islice(sweep(), 0, None, 4):
        tool = json.loads(run_cli("analyze", x.notation, y.line, "--json").stdout)
        analysis = x.analyze(y)
        assert analysis.subdivisor == y and analysis.fiber == x
        ours = analysis.to_dict()
        label = f"{x.notation} {y.line}"
        for tool_name, name in TOOL_NAMES.items():
            expected = None if tool[tool_name] == -1 and name in ("chain_count", "gcd") \
                else tool[tool_name]
            assert ours[name] == expected, f"{label}: {name}"
        assert [(n["serial"], n["multiplicity"], n["degree"], n["marked"], n["point_count"])
                for n in ours["nodes"]] == [
            (n["serial"], n["multiplicity"], n["degree"], n["marked"], n["pointCount"])
            for n in tool["nodes"]], label
        assert ours["chains"] == tool["chains"], label
        compared += 1
    assert compared >= 20
