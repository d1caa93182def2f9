#!/usr/bin/env bash
# Builds NTFS volumes whose sectors are 2048 and 4096 bytes long (mkntfs -s, as on 4Kn disks and
# many USB drives), filled through an ntfs-3g FUSE mount with resident, non-resident, sparse and
# compressed files and a folder tree, all deleted at the end. Their records are 2048 and 4096
# bytes, with an update sequence entry for every 512 bytes. The originals stay beside the images
# (sector-files/) for byte-for-byte comparisons. Cached; rebuilt when this script changes. A
# missing tool or a FUSE mount that does not work is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-sector-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set sector "$here/build-sector-fixtures.sh" "$out"

need_tools mkntfs ntfsinfo setfattr truncate dd fls istat ifind
need_fuse

make_scratch

files="$out/sector-files"
rm -rf "$files"
mkdir -p "$files"
printf 'a resident file with the SECTOR-MARK in it\r\n' > "$files/small.txt"
head -c 300000 /dev/urandom > "$files/plain.bin"
head -c 5000 /dev/urandom > "$files/inner.bin"
for i in $(seq 1 4000); do echo "line $i of the compressible text on a large-sector volume"; done > "$files/text.txt"
{ head -c 70000 /dev/zero; head -c 20000 /dev/urandom; head -c 90000 "$files/text.txt"; } > "$files/mixed.bin"
truncate -s 1M "$files/sparse.bin"
head -c 8192 /dev/urandom | dd of="$files/sparse.bin" bs=4096 seek=128 conv=notrunc status=none

# make_volume SECTOR_SIZE: ntfs-s<SECTOR_SIZE>.img, 4096-byte clusters.
make_volume() {
  local sector=$1 img="$out/ntfs-s$1.img"
  rm -f "$img"
  truncate -s 16M "$img"
  mkntfs -q -F -Q -s "$sector" -c 4096 -L "S$sector" "$img" >>"$log" 2>&1 || fail "mkntfs -s $sector failed (see $log)"
  ntfsinfo -m "$img" > "$tmp/info" 2>>"$log"
  grep -q "Sector Size: $sector" "$tmp/info" || fail "mkntfs did not make $sector-byte sectors"
  ntfs-3g "$img" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount the volume through FUSE (see $log)"
  mountpoint -q "$mnt" || fail "the ntfs-3g FUSE mount did not appear"
  cp "$files/small.txt" "$files/plain.bin" "$mnt/"
  cp --sparse=always "$files/sparse.bin" "$mnt/sparse.bin"
  mkdir "$mnt/comp"
  setfattr -n system.ntfs_attrib_be -v 0x00000800 "$mnt/comp" || fail "setfattr could not mark the folder compressed"
  cp "$files/text.txt" "$files/mixed.bin" "$mnt/comp/"
  mkdir -p "$mnt/gonedir/inner"
  cp "$files/inner.bin" "$mnt/gonedir/inner/inner.bin"
  cp "$files/small.txt" "$mnt/gonedir/a.txt"
  sync
  umount "$mnt"
  istat "$img" "$(ifind -n /comp/text.txt "$img")" > "$tmp/istat"
  grep -q Compressed "$tmp/istat" || fail "text.txt is not compressed on $img"
  istat "$img" "$(ifind -n /sparse.bin "$img")" > "$tmp/istat"
  grep -q Sparse "$tmp/istat" || fail "sparse.bin is not sparse on $img"
  ntfs-3g "$img" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount the volume again"
  rm "$mnt/small.txt" "$mnt/plain.bin" "$mnt/sparse.bin" "$mnt/comp/"*
  rm -r "$mnt/gonedir"
  sync
  umount "$mnt" || fail "could not unmount the volume"
  fls -r -d "$img" > "$tmp/deleted"
  local f
  for f in small.txt plain.bin sparse.bin text.txt mixed.bin inner.bin a.txt; do
    grep -q "/$f\$\|	$f\$" "$tmp/deleted" || fail "$f is not listed as deleted on $img"
  done
}

make_volume 2048
make_volume 4096

end_fixture_set
