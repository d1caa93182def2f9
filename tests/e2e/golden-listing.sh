#!/usr/bin/env bash
# Runs tarvosk-cli and compares what it prints with a stored listing. On a difference it shows
# the diff and fails; when behaviour changes on purpose, review the diff and store the new
# listing (TARVOSK_UPDATE_GOLDEN=1).
#   golden-listing.sh CLI FIXTURES GOLDEN_FILE [--cut FIELDS] -- CLI_ARGUMENTS...
# "@FIX@" in the arguments stands for the fixtures folder. --cut keeps only those tab-separated
# fields (as cut -f takes them), to leave out what changes from one fixture build to the next.
set -euo pipefail
cli=$1 fixtures=$2 golden=$3
shift 3
fields=""
if [ "$1" = "--cut" ]; then fields=$2; shift 2; fi
[ "$1" = "--" ] && shift
args=()
for a in "$@"; do args+=("${a//@FIX@/$fixtures}"); done
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
if [ -n "$fields" ]; then
  "$cli" "${args[@]}" | cut -f "$fields" > "$actual"
else
  "$cli" "${args[@]}" > "$actual"
fi
if [ "${TARVOSK_UPDATE_GOLDEN:-}" = 1 ]; then
  cp "$actual" "$golden"
  exit 0
fi
diff -u "$golden" "$actual"
