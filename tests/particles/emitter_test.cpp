// SpawnExplosion: the node pattern, the fixed values and the order of the random draws.
#include "particles/particles.h"
#include "platform/platform.h"
#include "random/random.h"
#include "sprites/sprites.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class EmitterTest : public ::testing::Test {
protected:
  void SetUp() override {
    UseVirtualClock(10'000'000, 0);
    ResetRandomGenerator();
    CreateParticleList();
  }
  void TearDown() override {
    FreeParticleList();
    ResetRandomGenerator();
    UseRealClock();
  }

  static std::vector<const Particle*> Particles() {
    std::vector<const Particle*> out;
    for (const ParticleNode* n = ParticleList.first; n != nullptr; n = n->next)
      out.push_back(&n->particle);
    return out;
  }
};

TEST_F(EmitterTest, FirstNodesMatchTheWorkedExample) {
  SeedRandom(0);
  SpawnExplosion(100, 200);
  struct Row {
    int sprite;
    float x, y, velocityX, velocityY;
    int lifetime;
    int angle;
  };
  const Row rows[] = {
      {SpriteScorch, 100, 200, 0, 0, 0, 196},    {SpriteGlow, 100, 200, 2, 1, 119, 0},
      {SpriteSmoke, 97, 201, 3, -2, 1159, 168},  {SpriteSmoke, 105, 199, 2, 10, 2751, 37},
      {SpriteGlow, 100, 200, 3, 3, 101, 0},      {SpriteSmoke, 95, 198, 5, -2, 1923, 105},
      {SpriteSmoke, 99, 199, -5, -1, 2419, 215},
  };
  const std::vector<const Particle*> ps = Particles();
  ASSERT_EQ(ps.size(), 34u);
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const Row& r = rows[i];
    EXPECT_EQ(ps[i]->sprite, r.sprite);
    EXPECT_EQ(ps[i]->x, r.x);
    EXPECT_EQ(ps[i]->y, r.y);
    EXPECT_EQ(ps[i]->velocityX, r.velocityX);
    EXPECT_EQ(ps[i]->velocityY, r.velocityY);
    EXPECT_EQ(ps[i]->lifetime, r.lifetime);
    EXPECT_EQ(ps[i]->angle, r.angle);
  }
}

TEST_F(EmitterTest, NodePatternAndFixedValues) {
  SetVirtualMilliseconds(123456);
  SeedRandom(3);
  SpawnExplosion(-40, 700); // outside the screen: neither clamped nor refused
  const std::vector<const Particle*> ps = Particles();
  ASSERT_EQ(ps.size(), 34u);
  for (size_t i = 0; i < ps.size(); ++i) {
    SCOPED_TRACE(i);
    const Particle& p = *ps[i];
    EXPECT_EQ(p.width, 64);
    EXPECT_EQ(p.height, 64);
    EXPECT_EQ(p.accelerationX, 0.0f);
    EXPECT_EQ(p.accelerationY, 0.0f);
    if (i == 0) {
      EXPECT_EQ(p.sprite, SpriteScorch);
      EXPECT_EQ(p.blendSource, BlendZero);
      EXPECT_EQ(p.blendDestination, BlendSrcColor);
      EXPECT_EQ(p.bornAt, 0);
      EXPECT_EQ(p.lifetime, 0);
      EXPECT_EQ(p.drag, 0.0f);
      EXPECT_EQ(p.opacity, 0);
      EXPECT_EQ(p.x, -40.0f);
      EXPECT_EQ(p.y, 700.0f);
    } else if (i % 3 == 1) {
      EXPECT_EQ(p.sprite, SpriteGlow);
      EXPECT_EQ(p.blendSource, BlendSrcColor);
      EXPECT_EQ(p.blendDestination, BlendOne);
      EXPECT_EQ(p.drag, 1.1f);
      EXPECT_EQ(p.windFactor, 0.0f);
      EXPECT_EQ(p.bornAt, 123456);
      EXPECT_GE(p.lifetime, 100);
      EXPECT_LE(p.lifetime, 150);
      EXPECT_GE(p.velocityX, -3.0f);
      EXPECT_LE(p.velocityX, 3.0f);
      EXPECT_EQ(p.angle, 0);
      EXPECT_EQ(p.opacity, 0);
      EXPECT_EQ(p.fadeStep, 0);
    } else {
      EXPECT_EQ(p.sprite, SpriteSmoke);
      EXPECT_EQ(p.blendSource, BlendZero);
      EXPECT_EQ(p.blendDestination, BlendSrcColor);
      EXPECT_EQ(p.drag, 1.28f);
      EXPECT_EQ(p.windFactor, 0.2f);
      EXPECT_EQ(p.bornAt, 123456);
      EXPECT_GE(p.lifetime, 500);
      EXPECT_LE(p.lifetime, 3000);
      EXPECT_LE(std::abs(p.x + 40.0f), 5.0f);
      EXPECT_LE(std::abs(p.y - 700.0f), 5.0f);
      EXPECT_GE(p.velocityY, -10.0f);
      EXPECT_LE(p.velocityY, 10.0f);
      EXPECT_GE(p.angle, 0);
      EXPECT_LE(p.angle, 359);
      EXPECT_EQ(p.opacity, 60);
      EXPECT_EQ(p.fadeStep, 2);
    }
  }
  for (const ParticleNode* n = ParticleList.first; n != nullptr; n = n->next) {
    EXPECT_EQ(n->update, UpdateParticle);
    EXPECT_EQ(n->draw, DrawParticle);
  }
}

