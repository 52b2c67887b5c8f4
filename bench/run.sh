#!/usr/bin/env bash
# Builds and runs the renderer benchmarks and the peer comparison in one go, then prints one
# table: per workload (ground tiles plus 34, 340 or 3400 quads) and per way of drawing it,
# the wall time per frame and its ratio to our renderer. Numbers are from this one run.
#   bench/run.sh                 full run
#   MIN_TIME=0.05 bench/run.sh   shorter run (seconds per benchmark)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/ensure-packages.sh bench/packages.txt

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEXPLOSIONS_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target bench_renderer bench_peers peers_diff

min_time="${MIN_TIME:-0.5}"
out="$build/bench_peers.csv"

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
    printf "%-7s %-18s %12s %10s\n", "quads", "peer", "ms/frame", "x ours"
    split("34 340 3400", sizes, " ")
    for (s = 1; s <= 3; ++s) {
      q = sizes[s]; ours = time["Ours", q]
      for (i = 1; i <= n; ++i) {
        p = order[i]
        if (p in failed) { printf "%-7s %-18s %12s\n", q, p, "n/a"; continue }
        t = (p in limit) ? limit[p] : time[p, q]
        printf "%-7s %-18s %12.3f %10.3f\n", q, p, t, (ours > 0 ? t / ours : 0)
      }
    }
  }' "$out"
