// Loading PNG images from memory: every colour type and depth becomes 8-bit RGB with alpha
// and transparency dropped, damaged or oversized images fail cleanly and leave the number
// empty, and the byte count is never overstepped.
#include "png_helpers.h"
#include "sprite_fixture.h"

#include <zlib.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

TestImage Image(int w, int h, int type, int depth, std::vector<unsigned char> samples,
                bool interlaced = false) {
  return TestImage{w, h, type, depth, interlaced, std::move(samples), {}, {}};
}

std::vector<unsigned char> Interlaced8x8() {
  std::vector<unsigned char> s;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      s.insert(s.end(), {static_cast<unsigned char>(x * 30), static_cast<unsigned char>(y * 30),
                         static_cast<unsigned char>(x + y)});
  return s;
}

TestImage Palette(bool withTransparency) {
  TestImage t = Image(3, 1, 3, 8, {0, 1, 2});
  t.palette = {0, 0, 0, 255, 0, 0, 10, 20, 30};
  if (withTransparency) t.alphas = {0};
  return t;
}

// Rewrites the header's width and height and mends its checksum, so only the size is wrong.
std::vector<unsigned char> WithSize(std::vector<unsigned char> png, uint32_t w, uint32_t h) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<unsigned char>(w >> (24 - 8 * i));
    png[20 + i] = static_cast<unsigned char>(h >> (24 - 8 * i));
  }
  const uLong crc = crc32(0, png.data() + 12, 17);
  for (int i = 0; i < 4; ++i)
    png[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
  return png;
}

std::vector<unsigned char> Cut(std::vector<unsigned char> png, size_t keep) {
  png.resize(std::min(keep, png.size()));
  return png;
}

// The file with one more chunk right after the header. The chunk's length field says
// declaredLength, whatever the data given; the checksum is right for the data given.
std::vector<unsigned char> WithChunk(std::vector<unsigned char> png, const char* type,
                                     std::vector<unsigned char> data, uint32_t declaredLength) {
  std::vector<unsigned char> chunk;
  for (int i = 0; i < 4; ++i)
    chunk.push_back(static_cast<unsigned char>(declaredLength >> (24 - 8 * i)));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(4 + data.size()));
  for (int i = 0; i < 4; ++i)
    chunk.push_back(static_cast<unsigned char>(crc >> (24 - 8 * i)));
  png.insert(png.begin() + 33, chunk.begin(), chunk.end());
  return png;
}

std::vector<unsigned char> Embedded(const char* name) {
  const EmbeddedImage* e = FindEmbeddedImage(name);
  return e != nullptr ? std::vector<unsigned char>(e->bytes, e->bytes + e->size)
                      : std::vector<unsigned char>{};
}

struct Probe {
  int x, y;
  Colour colour;
};

struct LoadCase {
  std::string name;
  std::vector<unsigned char> bytes;
  int result; // 1 or 0
  int width, height;
  std::vector<Probe> probes;
};

