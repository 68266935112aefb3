#!/usr/bin/env bash
# fuzz.sh <target> [seconds]: builds the libFuzzer targets with clang
# (AddressSanitizer + UBSan) and runs fuzz_<target> on its corpus in
# fuzz/<target>/corpus for the given time (default 60 s).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target="$1"; seconds="${2:-60}"
dir="$root/build/fuzz"
# shellcheck source=scripts/fuzz-lib.sh
source "$root/scripts/fuzz-lib.sh"
fuzz_configure "$root" "$dir"
cmake --build "$dir" --target "fuzz_$target" -j "$(nproc)"
corpus="$root/fuzz/$target/corpus"
work="$dir/corpus-$target"
artifacts="$root/fuzz/$target/artifacts/"
mkdir -p "$work" "$artifacts"
"$dir/bin/fuzz_$target" -max_total_time="$seconds" -max_len="$(fuzz_max_len "$target")" \
  -artifact_prefix="$artifacts" -print_final_stats=1 "$work" "$corpus"
