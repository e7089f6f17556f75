#!/usr/bin/python3
"""The census of a genus with the (N, d, h) table of every fiber, spread over a Dask cluster.

The census walk comes in blocks, the blocks `dorvanix-cli census` works on (dorvanix.census_blocks);
the lines of each block are made on a worker by the dorvanix module itself
(CensusBlock.analysis_records) and come back in census order: byte for byte what
`dorvanix-cli census --genus G --analyze --jsonl` writes on one machine. A fiber with more
sub-divisors than --split-above (such as ((2,G+1),1,...,1), most of a census's work) is shared out
further: its listing comes in parts fixed on its slowest branches (Fiber.listing_parts), each part's
table is one task; the other fibers go in chunks of about as many sub-divisors, a chunk a task; and
the block's task joins their tables into its lines. Every worker needs the
same dorvanix module on its path; Dask's distributed scheduler comes with Debian's
python3-distributed, for /usr/bin/python3.

    PYTHONPATH=build/default/python/module /usr/bin/python3 examples/dask_census.py --genus 5
    /usr/bin/python3 examples/dask_census.py --genus 9 --scheduler tcp://10.0.0.5:8786
"""

import argparse
import math
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


def block_records(block, threads, parts, chunks):
    """The census --analyze --jsonl lines of one block (runs on a worker), from the tables the
    other tasks made: the parts of its large fibers and the chunks of the others. What is left
    here is counting each fiber's simple crusts."""
    tables = dict(parts)
    for places, chunk_tables in chunks:
        for i, table in zip(places, chunk_tables):
            tables[i] = [table]
    return block.analysis_records(threads=threads, tables=tables)


def processor_seconds():
    """User and system seconds of this process so far (runs on a worker)."""
    import resource
    used = resource.getrusage(resource.RUSAGE_SELF)
    return used.ru_utime + used.ru_stime


def part_table(notation, part):
    """The (N, d, h) table of one part of a fiber's listing (runs on a worker)."""
    return dorvanix.Fiber(notation).analysis_table(part=part)


def chunk_tables(notations):
    """The (N, d, h) tables of a few fibers (runs on a worker)."""
    return [dorvanix.Fiber(notation).analysis_table() for notation in notations]


def listing_parts(fiber, wanted):
    """At least `wanted` parts of the fiber's listing where it has that many, fixed on as few of
    its slowest branches as give them."""
    parts = fiber.listing_parts(1)
    for depth in range(2, len(fiber.branches) + 1):
        if len(parts) >= wanted:
            break
        parts = fiber.listing_parts(depth)
    return parts


def submit_block(client, block, threads, split_above):
    """The tasks of one block: a fiber with more than `split_above` sub-divisors a part of its
    listing a task, the others in chunks of about that many, all of them free to run at once;
    then the block's task, which joins their tables into its lines."""
    parts, chunks, chunk, size = {}, [], [], 0

    def close_chunk():
        if chunk:
            places, notations = zip(*chunk)
            chunks.append((list(places),
                           client.submit(chunk_tables, list(notations), pure=False)))
            chunk.clear()

    for i, fiber in enumerate(block.fibers()):
        count = fiber.simple_crust_count
        if count > split_above:
            wanted = min(256, math.ceil(count / split_above))
            parts[i] = [client.submit(part_table, fiber.notation, part, pure=False)
                        for part in listing_parts(fiber, wanted)]
            continue
        if size + count > split_above:
            close_chunk()
            size = 0
        chunk.append((i, fiber.notation))
        size += count
    close_chunk()
    return client.submit(block_records, block, threads, parts, chunks, pure=False)


def distributed_census(client, genus, threads=1, in_flight=8, split_above=20000):
    """The lines of the census of `genus` in census order, a block a task (and a part of a large
    fiber's listing a task), with at most `in_flight` blocks out at once, so that memory stays
    bounded however large the census."""
    pending = deque()
    for block in dorvanix.census_blocks(genus=genus):
        pending.append(submit_block(client, block, threads, split_above))
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
    parser.add_argument("--split-above", type=int, default=20000, metavar="N",
                        help="share out the analyses of a fiber with more than N sub-divisors "
                        "a part of its listing a task, and those of the others in chunks of "
                        "about N (default 20000)")
    parser.add_argument("--worker-times", action="store_true",
                        help="at the end, print on standard error the processor seconds each "
                        "worker spent on the census")
    args = parser.parse_args()
    if args.genus < 1:
        parser.error("the genus must be at least 1")
    if args.workers < 1 or args.task_threads < 0 or args.split_above < 1:
        parser.error("--workers and --split-above must be at least 1 and --task-threads not "
                     "negative")
    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1,
                               dashboard_address=None)
        client = Client(cluster)
    out = sys.stdout.buffer
    with client:
        before = client.run(processor_seconds) if args.worker_times else {}
        for line in distributed_census(client, args.genus, args.task_threads,
                                       split_above=args.split_above):
            out.write(line.encode() + b"\n")
            out.flush()
        if args.worker_times:
            after = client.run(processor_seconds)
            spent = sorted((after[w] - before.get(w, 0.0) for w in after), reverse=True)
            sys.stderr.write("worker processor seconds: " +
                             " ".join(f"{s:.2f}" for s in spent) + "\n")


if __name__ == "__main__":
    main()
