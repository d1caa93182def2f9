#!/usr/bin/env bash
# The thorough scan of a partitioned disk (sfdisk, a FAT32 partition at sector 2048 filled by
# mtools, build-disk-fixtures.sh) lists every deleted picture, raw image, song, video, document
# and archive in its type's folder, named after the disk sector where sleuthkit sees it start,
# with its size; recover --all writes them back byte for byte.
set -euo pipefail
cli=$1 fixtures=$2
disk=$fixtures/carve-disk.img
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# type_of NAME: the folder and extension the original is carved into ("EASTMAN KODAK COMPANY"
# names no raw maker, so that picture stays a TIFF).
type_of() {
  case $1 in
    make-canon.tif) echo "Canon 原始图像:.cr2" ;;
    make-nikon.tif) echo "Nikon 原始图像:.nef" ;;
    make-olympus.tif) echo "Olympus 原始图像:.orf" ;;
    make-kodak.tif) echo "Kodak 原始图像:.dcr" ;;
    *.tif) echo "Tiff 图像:.tif" ;;
    *.bmp) echo "BMP 图像:.bmp" ;;
    *.jpg) echo "Jpeg 图像:.jpg" ;;
    *.mp3) echo "MP3 文件:.mp3" ;;
    *.avi) echo "AVI 文件:.avi" ;;
    *.doc) echo "Microsoft Word 文档:.doc" ;;
    *.xls) echo "Microsoft Excel 文档:.xls" ;;
    *.ppt) echo "Microsoft PowerPoint 文档:.ppt" ;;
    *.pdf) echo "PDF 文档:.pdf" ;;
    *.zip) echo "ZIP 文件:.zip" ;;
    *.txt) echo "文本文件:.txt" ;;
    *.rtf) echo "RTF 文档:.rtf" ;;
    *.html) echo "HTML 文件:.html" ;;
    *.xml) echo "XML 文件:.xml" ;;
  esac
}

# tiff_directory_offset FILE: where the first directory begins, in the file's byte order.
tiff_directory_offset() {
  local b
  b=($(od -An -v -tu1 -j4 -N4 "$1"))
  if [ "$(head -c 2 "$1")" = II ]; then echo $(( b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24 ))
  else echo $(( b[3] | b[2] << 8 | b[1] << 16 | b[0] << 24 )); fi
}

"$cli" --no-devices --image "$disk" scan PhysicalDrive0 --thorough --format tsv > "$tmp/listing.tsv"
mkdir "$tmp/out"
"$cli" --no-devices --image "$disk" recover PhysicalDrive0 --all --thorough --to "$tmp/out" --overwrite all > "$tmp/recovery.log"
failures=0 files=0
while IFS=$'\t' read -r name sector size; do
  files=$((files + 1))
  IFS=: read -r folder extension <<<"$(type_of "$name")"
  path="\\$folder\\file$sector$extension"
  listed=$(WANTED=$path awk -F'\t' '$1 == ENVIRON["WANTED"] { print $4 }' "$tmp/listing.tsv")
  if [ -z "$listed" ]; then
    echo "$name: no $path in the listing"
    failures=$((failures + 1))
    continue
  fi
  recovered="$tmp/out/$folder/file$sector$extension"
  original=$fixtures/carve-files/$name
  if [ "$name" = little.tif ] || [ "$name" = big.tif ]; then
    # ImageMagick writes the directory after the strips: the file ends where the directory begins.
    want=$(tiff_directory_offset "$original")
    if [ "$listed" != "$want" ] || ! cmp -s "$recovered" <(head -c "$want" "$original"); then
      echo "$name: carved as $listed bytes, not the $want before its directory, or they differ"
      failures=$((failures + 1))
    fi
  elif [ "$name" = single.pdf ]; then
    # One end marker: the file runs on until the next PDF starts; it begins with the original.
    if ! cmp -s -n "$size" "$recovered" "$original" || [ "$listed" -le "$size" ]; then
      echo "$name: carved as $listed bytes that do not begin with the original"
      failures=$((failures + 1))
    fi
  elif [ "$listed" != "$size" ] || ! cmp -s "$recovered" "$original"; then
    echo "$name: carved as $listed bytes (of $size), or recovered bytes differ"
    failures=$((failures + 1))
  fi
done < "$disk.starts"
[ "$files" -gt 0 ] || { echo "no deleted files in $disk.starts"; exit 1; }
# --types enables those recognisers only: NEF is still found by the TIFF parser, whose own
# folder stays away.
folders=$("$cli" --no-devices --image "$disk" scan PhysicalDrive0 --thorough --types NEF,.jpg --format tsv |
          awk -F'\t' '$2 == 1 { printf "%s;", $1 }')
[ "$folders" = '\Jpeg 图像;\Nikon 原始图像;' ] || { echo "--types NEF,.jpg listed the folders $folders"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] || { echo "$failures of $files files not carved at their sectors"; exit 1; }
echo "all $files files carved at their sectors in their type folders and recovered whole"
