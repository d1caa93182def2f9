#!/usr/bin/env bash
# Every drive id that `drives` prints (tsv and json) is a drive argument the other commands take.
set -euo pipefail
cli=$1 fixtures=$2
images=(--no-devices --image "$fixtures/fat16.img" --image "$fixtures/mbr.img")
tsv=$("$cli" "${images[@]}" drives --format tsv | awk -F'\t' 'NR > 1 { print $2 }')
json=$("$cli" "${images[@]}" drives --format json | grep -o '"id":"[^"]*"' | cut -d'"' -f4)
[ "$tsv" = "$json" ] || { echo "tsv and json name the drives differently: $tsv / $json"; exit 1; }
[ "$(grep -c . <<<"$tsv")" -eq 5 ] || { echo "expected 3 letters and 2 physical drives, got: $tsv"; exit 1; }
for id in $tsv; do
  case $id in
    PhysicalDrive*) args=(scan "$id" --thorough --range 0-8) ;;
    *) args=(scan "$id") ;;
  esac
  "$cli" "${images[@]}" "${args[@]}" > /dev/null || { echo "tarvosk-cli ${args[*]} failed for the id drives printed"; exit 1; }
done
echo "every drive id is taken by scan: $(echo $tsv)"
