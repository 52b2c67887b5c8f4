#!/usr/bin/env bash
# End to end on a private X server: the demo's window, its title, a click on its button that
# puts a scorch where the first press lands, and a window manager's close request that ends
# the program with exit code 0.
# Usage: e2e_xvfb.sh EXPLOSIONS X11_PROBE
set -euo pipefail
demo="$1"
probe="$2"
work="$(mktemp -d)"
xvfb_pid=""
demo_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A display number nobody uses.
for n in $(seq 90 190); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then break; fi
done
export DISPLAY=":$n"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  "$probe" geometry 0x0 >/dev/null 2>&1 && break
  xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.1
done

QT_QPA_PLATFORM=xcb "$demo" >"$work/demo.log" 2>&1 &
demo_pid=$!
window=""
for _ in $(seq 100); do
  window="$(xdotool search --onlyvisible --name '^(fps|SPF): ' 2>/dev/null | head -1 || true)"
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled like the meter appeared"

read -r x y width height < <("$probe" geometry "$window")
[ "$width" = 600 ] && [ "$height" = 600 ] || fail "client area is ${width}x${height}, not 600x600"
# Without a window manager the frame is the client area: centred on 1024x768.
[ "$x" = 212 ] && [ "$y" = 84 ] || fail "window at ($x, $y), not centred at (212, 84)"
title="$(xdotool getwindowname "$window")"
[[ "$title" =~ ^(fps|SPF):\ [0-9]+\ -\ [0-9]+$ ]] || fail "title '$title'"

# The first press of a run lands at (106, 376); its 64x64 scorch darkens the ground there.
before="$("$probe" mean "$window" 118 388 40 40)"
xdotool mousemove --window "$window" 300 590 click 1
after="$before"
for _ in $(seq 50); do
  sleep 0.1
  after="$("$probe" mean "$window" 118 388 40 40)"
  awk -v b="$before" -v a="$after" 'BEGIN { exit !(a < b * 0.8) }' && break
done
awk -v b="$before" -v a="$after" 'BEGIN { exit !(a < b * 0.8) }' ||
  fail "no scorch after the click: mean $before before, $after after"

"$probe" close "$window"
for _ in $(seq 50); do
  kill -0 "$demo_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$demo_pid" 2>/dev/null && fail "still running 5 s after the close request"
status=0
wait "$demo_pid" || status=$?
demo_pid=""
[ "$status" = 0 ] || fail "exit code $status"
echo "PASS: 600x600 at ($x, $y), title '$title', scorch mean $before -> $after, exit 0"
