#!/usr/bin/env bash
# The long crash test of the storage engine: kills a writing child process
# at random moments KILLS times (default 20000) and checks after each kill
# that the database file opens and holds every row whose Insert returned.
# CI runs the same test with 1000 kills.
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${KILLS:-20000}
preset=${1:-default}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target pl_storage_tests
PL_CRASH_KILLS=$kills "build/$preset/tests/storage/pl_storage_tests" \
  --gtest_filter='CrashSafety.*'
