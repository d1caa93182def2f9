#!/usr/bin/env bash
# scan --format tsv lists exactly the deleted files and folders that sleuthkit's fls -r -d sees,
# with their paths and file sizes: on FAT12, FAT16 and FAT32 volumes made by mkfs.fat and mtools
# (among them volumes whose folder trees spanning several clusters were removed with mdeltree),
# on an NTFS volume written through ntfs-3g, and on exFAT volumes written through exfat-fuse
# (where the sets fls finds only by reading every cluster, its $OrphanFiles, are in no folder
# the scan walks).
set -euo pipefail
cli=$1 fixtures=$2
. "$(dirname "$0")/sleuthkit-oracle.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
for image in fat12.img fat16.img fat32-s1.img fat32-s4.img removed-fat12.img removed-fat16.img removed-fat32.img \
  ntfs-files.img exfat-4k.img exfat-512.img exfat-32k.img; do
  "$cli" --no-devices --image "$fixtures/$image" scan C: --format tsv | deleted_in_listing | sort > "$tmp/ours"
  deleted_by_fls "$fixtures/$image" | cut -f 1,2 | { case $image in exfat-*) grep -v '^\\ORPHAN\\' || true ;; *) cat ;; esac; } \
    | sort > "$tmp/theirs"
  [ -s "$tmp/theirs" ] || { echo "$image: fls lists no deleted entries"; exit 1; }
  if ! diff -u "$tmp/theirs" "$tmp/ours" > "$tmp/diff"; then
    echo "$image: the listing's deleted entries differ from fls -r -d (- fls, + tarvosk-cli):"
    cat "$tmp/diff"
    failures=$((failures + 1))
  else
    echo "$image: $(wc -l < "$tmp/ours") deleted entries as fls lists them"
  fi
done
[ "$failures" -eq 0 ]
