// Drawing quads: the blend equation, the colour key, nearest-texel sampling, coverage of
// every pixel exactly once, and clipping at the edges of the back buffer.
#include "renderer_fixture.h"

#include <cstring>
#include <random>

namespace {

class RasterTest : public RendererTest {
protected:
  void SetUp() override {
    RendererTest::SetUp();
    ASSERT_EQ(BeginQuads(), 1);
  }

  // Draws one texel of colour `source` over one back-buffer pixel of colour `destination`.
  static Colour DrawOver(int src, int dst, Colour source, Colour destination, int opacity) {
    MakeFlatSprite(10, 1, 1, source);
    EXPECT_NE(CreateQuad(10, 10), 0);
    At(20, 30) = destination;
    SetBlendFactors(src, dst);
    DrawQuad(10, 20, 30, opacity);
    return At(20, 30);
  }
};

TEST_F(RasterTest, BlendRows) {
  const Colour s = Rgb(64, 128, 192);
  const Colour d = Rgb(128, 64, 32);
  struct Row {
    int src, dst;
    int opacity;
    Colour expected;
  };
  const Row rows[] = {
      {BlendZero, BlendSrcColor, 255, Rgb(32, 32, 24)},   // the smoke and scorch pair
      {BlendSrcColor, BlendOne, 255, Rgb(144, 128, 177)}, // the glow pair
      {BlendOne, BlendZero, 255, s},
      {BlendZero, BlendOne, 255, d},
      {BlendOne, BlendOne, 255, Rgb(192, 192, 224)},
      {BlendInvSrcColor, BlendZero, 255, Rgb(48, 64, 47)},
      {BlendZero, BlendInvSrcColor, 255, Rgb(96, 32, 8)},
      {BlendSrcAlpha, BlendInvSrcAlpha, 128, Rgb(96, 96, 112)},
      {BlendSrcAlpha, BlendInvSrcAlpha, 255, s},
      {BlendSrcAlpha, BlendInvSrcAlpha, 0, d},
      {BlendSrcAlpha, BlendInvSrcAlpha, 256, d},                // alpha is the low 8 bits: 0
      {BlendSrcAlpha, BlendInvSrcAlpha, -1, s},                 // 255
      {BlendSrcAlpha, BlendInvSrcAlpha, 384, Rgb(96, 96, 112)}, // 128
      {BlendInvSrcAlpha, BlendSrcAlpha, 64, Rgb(80, 112, 152)},
      {BlendDestAlpha, BlendZero, 0, s}, // the back buffer's alpha reads as 1
      {BlendZero, BlendDestAlpha, 0, d},
      {BlendInvDestAlpha, BlendOne, 0, d},
      {BlendOne, BlendInvDestAlpha, 0, s},
      {BlendDestColor, BlendZero, 255, Rgb(32, 32, 24)},
      {BlendZero, BlendDestColor, 255, Rgb(64, 16, 4)},
      {BlendInvDestColor, BlendZero, 255, Rgb(32, 96, 168)},
      {BlendOne, BlendInvDestColor, 255, Rgb(128, 176, 220)},
      {BlendSrcAlphaSat, BlendOne, 255, d}, // min(As, 1 - Ad) = 0
      {BlendSrcAlphaSat, BlendZero, 255, 0},
      {BlendBothSrcAlpha, BlendOne, 64, Rgb(112, 80, 72)}, // destination code ignored
      {BlendBothInvSrcAlpha, BlendZero, 64, Rgb(80, 112, 152)},
      {BlendOne, BlendBothSrcAlpha, 64, Rgb(160, 176, 216)},   // destination half: 1 - As
      {BlendOne, BlendBothInvSrcAlpha, 64, Rgb(96, 144, 200)}, // destination half: As
      {0, BlendOne, 255, d},                                   // unknown codes count as 0
      {BlendOne, 14, 255, s},
  };
  for (const bool general : {false, true}) {
    UseGeneralBlendOnly(general);
    for (const Row& r : rows) {
      SCOPED_TRACE(testing::Message() << r.src << " / " << r.dst << " at " << r.opacity
                                      << (general ? " (general)" : ""));
      EXPECT_EQ(DrawOver(r.src, r.dst, s, d, r.opacity), r.expected);
    }
  }
  // Sums are limited to 1 per channel.
  EXPECT_EQ(DrawOver(BlendOne, BlendOne, Rgb(200, 100, 250), Rgb(100, 200, 10), 255),
            Rgb(255, 255, 255));
  EXPECT_EQ(DrawOver(BlendSrcColor, BlendOne, Rgb(255, 255, 255), Rgb(1, 2, 3), 255),
            Rgb(255, 255, 255));
}

TEST_F(RasterTest, ColourKeyRows) {
  struct Row {
    Colour key, texel;
    bool drawn;
  };
  const Row rows[] = {
      {0x000000, 0x000000, false}, {0x000000, 0x000001, true},  {0xFFFFFF, 0xFFFFFF, false},
      {0xFFFFFF, 0xFFFFFE, true},  {0x123456, 0x123456, false}, {0x123456, 0x563412, true},
      {NoKey, 0x000000, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << r.key << " " << r.texel);
    MakeFlatSprite(10, 1, 1, r.texel, r.key);
    ASSERT_NE(CreateQuad(10, 10), 0);
    At(5, 5) = 0xABCDEF;
    SetBlendFactors(BlendOne, BlendZero);
    DrawQuad(10, 5, 5);
    EXPECT_EQ(At(5, 5), r.drawn ? r.texel : 0xABCDEF);
  }
}

// The quad shows the sprite's current pixels and key, not those it was made with.
TEST_F(RasterTest, QuadFollowsItsSprite) {
  MakeFlatSprite(10, 1, 1, Rgb(1, 2, 3), Rgb(1, 2, 3));
  ASSERT_NE(CreateQuad(10, 10), 0);
  SetBlendFactors(BlendOne, BlendZero);
  DrawQuad(10, 0, 0);
  EXPECT_EQ(At(0, 0), 0u);
  SetSpriteColourKey(10, 0, 0, 0);
  DrawQuad(10, 0, 0);
  EXPECT_EQ(At(0, 0), Rgb(1, 2, 3));
  BeginPixelAccess(10);
  WritePixel(0, 0, Rgb(7, 8, 9));
  EndPixelAccess();
  DrawQuad(10, 0, 0);
  EXPECT_EQ(At(0, 0), Rgb(7, 8, 9));
  // A sprite emptied under its quad draws nothing.
  *SpriteSlot(10) = SpriteRecord{};
  Fill(0x445566);
  DrawQuad(10, 0, 0);
  EXPECT_EQ(At(0, 0), 0x445566u);
}

// A white-keyed puff over a patterned ground: keyed texels leave the ground as it was under
// both pairs, while the grey middle is blended.
TEST_F(RasterTest, WhiteKeyedPuffLeavesTheGroundAroundIt) {
  std::vector<Colour> puff(16 * 16, Rgb(255, 255, 255));
  for (int y = 4; y < 12; ++y)
    for (int x = 4; x < 12; ++x)
      puff[y * 16 + x] = Rgb(128, 128, 128);
  MakeSprite(11, 16, 16, puff, Rgb(255, 255, 255));
  ASSERT_NE(CreateQuad(11, 11), 0);
  for (const int dst : {int{BlendSrcColor}, int{BlendOne}}) {
    SCOPED_TRACE(dst);
    for (int i = 0; i < W * H; ++i)
      Px()[i] = Rgb(i % 97, i % 101, i % 89);
    const std::vector<uint32_t> ground = Snapshot();
    SetBlendFactors(dst == BlendSrcColor ? BlendZero : BlendSrcColor, dst);
    DrawQuad(11, 40, 50);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const bool grey = x >= 44 && x < 52 && y >= 54 && y < 62;
        if (grey)
          ASSERT_NE(At(x, y), ground[y * W + x]) << x << ", " << y;
        else
          ASSERT_EQ(At(x, y), ground[y * W + x]) << x << ", " << y;
      }
  }
}

