#!/usr/bin/env bash
# Builds the volumes the search tests look through, with real tools only.
#   search-fat.img   FAT16 (mkfs.fat, mtools), every file deleted: "root file.txt" in the root;
#                    "deep file.txt" in A\B; Sizes with files of 1,000, 1,536 and 3,145,728
#                    bytes; two folders named Twin side by side, the first live and empty, the
#                    second deleted with "old twin.txt" in it.
#   search-1g.img    FAT32 of 1 GiB (4 KiB clusters): "first needle.txt" and "last needle.txt"
#                    hold the word needle, "zeros.bin", 390 MiB of zeros, lies between them;
#                    all deleted. The zeros are dug out again, so the image stays sparse.
# Cached; rebuilt when this script changes. A missing tool is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-search-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set search "$here/build-search-fixtures.sh" "$out"

need_tools mkfs.fat mcopy mmd mdel mdeltree fallocate truncate fls
make_scratch
export MTOOLS_SKIP_CHECK=1 LC_ALL=C.UTF-8

# ---- FAT16 -------------------------------------------------------------------------------------
img="$out/search-fat.img"
rm -f "$img"
truncate -s 32M "$img"
mkfs.fat -F 16 -s 4 -n SEARCH "$img" >>"$log" 2>&1 || fail "mkfs.fat failed"
mmd -i "$img" ::/A ::/A/B ::/Sizes ::/Pad ::/Twin
put() {  # put TEXT_OR_SIZE FOLDER NAME
  if [[ $1 =~ ^[0-9]+$ ]]; then head -c "$1" /dev/urandom > "$tmp/file"; else printf '%s\r\n' "$1" > "$tmp/file"; fi
  mcopy -i "$img" "$tmp/file" "::/$2/$3"
}
put root "" "root file.txt"
put deep A/B "deep file.txt"
for n in 1000 1536 3145728; do put "$n" Sizes "size of $n.bin"; done
put old Twin "old twin.txt"
mdel -i "$img" "::/root file.txt" "::/A/B/deep file.txt" "::/Sizes/*" "::/Twin/old twin.txt"
mdeltree -i "$img" ::/Pad ::/Twin
# A live Twin takes the first free directory slot, Pad's, before the deleted Twin, and the first
# free cluster, Pad's again: the deleted Twin keeps its entry and its folder data.
mmd -i "$img" ::/Twin
fls -r -p "$img" > "$tmp/fls"
grep -q '^d/d [0-9]*:	Twin$' "$tmp/fls" || fail "search-fat.img has no live Twin"
grep -q '^r/r \* [0-9]*:	Twin/old twin.txt$' "$tmp/fls" || fail "old twin.txt is not in the deleted Twin of search-fat.img"

# ---- FAT32 of 1 GiB ----------------------------------------------------------------------------
img="$out/search-1g.img"
rm -f "$img"
truncate -s 1G "$img"
mkfs.fat -F 32 -s 8 -n NEEDLES "$img" >>"$log" 2>&1 || fail "mkfs.fat failed"
printf 'a needle in the first file\r\n' > "$tmp/first needle.txt"
printf 'a needle in the last file\r\n' > "$tmp/last needle.txt"
# 99,840 clusters: just below the most a content search reads of one FAT file.
truncate -s 390M "$tmp/zeros.bin"
mcopy -i "$img" "$tmp/first needle.txt" ::/
mcopy -i "$img" "$tmp/zeros.bin" ::/
mcopy -i "$img" "$tmp/last needle.txt" ::/
mdel -i "$img" "::/*"
fallocate --dig-holes "$img" || fail "fallocate could not make search-1g.img sparse"

end_fixture_set
