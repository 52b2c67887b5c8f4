#!/usr/bin/env bash
# Soak run: the recorder for a long session with a press every 10 frames, built with
# LeakSanitizer only (the optimised code otherwise unchanged), printing its frame statistics,
# peak memory and particle node count. Any leak left at exit makes the run fail.
#
#   tools/soak.sh [FRAMES]   (1000000 frames by default)
#
# Not part of test.sh or CI: a million frames take a long time.
set -euo pipefail

frames="${1:-1000000}"
if ! [[ "$frames" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: tools/soak.sh [FRAMES]   (FRAMES a whole number from 1)" >&2
  exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/soak"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=leak" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=leak" \
  -DEXPLOSIONS_GUI=OFF -DEXPLOSIONS_TESTS=OFF -DEXPLOSIONS_BENCH=OFF >/dev/null
nice -n 10 cmake --build "$build" -j2 --target explosions-record

stats="$(mktemp)"
trap 'rm -f "$stats"' EXIT
echo "soak: $frames frames, a press every 10 frames, LeakSanitizer on"
status=0
LSAN_OPTIONS="${LSAN_OPTIONS:-exitcode=23}" nice -n 10 \
  "$build/src/shell/explosions-record" --frames "$frames" --press-every 10 --stats \
  2>"$stats" || status=$?
cat "$stats"
nodes="$(sed -n 's/^particle nodes: //p' "$stats")"
peak="$(sed -n 's/^peak memory: \([0-9]*\) KiB$/\1/p' "$stats")"
if [[ -n "$nodes" && -n "$peak" ]]; then
  echo "soak: peak memory $((peak / 1024)) MiB with $nodes particle nodes at the end"
fi
if [[ "$status" -ne 0 ]]; then
  echo "soak: FAILED with exit code $status (23: LeakSanitizer found a leak)" >&2
  exit "$status"
fi
echo "soak: passed, no leak reported"
