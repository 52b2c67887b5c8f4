// Test helpers: PNG files written in memory with libpng, and embedded images read back raw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// An image to encode. samples: rows packed as the colour type and bit depth require.
struct TestImage {
  int width;
  int height;
  int colourType;                     // PNG colour type: 0, 2, 3, 4 or 6
  int bitDepth;                       // 1, 2, 4, 8 or 16
  bool interlaced;                    // Adam7
  std::vector<unsigned char> samples; // height rows of packed samples
  std::vector<unsigned char> palette; // r, g, b per entry (colour type 3)
  std::vector<unsigned char> alphas;  // the transparency chunk of a palette, if any
};
std::vector<unsigned char> EncodePng(const TestImage& image);

// A PNG file as stored: header fields, palette and transparency data, and its pixels as
// 8-bit RGBA (palette and greys expanded, alpha 255 where the file has none).
struct RawPng {
  int width = 0;
  int height = 0;
  int colourType = -1;
  int bitDepth = 0;
  int interlace = -1;
  int paletteSize = 0;
  std::vector<unsigned char> palette; // r, g, b per entry
  int transparencyCount = -1;         // -1: no transparency chunk
  std::vector<unsigned char> transparency;
  std::vector<unsigned char> indices; // palette index per pixel (colour type 3)
  std::vector<uint32_t> rgba;         // red low byte, alpha in the top byte
};
bool ReadRawPng(const unsigned char* bytes, size_t size, RawPng& out);
