// The quad table and the device state: quads are made from texture sprites, sized, turned
// and drawn through the software device into the screen's back buffer.
#include "platform/quads.h"

#include "platform/raster.h"

#include <array>
#include <cmath>

namespace {

// One degree and a quarter turn in radians, as the corner placement has always used them;
// the small shortfalls against the exact values belong to the picture.
constexpr double Degree = 0.017452;
constexpr double QuarterTurn = 1.57068;

struct DeviceState {
  bool made;            // made by the first BeginQuads that found a screen
  bool phaseOpen;       // a quad phase is open
  int blendSource;      // factor codes, passed through unchanged
  int blendDestination; //
  bool failBegin;       // test hook: BeginQuads fails
  bool generalBlend;    // test hook: no fast blend paths
};

struct QuadTableState {
  std::array<Quad, MaxQuadNumber + 1> quads; // flat, indexed by quad number
  DeviceState device;
  uint32_t epoch; // changes whenever a quad is made or the table emptied
};
QuadTableState Quads{};

// The corners RotateQuad places depend only on the half sizes and the reduced angle, so
// they are computed once per angle and looked up afterwards: a frame turns a quad for every
// particle, twice. A few half-size pairs are kept, replaced in turn.
constexpr int CornerTableSizes = 4;
constexpr int AngleCount = 719; // reduced angles -359..359
struct CornerSet {
  float x[4]; // corners 0 to 3
  float y[4];
};
struct CornerTable {
  int hw; // the half sizes the table is for
  int hh;
  std::array<bool, AngleCount> known;
  std::array<CornerSet, AngleCount> corners;
};
struct CornerTableState {
  bool off;
  int next; // the table replaced next
  std::array<CornerTable, CornerTableSizes> tables;
};
CornerTableState Corners{};

CornerSet ComputeCorners(int hw, int hh, int64_t a) {
  CornerSet out{};
  auto t = static_cast<float>(Degree * static_cast<double>(a - 90));
  for (const int corner : {0, 1, 3, 2}) {
    const double c = std::cos(static_cast<double>(t));
    const double s = std::sin(static_cast<double>(t));
    const double x = hw * c + hh * s + hw;
    const double y = hw * s - hh * c + hh;
    out.x[corner] = static_cast<float>(static_cast<int>(x));
    out.y[corner] = static_cast<float>(static_cast<int>(y));
    t = static_cast<float>(t + QuarterTurn);
  }
  return out;
}

// a is already reduced to -359..359.
CornerSet LookUpCorners(int hw, int hh, int64_t a) {
  CornerTableState& c = Corners;
  if (c.off) return ComputeCorners(hw, hh, a);
  CornerTable* table = nullptr;
  for (CornerTable& t : c.tables)
    if (t.hw == hw && t.hh == hh) table = &t;
  if (table == nullptr) {
    table = &c.tables[static_cast<size_t>(c.next)];
    c.next = (c.next + 1) % CornerTableSizes;
    table->hw = hw;
    table->hh = hh;
    table->known.fill(false);
  }
  const auto i = static_cast<size_t>(a + 359);
  if (!table->known[i]) {
    table->corners[i] = ComputeCorners(hw, hh, a);
    table->known[i] = true;
  }
  return table->corners[i];
}

Quad* FindQuadSlot(int quad) {
  if (quad < 0 || quad > MaxQuadNumber) return nullptr;
  Quad& q = Quads.quads[quad];
  return q.texture != nullptr ? &q : nullptr;
}

void SetCorners(Quad& q, float w, float h) {
  q.vertices[0].x = 0;
  q.vertices[0].y = 0;
  q.vertices[1].x = w;
  q.vertices[1].y = 0;
  q.vertices[2].x = 0;
  q.vertices[2].y = h;
  q.vertices[3].x = w;
  q.vertices[3].y = h;
}

} // namespace

const Quad* FindQuad(int quad) {
  return FindQuadSlot(quad);
}

QuadDeviceState InspectQuadDevice() {
  const DeviceState& d = Quads.device;
  return {d.made, d.phaseOpen, d.blendSource, d.blendDestination};
}

void SetBeginQuadsFailure(bool fail) {
  Quads.device.failBegin = fail;
}

void UseGeneralBlendOnly(bool on) {
  Quads.device.generalBlend = on;
}

void ResetQuadDevice() {
  Quads.device = DeviceState{};
  ResetPrefixCache();
}

uint32_t QuadEpoch() {
  return Quads.epoch;
}

void UseCornerTable(bool on) {
  Corners.off = !on;
}

int StartQuadSystem() {
  for (Quad& q : Quads.quads)
    q = Quad{};
  ++Quads.epoch;
  Quads.device.phaseOpen = false;
  return 1;
}

