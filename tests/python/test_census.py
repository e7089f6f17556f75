"""The census as a dataset: its database, CSV file and DataFrame hold the records of
`census --jsonl`, and lookup finds every census fiber from its label and its shuffled graph."""

import csv
import io
import json
import os
import random
import re
import sqlite3
import subprocess
import sys

import pytest

import dorvanix
from conftest import cli_lines, run_cli

GENERA = "2..5"
COLUMNS = ["label", "genus", "m", "r", "b", "branches", "simple_crusts", "line"]
SCHEMA = os.path.join(os.environ["DORVANIX_EXAMPLES"], "..", "schema", "census.sql")


def census_records(analyze=False):
    """The records of `census --jsonl` for the genera, with analysis_table when asked."""
    extra = ["--analyze"] if analyze else []
    return [json.loads(line) for line in cli_lines("census", "--genus", GENERA, "--jsonl", *extra)]


def row_of(record):
    return [record["label"], record["genus"], record["m"], record["r"], len(record["branches"]),
            record["branches"], record["simple_crust_count"], record["line"]]


def test_database_holds_the_census_in_order_with_its_tables_and_schema(tmp_path):
    path = tmp_path / "census.sqlite"
    run_cli("census", "--genus", GENERA, "--analyze", "--format", "sqlite", "--output", path)
    records = census_records(analyze=True)
    db = sqlite3.connect(path)
    fibers = [[*row[:5], json.loads(row[5]), *row[6:]]
              for row in db.execute("SELECT * FROM fibers ORDER BY rowid")]
    assert fibers == [row_of(record) for record in records]
    analysis = db.execute("SELECT * FROM analysis ORDER BY rowid").fetchall()
    assert analysis == [(record["label"], row["chain_count"], row["gcd"], row["genus_numerator"],
                         row["joining_curve_genus"], row["count"])
                        for record in records for row in record["analysis_table"]]
    meta = dict(db.execute("SELECT key, value FROM meta"))
    assert (meta["genus_from"], meta["genus_to"], meta["schema_version"]) == ("2", "5", "1")
    assert meta["version"] == dorvanix.__version__ and "--format sqlite" in meta["command"]
    def statements(sql):
        return {" ".join(s.split()) for s in re.sub(r"--[^\n]*", "", sql).split(";") if s.strip()}
    made = db.execute("SELECT group_concat(sql, ';') FROM sqlite_master").fetchone()[0]
    assert statements(made) == statements(open(SCHEMA).read())
    assert db.execute("SELECT count(*) FROM fibers WHERE genus = 5 AND simple_crusts <= 2"
                      ).fetchone()[0] == sum(1 for r in records
                                             if r["genus"] == 5 and r["simple_crust_count"] <= 2)


def test_a_count_past_2_to_the_63_stays_exact_in_the_database(tmp_path):
    # Genus 31 has a fiber of 64 branches (m = 2) whose count passes 2^63.
    path = tmp_path / "census.sqlite"
    run_cli("census", "--genus", "31", "--format", "sqlite", "--output", path)
    db = sqlite3.connect(path)
    counts = db.execute("SELECT simple_crusts, line FROM fibers WHERE m = 2").fetchall()
    for count, line in counts:
        assert f" : {count} (g=31)" in line
        assert isinstance(count, str) == (int(count) >= 2**63), line
    assert any(isinstance(count, str) for count, _ in counts)


def test_csv_has_a_header_and_one_fiber_a_row():
    text = run_cli("census", "--genus", GENERA, "--format", "csv").stdout.decode()
    rows = list(csv.reader(io.StringIO(text)))
    assert rows[0] == COLUMNS
    expected = [[str(v) if not isinstance(v, list) else json.dumps(v, separators=(",", ":"))
                 for v in row_of(record)] for record in census_records()]
    assert rows[1:] == expected


def test_census_frame_is_the_census_as_a_data_frame():
    frame = dorvanix.census_frame(genus=range(2, 6), analyze=True)
    records = census_records(analyze=True)
    assert list(frame.columns) == COLUMNS + ["analysis_table"]
    assert [[*row[:5], list(row[5]), *row[6:8]] for row in frame.itertuples(index=False)] == [
        row_of(record) for record in records]
    assert list(frame["analysis_table"]) == [record["analysis_table"] for record in records]


def test_census_frame_without_pandas_says_what_to_install():
    code = ("import sys; sys.modules['pandas'] = None; import dorvanix\n"
            "try:\n    dorvanix.census_frame(genus=2)\nexcept ImportError as e:\n    print(e)")
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                          check=True)
    assert "python3-pandas" in done.stdout


def shuffled(graph, rng):
    """The graph with its vertices reordered, renumbered and its edges turned."""
    ids = list(range(len(graph["vertices"])))
    rng.shuffle(ids)
    vertices = [{**v, "id": 1000 + ids[v["id"]]} for v in graph["vertices"]]
    edges = [[1000 + ids[j], 1000 + ids[i]] for i, j in graph["edges"]]
    rng.shuffle(vertices)
    rng.shuffle(edges)
    return {"vertices": vertices, "edges": edges}


def test_lookup_finds_every_census_fiber_from_its_label_and_shuffled_graph():
    rng = random.Random(25)
    for record in census_records():
        x = dorvanix.Fiber(record["label"])
        assert (x.label, x.line) == (record["label"], record["line"])
        found = dorvanix.lookup(shuffled(x.dual_graph(), rng))
        assert (found.label, found.line) == (record["label"], record["line"])
    with pytest.raises(ValueError, match="gcd"):
        dorvanix.lookup("((6,2),4,4,4)")
