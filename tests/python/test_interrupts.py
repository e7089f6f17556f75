"""Ctrl-C stops long calls quickly and leaves the module usable; dropped iterators free their
workers, many live ones fit, and a started one goes on in a forked child."""

import errno
import gc
import resource
import itertools
import os
import select
import signal
import subprocess
import sys
import threading
import time

import pytest

import dorvanix
from conftest import os_thread_count

# Eleven branches of multiplicity 5 under m = 11: hundreds of millions of vectors per k, far more
# than any of these calls may finish before the alarm.
HUGE = "((11,5)" + ",5" * 11 + ")"


def list_all(x):
    for _ in x.subdivisors(all_types=True):
        pass


def walk_fibers():
    for _ in dorvanix.fibers(40, 3, 9):
        pass


def large_analysis():
    """A fiber of 40000 curves and its first listed line, whose chain diagram has 3 chains of
    14997 nodes: a picture of seconds, within the bounds."""
    x = dorvanix.Fiber("((10000,4)" + ",9999" * 4 + ",4)")
    return x, next(x.subdivisors())


LONG_CALLS = [
    ("listing", lambda x, tmp: list_all(x)),
    ("fiber list", lambda x, tmp: walk_fibers()),
    ("sub-divisor list file", lambda x, tmp: x.write_subdivisor_list(tmp / "list.doc")),
    ("fiber list file", lambda x, tmp: dorvanix.write_fiber_list(tmp / "fibers.doc",
                                                                 dorvanix.fibers(40, 3, 9))),
    ("analysis and its picture",
     lambda x, tmp: (lambda big, y: big.picture(y, ticks=100))(*large_analysis())),
]


@pytest.fixture
def alarm():
    def interrupt(*_):
        raise KeyboardInterrupt

    previous = signal.signal(signal.SIGALRM, interrupt)
    yield lambda seconds: signal.setitimer(signal.ITIMER_REAL, seconds)
    signal.setitimer(signal.ITIMER_REAL, 0)
    signal.signal(signal.SIGALRM, previous)


@pytest.mark.parametrize("label,call", LONG_CALLS, ids=[c[0] for c in LONG_CALLS])
def test_ctrl_c_stops_a_long_call(alarm, tmp_path, label, call):
    threads = os_thread_count()
    x = dorvanix.Fiber(HUGE)
    alarm(0.2)
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        call(x, tmp_path)
    waited = time.monotonic() - started
    # Each call would run for minutes; how soon it stops is measured by bench/python_vs_cli.py.
    assert waited < 10, f"{label}: not stopped by the interrupt ({waited:.1f} s)"
    gc.collect()
    assert os_thread_count() == threads, f"{label}: a worker outlived the interrupt"
    assert list(tmp_path.iterdir()) == [], f"{label}: an interrupted file was left behind"
    # the module goes on working
    assert [f.line for f in dorvanix.fibers(5, 2, 3)] == [
        "((5,2),4,4,2) : 22 (g=2)", "((5,2),4,3,3) : 18 (g=2)"]


def test_ctrl_c_stops_the_dual_graph_of_a_fiber_at_its_bound(alarm):
    # 199,363 curves, just within the bound: Ctrl-C a quarter of the way ends it well before.
    x = dorvanix.Fiber("((447,446)" + ",446" * 447 + ")")
    started = time.monotonic()
    x.dual_graph()
    whole = time.monotonic() - started
    alarm(whole / 4)
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        x.dual_graph()
    stopped = time.monotonic() - started
    assert stopped < 0.75 * whole, f"stopped after {stopped:.2f} s of {whole:.2f} s"


def test_ctrl_c_stops_the_dual_graph_of_a_large_analysis(alarm):
    # 1332 chains of 666 nodes: the dual graph analyses Y again. Interrupted a quarter of the way
    # through, it must end well before it would have ended by itself.
    x = dorvanix.Fiber("((38,37)" + ",37" * 38 + ")")
    analysis = x.analyze(next(itertools.islice(x.subdivisors(), 1, None)))
    started = time.monotonic()
    analysis.dual_graph()
    whole = time.monotonic() - started
    alarm(whole / 4)
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        analysis.dual_graph()
    stopped = time.monotonic() - started
    assert stopped < 0.75 * whole, f"stopped after {stopped:.2f} s of {whole:.2f} s"


