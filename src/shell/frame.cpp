// The frame loop: ground, icons and particles drawn into the back buffer, presentation, the
// meter, and the drain of the window's events.
#include "particles/particles.h"
#include "platform/platform.h"
#include "random/random.h"
#include "shell/shell.h"
#include "sprites/sprites.h"

ShellState Shell{};

namespace {

constexpr int GroundSide = 600;     // the tiles cover 600 x 600, below the screen too
constexpr int RandomAdvance = 360;  // draws of RandomUpTo(10) until their sum reaches this
constexpr int ExplosionBound = 600; // both coordinates of a button explosion: 0..600

FrameHook AfterFrame = nullptr; // the recorder's look at each finished frame, or null

// Tiles the ground sprite from the top-left, reading its size again at every step. A ground
// sprite without pixels (width or height 0) would never advance, so it draws nothing.
void DrawGround() {
  for (int y = 0; y < GroundSide;) {
    if (GetSpriteWidth(SpriteGround) <= 0 || GetSpriteHeight(SpriteGround) <= 0) return;
    for (int x = 0; x < GroundSide;) {
      const int width = GetSpriteWidth(SpriteGround);
      if (width <= 0) return;
      DrawSprite(SpriteGround, x, y);
      x += width;
    }
    y += GetSpriteHeight(SpriteGround);
  }
}

// The icons lie beneath every particle: the smoke puff multiplied onto the ground, and the
// glow added to it at the glow quad's own size.
void DrawIcons() {
  SetQuadSize(SpriteSmoke, 50, 50);
  SetBlendFactors(BlendZero, BlendSrcColor);
  DrawQuad(SpriteSmoke, 5, 5, 255);
  SetBlendFactors(BlendSrcColor, BlendOne);
  DrawQuad(SpriteGlow, 75, 5, 255);
}

// Handles every pending event. A press draws y before x from the sequence this frame's reseed
// started, so its place depends only on the count and the presses before it in this drain.
void DrainEvents() {
  for (;;) {
    const int event = PollWindowEvent();
    if (event == 0) return;
    if (event == EventButton) {
      Shell.ExplosionCount = static_cast<int32_t>(static_cast<uint32_t>(Shell.ExplosionCount) + 1);
      const int32_t y = RandomUpTo(ExplosionBound);
      const int32_t x = RandomUpTo(ExplosionBound);
      SpawnExplosion(x, y);
    } else if (event == EventClose) {
      Shell.QuitRequested = 1;
    }
  }
}

} // namespace

void RunFrame() {
  Shell.FrameStart = static_cast<int32_t>(timeGetTime());
  DrawGround();
  BeginQuads();
  SeedRandom(static_cast<uint32_t>(Shell.ExplosionCount));
  for (int sum = 0; sum < RandomAdvance;)
    sum += RandomUpTo(10);
  DrawIcons();
  RunParticlePass();
  EndQuads();
  PresentFrame(0);
  UpdateFrameMeter();
  DrainEvents();
}

void SetFrameHook(FrameHook hook) {
  AfterFrame = hook;
}

void RunFrameLoop() {
  do {
    RunFrame();
    if (AfterFrame != nullptr) AfterFrame();
  } while (Shell.QuitRequested == 0);
}
