// Our renderer against other ways of drawing the same frame, in one run: the ground tiles
// plus 34, 340 or 3400 quads of the demo's own sprites and blend pairs (see workload.h).
// Every peer draws into a 600 x 580 buffer of its own; time is wall time per frame.
#include "workload.h"

#include "platform/platform.h"
#include "platform/quads.h"

#include <benchmark/benchmark.h>

#include <map>
#include <vector>

namespace {

struct PeersState {
  bool tried;
  bool sceneReady;
  bool pixmanReady;
  bool glReady;
  std::map<int, Workload> workloads; // by quad count
  std::vector<uint32_t> frame;       // the scalar loop's and the limits' buffer
  std::vector<uint32_t> source;      // what the memcpy limit copies from
};
PeersState Peers{};

// The scene and every peer, made once for the whole run.
bool Prepare() {
  if (!Peers.tried) {
    Peers.tried = true;
    Peers.sceneReady = StartWorkloadScene();
    if (Peers.sceneReady) {
      for (const int quads : {34, 340, 3400})
        Peers.workloads[quads] = MakeWorkload(quads / QuadsPerExplosion, 2026);
      Peers.pixmanReady = StartPixmanPeer();
      Peers.glReady = StartGlPeer();
    }
    Peers.frame.assign(static_cast<size_t>(FrameWidth) * FrameHeight, 0);
    Peers.source.assign(Peers.frame.size(), 0x336699);
  }
  return Peers.sceneReady;
}

const Workload& WorkloadFor(const benchmark::State& state) {
  return Peers.workloads[static_cast<int>(state.range(0))];
}

// Pixels each frame writes: the ground once plus every quad's 64 x 64.
void Count(benchmark::State& state, bool limit) {
  const double pixels =
      FrameWidth * FrameHeight + (limit ? 0.0 : static_cast<double>(state.range(0)) * 64 * 64);
  state.counters["Mpx/s"] =
      benchmark::Counter(pixels * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Ours(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("the sprite set could not be made");
  const Workload& w = WorkloadFor(state);
  for (auto _ : state) {
    DrawWorkloadOurs(w);
    benchmark::DoNotOptimize(ScreenPixels()[0]);
  }
  Count(state, false);
}

// The same on this thread alone: the single-threaded figure that the targets are set for.
void BM_OursOneThread(benchmark::State& state) {
  UseOneDrawThread(true);
  BM_Ours(state);
  UseOneDrawThread(false);
}

void BM_Scalar(benchmark::State& state) {
  if (!Prepare()) return state.SkipWithError("the sprite set could not be made");
  const Workload& w = WorkloadFor(state);
  for (auto _ : state) {
    DrawWorkloadScalar(w, Peers.frame.data());
    benchmark::DoNotOptimize(Peers.frame[0]);
  }
  Count(state, false);
}

void Pixman(benchmark::State& state, PixmanVariant variant) {
  if (!Prepare() || !Peers.pixmanReady) return state.SkipWithError("pixman is not built in");
  const Workload& w = WorkloadFor(state);
  for (auto _ : state) {
    DrawWorkloadPixman(w, variant);
    benchmark::DoNotOptimize(PixmanFrame()[0]);
  }
  Count(state, false);
}
void BM_PixmanMultiplyAdd(benchmark::State& state) {
  Pixman(state, PixmanMultiplyAdd);
}
void BM_PixmanInReverseAdd(benchmark::State& state) {
  Pixman(state, PixmanInReverseAdd);
}

void BM_Llvmpipe(benchmark::State& state) {
  if (!Prepare() || !Peers.glReady) return state.SkipWithError("no EGL/GLES2 context");
  const Workload& w = WorkloadFor(state);
  for (auto _ : state)
    DrawWorkloadGl(w);
  Count(state, false);
}

void BM_Memcpy(benchmark::State& state) {
  Prepare();
  for (auto _ : state) {
    CopyFrame(Peers.source.data(), Peers.frame.data());
    benchmark::DoNotOptimize(Peers.frame[0]);
    benchmark::ClobberMemory();
  }
  Count(state, true);
}

void BM_TouchOnce(benchmark::State& state) {
  Prepare();
  for (auto _ : state) {
    TouchFrameOnce(Peers.frame.data());
    benchmark::DoNotOptimize(Peers.frame[0]);
    benchmark::ClobberMemory();
  }
  Count(state, true);
}

void Workloads(benchmark::internal::Benchmark* b) {
  b->Arg(34)->Arg(340)->Arg(3400)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Ours)->Apply(Workloads);
BENCHMARK(BM_OursOneThread)->Apply(Workloads);
BENCHMARK(BM_Scalar)->Apply(Workloads);
BENCHMARK(BM_PixmanMultiplyAdd)->Apply(Workloads);
BENCHMARK(BM_PixmanInReverseAdd)->Apply(Workloads);
BENCHMARK(BM_Llvmpipe)->Apply(Workloads);
BENCHMARK(BM_Memcpy)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TouchOnce)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
