#!/usr/bin/env bash
# Builds the volumes that the basic scan's tests scan, with real tools only:
#  - scan-fat12.img, scan-fat16.img, scan-fat32.img (mkfs.fat, mtools): folders and files, some
#    deleted with mdel and mdeltree, then new files copied in that take the freed clusters of
#    some of them, wholly or in part;
#  - scan-ntfs.img (mkntfs, ntfs-3g FUSE mount): deleted files with resident, non-resident and
#    sparse data, one of 300 clusters, a deleted folder, clusters reused by a new file, and a deleted file whose
#    folder's record now holds a live file;
#  - scan-recycle-fat.img and scan-recycle-ntfs.img: recycle folders with INFO2 files (their
#    bytes are made here, no tool makes them) and the kept files, put on the volumes by mcopy
#    and through the ntfs-3g mount; the FAT one also holds a folder of 300 deleted files, so
#    that its scan passes progress points. Next to each: IMG.fls.
# Next to each scan image: IMG.fls (fls -r -p -l), IMG.istat (inode, then the sectors of a FAT
# entry or the clusters of an NTFS $DATA, "resident" for resident data), IMG.alloc (the
# allocated block ranges, from blkls), and for FAT IMG.fsstat and IMG.fsck (fsck.fat -n -v).
# Cached in the folder given; rebuilt when this script changes. A missing tool or a FUSE mount
# that does not work is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-scan-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set scan "$here/build-scan-fixtures.sh" "$out"

need_tools mkfs.fat fsck.fat mcopy mmd mdel mdeltree mdir mkntfs fls istat fsstat blkls perl truncate head sha256sum
perl -MEncode -e 1 2>/dev/null || fail "perl's Encode module is missing"
need_fuse

make_scratch
export MTOOLS_SKIP_CHECK=1
export LC_ALL=C.UTF-8

# allocation IMAGE: the allocated block ranges ("first last" per line) that blkls lists.
allocation() {
  blkls -l -a "$1" | awk -F'|' '
    $2 == "a" { if (open && $1 == last + 1) { last = $1 } else { if (open) print first, last; first = $1; last = $1; open = 1 } }
    END { if (open) print first, last }' > "$1.alloc"
  [ -s "$1.alloc" ] || fail "blkls listed no allocated block on $1"
}

# ---------------------------------------------------------------------------------------------
# FAT: on a full volume mtools gives a new file the first free clusters, so files copied in
# after a delete take the clusters of the deleted files in the order they lie.

fat_volume() {
  local img="$out/$1" size=$2 bits=$3 spc=$4 csize
  rm -f "$img" "$img".*
  truncate -s "${size}M" "$img"
  mkfs.fat -F "$bits" -s "$spc" -n SCANVOL "$img" >>"$log" 2>&1
  csize=$((spc * 512))
  # The files that will be reused lie first, one after the other, from the first free cluster.
  head -c $((4 * csize)) /dev/urandom > "$tmp/whole"
  head -c $((6 * csize)) /dev/urandom > "$tmp/part"
  head -c $((3 * csize + 100)) /dev/urandom > "$tmp/intact"
  mcopy -i "$img" "$tmp/whole" ::/REUSED.BIN
  mcopy -i "$img" "$tmp/part" "::/Partly overwritten.bin"
  mcopy -i "$img" "$tmp/intact" ::/INTACT.BIN
  mmd -i "$img" ::/Work ::/Work/Sub ::/Keep ::/Gone ::/Gone/Inner ::/空文件夹
  printf 'kept\r\n' > "$tmp/small"
  mcopy -i "$img" "$tmp/small" ::/Keep/LIVE.TXT
  mcopy -i "$img" "$tmp/small" "::/Keep/Live long name.txt"
  mcopy -i "$img" "$tmp/small" ::/Work/NOTES.TXT
  mcopy -i "$img" "$tmp/small" "::/Work/Sub/报告 草稿.txt"
  mcopy -i "$img" "$tmp/small" "::/Work/Sub/.hidden settings"
  : > "$tmp/empty"
  mcopy -i "$img" "$tmp/empty" ::/Work/EMPTY.TXT
  mcopy -i "$img" "$tmp/intact" "::/Gone/Kept in gone.bin"
  mcopy -i "$img" "$tmp/small" ::/Gone/Inner/DEEP.TXT
  mcopy -i "$img" "$tmp/small" ::/LIVE.TXT
  # The volume full: the clusters freed below are then the only free ones, wherever mtools
  # would start looking for free clusters (FAT32 keeps a hint of where the last one was).
  local free
  free=$(mdir -i "$img" ::/ | awk '/bytes free/ { gsub(/[^0-9]/, ""); print }')
  head -c "$free" /dev/zero > "$tmp/filler"
  mcopy -i "$img" "$tmp/filler" ::/FILLER.BIN
  mdel -i "$img" ::/REUSED.BIN "::/Partly overwritten.bin" ::/INTACT.BIN
  mdel -i "$img" "::/Work/Sub/报告 草稿.txt" "::/Work/Sub/.hidden settings" ::/Work/EMPTY.TXT
  mdeltree -i "$img" ::/Gone
  # New files in Keep (the root's freed slots stay as they are): the first takes REUSED.BIN's
  # four clusters, the second the first three of "Partly overwritten.bin"'s six.
  head -c $((4 * csize)) /dev/urandom > "$tmp/new1"
  head -c $((3 * csize)) /dev/urandom > "$tmp/new2"
  mcopy -i "$img" "$tmp/new1" ::/Keep/NEW1.BIN
  mcopy -i "$img" "$tmp/new2" ::/Keep/NEW2.BIN
  fls -r -p -l "$img" > "$img.fls"
  fsstat "$img" > "$img.fsstat"
  fsck.fat -n -v "$img" > "$img.fsck" 2>>"$log" || true
  grep -q 'clusters' "$img.fsck" || fail "fsck.fat gave no cluster count for $img"
  : > "$img.istat"
  local inode
  for inode in $(awk -F'\t' '$1 ~ /^[rd]\/[rd]/ { sub(/^[rd]\/[rd] (\* )?/, "", $1); sub(/[^0-9].*$/, "", $1); print $1 }' "$img.fls"); do
    printf '%s\t%s\n' "$inode" "$(istat "$img" "$inode" | awk 'f { for (i = 1; i <= NF; i++) if ($i != "0") printf "%s ", $i } /^Sectors:/ { f = 1 }')" >> "$img.istat"
  done
  allocation "$img"
}

