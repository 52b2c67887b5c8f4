// The triangle rasteriser and the blend equation of the software device. Everything is in
// integers: positions are doubled so that pixel centres (x + 0.5) become odd whole numbers,
// and texel indices are stepped exactly along each span, so every picture is the same on
// every build.
#include "platform/raster.h"

#include "platform/raster_simd.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <type_traits>

namespace {

constexpr float CornerLimit = 1 << 20; // pixels from the origin
constexpr int TextureLimit = 1 << 17;  // texels in either dimension
// With these limits doubled positions stay below 2^21, edge values below 2^46 and the texel
// numerators (edge value times texture size) below 2^63.

struct RasterState {
  bool scalarSpans; // test hook: the per-pixel loop even for the demo's pairs
};
RasterState Raster{};

int64_t FloorDiv(int64_t a, int64_t b) { // b > 0
  const int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) { // b > 0
  return -FloorDiv(-a, b);
}

// ---- Blending ----

// What a factor code means for one draw: a constant or one of the two pixels' colours.
enum class FactorKind {
  Constant,
  SourceColour,
  InverseSourceColour,
  DestColour,
  InverseDestColour
};
struct Factor {
  FactorKind kind;
  uint32_t constant; // 0..255, for FactorKind::Constant
};
struct FactorPair {
  Factor source;
  Factor destination;
};

// The back buffer has no alpha of its own, so destination alpha reads as 1; that makes
// saturated source alpha, min(As, 1 - Ad), always 0. The two "both" codes set the pair
// from the source alpha: in the source slot they decide both factors and the destination
// code is ignored; in the destination slot they give the destination's half. Codes outside
// 1..13 count as 0.
Factor SingleFactor(int code, uint32_t alpha, bool destinationSlot) {
  switch (code) {
  case BlendZero:
    return {FactorKind::Constant, 0};
  case BlendOne:
    return {FactorKind::Constant, 255};
  case BlendSrcColor:
    return {FactorKind::SourceColour, 0};
  case BlendInvSrcColor:
    return {FactorKind::InverseSourceColour, 0};
  case BlendSrcAlpha:
    return {FactorKind::Constant, alpha};
  case BlendInvSrcAlpha:
    return {FactorKind::Constant, 255 - alpha};
  case BlendDestAlpha:
    return {FactorKind::Constant, 255};
  case BlendInvDestAlpha:
    return {FactorKind::Constant, 0};
  case BlendDestColor:
    return {FactorKind::DestColour, 0};
  case BlendInvDestColor:
    return {FactorKind::InverseDestColour, 0};
  case BlendSrcAlphaSat:
    return {FactorKind::Constant, 0};
  case BlendBothSrcAlpha:
    return {FactorKind::Constant, destinationSlot ? 255 - alpha : alpha};
  case BlendBothInvSrcAlpha:
    return {FactorKind::Constant, destinationSlot ? alpha : 255 - alpha};
  default:
    return {FactorKind::Constant, 0};
  }
}

FactorPair ResolveFactors(int source, int destination, uint32_t alpha) {
  if (source == BlendBothSrcAlpha || source == BlendBothInvSrcAlpha)
    return {SingleFactor(source, alpha, false), SingleFactor(source, alpha, true)};
  return {SingleFactor(source, alpha, false), SingleFactor(destination, alpha, true)};
}

uint32_t FactorValue(const Factor& f, uint32_t s, uint32_t d) {
  switch (f.kind) {
  case FactorKind::Constant:
    return f.constant;
  case FactorKind::SourceColour:
    return s;
  case FactorKind::InverseSourceColour:
    return 255 - s;
  case FactorKind::DestColour:
    return d;
  case FactorKind::InverseDestColour:
    return 255 - d;
  }
  return 0;
}

// x / 255 rounded to the nearest integer (255 is odd, so there are no ties).
uint32_t Div255(uint32_t x) {
  return (x + 127) / 255;
}

struct GeneralBlend {
  FactorPair factors;
  Colour operator()(Colour s, Colour d) const {
    Colour out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t sc = (s >> shift) & 0xFF;
      const uint32_t dc = (d >> shift) & 0xFF;
      const uint32_t sum =
          sc * FactorValue(factors.source, sc, dc) + dc * FactorValue(factors.destination, sc, dc);
      out |= std::min<uint32_t>(Div255(sum), 255) << shift;
    }
    return out;
  }
};

