#!/usr/bin/env bash
# Exit statuses: 2 with a usage text for bad arguments, 1 with the system's message for a
# missing image, and 1 for a drive that cannot be scanned. A removable drive is opened as FAT
# without a partition probe: an NTFS volume there is refused with the FAT layer's message.
set -uo pipefail
cli=$1 fixtures=$2
expect() {
  local want=$1 pattern=$2; shift 2
  local err status
  err=$("$cli" "$@" 2>&1 >/dev/null); status=$?
  [ "$status" -eq "$want" ] || { echo "tarvosk-cli $*: status $status, wanted $want"; exit 1; }
  grep -q -- "$pattern" <<<"$err" || { echo "tarvosk-cli $*: no '$pattern' in: $err"; exit 1; }
}
expect 2 "用法" --no-devices frobnicate
expect 2 "用法" --no-devices scan
expect 2 "无法识别的驱动器" --no-devices scan Q1
expect 2 "--thorough" --no-devices --image "$fixtures/fat32.img" scan C: --thorough
expect 2 "--range" --no-devices --image "$fixtures/fat32.img" scan C: --physical --range 9-1
expect 2 "没有这种文件类型: gif" --no-devices --image "$fixtures/fat32.img" scan C: --physical --types jpg,gif
expect 1 "系统找不到指定的文件" --no-devices --image /nonexistent.img drives
expect 1 "无法打开驱动器 D:" --no-devices --image "$fixtures/fat32.img" scan D:
expect 1 "无法打开驱动器 C:" --no-devices --image "$fixtures/ntfs.img,removable" scan C:
expect 1 "分区类型无法识别" --no-devices --image "$fixtures/ntfs.img,removable" scan C:
echo "all exit statuses as expected"
