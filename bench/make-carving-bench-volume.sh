#!/usr/bin/env bash
# Makes the 1 GiB FAT32 volume that the carving benchmarks scan, as messy as a used disk:
#   - about 160 distinct files of 14 kinds made by real tools at the sizes real disks hold them:
#     JPEG (cjpeg, ImageMagick), BMP, TIFF (ImageMagick with the directory last, plain and LZW;
#     tiffcp tiled; exiftool with the directory first and EXIF), PDF (ghostscript from PostScript
#     and from the JPEGs, LibreOffice, qpdf-linearized), DOC, XLS and PPT (LibreOffice), MP3 (lame, 2 s to 3 min),
#     AVI (ffmpeg), ZIP (zip), and text, RTF, HTML and XML in ASCII, UTF-8 and GBK (iconv);
#   - mkfs.fat (4 KiB clusters), then the data area filled with old data (random bytes, some old
#     text, zeros), then mcopy fills the volume to about 95 % with copies of the files in a shuffled
#     order, in folders of 100; every tenth copy stays live and the rest are deleted with mdel;
#   - as an operating system writes a file, the rest of each file's last sector is zeroed; the
#     rest of its last cluster keeps the old data.
# IMAGE.originals lists every deleted file: its name on the volume, its size and its SHA-256 (what
# bench/compare-carving-and-cli.sh counts a carved file exact against).
#   make-carving-bench-volume.sh IMAGE
set -euo pipefail
img=${1:?usage: make-carving-bench-volume.sh IMAGE}
for tool in mkfs.fat mcopy mdel fls istat truncate convert cjpeg tiffcp exiftool gs soffice qpdf lame ffmpeg zip \
            iconv python3 sha256sum shuf; do
  command -v "$tool" >/dev/null || { echo "make-carving-bench-volume: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
export MTOOLS_SKIP_CHECK=1
work=$(mktemp -d)
trap 'rm -rf "$work" "$img.part"' EXIT
c=$work/corpus
mkdir -p "$c" "$work/src"
export HOME=$work/home  # LibreOffice keeps its profile under HOME
mkdir -p "$HOME"
log=$work/tools.log
quiet() { "$@" >>"$log" 2>&1 || { echo "make-carving-bench-volume: $1 failed:" >&2; tail -5 "$log" >&2; exit 1; }; }

# --- Pictures from six plasma scenes ------------------------------------------------------------
viewjpeg=$(ls /usr/share/ghostscript/*/lib/viewjpeg.ps | head -1)
for s in 1 2 3 4 5 6; do
  quiet convert -seed "$s" -size 1600x1200 plasma:fractal -depth 8 "$work/src/scene$s.ppm"
  for size in 640x480 1600x1200 2400x1800; do
    quiet convert "$work/src/scene$s.ppm" -resize "$size!" "$work/src/scene$s-$size.ppm"
    quiet cjpeg -quality 75 -outfile "$c/cjpeg-$s-$size.jpg" "$work/src/scene$s-$size.ppm"
    quiet convert "$work/src/scene$s-$size.ppm" -quality 92 "$c/magick-$s-$size.jpg"
  done
  quiet convert "$work/src/scene$s-640x480.ppm" BMP3:"$c/small-$s.bmp"
  quiet convert "$work/src/scene$s.ppm" BMP3:"$c/large-$s.bmp"
  quiet convert "$work/src/scene$s.ppm" -compress none "$c/plain-$s.tif"
  quiet convert "$work/src/scene$s-2400x1800.ppm" -compress lzw -define tiff:endian=msb "$c/lzw-$s.tif"
  quiet tiffcp -t -w 256 -l 256 "$c/plain-$s.tif" "$c/tiled-$s.tif"
  quiet convert "$work/src/scene$s-640x480.ppm" -compress none "$c/exif-$s.tif"
  quiet exiftool -q -overwrite_original -Make=Tarvosk "-DateTimeOriginal=2020:0$s:01 10:00:00" "$c/exif-$s.tif"
  # ghostscript wraps the JPEG in a page of its own size.
  quiet gs -q -dBATCH -dNOPAUSE -dSAFER "--permit-file-read=$c/" -sDEVICE=pdfwrite -o "$c/photo-$s.pdf" "$viewjpeg" \
    -c "($c/cjpeg-$s-1600x1200.jpg) << /PageSize 2 index viewJPEGgetsize 2 array astore >> setpagedevice viewJPEG"
done

# --- Text, RTF, HTML and XML in ASCII, UTF-8 and GBK ----------------------------------------------
# lines N: N lines, Chinese and ASCII mixed, in UTF-8.
lines() {
  local i
  for ((i = 1; i <= $1; i++)); do
    printf '第 %d 行：磁盘上的已删除文件仍然保存在空闲簇中，直到被覆盖。Line %d of the notes, %s.\n' "$i" "$i" \
      "with some plain words after the Chinese"
  done
}
ascii() {
  local i
  for ((i = 1; i <= $1; i++)); do printf 'Line %d: the quick brown fox jumps over the lazy dog, again and again.\r\n' "$i"; done
}
for n in 30 200 1500 4000; do
  lines "$n" > "$c/utf8-$n.txt"
  iconv -f UTF-8 -t GBK "$c/utf8-$n.txt" > "$c/gbk-$n.txt"
  ascii "$n" > "$c/ascii-$n.txt"
  { printf '<!DOCTYPE html>\n<html lang="zh">\n<head><meta charset="UTF-8"><title>第 %d 页</title></head>\n<body>\n' "$n"
    lines "$n" | sed 's|^|<p>|; s|$|</p>|'
    printf '</body>\n</html>\n'; } > "$c/utf8-$n.html"
  sed 's/charset="UTF-8"/charset="GBK"/' "$c/utf8-$n.html" | iconv -f UTF-8 -t GBK > "$c/gbk-$n.html"
  { printf '<?xml version="1.0" encoding="UTF-8"?>\n<notes>\n'
    lines "$n" | sed 's|^|  <note><![CDATA[|; s|$|]]></note>|'
    printf '</notes>\n'; } > "$c/utf8-$n.xml"
  sed 's/encoding="UTF-8"/encoding="GBK"/' "$c/utf8-$n.xml" | iconv -f UTF-8 -t GBK > "$c/gbk-$n.xml"
  { printf '{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Times New Roman;}}\n'
    ascii "$n" | sed 's|^|\\f0\\fs24 |; s|\r$|\\par|'
    printf '}\n'; } > "$c/letter-$n.rtf"
done

# --- Office documents and PDFs -------------------------------------------------------------------
mkdir -p "$work/office"
for n in 40 400 3000; do
  ascii "$n" > "$work/office/memo-$n.txt"
  lines "$n" > "$work/office/report-$n.txt"
  { echo "Name,Count,Price"; for ((i = 1; i <= n * 5; i++)); do echo "Item $i,$i,$((i * 3)).50"; done; } > "$work/office/sheet-$n.csv"
  { printf '<?xml version="1.0" encoding="UTF-8"?>\n<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.presentation"><office:body><office:presentation>\n'
    for ((i = 1; i <= n / 20 + 2; i++)); do
      printf '<draw:page draw:name="p%d"><draw:frame svg:width="20cm" svg:height="3cm" svg:x="2cm" svg:y="2cm"><draw:text-box><text:p>幻灯片 %d, slide %d</text:p></draw:text-box></draw:frame></draw:page>\n' "$i" "$i" "$i"
    done
    printf '</office:presentation></office:body></office:document>\n'; } > "$work/office/slides-$n.fodp"
done
(cd "$work/office" && quiet soffice --headless --norestore --convert-to doc --outdir "$c" memo-*.txt report-*.txt)
(cd "$work/office" && quiet soffice --headless --norestore --convert-to xls --outdir "$c" sheet-*.csv)
(cd "$work/office" && quiet soffice --headless --norestore --convert-to ppt --outdir "$c" slides-*.fodp)
(cd "$work/office" && quiet soffice --headless --norestore --convert-to pdf --outdir "$work/office" report-*.txt memo-*.txt)
for f in "$work/office"/*.pdf; do cp "$f" "$c/office-$(basename "$f")"; done
for pages in 1 4 12 40; do
  { echo '%!PS'; echo '/Helvetica findfont 12 scalefont setfont'
    for ((p = 1; p <= pages; p++)); do
      for ((y = 740; y > 60; y -= 16)); do echo "72 $y moveto (Page $p, line $y of the benchmark document.) show"; done
      echo "newpath 100 100 moveto 300 $((100 + p * 5)) lineto stroke showpage"
    done; } > "$work/src/doc-$pages.ps"
  quiet gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite -o "$c/gs-$pages.pdf" "$work/src/doc-$pages.ps"
  quiet qpdf --linearize "$c/gs-$pages.pdf" "$c/linear-$pages.pdf"
done

# --- Music and video -----------------------------------------------------------------------------
for seconds in 2 6 15 40 90 180; do
  quiet ffmpeg -nostdin -f lavfi -i "sine=frequency=$((200 + seconds)):sample_rate=44100:duration=$seconds" -ac 2 "$work/src/tone$seconds.wav"
  quiet lame --quiet -b 64 "$work/src/tone$seconds.wav" "$c/plain-$seconds.mp3"
  quiet lame --quiet -b 192 --add-id3v2 --tt "Track $seconds" --ta Bench "$work/src/tone$seconds.wav" "$c/tagged-$seconds.mp3"
done
for seconds in 2 8 20 45; do
  quiet ffmpeg -nostdin -f lavfi -i "testsrc=size=320x240:rate=15:duration=$seconds" -c:v mjpeg -an "$c/mjpeg-$seconds.avi"
  quiet ffmpeg -nostdin -f lavfi -i "testsrc=size=320x240:rate=15:duration=$seconds" \
    -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=$seconds" -c:v mpeg4 -c:a pcm_s16le -shortest "$c/mpeg4-$seconds.avi"
done

# --- Archives ------------------------------------------------------------------------------------
for k in 1 2 3 4 5; do
  mkdir -p "$work/zip$k"
  cp "$c/utf8-$((k % 2 ? 200 : 1500)).txt" "$work/zip$k/notes.txt"
  head -c $((k * k * 150000)) /dev/urandom > "$work/zip$k/data.bin"
  (cd "$work/zip$k" && quiet zip -q -X "$c/archive-$k.zip" notes.txt data.bin)
done

# --- The volume ----------------------------------------------------------------------------------
truncate -s 1G "$img.part"
quiet mkfs.fat -F 32 -s 8 -n CARVING "$img.part"
# Old data in every cluster after the root directory's, in blocks of 64 KiB: 80 % random bytes
# (what compressed pictures, music, video and archives leave), 5 % old text, 15 % zeros.
python3 - "$img.part" <<'PY'
import os, random, struct, sys
f = open(sys.argv[1], "r+b")
boot = f.read(512)
sector, per_cluster, reserved, fats = struct.unpack_from("<HBHB", boot, 11)
fat_sectors = struct.unpack_from("<I", boot, 36)[0]
first = (reserved + fats * fat_sectors + per_cluster) * sector
size = f.seek(0, 2)
rng = random.Random(11)
text = ("旧的文本留在磁盘上。Old text from files deleted long ago, still in the free clusters.\n" * 900).encode()
f.seek(first)
for at in range(first, size, 65536):
    n = min(65536, size - at)
    kind = rng.random()
    block = os.urandom(n) if kind < 0.8 else text[rng.randrange(1000):][:n] if kind < 0.85 else bytes(n)
    f.write(block.ljust(n, b"\0"))
PY
files=("$c"/*)
total=$(( 1024 * 1024 * 1024 / 100 * 95 ))
used=0 n=0
staging=$work/staging
mkdir "$staging"
: > "$work/deleted"
pass=0
while [ "$used" -lt "$total" ]; do
  pass=$((pass + 1))
  while read -r f; do
    size=$(stat -c %s "$f")
    [ $(( used + size )) -lt "$total" ] || { used=$total; break; }
    folder=D$(( n / 100 ))
    mkdir -p "$staging/$folder"
    # A long name: the deleted entry keeps it whole for sleuthkit.
    name="Copy $n.${f##*.}"
    ln "$f" "$staging/$folder/$name"
    if (( n % 10 != 9 )); then echo "::/$folder/$name" >> "$work/deleted"; fi
    used=$(( used + (size + 4095) / 4096 * 4096 ))
    n=$(( n + 1 ))
  done < <(printf '%s\n' "${files[@]}" | shuf --random-source=<(yes "$pass"))
done
quiet mcopy -s -i "$img.part" "$staging"/D* ::/
xargs -d '\n' -n 200 mdel -i "$img.part" < "$work/deleted"
# Zero the rest of each deleted file's last sector, and list the originals.
fls -r -d -p "$img.part" | awk -F'\t' '{ split($1, a, " "); inode = a[length(a)]; sub(":", "", inode); print inode "\t" $2 }' \
  > "$work/fls"
: > "$img.originals.part"
while IFS=$'\t' read -r inode name; do
  [ -f "$staging/$name" ] && [[ "$name" == */Copy* ]] || continue
  sector=$(istat "$img.part" "$inode" | awk 'f && !p { print $1; p = 1 } /^Sectors:/ { f = 1 }')
  printf '%s\t%s\t%s\t%s\n' "$name" "$sector" "$(stat -c %s "$staging/$name")" \
    "$(sha256sum < "$staging/$name" | cut -d' ' -f1)" >> "$img.originals.part"
done < "$work/fls"
python3 - "$img.part" "$img.originals.part" <<'PY'
import sys
f = open(sys.argv[1], "r+b")
for line in open(sys.argv[2]):
    name, sector, size, _ = line.rstrip("\n").split("\t")
    end = int(sector) * 512 + int(size)
    f.seek(end)
    f.write(bytes(-end % 512))
PY
[ "$(wc -l < "$img.originals.part")" = "$(wc -l < "$work/deleted")" ] || {
  echo "make-carving-bench-volume: sleuthkit does not see every deleted file" >&2; exit 1; }
mv "$img.originals.part" "$img.originals"
mv "$img.part" "$img"
echo "$img: $n files of ${#files[@]} distinct ones, $(wc -l < "$img.originals") deleted, $(( used >> 20 )) MiB"
