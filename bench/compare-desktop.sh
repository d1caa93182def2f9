#!/usr/bin/env bash
# Times the desktop program offscreen: a folder of 100,000 deleted files shown and sorted by each
# column in the file list view (FAT entries, and a real NTFS folder whose rows read MFT records),
# a name search over the NTFS volume's scan with its 50,000 hits shown in the search results
# view, and the program's start-up with the demo disk attached. Makes the NTFS volume when missing
# (bench/make-desktop-bench-volume.sh, a few minutes). The last line:
#   show 100000 rows: N ms; slowest sort: N ms; name search: N ms; show 50000 results: N ms; start-up: N ms
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bench=/tmp/tarvosk-bench
mkdir -p "$bench"
cmake --build "$build" --target tarvosk tarvosk_desktop_bench >/dev/null
[ -f "$bench/desktop-ntfs.img" ] || "$root/bench/make-desktop-bench-volume.sh" "$bench/desktop-ntfs.img"
demo=$("$root/scripts/demo-disk" "$build/demo")
QT_QPA_PLATFORM=offscreen "$build/bench/tarvosk_desktop_bench" "$bench/desktop-ntfs.img" "$demo" "$build/src/desktop/tarvosk" \
  2> >(grep -v propagateSizeHints >&2)