std::vector<LoadCase> Cases() {
  const std::vector<unsigned char> grey = EncodePng(Image(3, 2, 0, 8, {0, 100, 255, 7, 8, 9}));
  std::vector<unsigned char> badSignature = grey;
  badSignature[1] = 'Q';
  return {
      {"ground", Embedded("ground.png"), 1, 256, 256, {}},
      {"smoke", Embedded("smoke.png"), 1, 64, 64, {{0, 0, Rgb(255, 255, 255)}}},
      {"glow", Embedded("glow.png"), 1, 64, 64, {{0, 0, 0}, {63, 63, 0}}},
      {"streak", Embedded("streak.png"), 1, 64, 64, {{0, 0, 0}, {31, 2, Rgb(194, 189, 23)}}},
      {"debris", Embedded("debris.png"), 1, 32, 32, {{0, 0, 0}}},
      {"ember", Embedded("ember.png"), 1, 32, 32, {{0, 0, 0}}},
      {"scorch", Embedded("scorch.png"), 1, 64, 64, {{0, 0, Rgb(255, 255, 255)}}},
      {"grey 8-bit", grey, 1, 3, 2, {{1, 0, Rgb(100, 100, 100)}, {2, 1, Rgb(9, 9, 9)}}},
      {"grey 1-bit",
       EncodePng(Image(8, 1, 0, 1, {0xB0})),
       1,
       8,
       1,
       {{0, 0, Rgb(255, 255, 255)}, {1, 0, 0}, {3, 0, Rgb(255, 255, 255)}, {7, 0, 0}}},
      {"grey and alpha, alpha dropped",
       EncodePng(Image(2, 1, 4, 8, {40, 0, 200, 255})),
       1,
       2,
       1,
       {{0, 0, Rgb(40, 40, 40)}, {1, 0, Rgb(200, 200, 200)}}},
      {"16-bit RGB keeps the high bytes",
       EncodePng(Image(1, 1, 2, 16, {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00})),
       1,
       1,
       1,
       {{0, 0, Rgb(0x12, 0xAB, 0xFF)}}},
      {"RGBA, transparent white stays white",
       EncodePng(Image(2, 1, 6, 8, {255, 255, 255, 0, 10, 20, 30, 128})),
       1,
       2,
       1,
       {{0, 0, Rgb(255, 255, 255)}, {1, 0, Rgb(10, 20, 30)}}},
      {"interlaced",
       EncodePng(Image(8, 8, 2, 8, Interlaced8x8(), true)),
       1,
       8,
       8,
       {{0, 0, 0}, {7, 0, Rgb(210, 0, 7)}, {3, 5, Rgb(90, 150, 8)}, {7, 7, Rgb(210, 210, 14)}}},
      {"palette with transparency",
       EncodePng(Palette(true)),
       1,
       3,
       1,
       {{0, 0, 0}, {1, 0, Rgb(255, 0, 0)}, {2, 0, Rgb(10, 20, 30)}}},
      {"palette without transparency",
       EncodePng(Palette(false)),
       1,
       3,
       1,
       {{0, 0, 0}, {2, 0, Rgb(10, 20, 30)}}},
      {"zero length", {}, 0, 0, 0, {}},
      {"signature only", Cut(grey, 8), 0, 0, 0, {}},
      {"cut inside the header", Cut(grey, 20), 0, 0, 0, {}},
      {"cut after the header", Cut(grey, 33), 0, 0, 0, {}},
      {"cut in the image data", Cut(grey, grey.size() - 20), 0, 0, 0, {}},
      {"end chunk missing", Cut(grey, grey.size() - 12), 0, 0, 0, {}},
      {"cut inside the end chunk", Cut(grey, grey.size() - 3), 0, 0, 0, {}},
      {"smoke cut in half", Cut(Embedded("smoke.png"), 900), 0, 0, 0, {}},
      {"wrong signature", badSignature, 0, 0, 0, {}},
      {"absurd dimensions", WithSize(grey, 1000000, 1000000), 0, 0, 0, {}},
      {"wider than the bound", WithSize(grey, 5000, 2), 0, 0, 0, {}},
      {"unknown ancillary chunk is skipped",
       WithChunk(grey, "shNk", {1, 2, 3}, 3),
       1,
       3,
       2,
       {{1, 0, Rgb(100, 100, 100)}}},
      // Found by the fuzzer: a palette chunk claiming nearly 2 GB is refused, not allocated.
      {"chunk longer than the file", WithChunk(grey, "sPLT", {1, 2, 3}, 0x73737373u), 0, 0, 0, {}},
  };
}

class PngLoadTest : public SpriteTest {};

TEST_F(PngLoadTest, TableOfImages) {
  for (const LoadCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    // A sprite held under the number beforehand is released whatever the outcome.
    LoadEmbeddedImage(9, "debris.png");
    // A copy of the bytes in a buffer of exactly their size, so any overread is caught by the
    // sanitizers.
    std::vector<unsigned char> bytes = c.bytes;
    const unsigned char* data = bytes.empty() ? nullptr : bytes.data();
    EXPECT_EQ(LoadSpriteFromMemory(9, data, bytes.size(), SpriteModeTexture), c.result);
    EXPECT_EQ(GetSpriteWidth(9), c.width);
    EXPECT_EQ(GetSpriteHeight(9), c.height);
    if (c.result == 1) {
      EXPECT_STREQ(LastSpriteLoadError(), "");
      const SpriteRecord* s = FindSprite(9);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(s->mode, SpriteModeTexture);
      EXPECT_EQ(s->colourKey, 0u);
      for (Colour p : s->pixels)
        ASSERT_EQ(p >> 24, 0u);
    } else {
      EXPECT_STRNE(LastSpriteLoadError(), "");
      EXPECT_EQ(FindSprite(9), nullptr);
    }
    for (const Probe& p : c.probes)
      EXPECT_EQ(PixelOf(9, p.x, p.y), p.colour) << "at " << p.x << ", " << p.y;
  }
}

