// The kept picture of a frame's front, driven by hand: frames of opaque tiles, a quad and a
// settled run of quads, checked against the same frames drawn on the plain path.
#include "renderer_fixture.h"

#include <functional>

namespace {

constexpr int Tile = 1;  // an opaque 300 x 300 tile, or smaller where a case wants gaps
constexpr int Stain = 2; // a 64 x 64 texture multiplied onto the picture
int FrameNumber = 0;     // of the frames of one case

class PrefixCacheTest : public RendererTest {
protected:
  void SetUp() override {
    RendererTest::SetUp();
    MakeFlatSprite(Stain, 64, 64, Rgb(200, 120, 60));
    ASSERT_NE(CreateQuad(Stain, Stain), 0);
  }
  void TearDown() override {
    UsePlainRenderer(false);
    RendererTest::TearDown();
  }

  // One frame: tiles every 300 pixels from the top-left, a quad, then a settled run of
  // `runLength` stains, then `extra` called before presenting.
  static void Frame(int runLength, const std::function<void()>& beforeRun,
                    const std::function<void()>& extra) {
    for (int y = 0; y < H; y += 300)
      for (int x = 0; x < W; x += 300)
        DrawSprite(Tile, x, y);
    BeginQuads();
    SetBlendFactors(BlendZero, BlendSrcColor);
    DrawQuad(Stain, 5, 5);
    if (beforeRun) beforeRun();
    const int supplied = BeginSettledDraws(77, runLength);
    for (int i = supplied; i < runLength; ++i)
      DrawQuad(Stain, 40 + 9 * i, 100 + 7 * i);
    EndSettledDraws();
    if (extra) extra();
    EndQuads();
    PresentFrame(0);
  }

  // The pictures of four frames, each run one longer than the one before.
  std::vector<std::vector<uint32_t>> Frames(bool plain, int tileSide,
                                            const std::function<void()>& beforeRun,
                                            const std::function<void()>& extra) {
    UsePlainRenderer(plain);
    Fill(Rgb(9, 9, 9));
    MakeFlatSprite(Tile, tileSide, tileSide, Rgb(90, 160, 220));
    std::vector<std::vector<uint32_t>> pictures;
    for (int f = 0; f < 4; ++f) {
      FrameNumber = f;
      Frame(3 + f, beforeRun, extra);
      pictures.push_back(Snapshot());
    }
    return pictures;
  }
};

TEST_F(PrefixCacheTest, FramesMatchThePlainPath) {
  struct Case {
    const char* name;
    int tileSide;                    // 300 covers the screen, 250 leaves gaps
    std::function<void()> beforeRun; // between the front and the run
    std::function<void()> extra;     // after the run
    uint64_t uses;                   // frames that take the kept picture
  };
  const Case cases[] = {
      {"tiles cover the screen", 300, nullptr, nullptr, 3},
      {"tiles leave gaps, so the last frame shows through", 250, nullptr,
       [] { DrawQuad(Stain, 500, 400); }, 0},
      {"the buffer is written before the run, once", 300,
       [] {
         if (FrameNumber == 0) ScreenPixels()[30] = 0xABCDEF;
       },
       nullptr, 2},
      {"a second run in the frame", 300, nullptr,
       [] {
         EXPECT_EQ(BeginSettledDraws(77, 2), 0);
         DrawQuad(Stain, 300, 300);
         DrawQuad(Stain, 310, 300);
         EndSettledDraws();
       },
       3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto plain = Frames(true, c.tileSide, c.beforeRun, c.extra);
    const uint64_t uses = KeptPictureUses();
    const auto fast = Frames(false, c.tileSide, c.beforeRun, c.extra);
    EXPECT_EQ(KeptPictureUses() - uses, c.uses);
    for (size_t f = 0; f < plain.size(); ++f)
      EXPECT_EQ(FirstDifference(fast[f].data(), plain[f], W), "") << "frame " << f;
  }
}

TEST_F(PrefixCacheTest, TheKeptPictureIsUsedWhileTheFrontRepeats) {
  MakeFlatSprite(Tile, 300, 300, Rgb(90, 160, 220));
  const uint64_t before = KeptPictureUses();
  for (int f = 0; f < 5; ++f)
    Frame(4, nullptr, nullptr);
  EXPECT_EQ(KeptPictureUses() - before, 4u);         // every frame after the first
  MakeFlatSprite(Tile, 300, 300, Rgb(91, 160, 220)); // a new texture: drawn again once
  Frame(4, nullptr, nullptr);
  Frame(4, nullptr, nullptr);
  EXPECT_EQ(KeptPictureUses() - before, 5u);
  EXPECT_EQ(At(599, 579), Rgb(91, 160, 220));
}

} // namespace

namespace {

// A storm of draws in one phase, with nobody looking at the buffer and the texture changed
// near the end: the picture is the one drawing each at once gives, on one thread or two, and the
// queue never holds more than its fixed size.
TEST_F(PrefixCacheTest, AStormOfDrawsIsDrawnInOrderWithABoundedQueue) {
  constexpr int Draws = 40'000;
  auto storm = [](bool plain) {
    UsePlainRenderer(plain);
    MakeFlatSprite(Tile, 300, 300, Rgb(90, 160, 220));
    for (int y = 0; y < H; y += 300)
      for (int x = 0; x < W; x += 300)
        DrawSprite(Tile, x, y);
    BeginQuads();
    int most = 0;
    for (int i = 0; i < Draws; ++i) {
      if (i == Draws - 20) BeginPixelAccess(Stain);
      if (i == Draws - 10) { // after draws made while the access was open
        for (int v = 0; v < 64; ++v)
          WritePixel(10, v, Rgb(255, 0, 0));
        EndPixelAccess();
      }
      SetBlendFactors(i % 3 == 0 ? BlendSrcColor : BlendZero,
                      i % 3 == 0 ? BlendOne : BlendSrcColor);
      RotateQuad(Stain, i % 360, 0);
      DrawQuad(Stain, (i * 37) % 620 - 20, (i * 53) % 600 - 20);
      most = std::max(most, QueuedDrawCount());
    }
    EndQuads();
    EXPECT_LE(most, 16'384);
    return Snapshot();
  };
  const std::vector<uint32_t> plain = storm(true);
  MakeFlatSprite(Stain, 64, 64, Rgb(200, 120, 60));
  const std::vector<uint32_t> queued = storm(false);
  EXPECT_EQ(FirstDifference(queued.data(), plain, W), "");
}

} // namespace
