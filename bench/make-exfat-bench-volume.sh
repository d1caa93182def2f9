#!/usr/bin/env bash
# Makes the exFAT volume the exFAT scan and recovery benchmarks read, as messy as a camera card
# that has seen use: mkfs.exfat (4 KiB clusters, 1 GiB), then through an exfat-fuse mount of a
# loop device 50,000 files of 1 to 16 KiB of pseudo-random bytes in 500 folders (20 folders of
# 24 subfolders each, 100 files a folder), written across the folders in mixed order; one file
# in twenty grows a cluster at a time in turn with a partner that stays, so that both become FAT
# chains; then a whole folder tree and three subfolders are removed and single files deleted
# until half of the files are gone. A copy of every file stays in IMAGE.files/, and
# IMAGE.files/deleted.txt names the deleted ones ("mixed" when its partner went too). Needs root, /dev/fuse and a free loop device.
set -euo pipefail
img=${1:?usage: make-exfat-bench-volume.sh IMAGE}
for tool in mkfs.exfat mount.exfat-fuse losetup python3; do
  command -v "$tool" >/dev/null || { echo "make-exfat-bench-volume: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
mnt=$(mktemp -d)
loop=""
cleanup() {
  if mountpoint -q "$mnt" 2>/dev/null; then umount "$mnt" || true; fi
  if [ -n "$loop" ]; then losetup -d "$loop" || true; fi
  rmdir "$mnt"
}
trap cleanup EXIT
rm -rf "$img.files" "$img.part"
truncate -s 1G "$img.part"
mkfs.exfat -c 4096 -L BENCH "$img.part" >/dev/null
loop=$(losetup --find --show "$img.part")
mount.exfat-fuse "$loop" "$mnt"
python3 - "$img.files" "$mnt" <<'PY'
import os, random, shutil, sys
keep, mnt = sys.argv[1], sys.argv[2]
rng = random.Random(20261209)
CLUSTER = 4096
folders = ["t%02d/s%02d" % (t, s) for t in range(20) for s in range(24)] + ["t%02d" % t for t in range(20)]
files = [(folder, "f%05d.bin" % n) for n, folder in enumerate(f for f in folders for _ in range(100))]
for folder in folders:
    os.makedirs(os.path.join(mnt, folder), exist_ok=True)
    os.makedirs(os.path.join(keep, folder), exist_ok=True)
data = {f: rng.randbytes(rng.randint(1024, 16384)) for f in files}
for f, d in data.items():
    with open(os.path.join(keep, *f), "wb") as out:
        out.write(d)
order = files[:]
rng.shuffle(order)
# One file in twenty is written a cluster at a time in turn with the next file of the order.
partners = {}
i = 0
while i < len(order):
    a = order[i]
    if i + 1 < len(order) and rng.random() < 0.05:
        b = order[i + 1]
        partners[a], partners[b] = b, a
        with open(os.path.join(mnt, *a), "wb") as fa, open(os.path.join(mnt, *b), "wb") as fb:
            for at in range(0, max(len(data[a]), len(data[b])), CLUSTER):
                for f, out in ((a, fa), (b, fb)):
                    if at < len(data[f]):
                        out.write(data[f][at:at + CLUSTER])
                        out.flush()
        i += 2
        continue
    with open(os.path.join(mnt, *a), "wb") as out:
        out.write(data[a])
    i += 1
os.sync()
# Whole trees: folder t07 with its 24 subfolders, and three subfolders elsewhere.
deleted = []
for tree in ["t07", "t02/s05", "t11/s17", "t15/s00"]:
    deleted += [f for f in files if f[0] == tree or f[0].startswith(tree + "/")]
    shutil.rmtree(os.path.join(mnt, tree))
gone = set(deleted)
# Single files until half are gone; of two files written in turn at most one goes, so that the
# free clusters between a deleted file's pieces are its own.
candidates = [f for f in files if f not in gone]
rng.shuffle(candidates)
for f in candidates:
    if len(gone) >= len(files) // 2:
        break
    if f in partners and partners[f] in gone:
        continue
    os.remove(os.path.join(mnt, *f))
    gone.add(f)
    deleted.append(f)
# A deleted file written in turn with a partner that went too (in a removed tree) is marked:
# between its pieces lie free clusters of another file, and no tool can tell them apart.
with open(os.path.join(keep, "deleted.txt"), "w") as out:
    for f in deleted:
        mixed = f in partners and partners[f] in gone
        out.write("%s/%s\t%s\n" % (f[0], f[1], "mixed" if mixed else "own"))
PY
sync
umount "$mnt"
losetup -d "$loop"
loop=""
mv "$img.part" "$img"
