// Speed of the demo's whole frame on the headless window: RunFrame as the frame loop calls it
// (ground, icons, the particle pass, presentation, the meter and the event drain), with live
// explosions over a floor of accumulated scorches, and the start-up up to the first frame.
#include "particles/particles.h"
#include "platform/platform.h"
#include "random/random.h"
#include "shell/shell.h"
#include "sprites/sprites.h"

#include "demo_start.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int FramesPerWindow = 30;   // frames measured after each spawn of the explosions
constexpr uint32_t ScorchSeed = 2026; // places of the accumulated scorches
constexpr uint32_t ExplosionSeed = 7; // places of the live explosions
constexpr int ExplosionBound = 600;   // both coordinates, as the frame loop's presses
char ProgramName[] = "bench_frame";

// The demo's start-up on the headless window, on virtual time; the one explosion it spawns
// is removed so that every benchmark chooses its own load.
void StartDemo() {
  StartDemoOnVirtualTime(ProgramName);
  FreeParticleList();
  CreateParticleList();
}

// Spawns `count` explosions at seeded places, appended after every node already there, the
// way the frame loop's drain appends a press's explosion after the pass.
void SpawnExplosions(int count, uint32_t seed) {
  ResetParticleList();
  while (NextParticleNode() != nullptr) {
  }
  SeedRandom(seed);
  for (int i = 0; i < count; ++i) {
    const int32_t y = RandomUpTo(ExplosionBound);
    const int32_t x = RandomUpTo(ExplosionBound);
    SpawnExplosion(x, y);
  }
}

// The scorches that `count` explosions leave behind, without drawing a frame: the explosions
// are spawned and every node that is not a scorch is deleted at once.
void AccumulateScorches(int count) {
  SpawnExplosions(count, ScorchSeed);
  ResetParticleList();
  for (ParticleNode* n = NextParticleNode(); n != nullptr; n = NextParticleNode())
    if (n->particle.sprite != SpriteScorch) DeleteCurrentParticleNode();
}

// Deletes every node after the first `keep`: the live explosions behind the scorch floor.
void DeleteAfter(int keep) {
  ResetParticleList();
  int index = 0;
  for (ParticleNode* n = NextParticleNode(); n != nullptr; n = NextParticleNode())
    if (index++ >= keep) DeleteCurrentParticleNode();
}

// One frame of the loop with N live explosions (range 0) over M scorches (range 1). Scorches
// never expire and never move, so the floor stays as built. The explosions are spawned
// afresh, outside the timing, every FramesPerWindow frames, so that every measured frame is
// one of frames 1..FramesPerWindow after a spawn; at 1 ms per frame nothing expires in that
// window.
void BM_Frame(benchmark::State& state) {
  const int explosions = static_cast<int>(state.range(0));
  const int scorches = static_cast<int>(state.range(1));
  StartDemo();
  AccumulateScorches(scorches);
  // Two frames to settle: the first finds the scorches at rest, the second draws them once
  // and keeps the picture that every later frame starts from.
  for (int i = 0; i < 2; ++i)
    RunFrame();
  SpawnExplosions(explosions, ExplosionSeed);

  int frame = 0;
  int64_t windows = 0;
  int64_t nodesSeen = 0; // nodes at the start and the end of every window
  nodesSeen += CountParticleNodes();
  for (auto _ : state) {
    RunFrame();
    if (++frame == FramesPerWindow) {
      state.PauseTiming();
      nodesSeen += CountParticleNodes();
      ++windows;
      frame = 0;
      if (explosions > 0) {
        // A scorch at rest right behind the floor joins it, as in the demo; only what lies
        // behind the floor is replaced, so the floor grows by one scorch per window.
        DeleteAfter(ParticleList.settledCount);
        SpawnExplosions(explosions, ExplosionSeed);
      }
      nodesSeen += CountParticleNodes();
      state.ResumeTiming();
    }
  }
  if (frame != 0) {
    nodesSeen += CountParticleNodes();
    ++windows;
  } else {
    nodesSeen -= CountParticleNodes(); // the window spawned after the last frame never ran
  }
  state.counters["particles"] =
      windows > 0 ? static_cast<double>(nodesSeen) / static_cast<double>(2 * windows) : 0;
  StopDemo();
}
BENCHMARK(BM_Frame)
    ->ArgNames({"N", "M"})
    ->ArgsProduct({{0, 1, 10, 30}, {0, 1000, 10000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// From nothing to the first presented frame: the whole start-up (window, screen, sprite set
// decoded from the embedded images, quads, the first explosion), one frame of the loop with
// its presentation, then the shutdown. On virtual time, so the frame cap's wait costs nothing
// here; the real demo's first frame waits one period (1 ms) more.
void BM_StartUpToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    StartDemoOnVirtualTime(ProgramName);
    RunFrame();
    StopDemo();
  }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond);

} // namespace
