#!/usr/bin/env bash
# Builds and runs every test of the project in one CMake preset
# (default, asan or tsan; default when none is given).
# Installs the missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
tools/bootstrap.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" -j "$(nproc)"
