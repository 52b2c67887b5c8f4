// Cost of the particle pass per node and of spawning one explosion.
#include "particles/particles.h"
#include "platform/platform.h"
#include "random/random.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SpawnExplosion(benchmark::State& state) {
  UseVirtualClock(10'000'000, 0);
  CreateParticleList();
  SeedRandom(0);
  for (auto _ : state) {
    SpawnExplosion(100, 200);
    state.PauseTiming();
    FreeParticleList();
    state.ResumeTiming();
  }
  FreeParticleList();
  UseRealClock();
}
BENCHMARK(BM_SpawnExplosion);

// A pass over N explosions whose particles live on: the clock never moves, so nothing expires.
void BM_RunParticlePass(benchmark::State& state) {
  UseVirtualClock(10'000'000, 0);
  CreateParticleList();
  SeedRandom(0);
  const auto explosions = state.range(0);
  for (int64_t i = 0; i < explosions; ++i)
    SpawnExplosion(100, 200);
  const int nodes = CountParticleNodes();
  for (auto _ : state)
    RunParticlePass();
  state.SetItemsProcessed(state.iterations() * nodes);
  FreeParticleList();
  UseRealClock();
}
BENCHMARK(BM_RunParticlePass)->Arg(1)->Arg(10)->Arg(100);

} // namespace
