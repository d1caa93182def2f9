#!/usr/bin/env bash
# Makes the NTFS volume whose files were written in an order unlike their folder order, as on a
# disk used for years: mkntfs (1.5 GiB, 4 KiB clusters), then through an ntfs-3g FUSE mount
# 1,000 folders (every tenth compressed) and 102,000 files written round the folders, file i into
# folder i * 7919 mod 1000, so that the records of one folder's files lie spread over the whole
# $MFT. Three files in five hold 200 bytes (resident), one 3,000 and one 20,000 (compressed in
# the compressed folders). 53,000 of them (i mod 102 below 53) are deleted, then five 24 MiB files
# are written into the holes that left (fragmented; two compressed) and deleted too: 102,005
# files, 53,005 deleted. Needs /dev/fuse and root.
#   make-ntfs-mixed-bench-volume.sh IMAGE
set -euo pipefail
img=${1:?usage: make-ntfs-mixed-bench-volume.sh IMAGE}
for tool in mkntfs ntfs-3g setfattr; do
  command -v "$tool" >/dev/null || { echo "make-ntfs-mixed-bench-volume: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'mountpoint -q "$tmp/m" && umount "$tmp/m"; rm -rf "$tmp"' EXIT
mkdir "$tmp/m"
rm -f "$img.part"
truncate -s 1536M "$img.part"
mkntfs -q -F -Q -c 4096 -L MIXED "$img.part" >/dev/null 2>&1
ntfs-3g "$img.part" "$tmp/m"
m=$tmp/m
for d in $(seq 0 999); do
  mkdir "$m/d$d"
  if (( d % 10 == 0 )); then setfattr -n system.ntfs_attrib_be -v 0x00000800 "$m/d$d"; fi
done
body=$(printf 'mixed-order benchmark text %.0s' $(seq 1 800))
small=${body:0:200}
medium=${body:0:3000}
large=${body:0:20000}
# printf is a shell builtin: no process per file.
for ((i = 0; i < 102000; i++)); do
  f="$m/d$(( i * 7919 % 1000 ))/f$i"
  case $(( i % 5 )) in
    3) printf '%s' "$medium" > "$f" ;;
    4) printf '%s' "$large" > "$f" ;;
    *) printf '%s' "$small" > "$f" ;;
  esac
done
for ((i = 0; i < 102000; i++)); do
  if (( i % 102 < 53 )); then rm "$m/d$(( i * 7919 % 1000 ))/f$i"; fi
done
sync
for k in 0 1 2 3 4; do
  head -c $((24 * 1024 * 1024)) /dev/urandom > "$tmp/big"
  if (( k < 2 )); then tr -c 'a-z\n' 'x' < "$tmp/big" > "$m/d0/big$k"; else cp "$tmp/big" "$m/d1/big$k"; fi
done
sync
rm "$m"/d0/big* "$m"/d1/big*
umount "$m"
mv "$img.part" "$img"
