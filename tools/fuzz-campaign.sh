#!/usr/bin/env bash
# A long fuzzing campaign over every target of the asan build: each target runs
# from its committed corpus until it has executed FUZZ_RUNS inputs or spent
# FUZZ_MINUTES, JOBS targets at a time. Afterwards the inputs that add
# coverage join fuzz/corpus/<target> (libFuzzer's -merge=1), so that a commit
# of that folder keeps what the campaign found. Every crash, leak or
# undefined behaviour leaves its input in OUTDIR/<target>/findings/ and fails
# the run.
#
#   tools/fuzz-campaign.sh [OUTDIR]          (default /tmp/parlino-fuzz-campaign)
#   FUZZ_RUNS=10000000 FUZZ_MINUTES=20 JOBS=2 FUZZ_TARGETS="fuzz_nbns fuzz_nbss"
#
# Prints one line per target: executions, rate, coverage (cov:), features
# (ft:), corpus size before and after the merge, and findings. Needs the asan
# build (tools/test.sh asan).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-/tmp/parlino-fuzz-campaign}")
runs=${FUZZ_RUNS:-10000000}
minutes=${FUZZ_MINUTES:-20}
jobs=${JOBS:-2}
bin=$root/build/asan/fuzz
mapfile -t targets < <(find "$bin" -type f -executable -name 'fuzz_*' 2>/dev/null | sort)
if [ -n "${FUZZ_TARGETS:-}" ]; then
  mapfile -t targets < <(for name in $FUZZ_TARGETS; do find "$bin" -type f -executable -name "$name"; done)
fi
[ "${#targets[@]}" -gt 0 ] || { echo "no fuzz targets in $bin: build the asan preset first" >&2; exit 1; }
mkdir -p "$out"

# campaign TARGET: runs one target, merges its corpus, writes OUTDIR/NAME.summary.
campaign()
{
  local target=$1 name
  name=$(basename "$target")
  local work=$out/$name corpus=$root/fuzz/corpus/$name
  rm -rf "$work" && mkdir -p "$work/grown" "$work/merged" "$work/findings"
  mkdir -p "$corpus"
  cp -r "$corpus/." "$work/grown/"
  local before status=0
  before=$(find "$corpus" -type f | wc -l)
  local start=$SECONDS
  (cd "$work/findings" && "$target" -runs="$runs" -max_total_time=$((minutes * 60)) -timeout=10 \
     -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/grown" \
     >"$work/run.log" 2>&1) || status=1
  local elapsed=$((SECONDS - start))
  # The committed inputs stay (regression inputs among them); of the grown
  # ones only those that add coverage join them.
  cp -r "$corpus/." "$work/merged/"
  (cd "$work/findings" && "$target" -merge=1 "$work/merged" "$work/grown" >"$work/merge.log" 2>&1) &&
    cp -r "$work/merged/." "$corpus/"
  local after
  after=$(find "$corpus" -type f | wc -l)
  local executions coverage features findings
  executions=$(awk '/stat::number_of_executed_units/ {print $2}' "$work/run.log")
  coverage=$(grep -Eo 'cov: [0-9]+' "$work/run.log" | tail -1 | cut -d' ' -f2)
  features=$(grep -Eo 'ft: [0-9]+' "$work/run.log" | tail -1 | cut -d' ' -f2)
  findings=$(find "$work/findings" -type f | wc -l)
  [ "$status" -ne 0 ] && [ "$findings" -eq 0 ] && findings="failed (see $work/run.log)"
  printf '%-20s %12s execs %6ss %8s/s cov %6s ft %7s corpus %5s -> %5s findings %s\n' "$name" \
    "${executions:-?}" "$elapsed" "$(( ${executions:-0} / (elapsed > 0 ? elapsed : 1) ))" "${coverage:-?}" \
    "${features:-?}" "$before" "$after" "$findings" >"$work.summary"
}

running=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || { echo "no such fuzz target: $target" >&2; exit 1; }
  campaign "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
for target in "${targets[@]}"; do
  summary=$out/$(basename "$target").summary
  cat "$summary"
  grep -q 'findings 0$' "$summary" || failed=1
done
exit $failed