// 1 / 3: destination times source colour. The same sums as GeneralBlend with factors 0 and s.
struct MultiplyBlend {
  static constexpr SpanBlend Kernel = SpanBlend::Multiply; // its vector span kernel
  Colour operator()(Colour s, Colour d) const {
    const uint32_t r = Div255((s & 0xFF) * (d & 0xFF));
    const uint32_t g = Div255(((s >> 8) & 0xFF) * ((d >> 8) & 0xFF));
    const uint32_t b = Div255(((s >> 16) & 0xFF) * ((d >> 16) & 0xFF));
    return r | g << 8 | b << 16;
  }
};

// 3 / 2: destination plus source colour squared. (s * s + d * 255 + 127) / 255 is exactly
// d + (s * s + 127) / 255, so the squares come from a table and are added with saturation,
// red and blue together in one word and green in another.
constexpr std::array<uint32_t, 256> MakeSquares() {
  std::array<uint32_t, 256> squares{};
  for (uint32_t s = 0; s < 256; ++s)
    squares[s] = (s * s + 127) / 255;
  return squares;
}
constexpr std::array<uint32_t, 256> Squares = MakeSquares();

struct AddSquareBlend {
  static constexpr SpanBlend Kernel = SpanBlend::AddSquare; // its vector span kernel
  Colour operator()(Colour s, Colour d) const {
    const uint32_t square =
        Squares[s & 0xFF] | Squares[(s >> 8) & 0xFF] << 8 | Squares[(s >> 16) & 0xFF] << 16;
    uint32_t rb = (d & 0xFF00FF) + (square & 0xFF00FF);
    uint32_t g = (d & 0xFF00) + (square & 0xFF00);
    const uint32_t rbCarry = rb & 0x1000100;
    const uint32_t gCarry = g & 0x10000;
    rb |= rbCarry - (rbCarry >> 8); // a carried channel becomes 255
    g |= gCarry - (gCarry >> 8);
    return (rb & 0xFF00FF) | (g & 0xFF00);
  }
};

// ---- Texel stepping ----

// floor(n / area) for a numerator n that grows by a fixed amount per pixel (or per row),
// kept as a whole part and a remainder so that stepping needs no division.
struct TexelWalk {
  int64_t index;     // floor(n / area)
  int64_t rest;      // n - index * area, 0 <= rest < area
  int64_t stepIndex; // floor(step / area)
  int64_t stepRest;  // step - stepIndex * area
  int64_t area;      // the divisor, > 0

  void Start(int64_t numerator, int64_t step, int64_t divisor) {
    area = divisor;
    index = FloorDiv(numerator, area);
    rest = numerator - index * area;
    stepIndex = FloorDiv(step, area);
    stepRest = step - stepIndex * area;
  }

  // Moves to numerator + step, or back to numerator - step, without dividing. The carries
  // are masks rather than branches: they come in no pattern a processor could foresee.
  void Forward() { Add(stepIndex, stepRest); }
  void Back() {
    index -= stepIndex;
    rest -= stepRest;
    const int64_t borrow = rest >> 63; // -1 when rest went below 0, else 0
    rest += area & borrow;
    index += borrow;
  }
  // Moves to numerator + jump, where jump = jumpIndex * area + jumpRest, 0 <= jumpRest < area.
  void Add(int64_t jumpIndex, int64_t jumpRest) {
    index += jumpIndex;
    rest += jumpRest;
    const int64_t carry = (area - 1 - rest) >> 63; // -1 when rest reached the area, else 0
    rest -= area & carry;
    index -= carry;
  }
};

