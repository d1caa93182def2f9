#!/usr/bin/env bash
# search finds exactly the deleted files that pass its filters, judged from what sleuthkit sees
# on the images: names (fls -r -d, the pattern matched as the shell matches a glob, in lower
# case), sizes (fls: --min-kb strictly more than N KiB, --max-kb at most N KiB) and content
# (icat, without or with regard to case), on a FAT16 volume made by mtools and an NTFS volume
# written through ntfs-3g, in the whole drive or below one folder.
set -euo pipefail
cli=$1 fixtures=$2
. "$(dirname "$0")/sleuthkit-oracle.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0 checks=0

# Predicates over one deleted file: path, size, inode (IMAGE is the image under test).
name_matches() { local base=${1##*\\}; [[ ${base,,} == $PATTERN ]]; }
larger_than() { [ "$2" -gt $((KB * 1024)) ]; }
at_most() { [ "$2" -le $((KB * 1024)) ]; }
# (grep reads from a process substitution: in a pipe, its early exit would fail icat by SIGPIPE.)
holds_text() { grep -a -q -i -F -- "$TEXT" < <(icat "$IMAGE" "$3"); }
holds_text_in_case() { grep -a -q -F -- "$TEXT" < <(icat "$IMAGE" "$3"); }

# check IMAGE FOLDER PREDICATE SEARCH_ARGUMENTS...: the search below FOLDER lists exactly the
# deleted files below it that the predicate passes.
check() {
  IMAGE=$fixtures/$1
  local image=$1 folder=$2 predicate=$3 path size inode
  shift 3
  : > "$tmp/theirs"
  while IFS=$'\t' read -r path size inode; do
    [ "$size" = folder ] && continue
    [[ $path == "$folder"* ]] || continue
    if "$predicate" "$path" "$size" "$inode"; then printf '%s\t%s\n' "$path" "$size" >> "$tmp/theirs"; fi
  done < <(deleted_by_fls "$IMAGE")
  sort -o "$tmp/theirs" "$tmp/theirs"
  "$cli" --no-devices --image "$IMAGE" search C: --in "$folder" "$@" --format tsv | deleted_in_listing | sort > "$tmp/ours"
  checks=$((checks + 1))
  if ! diff -u "$tmp/theirs" "$tmp/ours" > "$tmp/diff"; then
    echo "$image: search $* below $folder (- expected from sleuthkit, + tarvosk-cli):"
    cat "$tmp/diff"
    failures=$((failures + 1))
  elif [ ! -s "$tmp/ours" ]; then
    echo "$image: search $* found nothing, which proves nothing; choose a filter that matches"
    failures=$((failures + 1))
  else
    echo "$image: search $* below $folder: $(wc -l < "$tmp/ours") files"
  fi
}

PATTERN='*.txt' check fat16.img '\' name_matches --name '*.TXT'
PATTERN='*old*' check fat16.img '\Old' name_matches --name '*OLD*'
PATTERN='f1[0-4]?' check ntfs-files.img '\fill' name_matches --name 'f1[0-4]?'
PATTERN='f2[!02468]?' check ntfs-files.img '\' name_matches --name 'f2[!02468]?'
KB=4 check ntfs-files.img '\' larger_than --min-kb 4
KB=100 check ntfs-files.img '\' larger_than --min-kb 100
KB=4 check ntfs-files.img '\' at_most --max-kb 4
KB=0 check fat16.img '\' larger_than --min-kb 0
TEXT='tarvosk FIXTURE' check fat16.img '\' holds_text --text 'tarvosk FIXTURE'
TEXT='old' check fat16.img '\' holds_text_in_case --text 'old' --match-case
TEXT='small resident' check ntfs-files.img '\gonedir' holds_text --text 'SMALL RESIDENT'
[ "$failures" -eq 0 ] || { echo "$failures of $checks searches wrong"; exit 1; }
echo "all $checks searches list exactly the files sleuthkit says pass their filters"
