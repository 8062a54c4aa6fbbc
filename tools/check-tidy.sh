#!/usr/bin/env bash
# Runs clang-tidy with the checked-in .clang-tidy over the project's own
# sources (not tests, benchmarks or fuzz targets), using the compile commands
# of a configured preset (default: default). Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
build=build/$preset
[ -f "$build/compile_commands.json" ] || cmake --preset "$preset" >/dev/null
mapfile -t files < <(git ls-files '*.cpp' | grep -E '^(platform|storage|transport|archive|app|ui|cli|instlib)/')
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "${files[@]/#/$PWD/}" >"$build/clang-tidy.log" 2>&1 || {
  grep -E '(warning|error):' "$build/clang-tidy.log" | sort -u
  echo "clang-tidy found problems (full log: $build/clang-tidy.log)"
  exit 1
}
echo "clang-tidy: ${#files[@]} files, no findings"
