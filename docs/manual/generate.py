"""Writes what the manual shows of the program itself into docs/manual/_generated/, from the
built tool and module, so that no page can drift from what they do:

- cli/NAME.txt: `dorvanix-cli NAME --help` of every subcommand (cli/dorvanix-cli.txt the
  program's own, cli/notes.txt the notes every help page ends with);
- example/*.txt and *.svg: the worked example's outputs, its frames and dual graphs (DOT laid out
  by the tool, drawn to SVG by Graphviz's neato -n2 at the tool's own places);
- example/module.txt: what examples/... the guide's module session prints;
- api/STAGE.md: one doxygenfile block per header of each stage of the core.

Usage: generate.py DORVANIX_CLI   (PYTHONPATH must reach the built module)
"""

import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
OUT = os.path.join(HERE, "_generated")
STAGES = ["model", "census", "analysis", "files", "picture"]

# The worked example: a fiber of genus 2 and one of its sub-divisors with three chains.
X = "((5,2),4,3,3)"
Y = "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB"

# (file, arguments): each output the guide shows, as the tool prints it.
EXAMPLE_OUTPUTS = [
    ("fibers.txt", ["fibers", "5", "2", "3"]),
    ("subdivisors.txt", ["subdivisors", X]),
    ("count.txt", ["subdivisors", X, "--count"]),
    ("analyze.txt", ["analyze", X, Y]),
    ("analyze.json", ["analyze", X, Y, "--json"]),
    ("quorbel.txt", ["quorbel", X, Y]),
    ("lookup.txt", ["lookup", "2.5.2.4-3-3"]),
    ("fibers.jsonl", ["fibers", "5", "2", "3", "--jsonl"]),
    ("census-2.txt", ["census", "--genus", "2"]),
    ("graph-x.json", ["graph", X]),
    ("tikz.tex", ["graph", X, "--format", "tikz", "--layout", "plain"]),
    ("picture-x.svg", ["picture", X]),
    ("picture-fly.svg", ["picture", X, Y, "--ticks", "30"]),
    ("picture-y.svg", ["picture", X, Y, "--ticks", "50"]),
    ("picture-chains.svg", ["picture", X, Y, "--ticks", "80"]),
]
# (file, arguments): dual graphs drawn at the places the tool gives them.
GRAPHS = [
    ("graph-x.svg", ["graph", X, "--format", "dot"]),
    ("graph-r.svg", ["graph", X, Y, "--format", "dot"]),
]


def run(command, **kwargs):
    done = subprocess.run(command, capture_output=True, check=False, **kwargs)
    if done.returncode != 0:
        sys.exit(f"generate.py: {' '.join(command)} failed ({done.returncode}): "
                 f"{done.stderr.decode(errors='replace').strip()}")
    return done.stdout


def write(relative, data):
    path = os.path.join(OUT, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        data = data.encode()
    with open(path, "wb") as out:
        out.write(data)


def subcommands(main_help):
    """The subcommand names of the program's help, in its order."""
    names, inside = [], False
    for line in main_help.splitlines():
        if line.startswith("Subcommands:"):
            inside = True
        elif inside and re.match(r"  [a-z]", line):
            names.append(line.split()[0])
        elif inside and line and not line.startswith(" "):
            break
    return names


def help_pages(cli):
    main = run([cli, "--help"]).decode()
    # Every help page ends with the same notes (sizes, progress, exit status, examples): they are
    # shown once, on the tool's own page.
    head, sep, notes = main.partition("\n\n\nSizes:")
    write("cli/dorvanix-cli.txt", head.rstrip() + "\n")
    write("cli/notes.txt", ("Sizes:" + notes).rstrip() + "\n" if sep else "")
    for name in subcommands(main):
        text = run([cli, name, "--help"]).decode()
        write(f"cli/{name}.txt", text.partition("\n\n\nSizes:")[0].rstrip() + "\n")


def example(cli):
    for name, args in EXAMPLE_OUTPUTS:
        write(f"example/{name}", run([cli, *args]))
    neato = shutil.which("neato")
    for name, args in GRAPHS:
        dot = run([cli, *args])
        if neato:
            write(f"example/{name}", run([neato, "-n2", "-Tsvg"], input=dot))
        else:
            sys.exit("generate.py: neato (Debian's graphviz) is needed to draw the dual graphs")
    script = os.path.join(HERE, "guide", "worked_example.py")
    write("example/module.txt", run([sys.executable, script]))


def api_pages():
    for stage in STAGES:
        folder = os.path.join(ROOT, "src", stage)
        lines = []
        for header in sorted(f for f in os.listdir(folder) if f.endswith(".h")):
            lines += [f"## `{stage}/{header}`", "", f"```{{doxygenfile}} {stage}/{header}",
                      ":project: dorvanix", "```", ""]
        write(f"api/{stage}.md", "\n".join(lines))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: generate.py DORVANIX_CLI")
    shutil.rmtree(OUT, ignore_errors=True)
    help_pages(sys.argv[1])
    example(sys.argv[1])
    api_pages()


if __name__ == "__main__":
    main()