TEST_F(RasterTest, WhiteMultipliedAndBlackAddedChangeNothing) {
  MakeFlatSprite(12, 1, 1, Rgb(255, 255, 255));
  MakeFlatSprite(13, 1, 1, Rgb(0, 0, 0));
  ASSERT_NE(CreateQuad(12, 12), 0);
  ASSERT_NE(CreateQuad(13, 13), 0);
  SetQuadSize(12, W, H);
  SetQuadSize(13, W, H);
  for (int i = 0; i < W * H; ++i)
    Px()[i] = Rgb(i & 255, (i >> 8) & 255, (i * 7) & 255);
  const std::vector<uint32_t> before = Snapshot();
  for (const bool general : {false, true}) {
    UseGeneralBlendOnly(general);
    SetBlendFactors(BlendZero, BlendSrcColor);
    DrawQuad(12, 0, 0);
    EXPECT_EQ(FirstDifference(Px(), before, W), "") << general;
    SetBlendFactors(BlendSrcColor, BlendOne);
    DrawQuad(13, 0, 0);
    EXPECT_EQ(FirstDifference(Px(), before, W), "") << general;
  }
}

// Every (source, destination) channel pair, through the fast and the general path.
TEST_F(RasterTest, FastPairsMatchTheGeneralPath) {
  std::vector<Colour> texels(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      texels[y * 256 + x] = Rgb(x, y, 255 - x);
  MakeSprite(14, 256, 256, texels);
  ASSERT_NE(CreateQuad(14, 14), 0);
  for (const int pair : {0, 1}) {
    SCOPED_TRACE(pair);
    std::vector<uint32_t> results[2];
    for (const bool general : {false, true}) {
      UseGeneralBlendOnly(general);
      for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
          At(x + 10, y + 20) = Rgb(y, x, (x + y) & 255);
      if (pair == 0)
        SetBlendFactors(BlendZero, BlendSrcColor);
      else
        SetBlendFactors(BlendSrcColor, BlendOne);
      DrawQuad(14, 10, 20);
      results[general] = Snapshot();
    }
    EXPECT_EQ(FirstDifference(results[0].data(), results[1], W), "");
  }
}

TEST_F(RasterTest, OpacityDoesNotShowUnderTheDemoPairs) {
  MakeFlatSprite(10, 8, 8, Rgb(90, 150, 210));
  ASSERT_NE(CreateQuad(10, 10), 0);
  for (const int dst : {int{BlendSrcColor}, int{BlendOne}}) {
    SetBlendFactors(dst == BlendSrcColor ? BlendZero : BlendSrcColor, dst);
    std::vector<uint32_t> first;
    for (const int opacity : {255, 0, 60, 256, -1}) {
      Fill(Rgb(100, 100, 100));
      DrawQuad(10, 3, 3, opacity);
      if (first.empty())
        first = Snapshot();
      else
        EXPECT_EQ(FirstDifference(Px(), first, W), "") << dst << " at " << opacity;
    }
  }
}

// Nearest texels: 1:1 copies exactly, enlarging repeats texels, shrinking skips them.
TEST_F(RasterTest, NearestTexelSampling) {
  std::vector<Colour> t4(16), t8(64);
  for (int i = 0; i < 16; ++i)
    t4[i] = Rgb(i + 1, 100, 0);
  for (int i = 0; i < 64; ++i)
    t8[i] = Rgb(i + 1, 0, 200);
  MakeSprite(15, 4, 4, t4);
  MakeSprite(16, 8, 8, t8);
  MakeSprite(17, 2, 1, {Rgb(1, 1, 1), Rgb(2, 2, 2)});
  struct Row {
    int quad, width, height;
    std::vector<Colour> expected; // row by row, width x height
  };
  std::vector<Colour> doubled, halved;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      doubled.push_back(t4[(y / 2) * 4 + x / 2]);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      halved.push_back(t8[(2 * y + 1) * 8 + 2 * x + 1]);
  const Row rows[] = {
      {15, 4, 4, t4},
      {15, 8, 8, doubled},
      {16, 4, 4, halved},
      // Centres at 0.5, 1.5 and 2.5 of 3 map to 0.33, 1.0 and 1.67 texels.
      {17, 3, 1, {Rgb(1, 1, 1), Rgb(2, 2, 2), Rgb(2, 2, 2)}},
  };
  SetBlendFactors(BlendOne, BlendZero);
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.quad << " at " << r.width << " x " << r.height);
    ASSERT_NE(CreateQuad(r.quad, r.quad), 0);
    SetQuadSize(r.quad, r.width, r.height);
    Fill(0x010203);
    DrawQuad(r.quad, 10, 20);
    std::vector<uint32_t> want(W * H, 0x010203);
    for (int y = 0; y < r.height; ++y)
      for (int x = 0; x < r.width; ++x)
        want[(20 + y) * W + 10 + x] = r.expected[y * r.width + x];
    EXPECT_EQ(FirstDifference(Px(), want, W), "");
  }
}

