#!/usr/bin/env bash
# Whole-run timings against the peers and against the engine itself, page cache warm, best of
# RUNS (default 3):
#   1. the 1 GiB carving volume (make-carving-bench-volume.sh): cat IMAGE > /dev/null, PhotoRec
#      (photorec /cmd IMAGE fileopt,...,freespace,search, the same file types), the engine's
#      physical scan measured in-process with the classic and the exact lengths
#      (BM_PhysicalScanOfCarvingVolume, ...Exact) and the whole
#      `tarvosk-cli scan C: --physical [--exact] --format tsv`, with its peak memory; then what
#      comes back: `tarvosk-cli recover C: --all --physical [--exact]` and PhotoRec's files,
#      hashed against the volume's deleted originals (IMAGE.originals): the share of originals
#      that come back byte for byte and the share of the files written that are such originals;
#   2. the 100,000-file NTFS volume (make-ntfs-bench-volume.sh IMAGE 100000 deleted): the
#      engine's basic scan in-process (BM_BasicScanNtfs100kHalfDeleted) against the whole
#      `tarvosk-cli scan C: --format tsv`.
# The front end's allowance is 10 % of the engine's time or 0.1 s, whichever is larger.
#   compare-carving-and-cli.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
cli=$build/src/cli/tarvosk-cli
bench=$build/bench/tarvosk_bench
runs=${RUNS:-3}
carving=${TARVOSK_CARVING_IMAGE:-/tmp/tarvosk-bench/carving-1g-messy.img}
ntfs=${TARVOSK_NTFS_IMAGE:-/tmp/tarvosk-bench/ntfs-100k-half.img}
for tool in "$cli" "$bench"; do [ -x "$tool" ] || { echo "compare-carving-and-cli: $tool is not built" >&2; exit 1; }; done
for tool in photorec python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare-carving-and-cli: '$tool' is missing (run scripts/setup)" >&2; exit 1; }
done
[ -f "$carving" ] && [ -f "$carving.originals" ] || "$here/make-carving-bench-volume.sh" "$carving"
[ -f "$ntfs" ] || "$here/make-ntfs-bench-volume.sh" "$ntfs" 100000 deleted
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# best COMMAND...: the shortest wall time of RUNS runs, in seconds; the output goes nowhere.
best() {
  local fastest="" i start end t
  for i in $(seq 1 "$runs"); do
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1
    end=$(date +%s.%N)
    t=$(python3 -c "print(f'{$end - $start:.3f}')")
    if [ -z "$fastest" ] || python3 -c "import sys; sys.exit(0 if $t < $fastest else 1)"; then fastest=$t; fi
  done
  echo "$fastest"
}
ratio() { python3 -c "print(f'{$1 / $2:.2f}')"; }
photorec_run() {
  rm -rf "$work/photorec"
  mkdir "$work/photorec"
  (cd "$work/photorec" && photorec /log /d "$work/photorec/out" /cmd "$carving" \
    fileopt,everything,disable,jpg,enable,bmp,enable,tif,enable,crw,enable,x3f,enable,mp3,enable,riff,enable,doc,enable,pdf,enable,zip,enable,txt,enable,freespace,search)
}

cat "$carving" "$ntfs" > /dev/null
"$bench" --benchmark_filter='BM_PhysicalScanOfCarvingVolume|BM_BasicScanNtfs100kHalfDeleted' --benchmark_format=json \
  > "$work/engine.json" 2> "$work/engine.err" || { cat "$work/engine.err" >&2; exit 1; }
# engine_time BENCHMARK [real_time|cpu_time]: seconds per scan.
engine_time() {
  python3 - "$work/engine.json" "$1" "${2:-real_time}" <<'PY'
import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b["name"] == sys.argv[2] or b["name"].startswith(sys.argv[2] + "/"):
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
        print(f'{b[sys.argv[3]] * scale:.3f}')
PY
}
# cpu COMMAND...: user plus system seconds of one run (a busy machine stretches wall time).
cpu() {
  /usr/bin/time -f '%U %S' -o "$work/cpu" "$@" > /dev/null 2>&1
  python3 -c "u, s = open('$work/cpu').read().split()[-2:]; print(f'{float(u) + float(s):.3f}')"
}
allowance() { python3 -c "print(f'{max(0.1, 0.1 * $1):.3f}')"; }

