#!/usr/bin/env bash
# fuzz-all.sh [seconds] [target...]: builds the libFuzzer targets as scripts/fuzz.sh
# does (clang, AddressSanitizer + UBSan, in build/fuzz) and runs each target in
# turn, one at a time, for the given time (default 60 s) on its seed corpus
# fuzz/<target>/corpus plus its work corpus build/fuzz/corpus-<target>. Without
# targets, every fuzz/<target>/ with a CMakeLists.txt runs. Crashing inputs go to
# fuzz/<target>/artifacts/. Ends with one summary line per target:
#   <target>: runs <n>, time <s> s, exec/s <n>, new units <n>, cov <n>, peak rss <n> MB, findings <n>
# Runs are niced (FUZZ_NICE, default 10) so other work on the machine keeps going.
# Exit status: 0 when no target found anything, 1 otherwise.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
dir="$root/build/fuzz"
nice_level="${FUZZ_NICE:-10}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for d in "$root"/fuzz/*/; do
    [ -f "$d/CMakeLists.txt" ] && targets+=("$(basename "$d")")
  done
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTUNELET_BUILD_FUZZ=ON -DTUNELET_BUILD_TESTS=OFF -DTUNELET_BUILD_BENCH=OFF >/dev/null || exit 1
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
  mkdir -p "$work" "$artifacts"
  before=$(find "$artifacts" -type f | wc -l)
  echo "== fuzz_$t for $seconds s (log: $log)"
  start=$(date +%s)
  nice -n "$nice_level" "$dir/bin/fuzz_$t" -max_total_time="$seconds" -timeout=30 \
    -rss_limit_mb=2048 -artifact_prefix="$artifacts" -print_final_stats=1 \
    "$work" "$corpus" >"$log" 2>&1
  rc=$?
  elapsed=$(( $(date +%s) - start ))
  after=$(find "$artifacts" -type f | wc -l)
  findings=$(( after - before ))
  if [ $rc -ne 0 ] && [ $findings -eq 0 ]; then findings=1; fi
  [ $findings -ne 0 ] && status=1
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
