#!/usr/bin/env bash
# fuzz.sh <target> [seconds]: builds the libFuzzer targets with clang
# (AddressSanitizer + UBSan) and runs fuzz_<target> on its corpus in
# fuzz/<target>/corpus for the given time (default 60 s).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target="$1"; seconds="${2:-60}"
dir="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTUNELET_BUILD_FUZZ=ON -DTUNELET_BUILD_TESTS=OFF -DTUNELET_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --target "fuzz_$target" -j "$(nproc)"
corpus="$root/fuzz/$target/corpus"
work="$dir/corpus-$target"
artifacts="$root/fuzz/$target/artifacts/"
mkdir -p "$work" "$artifacts"
"$dir/bin/fuzz_$target" -max_total_time="$seconds" -artifact_prefix="$artifacts" \
  -print_final_stats=1 "$work" "$corpus"
