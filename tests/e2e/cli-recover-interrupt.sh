#!/usr/bin/env bash
# Ctrl-C typed on the terminal (util-linux script gives tarvosk-cli one) while recover copies a
# deleted 3 GiB file: the command stops within that file and exits 130, the file's partial output
# is gone, the file recovered before it stays, and the log ends with the cut line and a line that
# says the job was cancelled with the two files left. The target folder does not exist
# beforehand: recover makes it, parents included; a folder inside the volume being read is refused.
set -euo pipefail
cli=$1 fixtures=$2
command -v script >/dev/null || { echo "script (util-linux) is missing"; exit 1; }
tmp=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$tmp"' EXIT
fail() { echo "$*"; exit 1; }
image=$fixtures/recover-long.img
out=$tmp/new/deeper

status=0
"$cli" --no-devices --image "$image" recover C: --all --to 'C:\out' 2> "$tmp/err" || status=$?
[ "$status" -eq 1 ] && grep -q '目标文件夹位于被读取的驱动器上' "$tmp/err" || fail "a target inside the source was not refused: $status $(cat "$tmp/err")"

mkfifo "$tmp/keys"
script -q -e -c "'$cli' --no-devices --image '$image' recover C: --all --to '$out'" /dev/null < "$tmp/keys" > "$tmp/screen" &
pid=$!
exec 3> "$tmp/keys"
for _ in $(seq 1 300); do
  [ -s "$out/long.bin" ] && break
  sleep 0.05
done
[ -s "$out/long.bin" ] || fail "the copy of long.bin never started: $(cat "$tmp/screen")"
printf '\003' >&3
status=0
wait "$pid" || status=$?
[ "$status" -eq 130 ] || fail "the interrupted recovery ended with status $status"
[ ! -e "$out/long.bin" ] || fail "the partial long.bin was left behind ($(stat -c %s "$out/long.bin") bytes)"
[ ! -e "$out/z.txt" ] || fail "z.txt was recovered after the interrupt"
cmp -s "$out/a.txt" "$fixtures/recover-files/hello.txt" || fail "a.txt, recovered before the interrupt, is not whole"
tr -d '\r' < "$tmp/screen" | grep -q '^File long.bin: Cancelled$' || fail "the cut file's line does not end: $(cat -v "$tmp/screen")"
tr -d '\r' < "$tmp/screen" | grep -q '^Job cancelled: 2 entries not recovered$' ||
  fail "the log does not end with the cancel line: $(cat -v "$tmp/screen")"
echo "Ctrl-C stopped the recovery with status 130, left no partial file and said what was left"
