#!/usr/bin/env bash
# --exact through tarvosk-cli, on the volumes of build-exact-fixtures.sh:
#   agree-fat32.img: files whose classic carved lengths are already their own (pictures, Office
#     documents, archives, ASCII text and markup, MP3 and AVI, TIFFs with the directory first):
#     the physical scan lists exactly the same with and without --exact;
#   exact-fat32.img: TIFFs with the directory after the data, PDFs with one end marker, Chinese
#     text, HTML and XML, a 2 s MP3: the listings differ, and recover --all --exact brings every
#     deleted file back byte for byte from its first cluster.
set -euo pipefail
cli=$1 fixtures=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# listing IMAGE [--exact]: the physical scan's listing without the scan time (field 6).
listing() { "$cli" --no-devices --image "$fixtures/$1" scan C: --physical "${@:2}" --format tsv | cut -f 1-5,7-8; }

listing agree-fat32.img > "$tmp/agree-classic.tsv"
listing agree-fat32.img --exact > "$tmp/agree-exact.tsv"
diff -u "$tmp/agree-classic.tsv" "$tmp/agree-exact.tsv" || { echo "agree-fat32.img: --exact changed the listing"; exit 1; }
[ "$(wc -l < "$tmp/agree-classic.tsv")" -gt 18 ] || { echo "agree-fat32.img: too few files carved"; exit 1; }

img=$fixtures/exact-fat32.img
listing exact-fat32.img > "$tmp/classic.tsv"
listing exact-fat32.img --exact > "$tmp/exact.tsv"
if diff -q "$tmp/classic.tsv" "$tmp/exact.tsv" >/dev/null; then echo "exact-fat32.img: --exact changed nothing"; exit 1; fi

# The cluster of an image sector, from the boot sector's geometry.
le() { od -A n -t "u$2" -j "$1" -N "$2" "$img" | tr -d ' '; }
first_data=$(( $(le 14 2) + $(le 16 1) * $(le 36 4) ))
per_cluster=$(le 13 1)

out=$tmp/out
mkdir "$out"
"$cli" --no-devices --image "$img" recover C: --all --physical --exact --to "$out" --overwrite all > "$tmp/log"
failures=0 files=0
while IFS=$'\t' read -r name sector size; do
  files=$((files + 1))
  cluster=$(( (sector - first_data) / per_cluster + 2 ))
  row=$(awk -F'\t' -v c="$cluster" '$1 ~ /\\file[0-9]+\.[a-z0-9]+$/ && $6 == c { print }' "$tmp/exact.tsv")
  carved_size=$(cut -f 4 <<<"$row")
  path=$(cut -f 1 <<<"$row")
  if [ "$carved_size" != "$size" ]; then
    echo "$name: carved at cluster $cluster with ${carved_size:-no} bytes, not $size"
    failures=$((failures + 1))
  elif ! cmp -s "$out/$(tr '\\' '/' <<<"${path#\\}")" "$fixtures/exact-files/$name"; then
    echo "$name: recovered bytes differ from the original"
    failures=$((failures + 1))
  fi
done < "$img.starts"
[ "$failures" -eq 0 ] || { echo "$failures of $files files not carved whole with --exact"; exit 1; }
echo "agree-fat32.img: listings equal; exact-fat32.img: all $files files carved and recovered byte for byte"
