#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds (default
# 600) on its seed corpus. New inputs found go to build/fuzz/corpus/<target>; crashes to
# build/fuzz/crashes/. Exits non-zero when a target crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"

for package in clang-14 libclang-rt-14-dev; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang-14 libclang-rt-14-dev
        break
    fi
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/crashes
status=0
for target in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    seeds="tests/fuzz/corpus/${name#fuzz_}"
    work="build/fuzz/corpus/${name#fuzz_}"
    mkdir -p "$work" "$seeds"
    echo "== $name for ${seconds}s"
    if ! "$target" "$work" "$seeds" -max_total_time="$seconds" -max_len=256 -timeout=10 \
        -artifact_prefix="build/fuzz/crashes/${name}-" -print_final_stats=1 2>"build/fuzz/$name.log"; then
        echo "$name FAILED: see build/fuzz/$name.log and build/fuzz/crashes/"
        tail -n 30 "build/fuzz/$name.log"
        status=1
    else
        grep -E "^stat::number_of_executed_units|^Done" "build/fuzz/$name.log" || true
    fi
done
exit $status
