#include "platform/platform.h"
#include "random/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RandomTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetRandomGenerator();
    UseVirtualClock(0, 0);
  }
  void TearDown() override {
    ResetRandomGenerator();
    UseRealClock();
  }
};

std::vector<int32_t> Draws(uint32_t seed, int32_t bound, int count) {
  SeedRandom(seed);
  std::vector<int32_t> out;
  for (int i = 0; i < count; ++i)
    out.push_back(RandomUpTo(bound));
  return out;
}

// How many RandomUpTo(10) draws the frame loop's advance takes to reach 360.
int AdvanceDraws() {
  int sum = 0;
  int draws = 0;
  while (sum < 360) {
    sum += RandomUpTo(10);
    ++draws;
  }
  return draws;
}

TEST_F(RandomTest, StepRandomMatchesTheReferenceWords) {
  SeedRandom(0);
  const uint64_t expected[] = {0x8B910D6160217BDFull, 0xC8AFE081ED8E05C2ull, 0xA90E502FD8A9DF79ull};
  for (uint64_t e : expected)
    EXPECT_EQ(StepRandom(), e);
}

TEST_F(RandomTest, RandomUpToMatchesTheReferenceSequences) {
  struct Row {
    uint32_t seed;
    std::vector<int32_t> draws;
  };
  const Row rows[] = {{0, {327, 471, 396, 227, 141}}, {1, {433, 108, 365, 548, 0}}};
  for (const Row& row : rows)
    EXPECT_EQ(Draws(row.seed, 600, 5), row.draws) << row.seed;
}

TEST_F(RandomTest, SeedingLeavesTheIndicesAtThreeAndThirteen) {
  for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    SeedRandom(seed);
    EXPECT_EQ(RandomGenerator.index1, 3);
    EXPECT_EQ(RandomGenerator.index2, 13);
    EXPECT_TRUE(RandomGenerator.seeded);
  }
}

TEST_F(RandomTest, IndicesStayTenApartAndWrap) {
  SeedRandom(7);
  for (int i = 0; i < 40; ++i) {
    StepRandom();
    EXPECT_EQ(RandomGenerator.index2, (RandomGenerator.index1 + 10) % 17);
  }
}

TEST_F(RandomTest, NegativeBoundAdvancesAndReturnsMinimum) {
  const std::vector<int32_t> plain = Draws(3, 600, 3);
  SeedRandom(3);
  EXPECT_EQ(RandomUpTo(-1), INT32_MIN);
  EXPECT_EQ(RandomUpTo(INT32_MIN), INT32_MIN);
  // Two steps were consumed, so the next draw is the third of the plain sequence.
  EXPECT_EQ(RandomUpTo(600), plain[2]);
}

TEST_F(RandomTest, ZeroBoundReturnsZeroAndAdvances) {
  const std::vector<int32_t> plain = Draws(5, 600, 2);
  SeedRandom(5);
  EXPECT_EQ(RandomUpTo(0), 0);
  EXPECT_EQ(RandomUpTo(600), plain[1]);
}

TEST_F(RandomTest, LargestBoundDividesByTwoToThe33) {
  SeedRandom(9);
  const uint64_t x = StepRandom();
  SeedRandom(9);
  EXPECT_EQ(RandomUpTo(2147483647), static_cast<int32_t>(x >> 33));
}

TEST_F(RandomTest, ADifferentBoundConsumesTheSameStep) {
  const std::vector<int32_t> plain = Draws(11, 600, 4);
  SeedRandom(11);
  RandomUpTo(10);
  RandomUpTo(100000);
  EXPECT_EQ(RandomUpTo(600), plain[2]);
  EXPECT_EQ(RandomUpTo(600), plain[3]);
}

TEST_F(RandomTest, SelfSeedsFromTheTickOnFirstUse) {
  SetVirtualMilliseconds(424242);
  const int32_t first = RandomUpTo(600);
  EXPECT_TRUE(RandomGenerator.seeded);
  ResetRandomGenerator();
  EXPECT_EQ(Draws(424242, 600, 1)[0], first);
}

TEST_F(RandomTest, ExplicitSeedMakesTheSequenceIndependentOfTheClock) {
  SetVirtualMilliseconds(1);
  const std::vector<int32_t> a = Draws(0, 600, 5);
  ResetRandomGenerator();
  SetVirtualMilliseconds(999999);
  EXPECT_EQ(Draws(0, 600, 5), a);
}

// The frame loop's per-frame advance and the first press positions for counts 0 to 4.
TEST_F(RandomTest, FrameAdvanceAndPressPositions) {
  struct Row {
    uint32_t explosionCount;
    int advanceDraws;
    int32_t x;
    int32_t y;
  };
  const Row rows[] = {
      {0, 74, 106, 376}, {1, 83, 465, 90}, {2, 70, 106, 312}, {3, 71, 112, 408}, {4, 67, 528, 220}};
  for (const Row& row : rows) {
    SeedRandom(row.explosionCount);
    EXPECT_EQ(AdvanceDraws(), row.advanceDraws) << row.explosionCount;
    const int32_t y = RandomUpTo(600);
    const int32_t x = RandomUpTo(600);
    EXPECT_EQ(x, row.x) << row.explosionCount;
    EXPECT_EQ(y, row.y) << row.explosionCount;
  }
}

} // namespace
