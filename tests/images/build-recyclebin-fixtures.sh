#!/usr/bin/env bash
# Builds the volumes that hold the recycle bin of Windows Vista and later, with real tools only:
#  - vista-bin-fat.img (mkfs.fat, mtools) and vista-bin-ntfs.img (mkntfs, ntfs-3g FUSE mount):
#    user folders in "$RECYCLE.BIN" (FAT) and "$Recycle.Bin" (NTFS) holding "$I"/"$R" pairs (a
#    version 1 "$I" for a JPEG made by ImageMagick, version 2 ones for a text file and a folder,
#    Chinese paths among them), beside the folders the items were deleted from; and "$I" files
#    that must be skipped: a path length past its end, version 3, a size of 2^63, an empty path,
#    and one whose "$R" item is missing (their "$R" items are there otherwise);
#  - vista-bin-fat-emptied.img and vista-bin-ntfs-emptied.img: copies of those two after the
#    bin was emptied (mdel and mdeltree; rm through the ntfs-3g mount), nothing written since.
# The "$I" bytes are written here from their documented layout: no tool makes them. The
# originals stay in vista-bin-files/, and vista-bin.tsv lists, one pair a line, where the item
# shows (its original path), its original under vista-bin-files/, the size and the deletion
# time (FILETIME) its "$I" holds, and the item's path in the bin. Cached in the folder given;
# rebuilt when this script changes. A missing tool or a FUSE mount that does not work is a
# failure, never a skip.
set -euo pipefail

