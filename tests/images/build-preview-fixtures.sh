#!/usr/bin/env bash
# Builds the volumes the viewer, the picture preview and the desktop's recovery tests read, with
# real tools only.
#   preview-fat.img   FAT16 (mkfs.fat, 4 KiB clusters; mtools). In the root, written first so
#                     that the clusters are known: FILLER.BIN (clusters 2 to 99, live), TENK.BIN
#                     (10000 bytes from cluster 100, deleted), REUSED.BIN (10000 bytes from
#                     cluster 103, deleted after the pictures were written, before "taken
#                     cluster.txt" took cluster 103) and KEEP.TXT (live, cluster 106). In
#                     Pictures (from cluster 107), deleted: one picture drawn by ImageMagick in
#                     every format the preview decodes (cjpeg for the JPEG, netpbm for the PCX
#                     forms and the Targa), a JPEG cut short, random bytes named .jpg, and JPEGs padded to
#                     exactly 10,000,000 and 10,000,001 bytes.
#   preview-ntfs.img  NTFS (mkntfs, ntfs-3g): deleted, a PNG, a GIF small enough to be resident
#                     and, in a compressed folder, a BMP that NTFS compressed.
#   preview-files/    the pictures as written, the drawing they were made from (source.ppm,
#                     source16.ppm, mono.ppm) and the JPEG as djpeg decodes it (photo-djpeg.ppm).
# Cached; rebuilt when this script changes. A missing tool or a FUSE mount that does not work is
# a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-preview-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set preview "$here/build-preview-fixtures.sh" "$out"

need_tools mkfs.fat mcopy mmd mdel mkntfs setfattr truncate convert cjpeg djpeg ppmtopcx ppmtotga istat ifind fls
need_fuse
make_scratch
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8

files="$out/preview-files"
rm -rf "$files"
mkdir -p "$files"

# ---- The pictures --------------------------------------------------------------------------------
# One drawing in 64 colours (8 bits a channel), so that GIF and 8-bit PCX hold it exactly; a 16-colour and a black
# and white one for the PCX plane forms.
draw() { convert -size 160x120 gradient:navy-gold -fill red -draw 'circle 80,60 80,25' -fill white -draw 'rectangle 10,10 50,30' -depth 8 "$@"; }
draw -colors 64 -type TrueColor "ppm:$files/source.ppm" || fail "ImageMagick could not draw the picture"
draw -colors 16 -type TrueColor "ppm:$files/source16.ppm"
draw -monochrome -type TrueColor "ppm:$files/mono.ppm"
cjpeg -quality 90 "$files/source.ppm" > "$files/photo.jpg"
djpeg -ppm "$files/photo.jpg" > "$files/photo-djpeg.ppm"
convert "$files/source.ppm" "$files/picture.png"
convert "$files/source.ppm" -compress lzw "$files/picture.tif"
convert "$files/source.ppm" "BMP3:$files/picture.bmp"
convert "$files/source.ppm" "$files/picture.gif"
# netpbm writes the Targa as the format has it, from the bottom row up, with an image id.
ppmtotga -rgb -norle "$files/source.ppm" > "$files/picture.tga" 2>>"$log"
convert "$files/source.ppm" "$files/picture.ico"
convert "$files/mono.ppm" "$files/picture.wbmp"
cp "$files/source.ppm" "$files/picture.pnm"
ppmtopcx -8bit "$files/source.ppm" > "$files/picture.pcx" 2>>"$log"
ppmtopcx "$files/source16.ppm" > "$files/planes.pcx" 2>>"$log"
ppmtopcx -24bit "$files/source.ppm" > "$files/truecolour.pcx" 2>>"$log"
ppmtopcx "$files/mono.ppm" > "$files/mono.pcx" 2>>"$log"
head -c $(( $(stat -c %s "$files/photo.jpg") / 2 )) "$files/photo.jpg" > "$files/cut.jpg"
head -c 5000 /dev/urandom > "$files/random.jpg"
pad() { cp "$files/photo.jpg" "$2"; truncate -s "$1" "$2"; }
pad 10000000 "$files/limit.jpg"
pad 10000001 "$files/over.jpg"
# A picture small enough to stay inside its MFT record.
convert -size 8x8 xc:orange "$files/tiny.gif"
[ "$(stat -c %s "$files/tiny.gif")" -lt 400 ] || fail "tiny.gif is too large to be resident"

