#!/usr/bin/env bash
# Runs tarvosk-cli and compares what it prints with a stored listing. On a difference it shows
# the diff and fails; when behaviour changes on purpose, review the diff and store the new
# listing (TARVOSK_UPDATE_GOLDEN=1).
#   golden-listing.sh CLI FIXTURES GOLDEN_FILE -- CLI_ARGUMENTS...
# Image arguments name fixture files; "@FIX@" in the arguments stands for the fixtures folder.
set -euo pipefail
cli=$1 fixtures=$2 golden=$3
shift 3
[ "$1" = "--" ] && shift
args=()
for a in "$@"; do args+=("${a//@FIX@/$fixtures}"); done
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$cli" "${args[@]}" > "$actual"
if [ "${TARVOSK_UPDATE_GOLDEN:-}" = 1 ]; then
  cp "$actual" "$golden"
  exit 0
fi
diff -u "$golden" "$actual"
