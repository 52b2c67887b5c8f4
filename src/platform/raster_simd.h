// The vector span kernels of the software device: the demo's two blend pairs over many
// pixels at once. raster_simd.cpp is compiled once for every instruction set the build can
// target, and the first call picks the best one the processor has. Used by raster.cpp (and
// its tests) only. Every kernel gives exactly the pixels of raster.cpp's per-pixel loop.
#pragma once

#include "platform/platform.h"

#include <cstdint>

enum class SpanBlend {
  Multiply, // 1 / 3: destination times texel, per channel, rounded
  AddSquare // 3 / 2: destination plus texel squared, per channel, rounded, saturated
};

// A span whose texels lie side by side, one per pixel: row[i] takes texels[i].
struct SpanRun {
  uint32_t* row;
  const Colour* texels;
  int count;  // pixels, >= 1
  Colour key; // texels equal to it leave their pixel alone
};

// A span whose texel walks (see TexelWalk in raster.cpp) fit in 32 bits: pixel i takes the
// texel (min(v_i, lastV), min(u_i, lastU)), where u_i = floor((ui * area + ur + i * (us *
// area + urs)) / area), v likewise. Every index of the span lies in 0..2^17, the area is at
// most 2^26, |us| and |vs| are at most 2^24 and the texture has at most 2^30 texels.
struct SpanWalk {
  uint32_t* row;
  const Colour* texels; // width x (lastV + 1)
  int count;            // pixels, >= 1
  Colour key;
  int32_t width, lastU, lastV;
  int32_t area;            // the walks' divisor, 1..2^26
  int32_t ui, ur, us, urs; // u: index, rest (0 <= ur < area), step index, step rest
  int32_t vi, vr, vs, vrs; // v likewise
};
constexpr int SpanWalkMaxLanes = 16; // no kernel works on more pixels at once

// Where each lane of a walked span starts (k steps on for lane k) and how far all lanes
// step at once, for one set of walk steps: the caller keeps it across the spans of one
// triangle, which all share their steps, and the kernel works it out when the steps change.
struct SpanLanes {
  int32_t lanes = 0;                // lanes worked out for; 0: nothing worked out yet
  int32_t us, urs, vs, vrs, area;   // the steps worked out for
  int32_t uIndex[SpanWalkMaxLanes]; // per lane: whole texels of k steps of u
  int32_t uRest[SpanWalkMaxLanes];  // per lane: their remainder, below the area
  int32_t vIndex[SpanWalkMaxLanes];
  int32_t vRest[SpanWalkMaxLanes];
  int32_t uJump, uJumpRest, vJump, vJumpRest; // `lanes` steps of u and of v
};

void BlendSpanRun(SpanBlend blend, const SpanRun& span); // draws a side-by-side span
void BlendSpanWalk(SpanBlend blend, const SpanWalk& span,
                   SpanLanes& lanes); // draws a walked span
bool SpanKernelsUseVectors();         // false when the processor offers the kernels no vectors
const char* SpanKernelTarget();       // the instruction set the kernels now run on (for tests)
