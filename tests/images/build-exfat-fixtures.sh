#!/usr/bin/env bash
# Builds the exFAT volumes the exFAT reader's tests read, with real tools only: mkfs.exfat
# (exfatprogs) makes them, and they are filled through an exfat-fuse mount of a loop device
# (root, /dev/fuse and a free loop device are needed; exfat-fuse wants a block device):
#  - exfat-4k.img (4 KiB clusters): long and Chinese names, nested folders, a folder whose sets
#    span several clusters, contiguous files, a JPEG made by cjpeg, a file whose clusters
#    alternate with another file's (a FAT chain), then files, the fragmented file and a folder
#    tree deleted;
#  - exfat-4k-reused.img: the same volume after a new file filled its free space, taking the
#    clusters of every deleted file;
#  - exfat-512.img (512-byte clusters): a folder whose sets cross many cluster ends, some
#    deleted, and a deleted contiguous file;
#  - exfat-32k.img (32 KiB clusters): deleted contiguous files and a deleted Chinese name;
#  - exfat-mbr.img and exfat-gpt.img: disks with an MBR (type 0x07) and a GPT (basic data)
#    partition holding an exFAT volume; the MBR one keeps a file in its recycle folder (INFO2
#    made here: no tool writes it).
# The files put on the volumes are kept beside them (exfat-files/). Next to each volume:
# IMG.fls (fls -r -p -l) and IMG.dump (dump.exfat, with the free and total cluster counts).
# Cached; rebuilt when this script changes. A missing tool, a FUSE mount or a loop device that
# does not work is a failure, never a skip.
set -euo pipefail