struct Texture {
  const Colour* texels; // width x height
  int width;
  int height;
  Colour key;       // texels equal to it are not drawn
  bool vectorSpans; // the demo's pairs go to the vector span kernels
};

// Hands a span to a vector kernel when its texel walks fit the kernels' 32-bit lanes (any
// quad of the demo's sizes does); false when it does not, and nothing is drawn.
bool DrawSpanVector(uint32_t* row, int count, const Texture& tex, const TexelWalk& u,
                    const TexelWalk& v, SpanBlend blend, SpanLanes& lanes) {
  // One texel per pixel along one texel row: any unrotated quad drawn at its texture's size.
  if (u.stepIndex == 1 && u.stepRest == 0 && v.stepIndex == 0 && v.stepRest == 0 && u.index >= 0 &&
      u.index + count <= tex.width && v.index >= 0) {
    const int64_t line = std::min<int64_t>(v.index, tex.height - 1);
    BlendSpanRun(blend, {row, tex.texels + line * tex.width + u.index, count, tex.key});
    return true;
  }
  // Every pixel of a span has all three edge values (its barycentric weights times the
  // area) at least 0 and summing to the area, so the weight sums behind u and v lie in
  // 0..area and every index in 0..width (0..height for v). The kernels hold indices,
  // remainders and offsets as 32-bit numbers, which fit under these limits, and step up to
  // SpanWalkMaxLanes - 1 pixels past the end, where they clamp the indices into the texture.
  constexpr int64_t AreaLimit = int64_t{1} << 26;
  constexpr int64_t StepLimit = int64_t{1} << 24;
  constexpr int64_t TexelLimit = int64_t{1} << 30;
  if (u.area > AreaLimit || static_cast<int64_t>(tex.width) * tex.height > TexelLimit ||
      std::abs(u.stepIndex) > StepLimit || std::abs(v.stepIndex) > StepLimit || u.index < 0 ||
      u.index > tex.width || v.index < 0 || v.index > tex.height)
    return false;
  const SpanWalk walk{row,
                      tex.texels,
                      count,
                      tex.key,
                      tex.width,
                      tex.width - 1,
                      tex.height - 1,
                      static_cast<int32_t>(u.area),
                      static_cast<int32_t>(u.index),
                      static_cast<int32_t>(u.rest),
                      static_cast<int32_t>(u.stepIndex),
                      static_cast<int32_t>(u.stepRest),
                      static_cast<int32_t>(v.index),
                      static_cast<int32_t>(v.rest),
                      static_cast<int32_t>(v.stepIndex),
                      static_cast<int32_t>(v.stepRest)};
  BlendSpanWalk(blend, walk, lanes);
  return true;
}

// The inner loop: every pixel of the span is inside the triangle and inside the target.
// Both walks share the triangle's area as divisor. A span that stays on one texel row (any
// unrotated quad) walks that row alone.
template <class Blend>
void DrawSpan(uint32_t* row, int count, const Texture& tex, const TexelWalk& u, const TexelWalk& v,
              const Blend& blend, SpanLanes& lanes) {
  if constexpr (!std::is_same_v<Blend, GeneralBlend>) {
    if (tex.vectorSpans && DrawSpanVector(row, count, tex, u, v, Blend::Kernel, lanes)) return;
  }
  const Colour* const texels = tex.texels;
  const Colour key = tex.key;
  const int64_t width = tex.width;
  const int64_t lastU = tex.width - 1;
  const int64_t area = u.area;
  int64_t ui = u.index, ur = u.rest;
  const int64_t us = u.stepIndex, urs = u.stepRest;
  if (v.stepIndex == 0 && v.stepRest == 0) {
    const Colour* const line = texels + std::min<int64_t>(v.index, tex.height - 1) * width;
    for (int i = 0; i < count; ++i) {
      const Colour texel = line[std::min(ui, lastU)];
      if (texel != key) row[i] = blend(texel, row[i]);
      ui += us;
      ur += urs;
      if (ur >= area) {
        ur -= area;
        ++ui;
      }
    }
    return;
  }
  const int64_t lastV = tex.height - 1;
  int64_t vi = v.index, vr = v.rest;
  const int64_t vs = v.stepIndex, vrs = v.stepRest;
  for (int i = 0; i < count; ++i) {
    const Colour texel = texels[std::min(vi, lastV) * width + std::min(ui, lastU)];
    if (texel != key) row[i] = blend(texel, row[i]);
    ui += us;
    ur += urs;
    if (ur >= area) {
      ur -= area;
      ++ui;
    }
    vi += vs;
    vr += vrs;
    if (vr >= area) {
      vr -= area;
      ++vi;
    }
  }
}

