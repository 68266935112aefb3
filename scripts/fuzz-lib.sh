# Shared by scripts/fuzz.sh and scripts/fuzz-all.sh (sourced, not run).

# fuzz_configure <root> <build dir>: the clang build with the fuzz targets.
fuzz_configure() {
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  CC=clang CXX=clang++ cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTUNELET_BUILD_FUZZ=ON -DTUNELET_BUILD_TESTS=OFF -DTUNELET_BUILD_BENCH=OFF \
    "${launcher[@]}" >/dev/null
}

# fuzz_max_len <target>: the largest input a target is given. Every reader's
# rules show in a few KB (the titles target stretches its input to long lines
# itself); larger inputs only slow each run down.
fuzz_max_len() {
  case "$1" in
    archive_data|mid2snr) echo 16384 ;;
    *) echo 4096 ;;
  esac
}
