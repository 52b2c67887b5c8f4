// The embedded images meet what the rest of the demo relies on: sizes and colour types,
// transparency data, black and white backgrounds, the ground's form and seamless wrap, the
// smoke's square white-backed puff, and a scorch without black holes.
#include "png_helpers.h"
#include "sprite_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

struct ArtCase {
  const char* name;
  int width, height, colourType;
  int paletteSize;       // 0: no palette
  int transparencyCount; // -1: no transparency chunk
};

constexpr ArtCase Art[] = {
    {"ground.png", 256, 256, 2, 0, -1}, {"smoke.png", 64, 64, 6, 0, -1},
    {"glow.png", 64, 64, 6, 0, -1},     {"streak.png", 64, 64, 3, 25, 1},
    {"debris.png", 32, 32, 3, 6, 1},    {"ember.png", 32, 32, 3, 157, -1},
    {"scorch.png", 64, 64, 6, 0, -1},
};

RawPng Raw(const char* name) {
  RawPng raw;
  const EmbeddedImage* e = FindEmbeddedImage(name);
  EXPECT_NE(e, nullptr) << name;
  if (e != nullptr) {
    EXPECT_TRUE(ReadRawPng(e->bytes, e->size, raw)) << name;
  }
  return raw;
}

class ArtTest : public SpriteTest {};

TEST_F(ArtTest, EveryImageIsEmbeddedAsStored) {
  ASSERT_EQ(EmbeddedImageCount(), 7);
  EXPECT_EQ(EmbeddedImageAt(-1), nullptr);
  EXPECT_EQ(EmbeddedImageAt(7), nullptr);
  EXPECT_EQ(FindEmbeddedImage("missing.png"), nullptr);
  for (const ArtCase& a : Art) {
    SCOPED_TRACE(a.name);
    const RawPng raw = Raw(a.name);
    EXPECT_EQ(raw.width, a.width);
    EXPECT_EQ(raw.height, a.height);
    EXPECT_EQ(raw.colourType, a.colourType);
    EXPECT_EQ(raw.bitDepth, 8);
    EXPECT_EQ(raw.interlace, 0);
    EXPECT_EQ(raw.paletteSize, a.paletteSize);
    EXPECT_EQ(raw.transparencyCount, a.transparencyCount);
    if (a.transparencyCount == 1) {
      EXPECT_EQ(raw.transparency[0], 0);                              // index 0 fully transparent
      EXPECT_EQ(raw.palette[0] | raw.palette[1] | raw.palette[2], 0); // and black
    }
    LoadEmbeddedImage(9, a.name);
    EXPECT_EQ(GetSpriteWidth(9), a.width);
    EXPECT_EQ(GetSpriteHeight(9), a.height);
    // The sprite holds exactly the stored colours, alpha and transparency dropped.
    const std::vector<Colour> pixels = PixelsOf(9);
    for (size_t i = 0; i < pixels.size(); ++i)
      ASSERT_EQ(pixels[i], raw.rgba[i] & 0xFFFFFF) << "pixel " << i;
  }
}

TEST_F(ArtTest, OpaqueImagesHaveFullAlpha) {
  for (const char* name : {"smoke.png", "glow.png"})
    for (uint32_t p : Raw(name).rgba)
      ASSERT_EQ(p >> 24, 255u) << name;
}

TEST_F(ArtTest, GroundIsOliveAndTilesSeamlessly) {
  LoadEmbeddedImage(0, "ground.png", SpriteModePlain);
  const std::vector<Colour> p = PixelsOf(0);
  long sum = 0;
  for (Colour c : p) {
    const int l = Red(c);
    ASSERT_LE(l, 126);
    ASSERT_EQ(Green(c), l);
    ASSERT_EQ(Blue(c), l / 2);
    sum += l;
  }
  const double mean = static_cast<double>(sum) / p.size();
  EXPECT_NEAR(mean, 70, 8);
  // Across the wrap neighbours differ no more than neighbours inside the image do.
  auto at = [&](int x, int y) { return Red(p[(y & 255) * 256 + (x & 255)]); };
  long inside = 0, across = 0;
  for (int i = 0; i < 256; ++i) {
    inside += std::abs(at(127, i) - at(128, i)) + std::abs(at(i, 127) - at(i, 128));
    across += std::abs(at(255, i) - at(0, i)) + std::abs(at(i, 255) - at(i, 0));
  }
  EXPECT_LT(across, inside * 3 / 2);
}

TEST_F(ArtTest, SmokeIsAGreyPuffOnWhite) {
  LoadEmbeddedImage(1, "smoke.png");
  ASSERT_EQ(GetSpriteWidth(1), GetSpriteHeight(1));
  const std::vector<Colour> p = PixelsOf(1);
  const Colour white = Rgb(255, 255, 255);
  EXPECT_EQ(p[0], white);
  int count = 0, darkest = 255;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const Colour c = p[y * 64 + x];
      if (c == white) continue;
      ASSERT_TRUE(x >= 13 && x <= 52 && y >= 13 && y <= 55) << x << ", " << y;
      ASSERT_EQ(Green(c), Blue(c));
      ASSERT_LE(Red(c), Green(c));
      ASSERT_GE(Red(c), Green(c) - 6);
      darkest = std::min(darkest, Green(c));
      ++count;
    }
  EXPECT_GT(count, 600); // a puff about 40 x 43 pixels across
  EXPECT_NEAR(darkest, 62, 10);
}

TEST_F(ArtTest, BlackBackgrounds) {
  LoadEmbeddedImage(2, "glow.png");
  LoadEmbeddedImage(5, "ember.png");
  for (int n : {2, 5}) {
    const int w = GetSpriteWidth(n);
    const std::vector<Colour> p = PixelsOf(n);
    for (int i : {0, w - 1, w * (w - 1), w * w - 1})
      EXPECT_EQ(p[i], 0u) << "corner of sprite " << n;
    int nearBlack = 0;
    for (int i = 0; i < w; ++i)
      for (Colour c : {p[i], p[(w - 1) * w + i], p[i * w], p[i * w + w - 1]})
        nearBlack += Red(c) <= 10 && Green(c) <= 10 && Blue(c) <= 10;
    EXPECT_EQ(nearBlack, 4 * w) << "border of sprite " << n;
  }
  EXPECT_GT(Red(PixelOf(2, 32, 32)), 220); // a near-white core
}

TEST_F(ArtTest, ScorchHasNoBlackAndAWhiteBackground) {
  const RawPng raw = Raw("scorch.png");
  int star = 0;
  for (uint32_t c : raw.rgba) {
    ASSERT_NE(c & 0xFFFFFF, 0u);
    if (c >> 24 == 0) {
      ASSERT_EQ(c & 0xFFFFFF, 0xFFFFFFu);
    }
    star += c >> 24 != 0;
  }
  EXPECT_GT(star, 300);
  EXPECT_EQ(raw.rgba[0], 0x00FFFFFFu);
}

} // namespace
