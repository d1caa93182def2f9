#!/usr/bin/env bash
# Builds the pictures, music and video files that the recogniser tests carve, with real tools
# only: ImageMagick (BMP, TIFF, JPEG), cjpeg, exiftool (an EXIF thumbnail), lame (MP3) and
# ffmpeg (the sound for lame, AVI). Files are cached in the folder given and rebuilt when this
# script changes. A missing tool is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-media-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set media "$here/build-media-fixtures.sh" "$out"

need_tools convert cjpeg exiftool lame ffmpeg
convert -version 2>/dev/null | grep -q '^Version: ImageMagick' || fail "'convert' is not ImageMagick (install imagemagick, run scripts/setup)"

make_scratch
m="$out/media"
rm -rf "$m"
mkdir -p "$m"

# Pictures. The seed keeps the plasma the same from run to run.
convert -seed 7 -size 160x120 plasma:fractal -depth 8 "$tmp/source.ppm" >>"$log" 2>&1
convert -seed 9 -size 40x30 plasma:fractal -depth 8 "$tmp/thumb.ppm" >>"$log" 2>&1
convert "$tmp/source.ppm" BMP3:"$m/picture.bmp" >>"$log" 2>&1
cjpeg -quality 85 -outfile "$m/cjpeg.jpg" "$tmp/source.ppm" >>"$log" 2>&1
convert "$tmp/source.ppm" -quality 90 "$m/magick.jpg" >>"$log" 2>&1
# A JPEG whose APP1 segment holds an EXIF thumbnail with its own start and end markers.
cjpeg -quality 60 -outfile "$tmp/thumb.jpg" "$tmp/thumb.ppm" >>"$log" 2>&1
cp "$m/cjpeg.jpg" "$m/exif.jpg"
exiftool -q -overwrite_original -Make=Tarvosk "-ThumbnailImage<=$tmp/thumb.jpg" "$m/exif.jpg" >>"$log" 2>&1
# TIFF, little-endian with several strips (an array of strip offsets) and big-endian with one.
convert "$tmp/source.ppm" -depth 8 -compress none -define tiff:endian=lsb -define tiff:rows-per-strip=16 \
  "$m/little.tif" >>"$log" 2>&1
convert "$tmp/source.ppm" -depth 8 -compress none -define tiff:endian=msb -define tiff:rows-per-strip=120 \
  "$m/big.tif" >>"$log" 2>&1
# The same picture with a maker's name in its Make tag, rewritten by exiftool (which puts the
# directory first and the strips after it, so the last strip ends the file).
for maker in "canon:Canon" "nikon:NIKON CORPORATION" "olympus:OLYMPUS IMAGING CORP." "kodak:Kodak" \
             "eastman:EASTMAN KODAK COMPANY"; do
  cp "$m/little.tif" "$m/make-${maker%%:*}.tif"
  exiftool -q -overwrite_original "-Make=${maker#*:}" "$m/make-${maker%%:*}.tif" >>"$log" 2>&1
done

# Music: 16 s of tone (about 610 frames), without tags and with ID3v2 and ID3v1 tags.
ffmpeg -nostdin -loglevel error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=16" \
  -ac 1 "$tmp/tone.wav" >>"$log" 2>&1
lame --quiet -b 64 "$tmp/tone.wav" "$m/plain.mp3" >>"$log" 2>&1
lame --quiet -b 64 --add-id3v2 --tt "Fixture tone" --ta Tarvosk "$tmp/tone.wav" "$m/tagged.mp3" >>"$log" 2>&1

# Video: 3 s of a test picture as Motion JPEG in AVI.
ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc=size=64x48:rate=10:duration=3" -c:v mjpeg -an \
  "$m/clip.avi" >>"$log" 2>&1

for f in picture.bmp cjpeg.jpg magick.jpg exif.jpg little.tif big.tif make-canon.tif make-nikon.tif make-olympus.tif \
         make-kodak.tif make-eastman.tif plain.mp3 tagged.mp3 clip.avi; do
  [ -s "$m/$f" ] || fail "$f was not made (see $log)"
done
# The tagged file must really carry both tags; the thumbnail must really be in exif.jpg.
[ "$(head -c 3 "$m/tagged.mp3")" = "ID3" ] || { echo "build-media-fixtures: tagged.mp3 has no ID3v2 tag" >&2; exit 1; }
[ "$(tail -c 128 "$m/tagged.mp3" | head -c 3)" = "TAG" ] || { echo "build-media-fixtures: tagged.mp3 has no ID3v1 tag" >&2; exit 1; }
exiftool -q -b -ThumbnailImage "$m/exif.jpg" | cmp -s - "$tmp/thumb.jpg" || {
  echo "build-media-fixtures: exif.jpg holds no thumbnail" >&2; exit 1; }

end_fixture_set
