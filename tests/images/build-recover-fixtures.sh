#!/usr/bin/env bash
# Builds the volumes the recovery and search tests recover from, with real tools only: FAT12,
# FAT16 and FAT32 volumes made by mkfs.fat and filled by mtools, and an NTFS volume made by
# mkntfs and filled through an ntfs-3g FUSE mount. Every file of interest is deleted at the end,
# when nothing is written any more, so its clusters are free and still hold its bytes. The
# originals stay beside the images (recover-files/) for byte-for-byte comparisons. The recycle
# bin's INFO2 file is the one thing written by hand: no tool here makes one. Cached; rebuilt when
# this script changes. A missing tool or a FUSE mount that does not work is a failure, never a
# skip.
set -euo pipefail

out=${1:?usage: build-recover-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set recover "$here/build-recover-fixtures.sh" "$out"

need_tools mkfs.fat mcopy mmd mdel mkntfs setfattr truncate dd istat ifind fls stat sha256sum
need_fuse

make_scratch
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8

files="$out/recover-files"
rm -rf "$files"
mkdir -p "$files"

# The originals. Text and hex markers are made so that random bytes cannot hold them by chance:
# the files the content tests look into are plain text.
printf 'x' > "$files/one.bin"
for n in 511 512 513 5000 10000 70000; do head -c "$n" /dev/urandom > "$files/r$n.bin"; done
: > "$files/empty.txt"
printf 'Say HELLO to the search\r\n' > "$files/hello.txt"
printf 'MZ header of a text file\r\n' > "$files/mz.hex"
printf 'M\005 is not the other one\r\n' > "$files/d5.hex"
# STRADDLE-MARK lies across the end of the second 4096-byte cluster (bytes 8186 to 8198).
{ head -c 8186 /dev/zero | tr '\0' 'a'; printf 'STRADDLE-MARK'; head -c 4000 /dev/zero | tr '\0' 'b'; } > "$files/straddle.txt"
# 100,001 clusters of 512 bytes: one cluster too many for a recovery.
head -c $((100001 * 512)) /dev/zero > "$files/huge.bin"
printf 'HELLO from the recycle bin\r\n' > "$files/recycled.txt"
# The NTFS files: resident, one of 5000 bytes, non-resident, fragmented, sparse, compressed.
head -c 300 /dev/urandom > "$files/resident.bin"
head -c 5000 /dev/urandom > "$files/five.bin"
head -c 300000 /dev/urandom > "$files/plain.bin"
head -c 200000 /dev/urandom > "$files/frag.bin"
truncate -s 1M "$files/sparse.bin"
head -c 8192 /dev/urandom > "$tmp/middle"
dd if="$tmp/middle" of="$files/sparse.bin" bs=4096 seek=128 conv=notrunc status=none
for i in $(seq 1 6000); do echo "line $i of the compressible text: COMPRESSED-MARK and the lazy dog"; done > "$files/text.txt"
head -c 150000 /dev/urandom > "$files/random.bin"
{ head -c 70000 /dev/zero; head -c 20000 /dev/urandom; head -c 90000 "$files/text.txt"; } > "$files/mixed.bin"
# The same marker in a file that is not compressed, so a search can be seen to find it.
{ head -c 5000 "$files/text.txt"; } > "$files/uncompressed.txt"
printf 'a control character in the name\r\n' > "$files/control.txt"
# A sparse file with text in its one stretch of data.
truncate -s 1M "$files/sparse.txt"
printf 'the SPARSE-MARK lies in the middle\r\n' | dd of="$files/sparse.txt" bs=4096 seek=75 conv=notrunc status=none

# ---- FAT: the same deleted files on FAT12, FAT16 and FAT32 -----------------------------------
fat_set="one.bin r511.bin r512.bin r513.bin r5000.bin r10000.bin r70000.bin empty.txt hello.txt mz.hex d5.hex straddle.txt"

# The recycle bin of the FAT16 volume: an ANSI INFO2 of one 280-byte record naming
# C:\recycled.txt (record 1, drive C), beside the kept file Dc1.txt.
# Header: version 5, record size 280 at offset 12. Record: the path in 260 bytes, record number,
# drive number, deletion time, size.
{
  printf '\005\0\0\0\0\0\0\0\0\0\0\0\030\001\0\0\0\0\0\0'
  printf 'C:\\recycled.txt'
  head -c $((260 - 15)) /dev/zero
  printf '\001\0\0\0\002\0\0\0\0\0\0\0\0\0\0\0\034\0\0\0'
} > "$tmp/INFO2"
[ "$(stat -c %s "$tmp/INFO2")" -eq 300 ] || fail "INFO2 is not one header and one record long"
# make_fat NAME SIZE_MIB FAT_BITS SECTORS_PER_CLUSTER [EXTRA FILE...]; with recycle=1 the volume
# gets the recycle bin too. Everything is written before the first file is deleted.
make_fat() {
  local img="$out/$1" size=$2 bits=$3 spc=$4
  shift 4
  rm -f "$img"
  truncate -s "${size}M" "$img"
  mkfs.fat -F "$bits" -s "$spc" -n RECOVER "$img" >>"$log" 2>&1 || fail "mkfs.fat failed for $img"
  # A live folder tree that holds deleted files: KEEP/inner.bin and KEEP/SUB/deep.txt.
  mmd -i "$img" ::/KEEP ::/KEEP/SUB
  mcopy -i "$img" "$files/hello.txt" ::/KEEP/LIVE.TXT
  local f
  for f in $fat_set "$@"; do mcopy -i "$img" "$files/$f" "::/$f"; done
  mcopy -i "$img" "$files/r5000.bin" ::/KEEP/inner.bin
  mcopy -i "$img" "$files/hello.txt" ::/KEEP/SUB/deep.txt
  if [ "${recycle:-0}" = 1 ]; then
    mmd -i "$img" ::/RECYCLED
    mcopy -i "$img" "$tmp/INFO2" ::/RECYCLED/INFO2
    mcopy -i "$img" "$files/recycled.txt" ::/RECYCLED/Dc1.txt
  fi
  for f in $fat_set "$@"; do mdel -i "$img" "::/$f"; done
  mdel -i "$img" ::/KEEP/inner.bin ::/KEEP/SUB/deep.txt
}

make_fat recover-fat12.img 4 12 2
recycle=1 make_fat recover-fat16.img 32 16 8
make_fat recover-fat32.img 60 32 1 huge.bin

# ---- NTFS ---------------------------------------------------------------------------------------
img="$out/recover-ntfs.img"
rm -f "$img"
truncate -s 24M "$img"
mkntfs -q -F -Q -c 4096 -L RECOVER "$img" >>"$log" 2>&1 || fail "mkntfs failed (see $log)"
ntfs-3g "$img" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount the volume through FUSE (see $log)"
mountpoint -q "$mnt" || fail "the ntfs-3g FUSE mount did not appear"

for f in resident.bin five.bin plain.bin hello.txt uncompressed.txt; do cp "$files/$f" "$mnt/$f"; done
cp "$files/control.txt" "$mnt/$(printf 'ctl\001name.txt')" || fail "ntfs-3g refused a name with a control character"
truncate -s 1M "$mnt/sparse.bin"
dd if="$tmp/middle" of="$mnt/sparse.bin" bs=4096 seek=128 conv=notrunc status=none
truncate -s 1M "$mnt/sparse.txt"
printf 'the SPARSE-MARK lies in the middle\r\n' | dd of="$mnt/sparse.txt" bs=4096 seek=75 conv=notrunc status=none
mkdir "$mnt/comp"
setfattr -n system.ntfs_attrib_be -v 0x00000800 "$mnt/comp" || fail "setfattr could not mark the folder compressed"
cp "$files/text.txt" "$files/random.bin" "$files/mixed.bin" "$mnt/comp/"
mkdir -p "$mnt/gonedir/inner"
cp "$files/hello.txt" "$mnt/gonedir/inner/a.txt"
cp "$files/r5000.bin" "$mnt/gonedir/b.bin"
# A fragmented file, written into the holes of a filled volume.
fragment_free_space "$mnt/fill"
cp "$files/frag.bin" "$mnt/frag.bin" || fail "frag.bin did not fit into the holes"
sync
# Check the kinds before the files go.
check() { istat "$img" "$(ifind -n "$1" "$img")" > "$tmp/istat" 2>>"$log" || fail "istat of $1 failed"; grep -q -- "$2" "$tmp/istat" || fail "$1: expected '$2' in istat"; }
umount "$mnt"
check /comp/text.txt "Compressed"
check /sparse.bin "Sparse"
check /sparse.txt "Sparse"
istat "$img" "$(ifind -n /frag.bin "$img")" | sed -n '/\$DATA/,$p' | tail -n +2 | tr ' ' '\n' | grep '^[0-9]' |
  awk 'NR > 1 && $1 != prev + 1 { jumps++ } { prev = $1 } END { exit !(jumps >= 2) }' || fail "frag.bin is not fragmented"
ntfs-3g "$img" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount the volume again"
for f in resident.bin five.bin plain.bin hello.txt uncompressed.txt sparse.bin sparse.txt frag.bin "$(printf 'ctl\001name.txt')"; do
  rm "$mnt/$f"
done
rm "$mnt/comp/"*
rm -r "$mnt/gonedir"
sync
umount "$mnt" || fail "could not unmount the volume"
# The deleted files must still be on it, as sleuthkit sees it.
fls -r -d "$img" > "$tmp/deleted"
for f in resident.bin five.bin plain.bin frag.bin sparse.bin sparse.txt text.txt random.bin mixed.bin; do
  grep -q "	$f\$\|/$f\$" "$tmp/deleted" || fail "$f is not listed as deleted"
done

# ---- A recovery long enough to interrupt: a deleted 3 GiB sparse file between two small ones ---
# (on a sparse 4 GiB volume: sleuthkit takes no run longer than the volume)
img="$out/recover-long.img"
rm -f "$img"
truncate -s 4G "$img"
mkntfs -q -F -Q -c 4096 -L LONG "$img" >>"$log" 2>&1 || fail "mkntfs failed (see $log)"
ntfs-3g "$img" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount the volume through FUSE (see $log)"
cp "$files/hello.txt" "$mnt/a.txt"
truncate -s 3G "$mnt/long.bin"
cp "$files/hello.txt" "$mnt/z.txt"
sync
rm "$mnt/a.txt" "$mnt/long.bin" "$mnt/z.txt"
umount "$mnt" || fail "could not unmount the volume"
fls -r -d "$img" > "$tmp/deleted"
for f in a.txt long.bin z.txt; do grep -q "	$f\$" "$tmp/deleted" || fail "$f is not listed as deleted on $img"; done

end_fixture_set
