// Speed of the software renderer: quad fill rate under the demo's two blend pairs, plain and
// rotated, and the drawing part of one frame (ground tiles, icons, one explosion).
#include "particles/particles.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "platform/quads.h"
#include "random/random.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

Colour Grey(int level) {
  return static_cast<Colour>(level | level << 8 | level << 16);
}

void MakeSprite(int number, int size, int mode, Colour key, Colour (*texel)(int, int, int)) {
  SpriteRecord* s = SpriteSlot(number);
  s->pixels.resize(static_cast<size_t>(size) * size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      s->pixels[y * size + x] = texel(x, y, size);
  s->width = size;
  s->height = size;
  s->mode = mode;
  s->colourKey = key;
  TouchSprite(*s);
}

// Stand-ins for the art with about the same share of keyed texels: a grey puff on white, a
// bright disc on black, a brown blot on white, a mottled olive ground.
Colour PuffTexel(int x, int y, int size) {
  const double r = std::hypot(x - size / 2.0, y - size / 2.0) / (size / 2.0);
  return r < 0.65 ? Grey(80 + static_cast<int>(r * 150)) : Grey(255);
}
Colour GlowTexel(int x, int y, int size) {
  const double r = std::hypot(x - size / 2.0, y - size / 2.0) / (size / 2.0);
  return r < 1 ? Grey(static_cast<int>(235 * (1 - r))) : 0;
}
Colour ScorchTexel(int x, int y, int size) {
  const double r = std::hypot(x - size / 2.0, y - size / 2.0) / (size / 2.0);
  return r < 0.55 ? (116 | 86 << 8 | 60 << 16) : Grey(255);
}
Colour GroundTexel(int x, int y, int) {
  const int l = 40 + (x * 7 + y * 13) % 60;
  return static_cast<Colour>(l | l << 8 | (l / 2) << 16);
}

// A screen, the four sprites above as 1 (smoke), 2 (glow), 8 (scorch), 0 (ground), quads
// made from them, and an open phase.
struct Scene {
  Scene() {
    UseVirtualClock(10'000'000, 0);
    OpenHeadlessScreen();
    MakeSprite(0, 256, SpriteModePlain, 0, GroundTexel);
    MakeSprite(1, 64, SpriteModeTexture, Grey(255), PuffTexel);
    MakeSprite(2, 64, SpriteModeTexture, 0, GlowTexel);
    MakeSprite(8, 64, SpriteModeTexture, 0, ScorchTexel);
    for (const int n : {1, 2, 8})
      CreateQuad(n, n);
    for (int y = 0; y < 580; y += 256)
      for (int x = 0; x < 600; x += 256)
        DrawSprite(0, x, y);
    BeginQuads();
  }
  ~Scene() {
    CloseHeadlessScreen();
    UseRealClock();
  }
};

// A solid 64 x 64 texture (nothing keyed) drawn over and over across the screen.
// Arguments: the pair (0 multiplying 1 / 3, 1 adding 3 / 2) and the angle in degrees.
void BM_QuadFill(benchmark::State& state) {
  Scene scene;
  MakeSprite(3, 64, SpriteModeTexture, 0xFFFFFFFF,
             [](int x, int y, int) { return Grey(100 + (x ^ y) % 100); });
  CreateQuad(3, 3);
  const bool adding = state.range(0) != 0;
  const int angle = static_cast<int>(state.range(1));
  if (angle != 0) RotateQuad(3, angle, 0);
  if (adding)
    SetBlendFactors(BlendSrcColor, BlendOne);
  else
    SetBlendFactors(BlendZero, BlendSrcColor);

  // Count the pixels one draw covers, on a white screen, to turn draws into pixels.
  std::fill(ScreenPixels(), ScreenPixels() + 600 * 580, Grey(255));
  SetBlendFactors(BlendZero, BlendSrcColor);
  DrawQuad(3, 100, 100);
  int64_t covered = 0;
  for (int i = 0; i < 600 * 580; ++i)
    covered += ScreenPixels()[i] != Grey(255);
  SetBlendFactors(adding ? BlendSrcColor : BlendZero, adding ? BlendOne : BlendSrcColor);

  int step = 0;
  for (auto _ : state) {
    DrawQuad(3, 40 + (step * 37) % 480, 40 + (step * 53) % 460);
    benchmark::DoNotOptimize(ScreenPixels()); // draws are queued until the buffer is needed
    ++step;
  }
  state.counters["Mpx"] = benchmark::Counter(static_cast<double>(covered) * 1e-6,
                                             benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(adding ? "adding 3/2" : "multiplying 1/3");
}
BENCHMARK(BM_QuadFill)->Args({0, 0})->Args({1, 0})->Args({0, 30})->Args({1, 30});

// The drawing of one frame: nine ground tiles, the two icons and the 34 quads of a fresh
// explosion in the middle of the screen (particles drawn, not updated).
void BM_FrameWithOneExplosion(benchmark::State& state) {
  Scene scene;
  CreateParticleList();
  SeedRandom(0);
  SpawnExplosion(268, 258);
  for (auto _ : state) {
    for (int y = 0; y < 600; y += 256)
      for (int x = 0; x < 600; x += 256)
        DrawSprite(0, x, y);
    SetQuadSize(1, 50, 50);
    SetBlendFactors(BlendZero, BlendSrcColor);
    DrawQuad(1, 5, 5, 255);
    SetBlendFactors(BlendSrcColor, BlendOne);
    DrawQuad(2, 75, 5, 255);
    for (ParticleNode* n = ParticleList.first; n != nullptr; n = n->next)
      n->draw(&n->particle);
    benchmark::DoNotOptimize(ScreenPixels()); // draws are queued until the buffer is needed
  }
  FreeParticleList();
}
BENCHMARK(BM_FrameWithOneExplosion)->Unit(benchmark::kMicrosecond);

// The ground tiles alone, for comparison.
void BM_GroundTiles(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    for (int y = 0; y < 600; y += 256)
      for (int x = 0; x < 600; x += 256)
        DrawSprite(0, x, y);
    benchmark::DoNotOptimize(ScreenPixels()); // draws are queued until the buffer is needed
  }
}
BENCHMARK(BM_GroundTiles)->Unit(benchmark::kMicrosecond);

} // namespace