// The quad refers to the sprite's own record, so it always shows the sprite's current pixels
// and key. Any quad already under the number is dropped first, also when the sprite fails.
intptr_t CreateQuad(int quad, int sprite) {
  if (quad < 0 || quad > MaxQuadNumber) return 0;
  Quad& q = Quads.quads[quad];
  q = Quad{};
  ++Quads.epoch;
  SpriteRecord* s = FindSprite(sprite);
  if (s == nullptr || s->mode != SpriteModeTexture) return 0;
  for (int i = 0; i < 4; ++i) {
    QuadVertex& v = q.vertices[i];
    v.z = 0;
    v.rhw = 1;
    v.diffuse = 0xFFFFFFFF;
    v.specular = 0;
    v.u = (i == 1 || i == 3) ? 1.0f : 0.0f;
    v.v = (i == 2 || i == 3) ? 1.0f : 0.0f;
  }
  SetCorners(q, static_cast<float>(s->width), static_cast<float>(s->height));
  q.width = static_cast<int16_t>(s->width);
  q.height = static_cast<int16_t>(s->height);
  q.angle = 0;
  q.texture = s;
  return reinterpret_cast<intptr_t>(&q);
}

// The device needs a back buffer to draw into: without an open screen none is made and the
// phase stays closed. A phase that is already open stays open, and the call returns 0.
int BeginQuads() {
  DeviceState& d = Quads.device;
  if (!d.made) {
    if (ScreenBuffer() == nullptr) return 0;
    d.made = true;
  }
  if (d.failBegin || d.phaseOpen) return 0;
  d.blendSource = BlendSrcAlpha;
  d.blendDestination = BlendInvSrcAlpha;
  d.phaseOpen = true;
  return 1;
}

void EndQuads() {
  FinishDraws();
  Quads.device.phaseOpen = false;
}

void SetQuadSize(int quad, int width, int height) {
  Quad* q = FindQuadSlot(quad);
  if (q == nullptr) return;
  q->width = static_cast<int16_t>(width);
  q->height = static_cast<int16_t>(height);
  SetCorners(*q, static_cast<float>(width), static_cast<float>(height));
}

// Places the corners on the vector (hw, -hh) turned by the angle and by successive quarter
// turns about the centre, going once round in the order 0, 1, 3, 2. The absolute form leaves
// the kept angle at 0, so a following relative turn starts from the unrotated quad.
void RotateQuad(int quad, int angle, int relative) {
  Quad* q = FindQuadSlot(quad);
  if (q == nullptr) return;
  const int hw = q->width / 2;
  const int hh = q->height / 2;
  int64_t a = angle;
  if (relative != 0) {
    a += q->angle;
    q->angle = static_cast<int16_t>(a);
  } else {
    q->angle = 0;
  }
  a %= 360;
  const CornerSet corners = LookUpCorners(hw, hh, a);
  for (int i = 0; i < 4; ++i) {
    q->vertices[i].x = corners.x[i];
    q->vertices[i].y = corners.y[i];
  }
}

void SetBlendFactors(int source, int destination) {
  DeviceState& d = Quads.device;
  if (!d.made) return;
  d.blendSource = source;
  d.blendDestination = destination;
}

// Works on a copy of the corners: the quad keeps its geometry for the next draw.
void DrawQuad(int quad, int x, int y, int opacity) {
  const Quad* q = FindQuadSlot(quad);
  const DeviceState& d = Quads.device;
  if (q == nullptr || !d.phaseOpen) return;
  DrawRecord r{};
  r.source = q->texture;
  r.kind = DrawKindQuad;
  r.generation = q->texture->generation;
  for (int i = 0; i < 4; ++i) {
    r.corners[2 * i] = q->vertices[i].x + static_cast<float>(x);
    r.corners[2 * i + 1] = q->vertices[i].y + static_cast<float>(y);
  }
  r.blendSource = d.blendSource;
  r.blendDestination = d.blendDestination;
  r.alpha = static_cast<uint32_t>(opacity) & 0xFF;
  r.generalBlend = d.generalBlend ? 1 : 0;
  if (!HoldBackDraw(r)) QueueDraw(r);
}

// The corners' texture coordinates are those every quad is made with: u is 1 on the right
// (corners 1 and 3), v is 1 at the bottom (corners 2 and 3).
void DrawQuadRecord(const DrawRecord& r, int top, int bottom) {
  QuadVertex corners[4];
  for (int i = 0; i < 4; ++i) {
    QuadVertex& v = corners[i];
    v.x = r.corners[2 * i];
    v.y = r.corners[2 * i + 1];
    v.z = 0;
    v.rhw = 1;
    v.diffuse = r.alpha << 24 | 0xFFFFFF;
    v.specular = 0;
    v.u = (i == 1 || i == 3) ? 1.0f : 0.0f;
    v.v = (i == 2 || i == 3) ? 1.0f : 0.0f;
  }
  const RasterTarget target{ScreenBuffer(), ScreenWidth(), ScreenHeight(), top, bottom};
  RasteriseQuad(target, *r.source, corners, r.blendSource, r.blendDestination, r.generalBlend != 0);
}

void DrawQuad(int quad, int x, int y) {
  DrawQuad(quad, x, y, 255);
}

void FreeAllQuads() {
  for (Quad& q : Quads.quads)
    q = Quad{};
  ++Quads.epoch;
}
