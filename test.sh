#!/usr/bin/env bash
# Builds and runs every test: the release build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer. Installs whatever is missing first.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-packages.sh

jobs="$(nproc)"
for preset in release asan; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: tests"
  ctest --preset "$preset" -j "$jobs"
done