// ---- Coverage: every pixel whose centre lies inside the quad is drawn exactly once ----

// Under the multiplying pair a mid-grey texel turns white into 128 once and into 64 twice.
constexpr Colour Once = 0x808080;

// Checks the picture against the quad's corners (offset by x, y): centres strictly inside
// must be darkened once, centres strictly outside untouched, centres on the outline at
// most once. Corners are taken in the order 0, 1, 3, 2 round the quad.
void ExpectCoveredOnce(const Quad& q, int x, int y) {
  const int order[4] = {0, 1, 3, 2};
  int64_t cx[4], cy[4];
  for (int i = 0; i < 4; ++i) {
    cx[i] = 2 * (static_cast<int64_t>(q.vertices[order[i]].x) + x);
    cy[i] = 2 * (static_cast<int64_t>(q.vertices[order[i]].y) + y);
  }
  int64_t sign = 0;
  for (int i = 0; i < 4; ++i) { // the outline must be convex for this check
    const int j = (i + 1) % 4, k = (i + 2) % 4;
    const int64_t turn = (cx[j] - cx[i]) * (cy[k] - cy[j]) - (cy[j] - cy[i]) * (cx[k] - cx[j]);
    ASSERT_GE(turn * (sign == 0 ? turn : sign), 0) << "outline not convex";
    if (turn != 0) sign = turn;
  }
  int64_t drawn = 0;
  for (int py = 0; py < RendererTest::H; ++py)
    for (int px = 0; px < RendererTest::W; ++px) {
      const int64_t qx = 2 * px + 1, qy = 2 * py + 1;
      bool inside = true, outside = false;
      for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        const int64_t e =
            ((cx[j] - cx[i]) * (qy - cy[i]) - (cy[j] - cy[i]) * (qx - cx[i])) * (sign > 0 ? 1 : -1);
        if (e <= 0) inside = false;
        if (e < 0) outside = true;
      }
      const uint32_t p = ScreenPixels()[py * RendererTest::W + px];
      ASSERT_TRUE(p == 0xFFFFFF || p == Once) << px << ", " << py << ": " << std::hex << p;
      if (inside) {
        ASSERT_EQ(p, Once) << "missed " << px << ", " << py;
      }
      if (outside) {
        ASSERT_EQ(p, 0xFFFFFFu) << "stray " << px << ", " << py;
      }
      drawn += p == Once;
    }
  EXPECT_GT(drawn, 0);
}

