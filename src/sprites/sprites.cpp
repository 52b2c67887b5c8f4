// The embedded images, loading them into the numbered sprites, the quads made from those
// sprites, and colour mixing.
#include "sprites/sprites.h"

#include "sprites/embedded.h"

#include <cstring>

const EmbeddedImage* FindEmbeddedImage(const char* name) {
  if (name == nullptr) return nullptr;
  for (int i = 0; i < EmbeddedImagesCount; ++i)
    if (std::strcmp(EmbeddedImages[i].name, name) == 0) return &EmbeddedImages[i];
  return nullptr;
}

int EmbeddedImageCount() {
  return EmbeddedImagesCount;
}

const EmbeddedImage* EmbeddedImageAt(int index) {
  return index >= 0 && index < EmbeddedImagesCount ? &EmbeddedImages[index] : nullptr;
}

namespace {

void LoadEmbedded(int sprite, const char* name, int mode) {
  const EmbeddedImage* image = FindEmbeddedImage(name);
  if (image != nullptr) LoadSpriteFromMemory(sprite, image->bytes, image->size, mode);
}

} // namespace

// Results are not examined: a sprite that fails to load stays empty and draws nothing.
void LoadSpriteSet() {
  LoadEmbedded(SpriteGround, "ground.png", SpriteModePlain);
  LoadEmbedded(SpriteSmoke, "smoke.png", SpriteModeTexture);
  LoadEmbedded(SpriteGlow, "glow.png", SpriteModeTexture);
  LoadEmbedded(SpriteStreak, "streak.png", SpriteModeTexture);
  LoadEmbedded(SpriteDebris, "debris.png", SpriteModeTexture);
  LoadEmbedded(SpriteEmber, "ember.png", SpriteModeTexture);
  LoadEmbedded(SpriteScorch, "scorch.png", SpriteModeTexture);
}

void CreateSpriteQuads() {
  for (int n = 1; n <= 8; ++n)
    CreateQuad(n, n);
}

// Weighted mean of each channel, truncated toward zero; only the low 8 bits of each quotient
// are kept. Weights that sum to 0 have no mean: the result is then black instead of a
// division by zero.
Colour MixColours(Colour colour1, Colour colour2, int weight1, int weight2) {
  const int64_t sum = static_cast<int64_t>(weight1) + weight2;
  if (sum == 0) return 0;
  Colour result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int64_t a = (colour1 >> shift) & 0xFF;
    const int64_t b = (colour2 >> shift) & 0xFF;
    const int64_t mean = (a * weight1 + b * weight2) / sum;
    result |= (static_cast<Colour>(mean) & 0xFF) << shift;
  }
  return result;
}
