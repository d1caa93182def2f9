#!/usr/bin/env bash
# Builds the disk images the tests read, with real tools only: mkfs.fat and mtools for FAT,
# mkntfs and ntfscp for NTFS, sfdisk for partition tables. Images are cached in the folder given
# and rebuilt when this script changes. A missing tool is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-platform-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set platform "$here/build-platform-fixtures.sh" "$out"

need_tools mkfs.fat mcopy mmd mdel mkntfs ntfscp sfdisk truncate dd

make_scratch
export MTOOLS_SKIP_CHECK=1

# Files put on the volumes, so that the images hold real directory entries.
printf 'Tarvosk fixture file\r\n' > "$tmp/readme.txt"
head -c 70000 /dev/urandom > "$tmp/data.bin"

# make_ntfs FILE SIZE_MIB [PARTITION_START_SECTOR]
make_ntfs() {
  truncate -s "$2M" "$1"
  mkntfs -q -F -Q -L NTFSVOL -p "${3:-0}" -H 255 -S 63 "$1" >>"$log" 2>&1
  ntfscp -q -f "$1" "$tmp/readme.txt" readme.txt >/dev/null
}

# Bare FAT32 volume: 40 MiB, one sector per cluster (well above the 65525-cluster threshold).
rm -f "$out/fat32.img"
truncate -s 40M "$out/fat32.img"
mkfs.fat -F 32 -s 1 -n FAT32VOL "$out/fat32.img" >>"$log" 2>&1
mmd -i "$out/fat32.img" ::/DOCS
mcopy -i "$out/fat32.img" "$tmp/readme.txt" ::/DOCS/README.TXT
mcopy -i "$out/fat32.img" "$tmp/data.bin" ::/DATA.BIN
mcopy -i "$out/fat32.img" "$tmp/data.bin" ::/GONE.BIN
mdel -i "$out/fat32.img" ::/GONE.BIN

# Bare NTFS volume: 16 MiB.
rm -f "$out/ntfs.img"
make_ntfs "$out/ntfs.img" 16

# MBR disk: a FAT16 partition (type 0x06) and an NTFS partition (type 0x07).
rm -f "$out/mbr.img"
truncate -s 96M "$out/mbr.img"
sfdisk -q "$out/mbr.img" <<'TABLE'
label: dos
start=2048, size=65536, type=6
start=67584, size=126976, type=7
TABLE
mkfs.fat -F 16 -n FAT16VOL --offset 2048 -h 2048 "$out/mbr.img" 32768 >>"$log" 2>&1
mcopy -i "$out/mbr.img@@1048576" "$tmp/readme.txt" ::/README.TXT
make_ntfs "$tmp/part2.img" 62 67584
dd if="$tmp/part2.img" of="$out/mbr.img" bs=512 seek=67584 conv=notrunc status=none

# MBR disk with an extended partition: a FAT12 primary and two FAT16 logical drives.
rm -f "$out/extended.img"
truncate -s 64M "$out/extended.img"
sfdisk -q "$out/extended.img" <<'TABLE'
label: dos
start=2048, size=8192, type=1
start=10240, size=120832, type=5
start=12288, size=49152, type=6
start=63488, size=65536, type=6
TABLE
mkfs.fat -F 12 -n FAT12VOL --offset 2048 -h 2048 "$out/extended.img" 4096 >>"$log" 2>&1
mkfs.fat -F 16 -n LOGICAL1 --offset 12288 -h 12288 "$out/extended.img" 24576 >>"$log" 2>&1
mkfs.fat -F 16 -n LOGICAL2 --offset 63488 -h 63488 "$out/extended.img" 32768 >>"$log" 2>&1

# GPT disk: one basic data partition holding FAT32.
rm -f "$out/gpt.img"
truncate -s 64M "$out/gpt.img"
sfdisk -q "$out/gpt.img" <<'TABLE'
label: gpt
start=2048, size=86016, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7
TABLE
mkfs.fat -F 32 -s 1 -n GPTFAT32 --offset 2048 -h 2048 "$out/gpt.img" 43008 >>"$log" 2>&1
mcopy -i "$out/gpt.img@@1048576" "$tmp/readme.txt" ::/README.TXT

# Disks whose partition type and contents disagree, for the scan's failure paths: an NTFS-typed
# partition never formatted, a FAT volume in a Linux-typed partition, a FAT volume in an
# NTFS-typed partition, a FAT volume in a partition typed as extended.
for case in unformatted:7:none oddtype:83:fat ntfstyped:7:fat extendedtyped:5:fat; do
  IFS=: read -r name type fs <<<"$case"
  rm -f "$out/$name.img"
  truncate -s 32M "$out/$name.img"
  printf 'label: dos\nstart=2048, type=%s\n' "$type" | sfdisk -q "$out/$name.img"
  if [ "$fs" = fat ]; then
    mkfs.fat -F 16 -n "$(echo "$name" | tr a-z A-Z | cut -c1-11)" --offset 2048 -h 2048 "$out/$name.img" 15360 >>"$log" 2>&1
  fi
done

# A 3 TiB disk that holds nothing: sparse, so it takes no space.
rm -f "$out/sparse-3tib.img"
truncate -s 3T "$out/sparse-3tib.img"

end_fixture_set