// ---- Triangles ----

struct Vertex {
  int64_t x; // doubled pixels
  int64_t y; // doubled pixels
  int u;     // 0 or 1
  int v;     // 0 or 1
};

// E(P) = dx * (P.y - ay) - dy * (P.x - ax): positive on the inside of a clockwise triangle.
// A pixel centre on the edge (E = 0) counts only for a top or left edge, hence bias 0 there
// and 1 elsewhere.
struct Edge {
  int64_t ax, ay, dx, dy;
  int64_t bias;
};

Edge MakeEdge(const Vertex& a, const Vertex& b) {
  const int64_t dx = b.x - a.x;
  const int64_t dy = b.y - a.y;
  const bool topOrLeft = dy < 0 || (dy == 0 && dx > 0);
  return {a.x, a.y, dx, dy, topOrLeft ? 0 : 1};
}

template <class Blend>
void DrawTriangle(const RasterTarget& target, const Texture& tex, Vertex a, Vertex b, Vertex c,
                  const Blend& blend) {
  int64_t area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (area == 0) return;
  if (area < 0) {
    std::swap(b, c);
    area = -area;
  }
  // Edge i lies opposite vertex i, so its value is that vertex's barycentric weight.
  const Vertex vs[3] = {a, b, c};
  const Edge edges[3] = {MakeEdge(b, c), MakeEdge(c, a), MakeEdge(a, b)};

  // Rows whose centre 2y + 1 lies within the triangle's extent, clipped to the target.
  const int64_t minY = std::min({a.y, b.y, c.y});
  const int64_t maxY = std::max({a.y, b.y, c.y});
  const int64_t firstRow = std::max<int64_t>({CeilDiv(minY - 1, 2), 0, target.bandTop});
  const int64_t lastRow =
      std::min<int64_t>({FloorDiv(maxY - 1, 2), target.height - 1, int64_t{target.bandBottom} - 1});

  if (firstRow > lastRow) return;

  // Row by row, each edge's value at column 0 grows by 2 dx, so its bound on the span,
  // floor((value - bias) / (2 |dy|)), and the texel walks at a fixed column step by fixed
  // amounts: walks carry them from row to row without dividing. The test hook takes the
  // plain road and divides afresh on every row, which the walks must match.
  const bool divideEveryRow = Raster.scalarSpans;
  TexelWalk bounds[3]{};
  int64_t rowU = 0, columnU = 0, rowV = 0, columnV = 0; // weight steps per row and column
  for (int i = 0; i < 3; ++i) {
    const Edge& e = edges[i];
    if (e.dy != 0) {
      const int64_t value = e.dx * (2 * firstRow + 1 - e.ay) - e.dy * (1 - e.ax);
      bounds[i].Start(value - e.bias, 2 * e.dx, 2 * std::abs(e.dy));
    }
    if (vs[i].u != 0) {
      rowU += 2 * e.dx;
      columnU -= 2 * e.dy;
    }
    if (vs[i].v != 0) {
      rowV += 2 * e.dx;
      columnV -= 2 * e.dy;
    }
  }
  TexelWalk u{}, v{}, uRow{}, vRow{};
  uRow.Start(0, rowU * tex.width, area);
  vRow.Start(0, rowV * tex.height, area);
  SpanLanes lanes;        // the vector kernels' lanes for this triangle's walks
  int64_t walkColumn = 0; // the column u and v stand at
  bool walking = false;   // u and v stand on this row

  for (int64_t py = firstRow; py <= lastRow; ++py) {
    const int64_t centreY = 2 * py + 1;
    int64_t left = 0;
    int64_t right = target.width - 1;
    int64_t value[3]; // each edge's value at pixel column 0 of this row
    for (int i = 0; i < 3; ++i) {
      const Edge& e = edges[i];
      value[i] = e.dx * (centreY - e.ay) - e.dy * (1 - e.ax);
      // The value at column x is value - 2 * dy * x; it must be at least the bias.
      if (e.dy < 0)
        left = std::max(left,
                        divideEveryRow ? CeilDiv(e.bias - value[i], -2 * e.dy) : -bounds[i].index);
      else if (e.dy > 0)
        right = std::min(right,
                         divideEveryRow ? FloorDiv(value[i] - e.bias, 2 * e.dy) : bounds[i].index);
      else if (value[i] < e.bias)
        right = -1;
      if (e.dy != 0) bounds[i].Forward(); // to the next row
    }
    if (left <= right) {
      constexpr int64_t FarMove = 8; // columns; farther moves divide afresh
      if (divideEveryRow || !walking || std::abs(left - walkColumn) > FarMove) {
        int64_t weightU = 0, weightV = 0;
        for (int i = 0; i < 3; ++i) {
          const int64_t w = value[i] - 2 * edges[i].dy * left;
          if (vs[i].u != 0) weightU += w;
          if (vs[i].v != 0) weightV += w;
        }
        u.Start(weightU * tex.width, columnU * tex.width, area);
        v.Start(weightV * tex.height, columnV * tex.height, area);
        walking = true;
      } else {
        for (; walkColumn < left; ++walkColumn) {
          u.Forward();
          v.Forward();
        }
        for (; walkColumn > left; --walkColumn) {
          u.Back();
          v.Back();
        }
      }
      walkColumn = left;
      DrawSpan(target.pixels + py * target.width + left, static_cast<int>(right - left + 1), tex, u,
               v, blend, lanes);
    }
    if (walking) {
      u.Add(uRow.stepIndex, uRow.stepRest);
      v.Add(vRow.stepIndex, vRow.stepRest);
    }
  }
}

