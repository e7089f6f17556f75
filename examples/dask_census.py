#!/usr/bin/env python3
"""The census of a genus with the (N, d, h) table of every fiber, spread over a Dask cluster.

Each fiber's table (every listed sub-divisor analysed) is one task; the records come back in
census order, one JSON line each, as `dorvanix-cli census --genus G --analyze --jsonl` writes
them on one machine. Every worker needs the dorvanix module (the same version) on its path.

    PYTHONPATH=build/default/python/module python3 examples/dask_census.py --genus 2
    python3 examples/dask_census.py --genus 4 --scheduler tcp://10.0.0.5:8786
"""

import argparse
import json
import sys
from collections import deque

import dorvanix
from dask.distributed import Client, LocalCluster


def fiber_record(line):
    """The census record of one fiber: its fields and its (N, d, h) table (runs on a worker)."""
    import dorvanix  # the worker's own module

    fiber = dorvanix.Fiber(line)
    return {**fiber.to_dict(), "analysis_table": fiber.analysis_table()}


def distributed_census(client, genus, in_flight=64):
    """The records of the census of `genus`, in census order, with at most `in_flight` tasks out
    at once, so that memory stays bounded however large the census."""
    pending = deque()
    for fiber in dorvanix.census(genus=genus):
        pending.append(client.submit(fiber_record, fiber.line, pure=False))
        if len(pending) >= in_flight:
            yield pending.popleft().result()
    while pending:
        yield pending.popleft().result()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--genus", type=int, required=True, help="the genus of the fibers")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler "
                        "(default: a cluster of local worker processes)")
    parser.add_argument("--workers", type=int, default=2,
                        help="worker processes of the local cluster")
    args = parser.parse_args()
    if args.genus < 1:
        parser.error("the genus must be at least 1")
    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1,
                               dashboard_address=None)
        client = Client(cluster)
    with client:
        for record in distributed_census(client, args.genus):
            sys.stdout.write(json.dumps(record, separators=(",", ":")) + "\n")


if __name__ == "__main__":
    main()
