#!/usr/bin/env bash
# Builds the Debian package from the release preset: only what it holds (the two programs, the
# Python module, manual pages, the manual and icons), then build/release/dorvanix_<version>_<arch>.deb. The
# Python module is installed by pip into a fresh virtual environment, and the install tests check
# the installed tree and the package unpacked into scratch roots; each runs the self-test of the
# tool and of the module as its smoke test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target dorvanix_install_files
# The manual, made with the release tool and module, goes into the package too.
bash scripts/docs.sh release
(cd build/release && cpack -G DEB)
# The Python module alone, as `pip install .` builds it offline into a fresh virtual environment.
venv=$(mktemp -d)
trap 'rm -rf "$venv"' EXIT
/usr/bin/python3 -m venv "$venv"
"$venv/bin/pip" install --quiet .
(cd "$venv" && bin/python -c 'import dorvanix; print("pip installed dorvanix", dorvanix.__version__)')
# Its smoke test: the self-test re-derives the known tables with the installed module.
(cd "$venv" && bin/python -m dorvanix.selftest)

ctest --preset release -R '^install_'
