// The software device's drawing: one quad, as the triangle strip 0, 1, 2, 3, textured,
// colour-keyed and blended into a 32-bit back buffer. Used by quads.cpp only.
//
// Rasterisation rule: corners are whole pixels (every quad operation stores integers);
// a pixel is covered by a triangle when its centre (x + 0.5, y + 0.5) lies inside it, and a
// centre exactly on an edge counts only for a top or left edge. So two triangles sharing an
// edge, the quad's diagonal included, and quads placed edge to edge cover every pixel once.
// Texture coordinates are affine over each triangle; the texel is the nearest one to the
// pixel centre, computed exactly in integers and clamped to the texture.
#pragma once

#include "platform/quads.h"

#include <climits>
#include <cstdint>

// Only rows bandTop <= y < bandBottom are written, each exactly as a draw of the whole target
// writes it, so that bands of one target can be drawn apart (by different threads) and give
// the same picture.
struct RasterTarget {
  uint32_t* pixels;         // width x height, row by row, Colour layout
  int width;                // pixels
  int height;               // pixels
  int bandTop = 0;          // first row drawn
  int bandBottom = INT_MAX; // one past the last row drawn
};

// Draws nothing for a texture that is empty or larger than 2^17 in either dimension, or
// for corners farther than 2^20 pixels from the origin; otherwise writes only inside the
// target. The vertex alpha is the first corner's; the vertex colour is white.
void RasteriseQuad(const RasterTarget& target, const SpriteRecord& texture,
                   const QuadVertex (&corners)[4], int blendSource, int blendDestination,
                   bool generalBlendOnly);

// Test hook: while set, the demo's two pairs go through the plain per-pixel loop instead of
// the vector span kernels, so that the two can be compared. Off by default.
void UseScalarSpans(bool on);

// One pixel through the blend equation: source * source factor + destination *
// destination factor per channel on 0..1, limited to 1, rounded to the nearest 8-bit value.
Colour BlendPixel(int blendSource, int blendDestination, Colour source, Colour destination,
                  int alpha);
