#!/usr/bin/env bash
# exFAT volumes through tarvosk-cli: the drive list shows bare, MBR and GPT exFAT volumes as
# "exFAT" with partition type 0x07; recover --all on volumes made by mkfs.exfat and exfat-fuse
# writes every deleted file that sleuthkit's fls -r -d finds in a folder, with the bytes icat
# reads for it (the fragmented file whose chain exfat-fuse cleared among them), and nothing else.
set -euo pipefail
cli=$1 fixtures=$2
. "$(dirname "$0")/sleuthkit-oracle.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

"$cli" --no-devices --image "$fixtures/exfat-4k.img" --image "$fixtures/exfat-mbr.img" --image "$fixtures/exfat-gpt.img" \
  drives --format tsv > "$tmp/drives"
exfat_letters=$(awk -F'\t' '$1 == "logical" && $4 == "exFAT" && $5 == "0x07"' "$tmp/drives" | wc -l)
[ "$exfat_letters" -eq 3 ] || { echo "the drive list does not show three exFAT volumes:"; cat "$tmp/drives"; exit 1; }

for image in exfat-4k.img exfat-512.img exfat-32k.img; do
  out=$tmp/${image%.img}
  mkdir "$out"
  "$cli" --no-devices --image "$fixtures/$image" recover C: --all --to "$out" --overwrite all > "$tmp/recovery.log" \
    || { echo "$image: recover --all failed:"; cat "$tmp/recovery.log"; exit 1; }
  files=0
  while IFS=$'\t' read -r path size inode; do
    case $path in \\ORPHAN\\*) continue ;; esac
    local_path=$out${path//\\//}
    if [ "$size" = folder ]; then
      [ -d "$local_path" ] || { echo "$image: folder $path not recovered"; failures=$((failures + 1)); }
      continue
    fi
    files=$((files + 1))
    if ! cmp -s "$local_path" <(icat "$fixtures/$image" "$inode"); then
      echo "$image: $path differs from what icat reads, or is missing"
      failures=$((failures + 1))
    fi
  done < <(deleted_by_fls "$fixtures/$image")
  written=$(find "$out" -type f | wc -l)
  [ "$written" -eq "$files" ] || { echo "$image: $written files written for $files deleted"; failures=$((failures + 1)); }
  echo "$image: $files deleted files recovered as icat reads them"
done
[ "$failures" -eq 0 ]
