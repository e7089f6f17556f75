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


def test_figures_are_those_of_the_tool():
    compared = 0
    for x, y in itertools.islice(sweep(), 0, None, 4):
        tool = json.loads(run_cli("analyze", x.notation, y.line, "--json").stdout)
        a = x.analyze(y)
        assert a.to_dict() == tool, f"{x.notation} {y.line}"
        assert (a.genus_numerator, a.joining_curve_genus, a.joining_curve_genus_note) == (
            tool["genus_numerator"], tool["joining_curve_genus"],
            tool["joining_curve_genus_note"]), f"{x.notation} {y.line}"
        compared += 1
    assert compared >= 20
