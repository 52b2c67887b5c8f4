#!/usr/bin/env bash
# Builds and runs every test: the release build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, the renderer's threaded tests under ThreadSanitizer, and a
# minute of fuzzing. Installs whatever is missing first.
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

# The renderer's draw queue is drawn by two threads: its tests again under ThreadSanitizer.
echo "== tsan: the draw queue's threads"
cmake --preset tsan >/dev/null
cmake --build build/tsan --target test_renderer
build/tsan/tests/platform/test_renderer --gtest_filter='PrefixCache*:*Band*'

# The PNG loader under libFuzzer for a minute, seeded with our images; any crash, leak or
# sanitizer report fails the run (the input that caused it is kept in build/fuzz/). A fixed
# seed makes a failing run repeatable.
echo "== fuzz: PNG loader"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DEXPLOSIONS_FUZZ=ON -DEXPLOSIONS_GUI=OFF -DEXPLOSIONS_TESTS=OFF -DEXPLOSIONS_BENCH=OFF >/dev/null
cmake --build build/fuzz --target png_fuzz
corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp assets/*.png "$corpus"/
build/fuzz/tests/fuzz/png_fuzz -seed=1 -max_total_time=60 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/ "$corpus"
