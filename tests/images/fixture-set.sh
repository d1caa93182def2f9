# Shared opening and closing of the fixture scripts (sourced by tests/images/build-*-fixtures.sh).
# Each set caches its images in the output folder and rebuilds them when its script, this file
# or a set it builds on changes. A missing tool or a FUSE mount that does not work is a failure,
# never a skip.

# begin_fixture_set NAME SCRIPT OUT [STAMP...]: sets out, log and fixture_stamp, and ends the
# calling script at once when the set in OUT is current. The STAMP files of the sets this one is
# made from count as inputs too.
begin_fixture_set() {
  fixture_name=$1
  fixture_label=$(basename "$2" .sh)
  mkdir -p "$3"
  # Absolute, since the scripts make some files from inside their scratch folder.
  out=$(cd "$3" && pwd)
  fixture_stamp=$(cat "$2" "${BASH_SOURCE[0]}" "${@:4}" | sha256sum | cut -d' ' -f1)
  if [ -f "$out/.stamp-$fixture_name" ] && [ "$(cat "$out/.stamp-$fixture_name")" = "$fixture_stamp" ]; then
    exit 0
  fi
  log="$out/build-$fixture_name.log"
  : > "$log"
}

fail() { echo "$fixture_label: $*" >&2; exit 1; }

need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || fail "required tool '$tool' is missing (run scripts/setup)"
  done
}

# need_fuse: ntfs-3g mounts the volumes through FUSE, which needs /dev/fuse and root here.
need_fuse() {
  need_tools ntfs-3g fusermount mountpoint
  [ -c /dev/fuse ] || fail "/dev/fuse is missing: ntfs-3g cannot mount the volumes"
  [ "$(id -u)" -eq 0 ] || fail "ntfs-3g FUSE mounts need root here"
}

# make_scratch: a scratch folder $tmp with a mount point $mnt, unmounted and removed on exit.
make_scratch() {
  tmp=$(mktemp -d)
  mnt="$tmp/mnt"
  mkdir -p "$mnt"
  trap scratch_cleanup EXIT
}
scratch_cleanup() {
  if mountpoint -q "$mnt" 2>/dev/null; then umount "$mnt" 2>/dev/null || fusermount -u "$mnt" 2>/dev/null || true; fi
  rm -rf "$tmp"
}

# fragment_free_space FOLDER: fills the mounted volume with one-cluster (4 KiB) files in FOLDER
# and frees every other one, so that a file written next can only go into the holes. The files
# left stay live.
fragment_free_space() {
  mkdir "$1"
  local n=0
  # printf is a shell builtin: no process per file.
  while printf '%4096s' '' > "$1/f$n" 2>/dev/null; do n=$((n + 1)); done
  rm -f "$1/f$n"
  sync
  (cd "$1" && seq 0 2 $((n - 1)) | sed 's/^/f/' | xargs -r rm)
  sync
}

# end_fixture_set: marks the set current.
end_fixture_set() { echo "$fixture_stamp" > "$out/.stamp-$fixture_name"; }
