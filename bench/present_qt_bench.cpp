// Cost of showing a frame through the Qt window back end on Qt's offscreen platform: the copy
// of the back buffer into the window's image, the repaint it asks for, and one whole frame of
// the loop for comparison with the headless numbers of bench_frame.
#include "particles/particles.h"
#include "platform/platform.h"
#include "random/random.h"
#include "shell/shell.h"

#include "demo_start.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdlib>

namespace {

constexpr int FramesPerWindow = 30; // frames measured after each spawn of the explosion
char ProgramName[] = "bench_present_qt";

// The demo's start-up with the Qt window, on virtual time: the frame cap's wait moves the
// virtual clock instead of spinning, so what is measured is the presentation's own work.
// The back buffer holds one drawn frame (ground, icons, the start-up explosion).
void StartDemo() {
  StartDemoOnVirtualTime(ProgramName);
  RunFrame();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// One explosion at the place bench_frame gives its first one (y drawn before x, as a press).
void SpawnOneExplosion() {
  SeedRandom(7);
  const int32_t y = RandomUpTo(600);
  const int32_t x = RandomUpTo(600);
  SpawnExplosion(x, y);
}

// PresentFrame alone: the frame cap (virtual) and the conversion of the back buffer into the
// window's image. The repaint is only requested here.
void BM_QtPresentFrame(benchmark::State& state) {
  StartDemo();
  for (auto _ : state)
    PresentFrame(0);
  StopDemo();
}
BENCHMARK(BM_QtPresentFrame)->Unit(benchmark::kMicrosecond);

// PresentFrame and the event processing that paints the image into the window, as the frame
// loop's next poll does.
void BM_QtPresentAndPaint(benchmark::State& state) {
  StartDemo();
  for (auto _ : state) {
    PresentFrame(0);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  StopDemo();
}
BENCHMARK(BM_QtPresentAndPaint)->Unit(benchmark::kMicrosecond);

// One frame of the loop with the Qt window and one live explosion, measured like bench_frame's
// BM_Frame/1/0: frames 1..FramesPerWindow after a spawn, the explosion spawned afresh outside
// the timing after every window.
void BM_QtFrame(benchmark::State& state) {
  StartDemo();
  FreeParticleList();
  CreateParticleList();
  SpawnOneExplosion();
  int frame = 0;
  for (auto _ : state) {
    RunFrame();
    if (++frame == FramesPerWindow) {
      state.PauseTiming();
      frame = 0;
      FreeParticleList();
      CreateParticleList();
      SpawnOneExplosion();
      state.ResumeTiming();
    }
  }
  StopDemo();
}
BENCHMARK(BM_QtFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

// Qt needs no display on the offscreen platform; a platform chosen by the caller is kept.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
