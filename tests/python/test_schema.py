"""The tool's JSON records and the module's dicts follow one schema: schema/dorvanix.schema.json."""

import json
import os
import shutil
import subprocess

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


@pytest.mark.parametrize("args", [[X], [X, "(3;(3,3),(2,1),(1))"], ["((5,2),4,4,2)"]],
                         ids=["graph X", "graph X Y", "graph ((5,2),4,4,2)"])
def test_tikz_compiles_to_one_page(tmp_path, args):
    if shutil.which("pdflatex") is None:
        pytest.skip("pdflatex is not installed (texlive-pictures)")
    (tmp_path / "graph.tex").write_bytes(run_cli("graph", *args, "--format", "tikz").stdout)
    done = subprocess.run(["pdflatex", "-interaction=nonstopmode", "-halt-on-error", "graph.tex"],
                          cwd=tmp_path, capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stdout[-2000:]
    assert "Output written on graph.pdf (1 page" in done.stdout
