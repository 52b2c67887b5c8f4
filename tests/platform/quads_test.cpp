// The quad table, sizing and rotation, and the device's phase and blend pair.
#include "renderer_fixture.h"

#include <cstring>

namespace {

class QuadsTest : public RendererTest {
protected:
  void SetUp() override {
    RendererTest::SetUp();
    MakeFlatSprite(1, 64, 64, Rgb(128, 128, 128));
    ASSERT_NE(CreateQuad(1, 1), 0);
  }
};

void ExpectCorners(int quad, const int (&xy)[8]) {
  const Quad* q = FindQuad(quad);
  ASSERT_NE(q, nullptr);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(q->vertices[i].x, static_cast<float>(xy[2 * i])) << "corner " << i;
    EXPECT_EQ(q->vertices[i].y, static_cast<float>(xy[2 * i + 1])) << "corner " << i;
  }
}

TEST_F(QuadsTest, CreateQuadFillsTheRecord) {
  MakeFlatSprite(5, 30, 20, Rgb(1, 2, 3));
  EXPECT_NE(CreateQuad(9, 5), 0);
  const Quad* q = FindQuad(9);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->texture, SpriteSlot(5)); // shared, not copied
  EXPECT_EQ(q->width, 30);
  EXPECT_EQ(q->height, 20);
  EXPECT_EQ(q->angle, 0);
  ExpectCorners(9, {0, 0, 30, 0, 0, 20, 30, 20});
  const float u[4] = {0, 1, 0, 1};
  const float v[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    const QuadVertex& c = q->vertices[i];
    EXPECT_EQ(c.z, 0.0f);
    EXPECT_EQ(c.rhw, 1.0f);
    EXPECT_EQ(c.diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(c.specular, 0u);
    EXPECT_EQ(c.u, u[i]);
    EXPECT_EQ(c.v, v[i]);
  }
}

TEST_F(QuadsTest, CreateQuadRefusalsEmptyTheNumber) {
  MakeFlatSprite(0, 8, 8, Rgb(1, 1, 1), NoKey);
  SpriteSlot(0)->mode = SpriteModePlain;
  struct Row {
    int quad, sprite;
  };
  const Row rows[] = {{1, 0}, {1, 77}, {1, -1}, {1, MaxSpriteNumber + 1}};
  for (const Row& r : rows) {
    ASSERT_NE(CreateQuad(1, 1), 0);
    EXPECT_EQ(CreateQuad(r.quad, r.sprite), 0) << r.sprite;
    EXPECT_EQ(FindQuad(r.quad), nullptr) << r.sprite;
  }
  EXPECT_EQ(CreateQuad(-1, 1), 0);
  EXPECT_EQ(CreateQuad(MaxQuadNumber + 1, 1), 0);
  EXPECT_NE(CreateQuad(MaxQuadNumber, 1), 0);
  // Replacing a quad leaves its sprite alone.
  EXPECT_EQ(GetSpriteWidth(1), 64);
}

TEST_F(QuadsTest, EmptyAndOutOfRangeNumbersDoNothing) {
  ASSERT_EQ(BeginQuads(), 1);
  SetBlendFactors(BlendOne, BlendZero);
  Fill(0x0A0B0C);
  for (const int n : {-1, 0, 2, int{MaxQuadNumber}, MaxQuadNumber + 1, 1 << 30}) {
    SetQuadSize(n, 10, 10);
    RotateQuad(n, 45, 1);
    DrawQuad(n, 0, 0);
    DrawQuad(n, 0, 0, 255);
    EXPECT_EQ(FindQuad(n), nullptr);
  }
  EXPECT_TRUE(std::all_of(Px(), Px() + W * H, [](uint32_t p) { return p == 0x0A0B0C; }));
  FreeAllQuads();
  EXPECT_EQ(FindQuad(1), nullptr);
  EXPECT_EQ(GetSpriteWidth(1), 64); // the texture belongs to the sprite
}

TEST_F(QuadsTest, SetQuadSizeKeepsTheAngleAndLow16Bits) {
  RotateQuad(1, 30, 1);
  SetQuadSize(1, 70000, -5);
  const Quad* q = FindQuad(1);
  EXPECT_EQ(q->width, static_cast<int16_t>(70000));
  EXPECT_EQ(q->height, -5);
  EXPECT_EQ(q->angle, 30);
  ExpectCorners(1, {0, 0, 70000, 0, 0, -5, 70000, -5});
}

// The 64 x 64 corner table, with the remainder of the angle taken with its sign.
TEST_F(QuadsTest, RotationTable) {
  struct Row {
    int angle;
    int xy[8]; // corners 0, 1, 2, 3
  };
  const Row rows[] = {
      {0, {0, 0, 63, 0, 0, 64, 64, 63}},    {45, {32, -13, 77, 31, -13, 32, 32, 77}},
      {90, {64, 0, 64, 63, 0, 0, 0, 64}},   {180, {64, 63, 0, 64, 63, 0, 0, 0}},
      {-90, {0, 63, 0, 0, 64, 63, 63, 0}},  {360, {0, 0, 63, 0, 0, 64, 64, 63}},
      {-450, {0, 63, 0, 0, 64, 63, 63, 0}}, {450, {64, 0, 64, 63, 0, 0, 0, 64}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.angle);
    RotateQuad(1, r.angle, 0);
    ExpectCorners(1, r.xy);
    EXPECT_EQ(FindQuad(1)->angle, 0);
    const Quad* q = FindQuad(1);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(q->vertices[i].u, (i & 1) ? 1.0f : 0.0f);
      EXPECT_EQ(q->vertices[i].v, (i & 2) ? 1.0f : 0.0f);
      EXPECT_EQ(q->vertices[i].diffuse, 0xFFFFFFFFu);
    }
  }
}

