#!/usr/bin/env bash
# Makes the NTFS volume the desktop benchmark browses: mkntfs, then through an ntfs-3g FUSE mount
# one folder of FILES (100,000) files written in shuffled order with names that sort unlike that
# order and sizes from empty to a few clusters, beside a few other folders written between them;
# then every file of the big folder is deleted. Needs /dev/fuse and root.
#   make-desktop-bench-volume.sh IMAGE [FILES]
set -euo pipefail
img=${1:?usage: make-desktop-bench-volume.sh IMAGE [FILES]}
files=${2:-100000}
for tool in mkntfs ntfs-3g shuf; do
  command -v "$tool" >/dev/null || { echo "make-desktop-bench-volume: '$tool' is missing (run scripts/setup --tests)" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'mountpoint -q "$tmp/m" && umount "$tmp/m"; rm -rf "$tmp"' EXIT
mkdir "$tmp/m"
rm -f "$img.part"
truncate -s 1G "$img.part"
mkntfs -q -F -Q -c 4096 -L DESKTOP "$img.part" >/dev/null 2>&1
ntfs-3g -o big_writes "$img.part" "$tmp/m"
mkdir "$tmp/m/big" "$tmp/m/other"
body=$(printf 'desktop benchmark file body %.0s' $(seq 1 400))
n=0
# Shuffled numbers make names whose order is not the order of their records.
for i in $(shuf -i 1-"$files" --random-source=<(yes)); do
  case $((i % 7)) in
    0) : > "$tmp/m/big/file $i.dat" ;;
    1|2) printf '%s' "${body:0:9000}" > "$tmp/m/big/file $i.dat" ;;
    *) printf '%s' "${body:0:$((i % 600))}" > "$tmp/m/big/file $i.dat" ;;
  esac
  n=$((n + 1))
  (( n % 5000 == 0 )) && printf 'kept %s\n' "$n" > "$tmp/m/other/kept $n.txt"
done
find "$tmp/m/big" -type f -delete
umount "$tmp/m"
mv "$img.part" "$img"
