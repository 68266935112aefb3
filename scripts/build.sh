#!/usr/bin/env bash
# build.sh <build-dir> [extra cmake args...]: configures and builds with Ninja.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
cmake --build "$dir" -j "$(nproc)"
