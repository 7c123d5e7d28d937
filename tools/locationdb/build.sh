#!/usr/bin/env bash
# Builds location.db into the given folder (beside the application binary) unless a copy made
# from the same script and lock file is already there. Installs the pinned data packages first.
#   bash tools/locationdb/build.sh <folder>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out_dir="${1:?usage: build.sh <folder>}"
mkdir -p "$out_dir"
target="$out_dir/location.db"
if [ -f "$target" ] && [ "$target" -nt "$here/build-location-db.js" ] && [ "$target" -nt "$here/package-lock.json" ]; then
  exit 0
fi
(cd "$here" && npm ci --ignore-scripts --no-audit --no-fund --silent)
node "$here/build-location-db.js" --out "$target"
