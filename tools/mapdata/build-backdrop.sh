#!/usr/bin/env bash
# Makes the map's bundled backdrop, the coarsest terrain level, in the given folder:
#   <folder>/gen2-nb-2048/01/<column>_<row>.jpg   eight 512-px tiles of land and sea
#   <folder>/gen2-nb-2048/02 .. 12                links to 01 (one backdrop serves every month)
# The land comes from world-atlas land-50m (Natural Earth), in the npm work folder that
# build-boundaries.sh has filled; the painter is the nimbrel-backdrop tool.
#   bash tools/mapdata/build-backdrop.sh <painter> <folder> <work folder>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
painter="${1:?usage: build-backdrop.sh <painter> <folder> <work folder>}"
out="${2:?usage: build-backdrop.sh <painter> <folder> <work folder>}"
work="${3:?usage: build-backdrop.sh <painter> <folder> <work folder>}"

[ -f "$work/node_modules/world-atlas/land-50m.json" ] || {
  echo "build-backdrop.sh: $work has no world-atlas; run build-boundaries.sh first" >&2; exit 1; }
cp "$here/make-land.mjs" "$work/"
node "$work/make-land.mjs" "$work/node_modules/world-atlas/land-50m.json" land "$work/land-50m.geojson"

level="$out/gen2-nb-2048"
rm -rf "$level.new"
QT_QPA_PLATFORM=offscreen "$painter" "$work/land-50m.geojson" "$level.new/01"
for month in 02 03 04 05 06 07 08 09 10 11 12; do
  ln -s 01 "$level.new/$month"
done
rm -rf "$level"
mv "$level.new" "$level"
