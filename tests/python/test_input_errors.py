"""Bad input raises ValueError with the message dorvanix-cli prints, and nothing is left half done."""

import importlib.util
import subprocess
import sys

import pytest

import dorvanix
from conftest import run_cli


def tool_message(*args):
    done = run_cli(*args, check=False)
    assert done.returncode == 2, args
    message = done.stderr.decode().strip()
    assert message.startswith("dorvanix-cli: "), message
    return message[len("dorvanix-cli: "):]


BAD_FIBERS = [
    ("sum is not m*r", "((3,2),2,2,1)"),
    ("chain rule", "(3;(2,2),(2,1),(2,1))"),
    ("neither form", "3 2 2 2"),
    ("trailing text", "((3,2),2,2,2) x"),
    ("empty", ""),
    ("huge number", "((99999999999,2),1,1,1)"),
]


@pytest.mark.parametrize("label,text", BAD_FIBERS, ids=[c[0] for c in BAD_FIBERS])
def test_bad_fiber_text(label, text):
    with pytest.raises(ValueError) as raised:
        dorvanix.Fiber(text)
    assert str(raised.value) == tool_message("subdivisors", text), label


BAD_SIZES = [
    ("m below 2", (1, 2, 3), ["1", "2", "3"]),
    ("b below 3", (3, 2, 2), ["3", "2", "2"]),
    ("m far above int", (2**70, 2, 3), [str(2**70), "2", "3"]),
]


@pytest.mark.parametrize("label,size,args", BAD_SIZES, ids=[c[0] for c in BAD_SIZES])
def test_bad_sizes(label, size, args):
    with pytest.raises(ValueError) as raised:
        dorvanix.fibers(*size)
    assert str(raised.value) == tool_message("fibers", *args), label


def test_bad_options():
    cases = [
        ("five multiplicities", lambda: dorvanix.fibers(5, 2, 3, multiplicities=[1, 1, 1, 1, 1]),
         "at most 4"),
        ("negative multiplicity", lambda: dorvanix.fibers(5, 2, 3, multiplicities=[-1]),
         "cannot be negative"),
        ("ell too large", lambda: dorvanix.Fiber("((3,2),2,2,2)").subdivisors(ell=101),
         "-100 to 100"),
        ("ell too small", lambda: dorvanix.Fiber("((3,2),2,2,2)").count_subdivisors(ell=-101),
         "-100 to 100"),
    ]
    for label, call, fragment in cases:
        with pytest.raises(ValueError, match=fragment):
            call()


BAD_CENSUS = [
    ("genus far above the largest", dict(genus=10**9), ["--genus", str(10**9)]),
    ("more threads than any machine has cores", dict(genus=2, threads=300),
     ["--genus", "2", "--threads", "300"]),
    ("negative threads", dict(genus=2, threads=-1), ["--genus", "2", "--threads=-1"]),
]


@pytest.mark.parametrize("label,keywords,args", BAD_CENSUS, ids=[c[0] for c in BAD_CENSUS])
def test_bad_census(label, keywords, args):
    # The census, its blocks for Dask and its DataFrame take the tool's bounds too.
    keywords = dict(keywords)
    threads = keywords.pop("threads", None)
    calls = [lambda: dorvanix.census(**keywords, threads=threads or 0)]
    if importlib.util.find_spec("pandas") is not None:
        calls.append(lambda: dorvanix.census_frame(**keywords, threads=threads or 0))
    if threads is None:
        calls.append(lambda: dorvanix.census_blocks(**keywords))
    else:
        calls.append(lambda: next(dorvanix.census_blocks(**keywords)).analysis_records(
            threads=threads))
    for call in calls:
        with pytest.raises(ValueError) as raised:
            call()
        assert str(raised.value) == tool_message("census", *args).replace("--threads", "threads")


def test_analysis_refuses_what_the_tool_refuses():
    text, line = "((1001,2),1000,1000,1,1)", "(999;(999,999),(999,999),(1),(1))"
    x = dorvanix.Fiber(text)
    with pytest.raises(ValueError) as raised:
        x.analyze(dorvanix.Subdivisor(x, line))
    assert str(raised.value) == tool_message("analyze", text, line)


def test_python_integers_of_every_kind_are_accepted():
    class Index:
        def __init__(self, value):
            self.value = value

        def __index__(self):
            return self.value

    assert [x.line for x in dorvanix.fibers(Index(5), 2, True + 2)] == [
        x.line for x in dorvanix.fibers(5, 2, 3)]
    with pytest.raises(TypeError):
        dorvanix.fibers(5.0, 2, 3)


