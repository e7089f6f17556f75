"""The examples run and tell the truth."""

import json
import os
import pickle
import re
import shutil
import subprocess
import sys
from collections import Counter
from pathlib import Path

import pytest

import dorvanix
from conftest import cli_lines, run_cli

EXAMPLES = Path(os.environ.get("DORVANIX_EXAMPLES", Path(__file__).parents[2] / "examples"))


def run_census(*args):
    done = subprocess.run([sys.executable, str(EXAMPLES / "census.py"), *args],
                          capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    return done.stdout.splitlines()


def census_rows(lines):
    """{m: [count per genus column]} and the genus columns, read back from the printed table."""
    genera = [int(g) for g in re.findall(r"g=(\d+)", lines[1])]
    rows = {}
    for line in lines[3:]:
        m, cells, total = line.split("|")
        counts = [int(c) for c in cells.split()]
        assert sum(counts) == int(total), line
        rows[int(m)] = dict(zip(genera, counts))
    return rows


def tool_census(m, r, b, *flags):
    return Counter(int(re.search(r"\(g=(-?\d+)\)", line).group(1))
                   for line in cli_lines("fibers", m, r, b, *flags))


CENSUSES = [
    ("r 2, b 3", ["--m-max", "10"], (2, 3), []),
    ("r 3, b 4", ["--m-min", "3", "--m-max", "7", "--r", "3", "--b", "4"], (3, 4), []),
    ("no duplicates", ["--m-max", "9", "--no-duplicates"], (2, 3), ["--no-duplicates"]),
]


@pytest.mark.parametrize("label,args,rb,flags", CENSUSES, ids=[c[0] for c in CENSUSES])
def test_census_script_counts_as_the_tool(label, args, rb, flags):
    rows = census_rows(run_census(*args))
    r, b = rb
    assert rows, label
    for m, row in rows.items():
        expected = tool_census(m, r, b, *flags)
        assert {g: n for g, n in row.items() if n} == dict(expected), f"{label}, m = {m}"


def test_notebook_runs(tmp_path):
    if shutil.which("jupyter-nbconvert") is None:
        pytest.skip("jupyter-nbconvert is not installed")
    try:
        import ipykernel  # noqa: F401
    except ImportError:
        pytest.skip("python3-ipykernel is not installed")
    import dorvanix

    # the kernel starts in the notebook's folder: give it the folder holding the package, absolute
    env = dict(os.environ, PYTHONPATH=str(Path(dorvanix.__file__).resolve().parents[1]))
    done = subprocess.run(
        ["jupyter-nbconvert", "--to", "notebook", "--execute", "--output-dir", str(tmp_path),
         "--ExecutePreprocessor.timeout=120", str(EXAMPLES / "fiber_tour.ipynb")],
        capture_output=True, text=True, timeout=300, env=env)
    assert done.returncode == 0, done.stderr
    executed = (tmp_path / "fiber_tour.ipynb").read_text()
    assert "((5,2),4,3,3) : 18 (g=2)" in executed
    assert "x^3*y^2*(1-y)*(x*y*(1-y)-5)^2-2^2" in executed
    assert executed.count("image/svg+xml") >= 3


def run_dask_census(*args, env=None):
    import dorvanix

    env = dict(env or os.environ,
               PYTHONPATH=os.pathsep.join(filter(None, [
                   (env or {}).get("PYTHONPATH"),
                   str(Path(dorvanix.__file__).resolve().parents[1])])))
    return subprocess.run([sys.executable, str(EXAMPLES / "dask_census.py"), *map(str, args)],
                          capture_output=True, timeout=300, env=env)


def test_dask_census_is_the_single_process_census_to_the_byte():
    pytest.importorskip("dask.distributed", reason="python3-distributed is not installed")
    # Split fibers above 100 sub-divisors, so that the parts of a listing are joined too.
    done = run_dask_census("--genus", 6, "--workers", 2, "--split-above", 100)
    assert done.returncode == 0, done.stderr[-3000:]
    assert done.stdout == run_cli("census", "--genus", 6, "--analyze", "--jsonl").stdout


def test_census_blocks_are_the_census_in_its_order():
    # Genus 9 needs more than one block of the walk; the walk alone is quick.
    blocks = [pickle.loads(pickle.dumps(b)) for b in dorvanix.census_blocks(genus=9)]
    assert len(blocks) >= 2
    joined = [(m, r, tuple(parts)) for b in blocks for m, r, parts in b.__getstate__()[1]]
    assert joined == [(f.m, f.r, f.branches) for f in dorvanix.census(genus=9)]


def test_dask_census_says_when_distributed_is_missing(tmp_path):
    (tmp_path / "dask").mkdir()
    (tmp_path / "dask" / "__init__.py").write_text("")  # a Dask without its distributed part
    done = run_dask_census("--genus", 2, env=dict(os.environ, PYTHONPATH=str(tmp_path)))
    assert done.returncode == 2
    assert b"python3-distributed" in done.stderr and done.stdout == b""
