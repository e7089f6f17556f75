"""Files written from Python hold the same bytes as dorvanix-cli's, and are complete or absent."""

import os

import pytest

import dorvanix
from conftest import run_cli

FIBER_LISTS = [(3, 2, 3), (7, 2, 3), (4, 3, 5), (3, 2, 9)]  # the last one is empty


@pytest.mark.parametrize("size", FIBER_LISTS, ids=[f"{m}-{r}-{b}" for m, r, b in FIBER_LISTS])
def test_fiber_list_file(tmp_path, size):
    ours, theirs = tmp_path / "ours.doc", tmp_path / "theirs.doc"
    dorvanix.write_fiber_list(ours, dorvanix.fibers(*size))
    run_cli("fibers", *size, "--output", theirs)
    assert ours.read_bytes() == theirs.read_bytes()
    m, r, b = size
    assert dorvanix.fiber_list_file_name(m, r, b) == f"{m:02d}-{r}-{b}.doc"


def test_fiber_list_file_of_typed_fibers(tmp_path):
    path = tmp_path / "typed.doc"
    dorvanix.write_fiber_list(str(path), [dorvanix.Fiber("(3;(2,1),(2,1),(2,1))")])
    assert path.read_bytes() == b"((3,2),2,2,2) : 14 (g=1)\n\r"


SUBDIVISOR_FILES = [
    ("default", {}, []),
    ("ell 3 (none listed)", {"ell": 3}, ["--ell", "3"]),
    ("all but ell 1", {"ell": -1}, ["--ell", "-1"]),
    ("every option", {"ell": 2, "except_only_ab": True, "all_types": True},
     ["--ell", "2", "--except-only-ab", "--all-types"]),
]


@pytest.mark.parametrize("label,keywords,flags", SUBDIVISOR_FILES,
                         ids=[c[0] for c in SUBDIVISOR_FILES])
@pytest.mark.parametrize("text", ["(3;(2,1),(2,1),(2,1))", "((5,2),4,3,3)", "((2,2),1,1,1,1)"])
def test_subdivisor_list_file(tmp_path, label, keywords, flags, text):
    x = dorvanix.Fiber(text)
    ours, theirs = tmp_path / "ours.doc", tmp_path / "theirs.doc"
    x.write_subdivisor_list(ours, **keywords)
    run_cli("subdivisors", text, "--output", theirs, *flags)
    assert ours.read_bytes() == theirs.read_bytes(), label


def test_default_names():
    x = dorvanix.Fiber("(3;(2,1),(2,1),(2,1))")
    y = dorvanix.Subdivisor(x, "(2;(2),(1),(1)):: ell = 1 :: type = CAA")
    assert x.subdivisor_list_file_name == "X3-2-2-2.doc"
    assert x.quorbel_file_name(y) == "3222-2211.qpf"


def test_quorbel_files(tmp_path):
    for x in [dorvanix.Fiber(t) for t in ["((3,2),2,2,2)", "((5,2),4,3,3)", "((2,2),1,1,1,1)"]]:
        for y in x.subdivisors(all_types=True):
            expected = run_cli("quorbel", x.notation, y.line).stdout
            assert x.quorbel(y).encode() == expected, y.line
            path = tmp_path / x.quorbel_file_name(y)
            x.write_quorbel(path, y)
            assert path.read_bytes() == expected, y.line


# That a failed write keeps the earlier file is the atomic writer's part, checked with the tool.
def test_unwritable_path_raises_oserror(tmp_path):
    x = dorvanix.Fiber("((3,2),2,2,2)")
    y = next(x.subdivisors())
    cases = [
        ("missing folder", lambda p: dorvanix.write_fiber_list(p / "no" / "f.doc", [x])),
        ("folder as target", lambda p: x.write_quorbel(p, y)),
    ]
    for label, call in cases:
        with pytest.raises(OSError):
            call(tmp_path)
            pytest.fail(label)


def test_a_failing_fiber_source_leaves_no_file(tmp_path):
    path = tmp_path / "partial.doc"
    path.write_bytes(b"earlier")

    def source():
        yield from dorvanix.fibers(7, 2, 3)
        raise RuntimeError("source broke")

    with pytest.raises(RuntimeError, match="source broke"):
        dorvanix.write_fiber_list(path, source())
    assert path.read_bytes() == b"earlier"
    assert os.listdir(tmp_path) == ["partial.doc"]
    with pytest.raises(TypeError, match="not str"):
        dorvanix.write_fiber_list(path, ["((3,2),2,2,2)"])
    assert path.read_bytes() == b"earlier"
