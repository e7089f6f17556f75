"""The manual's reference is complete: every public name of the module has a docstring, every
callable's has an example (run here as a doctest) and its arguments, every name has an entry in
docs/manual/reference/python.md, and every subcommand of the tool has its page."""

import doctest
import inspect
import os
import re

import dorvanix

from conftest import run_cli

MANUAL = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "manual")
# pybind11's own words where a name was given no docstring.
DEFAULT_DOCS = ("Initialize self", "Return ", "Helper for pickle", "Create and return")


def public_names():
    """(qualified name, object) of every public name, class members included."""
    for name in sorted(n for n in dir(dorvanix) if not n.startswith("_")):
        value = getattr(dorvanix, name)
        if inspect.ismodule(value):
            continue
        yield f"dorvanix.{name}", value
        if inspect.isclass(value):
            for member, attribute in vars(value).items():
                # A class made only by the module has pybind11's __init__, which refuses.
                constructor = member == "__init__" and "Initialize self" not in attribute.__doc__
                if constructor or not member.startswith("_"):
                    yield f"dorvanix.{name}.{member}", attribute


def docstring_body(value):
    """The docstring without pybind11's signature line."""
    text = inspect.getdoc(value) or ""
    lines = text.splitlines()
    if lines and re.match(r"^(__init__|\w+)\(.*\)", lines[0]):
        lines = lines[1:]
    return "\n".join(lines).strip()


def test_every_public_name_has_a_docstring_and_callables_an_example():
    faults = []
    for name, value in public_names():
        body = docstring_body(value)
        if not body or body.startswith(DEFAULT_DOCS):
            faults.append(f"{name}: no docstring")
        elif callable(value) and not inspect.isclass(value):
            signature = (inspect.getdoc(value) or "").splitlines()[0]
            if "Example:" not in body:
                faults.append(f"{name}: no Example section")
            arguments = re.sub(r"\bself: [\w.]+(, )?|\*, |\*args", "", signature.split("->")[0].strip())
            if "(" in arguments and not arguments.endswith("()") and "Args:" not in body:
                faults.append(f"{name}: arguments without an Args section")
    assert not faults, "\n".join(faults)


def test_docstring_examples_run():
    finder, runner = doctest.DocTestFinder(), doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    for name, value in public_names():
        for test in finder.find(docstring_body(value), name, globs={"dorvanix": dorvanix}):
            runner.run(test)
    assert runner.tries > 40 and runner.failures == 0, f"{runner.failures} examples fail (above)"


def test_reference_names_every_public_name_and_subcommand():
    with open(os.path.join(MANUAL, "reference", "python.md"), encoding="utf-8") as page:
        entries = set(re.findall(r"^\.\. auto(?:function|class):: (dorvanix\.\w+)$", page.read(), re.M))
    missing = [name for name, _ in public_names() if name.count(".") == 1 and name not in entries]
    assert not missing, f"not in reference/python.md: {missing}"

    main_help = run_cli("--help").stdout.decode()
    subcommands = re.findall(r"^  ([a-z]+) ", main_help.split("Subcommands:")[1], re.M)
    with open(os.path.join(MANUAL, "reference", "cli", "index.md"), encoding="utf-8") as index:
        toctree = index.read().split("```{toctree}")[1].split()
    for name in subcommands:
        page = os.path.join(MANUAL, "reference", "cli", f"{name}.md")
        assert os.path.exists(page) and name in toctree, f"subcommand {name} has no page"
        with open(page, encoding="utf-8") as text:
            assert f"_generated/cli/{name}.txt" in text.read(), f"{name}.md lacks its --help"
