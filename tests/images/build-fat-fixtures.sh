#!/usr/bin/env bash
# Builds the FAT12, FAT16 and FAT32 volumes that the FAT reader's tests walk, with real tools
# only (mkfs.fat, mtools), and writes next to each image what sleuthkit and fsck.fat say is on
# it: IMG.fls (fls -r -p -l), IMG.istat (one line per entry: inode and its sectors, from
# istat), IMG.fsstat and IMG.fsck (fsck.fat -n -v). Cached in the folder given; rebuilt when
# this script changes. A missing tool is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-fat-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set fat "$here/build-fat-fixtures.sh" "$out"

need_tools mkfs.fat fsck.fat mcopy mmd mdel mdeltree fls istat fsstat truncate head sha256sum

make_scratch
export MTOOLS_SKIP_CHECK=1
# mtools reads non-ASCII file names in the locale's character set.
export LC_ALL=C.UTF-8

# The files copied onto every volume.
src="$tmp/src"
mkdir -p "$src/Many" "$src/Projects/Alpha/Beta" "$src/Old/Inner"
printf 'Tarvosk fixture file\r\n' > "$src/readme.txt"
head -c 5000 /dev/urandom > "$src/a.bin"
head -c 5000 /dev/urandom > "$src/b.bin"
head -c 70000 /dev/urandom > "$src/big.bin"
head -c 333333 /dev/urandom > "$src/copied.bin"
for i in $(seq -w 1 150); do printf 'entry %s\r\n' "$i" > "$src/Many/file number $i.dat"; done
printf 'deep\r\n' > "$src/Projects/Alpha/Beta/deep.txt"
printf 'alpha notes\r\n' > "$src/Projects/Alpha/Alpha notes.txt"
printf 'old\r\n' > "$src/Old/Inner/OLDFILE.TXT"
printf 'old long\r\n' > "$src/Old/An old long name.txt"

# fill_volume IMAGE: the same tree on every volume, then part of it deleted.
fill_volume() {
  local img=$1
  mcopy -i "$img" "$src/readme.txt" ::/README
  mmd -i "$img" ::/DIR.EXT
  mcopy -i "$img" "$src/readme.txt" ::/TEST.TXT
  mcopy -i "$img" "$src/readme.txt" "::/Long File Name Document.txt"
  mcopy -i "$img" "$src/readme.txt" "::/中文文件名.txt"
  mcopy -i "$img" "$src/readme.txt" "::/寿司店菜单.txt"
  mcopy -i "$img" "$src/readme.txt" "::/abcdefghij.tx"
  mcopy -i "$img" "$src/readme.txt" "::/Deleted Long Name.txt"
  mcopy -i "$img" "$src/readme.txt" "::/已删除的文件.txt"
  mcopy -i "$img" "$src/a.bin" ::/A.BIN
  mcopy -i "$img" "$src/b.bin" ::/B.BIN
  mcopy -s -i "$img" "$src/Many" ::/
  mcopy -s -i "$img" "$src/Projects" ::/
  mcopy -s -i "$img" "$src/Old" ::/
  mdel -i "$img" ::/B.BIN
  # Copied after B.BIN went: its chain may fill the gap and continue elsewhere.
  mcopy -i "$img" "$src/big.bin" ::/BIG.BIN
  mcopy -i "$img" "$src/copied.bin" "::/Projects/Copied data.bin"
  mdel -i "$img" ::/TEST.TXT
  mdel -i "$img" "::/Deleted Long Name.txt"
  mdel -i "$img" "::/已删除的文件.txt"
  mdel -i "$img" "::/Many/file number 007.dat"
  mdeltree -i "$img" ::/Old
}

# oracle IMAGE: what sleuthkit and fsck.fat see on it.
oracle() {
  local img=$1
  fls -r -p -l "$img" > "$img.fls"
  fsstat "$img" > "$img.fsstat"
  fsck.fat -n -v "$img" > "$img.fsck" 2>>"$log" || true
  grep -q 'clusters' "$img.fsck" || { echo "build-fat-fixtures: fsck.fat gave no cluster count for $img" >&2; exit 1; }
  : > "$img.istat"
  local inode
  for inode in $(awk -F'\t' '$1 ~ /^[rd]\/[rd]/ { sub(/^[rd]\/[rd] (\* )?/, "", $1); sub(/[^0-9].*$/, "", $1); print $1 }' "$img.fls"); do
    printf '%s\t%s\n' "$inode" "$(istat "$img" "$inode" | awk 'f { for (i = 1; i <= NF; i++) if ($i != "0") printf "%s ", $i } /^Sectors:/ { f = 1 }')" >> "$img.istat"
  done
}

# make_volume NAME SIZE_MIB FAT_BITS SECTORS_PER_CLUSTER LABEL
make_volume() {
  local img="$out/$1"
  rm -f "$img" "$img".*
  truncate -s "$2M" "$img"
  mkfs.fat -F "$3" -s "$4" -n "$5" "$img" >>"$log" 2>&1
  fill_volume "$img" >>"$log" 2>&1
  oracle "$img"
}

make_volume fat12.img 4 12 2 FAT12VOL
make_volume fat16.img 32 16 4 FAT16VOL
make_volume fat16-s1.img 20 16 1 FAT16ONE
make_volume fat32-s1.img 40 32 1 FAT32ONE
make_volume fat32-s4.img 150 32 4 FAT32FOUR
# The bytes of the file copied in, for reading back through the volume file view.
cp "$src/copied.bin" "$out/fat-copied.bin"

end_fixture_set
