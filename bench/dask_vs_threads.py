#!/usr/bin/python3
"""Times the census with its (N, d, h) tables spread over Dask against the tool's own threads.

Usage: PYTHONPATH=build/release/python/module /usr/bin/python3 bench/dask_vs_threads.py \\
           build/release/src/cli/dorvanix-cli [GENUS ...]

For each genus (default 8 to 11) it runs `dorvanix-cli census --genus G --analyze --jsonl
--threads 2` and examples/dask_census.py on a local cluster of 2 worker processes of one thread,
checks that both write the same bytes, and prints the wall times side by side: Dask in all and
without the cluster's start (measured once, alone), the blocks of the walk, and the share of the
census's time its one largest fiber takes (a block is one task, so no cluster can go below it).
"""
import os
import subprocess
import sys
import time
from pathlib import Path

EXAMPLE = Path(__file__).resolve().parents[1] / "examples" / "dask_census.py"


def timed(command):
    start = time.perf_counter()
    done = subprocess.run(command, capture_output=True, check=True)
    return time.perf_counter() - start, done.stdout


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
    print(f"{'genus':>5} {'blocks':>6} {'largest fiber':>13} {'--threads 2':>12} "
          f"{'Dask':>9} {'Dask - start':>12} {'Dask / threads':>14}")
    for genus in genera:
        blocks = sum(1 for _ in dorvanix.census_blocks(genus=genus))
        share = largest_fiber_share(genus) if genus <= 9 else float("nan")
        threads, expected = timed([cli, "census", "--genus", str(genus), "--analyze", "--jsonl",
                                   "--threads", "2"])
        dask, written = timed([sys.executable, str(EXAMPLE), "--genus", str(genus),
                               "--workers", "2"])
        assert written == expected, f"genus {genus}: Dask wrote other bytes than the tool"
        print(f"{genus:>5} {blocks:>6} {share:>12.0%} {threads:>11.1f}s {dask:>8.1f}s "
              f"{dask - start:>11.1f}s {dask / threads:>14.2f}", flush=True)


if __name__ == "__main__":
    main()
