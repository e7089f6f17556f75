#!/usr/bin/env bash
# Builds the manual into build/docs/html/, offline, with every warning an error: Doxygen reads the
# core's headers, the built tool and module write the help, outputs and pictures the pages show
# (docs/manual/generate.py), and Sphinx makes the site. An optional argument names the CMake
# preset whose dorvanix-cli and module are used (default or release; default when none is named).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

bash scripts/install-deps.sh
build="build/$preset"
cli="$build/src/cli/dorvanix-cli"
module="$build/python/module"
# Built (or brought up to date) first, so that the pages show what this source does.
[ -f "$build/build.ninja" ] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target dorvanix-cli dorvanix_python

out=build/docs
mkdir -p "$out"
(cat docs/manual/Doxyfile
    echo "OUTPUT_DIRECTORY = $out/doxygen"
    echo "WARN_LOGFILE = $out/doxygen.log") | doxygen -
export PYTHONPATH="$PWD/$module${PYTHONPATH:+:$PYTHONPATH}" PYTHONDONTWRITEBYTECODE=1
/usr/bin/python3 docs/manual/generate.py "$cli"
export DORVANIX_DOXYGEN_XML="$PWD/$out/doxygen/xml"
# A fresh environment every time: autodoc cannot tell when the module has changed.
/usr/bin/python3 -m sphinx -E -W --keep-going -q -b html -d "$out/doctrees" docs/manual "$out/html"
echo "The manual: $out/html/index.html"
