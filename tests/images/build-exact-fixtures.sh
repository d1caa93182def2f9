#!/usr/bin/env bash
# Builds the files and volumes that the exact carving lengths are tested on, with real tools
# only: libtiff's tiffcp and tiffset (directory after the data: tiled, LZW with two pages, a
# rewritten directory), exiftool (directory first, with EXIF and GPS directories), LibreOffice
# and qpdf (a PDF with one end marker, a linearized one with two, one with a cross-reference
# stream), iconv (UTF-8 and GBK text, HTML and XML with Chinese in them), lame (2 s and 60 s of
# MP3) and ffmpeg (an AVI with sound). Into OUTPUT_DIR/exact/; then two FAT32 volumes whose files
# are copied with mcopy and deleted with mdel, each with IMG.starts as build-disk-fixtures.sh (the
# originals kept in OUTPUT_DIR/exact-files/):
#   exact-fat32.img   (2 KiB clusters) these files and the media and document fixtures whose
#                     classic lengths fall short (ImageMagick's TIFFs, ghostscript's PDF with
#                     one end marker);
#   agree-fat32.img   (1 KiB clusters) the fixtures whose classic lengths are already exact.
# Cached in the folder given; rebuilt when this script or the sets it uses change. A missing tool
# is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-exact-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
source "$here/deleted-files.sh"
"$here/build-media-fixtures.sh" "$out"
"$here/build-doc-fixtures.sh" "$out"
begin_fixture_set exact "$here/build-exact-fixtures.sh" "$out" "$out/.stamp-media" "$out/.stamp-docs" \
  "$here/deleted-files.sh"
need_tools tiffcp tiffset exiftool soffice qpdf iconv lame ffmpeg mkfs.fat mcopy mdel fls istat truncate
export MTOOLS_SKIP_CHECK=1

make_scratch
export HOME="$tmp/home"  # LibreOffice keeps its profile under HOME
mkdir -p "$HOME"
x="$out/exact"
rm -rf "$x"
mkdir -p "$x"
media="$out/media"

# --- TIFF ------------------------------------------------------------------------------------
tiffcp -t -w 32 -l 32 "$media/little.tif" "$x/tiled.tif" >>"$log" 2>&1
tiffcp -c lzw "$media/little.tif" "$media/big.tif" "$x/pages.tif" >>"$log" 2>&1
cp "$media/big.tif" "$x/rewritten.tif"
tiffset -s 270 "A description that moves the directory to the end" "$x/rewritten.tif" >>"$log" 2>&1
cp "$media/little.tif" "$x/exif.tif"
exiftool -q -overwrite_original -Make=Tarvosk "-DateTimeOriginal=2021:03:04 05:06:07" -GPSLatitude=31.2 \
  -GPSLatitudeRef=N "$x/exif.tif" >>"$log" 2>&1

# --- Text, HTML and XML: written in UTF-8 here, converted by iconv ------------------------------
{
  for i in $(seq 1 120); do
    printf '第 %d 行：数据恢复软件从空闲簇中找回已删除的文件。Line %d keeps some ASCII too.\n' "$i" "$i"
  done
} > "$tmp/chinese.txt"
{
  printf '<!DOCTYPE html>\n<html lang="zh">\n<head><meta charset="UTF-8"><title>恢复</title></head>\n<body>\n'
  for i in $(seq 1 80); do printf '<p>第 %d 段：已删除的网页也能完整恢复。</p>\n' "$i"; done
  printf '</body>\n</html>\n'
} > "$tmp/chinese.html"
{
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<!-- the root ends with </library>, not here -->\n'
  printf '<!DOCTYPE library [\n  <!ENTITY house "出版社">\n]>\n<library>\n'
  for i in $(seq 1 80); do printf '  <book id="%d"><title>第 %d 本书</title><note><![CDATA[</library> 不是结尾]]></note></book>\n' "$i" "$i"; done
  printf '  <empty/>\n</library>\n'
} > "$tmp/chinese.xml"
iconv -f UTF-8 -t UTF-8 "$tmp/chinese.txt" > "$x/utf8.txt"
iconv -f UTF-8 -t GBK "$tmp/chinese.txt" > "$x/gbk.txt"
iconv -f UTF-8 -t UTF-8 "$tmp/chinese.html" > "$x/utf8.html"
sed 's/charset="UTF-8"/charset="GBK"/' "$tmp/chinese.html" | iconv -f UTF-8 -t GBK > "$x/gbk.html"
iconv -f UTF-8 -t UTF-8 "$tmp/chinese.xml" > "$x/utf8.xml"
sed 's/encoding="UTF-8"/encoding="GBK"/' "$tmp/chinese.xml" | iconv -f UTF-8 -t GBK > "$x/gbk.xml"

