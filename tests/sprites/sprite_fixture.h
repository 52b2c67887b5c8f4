// An empty sprite and quad table with PNG decoding enabled, and small helpers.
#pragma once

#include "platform/internal.h"
#include "platform/platform.h"
#include "sprites/sprites.h"

#include <gtest/gtest.h>

#include <vector>

inline Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>(r | g << 8 | b << 16);
}

class SpriteTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(StartSpriteSystem(), 1);
    StartQuadSystem();
    EnablePngDecoding();
  }
  void TearDown() override {
    FreeAllQuads();
    StopSpriteSystem();
  }

  // Loads one embedded image; fails the test when it is missing or does not decode.
  static void LoadEmbeddedImage(int sprite, const char* name, int mode = SpriteModeTexture) {
    const EmbeddedImage* image = FindEmbeddedImage(name);
    ASSERT_NE(image, nullptr) << name;
    ASSERT_EQ(LoadSpriteFromMemory(sprite, image->bytes, image->size, mode), 1)
        << name << ": " << LastSpriteLoadError();
  }

  // The sprite's pixels, read through a pixel access.
  static std::vector<Colour> PixelsOf(int sprite) {
    std::vector<Colour> out;
    BeginPixelAccess(sprite);
    for (int y = 0; y < GetSpriteHeight(sprite); ++y)
      for (int x = 0; x < GetSpriteWidth(sprite); ++x)
        out.push_back(ReadPixel(x, y));
    EndPixelAccess();
    return out;
  }

  static Colour PixelOf(int sprite, int x, int y) {
    BeginPixelAccess(sprite);
    const Colour c = ReadPixel(x, y);
    EndPixelAccess();
    return c;
  }
};
