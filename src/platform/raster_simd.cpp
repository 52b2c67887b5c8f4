// The vector span kernels. This file is compiled once per target instruction set (the
// inclusion of foreach_target.h below repeats it), each copy in a namespace of its own; the
// dispatch at the end calls the best copy the processor runs.
//
// Per channel both pairs round a product of two 8-bit values divided by 255: x = s * d (or
// s * s) is at most 65025, and (x + 127) / 255 equals ((x + 128) * 257) >> 16 for every such
// x, which is the high half of one 16-bit multiplication. The channels are taken apart as the
// even and odd bytes of 16-bit lanes, so no lane ever holds more than 16 bits.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "platform/raster_simd.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep

#include "hwy/highway.h"
#include "platform/raster_simd.h"

#include <algorithm>

HWY_BEFORE_NAMESPACE();
// A named namespace, as the dispatch tables need one; nothing in it is used from outside.
namespace raster_simd {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D32 = hn::CappedTag<uint32_t, SpanWalkMaxLanes>;
using V32 = hn::Vec<D32>;

// Rounded x / 255 per 16-bit lane, for x <= 65025.
template <class D16> HWY_INLINE hn::Vec<D16> Div255(D16 d16, hn::Vec<D16> x) {
  return hn::MulHigh(hn::Add(x, hn::Set(d16, 128)), hn::Set(d16, 257));
}

// Both blends leave 0 in the top byte, as the per-pixel loop does.
#if HWY_TARGET == HWY_SCALAR
// One lane, which cannot be split into bytes: the channels one by one. (raster.cpp keeps to
// its own per-pixel loop on processors with nothing better.)
uint32_t Channels(uint32_t s, uint32_t t, bool square) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t sc = (s >> shift) & 0xFF;
    const uint32_t tc = (t >> shift) & 0xFF;
    const uint32_t c =
        square ? std::min<uint32_t>(tc + (sc * sc + 127) / 255, 255) : (sc * tc + 127) / 255;
    out |= c << shift;
  }
  return out;
}
struct Multiply {
  HWY_INLINE V32 operator()(D32 d, V32 s, V32 t) const {
    return hn::Set(d, Channels(hn::GetLane(s), hn::GetLane(t), false));
  }
};
struct AddSquare {
  HWY_INLINE V32 operator()(D32 d, V32 s, V32 t) const {
    return hn::Set(d, Channels(hn::GetLane(s), hn::GetLane(t), true));
  }
};
#else
struct Multiply {
  HWY_INLINE V32 operator()(D32 d, V32 s, V32 t) const {
    const hn::Repartition<uint16_t, D32> d16;
    const auto low = hn::Set(d16, 0x00FF);
    const auto s16 = hn::BitCast(d16, s);
    const auto t16 = hn::BitCast(d16, t);
    const auto even = Div255(d16, hn::Mul(hn::And(s16, low), hn::And(t16, low)));
    const auto odd = Div255(d16, hn::Mul(hn::ShiftRight<8>(s16), hn::ShiftRight<8>(t16)));
    const auto out = hn::Or(even, hn::ShiftLeft<8>(odd));
    return hn::And(hn::BitCast(d, out), hn::Set(d, 0xFFFFFFu));
  }
};

struct AddSquare {
  HWY_INLINE V32 operator()(D32 d, V32 s, V32 t) const {
    const hn::Repartition<uint16_t, D32> d16;
    const hn::Repartition<uint8_t, D32> d8;
    const auto s16 = hn::BitCast(d16, s);
    const auto sEven = hn::And(s16, hn::Set(d16, 0x00FF));
    const auto sOdd = hn::ShiftRight<8>(s16);
    const auto even = Div255(d16, hn::Mul(sEven, sEven));
    const auto odd = Div255(d16, hn::Mul(sOdd, sOdd));
    const auto square = hn::BitCast(d8, hn::Or(even, hn::ShiftLeft<8>(odd)));
    const auto sum = hn::SaturatedAdd(hn::BitCast(d8, t), square);
    return hn::And(hn::BitCast(d, sum), hn::Set(d, 0xFFFFFFu));
  }
};
#endif

// The first `left` (< lanes) values at p, and nothing past them: the processor's masked
// loads and stores where they never touch masked-off memory, else through a buffer.
#if HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX2
HWY_INLINE V32 LoadFirst(D32 d, const uint32_t* p, size_t left) {
  return hn::MaskedLoad(hn::FirstN(d, left), d, p);
}
HWY_INLINE void StoreFirst(V32 v, D32 d, uint32_t* p, size_t left) {
  hn::BlendedStore(v, hn::FirstN(d, left), d, p);
}
#else
HWY_INLINE V32 LoadFirst(D32 d, const uint32_t* p, size_t left) {
  HWY_ALIGN uint32_t buffer[SpanWalkMaxLanes] = {};
  for (size_t k = 0; k < left; ++k)
    buffer[k] = p[k];
  return hn::Load(d, buffer);
}
HWY_INLINE void StoreFirst(V32 v, D32 d, uint32_t* p, size_t left) {
  HWY_ALIGN uint32_t buffer[SpanWalkMaxLanes];
  hn::Store(v, d, buffer);
  for (size_t k = 0; k < left; ++k)
    p[k] = buffer[k];
}
#endif

