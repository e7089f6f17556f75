#!/usr/bin/env bash
# Sets up, builds and runs every test: the README's test command. An optional argument names the
# CMake preset (default, release, asan or tsan); any further arguments go to the configure step,
# e.g. scripts/test.sh default -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true

bash scripts/install-deps.sh
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    export XDG_RUNTIME_DIR
fi
cmake --preset "$preset" "$@"
cmake --build --preset "$preset"
ctest --preset "$preset" -j "$(nproc)"
