#!/usr/bin/env bash
# Builds the release tree and runs the benchmarks: the fast paths of the core side by side with
# the exhaustive walks, ending with a summary table. Extra arguments go to the benchmark binary,
# e.g. scripts/bench.sh --benchmark_filter=count
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target dorvanix_bench dorvanix-cli
./build/release/bench/dorvanix_bench "$@"

# The tool itself writing 327680 lines of every type to /dev/null.
fiber='((9,2),3,2,1,1,1,1,1,1,1,1,1,1,1,1,1)'
echo
echo "dorvanix-cli subdivisors '$fiber' --all-types > /dev/null"
time ./build/release/src/cli/dorvanix-cli subdivisors "$fiber" --all-types >/dev/null

# The census of genus 100 (30,724,242 fibers), on one thread and on one a core, and the one fiber
# of fibers 2 5000 10000: CPU time (user + system, which a machine shared with others keeps better
# than the wall) and peak memory. The one-thread figure is the census's own work; with a thread a
# core, a machine whose cores slow each other down adds to it.
for command in "census --genus 100 --threads 1" "census --genus 100" "fibers 2 5000 10000"; do
    echo
    echo "dorvanix-cli $command > /dev/null"
    if [ -x /usr/bin/time ]; then
        # shellcheck disable=SC2086
        /usr/bin/time -f "%U s user, %S s system, %e s wall, peak %M KB" \
            ./build/release/src/cli/dorvanix-cli $command >/dev/null
    else
        # shellcheck disable=SC2086
        time ./build/release/src/cli/dorvanix-cli $command >/dev/null
    fi
done

# Listings at the speed of their bytes: processor seconds (user + system) of the tool beside those
# of copying the same bytes, and of --jsonl beside the text listing, with the machine's load.
cli=./build/release/src/cli/dorvanix-cli
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cpu_seconds() {  # runs the command, prints its user + system seconds
    local TIMEFORMAT='%U %S'
    { time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.2f", $1 + $2 }'
}
repeat() {  # runs the command $1 times
    local times=$1 i
    shift
    for ((i = 0; i < times; ++i)); do "$@"; done
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
echo
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
big='((6,6),3,3,3,3,3,3,3,3,3,3,3,3)'
listed=$(cpu_seconds "$cli" subdivisors "$big" --all-types --output "$scratch/list.doc")
copied=$(cpu_seconds cp "$scratch/list.doc" "$scratch/copy.doc")
echo "subdivisors '$big' --all-types --output F ($(stat -c %s "$scratch/list.doc") bytes):" \
    "${listed} s, cp of the same bytes ${copied} s, ratio $(ratio "$listed" "$copied")"
rm -f "$scratch/list.doc" "$scratch/copy.doc"
wide='((16,3),8,8,8,8,8,8)'
text=$(cpu_seconds repeat 10 "$cli" subdivisors "$wide" --all-types)
jsonl=$(cpu_seconds repeat 10 "$cli" subdivisors "$wide" --all-types --jsonl)
echo "subdivisors '$wide' --all-types --jsonl, 10 runs: ${jsonl} s, text ${text} s," \
    "ratio $(ratio "$jsonl" "$text")"

# The Python module beside the tool, where it is built.
if cmake --build --preset release --target dorvanix_python >/dev/null 2>&1; then
    echo
    PYTHONPATH=build/release/python/module python3 bench/python_vs_cli.py "$cli"
fi

# The census spread over Dask (minutes to hours, so only on request, with /usr/bin/python3 and
# Debian's python3-distributed): DASK_GENERA="10 11" bash scripts/bench.sh
if [[ -n ${DASK_GENERA:-} ]]; then
    echo
    # shellcheck disable=SC2086 # one argument per genus
    PYTHONPATH=build/release/python/module /usr/bin/python3 bench/dask_vs_threads.py "$cli" \
        $DASK_GENERA
fi
