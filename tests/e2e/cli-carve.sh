#!/usr/bin/env bash
# Real files made by real tools (cjpeg, ImageMagick, ffmpeg, lame, zip, ghostscript,
# LibreOffice) are copied onto a FAT32 volume with mcopy and deleted with mdel; the physical scan
# must find each in its type's folder, and the files whose length the recognisers know exactly
# must come back byte for byte.
set -euo pipefail
cli=$1 fixtures=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export MTOOLS_SKIP_CHECK=1
img=$tmp/carve.img
truncate -s 300M "$img"
mkfs.fat -F 32 -s 8 -n CARVE "$img" >/dev/null
# file on the fixtures side : type folder : whether the carved length is the file's own
files=(
  media/cjpeg.jpg:"Jpeg 图像":exact
  media/picture.bmp:"BMP 图像":exact
  media/clip.avi:"AVI 文件":exact
  media/tagged.mp3:"MP3 文件":exact
  plain.zip:"ZIP 文件":exact
  commented.zip:"ZIP 文件":exact
  updated.pdf:"PDF 文档":exact
  letter.doc:"Microsoft Word 文档":exact
  sheet.xls:"Microsoft Excel 文档":exact
  page.html:"HTML 文件":exact
)
n=0
for entry in "${files[@]}"; do
  IFS=: read -r file folder kind <<<"$entry"
  n=$((n + 1))
  # A gap of one used file between the carved ones keeps each start in a cluster of its own.
  mcopy -i "$img" "$fixtures/$file" "::/F$n.BIN"
  head -c 9000 /dev/urandom > "$tmp/spacer"
  mcopy -i "$img" "$tmp/spacer" "::/KEEP$n.BIN"
done
for i in $(seq 1 "$n"); do mdel -i "$img" "::/F$i.BIN"; done

listing=$tmp/listing.tsv
"$cli" --no-devices --image "$img" scan C: --physical --format tsv > "$listing"
out=$tmp/out
mkdir "$out"
failures=0
for entry in "${files[@]}"; do
  IFS=: read -r file folder kind <<<"$entry"
  size=$(stat -c %s "$fixtures/$file")
  path=$(awk -F'\t' -v f="\\$folder\\" -v s="$size" 'index($1, f) == 1 && $4 == s { print $1; exit }' "$listing")
  if [ -z "$path" ]; then
    echo "$file: no carved file of $size bytes in \"$folder\""
    failures=$((failures + 1))
    continue
  fi
  "$cli" --no-devices --image "$img" recover C: "$path" --physical --to "$out" --overwrite all >/dev/null
  name=${path##*\\}
  if ! cmp -s "$out/$name" "$fixtures/$file"; then
    echo "$file: carved bytes differ from the original"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] || { echo "$failures of ${#files[@]} files not carved whole"; exit 1; }
echo "all ${#files[@]} files carved at their length and recovered byte for byte"