// Corners on an axis-parallel rectangle with the texture's corners where the quad
// operations put them: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right (mirrored
// when the sizes are negative).
bool IsUnrotatedRectangle(const Vertex (&v)[4]) {
  return v[0].y == v[1].y && v[2].y == v[3].y && v[0].x == v[2].x && v[1].x == v[3].x &&
         v[0].u == 0 && v[0].v == 0 && v[1].u == 1 && v[1].v == 0 && v[2].u == 0 && v[2].v == 1 &&
         v[3].u == 1 && v[3].v == 1;
}

// An unrotated quad as one span per row, with exactly the two triangles' pixels: a pixel
// centre (odd in doubled units) never lies on the rectangle's edges (even), so the two
// triangles, which share the diagonal without overlap, cover exactly the centres inside
// it; and both give a pixel the nearest texel of the one map from the rectangle onto the
// texture, floor((centre - corner 0) * size / (corner 1 - corner 0)) across, likewise down.
template <class Blend>
void DrawRectangle(const RasterTarget& target, const Texture& tex, const Vertex (&v)[4],
                   const Blend& blend) {
  const int64_t across = v[1].x - v[0].x; // doubled pixels, negative when mirrored
  const int64_t down = v[2].y - v[0].y;
  if (across == 0 || down == 0) return;
  const int64_t left = std::max<int64_t>(std::min(v[0].x, v[1].x) / 2, 0);
  const int64_t right = std::min<int64_t>(std::max(v[0].x, v[1].x) / 2 - 1, target.width - 1);
  const int64_t firstRow = std::max<int64_t>({std::min(v[0].y, v[2].y) / 2, 0, target.bandTop});
  const int64_t lastRow = std::min<int64_t>(
      {std::max(v[0].y, v[2].y) / 2 - 1, target.height - 1, int64_t{target.bandBottom} - 1});
  if (left > right || firstRow > lastRow) return;
  const int64_t signAcross = across > 0 ? 1 : -1, signDown = down > 0 ? 1 : -1;
  TexelWalk u{};
  u.Start((2 * left + 1 - v[0].x) * tex.width * signAcross, 2 * tex.width * signAcross,
          std::abs(across));
  TexelWalk rows{};
  rows.Start((2 * firstRow + 1 - v[0].y) * tex.height * signDown, 2 * tex.height * signDown,
             std::abs(down));
  SpanLanes lanes; // the vector kernels' lanes for the walks of this quad
  for (int64_t py = firstRow; py <= lastRow; ++py) {
    // The texel row is fixed along the span; the span walks share u's divisor.
    const TexelWalk along{rows.index, 0, 0, 0, u.area};
    DrawSpan(target.pixels + py * target.width + left, static_cast<int>(right - left + 1), tex, u,
             along, blend, lanes);
    rows.Forward();
  }
}

