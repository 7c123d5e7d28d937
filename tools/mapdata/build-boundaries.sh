#!/usr/bin/env bash
# Makes the map's boundary files in the given folder:
#   <folder>/boundaries_i.txt  borders between countries (world-atlas countries-50m)
#   <folder>/states_i.txt      borders between US states (us-atlas states-10m)
# The topologies come from the npm registry, pinned in package-lock.json.
# npm works in <work folder> (default <folder>/npm), which then holds make-boundaries.mjs and
# its modules.
#   bash tools/mapdata/build-boundaries.sh <folder> [<work folder>]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: build-boundaries.sh <folder>}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

command -v npm >/dev/null || { echo "build-boundaries.sh: npm is missing (bash scripts/setup-deps.sh)" >&2; exit 1; }

work="${2:-$out/npm}"
mkdir -p "$work"
work="$(cd "$work" && pwd)"
cp "$here/package.json" "$here/package-lock.json" "$here/make-boundaries.mjs" "$work/"
(cd "$work" && npm ci --ignore-scripts --no-audit --no-fund --silent)

node "$work/make-boundaries.mjs" "$work/node_modules/world-atlas/countries-50m.json" countries "$out/boundaries_i.txt.new"
node "$work/make-boundaries.mjs" "$work/node_modules/us-atlas/states-10m.json" states "$out/states_i.txt.new"
mv "$out/boundaries_i.txt.new" "$out/boundaries_i.txt"
mv "$out/states_i.txt.new" "$out/states_i.txt"
