#!/usr/bin/env python3
"""Times the same work through the Python module and through dorvanix-cli.

Usage: PYTHONPATH=build/release/python/module bench/python_vs_cli.py build/release/src/cli/dorvanix-cli

Each row lists the same fiber's sub-divisors (or fibers) both ways, reading every line (`.line` of
each sub-divisor), and prints the processor and wall times side by side with their ratios (Python
over the tool, best of 3; the tool's times are those of its whole process, start included). The
floor row times the same Python loop over a list of the same lines made beforehand, the least any
listing read from Python can cost. Then how soon a Ctrl-C stops a long listing, fiber list, list
file and picture.
"""
import itertools
import os
import resource
import signal
import subprocess
import sys
import tempfile
import time

import dorvanix

def read_lines(fiber):
    """Reads the line of every sub-divisor of `fiber`, of every type."""
    return sum(len(y.line) for y in dorvanix.Fiber(fiber).subdivisors(all_types=True))


LINES = {}


def read_made_lines(fiber):
    """The floor under read_lines: the same loop over the same lines made beforehand, a list of
    str (made at the first call, which best_of's other runs leave out)."""
    if fiber not in LINES:
        LINES[fiber] = [y.line for y in dorvanix.Fiber(fiber).subdivisors(all_types=True)]
    return sum(len(line) for line in LINES[fiber])


WORK = [
    ("327 680 sub-divisors", ["subdivisors", "((9,2),3,2,1,1,1,1,1,1,1,1,1,1,1,1,1)", "--all-types"],
     lambda: read_lines("((9,2),3,2,1,1,1,1,1,1,1,1,1,1,1,1,1)")),
    ("885 940 sub-divisors", ["subdivisors", "((16,3),8,8,8,8,8,8)", "--all-types"],
     lambda: read_lines("((16,3),8,8,8,8,8,8)")),
    ("  floor: list of str", ["subdivisors", "((16,3),8,8,8,8,8,8)", "--all-types"],
     lambda: read_made_lines("((16,3),8,8,8,8,8,8)")),
    ("fibers 30 2 5", ["fibers", "30", "2", "5"],
     lambda: sum(1 for _ in dorvanix.fibers(30, 2, 5))),
    ("count, 30 branches", ["subdivisors", "((11,15)" + ",10,9,8,7,6,5,4,3,2,1" * 3 + ")", "--count"],
     lambda: dorvanix.Fiber("((11,15)" + ",10,9,8,7,6,5,4,3,2,1" * 3 + ")").count_subdivisors()),
]


def processor_seconds():
    """User and system seconds of this process's threads and of the processes it waited for."""
    own, children = resource.getrusage(resource.RUSAGE_SELF), resource.getrusage(
        resource.RUSAGE_CHILDREN)
    return own.ru_utime + own.ru_stime + children.ru_utime + children.ru_stime


def best_of(runs, action):
    """The least wall and the least processor seconds of `runs` runs of `action`, the processor
    time of the work's threads and of the processes it ran included."""
    walls, cpus = [], []
    for _ in range(runs):
        before = processor_seconds()
        start = time.perf_counter()
        action()
        walls.append(time.perf_counter() - start)
        cpus.append(processor_seconds() - before)
    return min(walls), min(cpus)


# Eleven branches of multiplicity 5 under m = 11: a listing that runs for minutes, as does the
# fiber list of (40, 3, 9). (Counts end within milliseconds.)
HUGE = "((11,5)" + ",5" * 11 + ")"
LONG_CALLS = [
    ("listing", lambda: sum(1 for _ in dorvanix.Fiber(HUGE).subdivisors(all_types=True))),
    ("fiber list", lambda: sum(1 for _ in dorvanix.fibers(40, 3, 9))),
    ("list file", lambda: dorvanix.Fiber(HUGE).write_subdivisor_list(
        os.path.join(tempfile.gettempdir(), "dorvanix-interrupted.doc"))),
    ("analysis and picture", lambda: large_picture()),
]


def large_picture():
    """The second line of ((17,16),16 x 17): a chain diagram of tens of thousands of curves, under
    the 100 000 a picture draws, and seconds of picture."""
    x = dorvanix.Fiber("((17,16)" + ",16" * 17 + ")")
    return x.picture(next(itertools.islice(x.subdivisors(), 1, None)), ticks=100)


def interrupt_delay(call):
    """Seconds from a Ctrl-C (SIGINT after 0.2 s) to the KeyboardInterrupt out of `call`."""
    sent = []
    signal.signal(signal.SIGALRM, lambda *_: (sent.append(time.perf_counter()),
                                              signal.raise_signal(signal.SIGINT)))
    signal.setitimer(signal.ITIMER_REAL, 0.2)
    try:
        call()
    except KeyboardInterrupt:
        return time.perf_counter() - sent[0]
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
    raise RuntimeError("the call ended before the interrupt")


def main():
    cli = sys.argv[1]
    print(f"{'work':<24} {'python cpu':>10} {'tool cpu':>10} {'ratio':>7} "
          f"{'python':>10} {'tool':>10} {'ratio':>7}")
    for name, args, in_python in WORK:
        tool, tool_cpu = best_of(3, lambda: subprocess.run([cli, *args], check=True,
                                                           stdout=subprocess.DEVNULL))
        python, python_cpu = best_of(3, in_python)
        print(f"{name:<24} {python_cpu * 1000:>8.0f}ms {tool_cpu * 1000:>8.0f}ms "
              f"{python_cpu / tool_cpu if tool_cpu > 0 else float('nan'):>7.2f} {python * 1000:>8.1f}ms "
              f"{tool * 1000:>8.1f}ms {python / tool:>7.2f}")
    print()
    print(f"{'Ctrl-C during':<24} {'stopped after':>13}")
    for name, call in LONG_CALLS:
        print(f"{name:<24} {interrupt_delay(call) * 1000:>11.1f}ms")


if __name__ == "__main__":
    main()
