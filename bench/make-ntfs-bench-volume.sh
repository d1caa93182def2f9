#!/usr/bin/env bash
# Makes the NTFS volumes the NTFS benchmarks read: mkntfs, then through an ntfs-3g FUSE mount
# 100,000 files in 100 folders of 1,000 (one shell loop, no process per file) and one
# compressed text file (bench/comp/bench.txt). Needs /dev/fuse and root.
#   make-ntfs-bench-volume.sh IMAGE [FILES]          empty files, all live
#   make-ntfs-bench-volume.sh IMAGE [FILES] deleted  every file holds text (every third one
#     3,000 bytes, stored in clusters; the rest 200 bytes, resident in its record), and the
#     half whose number is odd is deleted afterwards; a copy of every file stays in
#     IMAGE.files/ so that recovered bytes can be compared.
set -euo pipefail
img=${1:?usage: make-ntfs-bench-volume.sh IMAGE}
files=${2:-100000}
mode=${3:-empty}
for tool in mkntfs ntfs-3g setfattr; do
  command -v "$tool" >/dev/null || { echo "make-ntfs-bench-volume: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'mountpoint -q "$tmp/m" && umount "$tmp/m"; rm -rf "$tmp"' EXIT
mkdir "$tmp/m"
rm -f "$img.part"
truncate -s 512M "$img.part"
mkntfs -q -F -Q -c 4096 -L BENCH "$img.part" >/dev/null 2>&1
ntfs-3g "$img.part" "$tmp/m"
mkdir "$tmp/m/comp"
setfattr -n system.ntfs_attrib_be -v 0x00000800 "$tmp/m/comp"
for i in $(seq 1 40000); do echo "record $i: compressible benchmark text, $((i % 97)) of the lazy dog"; done > "$tmp/m/comp/bench.txt"
long=$(printf 'benchmark file body %.0s' $(seq 1 150))
short=${long:0:200}
long=${long:0:3000}
for d in $(seq 0 $(( (files + 999) / 1000 - 1 ))); do
  mkdir "$tmp/m/d$d"
  for ((i = 0; i < 1000 && d * 1000 + i < files; i++)); do
    if [ "$mode" = deleted ]; then
      if (( i % 3 == 0 )); then printf '%s' "$long" > "$tmp/m/d$d/f$i"; else printf '%s' "$short" > "$tmp/m/d$d/f$i"; fi
    else
      : > "$tmp/m/d$d/f$i"
    fi
  done
done
if [ "$mode" = deleted ]; then
  rm -rf "$img.files"
  cp -r "$tmp/m/." "$img.files"
  for d in "$tmp/m"/d*; do rm -f "$d"/f*[13579]; done
fi
umount "$tmp/m"
mv "$img.part" "$img"