# ---- FAT16 ---------------------------------------------------------------------------------------
img="$out/preview-fat.img"
rm -f "$img"
truncate -s 32M "$img"
mkfs.fat -F 16 -s 8 -n PREVIEW "$img" >>"$log" 2>&1 || fail "mkfs.fat failed"
# mtools gives out the lowest free cluster: FILLER.BIN takes 2 to 99, TENK.BIN 100 to 102 and
# REUSED.BIN 103 to 105. Its directory slot stays when it is deleted, since the long name that
# takes its first cluster next needs three slots in a row.
head -c $((98 * 4096)) /dev/urandom > "$files/filler.bin"
head -c 10000 /dev/urandom > "$files/tenk.bin"
head -c 10000 /dev/urandom > "$files/reused.bin"
printf 'kept\r\n' > "$files/keep.txt"
printf 'took the first cluster of REUSED.BIN\r\n' > "$files/taken.txt"
mcopy -i "$img" "$files/filler.bin" ::/FILLER.BIN
mcopy -i "$img" "$files/tenk.bin" ::/TENK.BIN
mcopy -i "$img" "$files/reused.bin" ::/REUSED.BIN
mcopy -i "$img" "$files/keep.txt" ::/KEEP.TXT
# The pictures follow from cluster 107 on, each in one piece, before REUSED.BIN's clusters are
# given back: after that, nothing but "taken cluster.txt" is written, so 104 and 105 stay free.
mmd -i "$img" ::/Pictures
put() { mcopy -i "$img" "$files/$1" "::/Pictures/$2"; }
put photo.jpg "the photo.jpg"
for f in png tif bmp gif tga ico wbmp pnm pcx; do put "picture.$f" "the picture.$f"; done
put planes.pcx "16 colours.pcx"
put truecolour.pcx "24 bits.pcx"
put mono.pcx "black and white.pcx"
put cut.jpg "cut short.jpg"
put random.jpg "random bytes.jpg"
put limit.jpg "at the limit.jpg"
put over.jpg "over the limit.jpg"
mdel -i "$img" ::/REUSED.BIN
mcopy -i "$img" "$files/taken.txt" "::/taken cluster.txt"
# The deletions come last: every deleted picture keeps its clusters.
mdel -i "$img" ::/TENK.BIN '::/Pictures/*'
# The clusters must be where the tests expect them (sleuthkit counts sectors: cluster n starts
# at the first data sector plus (n - 2) times 8).
first=$(fsstat "$img" | sed -n 's/^\*\* Cluster Area: \([0-9]*\) - .*/\1/p')
sector_of() {
  local inode
  inode=$(fls -r "$img" | grep -F "	$1" | head -1 | sed 's/^[^0-9]*\([0-9]*\):.*/\1/')
  istat "$img" "$inode" | sed -n '/^Sectors:/{n;p}' | awk '{print $1}'
}
[ "$(sector_of _ENK.BIN)" = $((first + 98 * 8)) ] || fail "TENK.BIN does not start at cluster 100"
[ "$(sector_of '_EUSED.BIN')" = $((first + 101 * 8)) ] || fail "REUSED.BIN does not start at cluster 103"
[ "$(sector_of 'taken cluster.txt')" = $((first + 101 * 8)) ] || fail "taken cluster.txt did not take cluster 103"

# ---- NTFS ----------------------------------------------------------------------------------------
img="$out/preview-ntfs.img"
rm -f "$img"
truncate -s 16M "$img"
mkntfs -q -F -Q -c 4096 -L PREVIEW "$img" >>"$log" 2>&1 || fail "mkntfs failed (see $log)"
ntfs-3g "$img" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount $img"
mkdir "$mnt/comp"
setfattr -n system.ntfs_attrib_be -v 0x00000800 "$mnt/comp" || fail "setfattr could not mark the folder compressed"
cp "$files/picture.bmp" "$mnt/comp/the picture.bmp"
cp "$files/picture.png" "$mnt/the picture.png"
cp "$files/tiny.gif" "$mnt/tiny.gif"
umount "$mnt"
check() { istat "$img" "$(ifind -n "$1" "$img")" > "$tmp/istat" 2>>"$log" || fail "istat of $1 failed"; grep -q -- "$2" "$tmp/istat" || fail "$1: expected '$2' in istat"; }
check "/comp/the picture.bmp" "Compressed"
check "/tiny.gif" "Type: \$DATA (128-[0-9]*)   Name: N/A   Resident"
check "/the picture.png" "Non-Resident"
ntfs-3g "$img" "$mnt" >>"$log" 2>&1 || fail "ntfs-3g could not mount $img again"
rm "$mnt/comp/the picture.bmp" "$mnt/the picture.png" "$mnt/tiny.gif"
umount "$mnt"

end_fixture_set
