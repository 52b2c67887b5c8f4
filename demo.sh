#!/usr/bin/env bash
# Builds the demo in release and runs it. Installs whatever is missing first.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-packages.sh

cmake --preset release >/dev/null
cmake --build --preset release
demo=build/release/src/shell/explosions
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "explosions: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); recording a short session to PNG files instead."
  folder="$(mktemp -d "${TMPDIR:-/tmp}/explosions-frames.XXXXXX")"
  args=(--frames 240 --press 40 --press 90 --press 140x2)
  for frame in 1 30 60 100 150 200 240; do
    args+=(--png "$frame:$folder/frame-$(printf '%03d' "$frame").png")
  done
  build/release/src/shell/explosions-record "${args[@]}"
  echo "$folder"
  exit 0
fi
if [ ! -x "$demo" ]; then
  echo "explosions: the demo's window is not built yet; the build and the tests are ready."
  exit 0
fi
exec "$demo"
