#!/usr/bin/env bash
# Ctrl-C during a long thorough scan: the scan stops at its next progress point, the program
# prints what it found (the header of the listing) and ends normally.
set -euo pipefail
cli=$1 fixtures=$2
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$cli" --no-devices --image "$fixtures/sparse-3tib.img" scan PhysicalDrive0 --format tsv > "$out" &
pid=$!
sleep 1
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "interrupted scan ended with status $status"; exit 1; }
head -1 "$out" | grep -q '^path' || { echo "no listing after the interrupt"; exit 1; }
echo "interrupted scan printed its listing"
