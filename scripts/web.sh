#!/usr/bin/env bash
# The web page: installs what it needs (emscripten from Debian, chromium for the tests, the npm
# packages of web/package-lock.json), builds the site into build/web/site/ and serves it on
# http://127.0.0.1:8000 (PORT to change). `web.sh build` only builds; `web.sh test` builds and
# runs the web tests (the core under node against dorvanix-cli, the page in chromium); `web.sh
# bench` times the core in chromium, and the page click to last row, beside the native tool.
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-serve}"

bash scripts/install-deps.sh web
# Debian's emscripten finds its JavaScript tools (acorn) only there.
export NODE_PATH=/usr/share/nodejs
# No browser is ever downloaded: the tests drive Debian's chromium.
export PUPPETEER_SKIP_DOWNLOAD=1

# The test driver, puppeteer-core, exactly as the lock file pins it.
if [ ! -f web/node_modules/.package-lock.json ] ||
    [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    (cd web && npm ci --no-audit --no-fund --loglevel=error)
fi

# The manual, which the site carries beside the page (its Help), made with the native tool.
bash scripts/docs.sh

if [ ! -f build/web/build.ninja ]; then
    emcmake cmake --preset web
fi
cmake --build --preset web --target dorvanix_site

case "$what" in
build) ;;
serve)
    exec node web/tests/serve.mjs build/web/site "${PORT:-8000}"
    ;;
test | bench)
    # The tool the web's answers are checked against, built natively.
    preset=default
    [ "$what" = bench ] && preset=release
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target dorvanix-cli
    export DORVANIX_SITE="$PWD/build/web/site" DORVANIX_CLI="$PWD/build/$preset/src/cli/dorvanix-cli"
    if [ "$what" = test ]; then
        node --no-experimental-fetch --test web/tests/
    else
        node bench/web_vs_native.mjs
    fi
    ;;
*)
    echo "usage: scripts/web.sh [serve|build|test|bench]" >&2
    exit 2
    ;;
esac
