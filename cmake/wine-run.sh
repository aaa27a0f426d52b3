#!/bin/sh
# Runs a Windows program under Wine, as the emulator of the cross build's tests. Now and then Wine
# fails to start a program at all: it exits with an error before the program writes a byte (one
# test of the CLI cases, once in several hundred starts with a shared Wine server). Only such a
# start, with nothing on either stream, is tried again; a program that wrote anything is never rerun.
out=$(mktemp) && err=$(mktemp) || exit 125
trap 'rm -f "$out" "$err"' EXIT
failed=
for start in 1 2 3; do
  wine "$@" >"$out" 2>"$err"
  status=$?
  if [ "$status" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ]; then
    break
  fi
  failed="${failed}wine-run: exit $status before any output, start $start of $1
"
done
cat "$out"
printf '%s' "$failed" >&2
cat "$err" >&2
exit "$status"
