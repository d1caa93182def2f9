# Deleted files on FAT images for the carving fixtures (sourced by build-disk-fixtures.sh and
# build-exact-fixtures.sh): copied with mcopy, each followed by a kept file, then deleted with
# mdel; and where sleuthkit sees each of them.

# copy_then_delete VOLUME FOLDER KEEP NAME...: copies FOLDER/NAME as "Deleted NAME" with a copy
# of KEEP after each, then deletes the copies of the NAMEs. The long names keep their first
# letter in the deleted entries, so that sleuthkit names them whole.
copy_then_delete() {
  local volume=$1 folder=$2 keep=$3 n=0 f
  shift 3
  for f in "$@"; do
    n=$((n + 1))
    mcopy -i "$volume" "$folder/$f" "::/Deleted $f"
    mcopy -i "$volume" "$keep" "::/KEEP$n.BIN"
  done
  for f in "$@"; do mdel -i "$volume" "::/Deleted $f"; done
}

# deleted_starts IMAGE PARTITION_SECTOR FOLDER COUNT: writes IMAGE.fls and IMAGE.starts (name,
# first sector in the image and size of each deleted file, sizes from FOLDER) and fails unless
# sleuthkit lists COUNT of them.
deleted_starts() {
  local img=$1 offset=$2 folder=$3 count=$4 inode name sector
  : > "$img.starts"
  fls -r -d -p -o "$offset" "$img" > "$img.fls"
  while IFS=$'\t' read -r inode name; do
    name=${name#Deleted }
    inode=${inode##* }
    inode=${inode%:}
    # awk reads istat's whole output: leaving early would end istat by SIGPIPE.
    sector=$(istat -o "$offset" "$img" "$inode" | awk 'f && !p { print $1; p = 1 } /^Sectors:/ { f = 1 }')
    [ -n "$sector" ] || fail "istat gives no sector for $name on $img"
    printf '%s\t%s\t%s\n' "$name" "$((sector + offset))" "$(stat -c %s "$folder/$name")" >> "$img.starts"
  done < <(grep -v 'KEEP' "$img.fls")
  [ "$(wc -l < "$img.starts")" = "$count" ] || fail "sleuthkit does not list all $count deleted files on $img"
}
