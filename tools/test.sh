#!/usr/bin/env bash
# Builds and runs every test of the project in one CMake preset
# (default, asan or tsan; default when none is given).
# Installs the missing Debian packages first. The end-to-end and interop
# tests of the lab LAN (label "interop": namespaces, Samba, Xvfb) run in the
# default preset only; the sanitizer presets run everything else.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
tools/bootstrap.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
if [ "$preset" = default ]; then
  ctest --preset "$preset" -j "$(nproc)"
else
  ctest --preset "$preset" -j "$(nproc)" -LE interop
fi
