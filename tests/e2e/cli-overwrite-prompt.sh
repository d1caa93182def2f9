#!/usr/bin/env bash
# The overwrite prompt on a terminal (util-linux script gives tarvosk-cli one): closing it
# (end of input) counts as "no" for every file, which keeps the old files and logs "Failed";
# "a" (yes to all) at the first prompt replaces every file of the job without asking again.
set -euo pipefail
cli=$1 fixtures=$2
command -v script >/dev/null || { echo "script (util-linux) is missing"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
recover() { script -q -e -c "'$cli' --no-devices --image '$fixtures/ntfs-files.img' recover C: gonedir --to '$out'" /dev/null; }
spoil() { printf old > "$out/gonedir/b.bin"; printf old > "$out/gonedir/inner/a.txt"; }

recover < /dev/null > "$out/first.log"
cmp -s "$out/gonedir/b.bin" "$fixtures/ntfs-files/big.bin" || { echo "gonedir/b.bin was not recovered"; exit 1; }

spoil
recover < /dev/null > "$out/closed.log" || { echo "a declined overwrite made the job fail"; exit 1; }
[ "$(grep -c 'Failed' "$out/closed.log")" -eq 2 ] || { echo "closing the prompt did not log Failed for both files"; cat "$out/closed.log"; exit 1; }
[ "$(cat "$out/gonedir/b.bin")" = old ] && [ "$(cat "$out/gonedir/inner/a.txt")" = old ] ||
  { echo "closing the prompt replaced a file"; exit 1; }

spoil
printf 'a\n' | recover > "$out/all.log"
[ "$(grep -c '已经存在' "$out/all.log")" -eq 1 ] || { echo "yes to all asked more than once"; cat "$out/all.log"; exit 1; }
cmp -s "$out/gonedir/b.bin" "$fixtures/ntfs-files/big.bin" && cmp -s "$out/gonedir/inner/a.txt" "$fixtures/ntfs-files/small.txt" ||
  { echo "yes to all did not replace every file"; exit 1; }
echo "closing the prompt keeps the files; yes to all replaces them all"
