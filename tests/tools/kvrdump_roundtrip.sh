#!/bin/sh
# kvrdump turns a text form into a report file and back into the same text; damaged files fail.
set -eu
kvrdump="$1"
fixture="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$kvrdump" -t "$fixture" "$work/report.KVR"
head -c 4 "$work/report.KVR" | od -An -tx1 | grep -q 'ff 0a 00 54'
"$kvrdump" "$work/report.KVR" > "$work/back.txt"
cmp "$fixture" "$work/back.txt"
"$kvrdump" -b "$fixture" "$work/stream.bin"
"$kvrdump" "$work/stream.bin" | cmp - "$fixture"
head -c 40 "$work/report.KVR" > "$work/cut.KVR"
if "$kvrdump" "$work/cut.KVR" > /dev/null 2> "$work/err"; then
  echo "a truncated file was accepted" >&2
  exit 1
fi
grep -q 'Stream read error\|Invalid' "$work/err"
