#!/usr/bin/env bash
# Installs what is missing, builds everything (with AddressSanitizer and UBSan) and runs all
# tests. Window and OpenGL tests run under xvfb-run; see tests/CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
build=${NIMBREL_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNIMBREL_SANITIZE=ON
cmake --build "$build" --parallel "$(nproc)"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" "$@"
