#!/usr/bin/env bash
# view lists a deleted file's units with their in-use marks and dumps one unit, the last cut to
# the data length, held against sleuthkit: on the NTFS volume written through ntfs-3g, the
# clusters istat gives for the file, each free or in use as blkstat says (some deleted fill
# files' clusters now hold a newer file), and the bytes on the image; on a FAT16 volume made by
# mtools, the bytes icat reads.
set -euo pipefail
cli=$1 fixtures=$2
. "$(dirname "$0")/sleuthkit-oracle.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ntfs=$fixtures/ntfs-files.img
cluster_size=4096
fail() { echo "$*"; exit 1; }

# The data clusters istat gives for an inode, one a line.
clusters_of() { istat "$ntfs" "$1" | awk '/^Type: \$DATA/ { d = 1; next } /^Type:/ { d = 0 } d { for (i = 1; i <= NF; i++) print $i }'; }
state_of() { grep -q '^Allocated' < <(blkstat "$ntfs" "$1") && echo "已占用" || echo "空闲"; }
# The bytes of a hex dump as one hex string; of a file likewise.
dumped_hex() { awk 'length($1) == 8 && $1 ~ /^[0-9a-f]+$/ { for (i = 2; i <= 17 && $i ~ /^[0-9a-f][0-9a-f]$/; i++) printf "%s", $i }'; }
file_hex() { od -An -v -tx1 | tr -d ' \n'; }

# expect_units PATH INODE: the unit list is istat's clusters with blkstat's marks.
expect_units() {
  "$cli" --no-devices --image "$ntfs" view C: "$1" > "$tmp/view"
  clusters_of "$2" | while read -r c; do printf '%s\t%s\n' "$c" "$(state_of "$c")"; done > "$tmp/want"
  [ -s "$tmp/want" ] || fail "istat gives no clusters for $1"
  awk -F'\t' 'NR > 1 && NF == 2' "$tmp/view" | sed '/^$/q' | grep -v '^$' > "$tmp/got" || true
  diff -u "$tmp/want" "$tmp/got" || fail "view $1: units differ from istat and blkstat (- sleuthkit, + tarvosk-cli)"
}

# A multi-cluster deleted file in several runs; its last unit is cut to the data length.
IFS=$'\t' read -r path size inode < <(deleted_by_fls "$ntfs" | awk -F'\t' '$1 == "\\gonedir\\b.bin"')
[ -n "$inode" ] || fail "fls does not list \\gonedir\\b.bin"
expect_units "$path" "$inode"
last=$(clusters_of "$inode" | tail -1)
"$cli" --no-devices --image "$ntfs" view C: "$path" --unit "$last" | dumped_hex > "$tmp/got-hex"
tail_bytes=$(( size - ($(clusters_of "$inode" | wc -l) - 1) * cluster_size ))
dd if="$ntfs" bs="$cluster_size" skip="$last" count=1 status=none | head -c "$tail_bytes" | file_hex > "$tmp/want-hex"
cmp -s "$tmp/want-hex" "$tmp/got-hex" || fail "view $path --unit $last: the dump is not the unit's first $tail_bytes bytes"

# A deleted fill file whose cluster a newer file took: frag.bin was written after the fill files
# went; ifind -a -d names every record that points at one of its clusters.
frag=$(ifind -n /frag.bin "$ntfs")
taken=""
for c in $(clusters_of "$frag"); do
  for owner in $(ifind -a -d "$c" "$ntfs"); do
    [ "${owner%%-*}" = "$frag" ] && continue
    IFS=$'\t' read -r path size inode < <(deleted_by_fls "$ntfs" | awk -F'\t' -v o="$owner" '$3 == o && $1 ~ /^\\fill\\/')
    [ -n "$path" ] && { taken=$path; break 2; }
  done
done
[ -n "$taken" ] || fail "no deleted fill file has a cluster in use: the fixture changed"
expect_units "$taken" "$inode"

# FAT: the dump of a one-cluster deleted file is its bytes as icat reads them.
fat=$fixtures/fat16.img
IFS=$'\t' read -r path size inode < <(deleted_by_fls "$fat" | awk -F'\t' '$1 == "\\Deleted Long Name.txt"')
"$cli" --no-devices --image "$fat" view C: "$path" > "$tmp/view"
[ "$(awk -F'\t' 'NR > 1 && NF == 2 { n++ } END { print n }' "$tmp/view")" = 1 ] || fail "view $path: not one unit"
grep -q $'\t空闲$' "$tmp/view" || fail "view $path: its cluster is not shown free"
dumped_hex < "$tmp/view" > "$tmp/got-hex"
icat "$fat" "$inode" | file_hex > "$tmp/want-hex"
cmp -s "$tmp/want-hex" "$tmp/got-hex" || fail "view $path: the dump is not the file's bytes"
echo "units, in-use marks and dumps as sleuthkit sees them"