{
  fat_volume scan-fat12.img 4 12 4
  fat_volume scan-fat16.img 32 16 4
  fat_volume scan-fat32.img 40 32 1
} >>"$log" 2>&1

# ---------------------------------------------------------------------------------------------
# NTFS

mount_ntfs() { ntfs-3g "$1" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount $1 through FUSE (see $log)"; mountpoint -q "$mnt" || fail "the ntfs-3g mount of $1 did not appear"; }
unmount_ntfs() { sync; umount "$mnt" || fail "could not unmount $mnt"; }

img="$out/scan-ntfs.img"
rm -f "$img" "$img".*
truncate -s 24M "$img"
mkntfs -q -F -Q -c 4096 -L SCANNTFS "$img" >>"$log" 2>&1 || fail "mkntfs failed (see $log)"
mount_ntfs "$img"
# The first records and clusters that ntfs-3g gives out: the folder Lost, its file, and
# reused.bin. After the deletes and a new mount, the next new file takes the lowest free record
# (Lost's) and the lowest free clusters (reused.bin's).
mkdir "$mnt/Lost"
printf 'orphaned\r\n' > "$mnt/Lost/orphan.txt"
mkdir "$mnt/Docs"
head -c 40000 /dev/urandom > "$mnt/Docs/reused.bin"
mkdir -p "$mnt/Docs/Sub" "$mnt/Trash/Inner" "$mnt/文档"
printf 'tiny\r\n' > "$mnt/Docs/resident.txt"
head -c 40000 /dev/urandom > "$mnt/Docs/intact.bin"
truncate -s 1M "$mnt/Docs/Sub/sparse only.bin"
printf 'live\r\n' > "$mnt/Docs/live.txt"
printf 'inner\r\n' > "$mnt/Trash/Inner/inner.txt"
head -c 30000 /dev/urandom > "$mnt/Trash/trashed.bin"
printf '中文\r\n' > "$mnt/文档/已删除.txt"
# More clusters (300) than the scan rates itself: rated when its chance is first asked for.
head -c 1228800 /dev/urandom > "$mnt/Docs/large.bin"
unmount_ntfs
mount_ntfs "$img"
rm -r "$mnt/Lost" "$mnt/Trash"
rm "$mnt/Docs/resident.txt" "$mnt/Docs/reused.bin" "$mnt/Docs/intact.bin" "$mnt/Docs/large.bin" \
   "$mnt/Docs/Sub/sparse only.bin" "$mnt/文档/已删除.txt"
unmount_ntfs
# A fresh mount allocates from the start of the data zone again.
mount_ntfs "$img"
head -c 40000 /dev/urandom > "$mnt/new.bin"
unmount_ntfs

fls -r -p -l "$img" > "$img.fls"
# inode, then the clusters of its unnamed $DATA ("resident" when it has no clusters listed and
# istat calls it resident; 0 stands for a sparse cluster).
: > "$img.istat"
for inode in $(awk -F'\t' '$1 ~ /\*/ { sub(/^[^ ]+ \* /, "", $1); sub(/[^0-9].*$/, "", $1); print $1 }' "$img.fls" | sort -un); do
  printf '%s\t%s\n' "$inode" "$(istat "$img" "$inode" 2>/dev/null | awk '
    /^Type: / { f = 0 }
    /^Type: \$DATA \(128-[0-9]+\)   Name: N\/A/ { if ($0 ~ /   Resident/) r = 1; else f = 1; next }
    f { for (i = 1; i <= NF; i++) printf "%s ", $i }
    END { if (r) printf "resident" }')" >> "$img.istat"
done
allocation "$img"
grep -q '\$OrphanFiles/orphan.txt' "$img.fls" || fail "orphan.txt's folder record was not reused on $img"

# ---------------------------------------------------------------------------------------------
# Recycle bins.

# info2 FILE RECORD_SIZE [NUMBER DRIVE PATH]...: an INFO2 file; PATH in UTF-8, written in the
# ANSI code page 936 at offset 0 and, in 800-byte records, in UTF-16 at offset 280.
info2() {
  perl -MEncode -e '
    my ($file, $size, @r) = @ARGV;
    open(my $fh, ">:raw", $file) or die;
    print $fh pack("V3 V V", 0, 0, 0, $size, 0);
    while (my ($number, $drive, $path) = splice(@r, 0, 3)) {
      my $wide = Encode::decode("UTF-8", $path);
      my $rec = Encode::encode("cp936", $wide);
      $rec .= "\0" x (260 - length($rec));
      $rec .= pack("V V V V V", $number, $drive, 0x5e3c7a00, 0x01d8e1a2, 1234);
      if ($size == 800) { my $u = Encode::encode("UTF-16LE", $wide); $rec .= $u . ("\0" x (520 - length($u))); }
      $rec .= "\0" x ($size - length($rec)) if length($rec) < $size;
      print $fh $rec;
    }
    close($fh);' "$@"
}

bin="$tmp/bin"
rm -rf "$bin"
mkdir -p "$bin/Recycled/Dc3/inner" "$bin/Recycler/S-1-5-21-7/" "$bin/Recycler/S-1-5-21-9" "$bin/Recycler/.dotted"
# Win9x-style: 280-byte records with ANSI names. Record 4's kept file is missing; record 5's
# folder is not on the volume.
info2 "$bin/Recycled/INFO2" 280 1 2 'C:\Docs\letter.txt' 2 2 'C:\Docs\报告.doc' 3 2 'C:\Docs\Album' \
      4 2 'C:\Docs\missing.txt' 5 2 'C:\Nowhere\lost.txt' 6 2 'C:\top.bin'
printf 'letter\r\n' > "$bin/Recycled/Dc1.txt"
printf 'report body\r\n' > "$bin/Recycled/Dc2.doc"
printf '1' > "$bin/Recycled/Dc3/one.jpg"
printf 'h' > "$bin/Recycled/Dc3/.hidden"
printf '22' > "$bin/Recycled/Dc3/inner/two.jpg"
printf 'nowhere' > "$bin/Recycled/Dc5.txt"
head -c 5000 /dev/urandom > "$bin/Recycled/Dc6.bin"
# NT-style: one folder per user with 800-byte records and UTF-16 names, one with a record size
# no system writes, and one whose name begins with a dot.
info2 "$bin/Recycler/S-1-5-21-7/INFO2" 800 7 2 'C:\Docs\照片 2024.jpg' 8 2 'C:\Docs\Sub\notes.txt'
printf 'photo' > "$bin/Recycler/S-1-5-21-7/Dc7.jpg"
printf 'sub notes' > "$bin/Recycler/S-1-5-21-7/Dc8.txt"
info2 "$bin/Recycler/S-1-5-21-9/INFO2" 300 9 2 'C:\Docs\odd.txt'
printf 'odd' > "$bin/Recycler/S-1-5-21-9/Dc9.txt"
info2 "$bin/Recycler/.dotted/INFO2" 800 10 2 'C:\Docs\dotted.txt'
printf 'dotted' > "$bin/Recycler/.dotted/Dc10.txt"

img="$out/scan-recycle-fat.img"
rm -f "$img"
truncate -s 8M "$img"
mkfs.fat -F 16 -s 2 -n RECYCLE "$img" >>"$log" 2>&1 || fail "mkfs.fat failed (see $log)"
mmd -i "$img" ::/Docs ::/Docs/Sub ::/Mass >>"$log" 2>&1
mkdir "$tmp/mass"
for i in $(seq -w 1 300); do printf 'mass %s\r\n' "$i" > "$tmp/mass/m$i.txt"; done
mcopy -i "$img" "$tmp"/mass/* ::/Mass/ >>"$log" 2>&1 || fail "mcopy could not fill $img"
mdel -i "$img" '::/Mass/*' >>"$log" 2>&1 || fail "mdel could not empty ::/Mass on $img"
mcopy -s -i "$img" "$bin/Recycled" "$bin/Recycler" ::/ >>"$log" 2>&1 || fail "mcopy could not fill $img"

img="$out/scan-recycle-ntfs.img"
rm -f "$img"
truncate -s 8M "$img"
mkntfs -q -F -Q -c 4096 -L RECYCLE "$img" >>"$log" 2>&1 || fail "mkntfs failed (see $log)"
mount_ntfs "$img"
mkdir -p "$mnt/Docs/Sub"
cp -r "$bin/Recycled" "$bin/Recycler" "$mnt/"
unmount_ntfs
for img in "$out/scan-recycle-fat.img" "$out/scan-recycle-ntfs.img"; do
  fls -r -p -l "$img" > "$img.fls"
  grep -q 'Recycler/S-1-5-21-7/Dc7.jpg' "$img.fls" || fail "the kept files are not on $img"
done

end_fixture_set
