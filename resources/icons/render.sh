#!/usr/bin/env bash
# Renders the icon drawings in src/ (ImageMagick vector graphics) into the PNG
# files that tunelet.qrc embeds. Run after changing a drawing; the PNGs are
# committed so that building needs no ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
render() { # <drawing> <canvas size> <output> <size>
  convert -background none -size "$2x$2" "mvg:src/$1.mvg" -filter Lanczos -resize "$4x$4" \
    -define png:exclude-chunks=date,time -strip "$3"
}
for s in 16 24 32 48 64 128 256; do
  render tunelet 256 "tunelet-$s.png" "$s"
done
for f in src/kind-*.mvg src/sb-*.mvg; do
  name="$(basename "$f" .mvg)"
  render "$name" 64 "$name.png" 16
  render "$name" 64 "$name@2x.png" 32
done
