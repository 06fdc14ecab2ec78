#!/usr/bin/env bash
# Builds the Debian package horalog_<version>_<arch>.deb into build/ (after scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/../build"
cmake --build . -j"$(nproc)" --target horalog horalog-readersim horalog_packaging_files
cpack -G DEB
ls -1 "$PWD"/horalog_*.deb
