#!/usr/bin/env bash
# Installs what is missing, builds the application (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNIMBREL_BUILD_TESTS=OFF
cmake --build build-release --parallel "$(nproc)" --target nimbrel-core
bash tools/locationdb/build.sh build-release/src
exec ./build-release/src/nimbrel-core "$@"
