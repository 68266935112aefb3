#!/usr/bin/env bash
# Installs what is missing, checks the formatting and the includes against the
# table in docs/layout.md, builds Tunelet twice (normal with warnings as errors,
# and with AddressSanitizer + UBSan) and runs the whole test suite on both builds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/deps.sh

status=0
bash scripts/format-check.sh || { echo "format check failed: run scripts/format-check.sh --fix"; status=1; }
python3 scripts/layering-check.py || { echo "layering check failed: an include above breaks the table in docs/layout.md"; status=1; }

BUILD_TYPE=RelWithDebInfo bash scripts/build.sh build/release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
(cd build/release && ctest --output-on-failure -j 2) || status=1

if [ "${TUNELET_SKIP_SANITIZE:-0}" != "1" ]; then
  BUILD_TYPE=Debug bash scripts/build.sh build/sanitize -DTUNELET_SANITIZE=ON -DTUNELET_BUILD_BENCH=OFF
  (cd build/sanitize && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j 2 -LE nosanitize) || status=1
fi

exit $status