out=${1:?usage: build-recyclebin-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set recyclebin "$here/build-recyclebin-fixtures.sh" "$out"

need_tools mkfs.fat mcopy mmd mdel mdeltree mkntfs convert perl truncate head date fls
perl -MEncode -e 1 2>/dev/null || fail "perl's Encode module is missing"
need_fuse

make_scratch
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8

files="$out/vista-bin-files"
manifest="$out/vista-bin.tsv"
rm -rf "$files"
mkdir -p "$files/旅行 2023/inner"
convert -seed 42 -size 400x300 plasma: "$files/sunset.jpg" || fail "convert could not make a JPEG"
for i in $(seq 1 300); do echo "第 $i 行：年度报告的正文 line $i of the yearly report"; done > "$files/年度报告 2024.txt"
convert -seed 7 -size 160x120 plasma: "$files/旅行 2023/one.jpg" || fail "convert could not make a JPEG"
printf '旅行的说明\r\n' > "$files/旅行 2023/说明.txt"
head -c 9000 /dev/urandom > "$files/旅行 2023/inner/two.bin"

# filetime "YYYY-MM-DD HH:MM:SS": that UTC time as a FILETIME.
filetime() { echo $(( ($(date -u -d "$1" +%s) + 11644473600) * 10000000 )); }

# recycle_info FILE VERSION SIZE FILETIME PATH [UNITS]: a "$I" file. Version 1: the three 64-bit
# fields and the path in 260 UTF-16 units; otherwise the fields, a 32-bit count of UTF-16 units
# (the path's and its terminator's, or UNITS) and the path with its terminator.
recycle_info() {
  perl -MEncode -e '
    my ($file, $version, $size, $when, $path, $units) = @ARGV;
    my $wide = Encode::encode("UTF-16LE", Encode::decode("UTF-8", $path));
    my $bytes = pack("Q< Q< Q<", $version, $size, $when);
    if ($version == 1) {
      $bytes .= $wide . ("\0" x (520 - length($wide)));
    } else {
      $units = length($wide) / 2 + 1 if !defined($units) || $units eq "";
      $bytes .= pack("V", $units) . $wide . "\0\0";
    }
    open(my $fh, ">:raw", $file) or die "$file: $!";
    print $fh $bytes;
    close($fh);' "$@"
}

user1=S-1-5-21-3623811015-3361044348-30300820-1001
user2=S-1-5-21-3623811015-3361044348-30300820-1002
bin="$tmp/bin"
mkdir -p "$bin/$user1" "$bin/$user2"
: > "$manifest"
# pair USER SUFFIX VERSION ORIGINAL SHOWN_AT TIME: the "$I"/"$R" pair of an original.
pair() {
  local user=$1 suffix=$2 version=$3 original=$4 shown=$5 when size
  when=$(filetime "$6")
  if [ -d "$files/$original" ]; then
    size=$(find "$files/$original" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
    cp -r "$files/$original" "$bin/$user/\$R$suffix"
  else
    size=$(stat -c %s "$files/$original")
    cp "$files/$original" "$bin/$user/\$R$suffix"
  fi
  recycle_info "$bin/$user/\$I$suffix" "$version" "$size" "$when" "C:$shown"
  printf '%s\t%s\t%s\t%s\t%s\n' "$shown" "$original" "$size" "$when" "$user/\$R$suffix" >> "$manifest"
}
# The upper-case name has no long name on FAT: deleted, it loses its "$".
pair "$user1" K3Z9AB.JPG 1 sunset.jpg '\Users\Lin\Pictures\sunset.jpg' '2023-06-01 10:20:30'
pair "$user1" 4QX2M1.txt 2 '年度报告 2024.txt' '\Users\Lin\文档\年度报告 2024.txt' '2024-02-29 23:59:58'
pair "$user2" FOLD01 2 '旅行 2023' '\照片\旅行 2023' '2024-07-15 08:00:00'

# The "$I" files that are skipped: each would list its item under \Docs if it were read.
when=$(filetime '2024-01-02 03:04:06')
recycle_info "$bin/$user1/\$IBADLEN.txt" 2 4 "$when" 'C:\Docs\badlen.txt' 5000
recycle_info "$bin/$user1/\$IVER3.txt" 3 4 "$when" 'C:\Docs\ver3.txt'
recycle_info "$bin/$user1/\$IHUGE.txt" 2 9223372036854775808 "$when" 'C:\Docs\huge.txt'
recycle_info "$bin/$user1/\$IEMPTY.txt" 2 4 "$when" ''
recycle_info "$bin/$user1/\$IALONE.txt" 2 4 "$when" 'C:\Docs\alone.txt'
for s in BADLEN VER3 HUGE EMPTY; do printf 'bad!' > "$bin/$user1/\$R$s.txt"; done
[ "$(stat -c %s "$bin/$user1/\$IK3Z9AB.JPG")" -eq 544 ] || fail "the version 1 \$I is not 544 bytes"

# The bin's folders and files, parents first, in a fixed order: the order of the directory entries
# and MFT records made from them is the order of the listings.
bin_items() { (cd "$bin" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort); }

# ---- FAT: the bin is called $RECYCLE.BIN there ------------------------------------------------
img="$out/vista-bin-fat.img"
rm -f "$img" "$img".*
truncate -s 8M "$img"
mkfs.fat -F 16 -s 2 -n VISTABIN "$img" >>"$log" 2>&1 || fail "mkfs.fat failed (see $log)"
mmd -i "$img" ::/Docs ::/Users ::/Users/Lin ::/Users/Lin/Pictures ::/Users/Lin/文档 ::/照片 '::/$RECYCLE.BIN' \
  >>"$log" 2>&1 || fail "mmd could not make the folders of $img"
bin_items | while read -r item; do
  if [ -d "$bin/$item" ]; then mmd -i "$img" "::/\$RECYCLE.BIN/$item"; else mcopy -i "$img" "$bin/$item" "::/\$RECYCLE.BIN/$item"; fi
done >>"$log" 2>&1 || fail "mtools could not fill the bin of $img"
cp "$img" "$out/vista-bin-fat-emptied.img"
(cd "$bin/$user1" && for f in *; do [ -f "$f" ] && echo "::/\$RECYCLE.BIN/$user1/$f"; done) | tr '\n' '\0' |
  xargs -0 mdel -i "$out/vista-bin-fat-emptied.img" >>"$log" 2>&1 || fail "mdel could not empty the bin"
mdel -i "$out/vista-bin-fat-emptied.img" "::/\$RECYCLE.BIN/$user2/\$IFOLD01" >>"$log" 2>&1 || fail "mdel failed"
mdeltree -i "$out/vista-bin-fat-emptied.img" "::/\$RECYCLE.BIN/$user2/\$RFOLD01" >>"$log" 2>&1 || fail "mdeltree failed"

# ---- NTFS -------------------------------------------------------------------------------------
mount_ntfs() { ntfs-3g "$1" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount $1 through FUSE (see $log)"; mountpoint -q "$mnt" || fail "the ntfs-3g mount of $1 did not appear"; }
unmount_ntfs() { sync; umount "$mnt" || fail "could not unmount $mnt"; }

img="$out/vista-bin-ntfs.img"
rm -f "$img" "$img".*
truncate -s 8M "$img"
mkntfs -q -F -Q -c 4096 -L VISTABIN "$img" >>"$log" 2>&1 || fail "mkntfs failed (see $log)"
mount_ntfs "$img"
mkdir -p "$mnt/Docs" "$mnt/Users/Lin/Pictures" "$mnt/Users/Lin/文档" "$mnt/照片" "$mnt/\$Recycle.Bin"
bin_items | while read -r item; do
  if [ -d "$bin/$item" ]; then mkdir "$mnt/\$Recycle.Bin/$item"; else cp "$bin/$item" "$mnt/\$Recycle.Bin/$item"; fi
done || fail "could not fill the bin of $img"
unmount_ntfs
cp "$img" "$out/vista-bin-ntfs-emptied.img"
mount_ntfs "$out/vista-bin-ntfs-emptied.img"
rm -r "$mnt/\$Recycle.Bin/$user1/"* "$mnt/\$Recycle.Bin/$user2/"*
unmount_ntfs

for img in "$out"/vista-bin-{fat,ntfs}{,-emptied}.img; do
  fls -r -p "$img" > "$img.fls"
done
grep -q "$user2/\$RFOLD01/inner/two.bin" "$out/vista-bin-ntfs.img.fls" || fail "the kept folder is not on vista-bin-ntfs.img"
for img in "$out"/vista-bin-{fat,ntfs}-emptied.img; do
  grep -q "/r \* .*$user1/.I4QX2M1.txt" "$img.fls" || fail "the emptied bin's \$I files are not deleted on $img"
done

end_fixture_set
