// The frame prefix cache. A frame starts with opaque copies that cover the whole back buffer
// (the ground), so what stands in the buffer after the frame's first draws depends on those
// draws alone. When they and the following settled run repeat a frame whose result was
// kept, one copy of the kept picture replaces them all. Draws are held back while they
// match; the first one that differs, or any look at the buffer, draws the held-back ones
// for real, so the picture is always the one that drawing everything would give.
#include "platform/quads.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr int MaxPrefixDraws = 64; // draws before the settled run that a frame can record

struct KeptPicture {
  bool valid;
  std::array<DrawRecord, MaxPrefixDraws> draws; // the draws before the run
  int drawCount;
  uint64_t run;                 // the settled run drawn after them
  int32_t runCount;             // its length
  uint32_t spriteEpoch;         // textures and quads as they were
  uint32_t quadEpoch;           //
  QuadDeviceState device;       // the device as the run found it
  std::vector<uint32_t> pixels; // the back buffer after the run
};

struct PrefixCacheState {
  bool plain;    // no shortcuts
  uint64_t uses; // frames whose front came from a kept picture
  // The frame being drawn.
  std::array<DrawRecord, MaxPrefixDraws> frame; // its draws before the settled run
  int frameCount;
  bool frameOverflow; // more draws than fit: this frame keeps nothing
  bool recording;     // still before the settled run
  bool runSeen;       // the frame has had its settled run
  bool inRun;         // between BeginSettledDraws and EndSettledDraws
  uint64_t run;       // the run being drawn
  int32_t runCount;
  int32_t runSupplied;       // leading draws of it taken from the kept picture
  QuadDeviceState runDevice; // the device as the run found it
  bool holding;              // draws are being held back
  int matched;               // the held-back draws: the kept picture's first `matched`
  KeptPicture kept;
  std::vector<int32_t> reach; // scratch of the coverage check, one entry per row
};
PrefixCacheState Prefix{};

bool SameDraw(const DrawRecord& a, const DrawRecord& b) {
  return std::memcmp(&a, &b, sizeof(DrawRecord)) == 0;
}

bool SameDevice(const QuadDeviceState& a, const QuadDeviceState& b) {
  return a.made == b.made && a.phaseOpen == b.phaseOpen && a.blendSource == b.blendSource &&
         a.blendDestination == b.blendDestination;
}

// True when the sprite copies at the front of the draws overwrite every pixel of the screen
// before anything blends, so that nothing drawn before the frame shows through. Each row is
// followed as one covered stretch from its left edge.
bool CoversScreen(const DrawRecord* draws, int count) {
  const int width = ScreenWidth();
  const int height = ScreenHeight();
  if (width <= 0 || height <= 0) return false;
  Prefix.reach.assign(static_cast<size_t>(height), 0);
  for (int i = 0; i < count && draws[i].kind == DrawKindSprite; ++i) {
    const DrawRecord& d = draws[i];
    const int64_t left = std::max<int64_t>(d.x, 0);
    const int64_t right = std::min<int64_t>(int64_t{d.x} + d.source->width, width);
    const int64_t top = std::max<int64_t>(d.y, 0);
    const int64_t bottom = std::min<int64_t>(int64_t{d.y} + d.source->height, height);
    for (int64_t row = top; row < bottom; ++row) {
      int32_t& r = Prefix.reach[static_cast<size_t>(row)];
      if (left <= r && right > r) r = static_cast<int32_t>(right);
    }
  }
  return std::all_of(Prefix.reach.begin(), Prefix.reach.end(),
                     [width](int32_t r) { return r == width; });
}

