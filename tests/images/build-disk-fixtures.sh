#!/usr/bin/env bash
# Builds the images that the carving scans are tested on: the real pictures, camera-raw TIFFs,
# music, video, documents and archives of build-media-fixtures.sh and build-doc-fixtures.sh,
# each followed by a kept file of zeros, copied with mcopy and then deleted with mdel,
#   carve-fat32.img  a bare FAT32 volume (mkfs.fat, 1 KiB clusters) for the physical scan;
#   carve-disk.img   an MBR disk (sfdisk) whose FAT32 partition at sector 2048 (512-byte
#                    clusters) holds the same files, for the thorough scan.
# Next to each, IMG.starts says where sleuthkit (fls -r -d, istat) sees each deleted file:
# name, its first sector counted from the start of the image, and its size. The originals are
# kept in carve-files/. Cached in the folder given; rebuilt when this script or the files change.
# A missing tool is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-disk-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
source "$here/deleted-files.sh"
"$here/build-media-fixtures.sh" "$out"
"$here/build-doc-fixtures.sh" "$out"
begin_fixture_set disk "$here/build-disk-fixtures.sh" "$out" "$out/.stamp-media" "$out/.stamp-docs" "$here/deleted-files.sh"
need_tools mkfs.fat mcopy mdel sfdisk fls istat truncate
export MTOOLS_SKIP_CHECK=1

files="$out/carve-files"
rm -rf "$files"
mkdir -p "$files"
cp "$out"/media/* "$files/"
# single.pdf comes right before updated.pdf: with one end marker it runs until the next start.
for f in letter.doc sheet.xls slides.ppt single.pdf updated.pdf plain.zip commented.zip notes.txt letter.rtf \
         page.html data.xml; do
  cp "$out/$f" "$files/$f"
done
order=(picture.bmp cjpeg.jpg magick.jpg exif.jpg little.tif big.tif make-canon.tif make-nikon.tif make-olympus.tif
       make-kodak.tif make-eastman.tif plain.mp3 tagged.mp3 clip.avi letter.doc sheet.xls slides.ppt single.pdf
       updated.pdf plain.zip commented.zip notes.txt letter.rtf page.html data.xml)
make_scratch
head -c 3000 /dev/zero > "$tmp/keep"

img="$out/carve-fat32.img"
rm -f "$img" "$img".*
truncate -s 72M "$img"
mkfs.fat -F 32 -s 2 -n CARVE32 "$img" >>"$log" 2>&1
copy_then_delete "$img" "$files" "$tmp/keep" "${order[@]}" >>"$log" 2>&1
deleted_starts "$img" 0 "$files" "${#order[@]}"

disk="$out/carve-disk.img"
rm -f "$disk" "$disk".*
truncate -s 80M "$disk"
printf 'label: dos\nstart=2048, type=c\n' | sfdisk -q "$disk" >>"$log" 2>&1
mkfs.fat -F 32 -s 1 -n CARVEDISK --offset 2048 -h 2048 "$disk" $(( (163840 - 2048) / 2 )) >>"$log" 2>&1
copy_then_delete "$disk@@1048576" "$files" "$tmp/keep" "${order[@]}" >>"$log" 2>&1
deleted_starts "$disk" 2048 "$files" "${#order[@]}"

end_fixture_set
