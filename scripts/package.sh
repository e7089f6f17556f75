#!/usr/bin/env bash
# Builds the Debian package from the release preset: only what it holds (the two programs, the
# Python module, manual pages and icons), then build/release/dorvanix_<version>_<arch>.deb. The
# install tests then check the installed tree and the package unpacked into scratch roots.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target dorvanix_install_files
(cd build/release && cpack -G DEB)
ctest --preset release -R '^install_'