cat_s=$(best cat "$carving")
engine_s=$(engine_time BM_PhysicalScanOfCarvingVolume)
engine_exact_s=$(engine_time BM_PhysicalScanOfCarvingVolumeExact)
cli_s=$(best "$cli" --no-devices --image "$carving" scan C: --physical --format tsv)
cli_exact_s=$(best "$cli" --no-devices --image "$carving" scan C: --physical --exact --format tsv)
/usr/bin/time -f %M -o "$work/rss" "$cli" --no-devices --image "$carving" scan C: --physical --format tsv > "$work/carved.tsv"
photorec_s=$(RUNS=1 best photorec_run)
carved=$(($(wc -l < "$work/carved.tsv") - 1))
echo "1 GiB carving volume ($carving), every recogniser active:"
printf '  %-40s %8s s\n' "cat IMAGE > /dev/null" "$cat_s"
printf '  %-40s %8s s  (%s x cat)\n' "engine physical scan (in-process)" "$engine_s" "$(ratio "$engine_s" "$cat_s")"
printf '  %-40s %8s s  (%s x the classic lengths)\n' "  the same with exact lengths" "$engine_exact_s" \
  "$(ratio "$engine_exact_s" "$engine_s")"
printf '  %-40s %8s s  (%s x cat, %s entries, peak %s MiB)\n' "tarvosk-cli scan --physical --format tsv" "$cli_s" \
  "$(ratio "$cli_s" "$cat_s")" "$carved" "$(python3 -c "print(f'{$(cat "$work/rss") / 1024:.1f}')")"
printf '  %-40s %8s s  (%s x the classic lengths)\n' "tarvosk-cli scan --physical --exact" "$cli_exact_s" \
  "$(ratio "$cli_exact_s" "$cli_s")"
printf '  %-40s %8s s  (%s x tarvosk-cli)\n' "photorec freespace search" "$photorec_s" "$(ratio "$photorec_s" "$cli_s")"
printf '  front end: %s s over the engine, allowed %s s\n' "$(python3 -c "print(f'{$cli_s - $engine_s:.3f}')")" \
  "$(allowance "$engine_s")"
printf '  CPU time: engine %s s, tarvosk-cli %s s\n' "$(engine_time BM_PhysicalScanOfCarvingVolume cpu_time)" \
  "$(cpu "$cli" --no-devices --image "$carving" scan C: --physical --format tsv)"

# exactness FOLDER: files written, those that are deleted originals byte for byte (each original
# counted once), and the two shares, as one line.
exactness() {
  python3 - "$carving.originals" "$1" <<'PY'
import collections, hashlib, os, sys
originals = collections.Counter(line.rstrip("\n").split("\t")[3] for line in open(sys.argv[1]))
written = collections.Counter()
for root, _, names in os.walk(sys.argv[2]):
    for name in names:
        if name in ("report.xml", "photorec.log"):  # PhotoRec's own report and log
            continue
        with open(os.path.join(root, name), "rb") as f:
            written[hashlib.file_digest(f, "sha256").hexdigest()] += 1
files = sum(written.values())
exact = sum(min(n, written[h]) for h, n in originals.items())
print(f"{files:8d} files written, {exact:5d} exact: {100 * exact / sum(originals.values()):5.1f} % of the "
      f"{sum(originals.values())} originals back byte for byte, {100 * exact / max(files, 1):5.1f} % of the files exact")
PY
}
for mode in classic exact; do
  rm -rf "$work/recovered"
  mkdir "$work/recovered"
  flag=()
  [ "$mode" = exact ] && flag=(--exact)
  "$cli" --no-devices --image "$carving" recover C: --all --physical "${flag[@]}" --to "$work/recovered" --overwrite all \
    > /dev/null
  printf '  %-40s %s\n' "tarvosk-cli recover --all ($mode lengths)" "$(exactness "$work/recovered")"
done
rm -rf "$work/recovered"
printf '  %-40s %s\n' "photorec" "$(exactness "$work/photorec")"

ntfs_engine_s=$(engine_time BM_BasicScanNtfs100kHalfDeleted)
ntfs_cli_s=$(best "$cli" --no-devices --image "$ntfs" scan C: --format tsv)
listed=$(($("$cli" --no-devices --image "$ntfs" scan C: --format tsv | wc -l) - 1))
echo "100,000-file NTFS volume ($ntfs), basic scan:"
printf '  %-40s %8s s\n' "engine basic scan (in-process)" "$ntfs_engine_s"
printf '  %-40s %8s s  (%s entries)\n' "tarvosk-cli scan --format tsv" "$ntfs_cli_s" "$listed"
printf '  front end: %s s over the engine, allowed %s s\n' "$(python3 -c "print(f'{$ntfs_cli_s - $ntfs_engine_s:.3f}')")" \
  "$(allowance "$ntfs_engine_s")"
printf '  CPU time: engine %s s, tarvosk-cli %s s\n' "$(engine_time BM_BasicScanNtfs100kHalfDeleted cpu_time)" \
  "$(cpu "$cli" --no-devices --image "$ntfs" scan C: --format tsv)"
