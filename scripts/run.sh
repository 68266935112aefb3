#!/usr/bin/env bash
# Installs what is missing, builds Tunelet and starts it. On a first run the
# program folder is prepared so that the example songs are in the list.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/deps.sh
BUILD_TYPE=RelWithDebInfo bash scripts/build.sh build/release -DTUNELET_BUILD_TESTS=OFF -DTUNELET_BUILD_BENCH=OFF

bin="$root/build/release/bin"
# Tunelet keeps its settings in its program folder: $TUNELET_HOME when set,
# else the folder of the executable (writable in a build tree).
home="${TUNELET_HOME:-$bin/}"
bash "$root/scripts/first-run.sh" "$home" "$root/build/release/examples"
exec "$bin/tunelet"
