#!/usr/bin/env bash
# bench.sh [build-dir] [bench_name...]: brings a build's programs up to date and runs
# every benchmark program in it (or only the ones named), one after another, printing
# their figures as they come: a "## bench_x" line per program, then its own
# "name: value unit" lines. The machine's load before and after is printed too, since
# figures taken on a busy machine may need taking again.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build/release}"
shift || true

if [ ! -d "$dir" ]; then
  BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" nice -n 10 bash "$root/scripts/build.sh" "$dir" || exit 1
else
  nice -n 10 cmake --build "$dir" -j "$(nproc)" >/dev/null || exit 1
fi

if [ $# -gt 0 ]; then
  benches=()
  for name in "$@"; do benches+=("$dir/bin/$name"); done
else
  mapfile -t benches < <(find "$dir/bin" -maxdepth 1 -type f -name 'bench_*' -perm -u+x | sort)
fi
if [ ${#benches[@]} -eq 0 ]; then
  echo "no benchmark programs in $dir/bin (configured with -DTUNELET_BUILD_BENCH=OFF?)" >&2
  exit 1
fi

echo "# load before: $(cut -d' ' -f1-3 /proc/loadavg)"
failed=0
for bench in "${benches[@]}"; do
  name="$(basename "$bench")"
  echo "## $name"
  start=$(date +%s)
  "$bench"
  rc=$?
  echo "# $name: exit $rc after $(($(date +%s) - start)) s"
  [ $rc -eq 0 ] || failed=1
done
echo "# load after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $failed
