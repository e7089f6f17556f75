#!/usr/bin/env bash
# Builds the release tree and runs the benchmarks: the fast paths of the core side by side with
# the exhaustive walks, ending with a summary table. Extra arguments go to the benchmark binary,
# e.g. scripts/bench.sh --benchmark_filter=count
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target dorvanix_bench dorvanix-cli
./build/release/bench/dorvanix_bench --benchmark_color=false "$@"