TEST_F(QuadsTest, RelativeAndAbsoluteRotation) {
  // The absolute form leaves the kept angle 0: 30 then +10 is 10, not 40.
  RotateQuad(1, 30, 0);
  RotateQuad(1, 10, 1);
  EXPECT_EQ(FindQuad(1)->angle, 10);
  RotateQuad(1, 10, 0);
  Quad turnedBy10 = *FindQuad(1);

  SetQuadSize(1, 64, 64);
  RotateQuad(1, 0, 0);
  RotateQuad(1, 370, 1); // placed as for 10, keeps 370
  EXPECT_EQ(FindQuad(1)->angle, 370);
  EXPECT_EQ(std::memcmp(FindQuad(1)->vertices, turnedBy10.vertices, sizeof turnedBy10.vertices), 0);

  RotateQuad(1, 20, 7); // any nonzero flag is relative
  EXPECT_EQ(FindQuad(1)->angle, 390);
  RotateQuad(1, 40000, 1);
  EXPECT_EQ(FindQuad(1)->angle, static_cast<int16_t>(40390));
}

TEST_F(QuadsTest, BlendPairBelongsToTheDevice) {
  SetBlendFactors(BlendZero, BlendSrcColor); // no device yet: ignored
  EXPECT_FALSE(InspectQuadDevice().made);
  EXPECT_EQ(InspectQuadDevice().blendSource, 0);

  ASSERT_EQ(BeginQuads(), 1);
  QuadDeviceState d = InspectQuadDevice();
  EXPECT_TRUE(d.made);
  EXPECT_TRUE(d.phaseOpen);
  EXPECT_EQ(d.blendSource, BlendSrcAlpha);
  EXPECT_EQ(d.blendDestination, BlendInvSrcAlpha);
  SetBlendFactors(42, -3); // passed through unchanged
  EXPECT_EQ(InspectQuadDevice().blendSource, 42);
  EXPECT_EQ(InspectQuadDevice().blendDestination, -3);
  EXPECT_EQ(BeginQuads(), 0); // already open: stays open, pair kept
  EXPECT_TRUE(InspectQuadDevice().phaseOpen);
  EXPECT_EQ(InspectQuadDevice().blendSource, 42);
  EndQuads();
  EXPECT_FALSE(InspectQuadDevice().phaseOpen);
  SetBlendFactors(BlendOne, BlendOne); // the device lives on between phases
  EXPECT_EQ(InspectQuadDevice().blendSource, BlendOne);
  ASSERT_EQ(BeginQuads(), 1);
  EXPECT_EQ(InspectQuadDevice().blendSource, BlendSrcAlpha);
  EXPECT_EQ(InspectQuadDevice().blendDestination, BlendInvSrcAlpha);
}

TEST_F(QuadsTest, DrawsOutsideAPhaseChangeNothing) {
  Fill(0x336699);
  DrawQuad(1, 10, 10); // before the device exists
  ASSERT_EQ(BeginQuads(), 1);
  SetBlendFactors(BlendOne, BlendZero);
  EndQuads();
  EndQuads(); // a second close does nothing
  DrawQuad(1, 10, 10);
  DrawQuad(1, 10, 10, 0);
  EXPECT_TRUE(std::all_of(Px(), Px() + W * H, [](uint32_t p) { return p == 0x336699; }));
}

TEST_F(QuadsTest, FailedBeginLeavesThePhaseClosedAndSetsNothing) {
  ASSERT_EQ(BeginQuads(), 1);
  SetBlendFactors(BlendOne, BlendZero);
  EndQuads();
  Fill(0x336699);
  SetBeginQuadsFailure(true);
  EXPECT_EQ(BeginQuads(), 0);
  QuadDeviceState d = InspectQuadDevice();
  EXPECT_FALSE(d.phaseOpen);
  EXPECT_EQ(d.blendSource, BlendOne); // not reset to 5 / 6
  DrawQuad(1, 0, 0);
  EndQuads();
  EXPECT_TRUE(std::all_of(Px(), Px() + W * H, [](uint32_t p) { return p == 0x336699; }));
  SetBeginQuadsFailure(false);
  EXPECT_EQ(BeginQuads(), 1);
}

TEST_F(QuadsTest, NoDeviceWithoutAScreen) {
  StopSpriteSystem();
  StartSpriteSystem();
  EXPECT_EQ(BeginQuads(), 0);
  EXPECT_FALSE(InspectQuadDevice().made);
  SetBlendFactors(BlendOne, BlendOne);
  EXPECT_EQ(InspectQuadDevice().blendSource, 0);
}

// The first failed BeginQuads still makes the device, so the pair can be set afterwards.
TEST_F(QuadsTest, DeviceIsMadeEvenWhenTheFirstBeginFails) {
  SetBeginQuadsFailure(true);
  EXPECT_EQ(BeginQuads(), 0);
  EXPECT_TRUE(InspectQuadDevice().made);
  SetBlendFactors(BlendOne, BlendOne);
  EXPECT_EQ(InspectQuadDevice().blendSource, BlendOne);
}

} // namespace