TEST_F(RasterTest, UnrotatedQuadDarkensEveryPixelOnce) {
  MakeFlatSprite(1, 64, 64, Once);
  ASSERT_NE(CreateQuad(1, 1), 0);
  SetBlendFactors(BlendZero, BlendSrcColor);
  Fill(0xFFFFFF);
  DrawQuad(1, 100, 200);
  std::vector<uint32_t> want(W * H, 0xFFFFFF);
  for (int y = 200; y < 264; ++y)
    for (int x = 100; x < 164; ++x)
      want[y * W + x] = Once;
  EXPECT_EQ(FirstDifference(Px(), want, W), "");
}

TEST_F(RasterTest, RotatedQuadsDarkenEveryPixelOnce) {
  MakeFlatSprite(1, 64, 64, Once);
  ASSERT_NE(CreateQuad(1, 1), 0);
  SetBlendFactors(BlendZero, BlendSrcColor);
  struct Row {
    int angle;
    int x, y;
  };
  const Row rows[] = {{0, 100, 100},   {10, 100, 100},  {30, 200, 50},   {45, 300, 300},
                      {60, 100, 400},  {90, 10, 10},    {135, 400, 100}, {180, 250, 250},
                      {200, 50, 300},  {270, 500, 400}, {300, 330, 120}, {-45, 150, 150},
                      {359, 450, 450}, {45, -30, -30},  {120, 560, 540}, {77, 580, -20},
                      {20, -40, 530}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.angle << " at " << r.x << ", " << r.y);
    SetQuadSize(1, 64, 64);
    RotateQuad(1, r.angle, 0);
    Fill(0xFFFFFF);
    DrawQuad(1, r.x, r.y);
    ExpectCoveredOnce(*FindQuad(1), r.x, r.y);
  }
}

// Quads placed edge to edge share their edges without gaps or overlaps, and quads of odd
// shapes (mirrored, thin, larger than the screen) follow the same rule.
TEST_F(RasterTest, QuadsTileWithoutSeams) {
  MakeFlatSprite(1, 32, 32, Once);
  ASSERT_NE(CreateQuad(1, 1), 0);
  SetBlendFactors(BlendZero, BlendSrcColor);
  Fill(0xFFFFFF);
  for (const int y : {10, 42})
    for (const int x : {10, 42})
      DrawQuad(1, x, y);
  std::vector<uint32_t> want(W * H, 0xFFFFFF);
  for (int y = 10; y < 74; ++y)
    for (int x = 10; x < 74; ++x)
      want[y * W + x] = Once;
  EXPECT_EQ(FirstDifference(Px(), want, W), "");

  struct Row {
    int width, height, x, y;
  };
  const Row rows[] = {{-64, -64, 100, 100},
                      {1, 300, 5, 5},
                      {300, 1, 5, 5},
                      {0, 40, 5, 5},
                      {2000, 2000, -700, -700}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.width << " x " << r.height);
    SetQuadSize(1, r.width, r.height);
    Fill(0xFFFFFF);
    DrawQuad(1, r.x, r.y);
    std::vector<uint32_t> shape(W * H, 0xFFFFFF);
    const int x0 = std::max(0, std::min(r.x, r.x + r.width));
    const int x1 = std::min(W, std::max(r.x, r.x + r.width));
    const int y0 = std::max(0, std::min(r.y, r.y + r.height));
    const int y1 = std::min(H, std::max(r.y, r.y + r.height));
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        shape[y * W + x] = Once;
    EXPECT_EQ(FirstDifference(Px(), shape, W), "");
  }
}