out=${1:?usage: build-exfat-fixtures.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/fixture-set.sh"
begin_fixture_set exfat "$here/build-exfat-fixtures.sh" "$out"

need_tools mkfs.exfat dump.exfat mount.exfat-fuse losetup fusermount mountpoint fls istat ifind cjpeg convert sfdisk \
  truncate dd head cmp sha256sum python3
[ -c /dev/fuse ] || fail "/dev/fuse is missing: exfat-fuse cannot mount the volumes"
[ "$(id -u)" -eq 0 ] || fail "exfat-fuse mounts of loop devices need root here"

make_scratch
loop=""
exfat_cleanup() {
  if mountpoint -q "$mnt" 2>/dev/null; then umount "$mnt" 2>/dev/null || fusermount -u "$mnt" 2>/dev/null || true; fi
  if [ -n "$loop" ]; then losetup -d "$loop" 2>/dev/null || true; fi
  scratch_cleanup
}
trap exfat_cleanup EXIT

# mount_volume FILE [OFFSET SIZE]: attaches the volume (at OFFSET bytes, SIZE long) read-write to
# a loop device and mounts it through exfat-fuse at $mnt.
mount_volume() {
  local window=()
  [ $# -eq 3 ] && window=(--offset "$2" --sizelimit "$3")
  loop=$(losetup --find --show "${window[@]}" "$1" 2>>"$log") || fail "losetup found no free loop device for $1"
  mount.exfat-fuse "$loop" "$mnt" >>"$log" 2>&1 || fail "exfat-fuse could not mount $1 (see $log)"
  mountpoint -q "$mnt" || fail "the exfat-fuse mount of $1 did not appear"
}
unmount_volume() {
  sync
  umount "$mnt" || fail "could not unmount the volume"
  losetup -d "$loop" || fail "could not detach $loop"
  loop=""
}

# make_volume FILE SIZE_MIB CLUSTER_BYTES LABEL: a fresh volume, mounted.
make_volume() {
  rm -f "$1" "$1".*
  truncate -s "$2M" "$1"
  mkfs.exfat -c "$3" -L "$4" "$1" >>"$log" 2>&1 || fail "mkfs.exfat failed on $1 (see $log)"
  mount_volume "$1"
}

# oracle FILE: what sleuthkit and exfatprogs see on the volume.
oracle() {
  fls -r -p -l "$1" > "$1.fls" 2>>"$log" || fail "fls failed on $1"
  dump.exfat "$1" > "$1.dump" 2>>"$log" || fail "dump.exfat failed on $1"
  grep -q 'Free Clusters' "$1.dump" || fail "dump.exfat gave no free cluster count for $1"
}

# sectors_of FILE PATH: the sectors sleuthkit sees holding a file, one a line.
sectors_of() {
  istat "$1" "$(ifind -n "$2" "$1")" | sed -n '/^Sectors:/,$p' | tail -n +2 | tr ' ' '\n' | grep -v '^0*$' | grep .
}

files="$out/exfat-files"
rm -rf "$files"
mkdir -p "$files"

# The originals, made first on the host.
printf 'Tarvosk exFAT fixture\r\n' > "$files/readme.txt"
printf '中文内容\r\n' > "$files/report.txt"
printf 'deep file\r\n' > "$files/deep.txt"
head -c 200000 /dev/urandom > "$files/contig.bin"
head -c 9000 /dev/urandom > "$files/small.bin"
head -c 40960 /dev/urandom > "$files/frag.bin"
head -c 40960 /dev/urandom > "$files/filler.bin"
head -c 700000 /dev/urandom > "$files/big32k.bin"
convert -seed 11 -size 320x240 plasma:fractal -depth 8 "$tmp/photo.ppm" >>"$log" 2>&1
cjpeg -quality 85 -outfile "$files/photo.jpg" "$tmp/photo.ppm" >>"$log" 2>&1

# --- 4 KiB clusters: the main volume.
img="$out/exfat-4k.img"
make_volume "$img" 32 4096 CARD
cp "$files/readme.txt" "$mnt/readme.txt"
cp "$files/contig.bin" "$mnt/contig.bin"
cp "$files/small.bin" "$mnt/A rather long file name that needs four name entries to hold it.bin"
cp "$files/photo.jpg" "$mnt/已删除的照片.jpg"
mkdir -p "$mnt/中文文件夹" "$mnt/Projects/Alpha/Beta" "$mnt/Many" "$mnt/Old/Inner"
cp "$files/report.txt" "$mnt/中文文件夹/报告.txt"
cp "$files/deep.txt" "$mnt/Projects/Alpha/Beta/deep.txt"
cp "$files/small.bin" "$mnt/Projects/Alpha/gone.bin"
for i in $(seq -w 1 120); do printf 'entry %s\r\n' "$i" > "$mnt/Many/file number $i.dat"; done
printf 'old\r\n' > "$mnt/Old/Inner/old.txt"
cp "$files/readme.txt" "$mnt/Old/An old long name.txt"
cp "$files/small.bin" "$mnt/Old/old.bin"
# frag.bin and filler.bin grow a cluster at a time in turn, so that their clusters alternate:
# each becomes a FAT chain.
for i in $(seq 0 9); do
  dd if="$files/frag.bin" of="$mnt/frag.bin" bs=4096 skip="$i" seek="$i" count=1 conv=notrunc status=none
  dd if="$files/filler.bin" of="$mnt/filler.bin" bs=4096 skip="$i" seek="$i" count=1 conv=notrunc status=none
  sync
done
unmount_volume
sectors_of "$img" /frag.bin > "$tmp/frag.sectors"
awk 'NR > 1 && $1 != prev + 1 { jumps++ } { prev = $1 } END { exit !(jumps >= 5) }' "$tmp/frag.sectors" \
  || fail "frag.bin is not fragmented on $img"
mount_volume "$img"
rm "$mnt/contig.bin" "$mnt/frag.bin" "$mnt/已删除的照片.jpg" "$mnt/A rather long file name that needs four name entries to hold it.bin"
rm "$mnt/Projects/Alpha/gone.bin" "$mnt/Many/file number 007.dat" "$mnt/Many/file number 050.dat" "$mnt/Many/file number 099.dat"
rm -r "$mnt/Old"
unmount_volume
oracle "$img"

# The same volume after a new file took every free cluster, those of the deleted files among them.
reused="$out/exfat-4k-reused.img"
cp "$img" "$reused"
mount_volume "$reused"
dd if=/dev/zero of="$mnt/newer.bin" bs=64k status=none 2>/dev/null || true
unmount_volume
sectors_of "$reused" /newer.bin > "$tmp/newer.sectors"
grep -qx "$(head -n 1 "$tmp/frag.sectors")" "$tmp/newer.sectors" || fail "newer.bin did not take frag.bin's first cluster"
oracle "$reused"

# --- 512-byte clusters: sets that cross many cluster ends.
img="$out/exfat-512.img"
make_volume "$img" 8 512 SMALL
mkdir "$mnt/Many"
# Sets of six entries (192 bytes): every few sets one crosses a cluster end.
for i in $(seq -w 1 60); do printf 'small entry %s\r\n' "$i" > "$mnt/Many/a somewhat longer name of the file number $i.txt"; done
cp "$files/contig.bin" "$mnt/contig.bin"
rm "$mnt/contig.bin" "$mnt/Many/a somewhat longer name of the file number 13.txt" \
  "$mnt/Many/a somewhat longer name of the file number 31.txt"
unmount_volume
oracle "$img"

# --- 32 KiB clusters.
img="$out/exfat-32k.img"
make_volume "$img" 64 32768 BIGCLUSTERS
cp "$files/big32k.bin" "$mnt/big32k.bin"
cp "$files/photo.jpg" "$mnt/photo.jpg"
cp "$files/report.txt" "$mnt/报告.txt"
cp "$files/readme.txt" "$mnt/readme.txt"
rm "$mnt/big32k.bin" "$mnt/photo.jpg" "$mnt/报告.txt"
unmount_volume
oracle "$img"

# --- Partitioned disks: an exFAT volume at 1 MiB, in an MBR partition of type 0x07 and in a
# GPT basic data partition.
partitioned() {
  local disk="$out/$1" table=$2
  rm -f "$disk" "$disk".*
  truncate -s 12M "$disk"
  printf '%s\n' "$table" | sfdisk -q "$disk" >>"$log" 2>&1 || fail "sfdisk could not partition $disk"
  local window=(1048576 $((8 * 1024 * 1024)))
  loop=$(losetup --find --show --offset "${window[0]}" --sizelimit "${window[1]}" "$disk" 2>>"$log") \
    || fail "losetup found no free loop device for $disk"
  mkfs.exfat -L "$3" "$loop" >>"$log" 2>&1 || fail "mkfs.exfat failed on $disk's partition"
  losetup -d "$loop"
  loop=""
  mount_volume "$disk" "${window[@]}"
  cp "$files/readme.txt" "$mnt/readme.txt"
  cp "$files/small.bin" "$mnt/gone.bin"
  rm "$mnt/gone.bin"
  if [ "$4" = recycled ]; then
    # A 280-byte INFO2 record: C:\old notes.txt, record 1 of drive C, kept as Dc1.txt.
    mkdir "$mnt/Recycled"
    python3 - "$mnt/Recycled/INFO2" <<'PY'
import struct, sys
record = bytearray(280)
path = b"C:\\old notes.txt"
record[:len(path)] = path
struct.pack_into("<II", record, 260, 1, 2)
header = bytearray(20)
struct.pack_into("<I", header, 12, 280)
open(sys.argv[1], "wb").write(header + record)
PY
    cp "$files/report.txt" "$mnt/Recycled/Dc1.txt"
  fi
  unmount_volume
}
partitioned exfat-mbr.img "$(printf 'label: dos\nstart=2048, size=16384, type=7')" MBRCARD recycled
partitioned exfat-gpt.img "$(printf 'label: gpt\nstart=2048, size=16384, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7')" GPTCARD plain

end_fixture_set
