// DrawParticle through the real quads: size, rotation, rounding of the position, the blend
// pair, and what it leaves alone.
#include "renderer_fixture.h"

#include "particles/particles.h"

#include <cstring>

namespace {

constexpr Colour Grey = 0x808080; // white multiplied by it once

class DrawParticleTest : public RendererTest {
protected:
  void SetUp() override {
    RendererTest::SetUp();
    // Mid grey with a red top-left block, to see where the texture's top-left corner lands.
    std::vector<Colour> texels(64 * 64, Grey);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        texels[y * 64 + x] = Rgb(255, 0, 0);
    MakeSprite(1, 64, 64, texels);
    ASSERT_NE(CreateQuad(1, 1), 0);
    ASSERT_EQ(BeginQuads(), 1);
    Fill(0xFFFFFF);
  }

  static Particle Smoke(float x, float y, int angle) {
    Particle p{};
    p.sprite = 1;
    p.blendSource = BlendZero;
    p.blendDestination = BlendSrcColor;
    p.x = x;
    p.y = y;
    p.width = 64;
    p.height = 64;
    p.angle = angle;
    p.opacity = 60;
    return p;
  }

  // The smallest rectangle holding every pixel that is no longer white.
  struct Box {
    int left = RendererTest::W, top = RendererTest::H, right = -1, bottom = -1;
  };
  static Box Touched() {
    Box b;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (At(x, y) != 0xFFFFFF) {
          b.left = std::min(b.left, x);
          b.top = std::min(b.top, y);
          b.right = std::max(b.right, x);
          b.bottom = std::max(b.bottom, y);
        }
    return b;
  }
};

void ExpectCorners(const int (&xy)[8]) {
  const Quad* q = FindQuad(1);
  ASSERT_NE(q, nullptr);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(q->vertices[i].x, static_cast<float>(xy[2 * i])) << "corner " << i;
    EXPECT_EQ(q->vertices[i].y, static_cast<float>(xy[2 * i + 1])) << "corner " << i;
  }
}

// Positions round to the nearest integer, halves to even.
TEST_F(DrawParticleTest, UnrotatedSquareAtTheRoundedPosition) {
  struct Row {
    float x, y;
    int left, top; // of the drawn 64 x 64 square
  };
  const Row rows[] = {{100.5f, 200.5f, 100, 200},
                      {101.5f, 11.5f, 102, 12},
                      {10.49f, 20.51f, 10, 21},
                      {-2.5f, 300.5f, -2, 300}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.x << ", " << r.y);
    Fill(0xFFFFFF);
    Particle p = Smoke(r.x, r.y, 0);
    const Particle copy = p;
    EXPECT_EQ(DrawParticle(&p), 1);
    EXPECT_EQ(std::memcmp(&p, &copy, sizeof p), 0); // the record is left as it was
    ExpectCorners({0, 0, 64, 0, 0, 64, 64, 64});
    const Box b = Touched();
    EXPECT_EQ(b.left, std::max(r.left, 0));
    EXPECT_EQ(b.top, r.top);
    EXPECT_EQ(b.right, r.left + 63);
    EXPECT_EQ(b.bottom, r.top + 63);
    EXPECT_EQ(At(std::max(r.left, 0) + 20, r.top + 20), Grey);
    const QuadDeviceState d = InspectQuadDevice();
    EXPECT_EQ(d.blendSource, BlendZero);
    EXPECT_EQ(d.blendDestination, BlendSrcColor);
  }
}

// At 90 degrees the texture's top-left corner lies at the square's top-right.
TEST_F(DrawParticleTest, QuarterTurnPutsTheTopLeftAtTheTopRight) {
  Particle p = Smoke(100.5f, 200.5f, 90);
  DrawParticle(&p);
  ExpectCorners({64, 0, 64, 63, 0, 0, 0, 64});
  EXPECT_EQ(FindQuad(1)->angle, 90);
  EXPECT_EQ(At(160, 203), Rgb(255, 0, 0));
  EXPECT_EQ(At(103, 203), Grey);
  EXPECT_EQ(At(103, 260), Grey);
}

// Nothing of an earlier particle's rotation reaches the next one.
TEST_F(DrawParticleTest, RotationDoesNotCarryOver) {
  Particle turned = Smoke(300, 300, 200);
  DrawParticle(&turned);
  EXPECT_EQ(FindQuad(1)->angle, 200);
  Particle straight = Smoke(100, 100, 0);
  Fill(0xFFFFFF);
  DrawParticle(&straight);
  ExpectCorners({0, 0, 64, 0, 0, 64, 64, 64});
  EXPECT_EQ(FindQuad(1)->angle, 0);
  const Box b = Touched();
  EXPECT_EQ(b.left, 100);
  EXPECT_EQ(b.top, 100);
  EXPECT_EQ(b.right, 163);
  EXPECT_EQ(b.bottom, 163);
}

// Sprite 0 draws nothing and touches neither a quad nor the blend pair.
TEST_F(DrawParticleTest, SpriteZeroTouchesNothing) {
  MakeFlatSprite(0, 16, 16, Grey);
  ASSERT_NE(CreateQuad(0, 0), 0);
  RotateQuad(0, 30, 1);
  const Quad before = *FindQuad(0);
  Particle p = Smoke(10, 10, 45);
  p.sprite = 0;
  EXPECT_EQ(DrawParticle(&p), 1);
  const Quad& after = *FindQuad(0);
  EXPECT_EQ(std::memcmp(before.vertices, after.vertices, sizeof before.vertices), 0);
  EXPECT_EQ(after.angle, 30);
  EXPECT_EQ(after.width, 16);
  EXPECT_EQ(InspectQuadDevice().blendSource, BlendSrcAlpha);
  EXPECT_EQ(InspectQuadDevice().blendDestination, BlendInvSrcAlpha);
  EXPECT_EQ(Touched().right, -1);
}

// A sprite number that holds no quad draws nothing but still sets the blend pair.
TEST_F(DrawParticleTest, MissingQuadStillSetsTheBlendPair) {
  Particle p = Smoke(10, 10, 45);
  p.sprite = 6;
  p.blendSource = BlendSrcColor;
  p.blendDestination = BlendOne;
  EXPECT_EQ(DrawParticle(&p), 1);
  EXPECT_EQ(InspectQuadDevice().blendSource, BlendSrcColor);
  EXPECT_EQ(InspectQuadDevice().blendDestination, BlendOne);
  EXPECT_EQ(Touched().right, -1);
}

// The opacity reaches the draw as vertex alpha, which only an alpha-reading pair shows.
TEST_F(DrawParticleTest, OpacityBecomesTheVertexAlpha) {
  for (const int opacity : {0, 255, 256}) {
    Fill(0xFFFFFF);
    Particle p = Smoke(10, 10, 0);
    p.blendSource = BlendSrcAlpha;
    p.blendDestination = BlendInvSrcAlpha;
    p.opacity = opacity;
    DrawParticle(&p);
    EXPECT_EQ(At(30, 30), (opacity & 0xFF) == 255 ? Grey : 0xFFFFFFu) << opacity;
  }
}

} // namespace
