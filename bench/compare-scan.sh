#!/usr/bin/env bash
# Basic scans beside their peers, page cache warm: the scan benchmarks (build/bench/tarvosk_bench,
# ScanBench.cpp), a whole tarvosk-cli scan in a fresh process, and on the same images sleuthkit's
# fls -r -d and, on the NTFS volume, ntfs-3g's ntfsundelete -s. The exFAT volume needs root,
# /dev/fuse and a loop device the first time, to be made through exfat-fuse. Prints each time and
# the peers' times divided by the scan's. Last, the NTFS volume whose files were written round
# their folders (make-ntfs-mixed-bench-volume.sh): the whole listing against ntfsundelete -s, whose
# target is at most 0.1 s and at least 4 times faster.
#   bench/compare-scan.sh BUILD_DIR
# On a machine that other jobs keep busy, wall times say more under a real-time priority:
#   chrt -f 50 bench/compare-scan.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: compare-scan.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
ntfs=/tmp/tarvosk-bench/ntfs-100k-half.img
fat=/tmp/tarvosk-bench/fat32-50k.img
exfat=/tmp/tarvosk-bench/exfat-50k.img
[ -f "$ntfs" ] || "$here/make-ntfs-bench-volume.sh" "$ntfs" 100000 deleted
[ -f "$fat" ] || "$here/make-fat32-bench-volume.sh" "$fat"
[ -f "$exfat" ] || "$here/make-exfat-bench-volume.sh" "$exfat"
mixed=/tmp/tarvosk-bench/ntfs-mixed.img
[ -f "$mixed" ] || "$here/make-ntfs-mixed-bench-volume.sh" "$mixed"
for tool in fls ntfsundelete; do
  command -v "$tool" >/dev/null || { echo "compare-scan: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
cli="$build/src/cli/tarvosk-cli"
bench="$build/bench/tarvosk_bench"
[ -x "$cli" ] && [ -x "$bench" ] || { echo "compare-scan: build tarvosk-cli and tarvosk_bench in $build first" >&2; exit 1; }

# seconds COMMAND...: the best wall time of three runs, after one run that warms the cache.
seconds() {
  "$@" >/dev/null 2>&1 || true
  local best=""
  for _ in 1 2 3; do
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    t1=$(date +%s.%N)
    best=$(echo "$t0 $t1 $best" | awk '{ d = $2 - $1; if ($3 == "" || d < $3) print d; else print $3 }')
  done
  echo "$best"
}

csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
"$bench" --benchmark_filter='BM_BasicScan' --benchmark_counters_tabular=true --benchmark_out="$csv" --benchmark_out_format=csv
# scan_seconds NAME: the benchmark's wall time per scan (it reports milliseconds).
scan_seconds() { awk -F, -v name="$1" 'index($1, name) { print $3 / 1000 }' "$csv"; }
bench_ntfs=$(scan_seconds BM_BasicScanNtfs100kHalfDeleted)
bench_fat=$(scan_seconds BM_BasicScanFat32_50kHalfDeleted)
bench_exfat=$(scan_seconds BM_BasicScanExfat50kHalfDeleted)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
cli_ntfs=$(seconds "$cli" --no-devices --image "$ntfs" scan C: --format tsv)
cli_fat=$(seconds "$cli" --no-devices --image "$fat" scan C: --format tsv)
cli_exfat=$(seconds "$cli" --no-devices --image "$exfat" scan C: --format tsv)
fls_ntfs=$(seconds fls -r -d "$ntfs")
fls_fat=$(seconds fls -r -d "$fat")
fls_exfat=$(seconds fls -r -d "$exfat")
undelete=$(seconds ntfsundelete -s "$ntfs")
printf '\n%-44s %8s %8s %8s\n' "whole run, best of 3 (s)" "NTFS" "FAT32" "exFAT"
printf '%-44s %8.3f %8.3f %8.3f\n' "BuildFileList (tarvosk_bench)" "$bench_ntfs" "$bench_fat" "$bench_exfat"
printf '%-44s %8.3f %8.3f %8.3f\n' "tarvosk-cli scan (fresh process, listing)" "$cli_ntfs" "$cli_fat" "$cli_exfat"
printf '%-44s %8.3f %8.3f %8.3f\n' "fls -r -d" "$fls_ntfs" "$fls_fat" "$fls_exfat"
printf '%-44s %8.3f %8s %8s\n' "ntfsundelete -s" "$undelete" "-" "-"
printf '%-44s %8s %8s %8s\n' "fls / BuildFileList" "$(ratio "$fls_ntfs" "$bench_ntfs")" "$(ratio "$fls_fat" "$bench_fat")" \
  "$(ratio "$fls_exfat" "$bench_exfat")"
printf '%-44s %8s %8s %8s\n' "ntfsundelete / BuildFileList" "$(ratio "$undelete" "$bench_ntfs")" "-" "-"
printf '%-44s %8s %8s %8s\n' "fls / tarvosk-cli" "$(ratio "$fls_ntfs" "$cli_ntfs")" "$(ratio "$fls_fat" "$cli_fat")" \
  "$(ratio "$fls_exfat" "$cli_exfat")"
printf '%-44s %8s %8s %8s\n' "ntfsundelete / tarvosk-cli" "$(ratio "$undelete" "$cli_ntfs")" "-" "-"

cli_mixed=$(seconds "$cli" --no-devices --image "$mixed" scan C: --format tsv)
undelete_mixed=$(seconds ntfsundelete -s "$mixed")
listed=$(($("$cli" --no-devices --image "$mixed" scan C: --format tsv | wc -l) - 1))
printf '\n%-44s %8s\n' "NTFS, files written round their folders" "s"
printf '%-44s %8.3f  (%s entries)\n' "tarvosk-cli scan --format tsv" "$cli_mixed" "$listed"
printf '%-44s %8.3f\n' "ntfsundelete -s" "$undelete_mixed"
printf '%-44s %8s  (target: at most 0.100 s and at least 4 x)\n' "ntfsundelete / tarvosk-cli" "$(ratio "$undelete_mixed" "$cli_mixed")"
