#!/usr/bin/env bash
# Fails when a test of the build in the working folder has no time limit (CTest's TIMEOUT), so
# that no hung test can hold a run until its outer limit; names each such test.
# Usage: check_timeouts.sh CTEST
set -euo pipefail
"$1" --show-only=json-v1 | python3 -c '
import json, sys
tests = json.load(sys.stdin)["tests"]
missing = [t["name"] for t in tests
           if not any(p["name"] == "TIMEOUT" and float(p["value"]) > 0
                      for p in t.get("properties", []))]
for name in missing:
    print("no time limit:", name)
print(len(tests), "tests,", len(missing), "without a time limit")
sys.exit(1 if missing or not tests else 0)
'