TEST_F(EmitterTest, ConsumesExactly166Draws) {
  SeedRandom(0);
  SpawnExplosion(0, 0);
  const int32_t afterSpawn = RandomUpTo(1000000);
  SeedRandom(0);
  for (int i = 0; i < 166; ++i)
    RandomUpTo(1);
  EXPECT_EQ(RandomUpTo(1000000), afterSpawn);
}

TEST_F(EmitterTest, SameStateDifferentPlaceGivesTheSameShape) {
  SeedRandom(42);
  SpawnExplosion(10, 20);
  SeedRandom(42);
  SpawnExplosion(310, 420);
  const std::vector<const Particle*> ps = Particles();
  ASSERT_EQ(ps.size(), 68u);
  for (size_t i = 0; i < 34; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ps[i]->velocityX, ps[i + 34]->velocityX);
    EXPECT_EQ(ps[i]->velocityY, ps[i + 34]->velocityY);
    EXPECT_EQ(ps[i]->lifetime, ps[i + 34]->lifetime);
    EXPECT_EQ(ps[i]->angle, ps[i + 34]->angle);
    EXPECT_EQ(ps[i + 34]->x - ps[i]->x, 300.0f);
    EXPECT_EQ(ps[i + 34]->y - ps[i]->y, 400.0f);
  }
}

TEST_F(EmitterTest, ExtremePositionsDoNotOverflow) {
  SeedRandom(0);
  SpawnExplosion(INT32_MAX, INT32_MIN);
  EXPECT_EQ(CountParticleNodes(), 34);
}

// A whole life: after every glow and smoke puff has gone, only the scorches remain.
TEST_F(EmitterTest, OnlyScorchesOutliveTheirExplosions) {
  Wind = {1, -1};
  SeedRandom(0);
  SpawnExplosion(30, 30);
  SpawnExplosion(300, 300);
  for (int frame = 0; frame < 400; ++frame) {
    RunParticlePass();
    AdvanceVirtualClock(16'000);
  }
  const std::vector<const Particle*> ps = Particles();
  ASSERT_EQ(ps.size(), 2u);
  EXPECT_EQ(ps[0]->x, 30.0f);
  EXPECT_EQ(ps[1]->x, 300.0f);
  Wind = {0, 0};
}

} // namespace
