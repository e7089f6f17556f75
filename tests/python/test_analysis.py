"""Fiber.analyze gives the figures of a worked example and those of the tool over a sweep."""

import itertools
import json

import pytest

import dorvanix
from conftest import run_cli

def test_worked_example_with_a_joining_curve_of_genus_one():
    x = dorvanix.Fiber("(5;(4,3,2,1),(3,1),(3,1))")
    line = "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB"
    a = x.analyze(dorvanix.Subdivisor(x, line))
    assert (a.chain_count, a.gcd, a.joining_curve_genus) == (3, 1, 1)
    assert (a.stub_count, a.inserted_count) == (3, 0)
    assert (a.support_euler_x, a.support_euler_r) == (10, 9)
    assert len(a.chains) == 3
    assert a.subdivisor.line == line and a.fiber == x
    assert a.to_dict()["chain_count"] == 3


def sweep():
    for size in [(3, 2, 3), (5, 2, 3), (2, 2, 4)]:
        for x in dorvanix.fibers(*size):
            for y in x.subdivisors(all_types=True):
                yield x, y


def test_figures_are_those_of_the_tool():
    compared = 0
    for x, y in itertools.islice(sweep(), 0, None, 4):
        tool = json.loads(run_cli("analyze", x.notation, y.line, "--json").stdout)
        assert x.analyze(y).to_dict() == tool, f"{x.notation} {y.line}"
        compared += 1
    assert compared >= 20
