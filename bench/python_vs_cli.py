#!/usr/bin/env python3
"""Times the same work through the Python module and through dorvanix-cli.

Usage: PYTHONPATH=build/release/python/module bench/python_vs_cli.py build/release/src/cli/dorvanix-cli

Each row lists the same fiber's sub-divisors (or fibers) both ways, reading every line, and prints
the wall times side by side with their ratio (Python time over tool time); then how soon a Ctrl-C
stops a long listing, fiber list, list file and picture.
"""
import itertools
import os
import signal
import subprocess
import sys
import tempfile
import time

import dorvanix

WORK = [
    ("subdivisors, all types", ["subdivisors", "((9,2),3,2,1,1,1,1,1,1,1,1,1,1,1,1,1)", "--all-types"],
     lambda: sum(1 for _ in dorvanix.Fiber("((9,2),3,2,1,1,1,1,1,1,1,1,1,1,1,1,1)")
                 .subdivisors(all_types=True))),
    ("fibers 30 2 5", ["fibers", "30", "2", "5"],
     lambda: sum(1 for _ in dorvanix.fibers(30, 2, 5))),
    ("count, 30 branches", ["subdivisors", "((11,15)" + ",10,9,8,7,6,5,4,3,2,1" * 3 + ")", "--count"],
     lambda: dorvanix.Fiber("((11,15)" + ",10,9,8,7,6,5,4,3,2,1" * 3 + ")").count_subdivisors()),
]


def best_of(runs, action):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return min(times)


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
    """The second line of ((38,37),37 x 38): 887 112 chain nodes, seconds of analysis, minutes of
    picture."""
    x = dorvanix.Fiber("((38,37)" + ",37" * 38 + ")")
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
    print(f"{'work':<24} {'python':>10} {'tool':>10} {'ratio':>7}")
    for name, args, in_python in WORK:
        tool = best_of(3, lambda: subprocess.run([cli, *args], check=True,
                                                 stdout=subprocess.DEVNULL))
        python = best_of(3, in_python)
        print(f"{name:<24} {python * 1000:>8.1f}ms {tool * 1000:>8.1f}ms {python / tool:>7.2f}")
    print()
    print(f"{'Ctrl-C during':<24} {'stopped after':>13}")
    for name, call in LONG_CALLS:
        print(f"{name:<24} {interrupt_delay(call) * 1000:>11.1f}ms")


if __name__ == "__main__":
    main()
