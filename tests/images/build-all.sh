#!/usr/bin/env bash
# Builds every fixture set (tests/images/build-*-fixtures.sh) into the folder given. Each set
# caches its images and rebuilds them when its own script changes.
set -euo pipefail
out=${1:?usage: build-all.sh OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
for script in "$here"/build-*-fixtures.sh; do
  "$script" "$out"
done
