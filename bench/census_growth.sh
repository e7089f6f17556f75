#!/usr/bin/env bash
# The census's time and memory against the genus, for two builds of dorvanix-cli side by side
# (the one before a change and the one after), then the SQLite dataset of genus 2 to 60 with the
# second. Each time is the least of RUNS runs (the machine may be busy), with the census written to
# /dev/null on all cores; memory is the peak resident size.
#   bench/census_growth.sh BEFORE_CLI AFTER_CLI [GENERA] [RUNS]
# e.g. bench/census_growth.sh /tmp/old/dorvanix-cli build/release/src/cli/dorvanix-cli "30 40 50" 3
set -euo pipefail
before=$1 after=$2 genera=${3:-"20 30 40 50 60 70 80 90 100"} runs=${4:-3}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# "seconds peak-KB" of the fastest of $runs runs of the command.
measure() {
    local best="" memory=""
    for _ in $(seq "$runs"); do
        /usr/bin/time -f "%e %M" -o "$scratch/time" "$@" >/dev/null
        read -r seconds kb <"$scratch/time"
        if [ -z "$best" ] || awk "BEGIN { exit !($seconds < $best) }"; then
            best=$seconds memory=$kb
        fi
    done
    echo "$best $memory"
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| genus | fibers | before | after | before memory | after memory |"
echo "|---|---|---|---|---|---|"
for genus in $genera; do
    fibers=$("$after" census --genus "$genus" | wc -l)
    read -r t1 m1 < <(measure "$before" census --genus "$genus")
    read -r t2 m2 < <(measure "$after" census --genus "$genus")
    echo "| $genus | $fibers | $t1 s | $t2 s | $((m1 / 1024)) MB | $((m2 / 1024)) MB |"
done
read -r t m < <(measure "$after" census --genus 2..60 --format sqlite --output "$scratch/c.sqlite")
echo "SQLite dataset of genus 2 to 60: $t s, $((m / 1024)) MB, $(stat -c %s "$scratch/c.sqlite") bytes"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
