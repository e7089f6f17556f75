"""Ctrl-C stops long calls quickly and leaves the module usable; dropped iterators free their
workers."""

import errno
import gc
import resource
import signal
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


LONG_CALLS = [
    ("listing", lambda x, tmp: list_all(x)),
    ("fiber list", lambda x, tmp: walk_fibers()),
    ("sub-divisor list file", lambda x, tmp: x.write_subdivisor_list(tmp / "list.doc")),
    ("fiber list file", lambda x, tmp: dorvanix.write_fiber_list(tmp / "fibers.doc",
                                                                 dorvanix.fibers(40, 3, 9))),
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
