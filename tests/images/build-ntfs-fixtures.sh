#!/usr/bin/env bash
# Builds the NTFS volumes the NTFS reader's tests read: made by mkntfs and filled through an
# ntfs-3g FUSE mount (which needs /dev/fuse and root), with resident, non-resident, fragmented,
# sparse and compressed files, a file with an attribute list, deep folders, Chinese names and
# deleted files and folders. The files put on the volume are kept beside it (ntfs-files/) so the
# tests can compare what they read. Beside it, ntfs-folders.img: a folder of 600 names whose index
# fills several blocks, some of them deleted again (stale entries). Cached; rebuilt when this script changes. A missing tool or
# a FUSE mount that does not work is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-ntfs-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set ntfs "$here/build-ntfs-fixtures.sh" "$out"

need_tools mkntfs ntfsinfo setfattr truncate dd istat ifind fls fsstat blkls sha256sum
need_fuse

make_scratch

img="$out/ntfs-files.img"
files="$out/ntfs-files"
rm -rf "$img" "$files"
mkdir -p "$files"

# The originals, made first on the host.
printf 'small resident file\r\n' > "$files/small.txt"
: > "$files/empty.txt"
head -c 300000 /dev/urandom > "$files/big.bin"
head -c 3000 /dev/urandom > "$files/gone.bin"
head -c 200000 /dev/urandom > "$files/frag.bin"
# Compressible text and incompressible bytes for the compressed folder.
for i in $(seq 1 6000); do echo "line $i of the compressible text: the quick brown fox jumps over the lazy dog"; done > "$files/text.txt"
head -c 150000 /dev/urandom > "$files/random.bin"
{ head -c 70000 /dev/zero; head -c 20000 /dev/urandom; head -c 90000 "$files/text.txt"; } > "$files/mixed.bin"
printf 'deep file\n' > "$files/deep.txt"
printf '中文内容\n' > "$files/report.txt"

# new_mounted_volume IMAGE SIZE LABEL: a fresh volume of 4 KiB clusters, mounted at $mnt.
new_mounted_volume() {
  truncate -s "$2" "$1"
  mkntfs -q -F -Q -c 4096 -L "$3" "$1" >>"$log" 2>&1 || fail "mkntfs failed (see $log)"
  ntfs-3g "$1" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount the volume through FUSE (see $log)"
  mountpoint -q "$mnt" || fail "the ntfs-3g FUSE mount did not appear"
}

new_mounted_volume "$img" 32M FIXTURE

cp "$files/small.txt" "$mnt/small.txt"
: > "$mnt/empty.txt"
cp "$files/big.bin" "$mnt/big.bin"
# A sparse file: 1 MiB with 8 KiB of data in the middle.
head -c 8192 /dev/urandom > "$tmp/middle"
truncate -s 1M "$mnt/sparse.bin"
dd if="$tmp/middle" of="$mnt/sparse.bin" bs=4096 seek=128 conv=notrunc status=none
truncate -s 1M "$files/sparse.bin"
dd if="$tmp/middle" of="$files/sparse.bin" bs=4096 seek=128 conv=notrunc status=none
# Compressed files: ntfs-3g compresses what is written into a folder with the compressed attribute.
mkdir "$mnt/comp"
setfattr -n system.ntfs_attrib_be -v 0x00000800 "$mnt/comp" || fail "setfattr could not mark the folder compressed"
cp "$files/text.txt" "$files/random.bin" "$files/mixed.bin" "$mnt/comp/"
# An attribute list: many hard links with long names overflow the base record.
cp "$files/small.txt" "$mnt/linked.txt"
for i in $(seq 1 40); do
  ln "$mnt/linked.txt" "$mnt/link-$i-with-a-rather-long-name-so-that-the-file-name-attributes-fill-the-record.txt"
done
# Deep folders and Chinese names.
mkdir -p "$mnt/d1/d2/d3/d4/d5/d6/d7/d8/d9/d10/d11/d12"
cp "$files/deep.txt" "$mnt/d1/d2/d3/d4/d5/d6/d7/d8/d9/d10/d11/d12/deep.txt"
mkdir "$mnt/中文文件夹"
cp "$files/report.txt" "$mnt/中文文件夹/报告.txt"
# A long name with a DOS name beside it.
cp "$files/small.txt" "$mnt/Long name.txt"
setfattr -n system.ntfs_dos_name -v "LONGNA~1.TXT" "$mnt/Long name.txt" || fail "setfattr could not give the file a DOS name"
# A fragmented file, written into the holes of a filled volume.
fragment_free_space "$mnt/fill"
cp "$files/frag.bin" "$mnt/frag.bin"
# Deleted files and folders.
cp "$files/gone.bin" "$mnt/gone.bin"
mkdir -p "$mnt/gonedir/inner"
cp "$files/small.txt" "$mnt/gonedir/inner/a.txt"
cp "$files/big.bin" "$mnt/gonedir/b.bin"
sync
rm "$mnt/gone.bin"
rm -r "$mnt/gonedir"
sync
umount "$mnt" || fail "could not unmount the volume"

# Check that the volume holds what the tests expect of it.
check() { istat "$img" "$(ifind -n "$1" "$img")" > "$tmp/istat" 2>>"$log" || fail "istat of $1 failed"; grep -q -- "$2" "$tmp/istat" || fail "$1: expected '$2' in istat"; }
check /comp/text.txt "Compressed"
check /sparse.bin "Sparse"
check /linked.txt "ATTRIBUTE_LIST"
# frag.bin must not lie in one piece: some cluster does not follow the one before it.
istat "$img" "$(ifind -n /frag.bin "$img")" | sed -n '/\$DATA/,$p' | tail -n +2 | tr ' ' '\n' | grep '^[0-9]' |
  awk 'NR > 1 && $1 != prev + 1 { jumps++ } { prev = $1 } END { exit !(jumps >= 2) }' || fail "frag.bin is not fragmented"

# A folder whose own index spreads over blocks of $INDEX_ALLOCATION: 600 files, every seventh
# deleted again, so that blocks hold stale entries.
folders="$out/ntfs-folders.img"
rm -f "$folders"
new_mounted_volume "$folders" 16M FOLDERS
mkdir "$mnt/many"
for i in $(seq 1 600); do printf '%s' "$i" > "$mnt/many/file-$i.txt"; done
for i in $(seq 7 7 600); do rm "$mnt/many/file-$i.txt"; done
sync
umount "$mnt" || fail "could not unmount the volume"
istat "$folders" "$(ifind -n /many "$folders")" | grep -q 'INDEX_ALLOCATION' || fail "/many has no index blocks"

end_fixture_set