# --- PDF ---------------------------------------------------------------------------------------
soffice --headless --norestore --convert-to pdf --outdir "$tmp" "$x/utf8.txt" >>"$log" 2>&1 \
  || fail "soffice could not convert utf8.txt to PDF (see $log)"
cp "$tmp/utf8.pdf" "$x/libreoffice.pdf"
qpdf --linearize "$out/single.pdf" "$x/linearized.pdf" >>"$log" 2>&1
qpdf --object-streams=generate "$x/libreoffice.pdf" "$x/xref-stream.pdf" >>"$log" 2>&1
[ "$(grep -a -c '%%EOF' "$x/libreoffice.pdf")" = 1 ] || fail "libreoffice.pdf does not hold exactly one %%EOF"
[ "$(grep -a -c '%%EOF' "$x/linearized.pdf")" = 2 ] || fail "linearized.pdf does not hold two %%EOF"
grep -a -q '/XRef' "$x/xref-stream.pdf" || fail "xref-stream.pdf holds no cross-reference stream"

# --- MP3 and AVI -------------------------------------------------------------------------------
for seconds in 2 60; do
  ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=330:sample_rate=44100:duration=$seconds" \
    -ac 1 "$tmp/tone$seconds.wav" >>"$log" 2>&1
done
lame --quiet -b 64 --add-id3v2 --tt "Two seconds" "$tmp/tone2.wav" "$x/short.mp3" >>"$log" 2>&1
lame --quiet -b 128 "$tmp/tone60.wav" "$x/minute.mp3" >>"$log" 2>&1
ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc=size=96x64:rate=12:duration=2" \
  -f lavfi -i "sine=frequency=500:sample_rate=22050:duration=2" -c:v mpeg4 -c:a pcm_s16le -shortest \
  "$x/sound.avi" >>"$log" 2>&1

exact_files=(tiled.tif pages.tif rewritten.tif exif.tif utf8.txt gbk.txt utf8.html gbk.html utf8.xml gbk.xml
             libreoffice.pdf linearized.pdf xref-stream.pdf short.mp3 minute.mp3 sound.avi)
for f in "${exact_files[@]}"; do [ -s "$x/$f" ] || fail "$f was not made (see $log)"; done
LC_ALL=C grep -q -P '[\x80-\xff]' "$x/gbk.txt" || fail "gbk.txt holds no GBK characters"

# --- Volumes -----------------------------------------------------------------------------------
head -c 5000 /dev/zero > "$tmp/keep"
files="$out/exact-files"
rm -rf "$files"
mkdir -p "$files"
cp "$x"/* "$files/"
cp "$media/little.tif" "$media/big.tif" "$out/single.pdf" "$files/"
# volume NAME SIZE SECTORS_PER_CLUSTER LABEL FILE...: a fresh FAT32 volume holding the files,
# deleted, and its .starts.
volume() {
  local img="$out/$1" size=$2 per_cluster=$3 label=$4
  shift 4
  rm -f "$img" "$img".*
  truncate -s "$size" "$img"
  mkfs.fat -F 32 -s "$per_cluster" -n "$label" "$img" >>"$log" 2>&1
  copy_then_delete "$img" "$files" "$tmp/keep" "$@" >>"$log" 2>&1
  deleted_starts "$img" 0 "$files" "$#"
}
volume exact-fat32.img 160M 4 EXACT little.tif big.tif single.pdf "${exact_files[@]}"

cp "$media"/{picture.bmp,cjpeg.jpg,magick.jpg,exif.jpg,make-canon.tif,make-eastman.tif,plain.mp3,tagged.mp3,clip.avi} "$files/"
cp "$out"/{letter.doc,sheet.xls,slides.ppt,plain.zip,commented.zip,notes.txt,letter.rtf,page.html,data.xml} "$files/"
volume agree-fat32.img 72M 2 AGREE picture.bmp cjpeg.jpg magick.jpg exif.jpg make-canon.tif make-eastman.tif plain.mp3 \
  tagged.mp3 clip.avi letter.doc sheet.xls slides.ppt plain.zip commented.zip notes.txt letter.rtf page.html data.xml

end_fixture_set
