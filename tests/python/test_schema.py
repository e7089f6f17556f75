"""The tool's JSON records and the module's dicts follow one schema: schema/dorvanix.schema.json."""

import json
import math
import os
import re
import shutil
import subprocess
from collections import Counter

import jsonschema
import pytest

import dorvanix
from conftest import cli_lines, run_cli

X = "(5;(4,3,2,1),(3,1),(3,1))"
SCHEMA = json.load(open(os.path.join(os.environ["DORVANIX_EXAMPLES"], "..", "schema",
                                     "dorvanix.schema.json")))


def check(record, name):
    jsonschema.validate(record, {**SCHEMA, "$ref": f"#/definitions/{name}"})


def piped_analyses():
    listed = run_cli("subdivisors", X, "--all-types").stdout + b"\n(3;(2,1),(2,1),(2,1))\n"
    done = subprocess.run([os.environ["DORVANIX_CLI"], "analyze", X, "-", "--jsonl"],
                          input=listed, capture_output=True, check=True)
    return done.stdout.decode().splitlines()


@pytest.mark.parametrize("name,lines", [
    ("fiber", lambda: cli_lines("fibers", 7, 2, 3, "--jsonl")),
    ("fiber", lambda: cli_lines("census", "--genus", 2, "--jsonl")),
    ("census_analysis", lambda: cli_lines("census", "--genus", 1, "--analyze", "--jsonl")),
    ("subdivisor", lambda: cli_lines("subdivisors", X, "--all-types", "--jsonl")),
    ("analysis", piped_analyses),
    ("analysis", lambda: [run_cli("analyze", "((4,2),3,3,2)", "(2;(2,2),(1),(1))",
                                  "--json").stdout.decode()]),
    ("dual_graph", lambda: cli_lines("graph", X)),
    ("dual_graph", lambda: cli_lines("graph", X, "(3;(3,3),(2,1),(1))")),
], ids=["fibers", "census", "census analyze", "subdivisors", "analyze -", "analyze proportional",
        "graph X", "graph X Y"])
def test_tool_records_follow_the_schema(name, lines):
    records = [json.loads(line) for line in lines()]
    assert records
    for record in records:
        check(record, name)


def test_module_dicts_are_the_tool_records():
    x = dorvanix.Fiber(X)
    check(x.to_dict(), "fiber")
    listed = list(x.subdivisors(all_types=True))
    analyses = [x.analyze(y).to_dict() for y in listed]
    assert analyses == [json.loads(line) for line in piped_analyses()][:len(listed)]
    for y, record in zip(listed, cli_lines("subdivisors", X, "--all-types", "--jsonl")):
        assert y.to_dict() == json.loads(record)
    assert x.dual_graph() == json.loads(run_cli("graph", X).stdout)
    y = "(3;(3,3),(2,1),(1))"
    assert x.analyze(dorvanix.Subdivisor(x, y)).dual_graph() == json.loads(
        run_cli("graph", X, y).stdout)


# Graphs a paper would draw: X's star, R with a cycle through J, J meeting the core two and three
# times, J whose count is no genus, a fiber of many branches.
GRAPHS = [
    ("X", [X]),
    ("R with one stub", [X, "(3;(3,3),(2,1),(1))"]),
    ("R a cycle of six", ["((3,2),2,2,1,1)", "(2;(2),(2),(),()):: ell = 2 :: type = BB00"]),
    ("J meets the core twice", ["((4,2),3,3,1,1)", "(3;(3),(3),(1),(1)):: ell = 1 :: type = CCBB"]),
    ("J meets the core thrice", ["((2,3),1,1,1,1,1,1)", "(1;(1),(1),(1),(1),(1),(1))"]),
    ("R a cycle of eight", ["((6,2),5,5,2)", "(5;(5),(4,3,2,1),(1)):: ell = 1 :: type = CAA"]),
    ("twelve branches", ["((2,6),1,1,1,1,1,1,1,1,1,1,1,1)"]),
]
NODE = re.compile(r"\\node\[(?:core|curve|joining)\] \(v(\d+)\) at \((-?[\d.]+),(-?[\d.]+)\)")
EDGE = re.compile(r"\\draw\[edge\] \(v(\d+)\).* \(v(\d+)\);$", re.M)


@pytest.mark.parametrize("args", [g[1] for g in GRAPHS], ids=[g[0] for g in GRAPHS])
def test_tikz_reads_back_as_the_graph(args):
    graph = json.loads(run_cli("graph", *args).stdout)
    tikz = run_cli("graph", *args, "--format", "tikz").stdout.decode()
    places = {int(v): (float(x), float(y)) for v, x, y in NODE.findall(tikz)}
    assert sorted(places) == [v["id"] for v in graph["vertices"]]
    points = list(places.values())
    for a in range(len(points)):
        for b in range(a):
            assert math.dist(points[a], points[b]) >= 20, f"curves {a} and {b} share a place"
    drawn = Counter(tuple(sorted(map(int, e))) for e in EDGE.findall(tikz))
    assert drawn == Counter(tuple(sorted(e)) for e in graph["edges"])
    joining = [v for v in graph["vertices"] if v["kind"] == "joining_curve"]
    for j in joining:
        assert ("$g={?}" if j["genus"] is None else f"$g={j['genus']}$") in tikz


@pytest.mark.parametrize("args", [g[1] for g in GRAPHS], ids=[g[0] for g in GRAPHS])
def test_tikz_compiles_to_one_page(tmp_path, args):
    if shutil.which("pdflatex") is None:
        pytest.skip("pdflatex is not installed (texlive-pictures)")
    (tmp_path / "graph.tex").write_bytes(
        run_cli("graph", *args, "--format", "tikz", "--standalone").stdout)
    done = subprocess.run(["pdflatex", "-interaction=nonstopmode", "-halt-on-error", "graph.tex"],
                          cwd=tmp_path, capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stdout[-2000:]
    assert "Output written on graph.pdf (1 page" in done.stdout
