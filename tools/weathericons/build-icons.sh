#!/usr/bin/env bash
# Makes the weather icon images and their Qt resource file in the given folder:
#   <folder>/weather-icons/<name>.png (64 px) and <name>@2x.png (128 px) for every row of
#   icon-table.tsv, and <folder>/weather_icons.qrc listing them under ":/weather-icons/".
# The SVG set comes from the npm registry (pinned in package-lock.json); rsvg-convert draws it
# (QtSvg cannot draw the clip paths some of these files use).
#   bash tools/weathericons/build-icons.sh <folder>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:?usage: build-icons.sh <folder>}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

command -v npm >/dev/null || { echo "build-icons.sh: npm is missing (bash scripts/setup-deps.sh)" >&2; exit 1; }
command -v rsvg-convert >/dev/null || { echo "build-icons.sh: rsvg-convert is missing (librsvg2-bin)" >&2; exit 1; }

work="$out/npm"
mkdir -p "$work"
cp "$here/package.json" "$here/package-lock.json" "$work/"
(cd "$work" && npm ci --ignore-scripts --no-audit --no-fund --silent)
svg_dir="$work/node_modules/@bybas/weather-icons/production/fill/all"

images="$out/weather-icons"
rm -rf "$images"
mkdir -p "$images"
cp "$work/node_modules/@bybas/weather-icons/LICENSE" "$images/LICENSE"

qrc="$out/weather_icons.qrc.new"
{
  echo '<!DOCTYPE RCC>'
  echo '<RCC version="1.0">'
  echo '  <qresource prefix="/weather-icons">'
} > "$qrc"
while IFS=$'\t' read -r name file; do
  case "$name" in ''|'#'*) continue ;; esac
  svg="$svg_dir/$file.svg"
  if [ ! -f "$svg" ]; then
    echo "build-icons.sh: no image '$file' for icon '$name'" >&2
    exit 1
  fi
  rsvg-convert -w 64 -h 64 "$svg" -o "$images/$name.png"
  rsvg-convert -w 128 -h 128 "$svg" -o "$images/$name@2x.png"
  echo "    <file alias=\"$name.png\">weather-icons/$name.png</file>" >> "$qrc"
  echo "    <file alias=\"$name@2x.png\">weather-icons/$name@2x.png</file>" >> "$qrc"
done < "$here/icon-table.tsv"
{
  echo '  </qresource>'
  echo '</RCC>'
} >> "$qrc"
mv "$qrc" "$out/weather_icons.qrc"