void KeepPicture() {
  KeptPicture& k = Prefix.kept;
  k.valid = false;
  FinishDraws();
  if (Prefix.frameOverflow || !CoversScreen(Prefix.frame.data(), Prefix.frameCount)) return;
  const uint32_t* pixels = ScreenBuffer();
  if (pixels == nullptr) return;
  const size_t size = static_cast<size_t>(ScreenWidth()) * ScreenHeight();
  k.pixels.resize(size); // allocates only when the screen's size changes
  std::memcpy(k.pixels.data(), pixels, size * sizeof(uint32_t));
  std::copy_n(Prefix.frame.begin(), Prefix.frameCount, k.draws.begin());
  k.drawCount = Prefix.frameCount;
  k.run = Prefix.run;
  k.runCount = Prefix.runCount;
  k.spriteEpoch = SpriteEpoch();
  k.quadEpoch = QuadEpoch();
  k.device = Prefix.runDevice;
  k.valid = true;
}

} // namespace

bool HoldBackDraw(const DrawRecord& r) {
  PrefixCacheState& p = Prefix;
  if (p.plain) return false;
  if (p.recording) {
    if (p.frameCount < MaxPrefixDraws)
      p.frame[p.frameCount++] = r;
    else
      p.frameOverflow = true;
  }
  if (!p.holding) return false;
  if (p.matched < p.kept.drawCount && SameDraw(r, p.kept.draws[p.matched])) {
    ++p.matched;
    return true;
  }
  DrawHeldBackDraws();
  return false;
}

void DrawHeldBackDraws() {
  PrefixCacheState& p = Prefix;
  if (!p.holding) return;
  p.holding = false;
  for (int i = 0; i < p.matched; ++i)
    QueueDraw(p.kept.draws[i]);
  p.matched = 0;
}

// Before the frame's first draw the buffer may be read or written freely: the covering
// copies overwrite it. Once the front has begun, a write could land in the kept picture.
void ScreenAboutToBeTouched() {
  if (Prefix.matched > 0) DrawHeldBackDraws();
  if (Prefix.recording && Prefix.frameCount > 0) Prefix.frameOverflow = true;
}

void StartFramePrefix() {
  PrefixCacheState& p = Prefix;
  p.frameCount = 0;
  p.frameOverflow = false;
  p.recording = !p.plain;
  p.runSeen = false;
  p.inRun = false;
  p.matched = 0;
  p.holding = !p.plain && p.kept.valid;
}

void ResetPrefixCache() {
  Prefix.kept.valid = false;
  StartFramePrefix();
}

int BeginSettledDraws(uint64_t run, int count) {
  PrefixCacheState& p = Prefix;
  if (p.plain || p.runSeen || count <= 0) {
    DrawHeldBackDraws();
    p.recording = false;
    return 0;
  }
  const KeptPicture& k = p.kept;
  const QuadDeviceState device = InspectQuadDevice();
  int32_t supplied = 0;
  if (p.holding && p.matched == k.drawCount && !p.frameOverflow && p.frameCount == k.drawCount &&
      run == k.run && count >= k.runCount && SpriteEpoch() == k.spriteEpoch &&
      QuadEpoch() == k.quadEpoch && SameDevice(device, k.device)) {
    FinishDraws();
    std::memcpy(ScreenBuffer(), k.pixels.data(), k.pixels.size() * sizeof(uint32_t));
    p.holding = false;
    p.matched = 0;
    supplied = k.runCount;
    ++p.uses;
  } else {
    DrawHeldBackDraws();
  }
  p.recording = false;
  p.runSeen = true;
  p.inRun = true;
  p.run = run;
  p.runCount = count;
  p.runSupplied = supplied;
  p.runDevice = device;
  return supplied;
}

void EndSettledDraws() {
  PrefixCacheState& p = Prefix;
  if (!p.inRun) return;
  p.inRun = false;
  if (p.runSupplied == p.runCount) return; // nothing new: the kept picture stays as it is
  KeepPicture();
}

void UsePlainRenderer(bool on) {
  Prefix.plain = on;
  DrawHeldBackDraws();
  ResetPrefixCache();
  UseCornerTable(!on);
  DrawEachAtOnce(on);
}

uint64_t KeptPictureUses() {
  return Prefix.uses;
}
