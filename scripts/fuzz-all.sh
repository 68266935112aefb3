#!/usr/bin/env bash
# fuzz-all.sh [seconds] [target...]: builds the libFuzzer targets as scripts/fuzz.sh
# does (clang, AddressSanitizer + UBSan, in build/fuzz) and runs each target in
# turn, one at a time, on its seed corpus fuzz/<target>/corpus, its kept
# corpus fuzz/<target>/grown and its work corpus build/fuzz/corpus-<target>,
# with inputs of at most fuzz_max_len bytes (scripts/fuzz-lib.sh).
#
# How long: with seconds, each target runs that long. Without (or with 0), each
# runs FUZZ_RUNS inputs, 10,000,000 by default; in CI (CI set) a target runs
# 60 s instead.
#
# Without targets, every fuzz/<target>/ with a fuzz_<target>.cpp runs. Crashing
# inputs go to fuzz/<target>/artifacts/. After a run without findings the work
# corpus is merged (minimized by coverage) into fuzz/<target>/grown, which the
# regression suite replays; set FUZZ_KEEP_GROWN=0 to leave it alone. Ends with
# one summary line per target:
#   <target>: runs <n>, time <s> s, exec/s <n>, new units <n>, cov <n>, peak rss <n> MB, findings <n>
# Runs are niced (FUZZ_NICE, default 10) so other work on the machine keeps going.
# Exit status: 0 when no target found anything, 1 otherwise.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/fuzz-lib.sh
source "$root/scripts/fuzz-lib.sh"
seconds="${1:-0}"
shift || true
if [ "$seconds" = 0 ] && [ -n "${CI:-}" ]; then seconds=60; fi
if [ "$seconds" = 0 ]; then
  budget=(-runs="${FUZZ_RUNS:-10000000}")
  echo "== each target runs ${FUZZ_RUNS:-10000000} inputs"
else
  budget=(-max_total_time="$seconds")
  echo "== each target runs $seconds s"
fi
dir="$root/build/fuzz"
nice_level="${FUZZ_NICE:-10}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for d in "$root"/fuzz/*/; do
    t="$(basename "$d")"
    [ -f "$d/fuzz_$t.cpp" ] && targets+=("$t")
  done
fi

fuzz_configure "$root" "$dir" || exit 1
build_targets=()
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
nice -n "$nice_level" cmake --build "$dir" --target "${build_targets[@]}" -j "$(nproc)" || exit 1

mkdir -p "$dir/logs"
summary=()
status=0
for t in "${targets[@]}"; do
  corpus="$root/fuzz/$t/corpus"
  work="$dir/corpus-$t"
  artifacts="$root/fuzz/$t/artifacts/"
  log="$dir/logs/$t.log"
  max_len="$(fuzz_max_len "$t")"
  grown="$root/fuzz/$t/grown"
  mkdir -p "$work" "$artifacts" "$grown"
  before=$(find "$artifacts" -type f | wc -l)
  echo "== fuzz_$t, inputs up to $max_len bytes (log: $log)"
  start=$(date +%s)
  nice -n "$nice_level" "$dir/bin/fuzz_$t" "${budget[@]}" -max_len="$max_len" -timeout=30 \
    -rss_limit_mb=2048 -artifact_prefix="$artifacts" -print_final_stats=1 \
    "$work" "$corpus" "$grown" >"$log" 2>&1
  rc=$?
  elapsed=$(( $(date +%s) - start ))
  after=$(find "$artifacts" -type f | wc -l)
  findings=$(( after - before ))
  if [ $rc -ne 0 ] && [ $findings -eq 0 ]; then findings=1; fi
  [ $findings -ne 0 ] && status=1
  if [ $findings -eq 0 ] && [ "${FUZZ_KEEP_GROWN:-1}" != 0 ]; then
    nice -n "$nice_level" "$dir/bin/fuzz_$t" -merge=1 -max_len="$max_len" -timeout=30 \
      -rss_limit_mb=2048 "$grown" "$work" >>"$log" 2>&1
  fi
  final_stat() { grep -m1 "^stat::$1:" "$log" | awk '{print $2}'; }
  cov=$(grep -E '^#[0-9]+' "$log" | grep -o 'cov: [0-9]*' | tail -1 | awk '{print $2}')
  line="$t: runs $(final_stat number_of_executed_units), time $elapsed s, exec/s $(final_stat average_exec_per_sec), new units $(final_stat new_units_added), cov ${cov:-?}, peak rss $(final_stat peak_rss_mb) MB, findings $findings"
  summary+=("$line")
  echo "$line"
  [ $findings -ne 0 ] && grep -E "ERROR|SUMMARY|^$t: |Test unit written" "$log" | head -5
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
