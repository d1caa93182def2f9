#!/usr/bin/env bash
# NTFS volumes with 2048- and 4096-byte sectors (mkntfs -s, filled through ntfs-3g): the scan
# lists every deleted file as sleuthkit does, recover brings each back byte for byte, search finds
# the marker in the file that holds it, and view lists a file's clusters as istat does and dumps
# their bytes.
set -euo pipefail
cli=$1 fixtures=$2
. "$(dirname "$0")/sleuthkit-oracle.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "$*"; exit 1; }
originals=$fixtures/sector-files

for sector in 2048 4096; do
  img=$fixtures/ntfs-s$sector.img
  run() { "$cli" --no-devices --image "$img" "$@"; }

  run scan C: --format tsv | deleted_in_listing | sort > "$tmp/ours"
  deleted_by_fls "$img" | cut -f1,2 | grep -v '^\\ORPHAN' | sort > "$tmp/theirs"
  diff -u "$tmp/theirs" "$tmp/ours" || fail "$sector-byte sectors: the deleted entries differ from fls (- fls, + tarvosk-cli)"

  rm -rf "$tmp/out"
  run recover C: --all --to "$tmp/out" > "$tmp/log" || fail "$sector-byte sectors: recover failed: $(cat "$tmp/log")"
  for pair in small.txt:small.txt plain.bin:plain.bin sparse.bin:sparse.bin comp/text.txt:text.txt \
              comp/mixed.bin:mixed.bin gonedir/inner/inner.bin:inner.bin gonedir/a.txt:small.txt; do
    cmp "$tmp/out/${pair%%:*}" "$originals/${pair#*:}" || fail "$sector-byte sectors: ${pair%%:*} differs from the original"
  done

  run search C: --text sector-mark --format tsv | deleted_in_listing | cut -f1 | sort > "$tmp/found"
  printf '%s\n' '\gonedir\a.txt' '\small.txt' | diff -u - "$tmp/found" || fail "$sector-byte sectors: search found other files"

  inode=$(ifind -n /plain.bin "$img")
  istat "$img" "$inode" | awk '/^Type: \$DATA/ { d = 1; next } /^Type:/ { d = 0 } d { for (i = 1; i <= NF; i++) print $i }' > "$tmp/want"
  run view C: '\plain.bin' > "$tmp/view"
  awk -F'\t' 'NR > 1 && NF == 2 { print $1 }' "$tmp/view" | sed '/^$/q' > "$tmp/got"
  diff -u "$tmp/want" "$tmp/got" || fail "$sector-byte sectors: view lists other clusters than istat (- istat, + tarvosk-cli)"
  first=$(head -1 "$tmp/want")
  run view C: '\plain.bin' --unit "$first" |
    awk 'length($1) == 8 && $1 ~ /^[0-9a-f]+$/ { for (i = 2; i <= 17 && $i ~ /^[0-9a-f][0-9a-f]$/; i++) printf "%s", $i }' > "$tmp/dump"
  head -c 4096 "$originals/plain.bin" | od -An -v -tx1 | tr -d ' \n' | cmp -s - "$tmp/dump" ||
    fail "$sector-byte sectors: the dump of cluster $first is not the file's first 4096 bytes"
  echo "$sector-byte sectors: scan, recover, search and view agree with sleuthkit and the originals"
done
