// The frame loop on virtual time: where presses land, presses and close requests in one
// drain, the ground tiling, and when a new explosion is first drawn.
#include "../platform/renderer_fixture.h"
#include "shell_fixture.h"
#include "sprites/sprites.h"

#include <algorithm>

namespace {

constexpr int ExplosionNodes = 34;

using FrameTest = ShellTest;

// The scorch of the press handled first in a frame, by the count at the frame's start.
TEST_F(FrameTest, FirstPressOfAFrameLandsWhereTheCountSays) {
  struct Case {
    int32_t count;
    float x;
    float y;
  };
  const Case cases[] = {{0, 106, 376}, {1, 465, 90}, {2, 106, 312}, {3, 112, 408}, {4, 528, 220}};
  for (const Case& c : cases) {
    FreeParticleList();
    CreateParticleList();
    Shell.ExplosionCount = c.count;
    QueueHeadlessEvent(EventButton);
    RunFrame();
    EXPECT_EQ(Shell.ExplosionCount, c.count + 1);
    const auto nodes = Nodes();
    ASSERT_EQ(nodes.size(), static_cast<size_t>(ExplosionNodes));
    EXPECT_EQ(nodes[0]->particle.sprite, SpriteScorch);
    EXPECT_EQ(nodes[0]->particle.x, c.x) << "count " << c.count;
    EXPECT_EQ(nodes[0]->particle.y, c.y) << "count " << c.count;
  }
}

TEST_F(FrameTest, SecondPressInTheSameDrainContinuesTheSequence) {
  QueueHeadlessEvent(EventButton);
  QueueHeadlessEvent(EventButton);
  RunFrame();
  EXPECT_EQ(Shell.ExplosionCount, 2);
  const auto nodes = Nodes();
  ASSERT_EQ(nodes.size(), static_cast<size_t>(2 * ExplosionNodes));
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(nodes[i * ExplosionNodes]->particle.sprite, SpriteScorch);
  EXPECT_EQ(nodes[0]->particle.x, 106);
  EXPECT_EQ(nodes[0]->particle.y, 376);
  EXPECT_EQ(nodes[ExplosionNodes]->particle.x, 560);
  EXPECT_EQ(nodes[ExplosionNodes]->particle.y, 166);
}

TEST_F(FrameTest, PressesAppendAfterTheNodesAlreadyThere) {
  QueueHeadlessEvent(EventButton);
  RunFrame();
  const ParticleNode* firstScorch = ParticleList.first;
  QueueHeadlessEvent(EventButton);
  RunFrame();
  const auto nodes = Nodes();
  ASSERT_EQ(nodes.size(), static_cast<size_t>(2 * ExplosionNodes) - 0u);
  EXPECT_EQ(nodes[0], firstScorch);
  EXPECT_EQ(nodes[ExplosionNodes]->particle.sprite, SpriteScorch);
  EXPECT_EQ(nodes[ExplosionNodes]->particle.x, 465);
  EXPECT_EQ(nodes[ExplosionNodes]->particle.y, 90);
}

TEST_F(FrameTest, CloseAndPressInOneDrainStillSpawnThenEndTheLoop) {
  QueueHeadlessEvent(EventClose);
  QueueHeadlessEvent(EventButton);
  QueueHeadlessEvent(12345); // any other code is ignored
  RunFrameLoop();
  EXPECT_EQ(Shell.QuitRequested, 1);
  EXPECT_EQ(Shell.ExplosionCount, 1);
  EXPECT_EQ(CountParticleNodes(), ExplosionNodes);
  EXPECT_EQ(PendingHeadlessEvents(), 0);
}

TEST_F(FrameTest, LoopRunsUntilTheCloseIsDrained) {
  RunFrame();
  RunFrame();
  EXPECT_EQ(Shell.QuitRequested, 0);
  QueueHeadlessEvent(EventClose);
  RunFrameLoop(); // one more frame
  EXPECT_EQ(Shell.FramesThisSecond + Shell.FramesLastSecond, 3);
  EXPECT_EQ(timeGetTime(), StartMs + 3 * 16);
}

TEST_F(FrameTest, MissingGroundDrawsNoGroundAndReturns) {
  std::fill(ScreenPixels(), ScreenPixels() + 600 * 580, Rgb(1, 2, 3));
  RunFrame();
  EXPECT_TRUE(std::all_of(ScreenPixels(), ScreenPixels() + 600 * 580,
                          [](uint32_t p) { return p == Rgb(1, 2, 3); }));
}

// A white ground, the glow icon left out, and a black scorch: the press's scorch shows only
// in the frame after the one whose drain spawned it.
TEST_F(FrameTest, GroundCoversTheScreenAndNewExplosionsShowInTheNextFrame) {
  MakeFlatSprite(SpriteGround, 256, 256, Rgb(255, 255, 255));
  SpriteSlot(SpriteGround)->mode = SpriteModePlain;
  MakeFlatSprite(SpriteScorch, 64, 64, Rgb(0, 0, 0));
  ASSERT_NE(CreateQuad(SpriteScorch, SpriteScorch), 0);
  std::fill(ScreenPixels(), ScreenPixels() + 600 * 580, Rgb(1, 2, 3));

  auto scorchArea = [] {
    int dark = 0;
    for (int y = 376; y < 376 + 64; ++y)
      for (int x = 106; x < 106 + 64; ++x)
        dark += ScreenPixels()[y * 600 + x] == 0 ? 1 : 0;
    return dark;
  };
  QueueHeadlessEvent(EventButton);
  RunFrame();
  EXPECT_TRUE(std::all_of(ScreenPixels(), ScreenPixels() + 600 * 580,
                          [](uint32_t p) { return p == Rgb(255, 255, 255); }));
  EXPECT_EQ(CountParticleNodes(), ExplosionNodes);
  RunFrame();
  EXPECT_GT(scorchArea(), 1000);
}

} // namespace
