# Sourced by the end-to-end tests that hold tarvosk-cli's listings against sleuthkit.
command -v fls >/dev/null && command -v icat >/dev/null || { echo "sleuthkit (fls, icat) is missing: run scripts/setup"; exit 1; }

# deleted_by_fls IMAGE: every deleted entry fls -r -d sees, one a line: the path as the listing
# writes it ("\" separated, from the root; fls's orphans in \ORPHAN), "folder" or the file size,
# and the inode. fls's made-up names for MFT records that hold no name ($OrphanFiles/OrphanFile-N)
# are not files and are left out.
deleted_by_fls() {
  fls -r -d -p -l "$1" | awk -F'\t' '
    $2 ~ /^\$OrphanFiles\/OrphanFile-[0-9]+$/ { next }
    {
      split($1, type, " ")
      inode = type[length(type)]
      sub(/:$/, "", inode)
      path = $2
      sub(/^\$OrphanFiles\//, "ORPHAN/", path)
      gsub("/", "\\", path)
      print "\\" path "\t" (substr(type[1], 3, 1) == "d" ? "folder" : $7) "\t" inode
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
