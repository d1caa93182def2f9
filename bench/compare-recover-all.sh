#!/usr/bin/env bash
# Recovers every deleted file of a benchmark volume with tarvosk-cli, with sleuthkit's
# tsk_recover and, on NTFS, with ntfs-3g's ntfsundelete, each timed as a whole run (scan
# included) with the page cache warm, and checks once that what tarvosk-cli wrote equals the
# originals the volume script kept in IMAGE.files/ (deleted there: the files whose number ends in
# an odd digit; on exFAT the files IMAGE.files/deleted.txt names). The recovered files go to tmpfs (/dev/shm, or OUTPUT_DIR when set): on a disk
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

# Every deleted original must have come back with its bytes.
python3 - "$img.files" "$work/tarvosk" "$kind" <<'PY'
import filecmp, os, sys
originals, recovered, kind = sys.argv[1:]
checked = wrong = missing = 0
if kind == "exfat":
    # A file written in turn with a partner that was deleted too has another file's free
    # clusters between its pieces: counted apart, since no tool can tell them from its own.
    mixed = mixed_wrong = 0
    for line in open(os.path.join(originals, "deleted.txt")):
        path, state = line.rstrip("\n").split("\t")
        got = os.path.join(recovered, path)
        same = os.path.isfile(got) and filecmp.cmp(os.path.join(originals, path), got, shallow=False)
        if state == "mixed":
            mixed += 1
            mixed_wrong += not same
            continue
        checked += 1
        missing += not os.path.isfile(got)
        wrong += os.path.isfile(got) and not same
    print(f"checked {checked} deleted originals: {missing} missing, {wrong} with other bytes;"
          f" {mixed_wrong} of {mixed} whose partner went too differ")
    sys.exit(1 if missing or wrong or checked == 0 else 0)
for folder in sorted(os.listdir(originals)):
    if not folder.startswith("d"):
        continue
    got = {}
    # FAT 8.3 names may come back in upper case ("D0" for d0).
    out = next((os.path.join(recovered, f) for f in os.listdir(recovered) if f.lower() == folder), "")
    if os.path.isdir(out):
        for name in os.listdir(out):
            # A FAT 8.3 entry comes back with its lost first letter as "_".
            got[name.lower()[1:] if kind == "fat" else name] = os.path.join(out, name)
    for name in os.listdir(os.path.join(originals, folder)):
        stem = os.path.splitext(name)[0]
        if stem[-1] not in "13579":
            continue
        key = name.lower()[1:] if kind == "fat" else name
        checked += 1
        if key not in got:
            missing += 1
        elif not filecmp.cmp(os.path.join(originals, folder, name), got[key], shallow=False):
            wrong += 1
print(f"checked {checked} deleted originals: {missing} missing, {wrong} with other bytes")
sys.exit(1 if missing or wrong or checked == 0 else 0)
PY
