#!/usr/bin/env bash
# Installs what is missing, builds Tunelet twice (normal, and with
# AddressSanitizer + UBSan) and runs the whole test suite on both builds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/deps.sh

status=0
BUILD_TYPE=RelWithDebInfo bash scripts/build.sh build/release
(cd build/release && ctest --output-on-failure -j 2) || status=1

if [ "${TUNELET_SKIP_SANITIZE:-0}" != "1" ]; then
  BUILD_TYPE=Debug bash scripts/build.sh build/sanitize -DTUNELET_SANITIZE=ON -DTUNELET_BUILD_BENCH=OFF
  (cd build/sanitize && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j 2 -LE nosanitize) || status=1
fi

exit $status
