#!/usr/bin/env bash
# Runs every fuzz target of the asan build for a bounded time, starting from its
# committed seed corpus (copied, so that the committed corpus stays as it is).
# FUZZ_SECONDS sets the time per target (default 60). Fails when a target finds
# a crash, a leak or undefined behaviour.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
bin=$(pwd)/build/asan/fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
count=0
while IFS= read -r target; do
  name=$(basename "$target")
  mkdir -p "$work/$name"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/$name/"
  echo "fuzz: $name for ${seconds}s"
  if ! (cd "$work" && "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$work/$name" >"$work/$name.log" 2>&1); then
    echo "fuzz: $name FAILED"; tail -50 "$work/$name.log"; status=1
  else
    grep -E 'stat::number_of_executed_units|stat::new_units_added' "$work/$name.log" | sed "s/^/  /"
  fi
  count=$((count + 1))
done < <(find "$bin" -type f -executable -name 'fuzz_*' 2>/dev/null | sort)
echo "fuzz: $count targets run"
[ "$count" -gt 0 ] || { echo "fuzz: no fuzz targets were built"; exit 1; }
exit $status
