#!/usr/bin/python3
"""The census of a genus with the (N, d, h) table of every fiber, spread over a Dask cluster.

The census walk comes in blocks, the blocks `dorvanix-cli census` works on (dorvanix.census_blocks);
each block is one task, worked out on a worker by the dorvanix module itself
(CensusBlock.analysis_records), and the lines come back in census order: byte for byte what
`dorvanix-cli census --genus G --analyze --jsonl` writes on one machine. Every worker needs the
same dorvanix module on its path; Dask's distributed scheduler comes with Debian's
python3-distributed, for /usr/bin/python3.

    PYTHONPATH=build/default/python/module /usr/bin/python3 examples/dask_census.py --genus 5
    /usr/bin/python3 examples/dask_census.py --genus 9 --scheduler tcp://10.0.0.5:8786
"""

import argparse
import sys
from collections import deque


def fail(message):
    sys.stderr.write(f"dask_census.py: {message}\n")
    sys.exit(2)


try:
    import dorvanix
except ImportError:
    fail("the dorvanix module is not on the path (PYTHONPATH=build/default/python/module, or "
         "install it)")
try:
    from dask.distributed import Client, LocalCluster
except ImportError:
    fail("Dask's distributed scheduler is missing: install Debian's python3-distributed "
         "(apt install python3-distributed) and run this with /usr/bin/python3")


def block_records(block, threads):
    """The census --analyze --jsonl lines of one block (runs on a worker)."""
    return block.analysis_records(threads=threads)


def distributed_census(client, genus, threads=1, in_flight=8):
    """The lines of the census of `genus` in census order, a block a task, with at most
    `in_flight` blocks out at once, so that memory stays bounded however large the census."""
    pending = deque()
    for block in dorvanix.census_blocks(genus=genus):
        pending.append(client.submit(block_records, block, threads, pure=False))
        if len(pending) >= in_flight:
            yield from pending.popleft().result()
    while pending:
        yield from pending.popleft().result()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--genus", type=int, required=True, help="the genus of the fibers")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler, such as "
                        "tcp://10.0.0.5:8786 (default: a cluster of local worker processes)")
    parser.add_argument("--workers", type=int, default=2,
                        help="worker processes of the local cluster (default 2)")
    parser.add_argument("--task-threads", type=int, default=1,
                        help="threads each task works on (default 1, as a Dask worker runs "
                        "one task a thread; 0: one per core)")
    args = parser.parse_args()
    if args.genus < 1:
        parser.error("the genus must be at least 1")
    if args.workers < 1 or args.task_threads < 0:
        parser.error("--workers must be at least 1 and --task-threads not negative")
    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1,
                               dashboard_address=None)
        client = Client(cluster)
    out = sys.stdout.buffer
    with client:
        for line in distributed_census(client, args.genus, args.task_threads):
            out.write(line.encode() + b"\n")
            out.flush()


if __name__ == "__main__":
    main()
