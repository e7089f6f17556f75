#!/usr/bin/python3
"""Times the census with its (N, d, h) tables spread over Dask against the tool's own threads.

Usage: PYTHONPATH=build/release/python/module /usr/bin/python3 bench/dask_vs_threads.py \\
           build/release/src/cli/dorvanix-cli [GENUS ...]

For each genus (default 8 to 11) it runs `dorvanix-cli census --genus G --analyze --jsonl
--threads 2` and examples/dask_census.py on a local cluster of 2 worker processes of one thread and
on one of 1 worker, checks that all three write the same bytes, and prints the wall and processor
times side by side: Dask in all and without the cluster's start (measured once, alone), the blocks
of the walk, (up to genus 9) the share of one thread's time that the census's costliest fiber
takes, and the wall time of 2 workers over 1. The example shares that fiber's analyses out a part
of its listing a task, so that 2 workers can halve it. On a machine busy with other work the wall
times say little, so it also prints the processor seconds of the busiest of the 2 workers over
those of the one worker: the wall ratio the 2 workers reach with a core each.
"""
import resource
import subprocess
import sys
import time
from pathlib import Path

EXAMPLE = Path(__file__).resolve().parents[1] / "examples" / "dask_census.py"


def cpu_of_children():
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    return used.ru_utime + used.ru_stime


def timed(command):
    """Wall seconds, processor seconds (the command's and its workers') and what it wrote."""
    wall, cpu, out, _ = timed_with_workers(command)
    return wall, cpu, out


def timed_with_workers(command):
    """The same, and the processor seconds of each worker of an example run, busiest first."""
    start, cpu = time.perf_counter(), cpu_of_children()
    done = subprocess.run(command, capture_output=True, check=True)
    workers = []
    for line in done.stderr.decode().splitlines():
        if line.startswith("worker processor seconds:"):
            workers = [float(s) for s in line.split(":")[1].split()]
    return time.perf_counter() - start, cpu_of_children() - cpu, done.stdout, workers


def cluster_start():
    """Seconds to start a local cluster of 2 workers and a client, and to close them."""
    from dask.distributed import Client, LocalCluster
    start = time.perf_counter()
    with LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None) as cluster:
        with Client(cluster):
            pass
    return time.perf_counter() - start


def largest_fiber_share(genus):
    """The share of one thread's time the costliest fiber of the census takes."""
    import dorvanix
    times = []
    for fiber in dorvanix.census(genus=genus, threads=1):
        start = time.perf_counter()
        fiber.analysis_table()
        times.append(time.perf_counter() - start)
    return max(times) / sum(times)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    cli = sys.argv[1]
    genera = [int(g) for g in sys.argv[2:]] or [8, 9, 10, 11]
    import dorvanix
    start = cluster_start()
    print(f"local cluster of 2 workers: {start:.1f} s to start and stop")
    print(f"{'genus':>5} {'blocks':>6} {'largest fiber':>13} {'--threads 2':>12} {'(cpu)':>8} "
          f"{'Dask':>9} {'(cpu)':>8} {'Dask - start':>12} {'Dask / threads':>14} "
          f"{'1 worker':>9} {'(cpu)':>8} {'2 / 1':>6} {'workers (cpu)':>16} {'busiest / 1':>11}")
    for genus in genera:
        blocks = sum(1 for _ in dorvanix.census_blocks(genus=genus))
        share = largest_fiber_share(genus) if genus <= 9 else float("nan")
        threads, threads_cpu, expected = timed([cli, "census", "--genus", str(genus), "--analyze",
                                                "--jsonl", "--threads", "2"])
        dask, dask_cpu, written, two = timed_with_workers(
            [sys.executable, str(EXAMPLE), "--genus", str(genus), "--workers", "2",
             "--worker-times"])
        assert written == expected, f"genus {genus}: Dask wrote other bytes than the tool"
        one, one_cpu, written, alone = timed_with_workers(
            [sys.executable, str(EXAMPLE), "--genus", str(genus), "--workers", "1",
             "--worker-times"])
        assert written == expected, f"genus {genus}: one Dask worker wrote other bytes"
        print(f"{genus:>5} {blocks:>6} {share:>12.0%} {threads:>11.1f}s {threads_cpu:>7.1f}s "
              f"{dask:>8.1f}s {dask_cpu:>7.1f}s {dask - start:>11.1f}s {dask / threads:>14.2f} "
              f"{one:>8.1f}s {one_cpu:>7.1f}s {dask / one:>6.2f} "
              f"{' + '.join(f'{s:.1f}' for s in two):>15}s {two[0] / alone[0]:>11.2f}",
              flush=True)


if __name__ == "__main__":
    main()