// One vector of pixels: keyed texels keep their pixel.
template <class Blend>
HWY_INLINE V32 BlendKeyed(D32 d, V32 texel, V32 pixel, V32 key, const Blend& blend) {
  return hn::IfThenElse(hn::Eq(texel, key), pixel, blend(d, texel, pixel));
}

template <class Blend> void RunSpan(const SpanRun& span) {
  const D32 d;
  const Blend blend;
  const size_t n = hn::Lanes(d);
  const auto key = hn::Set(d, span.key);
  const size_t count = static_cast<size_t>(span.count);
  uint32_t* const row = span.row;
  size_t i = 0;
  for (; i + n <= count; i += n) {
    const auto texel = hn::LoadU(d, span.texels + i);
    hn::StoreU(BlendKeyed(d, texel, hn::LoadU(d, row + i), key, blend), d, row + i);
  }
  if (i == count) return;
  const size_t left = count - i;
  const auto texel = LoadFirst(d, span.texels + i, left);
  StoreFirst(BlendKeyed(d, texel, LoadFirst(d, row + i, left), key, blend), d, row + i, left);
}

// n steps of a walk at once, as a whole number of texels and a remainder below the area,
// found by doubling one step rather than by dividing.
struct Jump {
  int32_t index;
  int32_t rest;
};
HWY_INLINE Jump Steps(int32_t stepIndex, int32_t stepRest, int32_t area, size_t n) {
  Jump total{0, 0}, power{stepIndex, stepRest};
  for (; n != 0; n >>= 1) {
    if ((n & 1) != 0) {
      total.index += power.index;
      total.rest += power.rest;
      if (total.rest >= area) {
        total.rest -= area;
        ++total.index;
      }
    }
    power.index *= 2;
    power.rest *= 2;
    if (power.rest >= area) {
      power.rest -= area;
      ++power.index;
    }
  }
  return total;
}

// Works out the lanes' starts and the common jump for the span's steps. Lane k starts k
// steps on: its remainder k * urs is below 16 areas (at most 2^30), and taking 16, 8, 4, 2
// and 1 areas off where they fit leaves the remainder and adds the areas taken to the index.
void PrepareLanes(const SpanWalk& span, SpanLanes& lanes) {
  const hn::RebindToSigned<D32> di;
  const size_t n = hn::Lanes(di);
  const auto lanesBefore = hn::Iota(di, 0);
  auto u = hn::Mul(lanesBefore, hn::Set(di, span.us));
  auto uRest = hn::Mul(lanesBefore, hn::Set(di, span.urs));
  auto v = hn::Mul(lanesBefore, hn::Set(di, span.vs));
  auto vRest = hn::Mul(lanesBefore, hn::Set(di, span.vrs));
  for (int32_t areas = 16; areas >= 1; areas /= 2) {
    const auto whole = hn::Set(di, areas);
    const auto taken = hn::Set(di, areas * span.area);
    const auto below = hn::Set(di, areas * span.area - 1);
    const auto uFits = hn::Gt(uRest, below);
    uRest = hn::IfThenElse(uFits, hn::Sub(uRest, taken), uRest);
    u = hn::Add(u, hn::IfThenElseZero(uFits, whole));
    const auto vFits = hn::Gt(vRest, below);
    vRest = hn::IfThenElse(vFits, hn::Sub(vRest, taken), vRest);
    v = hn::Add(v, hn::IfThenElseZero(vFits, whole));
  }
  hn::StoreU(u, di, lanes.uIndex);
  hn::StoreU(uRest, di, lanes.uRest);
  hn::StoreU(v, di, lanes.vIndex);
  hn::StoreU(vRest, di, lanes.vRest);
  const Jump uJump = Steps(span.us, span.urs, span.area, n);
  const Jump vJump = Steps(span.vs, span.vrs, span.area, n);
  lanes.uJump = uJump.index;
  lanes.uJumpRest = uJump.rest;
  lanes.vJump = vJump.index;
  lanes.vJumpRest = vJump.rest;
  lanes.lanes = static_cast<int32_t>(n);
  lanes.us = span.us;
  lanes.urs = span.urs;
  lanes.vs = span.vs;
  lanes.vrs = span.vrs;
  lanes.area = span.area;
}

