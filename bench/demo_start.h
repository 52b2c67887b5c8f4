// The demo's own start-up and shutdown on virtual time, for the whole-frame benchmarks: the
// frame cap's wait moves the virtual clock instead of spinning, and every frame lasts 1 ms.
#pragma once

#include "particles/particles.h"
#include "platform/platform.h"
#include "random/random.h"
#include "shell/shell.h"

#include <cstdint>

constexpr uint32_t BenchStartMs = 10'000'000; // the virtual clock's reading at set-up
constexpr int64_t BenchFrameTicks = 1000;     // virtual microseconds per frame: 1 ms

// StartUp with the window back end the benchmark is linked with; argv[0] is `program`. The
// arguments outlive the call: the window system may keep them.
inline void StartDemoOnVirtualTime(char* program) {
  static char* arguments[2];
  arguments[0] = program;
  UseVirtualClock(BenchStartMs, 0);
  SetVirtualFrameTicks(BenchFrameTicks);
  ResetRandomGenerator();
  StartUp(1, arguments);
}

inline void StopDemo() {
  FreeParticleList();
  ShutDown();
  SetVirtualFrameTicks(0);
  UseRealClock();
}