BAD_LINES = [
    ("branch count", "(2;(2),(1))"),
    ("not admitted", "(2;(1),(1),())"),
    ("wrong ell", "(2;(2),(1),(1)):: ell = 2 :: type = CAA"),
    ("bad chain", "(1;(1,5),(1),(1))"),
]


@pytest.mark.parametrize("label,line", BAD_LINES, ids=[c[0] for c in BAD_LINES])
def test_bad_subdivisor_lines(label, line):
    x = dorvanix.Fiber("(3;(2,1),(2,1),(2,1))")
    with pytest.raises(ValueError) as raised:
        dorvanix.Subdivisor(x, line)
    assert str(raised.value) == tool_message("quorbel", x.notation, line), label


def test_subdivisor_of_another_fiber_is_checked():
    x = dorvanix.Fiber("(3;(2,1),(2,1),(2,1))")
    other = dorvanix.Fiber("(5;(4,3,2,1),(3,1),(3,1))")
    y = next(other.subdivisors())
    for use in (x.quorbel, x.analyze):
        with pytest.raises(ValueError):
            use(y)
    # a line that also fits this fiber is taken as a line of it
    fitting = dorvanix.Subdivisor(dorvanix.Fiber("((3,2),2,2,2)"), "(1;(1,1),(1,1),(1,1))")
    assert x.quorbel(fitting).encode() == run_cli("quorbel", x.notation, fitting.line).stdout


DEEP = 50_000  # the tool's argument may hold at most 128 KiB
HOSTILE_LOOKUPS = [
    ("an id nested deep", '{"vertices":[{"id":' + "[" * DEEP + "]" * DEEP
     + ',"multiplicity":1}],"edges":[]}'),
    ("a field nested deep", '{"vertices":[],"edges":[],"x":' + "[" * DEEP + "]" * DEEP + "}"),
    ("a self-intersection of 2^64 - 2",
     '{"vertices":[{"id":0,"multiplicity":3,"self_intersection":18446744073709551614}],'
     '"edges":[]}'),
]


@pytest.mark.parametrize("label,text", HOSTILE_LOOKUPS, ids=[c[0] for c in HOSTILE_LOOKUPS])
def test_hostile_graphs_are_refused_as_the_tool_refuses_them(label, text):
    with pytest.raises(ValueError) as raised:
        dorvanix.lookup(text)
    assert str(raised.value) == tool_message("lookup", text), label


def test_graphs_past_their_bound_are_declined_as_the_tool_declines_them():
    text = "((501,500)" + ",500" * 501 + ")"  # 250,501 curves
    x = dorvanix.Fiber(text)
    for build in (x.dual_graph, x.intersection_matrix):
        with pytest.raises(ValueError) as raised:
            build()
        assert str(raised.value) == tool_message("graph", text)


def test_text_that_is_no_utf8_is_a_type_error_as_in_fiber():
    for call in (dorvanix.Fiber, dorvanix.lookup):
        with pytest.raises(TypeError, match="incompatible"):
            call("2.5.2.4-4-\ud800")


def test_a_graph_read_without_memory_raises_memory_error():
    script = """if True:
        import os, resource, dorvanix
        star = ('{"vertices":[{"id":0,"multiplicity":3}'
                + "".join(',{"id":%d,"multiplicity":1}' % i for i in range(1, 150000))
                + '],"edges":[' + ",".join("[0,%d]" % i for i in range(1, 150000)) + "]}")
        if "tsan" not in os.environ.get("LD_PRELOAD", ""):
            with open("/proc/self/statm") as statm:
                size = int(statm.read().split()[0]) * os.sysconf("SC_PAGE_SIZE")
            resource.setrlimit(resource.RLIMIT_AS, (size + (4 << 20), resource.RLIM_INFINITY))
        try:
            dorvanix.lookup(star)
        except MemoryError as error:
            print("MemoryError:", error)
        except ValueError as error:
            print("ValueError:", error)
    """
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith(("MemoryError: not enough memory", "ValueError: dual graph")), \
        done.stdout


def test_selftest_on_a_full_disk_says_so_in_one_line():
    with open("/dev/full", "w") as full:
        done = subprocess.run([sys.executable, "-m", "dorvanix.selftest"], stdout=full,
                              capture_output=False, stderr=subprocess.PIPE, text=True,
                              timeout=300)
    assert done.returncode == 1
    assert done.stderr == ("dorvanix.selftest: cannot write to standard output: "
                           "No space left on device\n")
