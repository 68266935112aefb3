#!/usr/bin/env bash
# Installs the Debian 12 packages Tunelet needs to build, run and test,
# skipping the ones already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format git
  qt6-base-dev libgl-dev libarchive-dev libarchive-tools libsdl2-dev
  fonts-ipafont-gothic
  xvfb xauth xdotool openbox x11-utils imagemagick libxcb1-dev
  jlha-utils lhasa arj cabextract gcab zlib1g-dev libbz2-dev
  ffmpeg sox
  python3 dpkg-dev file lintian desktop-file-utils appstream
  dbus playerctl trayer shared-mime-info libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# lhasa and jlha-utils both provide "lha"; the tests make LZH archives with it, which only
# jlha does (lhasa only reads), so "lha" is pointed at jlha.
if [ -x /usr/bin/jlha ] && [ "$(readlink -f /usr/bin/lha 2>/dev/null)" != /usr/bin/jlha ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO update-alternatives --set lha /usr/bin/jlha >/dev/null
fi
