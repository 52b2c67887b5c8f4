// The settled run at the front of the list: which nodes join it, and how list edits and a
// change of wind cut it short, so that nothing that can still change is ever skipped.
#include "particles/particles.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class SettledRunTest : public ::testing::Test {
protected:
  void SetUp() override {
    UseVirtualClock(5000, 0);
    CreateParticleList();
    Wind = WindVector{1, -1};
  }
  void TearDown() override {
    FreeParticleList();
    UseRealClock();
  }

  // Appends a node drawn by DrawParticle: a resting particle of quad `sprite`.
  static ParticleNode* AddResting(int sprite) {
    ParticleNode* n = AddParticleNode();
    n->update = UpdateParticle;
    n->draw = DrawParticle;
    n->particle.sprite = sprite;
    n->particle.width = 64;
    n->particle.height = 64;
    n->particle.x = 100;
    n->particle.y = 50;
    return n;
  }
  static void Passes(int count) {
    for (int i = 0; i < count; ++i)
      RunParticlePass();
  }
};

// Each list is written front to back: S a resting scorch (quad 8), G a moving glow, L a
// resting quad-8 node that expires, P a resting puff (quad 1), Z a node of quad 0, and
// W a quad-8 node that drifts with the wind.
TEST_F(SettledRunTest, OnlyTheUnchangingFrontJoins) {
  struct Case {
    const char* list;
    int settled;
  };
  const Case cases[] = {{"SSS", 3}, {"SSGS", 2}, {"GSS", 0}, {"SLS", 1},
                        {"SSP", 2}, {"ZSS", 0},  {"SWS", 1}, {"", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    FreeParticleList();
    CreateParticleList();
    for (const char* k = c.list; *k != 0; ++k) {
      ParticleNode* n = AddResting(*k == 'P' ? 1 : *k == 'Z' ? 0 : 8);
      if (*k == 'G') n->particle.velocityX = 2;
      if (*k == 'L') n->particle.lifetime = 100000;
      if (*k == 'W') n->particle.windFactor = 0.5f;
    }
    Passes(3);
    EXPECT_EQ(ParticleList.settledCount, c.settled);
    const ParticleNode* last = ParticleList.first;
    for (int i = 1; i < c.settled; ++i)
      last = last->next;
    EXPECT_EQ(ParticleList.settledLast, c.settled > 0 ? last : nullptr);
  }
}

TEST_F(SettledRunTest, ANodeBehindTheRunJoinsOnceWhatWasBetweenIsGone) {
  AddResting(8);
  ParticleNode* glow = AddResting(2);
  glow->particle.velocityX = 1;
  glow->particle.bornAt = 5000;
  glow->particle.lifetime = 10; // deleted at the first pass after 10 ms
  AddResting(8);
  Passes(2);
  EXPECT_EQ(ParticleList.settledCount, 1);
  AdvanceVirtualClock(20'000);
  Passes(2);
  EXPECT_EQ(CountParticleNodes(), 2);
  EXPECT_EQ(ParticleList.settledCount, 2);
}

TEST_F(SettledRunTest, EditsInsideTheRunCutItAndEditsBehindItDoNot) {
  struct Case {
    const char* edit;
    int at;      // cursor position of the edit (-1: cursor null)
    bool add;    // insert after the cursor, or delete the cursor's node
    int settled; // run length right after the edit
  };
  const Case cases[] = {
      {"insert at the front", -1, true, 0},  {"insert after the first", 0, true, 1},
      {"insert after the last", 3, true, 4}, {"delete the first", 0, false, 0},
      {"delete the third", 2, false, 2},     {"delete the last", 3, false, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    FreeParticleList();
    CreateParticleList();
    for (int i = 0; i < 4; ++i)
      AddResting(8);
    Passes(2);
    ASSERT_EQ(ParticleList.settledCount, 4);
    const uint64_t run = ParticleList.settledRun;
    ResetParticleList();
    for (int i = 0; i <= c.at; ++i)
      NextParticleNode();
    if (c.add)
      AddResting(8)->particle.velocityY = 3;
    else
      DeleteCurrentParticleNode();
    EXPECT_EQ(ParticleList.settledCount, c.settled);
    EXPECT_EQ(ParticleList.settledRun != run, c.settled < 4);
  }
}

// A puff at rest drifts as soon as there is wind: the run it had joined while there was
// none must not keep skipping it.
TEST_F(SettledRunTest, AChangeOfWindTakesDriftingNodesOutOfTheRun) {
  Wind = WindVector{0, 0};
  ParticleNode* n = AddResting(8);
  n->particle.windFactor = 0.5f;
  Passes(2);
  ASSERT_EQ(ParticleList.settledCount, 1);
  Wind = WindVector{2, 0};
  Passes(1);
  EXPECT_EQ(n->particle.x, 101.0f);
  EXPECT_EQ(ParticleList.settledCount, 0);
}

TEST_F(SettledRunTest, RunNumbersAreNeverUsedTwice) {
  std::vector<uint64_t> seen;
  for (int i = 0; i < 3; ++i) {
    FreeParticleList();
    CreateParticleList();
    seen.push_back(ParticleList.settledRun);
    ForgetSettledParticles();
    seen.push_back(ParticleList.settledRun);
  }
  for (size_t i = 1; i < seen.size(); ++i)
    EXPECT_GT(seen[i], seen[i - 1]);
}

} // namespace
