// UpdateParticle: expiry by wrapping difference, fading with its sprite swaps, and motion.
#include "particles/particles.h"
#include "platform/platform.h"
#include "sprites/sprites.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class UpdateTest : public ::testing::Test {
protected:
  void SetUp() override {
    UseVirtualClock(10'000'000, 0);
    Wind = {1, -1};
  }
  void TearDown() override {
    UseRealClock();
    Wind = {0, 0};
  }

  static Particle Smoke(uint32_t bornAt, int lifetime) {
    Particle p{};
    p.sprite = SpriteSmoke;
    p.blendSource = BlendZero;
    p.blendDestination = BlendSrcColor;
    p.x = 97;
    p.y = 201;
    p.velocityX = 3;
    p.velocityY = -2;
    p.drag = 1.28f;
    p.windFactor = 0.2f;
    p.bornAt = static_cast<int32_t>(bornAt);
    p.lifetime = lifetime;
    p.width = 64;
    p.height = 64;
    p.opacity = 60;
    p.fadeStep = 2;
    return p;
  }
};

TEST_F(UpdateTest, SmokeMovesAsTheWorkedExample) {
  Particle p = Smoke(GetTickCount(), 1000);
  ASSERT_EQ(UpdateParticle(&p), 1);
  EXPECT_EQ(p.velocityX, 2.34375f);
  EXPECT_EQ(p.velocityY, -1.5625f);
  EXPECT_NEAR(p.x, 99.54375, 1e-5);
  EXPECT_NEAR(p.y, 199.2375, 1e-5);
  // The stored values are exactly the float results of the written order of operations.
  EXPECT_EQ(p.x, (97.0f + 2.34375f) + 0.2f * 1.0f);
  ASSERT_EQ(UpdateParticle(&p), 1);
  EXPECT_NEAR(p.velocityX, 1.831055, 1e-6);
  EXPECT_NEAR(p.velocityY, -1.220703, 1e-6);
  EXPECT_NEAR(p.x, 101.5748, 1e-4);
  EXPECT_NEAR(p.y, 197.8168, 1e-4);
  EXPECT_EQ(p.opacity, 60);
  EXPECT_EQ(p.sprite, SpriteSmoke);
}

TEST_F(UpdateTest, ExpiryNeedsElapsedGreaterThanLifetime) {
  struct Row {
    const char* name;
    uint32_t now;
    uint32_t bornAt;
    int keptResult;
    int opacityAfter;
  };
  // A glow-like particle (no fade) is deleted once expired; a smoke one starts fading.
  const Row rows[] = {
      {"equal is alive", 1100, 1000, 1, 60},
      {"one more expires", 1101, 1000, 1, 58},
      {"across the wrap, equal", 99, 0xFFFFFFFFu - 100 + 100, 1, 60},
      {"across the wrap, one more", 100, 0xFFFFFFFFu - 100 + 100, 1, 58},
      {"born in the future", 1000, 1050, 1, 60},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetVirtualMilliseconds(row.now);
    Particle smoke = Smoke(row.bornAt, 100);
    EXPECT_EQ(UpdateParticle(&smoke), row.keptResult);
    EXPECT_EQ(smoke.opacity, row.opacityAfter);

    Particle glow = Smoke(row.bornAt, 100);
    glow.fadeStep = 0;
    const bool expired = row.opacityAfter != 60;
    EXPECT_EQ(UpdateParticle(&glow), expired ? 0 : 1);
  }
}

TEST_F(UpdateTest, DeletedParticleIsLeftUnchanged) {
  struct Row {
    const char* name;
    int opacity;
    int fadeStep;
  };
  const Row rows[] = {{"opacity 0", 0, 2}, {"fade step 0", 60, 0}, {"both 0", 0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetVirtualMilliseconds(5000);
    Particle p = Smoke(1000, 100);
    p.opacity = row.opacity;
    p.fadeStep = row.fadeStep;
    const Particle before = p;
    EXPECT_EQ(UpdateParticle(&p), 0);
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
  }
}

TEST_F(UpdateTest, SmokeFadesThirtyTimesThenIsDeleted) {
  SetVirtualMilliseconds(5000);
  Particle p = Smoke(1000, 100);
  // Updates 1..26 draw sprite 6 at 58..8; 27..30 draw sprite 7 at 6..0; the 31st deletes.
  for (int update = 1; update <= 30; ++update) {
    ASSERT_EQ(UpdateParticle(&p), 1) << update;
    EXPECT_EQ(p.opacity, 60 - 2 * update) << update;
    EXPECT_EQ(p.sprite, update <= 26 ? SpriteSmokePale : SpriteSmokePaler) << update;
  }
  EXPECT_EQ(UpdateParticle(&p), 0);
  EXPECT_EQ(p.opacity, 0);
}

TEST_F(UpdateTest, SpriteSwaps) {
  struct Row {
    const char* name;
    int sprite;
    int opacity;
    int spriteAfter;
  };
  const Row rows[] = {
      {"smoke with opacity 60 turns pale", SpriteSmoke, 60, SpriteSmokePale},
      {"smoke below 10 jumps to paler", SpriteSmoke, 8, SpriteSmokePaler},
      {"pale at 10 stays pale", SpriteSmokePale, 10, SpriteSmokePale},
      {"pale at 8 turns paler", SpriteSmokePale, 8, SpriteSmokePaler},
      {"glow is never changed", SpriteGlow, 8, SpriteGlow},
      {"scorch is never changed", SpriteScorch, 8, SpriteScorch},
      {"paler stays", SpriteSmokePaler, 4, SpriteSmokePaler},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetVirtualMilliseconds(5000);
    Particle p = Smoke(1000, 100);
    p.sprite = row.sprite;
    p.opacity = row.opacity;
    EXPECT_EQ(UpdateParticle(&p), 1);
    EXPECT_EQ(p.sprite, row.spriteAfter);
    EXPECT_EQ(p.opacity, row.opacity - 2);
  }
}

TEST_F(UpdateTest, ScorchNeverChanges) {
  Particle p{};
  p.sprite = SpriteScorch;
  p.x = 30;
  p.y = 30;
  p.angle = 196;
  p.width = 64;
  p.height = 64;
  const Particle before = p;
  for (uint32_t now : {0u, 1'000'000u, 0xFFFFFFFFu}) {
    SetVirtualMilliseconds(now);
    EXPECT_EQ(UpdateParticle(&p), 1);
  }
  EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
}

TEST_F(UpdateTest, MotionTerms) {
  struct Row {
    const char* name;
    float drag;
    float windFactor;
    float accelerationX;
    float velocityXAfter;
    float xAfter;
    float yAfter;
  };
  const Row rows[] = {
      {"no drag: velocity only from acceleration", 0.0f, 0.0f, 50.0f, 3.5f, 100.5f, 199.0f},
      {"no wind", 2.0f, 0.0f, 0.0f, 1.5f, 98.5f, 200.0f},
      {"wind only adds its factor", 0.0f, 0.5f, 0.0f, 3.0f, 100.5f, 198.5f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Particle p = Smoke(GetTickCount(), 1000);
    p.drag = row.drag;
    p.windFactor = row.windFactor;
    p.accelerationX = row.accelerationX;
    EXPECT_EQ(UpdateParticle(&p), 1);
    EXPECT_EQ(p.velocityX, row.velocityXAfter);
    EXPECT_EQ(p.x, row.xAfter);
    EXPECT_EQ(p.y, row.yAfter);
  }
}

} // namespace
