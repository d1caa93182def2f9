#!/usr/bin/env bash
# Ctrl-C during a long thorough scan: the scan stops at its next progress point, and the program
# prints what it found until then and ends with status 130 (the listing is not the whole drive).
# The disk is 3 TiB (sparse) with a JPEG made by cjpeg at sector 2048, which the scan passes within
# its first second.
set -euo pipefail
cli=$1 fixtures=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
disk=$tmp/disk.img
truncate -s 3T "$disk"
dd if="$fixtures/media/cjpeg.jpg" of="$disk" bs=512 seek=2048 conv=notrunc status=none
"$cli" --no-devices --image "$disk" scan PhysicalDrive0 --format tsv > "$tmp/out" &
pid=$!
sleep 1
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 130 ] || { echo "interrupted scan ended with status $status"; exit 1; }
head -1 "$tmp/out" | grep -q '^path' || { echo "no listing after the interrupt"; exit 1; }
size=$(stat -c %s "$fixtures/media/cjpeg.jpg")
grep -q "^\\\\Jpeg 图像\\\\file2048.jpg	0	1	$size	" "$tmp/out" || { echo "the JPEG found before the interrupt is not listed:"; cat "$tmp/out"; exit 1; }
echo "interrupted scan printed what it had found"
