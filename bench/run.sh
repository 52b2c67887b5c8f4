#!/usr/bin/env bash
# Builds and runs the renderer benchmarks and the peer comparison in one go, then prints one
# table: per workload (ground tiles plus 34, 340 or 3400 quads) and per way of drawing it,
# the wall time per frame and its ratio to our renderer. Then the whole-frame benchmarks and
# a second table: the demo's frame per live explosions and accumulated scorches, the start-up
# to the first frame, and presentation through the Qt window. Numbers are from this one run.
#   bench/run.sh                 full run
#   MIN_TIME=0.05 bench/run.sh   shorter run (seconds per benchmark)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/ensure-packages.sh bench/packages.txt

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEXPLOSIONS_GUI=ON >/dev/null
cmake --build "$build" -j2 --target bench_renderer bench_peers peers_diff bench_frame \
  bench_present_qt

min_time="${MIN_TIME:-0.5}"
out="$build/bench_peers.csv"
frames_out="$build/bench_frame.csv"
qt_out="$build/bench_present_qt.csv"

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo "== load average before the run: $(cut -d" " -f1-3 /proc/loadavg)"
echo "== bench_renderer"
"$build/bench/bench_renderer" --benchmark_min_time="$min_time"
echo "== bench_peers"
"$build/bench/bench_peers" --benchmark_min_time="$min_time" \
  --benchmark_out="$out" --benchmark_out_format=csv
echo "== peers_diff"
"$build/bench/peers_diff"

echo
echo "== ms per frame (wall time), ratio = peer time / our time"
awk -F, '
  NR == 1 || $1 !~ /^"BM_/ { next }
  {
    name = $1; gsub(/"/, "", name)
    split(name, part, "/")
    peer = substr(part[1], 4); quads = part[2]
    if ($9 == "true") { failed[peer] = 1; next }
    ms = $3
    if ($5 == "us") ms /= 1000; else if ($5 == "ns") ms /= 1e6; else if ($5 == "s") ms *= 1000
    if (quads == 0) limit[peer] = ms; else time[peer, quads] = ms
    if (!(peer in seen)) { seen[peer] = 1; order[++n] = peer }
  }
  END {
    printf "%-7s %-18s %12s %10s %14s\n", "quads", "peer", "ms/frame", "x ours", "x one thread"
    split("34 340 3400", sizes, " ")
    for (s = 1; s <= 3; ++s) {
      q = sizes[s]; ours = time["Ours", q]; one = time["OursOneThread", q]
      for (i = 1; i <= n; ++i) {
        p = order[i]
        if (p in failed) { printf "%-7s %-18s %12s\n", q, p, "n/a"; continue }
        t = (p in limit) ? limit[p] : time[p, q]
        printf "%-7s %-18s %12.3f %10.3f %14.3f\n", q, p, t, (ours > 0 ? t / ours : 0),
               (one > 0 ? t / one : 0)
      }
    }
  }' "$out"

echo
echo "== bench_frame"
"$build/bench/bench_frame" --benchmark_min_time="$min_time" \
  --benchmark_out="$frames_out" --benchmark_out_format=csv
echo "== bench_present_qt"
# Qt wants a private runtime folder; a temporary one keeps its warnings out of the output.
runtime_dir="$(mktemp -d)"
trap 'rm -rf "$runtime_dir"' EXIT
XDG_RUNTIME_DIR="$runtime_dir" QT_QPA_PLATFORM=offscreen "$build/bench/bench_present_qt" \
  --benchmark_min_time="$min_time" --benchmark_out="$qt_out" --benchmark_out_format=csv

echo
echo "== whole frames: ms per frame, wall time (CPU time), N live explosions over M scorches"
awk -F, '
  FNR == 1 || $1 !~ /^"BM_/ { next }
  {
    name = $1; gsub(/"/, "", name)
    scale = 1
    if ($5 == "us") scale = 1e-3; else if ($5 == "ns") scale = 1e-6; else if ($5 == "s") scale = 1e3
    ms = $3 * scale; cms = $4 * scale
    if (name ~ /^BM_Frame\//) {
      split(name, part, "/"); n = substr(part[2], 3); m = substr(part[3], 3)
      frame[n, m] = ms; cpu[n, m] = cms; particles[n, m] = $11
    } else {
      sub(/\/real_time$/, "", name); other[name] = ms; othercpu[name] = cms
    }
  }
  END {
    split("0 1 10 30", ns, " "); split("0 1000 10000", ms_, " ")
    printf "%-4s", "N"
    for (j = 1; j <= 3; ++j) printf " %20s %9s", "M=" ms_[j], "particles"
    printf "\n"
    for (i = 1; i <= 4; ++i) {
      printf "%-4s", ns[i]
      for (j = 1; j <= 3; ++j) {
        k = ns[i] SUBSEP ms_[j]
        if (k in frame) printf " %9.3f (%8.3f) %9d", frame[k], cpu[k], particles[k]
        else printf " %20s %9s", "n/a", ""
      }
      printf "\n"
    }
    if (("0" SUBSEP "0") in frame && ("0" SUBSEP "10000") in frame && frame["0", "0"] > 0)
      printf "M=10000 / M=0 at N=0: %.2f (CPU time %.2f; target: at most 1.2)\n",
             frame["0", "10000"] / frame["0", "0"], cpu["0", "10000"] / cpu["0", "0"]
    show("start-up to the first presented frame (headless)", "BM_StartUpToFirstFrame")
    show("Qt: PresentFrame alone", "BM_QtPresentFrame")
    show("Qt: PresentFrame and its repaint", "BM_QtPresentAndPaint")
    show("Qt: whole frame, N=1, M=0", "BM_QtFrame")
  }
  function show(what, key) {
    if (key in other) printf "%-50s %9.3f ms (%.3f)\n", what, other[key], othercpu[key]
    else printf "%-50s %10s\n", what, "n/a"
  }' "$frames_out" "$qt_out"
