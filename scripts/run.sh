#!/usr/bin/env bash
# Installs what is missing, builds the application (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNIMBREL_BUILD_TESTS=OFF
cmake --build build-release --parallel "$(nproc)" --target nimbrel-core
bash tools/locationdb/build.sh build-release/src
# The desktop entry and the icons into the user's data folder, the entry starting this build.
data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
program="$(pwd)/build-release/src/nimbrel-core"
mkdir -p "$data_home/applications" "$data_home/icons/hicolor/scalable/apps"
sed "s|^Exec=.*|Exec=\"$program\"|" tools/appicon/nimbrel-core.desktop > "$data_home/applications/nimbrel-core.desktop"
cp tools/appicon/nimbrel-core.svg "$data_home/icons/hicolor/scalable/apps/nimbrel-core.svg"
for png in build-release/app-icon/nimbrel-core-*.png; do
  size="${png##*-}"; size="${size%.png}"
  mkdir -p "$data_home/icons/hicolor/${size}x${size}/apps"
  cp "$png" "$data_home/icons/hicolor/${size}x${size}/apps/nimbrel-core.png"
done
exec ./build-release/src/nimbrel-core "$@"
