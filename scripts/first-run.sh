#!/usr/bin/env bash
# first-run.sh <program folder> <examples folder>
# Prepares a program folder for a newcomer, once: settings whose last list is
# the examples' list file (song data files, a MIDI file and an LZH archive),
# which Tunelet opens at start. The player and converter are the ones built
# beside tunelet, its default. An existing settings file is never touched.
set -euo pipefail
home="${1%/}/"; examples="$(realpath -m "$2")"
ini="${home}tunelet.ini"
[ -e "$ini" ] && exit 0
mkdir -p "$home"
{
  printf '[Software]\r\nVersion=105\r\n'
  printf '[File]\r\nFileName=%s\r\n' "$examples/examples.ppl"
} > "$ini.tmp"
mv "$ini.tmp" "$ini"
echo "Prepared $home: the example songs are in the list; press Space to play."
