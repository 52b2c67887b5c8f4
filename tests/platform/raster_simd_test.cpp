// The vector span kernels against the per-pixel loop, under every instruction set the
// processor offers, and the drawing of one target in bands of rows.
#include "platform/quads.h"
#include "platform/raster.h"
#include "platform/raster_simd.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int MultiplyPair = 0;
constexpr int AddSquarePair = 1;
constexpr int GeneralPair = 2; // 5 / 6: a pair the kernels do not draw

void PairFactors(int pair, int& source, int& destination) {
  source = pair == MultiplyPair ? BlendZero : pair == AddSquarePair ? BlendSrcColor : BlendSrcAlpha;
  destination = pair == MultiplyPair    ? BlendSrcColor
                : pair == AddSquarePair ? BlendOne
                                        : BlendInvSrcAlpha;
}

SpriteRecord MakeTexture(int width, int height, std::vector<Colour> texels, Colour key) {
  SpriteRecord s{};
  s.pixels = std::move(texels);
  s.width = width;
  s.height = height;
  s.mode = SpriteModeTexture;
  s.colourKey = key;
  return s;
}

// Corners 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right of a w x h rectangle
// centred on (cx, cy) and turned by `degrees`, on whole pixels as the quad operations keep
// them. Negative sizes mirror the texture.
struct Corners {
  QuadVertex v[4];
};
Corners PlaceQuad(int cx, int cy, int w, int h, int degrees) {
  const double a = degrees * 3.14159265358979 / 180;
  const double c = std::cos(a), s = std::sin(a);
  const double xs[4] = {-w / 2.0, w / 2.0, -w / 2.0, w / 2.0};
  const double ys[4] = {-h / 2.0, -h / 2.0, h / 2.0, h / 2.0};
  Corners out{};
  for (int i = 0; i < 4; ++i) {
    QuadVertex& q = out.v[i];
    q.x = static_cast<float>(std::lround(cx + xs[i] * c - ys[i] * s));
    q.y = static_cast<float>(std::lround(cy + xs[i] * s + ys[i] * c));
    q.rhw = 1;
    q.diffuse = 0xC0FFFFFF; // an opacity the general pair shows
    q.u = i % 2 == 1 ? 1.0f : 0.0f;
    q.v = i >= 2 ? 1.0f : 0.0f;
  }
  return out;
}

struct Picture {
  int width;
  int height;
  std::vector<uint32_t> pixels;
};

// Draws one quad over a copy of `start`, only rows [bandTop, bandBottom) when given.
void Draw(Picture& picture, const SpriteRecord& texture, const Corners& corners, int pair,
          int bandTop = 0, int bandBottom = INT_MAX) {
  int source = 0, destination = 0;
  PairFactors(pair, source, destination);
  const RasterTarget target{picture.pixels.data(), picture.width, picture.height, bandTop,
                            bandBottom};
  RasteriseQuad(target, texture, corners.v, source, destination, false);
}

std::string FirstDifference(const Picture& got, const Picture& want) {
  for (size_t i = 0; i < want.pixels.size(); ++i)
    if (got.pixels[i] != want.pixels[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "pixel (%zu, %zu) is %06X, expected %06X", i % want.width,
                    i / want.width, static_cast<unsigned>(got.pixels[i]),
                    static_cast<unsigned>(want.pixels[i]));
      return text;
    }
  return "";
}

// Runs `check` once per instruction set the kernels were built for and the processor runs.
void ForEachKernelTarget(const std::function<void()>& check) {
  for (const int64_t target : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(target);
    SCOPED_TRACE(hwy::TargetName(target));
    EXPECT_STREQ(SpanKernelTarget(), hwy::TargetName(target));
    check();
  }
  hwy::SetSupportedTargetsForTest(0);
}

class RasterSimdTest : public ::testing::Test {
protected:
  void TearDown() override { UseScalarSpans(false); }

