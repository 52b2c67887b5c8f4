// The sprite system's start and stop, opening the screen, and the clipped opaque copy.
#include "renderer_fixture.h"

namespace {

using ScreenTest = RendererTest;

TEST_F(ScreenTest, OpenedScreenIsBlackAndCarriesTheDefaultCap) {
  EXPECT_EQ(ScreenWidth(), W);
  EXPECT_EQ(ScreenHeight(), H);
  ASSERT_NE(ScreenPixels(), nullptr);
  EXPECT_TRUE(std::all_of(Px(), Px() + W * H, [](uint32_t p) { return p == 0; }));
  EXPECT_TRUE(FrameCapSet()); // the open set 60 since none had been set
}

// Window 0 is refused before anything happens; a later failure leaves no screen open.
TEST_F(ScreenTest, RefusedOpens) {
  EXPECT_EQ(OpenScreenInWindow(0, 0, 0, W, H, 0, 0, 0), 0);
  EXPECT_EQ(ScreenWidth(), W);
  struct Row {
    intptr_t window;
    int width, height;
  };
  const Row rows[] = {
      {window_ + 100, W, H}, {window_, 0, H}, {window_, W, -1}, {window_, 100000, 10}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.width);
    EXPECT_EQ(OpenScreenInWindow(r.window, 0, 0, r.width, r.height, 0, 0, 0), 0);
    EXPECT_EQ(ScreenPixels(), nullptr);
    EXPECT_EQ(ScreenWidth(), 0);
    EXPECT_EQ(ScreenHeight(), 0);
    ASSERT_EQ(OpenScreenInWindow(window_, 0, 0, W, H, 0, 0, 0), 1);
  }
}

TEST_F(ScreenTest, ReopeningClearsToBlackAndIgnoresStretchAndMargins) {
  Fill(Rgb(1, 2, 3));
  ASSERT_EQ(OpenScreenInWindow(window_, 0, 0, 40, 30, 1, 5, 7), 1);
  EXPECT_EQ(ScreenWidth(), 40);
  EXPECT_EQ(ScreenHeight(), 30);
  EXPECT_TRUE(std::all_of(Px(), Px() + 40 * 30, [](uint32_t p) { return p == 0; }));
}

TEST_F(ScreenTest, StopReleasesScreenSpritesAndDevice) {
  MakeFlatSprite(3, 4, 4, Rgb(9, 9, 9));
  ASSERT_NE(CreateQuad(3, 3), 0);
  ASSERT_EQ(BeginQuads(), 1);
  StopSpriteSystem();
  EXPECT_EQ(ScreenPixels(), nullptr);
  EXPECT_EQ(ScreenWidth(), 0);
  EXPECT_EQ(GetSpriteWidth(3), 0);
  EXPECT_FALSE(InspectQuadDevice().made);
  EXPECT_FALSE(InspectQuadDevice().phaseOpen);
  DrawSprite(3, 0, 0); // no screen: nothing, no crash

  EXPECT_EQ(StartSpriteSystem(), 1);
  EXPECT_EQ(ScreenPixels(), nullptr); // starting opens no screen
  EXPECT_FALSE(FrameCapSet());
}

// A 256 x 256 sprite whose pixels name their own position, copied at (x, y): the copied
// rectangle starts `skip` pixels into the sprite where the position is negative.
TEST_F(ScreenTest, DrawSpriteClipsToTheBackBuffer) {
  std::vector<Colour> pixels(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      pixels[y * 256 + x] = Rgb(x, y, 1);
  // The key matches a pixel: DrawSprite copies it anyway.
  MakeSprite(0, 256, 256, std::move(pixels), Rgb(5, 5, 1), SpriteModePlain);

  struct Row {
    int x, y;
    int columns, rows; // copied
  };
  const Row rows[] = {
      {0, 0, 256, 256},      {512, 512, 88, 68},   {0, 580, 0, 0},        {600, 0, 0, 0},
      {-10, -20, 246, 236},  {-255, 0, 1, 256},    {-256, 0, 0, 0},       {0, -256, 0, 0},
      {599, 579, 1, 1},      {344, 324, 256, 256}, {400, -100, 200, 156}, {-2147483647, 0, 0, 0},
      {0, 2147483647, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "at " << r.x << ", " << r.y);
    Fill(0xABCDEF);
    DrawSprite(0, r.x, r.y);
    std::vector<uint32_t> want(W * H, 0xABCDEF);
    int copied = 0;
    for (int py = 0; py < H; ++py)
      for (int px = 0; px < W; ++px) {
        const int64_t sx = int64_t{px} - r.x;
        const int64_t sy = int64_t{py} - r.y;
        if (sx < 0 || sx >= 256 || sy < 0 || sy >= 256) continue;
        want[py * W + px] = Rgb(static_cast<int>(sx), static_cast<int>(sy), 1);
        ++copied;
      }
    EXPECT_EQ(FirstDifference(Px(), want, W), "");
    EXPECT_EQ(copied, r.columns * r.rows);
  }
}

TEST_F(ScreenTest, DrawSpriteOfNothingDoesNothing) {
  Fill(0x123456);
  DrawSprite(7, 0, 0);
  DrawSprite(-1, 0, 0);
  DrawSprite(MaxSpriteNumber + 1, 0, 0);
  EXPECT_TRUE(std::all_of(Px(), Px() + W * H, [](uint32_t p) { return p == 0x123456; }));
}

} // namespace
