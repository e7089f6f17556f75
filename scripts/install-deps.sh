#!/usr/bin/env bash
# Installs the Debian 12 packages Dorvanix needs, when they are missing: `install-deps.sh run` only
# those for building and running the programs, `install-deps.sh` also those of the tests,
# `install-deps.sh web` those of the web page and its tests.
# Uses apt-get directly as root, through sudo otherwise.
set -euo pipefail

# What building and running the programs needs (`run`), and what the tests, the benchmarks and
# the package and the manual need besides (the default, `all`).
packages=(
    g++ cmake ninja-build bsdutils
    libgtest-dev libgmock-dev
    libcli11-dev nlohmann-json3-dev libgmp-dev libsqlite3-dev pkg-config
    qt6-base-dev qt6-svg-dev fonts-vlgothic libgraphviz-dev
    pybind11-dev python3-dev
)
if [ "${1:-all}" = web ]; then
    # emscripten builds the core for the browser with Boost's header-only big integers and
    # googletest's sources; chromium runs the page's tests. node comes with npm where it is not
    # already there.
    packages=(cmake ninja-build nlohmann-json3-dev libboost-dev googletest emscripten chromium)
    command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)
elif [ "${1:-all}" != run ]; then
    packages+=(
        libboost-dev libbenchmark-dev python3-pytest python3-jsonschema
        jupyter-nbconvert python3-ipykernel
        help2man librsvg2-bin desktop-file-utils appstream dpkg-dev file
        python3-setuptools python3-wheel python3-pybind11 python3-venv
        texlive-latex-base texlive-pictures python3-distributed python3-pandas
        python3-sphinx python3-myst-parser furo doxygen python3-breathe graphviz
    )
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
