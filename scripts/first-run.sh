#!/usr/bin/env bash
# first-run.sh <program folder> <bin folder> <examples folder>
# Prepares a program folder for a newcomer, once: settings that point at the
# built player and converter, and a list of the example songs that Tunelet
# opens at start. An existing settings file is never touched.
set -euo pipefail
home="${1%/}/"; bin="${2%/}"; examples="${3%/}"
ini="${home}tunelet.ini"
[ -e "$ini" ] && exit 0
mkdir -p "$home"
list="${home}examples.ppl"
: > "$list.tmp"
shopt -s nullglob
for song in "$examples"/*.snr "$examples"/*.mid "$examples"/*.lzh; do
  printf '%s\r\n' "$song" >> "$list.tmp"
done
mv "$list.tmp" "$list"
{
  printf '[Software]\r\nVersion=105\r\n'
  printf '[Setting]\r\nSonaroPath=%s\r\nmid2snrPath=%s\r\n' "$bin/sonaro" "$bin/mid2snr"
  printf '[File]\r\nFileName=%s\r\n' "$list"
} > "$ini.tmp"
mv "$ini.tmp" "$ini"
echo "Prepared $home: the example songs are in the list; press Space to play."