def fibers_past_a_full_disk():
    x = dorvanix.Fiber("((3,2),2,2,2)")
    for _ in range(100_000):  # 2.6 MB of lines
        yield x
    raise RuntimeError("the writer kept taking fibers after the disk was full")


FULL_DISK = [
    ("sub-divisor list file", lambda x, tmp: x.write_subdivisor_list(tmp / "list.doc")),
    ("fiber list file", lambda x, tmp: dorvanix.write_fiber_list(tmp / "fibers.doc",
                                                                 fibers_past_a_full_disk())),
]


# The first failed write ends a long call. The limit on file sizes stands in for a full disk:
# Python ignores SIGXFSZ, so writes beyond it fail with EFBIG.
@pytest.mark.parametrize("label,call", FULL_DISK, ids=[c[0] for c in FULL_DISK])
def test_a_full_disk_stops_a_long_write(alarm, tmp_path, label, call):
    limits = resource.getrlimit(resource.RLIMIT_FSIZE)
    resource.setrlimit(resource.RLIMIT_FSIZE, (4096, limits[1]))
    alarm(30)  # a listing that went on after the failure would run for hours
    try:
        with pytest.raises(OSError) as failed:
            call(dorvanix.Fiber(HUGE), tmp_path)
    except KeyboardInterrupt:
        pytest.fail(f"{label}: still writing long after the disk was full")
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, limits)
    assert failed.value.errno == errno.EFBIG, label
    assert list(tmp_path.iterdir()) == [], label


# Lists that start at once and run for seconds: 17262 sub-divisors, 531 fibers.
MANY_LINES = "((30,2),29,25,1,1,1,1,1,1)"
DROPS = [
    ("sub-divisors, dropped", lambda: dorvanix.Fiber(MANY_LINES).subdivisors(all_types=True),
     "del"),
    ("sub-divisors, closed", lambda: dorvanix.Fiber(MANY_LINES).subdivisors(all_types=True),
     "close"),
    ("fibers, dropped", lambda: dorvanix.fibers(16, 2, 6), "del"),
    ("fibers, left by with", lambda: dorvanix.fibers(16, 2, 6), "with"),
]


@pytest.mark.parametrize("label,make,how", DROPS, ids=[d[0] for d in DROPS])
def test_iterator_left_halfway_frees_its_worker(label, make, how):
    threads = os_thread_count()
    iterator = make()
    assert os_thread_count() == threads, f"{label}: the worker starts before it is asked"
    if how == "with":
        with iterator:
            taken = [next(iterator) for _ in range(3)]
    else:
        taken = [next(iterator) for _ in range(3)]
        assert os_thread_count() == threads + 1, label
        if how == "close":
            iterator.close()
            assert next(iterator, None) is None, label
        del iterator
    gc.collect()
    assert os_thread_count() == threads, f"{label}: the worker is still running"
    # what was taken stays valid after its list is gone
    assert all(str(item) for item in taken), label


def test_many_live_iterators_fit_and_a_worker_that_cannot_start_says_so():
    if "tsan" in os.environ.get("LD_PRELOAD", ""):
        pytest.skip("ThreadSanitizer's shadow memory does not fit an address space limit")
    # A thousand started listings within 1 GiB of address space; then a limit just above what is
    # in use leaves no room for another worker's stack. The C library's malloc arenas (64 MiB of
    # address space each, up to eight per core) are held to two, so the limit measures workers.
    script = """if True:
        import resource, dorvanix
        resource.setrlimit(resource.RLIMIT_AS, (1 << 30, resource.RLIM_INFINITY))
        x = dorvanix.Fiber("%s")
        live = [x.subdivisors(all_types=True) for _ in range(1000)]
        assert all(next(iterator) for iterator in live)
        used = int(open("/proc/self/status").read().split("VmSize:")[1].split()[0]) << 10
        resource.setrlimit(resource.RLIMIT_AS, (used + (64 << 10), resource.RLIM_INFINITY))
        try:
            next(x.subdivisors())
        except RuntimeError as error:
            print(error)
    """ % MANY_LINES
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          env=dict(os.environ, MALLOC_ARENA_MAX="2"), timeout=120)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith(
        "cannot start the worker thread of a listing: Resource temporarily unavailable"), done.stdout


