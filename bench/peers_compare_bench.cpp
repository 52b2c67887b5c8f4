// Our renderer against the other ways of drawing the same frames, in one run: ground tiles
// plus 34, 340 and 3400 quads of the demo's sprites, as time per frame and megapixels per
// second (pixels covered by quads).
#include "peers_common.h"

#include <benchmark/benchmark.h>

namespace {

void DrawPeer(benchmark::State& state, const PeerEntry* entry) {
  const Workload& w = GetWorkload(static_cast<int>(state.range(0)));
  std::unique_ptr<Peer> peer = entry->make();
  if (peer == nullptr) {
    state.SkipWithError("peer not available");
    return;
  }
  peer->Prepare(w);
  if (!peer->Ready()) {
    state.SkipWithError("peer could not start");
    return;
  }
  for (auto _ : state)
    peer->DrawFrame();
  // The limits touch every pixel of the frame once; the others the pixels under the quads.
  const bool limit = entry->name.rfind("limit_", 0) == 0;
  const double pixels = limit ? BenchWidth * BenchHeight : static_cast<double>(w.coveredPixels);
  state.counters["Mpix/s"] =
      benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["quads"] = static_cast<double>(w.draws.size());
}

const bool Registered = [] {
  for (const PeerEntry& p : PeerList())
    benchmark::RegisterBenchmark(("BM_Peer/" + p.name).c_str(), DrawPeer, &p)
        ->Arg(34)
        ->Arg(340)
        ->Arg(3400)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime(); // llvmpipe draws on threads of its own
  return true;
}();

} // namespace