TEST_F(PngLoadTest, ModeDefaultsToPlain) {
  const std::vector<unsigned char> png = EncodePng(Image(1, 1, 0, 8, {5}));
  ASSERT_EQ(LoadSpriteFromMemory(3, png.data(), png.size()), 1);
  EXPECT_EQ(FindSprite(3)->mode, SpriteModePlain);
}

TEST_F(PngLoadTest, NothingLoadsBeforeDecodingIsEnabled) {
  const std::vector<unsigned char> png = EncodePng(Image(1, 1, 0, 8, {5}));
  ResetPngDecoding();
  EXPECT_EQ(LoadSpriteFromMemory(3, png.data(), png.size()), 0);
  EXPECT_STRNE(LastSpriteLoadError(), "");
  EXPECT_EQ(GetSpriteWidth(3), 0);
  EXPECT_EQ(EnablePngDecoding(), 1);
  EXPECT_EQ(EnablePngDecoding(), 1); // a second call changes nothing
  EXPECT_EQ(LoadSpriteFromMemory(3, png.data(), png.size()), 1);
  EXPECT_EQ(PixelOf(3, 0, 0), Rgb(5, 5, 5));
}

TEST_F(PngLoadTest, NumbersOutOfRangeDoNothing) {
  const std::vector<unsigned char> png = EncodePng(Image(1, 1, 0, 8, {5}));
  for (int n : {-1, MaxSpriteNumber + 1, 1 << 30}) {
    EXPECT_EQ(LoadSpriteFromMemory(n, png.data(), png.size()), 0) << n;
    EXPECT_EQ(GetSpriteWidth(n), 0);
  }
  EXPECT_EQ(LoadSpriteFromMemory(MaxSpriteNumber, png.data(), png.size()), 1);
}

// Replacing the sprite that is under pixel access closes the access: the old pixels are gone.
TEST_F(PngLoadTest, ReplacingTheSpriteUnderAccessClosesTheAccess) {
  LoadEmbeddedImage(2, "glow.png");
  BeginPixelAccess(2);
  ASSERT_NE(ReadPixel(32, 32), 0xFFFFFFFFu);
  LoadEmbeddedImage(2, "debris.png");
  EXPECT_EQ(ReadPixel(32, 32), 0xFFFFFFFFu);
  WritePixel(0, 0, Rgb(1, 2, 3));
  EXPECT_EQ(PixelOf(2, 0, 0), 0u);
}

TEST_F(PngLoadTest, DuplicateGetsTheDefaultBlackKey) {
  LoadEmbeddedImage(1, "smoke.png");
  SetSpriteColourKey(1, 255, 255, 255);
  ASSERT_EQ(DuplicateSprite(1, 6, SpriteModeTexture), 1);
  EXPECT_EQ(FindSprite(6)->colourKey, 0u);
  EXPECT_EQ(FindSprite(1)->colourKey, Rgb(255, 255, 255));
  EXPECT_EQ(PixelsOf(6), PixelsOf(1));
  EXPECT_EQ(DuplicateSprite(20, 21, SpriteModeTexture), 0);
  EXPECT_EQ(GetSpriteWidth(21), 0);
}

TEST_F(PngLoadTest, PixelAccessRules) {
  LoadEmbeddedImage(1, "smoke.png");
  LoadEmbeddedImage(2, "glow.png");
  EXPECT_EQ(ReadPixel(0, 0), 0xFFFFFFFFu); // nothing open
  WritePixel(0, 0, Rgb(1, 2, 3));          // ignored
  BeginPixelAccess(1);
  EXPECT_EQ(ReadPixel(0, 0), Rgb(255, 255, 255));
  BeginPixelAccess(2); // closes the open access and opens none
  EXPECT_EQ(ReadPixel(0, 0), 0xFFFFFFFFu);
  BeginPixelAccess(2);
  WritePixel(1, 1, 0xAA112233); // the top byte is not stored
  EXPECT_EQ(ReadPixel(1, 1), 0x112233u);
  EndPixelAccess();
  EXPECT_EQ(ReadPixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(PixelOf(2, 1, 1), 0x112233u);
  EXPECT_EQ(PixelOf(1, 0, 0), Rgb(255, 255, 255));
  BeginPixelAccess(40); // no such sprite: nothing opens
  EXPECT_EQ(ReadPixel(0, 0), 0xFFFFFFFFu);
}

} // namespace
