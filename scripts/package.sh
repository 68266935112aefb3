#!/usr/bin/env bash
# package.sh [build folder]: builds Tunelet as Debian builds its packages
# (dpkg-buildflags: optimised, hardened) and makes the Debian package
# tunelet_<version>_<arch>.deb in the build folder (default build/package).
# Install it with: sudo apt install ./build/package/tunelet_<version>_<arch>.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$(realpath -m "${1:-$root/build/package}")"
cd "$root"

bash scripts/deps.sh
cppflags="$(dpkg-buildflags --get CPPFLAGS)"
export CFLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
# Build type None: the flags above are the only ones, as in a Debian build.
BUILD_TYPE=None bash scripts/build.sh "$dir" -DTUNELET_BUILD_TESTS=OFF -DTUNELET_BUILD_BENCH=OFF
(cd "$dir" && cpack -G DEB)
ls "$dir"/tunelet_*.deb
