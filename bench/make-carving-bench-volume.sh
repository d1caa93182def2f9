#!/usr/bin/env bash
# Makes the 1 GiB FAT32 volume that the carving benchmarks scan: mkfs.fat (4 KiB clusters), then
# mcopy fills it to about 95 % with copies of the real pictures, camera-raw TIFFs, music, video,
# Office documents, PDFs, archives and text files that the fixture scripts make with real tools
# (tests/images/build-media-fixtures.sh, build-doc-fixtures.sh), in folders of 500, and mdeltree
# deletes every folder: all their clusters are free and still hold the files.
#   make-carving-bench-volume.sh IMAGE
set -euo pipefail
img=${1:?usage: make-carving-bench-volume.sh IMAGE}
here=$(cd "$(dirname "$0")" && pwd)
for tool in mkfs.fat mcopy mdeltree truncate; do
  command -v "$tool" >/dev/null || { echo "make-carving-bench-volume: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
export MTOOLS_SKIP_CHECK=1
fixtures=$img.fixtures
"$here/../tests/images/build-media-fixtures.sh" "$fixtures"
"$here/../tests/images/build-doc-fixtures.sh" "$fixtures"
originals=("$fixtures"/media/* "$fixtures"/*.doc "$fixtures"/*.xls "$fixtures"/*.ppt "$fixtures"/*.pdf
           "$fixtures"/*.zip "$fixtures"/*.txt "$fixtures"/*.rtf "$fixtures"/*.html "$fixtures"/*.xml)

staging=$(mktemp -d)
trap 'rm -rf "$staging" "$img.part"' EXIT
# Copies in turn until they take 95 % of the volume, counted in whole clusters.
sizes=()
for f in "${originals[@]}"; do sizes+=("$(stat -c %s "$f")"); done
budget=$(( 1024 * 1024 * 1024 / 100 * 95 ))
used=0 n=0
while [ "$used" -lt "$budget" ]; do
  for i in "${!originals[@]}"; do
    f=${originals[$i]}
    folder="$staging/d$(( n / 500 ))"
    [ -d "$folder" ] || mkdir "$folder"
    ln "$f" "$folder/c$n.${f##*.}" 2>/dev/null || cp "$f" "$folder/c$n.${f##*.}"
    used=$(( used + (sizes[i] + 4095) / 4096 * 4096 ))
    n=$(( n + 1 ))
  done
done

truncate -s 1G "$img.part"
mkfs.fat -F 32 -s 8 -n CARVING "$img.part" >/dev/null
mcopy -s -i "$img.part" "$staging"/d* ::/
for d in "$staging"/d*; do mdeltree -i "$img.part" "::/$(basename "$d")"; done
mv "$img.part" "$img"
echo "$img: $n deleted files of ${#originals[@]} kinds, $(( used >> 20 )) MiB"
