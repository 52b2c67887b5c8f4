// The two paler smoke sprites: sprite 6 is the smoke mixed half and half with white, sprite 7
// is sprite 6 mixed with white again. Smoke fades by switching to them, since its multiplying
// blend ignores opacity.
#include "sprites/sprites.h"

namespace {

// Mixes every pixel of the sprite under access with white. Both bounds are the smoke sprite's
// width, read again at every test: the smoke image is square.
void WhitenOpenSprite() {
  for (int x = 0; x <= GetSpriteWidth(SpriteSmoke) - 1; ++x)
    for (int y = 0; y <= GetSpriteWidth(SpriteSmoke) - 1; ++y)
      WritePixel(x, y, MixColours(ReadPixel(x, y), 0xFFFFFF, 1, 1));
}

void KeyFromColour(int sprite, Colour c) {
  SetSpriteColourKey(sprite, Red(c), Green(c), Blue(c));
}

} // namespace

// The keys come from the top-left pixel, read before it is whitened (white with our art). When
// sprite 1 is missing nothing opens, ReadPixel gives all bits set, no key is set and no pixel
// is visited, so sprites 6 and 7 stay empty.
void MakePaleSmoke() {
  DuplicateSprite(SpriteSmoke, SpriteSmokePale, SpriteModeTexture);
  BeginPixelAccess(SpriteSmokePale);
  Colour c = ReadPixel(0, 0);
  KeyFromColour(SpriteSmoke, c);
  KeyFromColour(SpriteSmokePale, c);
  WhitenOpenSprite();
  EndPixelAccess();

  DuplicateSprite(SpriteSmokePale, SpriteSmokePaler, SpriteModeTexture);
  BeginPixelAccess(SpriteSmokePaler);
  c = ReadPixel(0, 0);
  KeyFromColour(SpriteSmokePaler, c);
  WhitenOpenSprite();
  EndPixelAccess();
}
