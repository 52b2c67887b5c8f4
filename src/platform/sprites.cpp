// The sprite table and pixel access. Every pixel is 32 bits in the Colour layout (red low),
// so channels are stored unchanged.
#include "platform/internal.h"

#include <array>

namespace {

constexpr Colour DefaultColourKey = 0x000000; // black

struct SpriteTableState {
  std::array<SpriteRecord, MaxSpriteNumber + 1> sprites; // fixed slots: stable addresses
  SpriteRecord* access;                                  // sprite under pixel access, or null
  uint32_t nextGeneration;                               // source of generation numbers
};
SpriteTableState Sprites{};

bool InRange(int sprite) {
  return sprite >= 0 && sprite <= MaxSpriteNumber;
}

} // namespace

SpriteRecord* SpriteSlot(int sprite) {
  return InRange(sprite) ? &Sprites.sprites[sprite] : nullptr;
}

SpriteRecord* FindSprite(int sprite) {
  SpriteRecord* s = SpriteSlot(sprite);
  return s != nullptr && !s->pixels.empty() ? s : nullptr;
}

void ClearSpriteTable() {
  FinishDraws(); // queued draws read the pixels as they are now
  for (SpriteRecord& s : Sprites.sprites)
    s = SpriteRecord{};
  Sprites.access = nullptr;
  ++Sprites.nextGeneration;
}

uint32_t SpriteEpoch() {
  return Sprites.nextGeneration;
}

void TouchSprite(SpriteRecord& s) {
  s.generation = ++Sprites.nextGeneration;
}

void ReleaseSprite(SpriteRecord& s) {
  FinishDraws(); // queued draws read the pixels as they are now
  if (Sprites.access == &s) Sprites.access = nullptr;
  s = SpriteRecord{};
  TouchSprite(s);
}

int DuplicateSprite(int source, int destination, int mode) {
  FinishDraws(); // queued draws read the pixels as they are now
  const SpriteRecord* from = FindSprite(source);
  SpriteRecord* to = SpriteSlot(destination);
  if (from == nullptr || to == nullptr) return 0;
  if (from == to) {
    to->mode = mode;
    to->colourKey = DefaultColourKey;
    TouchSprite(*to);
    return 1;
  }
  if (Sprites.access == to) Sprites.access = nullptr;
  to->pixels = from->pixels;
  to->width = from->width;
  to->height = from->height;
  to->mode = mode;
  to->colourKey = DefaultColourKey;
  TouchSprite(*to);
  return 1;
}

void SetSpriteColourKey(int sprite, int red, int green, int blue) {
  FinishDraws(); // queued draws read the pixels as they are now
  SpriteRecord* s = FindSprite(sprite);
  if (s == nullptr) return;
  s->colourKey = static_cast<Colour>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
  TouchSprite(*s);
}

int GetSpriteWidth(int sprite) {
  const SpriteRecord* s = FindSprite(sprite);
  return s != nullptr ? s->width : 0;
}

int GetSpriteHeight(int sprite) {
  const SpriteRecord* s = FindSprite(sprite);
  return s != nullptr ? s->height : 0;
}

// Only one access is open at a time: beginning another closes the open one and opens none.
void BeginPixelAccess(int sprite) {
  FinishDraws(); // queued draws read the pixels as they are now
  if (Sprites.access != nullptr) {
    EndPixelAccess();
    return;
  }
  Sprites.access = FindSprite(sprite);
}

// Coordinates outside the sprite read as with no access open.
Colour ReadPixel(int x, int y) {
  const SpriteRecord* s = Sprites.access;
  if (s == nullptr || x < 0 || y < 0 || x >= s->width || y >= s->height) return 0xFFFFFFFF;
  return s->pixels[static_cast<size_t>(y) * s->width + x];
}

// Coordinates outside the sprite are ignored.
void WritePixel(int x, int y, Colour colour) {
  FinishDraws(); // queued draws read the pixels as they are now
  SpriteRecord* s = Sprites.access;
  if (s == nullptr || x < 0 || y < 0 || x >= s->width || y >= s->height) return;
  s->pixels[static_cast<size_t>(y) * s->width + x] = colour & 0xFFFFFF;
  TouchSprite(*s); // a draw made before the access ends already shows the new pixel
}

void EndPixelAccess() {
  if (Sprites.access != nullptr) TouchSprite(*Sprites.access);
  Sprites.access = nullptr;
}
