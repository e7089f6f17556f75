"""Fiber.analyze gives the figures of the worked examples and stays whole over a sweep."""

import pytest

import dorvanix

KNOWN = [
    # fiber, line, N, d, h, stubs, inserted, chi X, chi R
    ("(3;(2,1),(2,1),(2,1))", "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 2, 1, 0, 4, 0, 8, 6),
    ("(5;(4,3,2,1),(3,1),(3,1))", "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB",
     3, 1, 1, 3, 0, 10, 9),
    ("(5;(4,3,2,1),(3,1),(3,1))", "(3;(3,3),(2,1),(1)):: ell = 1 :: type = CBA",
     3, 1, 0, 5, 1, 10, 8),
]


@pytest.mark.parametrize("fiber,line,n,d,h,stubs,inserted,chi_x,chi_r", KNOWN,
                         ids=[f"{k[0]} {k[1].split('::')[0]}" for k in KNOWN])
def test_worked_examples(fiber, line, n, d, h, stubs, inserted, chi_x, chi_r):
    x = dorvanix.Fiber(fiber)
    a = x.analyze(dorvanix.Subdivisor(x, line))
    assert (a.chain_count, a.gcd, a.joining_curve_genus) == (n, d, h)
    assert (a.stub_count, a.inserted_count) == (stubs, inserted)
    assert (a.support_euler_x, a.support_euler_r) == (chi_x, chi_r)
    assert len(a.chains) == n
    assert a.subdivisor.line == line and a.fiber == x
    assert a.to_dict()["chain_count"] == n


def test_genus_chain_of_the_second_example():
    x = dorvanix.Fiber("(5;(4,3,2,1),(3,1),(3,1))")
    a = x.analyze(dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))"))
    genus_chain = [node for node in a.nodes if node["serial"] == 3001]
    assert genus_chain == [dict(serial=3001, multiplicity=1, degree=1, marked=1, point_count=0,
                                depth=genus_chain[0]["depth"])]
    assert [[(c["multiplicity"], c["flagged"]) for c in chain] for chain in a.chains] == [
        [(1, True), (2, False)]] * 3


def sweep():
    for size in [(3, 2, 3), (5, 2, 3), (6, 2, 3), (2, 2, 4), (7, 2, 3), (4, 3, 5)]:
        for x in dorvanix.fibers(*size):
            for y in x.subdivisors(all_types=True):
                yield x, y


def test_every_admitted_subdivisor_of_small_fibers():
    seen = 0
    for x, y in sweep():
        a = x.analyze(y)
        label = f"{x.notation} {y.line}"
        if a.proportional_branch:
            assert (a.chain_count, a.gcd, a.chains) == (None, None, []), label
        else:
            assert a.chain_count == len(a.chains) and a.gcd >= 1, label
        if "?" not in y.types:
            assert a.joining_curve_genus >= 0, label
        assert a.nodes and a.nodes[0]["depth"] == 0, label
        assert all(node["depth"] >= 1 for node in a.nodes[1:]), label
        seen += 1
    assert seen > 500


def test_analysis_of_a_line_from_another_fiber_is_refused():
    x = dorvanix.Fiber("(3;(2,1),(2,1),(2,1))")
    other = dorvanix.Fiber("(5;(4,3,2,1),(3,1),(3,1))")
    with pytest.raises(ValueError):
        x.analyze(next(other.subdivisors()))


# dorvanix-cli analyze --json names the figures in the core's words; -1 there is None here.
TOOL_NAMES = {
    "analysisChainCount": "chain_count", "analysisGcd": "gcd",
    "joiningCurveGenus": "joining_curve_genus", "coreBranches": "core_branches",
    "stubCount": "stub_count", "insertedCount": "inserted_count",
    "supportEulerX": "support_euler_x", "supportEulerR": "support_euler_r",
    "proportionalBranch": "proportional_branch",
}


def test_figures_are_those_of_the_tool():
    import json
    import itertools

    from conftest import run_cli

    lines = itertools.islice(((x, y) for x, y in sweep() if x.m in (3, 5, 2)), 0, None, 4)
    compared = 0
    for x, y in lines:
        tool = json.loads(run_cli("analyze", x.notation, y.line, "--json").stdout)
        ours = x.analyze(y).to_dict()
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