def test_running_out_of_address_space_raises_instead_of_ending_the_process():
    if "tsan" in os.environ.get("LD_PRELOAD", ""):
        pytest.skip("ThreadSanitizer's shadow memory does not fit an address space limit")
    # Fiber lists with large tables on their workers, one after the other, until 1 GiB is used up:
    # the last one started must fail as Python sees it, whichever thread ran out.
    script = """if True:
        import resource, dorvanix
        resource.setrlimit(resource.RLIMIT_AS, (1 << 30, resource.RLIM_INFINITY))
        live = []
        try:
            while live.append(dorvanix.fibers(100, 10, 12)) or next(live[-1]):
                pass
        except (RuntimeError, MemoryError) as error:
            print(type(error).__name__, len(live) > 1)
    """
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, timeout=120)
    assert done.stdout.split() in ([b"RuntimeError", b"True"], [b"MemoryError", b"True"]), done


# A FIFO nobody reads yet, and one whose reader never reads: write_fiber_list waits there with
# the GIL released, so another thread goes on, and Ctrl-C stops it. Run apart, as a writer that
# held the GIL would never see the interrupt.
@pytest.mark.parametrize("reader", [False, True], ids=["no reader", "a reader that never reads"])
def test_write_fiber_list_to_a_stuck_fifo_holds_no_thread_up(tmp_path, reader):
    script = """if True:
        import os, signal, sys, threading, time, dorvanix
        os.mkfifo(sys.argv[1])
        held = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK) if sys.argv[2] == "True" else 0
        ticks = []
        threading.Thread(target=lambda: [ticks.append(time.sleep(0.01)) for _ in range(40)]).start()
        signal.signal(signal.SIGALRM, signal.default_int_handler)
        signal.setitimer(signal.ITIMER_REAL, 0.8)
        x = dorvanix.Fiber("((3,2),2,2,2)")
        try:
            dorvanix.write_fiber_list(sys.argv[1], (x for _ in range(100_000)))  # 2.6 MB
        except KeyboardInterrupt:
            print("interrupted", len(ticks))
    """
    try:
        done = subprocess.run([sys.executable, "-c", script, str(tmp_path / "fifo"), str(reader)],
                              capture_output=True, text=True, timeout=30)
    except subprocess.TimeoutExpired:
        pytest.fail("write_fiber_list held every thread and Ctrl-C up")
    assert done.stdout.split() == ["interrupted", "40"], done.stderr


def wait_for_sleeping_threads():
    """Until every thread but this one has slept at two looks 50 ms apart (10 s at most)."""
    def all_asleep():
        states = []
        for task in os.listdir("/proc/self/task"):
            if int(task) != threading.get_native_id():
                with open(f"/proc/self/task/{task}/stat") as stat:
                    states.append(stat.read().rsplit(")", 1)[1].split()[0])
        return all(state == "S" for state in states)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        if all_asleep():
            time.sleep(0.05)
            if all_asleep():
                return
        time.sleep(0.01)


@pytest.mark.parametrize("label,make,how", DROPS[::2], ids=[d[0] for d in DROPS[::2]])
def test_started_iterator_goes_on_in_a_forked_child(label, make, how):
    iterator = make()
    head = [str(next(iterator)) for _ in range(3)]
    if "tsan" in os.environ.get("LD_PRELOAD", ""):
        # ThreadSanitizer's allocator keeps no lock across a fork: a worker forked in the middle
        # of an allocation leaves the child's new worker waiting for ever on that lock (the C
        # library's malloc takes its locks across fork). So there the fork waits for the worker
        # to fill its batches and sleep; elsewhere it comes at once, the worker busy.
        wait_for_sleeping_threads()
    read, write = os.pipe()
    child = os.fork()
    if child == 0:
        try:
            os.write(write, "\n".join(str(item) for item in itertools.islice(iterator, 300)).encode())
        finally:
            os._exit(0)
    os.close(write)
    if not select.select([read], [], [], 60)[0]:
        os.kill(child, signal.SIGKILL)  # it hangs
    with os.fdopen(read, "rb") as pipe:
        in_child = pipe.read().decode().splitlines()
    os.waitpid(child, 0)
    assert head and in_child == [str(item) for item in itertools.islice(iterator, 300)], label
