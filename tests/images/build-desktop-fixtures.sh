#!/usr/bin/env bash
# Builds the volumes the desktop program's tests browse, with real tools only.
#   desktop-fat.img   FAT16 (mkfs.fat, mtools): folders A\B, D, Empty (no deleted file),
#                     Sizes (deleted files of 1023, 1024, 1,048,575 and 1,048,576 bytes),
#                     Docs (four deleted files beside a live one), a removed tree Old, and
#                     Many, 600 deleted files: enough for a scan to report progress.
#                     Every name has spaces, so it keeps its long name when deleted.
#   desktop-ntfs.img  NTFS (mkntfs, ntfs-3g): Times\stamped.txt, deleted, whose $FILE_NAME time
#                     (2001-01-01) differs from its $STANDARD_INFORMATION time (2003-03-03), and
#                     a deleted sparse file of 4 GiB.
# Cached; rebuilt when this script changes. A missing tool or a FUSE mount that does not work is
# a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-desktop-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set desktop "$here/build-desktop-fixtures.sh" "$out"

need_tools mkfs.fat mcopy mmd mdel mdeltree mkntfs setfattr truncate istat ifind python3
need_fuse
make_scratch
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8

# ---- FAT16 -------------------------------------------------------------------------------------
img="$out/desktop-fat.img"
rm -f "$img"
truncate -s 32M "$img"
mkfs.fat -F 16 -s 4 -n DESKTOP "$img" >>"$log" 2>&1 || fail "mkfs.fat failed"
mmd -i "$img" ::/A ::/A/B ::/D ::/Empty ::/Sizes ::/Docs ::/Old ::/Old/Inner ::/Many
put() {  # put TEXT_OR_SIZE FOLDER NAME
  if [[ $1 =~ ^[0-9]+$ ]]; then head -c "$1" /dev/urandom > "$tmp/file"; else printf '%s\r\n' "$1" > "$tmp/file"; fi
  mcopy -i "$img" "$tmp/file" "::/$2/$3"
}
for n in 1023 1024 1048575 1048576; do put "$n" Sizes "size of $n.bin"; done
put report Docs "Report of May.doc"
put table Docs "rep sheet.xls"
put notes Docs "my notes.txt"
put picture Docs "holiday photo.jpg"
put kept Docs "kept file.txt"
put a A "a file.txt"
put b A/B "gone file.txt"
put d D "old file.txt"
put live Empty "live file.txt"
put inner Old/Inner "inner file.txt"
mkdir "$tmp/many"
for i in $(seq -w 1 600); do printf 'entry %s\r\n' "$i" > "$tmp/many/entry $i.txt"; done
mcopy -i "$img" "$tmp/many/"* ::/Many/
# Nothing is written after the first deletion, so every deleted file and folder keeps its clusters.
for n in 1023 1024 1048575 1048576; do mdel -i "$img" "::/Sizes/size of $n.bin"; done
mdel -i "$img" "::/Docs/Report of May.doc" "::/Docs/rep sheet.xls" "::/Docs/my notes.txt" "::/Docs/holiday photo.jpg"
mdel -i "$img" "::/A/a file.txt" "::/A/B/gone file.txt" "::/D/old file.txt"
mdel -i "$img" "::/Many/*"
mdeltree -i "$img" ::/Old

# ---- NTFS --------------------------------------------------------------------------------------
img="$out/desktop-ntfs.img"
rm -f "$img"
truncate -s 64M "$img"
mkntfs -q -F -f -L DESKTOP "$img" >>"$log" 2>&1 || fail "mkntfs failed"
ntfs-3g "$img" "$mnt" || fail "ntfs-3g could not mount $img"
mkdir "$mnt/Times" "$mnt/Big"
printf 'stamped\r\n' > "$mnt/Times/stamped.txt"
# Both times to 2001-01-01, then, in a new mount (the kernel keeps the old times of the first),
# the file's own (standard information) time alone to 2003-03-03.
setfattr -n system.ntfs_times -v "0x$(python3 -c 'import struct; t = (978307200 + 11644473600) * 10**7; print(struct.pack("<QQQ", t, t, t).hex())')" "$mnt/Times/stamped.txt"
truncate -s 4G "$mnt/Big/huge.bin"
umount "$mnt" || fusermount -u "$mnt"
ntfs-3g "$img" "$mnt" || fail "ntfs-3g could not mount $img again"
touch -d '2003-03-03 03:03:00 UTC' "$mnt/Times/stamped.txt"
umount "$mnt" || fusermount -u "$mnt"
istat "$img" "$(ifind -n /Times/stamped.txt "$img")" > "$tmp/istat"
grep -A6 'FILE_NAME Attribute' "$tmp/istat" | grep -q 'File Modified:.2001-01-01' || fail "the \$FILE_NAME time of stamped.txt is not 2001-01-01"
grep -A6 'STANDARD_INFORMATION Attribute' "$tmp/istat" | grep -q 'File Modified:.2003-03-03' || fail "the file time of stamped.txt is not 2003-03-03"
ntfs-3g "$img" "$mnt" || fail "ntfs-3g could not mount $img a third time"
rm "$mnt/Times/stamped.txt" "$mnt/Big/huge.bin"
umount "$mnt" || fusermount -u "$mnt"

end_fixture_set