// A quad hanging over each edge and corner shows exactly its on-screen part; one wholly off
// the screen, or with a corner beyond the rasteriser's reach, draws nothing.
TEST_F(RasterTest, QuadsClipAtTheBackBufferEdges) {
  std::vector<Colour> texels(64 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      texels[y * 64 + x] = Rgb(x * 4, y * 4, 9);
  MakeSprite(1, 64, 64, texels);
  ASSERT_NE(CreateQuad(1, 1), 0);
  SetBlendFactors(BlendOne, BlendZero);
  const int positions[][2] = {{-32, -32},         {268, -32},  {568, -32}, {-32, 258}, {568, 258},
                              {-32, 548},         {268, 548},  {568, 548}, {-63, 0},   {599, 579},
                              {-64, 0},           {600, 0},    {0, 580},   {0, -64},   {700, 700},
                              {-100000, -100000}, {2000000, 5}};
  for (const auto& pos : positions) {
    const int x = pos[0], y = pos[1];
    SCOPED_TRACE(testing::Message() << x << ", " << y);
    Fill(0x010203);
    DrawQuad(1, x, y);
    std::vector<uint32_t> want(W * H, 0x010203);
    for (int py = std::max(0, y); py < std::min(H, y + 64); ++py)
      for (int px = std::max(0, x); px < std::min(W, x + 64); ++px)
        want[py * W + px] = texels[(py - y) * 64 + (px - x)];
    EXPECT_EQ(FirstDifference(Px(), want, W), "");
  }
  SetQuadSize(1, 3000000, 64); // a corner more than 2^20 pixels out: not drawn
  Fill(0x010203);
  DrawQuad(1, 0, 0);
  EXPECT_TRUE(std::all_of(Px(), Px() + W * H, [](uint32_t p) { return p == 0x010203; }));
}

TEST_F(RasterTest, DrawingTwiceShowsTwiceAndLeavesTheQuad) {
  MakeFlatSprite(1, 8, 8, Once);
  ASSERT_NE(CreateQuad(1, 1), 0);
  RotateQuad(1, 30, 1);
  const Quad before = *FindQuad(1);
  SetBlendFactors(BlendZero, BlendSrcColor);
  Fill(0xFFFFFF);
  DrawQuad(1, 10, 10, 77);
  DrawQuad(1, 100, 10);
  const Quad& after = *FindQuad(1);
  EXPECT_EQ(std::memcmp(before.vertices, after.vertices, sizeof before.vertices), 0);
  EXPECT_EQ(after.angle, 30);
  EXPECT_EQ(At(14, 14), Once);
  EXPECT_EQ(At(104, 14), Once);
}

} // namespace

// Random quads of every shape, size, turn and position, with textures of odd sizes: under
// the sanitizers this shows that no texel is read and no pixel written outside its buffer.
TEST_F(RasterTest, RandomQuadsStayInsideTheirBuffers) {
  std::mt19937 random(12345);
  auto between = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (int sprite = 20; sprite < 28; ++sprite) {
    const int w = between(1, 70), h = between(1, 70);
    std::vector<Colour> texels(static_cast<size_t>(w) * h);
    for (Colour& t : texels)
      t = static_cast<Colour>(between(0, 0xFFFFFF));
    MakeSprite(sprite, w, h, texels, static_cast<Colour>(between(0, 1) ? texels[0] : NoKey));
    ASSERT_NE(CreateQuad(sprite, sprite), 0);
  }
  for (int i = 0; i < 3000; ++i) {
    const int q = between(20, 27);
    SetQuadSize(q, between(-300, 300), between(-300, 300));
    if (between(0, 1) != 0) RotateQuad(q, between(-720, 720), between(0, 1));
    SetBlendFactors(between(0, 14), between(0, 14));
    DrawQuad(q, between(-400, 1000), between(-400, 1000), between(-300, 300));
  }
  SUCCEED();
}
