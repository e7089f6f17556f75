"""Fiber.analyze gives the figures of the tool over a sweep; the figures themselves are checked in
the core's analysis tests."""

import itertools
import json
import subprocess
import sys

import pytest

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


def test_a_table_with_a_too_large_analysis_is_refused_with_its_reason():
    # A listed line of this fiber has a chain diagram of 1999 * 1000 nodes, which
    # `dorvanix-cli analyze` refuses; unbounded, the table would build it (a gigabyte) for each
    # such line. Run apart, within 1 GiB, so that a table that tried cannot take the machine
    # (but for ThreadSanitizer, whose shadow memory does not fit an address space limit).
    script = """if True:
        import os, resource, dorvanix
        if "tsan" not in os.environ.get("LD_PRELOAD", ""):
            resource.setrlimit(resource.RLIMIT_AS, (1 << 30, resource.RLIM_INFINITY))
        try:
            dorvanix.Fiber("((2001,2),2000,1001,1001)").analysis_table()
        except ValueError as error:
            print(error)
    """
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith('sub-divisor "('), done.stdout
    assert "the chain diagram would have N * g = 1999 * 1000 = 1999000 nodes" in done.stdout


def test_intersection_matrix_is_declined_past_a_thousand_curves():
    assert len(dorvanix.Fiber("((5,2),4,3,3)").intersection_matrix()) == 9
    with pytest.raises(ValueError, match="intersection matrix of 2000 curves"):
        dorvanix.Fiber("((1000,2),999,999,2)").intersection_matrix()
