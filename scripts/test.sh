#!/usr/bin/env bash
# Sets up, builds and runs every test: the README's test command.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
cmake --preset default
cmake --build --preset default
ctest --preset default -j "$(nproc)"