// Lane k holds the walk of pixel i + k; every round all lanes step n pixels at once, by
// the whole and remainder of n steps (the remainder below the area, as for one step).
template <class Blend> void WalkSpan(const SpanWalk& span, SpanLanes& lanes) {
  const D32 d;
  const hn::RebindToSigned<D32> di;
  const Blend blend;
  const size_t n = hn::Lanes(d);
  if (lanes.lanes != static_cast<int32_t>(n) || lanes.us != span.us || lanes.urs != span.urs ||
      lanes.vs != span.vs || lanes.vrs != span.vrs || lanes.area != span.area)
    PrepareLanes(span, lanes);

  // The span's start plus each lane's k steps: the remainders add to below two areas.
  const auto area = hn::Set(di, span.area);
  const auto lastRest = hn::Set(di, span.area - 1);
  auto u = hn::Add(hn::Set(di, span.ui), hn::LoadU(di, lanes.uIndex));
  auto uRest = hn::Add(hn::Set(di, span.ur), hn::LoadU(di, lanes.uRest));
  auto v = hn::Add(hn::Set(di, span.vi), hn::LoadU(di, lanes.vIndex));
  auto vRest = hn::Add(hn::Set(di, span.vr), hn::LoadU(di, lanes.vRest));
  const auto uStartCarry = hn::Gt(uRest, lastRest);
  uRest = hn::IfThenElse(uStartCarry, hn::Sub(uRest, area), uRest);
  u = hn::Sub(u, hn::VecFromMask(di, uStartCarry));
  const auto vStartCarry = hn::Gt(vRest, lastRest);
  vRest = hn::IfThenElse(vStartCarry, hn::Sub(vRest, area), vRest);
  v = hn::Sub(v, hn::VecFromMask(di, vStartCarry));
  const auto uStep = hn::Set(di, lanes.uJump), uStepRest = hn::Set(di, lanes.uJumpRest);
  const auto vStep = hn::Set(di, lanes.vJump), vStepRest = hn::Set(di, lanes.vJumpRest);
  const auto zero = hn::Zero(di);
  const auto lastU = hn::Set(di, span.lastU);
  const auto lastV = hn::Set(di, span.lastV);
  const auto width = hn::Set(di, span.width);
  const auto key = hn::Set(d, span.key);

  const size_t count = static_cast<size_t>(span.count);
  uint32_t* const row = span.row;
  for (size_t i = 0; i < count; i += n) {
    // Lanes past the end of the span may hold indices below 0; clamped, they stay inside
    // the texture. Inside the span every index is already at least 0.
    const auto column = hn::Min(hn::Max(u, zero), lastU);
    const auto offset = hn::Add(hn::Mul(hn::Min(hn::Max(v, zero), lastV), width), column);
    if (i + n <= count) {
      const auto texel = hn::GatherIndex(d, span.texels, offset);
      hn::StoreU(BlendKeyed(d, texel, hn::LoadU(d, row + i), key, blend), d, row + i);
    } else {
      const size_t left = count - i;
      const auto texel = hn::GatherIndex(d, span.texels, offset);
      StoreFirst(BlendKeyed(d, texel, LoadFirst(d, row + i, left), key, blend), d, row + i, left);
      return;
    }
    uRest = hn::Add(uRest, uStepRest);
    const auto uCarry = hn::Gt(uRest, lastRest);
    uRest = hn::IfThenElse(uCarry, hn::Sub(uRest, area), uRest);
    u = hn::Sub(hn::Add(u, uStep), hn::VecFromMask(di, uCarry)); // all ones: -1
    vRest = hn::Add(vRest, vStepRest);
    const auto vCarry = hn::Gt(vRest, lastRest);
    vRest = hn::IfThenElse(vCarry, hn::Sub(vRest, area), vRest);
    v = hn::Sub(hn::Add(v, vStep), hn::VecFromMask(di, vCarry));
  }
}

void MultiplyRun(const SpanRun& span) {
  RunSpan<Multiply>(span);
}
void AddSquareRun(const SpanRun& span) {
  RunSpan<AddSquare>(span);
}
void MultiplyWalk(const SpanWalk& span, SpanLanes& lanes) {
  WalkSpan<Multiply>(span, lanes);
}
void AddSquareWalk(const SpanWalk& span, SpanLanes& lanes) {
  WalkSpan<AddSquare>(span, lanes);
}
bool Vectors() {
  return HWY_TARGET != HWY_SCALAR;
}
const char* TargetName() {
  return hwy::TargetName(HWY_TARGET);
}

} // namespace HWY_NAMESPACE
} // namespace raster_simd
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace raster_simd {
HWY_EXPORT(MultiplyRun);
HWY_EXPORT(AddSquareRun);
HWY_EXPORT(MultiplyWalk);
HWY_EXPORT(AddSquareWalk);
HWY_EXPORT(Vectors);
HWY_EXPORT(TargetName);
} // namespace raster_simd

void BlendSpanRun(SpanBlend blend, const SpanRun& span) {
  if (blend == SpanBlend::Multiply)
    HWY_DYNAMIC_DISPATCH(raster_simd::MultiplyRun)(span);
  else
    HWY_DYNAMIC_DISPATCH(raster_simd::AddSquareRun)(span);
}

void BlendSpanWalk(SpanBlend blend, const SpanWalk& span, SpanLanes& lanes) {
  if (blend == SpanBlend::Multiply)
    HWY_DYNAMIC_DISPATCH(raster_simd::MultiplyWalk)(span, lanes);
  else
    HWY_DYNAMIC_DISPATCH(raster_simd::AddSquareWalk)(span, lanes);
}

bool SpanKernelsUseVectors() {
  return HWY_DYNAMIC_DISPATCH(raster_simd::Vectors)();
}

const char* SpanKernelTarget() {
  return HWY_DYNAMIC_DISPATCH(raster_simd::TargetName)();
}
#endif
