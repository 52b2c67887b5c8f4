// The sprite table after start-up's loading, pale smoke and quads, and the colour mixing that
// makes the pale smoke.
#include "platform/quads.h"
#include "sprite_fixture.h"

namespace {

TEST(MixColours, HalfWithWhitePerChannel) {
  struct Case {
    Colour in, pale, paler;
  };
  const Case cases[] = {
      {Rgb(0, 0, 0), Rgb(127, 127, 127), Rgb(191, 191, 191)},
      {Rgb(254, 254, 254), Rgb(254, 254, 254), Rgb(254, 254, 254)},
      {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(255, 255, 255)},
      {Rgb(56, 62, 62), Rgb(155, 158, 158), Rgb(205, 206, 206)},
      {Rgb(84, 89, 89), Rgb(169, 172, 172), Rgb(212, 213, 213)},
      {0xFF000000 | Rgb(0, 0, 0), Rgb(127, 127, 127), Rgb(191, 191, 191)}, // top byte ignored
  };
  for (const Case& c : cases) {
    const Colour pale = MixColours(c.in, 0xFFFFFF, 1, 1);
    EXPECT_EQ(pale, c.pale) << std::hex << c.in;
    EXPECT_EQ(MixColours(pale, 0xFFFFFF, 1, 1), c.paler) << std::hex << c.in;
  }
  EXPECT_EQ(MixColours(0xFF123456, 0xFF123456, 1, 1) >> 24, 0u);
}

TEST(MixColours, WeightsAndTheirSum) {
  // (3 * a + b) / 4, truncated, per channel.
  EXPECT_EQ(MixColours(Rgb(100, 0, 255), Rgb(0, 3, 1), 3, 1), Rgb(75, 0, 191));
  EXPECT_EQ(MixColours(Rgb(10, 20, 30), Rgb(50, 60, 70), 0, 5), Rgb(50, 60, 70));
  // Weights summing to 0 have no mean: black rather than a division by zero.
  EXPECT_EQ(MixColours(Rgb(10, 20, 30), Rgb(50, 60, 70), 0, 0), 0u);
  EXPECT_EQ(MixColours(Rgb(10, 20, 30), Rgb(50, 60, 70), 4, -4), 0u);
}

class SpriteSetTest : public SpriteTest {};

TEST_F(SpriteSetTest, TableAfterStartUp) {
  LoadSpriteSet();
  MakePaleSmoke();
  CreateSpriteQuads();
  struct Row {
    int number, size, mode;
    Colour key;
  };
  const Colour white = Rgb(255, 255, 255);
  const Row rows[] = {
      {0, 256, SpriteModePlain, 0},      {1, 64, SpriteModeTexture, white},
      {2, 64, SpriteModeTexture, 0},     {3, 64, SpriteModeTexture, 0},
      {4, 32, SpriteModeTexture, 0},     {5, 32, SpriteModeTexture, 0},
      {6, 64, SpriteModeTexture, white}, {7, 64, SpriteModeTexture, white},
      {8, 64, SpriteModeTexture, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.number);
    const SpriteRecord* s = FindSprite(r.number);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->width, r.size);
    EXPECT_EQ(s->height, r.size);
    EXPECT_EQ(s->mode, r.mode);
    EXPECT_EQ(s->colourKey, r.key);
    EXPECT_EQ(FindQuad(r.number) != nullptr, r.number != 0); // no quad from the plain ground
  }
  EXPECT_EQ(FindSprite(9), nullptr);
  EXPECT_EQ(FindQuad(9), nullptr);
}

TEST_F(SpriteSetTest, PaleSmokeIsTheSmokeWhitenedOnceAndTwice) {
  LoadEmbeddedImage(1, "smoke.png");
  const std::vector<Colour> before = PixelsOf(1);
  MakePaleSmoke();
  EXPECT_EQ(PixelsOf(1), before); // only its key changed
  const std::vector<Colour> pale = PixelsOf(6);
  const std::vector<Colour> paler = PixelsOf(7);
  ASSERT_EQ(pale.size(), before.size());
  ASSERT_EQ(paler.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    const Colour c = before[i];
    ASSERT_EQ(pale[i], MixColours(c, 0xFFFFFF, 1, 1));
    for (int shift : {0, 8, 16}) {
      const int v = (c >> shift) & 0xFF;
      ASSERT_EQ(static_cast<int>((paler[i] >> shift) & 0xFF), (v + 765) / 4);
    }
    // The same pixels are exactly white, so the same pixels are transparent.
    ASSERT_EQ(c == 0xFFFFFF, paler[i] == 0xFFFFFF);
  }
}

// The keys come from the top-left pixel before it is whitened.
TEST_F(SpriteSetTest, KeysComeFromTheCornerBeforeWhitening) {
  std::vector<Colour> pixels(16, Rgb(10, 20, 30));
  SpriteRecord* s = SpriteSlot(1);
  s->pixels = pixels;
  s->width = 4;
  s->height = 4;
  s->mode = SpriteModeTexture;
  TouchSprite(*s);
  MakePaleSmoke();
  EXPECT_EQ(FindSprite(1)->colourKey, Rgb(10, 20, 30));
  EXPECT_EQ(FindSprite(6)->colourKey, Rgb(10, 20, 30));
  EXPECT_EQ(FindSprite(7)->colourKey, MixColours(Rgb(10, 20, 30), 0xFFFFFF, 1, 1));
  EXPECT_EQ(PixelOf(7, 3, 3), Rgb((10 + 765) / 4, (20 + 765) / 4, (30 + 765) / 4));
}

TEST_F(SpriteSetTest, MissingSmokeMakesNothing) {
  MakePaleSmoke();
  EXPECT_EQ(FindSprite(1), nullptr);
  EXPECT_EQ(FindSprite(6), nullptr);
  EXPECT_EQ(FindSprite(7), nullptr);
  EXPECT_EQ(ReadPixel(0, 0), 0xFFFFFFFFu); // no access left open
}

TEST_F(SpriteSetTest, CreateQuadRefusesThePlainGround) {
  LoadSpriteSet();
  EXPECT_EQ(CreateQuad(0, 0), 0);
  EXPECT_EQ(FindQuad(0), nullptr);
  EXPECT_NE(CreateQuad(8, 8), 0);
}

} // namespace
