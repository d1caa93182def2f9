#!/usr/bin/env bash
# recover --all on FAT12, FAT16 and FAT32 volumes made by mkfs.fat and mtools, and on exFAT
# volumes made by mkfs.exfat and exfat-fuse, writes every deleted file that sleuthkit's fls -r -d
# sees, at its path (a deleted short name's lost first letter written "_"), with the bytes icat
# reads for it (on exFAT the fragmented file whose chain exfat-fuse cleared among them), every
# deleted folder as a folder, and nothing else. The sets fls finds on exFAT only by reading
# every cluster ($OrphanFiles) lie in no folder the scan walks. On the volumes whose folder trees
# were removed whole, what comes back is those trees as they were copied in (IMAGE.trees/), byte
# for byte, rather than what icat reads.
set -euo pipefail
cli=$1 fixtures=$2
. "$(dirname "$0")/sleuthkit-oracle.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
for image in fat12.img fat16.img fat32-s1.img fat32-s4.img removed-fat12.img removed-fat16.img removed-fat32.img \
  exfat-4k.img exfat-512.img exfat-32k.img; do
  out=$tmp/${image%.img}
  mkdir "$out"
  "$cli" --no-devices --image "$fixtures/$image" recover C: --all --to "$out" --overwrite all > "$tmp/recovery.log" \
    || { echo "$image: recover --all failed:"; cat "$tmp/recovery.log"; exit 1; }
  files=0
  while IFS=$'\t' read -r path size inode; do
    case $image:$path in exfat-*:\\ORPHAN\\*) continue ;; esac
    local_path=$out${path//\\//}
    if [ "$size" = folder ]; then
      [ -d "$local_path" ] || { echo "$image: folder $path not recovered"; failures=$((failures + 1)); }
      continue
    fi
    files=$((files + 1))
    # The removed trees' bytes are held against their originals below (an icat a file would
    # take minutes there).
    if [ -d "$fixtures/$image.trees" ]; then
      [ -f "$local_path" ] || { echo "$image: $path not recovered"; failures=$((failures + 1)); }
    elif ! cmp -s "$local_path" <(icat "$fixtures/$image" "$inode"); then
      echo "$image: $path differs from what icat reads, or is missing"
      failures=$((failures + 1))
    fi
  done < <(deleted_by_fls "$fixtures/$image")
  written=$(find "$out" -type f | wc -l)
  [ "$written" -eq "$files" ] || { echo "$image: $written files written for $files deleted"; failures=$((failures + 1)); }
  if [ -d "$fixtures/$image.trees" ] && ! diff -r "$fixtures/$image.trees" "$out" > "$tmp/trees.diff"; then
    echo "$image: the removed trees did not come back as they were copied in:"
    head -20 "$tmp/trees.diff"
    failures=$((failures + 1))
  fi
  echo "$image: $files deleted files recovered as $([ -d "$fixtures/$image.trees" ] && echo copied in || echo icat reads them)"
done
[ "$failures" -eq 0 ]
