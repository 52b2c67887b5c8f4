// The sprite set: the seven images carried inside the executable, the numbered sprites made
// from them, the two paler smoke sprites derived at start-up, and the demo's quads.
#pragma once

#include "platform/platform.h"

#include <cstddef>

// ---- Sprite numbers (quad n always shows sprite n) ----
enum : int {
  SpriteGround = 0,
  SpriteSmoke = 1,
  SpriteGlow = 2,
  SpriteStreak = 3,
  SpriteDebris = 4,
  SpriteEmber = 5,
  SpriteSmokePale = 6,
  SpriteSmokePaler = 7,
  SpriteScorch = 8
};

// ---- Embedded images ----
struct EmbeddedImage {
  const char* name;           // file name in assets/, e.g. "ground.png"
  const unsigned char* bytes; // the PNG file's bytes
  size_t size;                // their count
};
const EmbeddedImage* FindEmbeddedImage(const char* name); // null when there is none
int EmbeddedImageCount();                                 // the seven images
const EmbeddedImage* EmbeddedImageAt(int index);          // 0..count-1, else null

// ---- The sprite set ----
void LoadSpriteSet();     // sprite 0 plain, sprites 1-5 and 8 as textures
void MakePaleSmoke();     // sprites 6 and 7 from sprite 1, and the smoke keys
void CreateSpriteQuads(); // quads 1 to 8 from sprites 1 to 8

// ---- Colours ----
inline int Red(Colour c) {
  return static_cast<int>(c & 0xFF);
}
inline int Green(Colour c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
inline int Blue(Colour c) {
  return static_cast<int>((c >> 16) & 0xFF);
}
Colour MixColours(Colour colour1, Colour colour2, int weight1, int weight2); // 0 for sum 0
