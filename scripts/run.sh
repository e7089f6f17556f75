#!/usr/bin/env bash
# Sets up, builds and starts Dorvanix: the README's run command. Builds only the desktop program
# and the tool, not the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh run
cmake --preset default >/dev/null
cmake --build --preset default --target dorvanix dorvanix-cli
if [ -x build/default/src/app/dorvanix ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec build/default/src/app/dorvanix "$@"
fi
# Without a desktop: the default example on the command line.
exec build/default/src/cli/dorvanix-cli fibers 3 2 3
