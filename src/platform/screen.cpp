// The sprite system's start and stop, the screen's back buffer inside the window, and the
// opaque 2-D copy that tiles the ground.
#include "platform/internal.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Larger back buffers are refused rather than allocated (a 8192 x 8192 one is 256 MiB).
constexpr int MaxScreenSide = 8192;

struct ScreenState {
  std::vector<uint32_t> pixels; // the back buffer, width x height, Colour layout
  int width;                    // pixels, 0 without a screen
  int height;                   // pixels, 0 without a screen
};
ScreenState Screen{};

// The window may keep showing the back buffer for repaints, so it is detached first.
void CloseScreen() {
  DropQueuedDraws();
  if (Screen.width != 0) DetachScreen();
  Screen = ScreenState{};
  ResetPrefixCache();
}

} // namespace

int StartSpriteSystem() {
  CloseScreen();
  ClearSpriteTable();
  ResetFrameCap();
  ResetQuadDevice();
  return 1;
}

void StopSpriteSystem() {
  StopDrawThreads();
  ResetQuadDevice();
  ClearSpriteTable();
  CloseScreen();
}

// Window 0 is refused at once and changes nothing. Otherwise opening replaces any open
// screen, and a failed open leaves none. The screen is always shown unstretched at (x, y):
// autoStretch and the margins are accepted and have no effect.
int OpenScreenInWindow(intptr_t window, int x, int y, int width, int height, int, int, int) {
  if (window == 0) return 0;
  if (!FrameCapSet()) SetFrameCap(60);
  CloseScreen();
  if (width <= 0 || height <= 0 || width > MaxScreenSide || height > MaxScreenSide) return 0;
  if (AttachScreenToWindow(window, x, y, width, height) != 1) return 0;
  Screen.pixels.assign(static_cast<size_t>(width) * height, 0x000000);
  Screen.width = width;
  Screen.height = height;
  return 1;
}

uint32_t* ScreenBuffer() {
  return Screen.width != 0 ? Screen.pixels.data() : nullptr;
}

// Whoever asks for the buffer may read or write it, so it is brought up to date first.
uint32_t* ScreenPixels() {
  if (Screen.width == 0) return nullptr;
  ScreenAboutToBeTouched();
  FinishDraws();
  return Screen.pixels.data();
}

int ScreenWidth() {
  return Screen.width;
}

int ScreenHeight() {
  return Screen.height;
}

// Copies every pixel, the sprite's transparent colour included; off-screen parts are cut.
void DrawSprite(int sprite, int x, int y) {
  const SpriteRecord* s = FindSprite(sprite);
  if (s == nullptr || Screen.width == 0) return;
  DrawRecord r{};
  r.source = s;
  r.kind = DrawKindSprite;
  r.generation = s->generation;
  r.x = x;
  r.y = y;
  if (!HoldBackDraw(r)) QueueDraw(r);
}

void CopySpriteToScreen(const SpriteRecord& s, int x, int y, int top, int bottom) {
  const int64_t w = s.width;
  const int64_t h = s.height;
  if (Screen.width == 0 || x >= Screen.width || y >= Screen.height || x <= -w || y <= -h) return;
  const int64_t skipX = x < 0 ? -int64_t{x} : 0;
  const int64_t columns = std::min<int64_t>(w, Screen.width - int64_t{x}) - skipX;
  // Screen rows first..last - 1, within the sprite, the screen and the band.
  const int64_t first = std::max<int64_t>({int64_t{y}, 0, top});
  const int64_t last = std::min<int64_t>({int64_t{y} + h, Screen.height, bottom});
  for (int64_t row = first; row < last; ++row) {
    const Colour* from = s.pixels.data() + (row - y) * w + skipX;
    uint32_t* to = Screen.pixels.data() + row * Screen.width + (x + skipX);
    std::memcpy(to, from, static_cast<size_t>(columns) * sizeof(Colour));
  }
}
