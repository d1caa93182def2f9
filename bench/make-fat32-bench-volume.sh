#!/usr/bin/env bash
# Makes the FAT32 volume the scan, recovery and search benchmarks read: mkfs.fat (4 KiB
# clusters), then with one mcopy 50,000 files of 1 to 16 KiB of pseudo-random bytes in 50
# folders of 1,000, then with mdel the half of them whose number ends in an odd digit. The
# deleted files' clusters stay free and hold their data. A copy of every file stays in
# IMAGE.files/ so that recovered bytes can be compared.
set -euo pipefail
img=${1:?usage: make-fat32-bench-volume.sh IMAGE [FILES]}
files=${2:-50000}
for tool in mkfs.fat mcopy mdel python3; do
  command -v "$tool" >/dev/null || { echo "make-fat32-bench-volume: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
export MTOOLS_SKIP_CHECK=1
rm -rf "$img.files" "$img.part"
python3 - "$img.files" "$files" <<'PY'
import os, random, sys
root, files = sys.argv[1], int(sys.argv[2])
rng = random.Random(20261209)
for n in range(files):
    folder = os.path.join(root, "d%d" % (n // 1000))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%05d.bin" % n), "wb") as f:
        f.write(rng.randbytes(rng.randint(1024, 16384)))
PY
truncate -s 1G "$img.part"
mkfs.fat -F 32 -s 8 -n BENCH "$img.part" >/dev/null
mcopy -s -i "$img.part" "$img.files"/d* ::/
for d in "$img.files"/d*; do
  mdel -i "$img.part" "::/$(basename "$d")/*[13579].bin"
done
mv "$img.part" "$img"