template <class Blend>
void DrawStrip(const RasterTarget& target, const Texture& tex, const Vertex (&v)[4],
               const Blend& blend) {
  // The test hook keeps the two triangles, which the rectangle is compared with.
  if (!Raster.scalarSpans && IsUnrotatedRectangle(v)) {
    DrawRectangle(target, tex, v, blend);
    return;
  }
  DrawTriangle(target, tex, v[0], v[1], v[2], blend);
  DrawTriangle(target, tex, v[1], v[3], v[2], blend);
}

bool ToVertex(const QuadVertex& q, Vertex& out) {
  if (!(std::fabs(q.x) <= CornerLimit && std::fabs(q.y) <= CornerLimit)) return false;
  out.x = 2 * static_cast<int64_t>(q.x);
  out.y = 2 * static_cast<int64_t>(q.y);
  out.u = q.u != 0.0f ? 1 : 0;
  out.v = q.v != 0.0f ? 1 : 0;
  return true;
}

} // namespace

void RasteriseQuad(const RasterTarget& target, const SpriteRecord& texture,
                   const QuadVertex (&corners)[4], int blendSource, int blendDestination,
                   bool generalBlendOnly) {
  if (target.pixels == nullptr || target.width <= 0 || target.height <= 0) return;
  if (texture.width <= 0 || texture.height <= 0 || texture.width > TextureLimit ||
      texture.height > TextureLimit ||
      texture.pixels.size() < static_cast<size_t>(texture.width) * texture.height)
    return;
  Vertex v[4];
  for (int i = 0; i < 4; ++i)
    if (!ToVertex(corners[i], v[i])) return;

  // A processor without vectors (none the kernels can use) is better off with the plain loop.
  const Texture tex{texture.pixels.data(), texture.width, texture.height, texture.colourKey,
                    !Raster.scalarSpans && SpanKernelsUseVectors()};
  const uint32_t alpha = corners[0].diffuse >> 24;
  if (!generalBlendOnly && blendSource == BlendZero && blendDestination == BlendSrcColor)
    DrawStrip(target, tex, v, MultiplyBlend{});
  else if (!generalBlendOnly && blendSource == BlendSrcColor && blendDestination == BlendOne)
    DrawStrip(target, tex, v, AddSquareBlend{});
  else
    DrawStrip(target, tex, v, GeneralBlend{ResolveFactors(blendSource, blendDestination, alpha)});
}

void UseScalarSpans(bool on) {
  Raster.scalarSpans = on;
}

Colour BlendPixel(int blendSource, int blendDestination, Colour source, Colour destination,
                  int alpha) {
  const GeneralBlend blend{
      ResolveFactors(blendSource, blendDestination, static_cast<uint32_t>(alpha) & 0xFF)};
  return blend(source & 0xFFFFFF, destination & 0xFFFFFF);
}
