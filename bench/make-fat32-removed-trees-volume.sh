#!/usr/bin/env bash
# Makes the FAT32 volume on which whole folder trees were removed: mkfs.fat (768 MiB, 4 KiB
# clusters), then 50,000 files of 1 to 16 KiB of pseudo-random bytes with long names in 500
# folders, copied with mcopy in four batches between which 24 folder trees go in (a folder of 60
# files holding a folder of 40, two of them one more folder of one file: 2,402 files in 50
# folders); then 22,598 files of the other folders deleted with mdel and the 24 trees removed
# with mdeltree (25,000 deleted files). Folders of 100 long names span four clusters, those of 60
# two. The trees' folders are written in one piece: their entries first, as empty files (mtools
# grows a folder when it writes it back at the end of a run, after the data of the files copied
# in that run), then the files' bytes into those entries with mcopy -o. A copy of every file stays
# in IMAGE.files/ and the deleted ones are listed in IMAGE.deleted, so that recovered bytes can be
# compared.
set -euo pipefail
img=${1:?usage: make-fat32-removed-trees-volume.sh IMAGE}
for tool in mkfs.fat mcopy mmd mdel mdeltree python3; do
  command -v "$tool" >/dev/null || { echo "make-fat32-removed-trees-volume: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
export MTOOLS_SKIP_CHECK=1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rm -rf "$img.files" "$img.part" "$img.deleted"
# The plan: the files under IMAGE.files/, empty namesakes of the trees' files under $tmp/empty/,
# and in $tmp: batch-N (the top folders of batch N), trees-N (the tree folders made after batch
# N, parents first), deleted (the files mdel deletes) and removed (the trees' top folders).
python3 - "$img.files" "$tmp" "$img.deleted" <<'PY'
import os, random, sys
root, tmp, deleted_list = sys.argv[1:]
rng = random.Random(20261224)
number = 0

def put(folder, count, empty=None):
    global number
    names = []
    os.makedirs(os.path.join(root, folder), exist_ok=True)
    for _ in range(count):
        number += 1
        name = "IMG_%05d taken on holiday.jpg" % number
        with open(os.path.join(root, folder, name), "wb") as f:
            f.write(rng.randbytes(rng.randint(1024, 16384)))
        if empty is not None:
            os.makedirs(os.path.join(tmp, "empty", folder), exist_ok=True)
            open(os.path.join(tmp, "empty", folder, name), "wb").close()
        names.append(os.path.join(folder, name))
    return names

others, trees = 450, 24
other_files = 50000 - 2402
plain, deleted, removed = [], [], []
for t in range(trees):
    top = "Removed album %02d" % t
    tree = [(top, 60), (top + "/Second half of the trip", 40)]
    if t < 2:
        tree.append((top + "/Second half of the trip/Last one", 1))
    with open(os.path.join(tmp, "trees-%d" % (t % 3)), "a") as f:
        for folder, count in tree:
            deleted += put(folder, count, empty=True)
            f.write(folder + "\n")
    removed.append(top)
for n in range(others):
    folder = "Folder %03d of the archive" % n
    count = other_files // others + (1 if n < other_files % others else 0)
    plain += put(folder, count)
    with open(os.path.join(tmp, "batch-%d" % (n * 4 // others)), "a") as f:
        f.write(folder + "\n")
deleted_plain = rng.sample(plain, 25000 - len(deleted))
with open(os.path.join(tmp, "deleted"), "w") as f:
    f.writelines("::/" + p + "\n" for p in sorted(deleted_plain))
with open(os.path.join(tmp, "removed"), "w") as f:
    f.writelines(top + "\n" for top in removed)
with open(deleted_list, "w") as f:
    f.writelines(p + "\n" for p in sorted(deleted_plain + deleted))
PY
truncate -s 768M "$img.part"
mkfs.fat -F 32 -s 8 -n BENCH "$img.part" >/dev/null
for batch in 0 1 2 3; do
  mapfile -t folders < "$tmp/batch-$batch"
  mcopy -s -i "$img.part" "${folders[@]/#/$img.files/}" ::/
  [ -f "$tmp/trees-$batch" ] || continue
  while IFS= read -r folder; do
    mmd -i "$img.part" "::/$folder"
    mcopy -i "$img.part" "$tmp/empty/$folder"/*.jpg "::/$folder/"
  done < "$tmp/trees-$batch"
  while IFS= read -r folder; do
    files=()
    for f in "$tmp/empty/$folder"/*.jpg; do files+=("$img.files/$folder/${f##*/}"); done
    mcopy -o -i "$img.part" "${files[@]}" "::/$folder/"
  done < "$tmp/trees-$batch"
done
tr '\n' '\0' < "$tmp/deleted" | xargs -0 -n 2000 mdel -i "$img.part"
while IFS= read -r top; do mdeltree -i "$img.part" "::/$top"; done < "$tmp/removed"
mv "$img.part" "$img"
