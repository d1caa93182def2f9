# Sourced by the end-to-end tests that hold tarvosk-cli's listings against sleuthkit.
command -v fls >/dev/null && command -v icat >/dev/null || { echo "sleuthkit (fls, icat) is missing: run scripts/setup"; exit 1; }

# deleted_by_fls IMAGE: every deleted entry fls -r -d sees, one a line: the path as the listing
# writes it ("\" separated, from the root; fls's orphans in \ORPHAN), "folder" or the file size,
# and the inode. fls's made-up names for MFT records that hold no name ($OrphanFiles/OrphanFile-N)
# are not files and are left out. fls puts the entries that lie past the first cluster of a
# removed folder among its orphans, under their short names; where the image comes with
# IMAGE.before.fls, the listing from before the removal, they go back to the paths their slots
# held then.
deleted_by_fls() {
  local before=/dev/null
  [ -f "$1.before.fls" ] && before=$1.before.fls
  fls -r -d -p -l "$1" | awk -F'\t' -v before="$before" '
    function inode_of(head,    type) {
      split(head, type, " ")
      sub(/:$/, "", type[length(type)])
      return type[length(type)]
    }
    BEGIN {
      while ((getline line < before) > 0) {
        split(line, field, "\t")
        earlier[inode_of(field[1])] = field[2]
      }
    }
    $2 ~ /^\$OrphanFiles\/OrphanFile-[0-9]+$/ { next }
    {
      inode = inode_of($1)
      path = $2
      if (path ~ /^\$OrphanFiles\// && (inode in earlier)) path = earlier[inode]
      sub(/^\$OrphanFiles\//, "ORPHAN/", path)
      gsub("/", "\\", path)
      print "\\" path "\t" (substr($1, 3, 1) == "d" ? "folder" : $7) "\t" inode
    }'
}

# deleted_in_listing < LISTING.tsv: the deleted entries of a tsv listing as deleted_by_fls
# writes them, without the inode. A deleted short name's "?" is fls's "_".
deleted_in_listing() {
  awk -F'\t' 'NR > 1 && $3 == 1 {
      path = $1
      while (match(path, /\\\?/)) path = substr(path, 1, RSTART) "_" substr(path, RSTART + 2)
      print path "\t" ($2 == 1 ? "folder" : $4)
    }'
}
