"""The module lists, counts and annotates exactly as dorvanix-cli does."""

import json
import math
import subprocess

import pytest

import dorvanix
from conftest import cli_lines, cli_path, run_cli

SIZES = [(m, r, b) for m in range(2, 8) for r in (2, 3) for b in (3, 4, 5)]


FIBER_OPTIONS = [
    # label, keywords, command-line flags
    ("no duplicates", dict(no_duplicates=True), ["--no-duplicates"]),
    ("genus 3", dict(genus=3), ["--genus", "3"]),
    ("genus 0 counts as 1", dict(genus=0), ["--genus", "0"]),
    ("at most two crusts", dict(at_most_two_crusts=True), ["--at-most-two-crusts"]),
    ("first multiplicity 6", dict(multiplicities=[6]), ["--multiplicities", "6"]),
    ("positions 1 and 3", dict(multiplicities=(0, 5, 4)), ["--multiplicities", "0,5,4"]),
    ("all options", dict(no_duplicates=True, genus=3, multiplicities=[6, 5]),
     ["--no-duplicates", "--genus", "3", "--multiplicities", "6,5"]),
]


@pytest.mark.parametrize("label,keywords,flags", FIBER_OPTIONS, ids=[o[0] for o in FIBER_OPTIONS])
@pytest.mark.parametrize("m,r,b", [(7, 2, 3), (6, 3, 4), (9, 2, 4)])
def test_fiber_options_match_tool(label, keywords, flags, m, r, b):
    lines = [x.line for x in dorvanix.fibers(m, r, b, **keywords)]
    assert lines == cli_lines("fibers", m, r, b, *flags), label


@pytest.mark.parametrize("m,r,b", SIZES, ids=[f"m{m}-r{r}-b{b}" for m, r, b in SIZES])
def test_fiber_list_and_attributes_match_tool(m, r, b):
    fibers = list(dorvanix.fibers(m, r, b))
    assert [str(x) for x in fibers] == cli_lines("fibers", m, r, b)
    rows = [json.loads(line) for line in cli_lines("fibers", m, r, b, "--jsonl")]
    assert [x.to_dict() for x in fibers] == rows
    for x, row in zip(fibers, rows):
        assert (x.line, x.m, x.r, x.genus, x.simple_crust_count) == (
            row["line"], row["m"], row["r"], row["genus"], row["simple_crust_count"]), x
        assert x.branches == tuple(row["branches"]), x
        assert x.chains == tuple(map(tuple, row["chains"])), x
        assert dorvanix.Fiber(x.notation) == x, x
        assert dorvanix.Fiber(x.line).line == x.line, x


def sample_fibers():
    """Every fiber of a few small lists, first branches in list order."""
    for size in [(3, 2, 3), (5, 2, 3), (6, 2, 3), (2, 2, 4), (4, 2, 4), (7, 2, 3)]:
        yield from dorvanix.fibers(*size)


LISTING_OPTIONS = [
    ("default", {}, []),
    ("all types", {"all_types": True}, ["--all-types"]),
    ("ell 2", {"ell": 2}, ["--ell", "2"]),
    ("all but ell 1", {"ell": -1, "all_types": True}, ["--ell", "-1", "--all-types"]),
    ("except only AB", {"except_only_ab": True}, ["--except-only-ab"]),
]


@pytest.mark.parametrize("label,keywords,flags", LISTING_OPTIONS,
                         ids=[o[0] for o in LISTING_OPTIONS])
def test_subdivisor_lists_match_tool(label, keywords, flags):
    for x in sample_fibers():
        listed = list(x.subdivisors(**keywords))
        assert [y.line for y in listed] == cli_lines("subdivisors", x.notation, *flags), x
        assert x.count_subdivisors(**keywords) == len(listed), x
        rows = [json.loads(line) for line in
                cli_lines("subdivisors", x.notation, "--jsonl", *flags)]
        assert [y.to_dict() for y in listed] == rows, x


def test_simple_crust_count_is_the_default_listing():
    for x in sample_fibers():
        typed = dorvanix.Fiber(x.notation)
        assert typed.simple_crust_count == x.simple_crust_count == len(list(x.subdivisors())), x


def test_subdivisor_round_trips_through_its_line():
    for x in sample_fibers():
        for y in x.subdivisors(all_types=True):
            again = dorvanix.Subdivisor(x, y.line)
            assert again == y and hash(again) == hash(y), y.line
            short = dorvanix.Subdivisor(x, y.notation)
            assert (short.ell, short.types, short.line) == (y.ell, y.types, y.line), y.line
            assert y.fiber == x


