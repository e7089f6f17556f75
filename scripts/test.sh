#!/usr/bin/env bash
# Sets up, builds and runs every test: the README's test command. An optional argument names the
# CMake preset (default, release, asan, tsan or web); any further arguments go to the configure
# step, e.g. scripts/test.sh default -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true

if [ "$preset" = web ]; then
    # The core built for the browser and its tests under node; the counts again natively with
    # Boost's big integers, the type the web build holds them in; then the page's own tests.
    bash scripts/install-deps.sh web
    bash scripts/install-deps.sh
    export NODE_PATH=/usr/share/nodejs
    emcmake cmake --preset web "$@"
    cmake --build --preset web
    ctest --preset web -j "$(nproc)"
    cmake --preset default -B build/boost-count -DDORVANIX_BIG_COUNT=boost -DDORVANIX_BUILD_GUI=OFF \
        -DDORVANIX_BUILD_PYTHON=OFF "$@"
    cmake --build build/boost-count --target fast_subdivisor_listing_test
    build/boost-count/tests/fast_subdivisor_listing_test
    exec bash scripts/web.sh test
fi

bash scripts/install-deps.sh
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    export XDG_RUNTIME_DIR
fi
cmake --preset "$preset" "$@"
cmake --build --preset "$preset"
ctest --preset "$preset" -j "$(nproc)"
# The manual, from this build's tool and module: a broken reference fails here.
if [ "$preset" = default ]; then
    bash scripts/docs.sh default
fi
