#!/usr/bin/env python3
"""A census of star-shaped singular fibers: the number of fibers of each genus, for every core
multiplicity m up to a bound, with r and b fixed.

    PYTHONPATH=build/default/python/module python3 examples/census.py --m-max 9 --r 2 --b 3
"""

import argparse
from collections import Counter

import dorvanix


def census(m_values, r, b, **options):
    """{m: Counter(genus -> number of fibers)}; the fibers are never held all at once."""
    return {m: Counter(x.genus for x in dorvanix.fibers(m, r, b, **options)) for m in m_values}


def table(counts):
    """The census as text: one row per m, one column per genus that occurs, and the total."""
    genera = sorted({g for row in counts.values() for g in row})
    header = "   m |" + "".join(f" g={g:<4}" for g in genera) + " | total"
    lines = [header, "-" * len(header)]
    for m, row in counts.items():
        cells = "".join(f" {row[g]:<6}" for g in genera)
        lines.append(f"{m:4} |{cells} | {sum(row.values())}")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--m-min", type=int, default=2, help="smallest core multiplicity")
    parser.add_argument("--m-max", type=int, default=9, help="largest core multiplicity")
    parser.add_argument("--r", type=int, default=2, help="the core's self-intersection is -r")
    parser.add_argument("--b", type=int, default=3, help="number of branches")
    parser.add_argument("--no-duplicates", action="store_true", help="no two branches alike")
    args = parser.parse_args()
    counts = census(range(args.m_min, args.m_max + 1), args.r, args.b,
                    no_duplicates=args.no_duplicates)
    print(f"Fibers by genus (r = {args.r}, b = {args.b}"
          f"{', no duplicate branches' if args.no_duplicates else ''})")
    print(table(counts))


if __name__ == "__main__":
    main()
