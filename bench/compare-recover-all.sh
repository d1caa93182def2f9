#!/usr/bin/env bash
# Recovers every deleted file of a benchmark volume with tarvosk-cli, with sleuthkit's
# tsk_recover and, on NTFS, with ntfs-3g's ntfsundelete, each timed as a whole run (scan
# included) with the page cache warm, and checks once that what tarvosk-cli wrote equals the
# originals the volume script kept in IMAGE.files/ (deleted there: those IMAGE.deleted lists, or
# where there is no such list the files whose number ends in an odd digit; on exFAT the files
# IMAGE.files/deleted.txt names), and how many of them
# each tool brought back byte for byte. The recovered files go to tmpfs (/dev/shm, or OUTPUT_DIR when set): on a disk
# file system the runs measure mostly the kernel's inode allocation for 25,000 or 50,000 new
# files, which every tool pays alike.
#   compare-recover-all.sh TARVOSK_CLI IMAGE fat|ntfs|exfat
set -euo pipefail
cli=${1:?usage: compare-recover-all.sh TARVOSK_CLI IMAGE fat|ntfs|exfat} img=${2:?image} kind=${3:?fat, ntfs or exfat}
for tool in tsk_recover ntfsundelete python3; do
  command -v "$tool" >/dev/null || { echo "compare-recover-all: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
work=$(mktemp -d -p "${OUTPUT_DIR:-/dev/shm}")
trap 'rm -rf "$work"' EXIT
cat "$img" > /dev/null  # the page cache, warm for everyone

# run NAME COMMAND...: one run; its wall time and its CPU time (user and system) in seconds go
# into wall[NAME] and cpu[NAME]. On a busy machine the CPU times compare more steadily.
declare -A wall cpu
run() {
  local name=$1 real user sys
  shift
  rm -rf "${work:?}/$name"
  mkdir -p "$work/$name"
  { TIMEFORMAT='%R %U %S'; time "$@" > "$work/$name.log" 2>&1 || true; } 2> "$work/$name.time"
  read -r real user sys < "$work/$name.time"
  wall[$name]=$real
  cpu[$name]=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
  printf '%-14s wall %8.2f s  cpu %8.2f s  %7d files\n' "$name" "$real" "${cpu[$name]}" "$(find "$work/$name" -type f | wc -l)"
}
# ratio NAME: how many times longer NAME took than tarvosk, by wall and by CPU time.
ratio() {
  awk -v n="$1" -v w="${wall[$1]}" -v c="${cpu[$1]}" -v ow="${wall[tarvosk]}" -v oc="${cpu[tarvosk]}" \
    'BEGIN { printf "%s / tarvosk: wall %.2f, cpu %.2f\n", n, w / ow, c / oc }'
}

run tarvosk "$cli" --no-devices --image "$img" recover C: --all --to "$work/tarvosk"
run tsk_recover tsk_recover "$img" "$work/tsk_recover"
ratio tsk_recover
if [ "$kind" = ntfs ]; then
  run ntfsundelete sh -c "cd '$work/ntfsundelete' && ntfsundelete '$img' -u -m '*' -f -q"
  ratio ntfsundelete
fi

# Every deleted original must have come back from tarvosk-cli at its path with its bytes; and
# for every tool, how many deleted originals came back byte for byte anywhere (by content: a peer
# may name what it finds differently, sleuthkit's orphans by their short names).
python3 - "$img.files" "$work" "$kind" "$img.deleted" <<'PY'
import collections, filecmp, hashlib, os, sys
originals, work, kind, listed = sys.argv[1:]
# On exFAT a file written in turn with a partner that was deleted too has another file's free
# clusters between its pieces: counted apart, since no tool can tell them from its own.
mixed = []
if kind == "exfat":
    deleted = []
    for line in open(os.path.join(originals, "deleted.txt"), encoding="utf-8"):
        path, state = line.rstrip("\n").split("\t")
        (mixed if state == "mixed" else deleted).append(path)
elif os.path.exists(listed):
    deleted = [line.rstrip("\n") for line in open(listed, encoding="utf-8") if line.strip()]
else:
    # The volume scripts that keep no list deleted the files whose number ends in an odd digit.
    deleted = [os.path.join(folder, name)
               for folder in sorted(os.listdir(originals)) if folder.startswith("d")
               for name in sorted(os.listdir(os.path.join(originals, folder)))
               if os.path.splitext(name)[0][-1] in "13579"]

def key(path):
    # FAT 8.3 names may come back in upper case ("D0" for d0), and a deleted 8.3 entry with its
    # lost first letter as "_".
    if kind != "fat":
        return path
    parts = path.lower().split(os.sep)
    parts[-1] = parts[-1][1:]
    return os.sep.join(parts)

def files_under(top):
    for folder, _, names in os.walk(top):
        for name in names:
            yield os.path.join(folder, name)

def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).digest()

recovered = os.path.join(work, "tarvosk")
got = {key(os.path.relpath(p, recovered)): p for p in files_under(recovered)}
missing = wrong = 0
for path in deleted:
    mine = got.get(key(path))
    if mine is None:
        missing += 1
    elif not filecmp.cmp(os.path.join(originals, path), mine, shallow=False):
        wrong += 1
print(f"checked {len(deleted)} deleted originals: {missing} missing, {wrong} with other bytes")
if mixed:
    differ = sum(1 for path in mixed if path not in got or
                 not filecmp.cmp(os.path.join(originals, path), got[path], shallow=False))
    print(f"{differ} of {len(mixed)} whose partner went too differ")

wanted = collections.Counter(digest(os.path.join(originals, p)) for p in deleted)
for tool in ("tarvosk", "tsk_recover", "ntfsundelete"):
    if not os.path.isdir(os.path.join(work, tool)):
        continue
    found = collections.Counter(digest(p) for p in files_under(os.path.join(work, tool)))
    back = sum(min(n, found[d]) for d, n in wanted.items())
    print(f"{tool:<14} brought back {back} of {len(deleted)} deleted originals byte for byte ({100 * back / len(deleted):.1f} %)")
sys.exit(1 if missing or wrong or not deleted else 0)
PY
