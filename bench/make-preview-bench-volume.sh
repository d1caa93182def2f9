#!/usr/bin/env bash
# Makes the volume the preview and viewer benchmarks read: a FAT32 volume (mkfs.fat, 512-byte
# clusters; written by mcopy, deleted by mdel) holding, deleted, a JPEG of about 9 MB (a
# 4000 x 3000 plasma drawn by ImageMagick with grain, through cjpeg), a folder Pictures of 50
# JPEGs of 1600 x 1200, and UNITS.BIN, a file of exactly 100,000 clusters.
set -euo pipefail
img=${1:?usage: make-preview-bench-volume.sh IMAGE}
for tool in convert cjpeg mkfs.fat mcopy mmd mdel; do
  command -v "$tool" >/dev/null || { echo "make-preview-bench-volume: '$tool' is missing (run scripts/setup --tests)" >&2; exit 1; }
done
export MTOOLS_SKIP_CHECK=1
mkdir -p "$(dirname "$img")"
tmp=$(mktemp -d -p "$(dirname "$img")")
trap 'rm -rf "$tmp"' EXIT

convert -size 1000x750 plasma:fractal -resize 4000x3000 -attenuate 0.6 +noise Gaussian "ppm:$tmp/large.ppm"
for quality in 95 96 97 98 99; do
  cjpeg -quality "$quality" "$tmp/large.ppm" > "$tmp/large.jpg"
  [ "$(stat -c %s "$tmp/large.jpg")" -ge 8500000 ] && break
done
size=$(stat -c %s "$tmp/large.jpg")
[ "$size" -ge 8500000 ] && [ "$size" -le 10000000 ] || { echo "make-preview-bench-volume: the large JPEG has $size bytes, not about 9 MB" >&2; exit 1; }

mkdir "$tmp/pictures"
convert -size 400x300 plasma:fractal -resize 1600x1200 "ppm:$tmp/base.ppm"
for i in $(seq -w 1 50); do
  convert "$tmp/base.ppm" -roll "+$((10#$i * 31))+$((10#$i * 17))" -modulate "100,100,$((10#$i * 7 % 200))" ppm:- |
    cjpeg -quality 90 > "$tmp/pictures/picture $i.jpg"
done
head -c $((100000 * 512)) /dev/urandom > "$tmp/units.bin"

truncate -s 192M "$tmp/volume.img"
mkfs.fat -F 32 -s 1 -n PREVIEW "$tmp/volume.img" >/dev/null
mmd -i "$tmp/volume.img" ::/Pictures
mcopy -i "$tmp/volume.img" "$tmp/large.jpg" ::/LARGE.JPG
mcopy -i "$tmp/volume.img" "$tmp/pictures/"* ::/Pictures/
mcopy -i "$tmp/volume.img" "$tmp/units.bin" ::/UNITS.BIN
mdel -i "$tmp/volume.img" ::/LARGE.JPG ::/UNITS.BIN '::/Pictures/*'
mv "$tmp/volume.img" "$img"
