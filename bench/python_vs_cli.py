#!/usr/bin/env python3
"""Times the same work through the Python module and through dorvanix-cli.

Usage: PYTHONPATH=build/release/python/module bench/python_vs_cli.py build/release/src/cli/dorvanix-cli

Each row lists the same fiber's sub-divisors (or fibers) both ways, reading every line, and prints
the wall times side by side with their ratio (Python time over tool time).
"""
import subprocess
import sys
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


def main():
    cli = sys.argv[1]
    print(f"{'work':<24} {'python':>10} {'tool':>10} {'ratio':>7}")
    for name, args, in_python in WORK:
        tool = best_of(3, lambda: subprocess.run([cli, *args], check=True,
                                                 stdout=subprocess.DEVNULL))
        python = best_of(3, in_python)
        print(f"{name:<24} {python * 1000:>8.1f}ms {tool * 1000:>8.1f}ms {python / tool:>7.2f}")


if __name__ == "__main__":
    main()
