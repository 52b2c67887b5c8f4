// The workload and its drawing by our own renderer.
#include "workload.h"

#include "platform/headless.h"
#include "platform/platform.h"
#include "platform/quads.h"
#include "random/random.h"
#include "sprites/sprites.h"

namespace {

struct WorkloadState {
  bool started;
};
WorkloadState Scene{};

// The corners exactly as a particle's draw leaves them: reset, sized, then turned.
void PlaceCorners(WorkloadQuad& q) {
  RotateQuad(q.quad, 0, 0);
  SetQuadSize(q.quad, 64, 64);
  if (q.angle != 0) RotateQuad(q.quad, q.angle, 1);
  const Quad* quad = FindQuad(q.quad);
  for (int i = 0; i < 4; ++i) {
    q.cornerX[i] = quad != nullptr ? quad->vertices[i].x + static_cast<float>(q.x) : 0;
    q.cornerY[i] = quad != nullptr ? quad->vertices[i].y + static_cast<float>(q.y) : 0;
  }
}

WorkloadQuad NewQuad(int quad, int source, int destination, int angle) {
  WorkloadQuad q{};
  q.quad = quad;
  q.x = RandomUpTo(600);
  q.y = RandomUpTo(600);
  q.source = source;
  q.destination = destination;
  q.angle = angle;
  PlaceCorners(q);
  return q;
}

} // namespace

bool StartWorkloadScene() {
  UseVirtualClock(10'000'000, 0);
  OpenHeadlessScreen();
  EnablePngDecoding();
  LoadSpriteSet();
  MakePaleSmoke();
  CreateSpriteQuads();
  Scene.started = true;
  for (const int n : {1, 2, 6, 7, 8})
    if (FindQuad(n) == nullptr) return false;
  return GetSpriteWidth(0) > 0 && ScreenPixels() != nullptr;
}

void StopWorkloadScene() {
  if (!Scene.started) return;
  CloseHeadlessScreen();
  UseRealClock();
  Scene.started = false;
}

// Per explosion: one scorch at a random angle, 11 unrotated glows, 22 smoke quads of the
// three smoke sprites with every other one at a random angle.
Workload MakeWorkload(int explosions, uint32_t seed) {
  Workload w;
  SeedRandom(seed);
  for (int e = 0; e < explosions; ++e) {
    w.quads.push_back(NewQuad(SpriteScorch, BlendZero, BlendSrcColor, RandomUpTo(359)));
    for (int i = 0; i < 11; ++i)
      w.quads.push_back(NewQuad(SpriteGlow, BlendSrcColor, BlendOne, 0));
    constexpr int smoke[3] = {SpriteSmoke, SpriteSmokePale, SpriteSmokePaler};
    for (int i = 0; i < 22; ++i) {
      const int quad = smoke[RandomUpTo(2)];
      const int angle = i % 2 == 0 ? RandomUpTo(359) : 0;
      w.quads.push_back(NewQuad(quad, BlendZero, BlendSrcColor, angle));
    }
  }
  return w;
}

void DrawWorkloadOurs(const Workload& w) {
  for (int y = 0; y < FrameHeight; y += 256)
    for (int x = 0; x < FrameWidth; x += 256)
      DrawSprite(SpriteGround, x, y);
  BeginQuads();
  for (const WorkloadQuad& q : w.quads) {
    RotateQuad(q.quad, 0, 0);
    SetQuadSize(q.quad, 64, 64);
    if (q.angle != 0) RotateQuad(q.quad, q.angle, 1);
    SetBlendFactors(q.source, q.destination);
    DrawQuad(q.quad, q.x, q.y);
  }
  EndQuads();
}
