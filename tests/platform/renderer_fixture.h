// A headless window with an open 600 x 580 screen and an empty quad table, and small helpers
// that make sprites straight from pixel arrays (no image decoding involved).
#pragma once

#include "platform/headless.h"
#include "platform/platform.h"
#include "platform/quads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

// A key that no stored pixel can match (pixels have 0 in the top byte).
constexpr Colour NoKey = 0xFFFFFFFF;

inline Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>(r | g << 8 | b << 16);
}

inline void MakeSprite(int number, int width, int height, std::vector<Colour> pixels,
                       Colour key = NoKey, int mode = SpriteModeTexture) {
  SpriteRecord* s = SpriteSlot(number);
  ASSERT_NE(s, nullptr);
  s->pixels = std::move(pixels);
  s->width = width;
  s->height = height;
  s->mode = mode;
  s->colourKey = key;
  TouchSprite(*s);
}

inline void MakeFlatSprite(int number, int width, int height, Colour colour, Colour key = NoKey) {
  MakeSprite(number, width, height,
             std::vector<Colour>(static_cast<size_t>(width) * height, colour), key);
}

// "" when the pictures agree, else where they first differ and how.
inline std::string FirstDifference(const uint32_t* got, const std::vector<uint32_t>& want,
                                   int width) {
  for (size_t i = 0; i < want.size(); ++i)
    if (got[i] != want[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "pixel (%zu, %zu) is %06X, expected %06X", i % width,
                    i / width, static_cast<unsigned>(got[i]), static_cast<unsigned>(want[i]));
      return text;
    }
  return "";
}

class RendererTest : public ::testing::Test {
public:
  static constexpr int W = 600;
  static constexpr int H = 580;

protected:
  void SetUp() override {
    UseVirtualClock(1000, 0);
    window_ = OpenHeadlessScreen();
    ASSERT_NE(window_, 0);
  }
  void TearDown() override {
    CloseHeadlessScreen();
    UseRealClock();
  }

  static uint32_t* Px() { return ScreenPixels(); }
  static uint32_t& At(int x, int y) { return ScreenPixels()[y * W + x]; }
  static void Fill(Colour c) { std::fill(Px(), Px() + W * H, c); }
  static std::vector<uint32_t> Snapshot() { return {Px(), Px() + W * H}; }

  intptr_t window_ = 0;
};
