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

# The census of genus 100 (30,724,242 fibers) and the one fiber of fibers 2 5000 10000: CPU time
# (user + system, which a machine shared with others keeps better than the wall) and peak memory.
for command in "census --genus 100" "fibers 2 5000 10000"; do
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
