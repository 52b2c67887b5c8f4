#!/usr/bin/env bash
# Builds and runs the benchmarks in one Release build (build/bench), then prints one table:
# each renderer workload drawn by each peer, time per frame and its ratio to our renderer,
# followed by how many pixels each peer's picture differs from ours.
# Usage: bench/run_peers.sh [min seconds per benchmark, default 0.5]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
min_time="${1:-0.5}"
build=build/bench
out="$build/results"

scripts/ensure-packages.sh bench/peers_packages.txt
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEXPLOSIONS_GUI=OFF >/dev/null
benches=$(cmake --build "$build" --target help | sed -n 's/^\(bench_[A-Za-z0-9_]*\):.*/\1/p' | sort -u)
cmake --build "$build" -j2 --target peers_compare_diff bench_peers_compare
built=()
for b in $benches; do
  if cmake --build "$build" -j2 --target "$b" >/dev/null; then
    built+=("$b")
  else
    echo "($b did not build; left out)"
  fi
done
mkdir -p "$out"

for b in "${built[@]}"; do
  exe=$(find "$build" -type f -name "$b" -perm -u+x | head -1)
  [ -n "$exe" ] || continue
  echo "== $b"
  "$exe" --benchmark_min_time="$min_time" --benchmark_out="$out/$b.json" \
    --benchmark_out_format=json
done

"$build/bench/peers_compare_diff" "$out" >"$out/diff.txt"

echo
echo "== Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
python3 - "$out/bench_peers_compare.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
table, peers = {}, []
for r in runs:
    if r.get("error_occurred"):
        continue
    parts = r["run_name"].split("/")  # BM_Peer/<peer>/<quads>/real_time
    peer, quads = parts[1], int(parts[2])
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[r["time_unit"]]
    table[(peer, quads)] = (r["real_time"] * scale, r.get("Mpix/s", 0))
    if peer not in peers:
        peers.append(peer)
workloads = sorted({q for _, q in table})
print(f"{'workload':<20} {'peer':<22} {'ms/frame':>10} {'Mpix/s':>9} {'vs ours':>9}")
for q in workloads:
    ours = table.get(("ours", q), (None,))[0]
    for p in peers:
        if (p, q) not in table:
            continue
        ms, mpix = table[(p, q)]
        ratio = f"{ms / ours:8.3f}x" if ours else "      n/a"
        print(f"{'ground + %d quads' % q:<20} {p:<22} {ms:10.3f} {mpix:9.1f} {ratio:>9}")
PY
echo
cat "$out/diff.txt"
echo "(pictures of each peer and of the differences: $out/*.png)"