  // A target of random colours (top byte 0, as in the back buffer).
  Picture RandomPicture(int width, int height) {
    Picture p{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (uint32_t& px : p.pixels)
      px = static_cast<uint32_t>(Between(0, 0xFFFFFF));
    return p;
  }
  // A texture of random colours where about one texel in four is the key; the key is
  // white or black now and then, the colours the blends leave alone anyway.
  SpriteRecord RandomTexture(int width, int height) {
    const int pick = Between(0, 3);
    const Colour key = pick == 0   ? 0xFFFFFF
                       : pick == 1 ? 0x000000
                                   : static_cast<Colour>(Between(0, 0xFFFFFF));
    std::vector<Colour> texels(static_cast<size_t>(width) * height);
    for (Colour& t : texels)
      t = Between(0, 3) == 0 ? key : static_cast<Colour>(Between(0, 0xFFFFFF));
    return MakeTexture(width, height, std::move(texels), key);
  }
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  std::mt19937 random_{20261211};
};

// Every texel channel value against every destination channel value, through a 256 x 256
// quad drawn at its texture's size: the vector rounding of s * d / 255 and of d + s * s / 255
// is the per-pixel loop's for all 65536 pairs.
TEST_F(RasterSimdTest, EveryChannelPairRoundsAsThePerPixelLoop) {
  std::vector<Colour> texels(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      texels[y * 256 + x] = static_cast<Colour>(x | (255 - x) << 8 | ((x * 7) & 0xFF) << 16);
  const SpriteRecord texture = MakeTexture(256, 256, texels, 0xFFFFFFFF);
  Picture start{256, 256, std::vector<uint32_t>(256 * 256)};
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      start.pixels[y * 256 + x] = static_cast<uint32_t>(y | y << 8 | (255 - y) << 16);
  const Corners corners = PlaceQuad(128, 128, 256, 256, 0);

  for (const int pair : {MultiplyPair, AddSquarePair}) {
    SCOPED_TRACE(pair == MultiplyPair ? "multiplying" : "adding");
    // The red channel pairs texel x with destination y; the rounding written out once more.
    Picture want = start;
    UseScalarSpans(true);
    Draw(want, texture, corners, pair);
    UseScalarSpans(false);
    for (uint32_t s = 0; s < 256; ++s)
      for (uint32_t d = 0; d < 256; ++d) {
        const uint32_t red = pair == MultiplyPair
                                 ? (s * d + 127) / 255
                                 : std::min<uint32_t>(d + (s * s + 127) / 255, 255);
        ASSERT_EQ(want.pixels[d * 256 + s] & 0xFF, red) << "s " << s << " d " << d;
      }
    ForEachKernelTarget([&] {
      Picture got = start;
      Draw(got, texture, corners, pair);
      EXPECT_EQ(FirstDifference(got, want), "");
    });
  }
}

// Random quads of several shapes, at random places (many partly off the target) and angles,
// with keyed texels: the kernels, with the row set-up that carries span bounds and texel
// walks from row to row, draw exactly the picture of the per-pixel loop that divides
// afresh on every row.
TEST_F(RasterSimdTest, RandomQuadsMatchThePerPixelLoop) {
  struct Shape {
    const char* name;
    int textureWidth, textureHeight;
    int quadWidth, quadHeight; // 0: a random size from -150 to 150
    int angleLow, angleHigh;   // degrees, a random angle between them
  };
  const Shape shapes[] = {
      {"texture size, unrotated", 64, 64, 64, 64, 0, 0},
      {"texture size, turned", 64, 64, 64, 64, 0, 359},
      {"barely turned (spans start far apart)", 64, 64, 64, 64, 1, 3},
      {"odd texture, unrotated", 37, 23, 37, 23, 0, 0},
      {"stretched, unrotated", 16, 40, 100, 90, 0, 0},
      {"shrunk, turned", 90, 70, 30, 20, 0, 359},
      {"mirrored", 33, 33, -33, -33, 0, 0},
      {"random size, turned", 45, 61, 0, 0, 0, 359},
      {"one texel", 1, 1, 0, 0, 0, 359},
      {"thin", 200, 1, 0, 0, 0, 359},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    for (int round = 0; round < 6; ++round) {
      const SpriteRecord texture = RandomTexture(shape.textureWidth, shape.textureHeight);
      const int w = shape.quadWidth != 0 ? shape.quadWidth : Between(-150, 150);
      const int h = shape.quadHeight != 0 ? shape.quadHeight : Between(-150, 150);
      const Corners corners = PlaceQuad(Between(-60, 260), Between(-60, 180), w, h,
                                        Between(shape.angleLow, shape.angleHigh));
      const Picture start = RandomPicture(203, 127);
      // The general pair has no kernel, but shares the row set-up and the unrotated
      // quads' one span per row, which the hook's road does not take.
      for (const int pair : {MultiplyPair, AddSquarePair, GeneralPair}) {
        SCOPED_TRACE(pair == MultiplyPair    ? "multiplying"
                     : pair == AddSquarePair ? "adding"
                                             : "general");
        Picture want = start;
        UseScalarSpans(true);
        Draw(want, texture, corners, pair);
        UseScalarSpans(false);
        ForEachKernelTarget([&] {
          Picture got = start;
          Draw(got, texture, corners, pair);
          EXPECT_EQ(FirstDifference(got, want), "");
        });
      }
    }
  }
}

// A texel equal to the key leaves its pixel exactly as it was under both kernels, whatever
// the key, the top byte of the target included.
TEST_F(RasterSimdTest, KeyedTexelsLeaveTheirPixels) {
  for (const Colour key : {Colour{0x000000}, Colour{0xFFFFFF}, Colour{0x123456}}) {
    const SpriteRecord texture =
        MakeTexture(20, 20, std::vector<Colour>(400, key), key); // every texel keyed
    Picture start = RandomPicture(40, 40);
    start.pixels[5 * 40 + 5] |= 0xAB000000; // a pixel with a top byte of its own
    for (const int pair : {MultiplyPair, AddSquarePair})
      for (const int angle : {0, 30}) {
        Picture got = start;
        Draw(got, texture, PlaceQuad(10, 10, 20, 20, angle), pair);
        EXPECT_EQ(FirstDifference(got, start), "") << "key " << key << " angle " << angle;
      }
  }
}

// Rows drawn band by band, in two or three bands (one of them empty or cut mid-quad), give
// the picture of one whole draw, for every pair.
TEST_F(RasterSimdTest, BandsTogetherDrawTheWholePicture) {
  struct Split {
    const char* name;
    std::vector<int> cuts; // band edges between 0 and the height
  };
  const int height = 151;
  const Split splits[] = {
      {"halves", {0, 75, height}},
      {"thirds", {0, 50, 100, height}},
      {"empty band", {0, 40, 40, height}},
      {"past the edges", {-20, 1, 150, height + 30}},
  };
  const SpriteRecord textures[] = {RandomTexture(64, 64), RandomTexture(29, 47)};
  std::vector<Corners> quads;
  for (int i = 0; i < 12; ++i)
    quads.push_back(PlaceQuad(Between(-40, 220), Between(-40, 190), Between(-120, 120),
                              Between(-120, 120), i % 3 == 0 ? 0 : Between(0, 359)));
  const Picture start = RandomPicture(181, height);
  for (const int pair : {MultiplyPair, AddSquarePair, GeneralPair}) {
    Picture whole = start;
    for (size_t q = 0; q < quads.size(); ++q)
      Draw(whole, textures[q % 2], quads[q], pair);
    for (const Split& split : splits) {
      SCOPED_TRACE(split.name);
      Picture banded = start;
      for (size_t b = 0; b + 1 < split.cuts.size(); ++b)
        for (size_t q = 0; q < quads.size(); ++q)
          Draw(banded, textures[q % 2], quads[q], pair, split.cuts[b], split.cuts[b + 1]);
      EXPECT_EQ(FirstDifference(banded, whole), "") << "pair " << pair;
    }
  }
}

// A band that is empty or wholly outside the target writes nothing.
TEST_F(RasterSimdTest, EmptyBandsDrawNothing) {
  const SpriteRecord texture = RandomTexture(16, 16);
  const Picture start = RandomPicture(50, 50);
  const int bands[][2] = {{10, 10}, {30, 5}, {-10, 0}, {50, 90}, {INT_MIN, INT_MIN}};
  for (const auto& band : bands) {
    Picture got = start;
    Draw(got, texture, PlaceQuad(25, 25, 60, 60, 20), MultiplyPair, band[0], band[1]);
    EXPECT_EQ(FirstDifference(got, start), "") << band[0] << ".." << band[1];
  }
}

} // namespace