def noted_census_lines():
    """Census lines as printed: a count past 10000, the asterisks of a count of at most 2."""
    lines = [f.line for g in range(1, 8) for f in dorvanix.census(genus=g)]
    large = [line for line in lines if int(line.split(" : ")[1].split()[0]) > 10000]
    starred = [line for line in lines if line.endswith("*")]
    assert large and starred
    return large[:2] + starred[:2]


# Every face reads back every line any face prints: the annotation is a note, never checked.
READERS = [
    ("Fiber", lambda line: dorvanix.Fiber(line).notation),
    ("subdivisors", lambda line: run_cli("subdivisors", line, "--count").stdout),
    ("graph", lambda line: run_cli("graph", line).stdout),
    ("picture", lambda line: run_cli("picture", line).stdout),
]


@pytest.mark.parametrize("reader", READERS, ids=[r[0] for r in READERS])
def test_census_lines_are_read_back_whole(reader):
    label, read = reader
    for line in noted_census_lines():
        plain = line.split(" : ")[0]
        assert read(line) == read(plain), f"{label}: {line}"


def test_equality_and_hashing():
    a = dorvanix.Fiber("((3,2),2,2,2)")
    b = dorvanix.Fiber("(3;(2,1),(2,1),(2,1))")
    reordered = dorvanix.Fiber("((5,2),3,4,3)")
    listed = dorvanix.Fiber("((5,2),4,3,3)")
    assert a == b and hash(a) == hash(b) and len({a, b}) == 1
    assert reordered != listed, "branch order is part of the fiber (it orders the sub-divisors)"
    assert a != "((3,2),2,2,2)"
    assert repr(listed) == "Fiber('((5,2),4,3,3)')"


def test_one_listing_shared_by_threads_gives_every_line_once():
    import threading

    x = dorvanix.Fiber("((2,7)" + ",1" * 14 + ")")
    listing = x.subdivisors(all_types=True)
    taken = [[] for _ in range(4)]

    def read(into):
        for y in listing:
            into.append(y.line)
            if len(into) % 200 == 1:  # meanwhile a listing of its own, dropped after a line
                next(x.subdivisors(all_types=True))

    readers = [threading.Thread(target=read, args=(into,)) for into in taken]
    for reader in readers:
        reader.start()
    for reader in readers:
        reader.join()
    lines = [line for part in taken for line in part]
    assert len(lines) == len(set(lines)) == x.count_subdivisors(all_types=True)


def test_counts_beyond_64_bits_are_exact():
    from math import comb

    # 100 branches of multiplicity 1 under m = 2, r = 50: every choice of at least 50 branches.
    x = dorvanix.Fiber("((2,50)" + ",1" * 100 + ")")
    expected = sum(comb(100, j) for j in range(50, 101))
    assert expected > 2**64
    assert x.count_subdivisors(all_types=True) == expected
    assert int(cli_lines("subdivisors", x.notation, "--all-types", "--count")[0]) == expected


@pytest.mark.parametrize("b", [64, 132], ids=["past 2^63", "past 2^128"])
def test_crust_counts_past_64_and_128_bits_agree_in_every_face(b, tmp_path):
    # ((2, b/2), 1, ..., 1): every set of at least b/2 of its b single curves is a simple crust
    # (each branch of type B or 0). Its genus is b/2 - 1, and it leads the census of that genus.
    r, genus = b // 2, b // 2 - 1
    exact = sum(math.comb(b, j) for j in range(r, b + 1))
    listed = next(dorvanix.fibers(2, r, b))
    typed = dorvanix.Fiber(listed.notation)
    with dorvanix.census(genus=genus, threads=1) as census:
        first = next(census)
    with subprocess.Popen([cli_path(), "census", "--genus", str(genus), "--jsonl"],
                          stdout=subprocess.PIPE) as tool:  # the first of far more lines
        census_row = json.loads(tool.stdout.readline())
        tool.kill()
    row = json.loads(cli_lines("fibers", 2, r, b, "--jsonl")[0])
    line = f"((2,{r})" + ",1" * b + f") : {exact} (g={genus})"
    faces = {
        "fibers --jsonl": (row["simple_crust_count"], row["line"]),
        "census --jsonl": (census_row["simple_crust_count"], census_row["line"]),
        "Fiber of the list": (listed.simple_crust_count, listed.line),
        "its to_dict() and str()": (listed.to_dict()["simple_crust_count"], str(listed)),
        "typed Fiber": (typed.simple_crust_count, typed.line),
        "census": (first.simple_crust_count, first.line),
        "fibers": (exact, cli_lines("fibers", 2, r, b)[0]),
    }
    assert faces == {face: (exact, line) for face in faces}
    dorvanix.write_fiber_list(tmp_path / "module.doc", [listed, typed])
    run_cli("fibers", 2, r, b, "--output", tmp_path / "tool.doc")
    assert (tmp_path / "module.doc").read_bytes() == (tmp_path / "tool.doc").read_bytes() * 2
