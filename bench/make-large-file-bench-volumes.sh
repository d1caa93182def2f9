#!/usr/bin/env bash
# Makes the volumes the large-file recovery benchmark reads: one deleted file of 512 MiB of
# pseudo-random bytes on a FAT32 volume (mkfs.fat, 8 KiB clusters, so that the file's 65,536
# clusters stay within the 100,000 a FAT recovery takes; written by mcopy, deleted by mdel) and
# on an NTFS volume (mkntfs, 4 KiB clusters, written through an ntfs-3g FUSE mount,
# deleted there). The file's SHA-256 goes to DIR/large.sha256 for checking a recovery once.
# Needs /dev/fuse and root.
set -euo pipefail
dir=${1:?usage: make-large-file-bench-volumes.sh DIR}
for tool in mkfs.fat mcopy mdel mkntfs ntfs-3g sha256sum; do
  command -v "$tool" >/dev/null || { echo "make-large-file-bench-volumes: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
export MTOOLS_SKIP_CHECK=1
mkdir -p "$dir"
tmp=$(mktemp -d -p "$dir")
trap 'mountpoint -q "$tmp/m" && umount "$tmp/m"; rm -rf "$tmp"' EXIT
head -c 512M /dev/urandom > "$tmp/large.bin"
sha256sum < "$tmp/large.bin" | cut -d' ' -f1 > "$dir/large.sha256"

truncate -s 640M "$tmp/fat32.img"
mkfs.fat -F 32 -s 16 -n LARGE "$tmp/fat32.img" >/dev/null
mcopy -i "$tmp/fat32.img" "$tmp/large.bin" ::/LARGE.BIN
mdel -i "$tmp/fat32.img" ::/LARGE.BIN
mv "$tmp/fat32.img" "$dir/fat32-large.img"

mkdir "$tmp/m"
truncate -s 640M "$tmp/ntfs.img"
mkntfs -q -F -Q -c 4096 -L LARGE "$tmp/ntfs.img" >/dev/null 2>&1
ntfs-3g "$tmp/ntfs.img" "$tmp/m"
cp "$tmp/large.bin" "$tmp/m/large.bin"
sync
rm "$tmp/m/large.bin"
umount "$tmp/m"
mv "$tmp/ntfs.img" "$dir/ntfs-large.img"
