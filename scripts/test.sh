#!/usr/bin/env bash
# Builds vorn_htm with warnings as errors and runs the whole test suite.
#
#   bash scripts/test.sh     (package installs go through sudo unless run as root)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh

# Another build folder may be named (CI keeps the default).
build=${VORN_BUILD_DIR:-build}

ensure_packages "${BUILD_PACKAGES[@]}"

cmake -S . -B "$build" -G Ninja -DVORN_WERROR=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --no-tests=error
