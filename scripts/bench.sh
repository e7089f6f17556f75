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
