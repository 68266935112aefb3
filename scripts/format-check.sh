#!/usr/bin/env bash
# format-check.sh [--fix]: checks that every tracked C and C++ source file is
# formatted by the committed .clang-format; --fix formats them in place.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run -Werror "${files[@]}"
fi
