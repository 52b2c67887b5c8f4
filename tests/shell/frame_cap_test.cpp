// The frame cap on the virtual counter: the first wait after the cap is set, the least gap
// between presentations, and the sign rule where the low 32 bits of the counter change sign.
#include "shell_fixture.h"

namespace {

class FrameCapTest : public ::testing::Test {
protected:
  void SetUp() override { SetVirtualFrameTicks(0); }
  void TearDown() override {
    StopSpriteSystem();
    UseRealClock();
  }
  static void Start(int64_t ticks) {
    UseVirtualClock(0, ticks);
    StartSpriteSystem(); // forgets the last release of an earlier clock
  }
  // Counter ticks that one presentation takes, from the counter reading before it.
  static int64_t Present() {
    const int64_t before = ReadPerformanceCounter();
    PresentFrame(0);
    return ReadPerformanceCounter() - before;
  }
};

TEST_F(FrameCapTest, PeriodIsFrequencyOverCapPlusOne) {
  Start(5000);
  ASSERT_EQ(SetFrameCap(1000), 1);
  EXPECT_EQ(FrameCapPeriod(), 1'000'000 / 1001);
  ASSERT_EQ(SetFrameCap(60), 1);
  EXPECT_EQ(FrameCapPeriod(), 1'000'000 / 61);
  EXPECT_EQ(SetFrameCap(-1), 0); // refused: no division by zero, the cap stays
  EXPECT_EQ(FrameCapPeriod(), 1'000'000 / 61);
}

TEST_F(FrameCapTest, FirstPresentationWaitsAFullPeriod) {
  Start(5000);
  SetFrameCap(1000);
  EXPECT_EQ(Present(), FrameCapPeriod() + 1);
}

TEST_F(FrameCapTest, PresentationsAreAlwaysMoreThanAPeriodApart) {
  Start(123);
  SetFrameCap(1000);
  Present();
  for (int i = 0; i < 100; ++i) {
    AdvanceVirtualClock(i * 37); // time spent drawing
    const int64_t before = ReadPerformanceCounter();
    const int64_t lastRelease = before - i * 37;
    PresentFrame(0);
    EXPECT_GT(ReadPerformanceCounter() - lastRelease, FrameCapPeriod()) << i;
  }
}

// Where the low 32 bits change sign the reference restarts, so that one wait is longer.
TEST_F(FrameCapTest, SignChangeOfTheLowBitsRestartsTheWait) {
  struct Case {
    int64_t start; // counter at the presentation before the crossing
  };
  const Case cases[] = {{int64_t{0x7FFFFFFF} - 1500},
                        {int64_t{0xFFFFFFFF} - 1500},
                        {(int64_t{1} << 32) * 3 + 0x7FFFFFFF - 1500}};
  for (const Case& c : cases) {
    Start(c.start);
    SetFrameCap(1000);
    const int64_t period = FrameCapPeriod();
    EXPECT_EQ(Present(), period + 1) << c.start;       // ends 500 ticks short of the crossing
    EXPECT_EQ(Present(), 2 * (period + 1)) << c.start; // crosses: the wait restarts once
    EXPECT_EQ(Present(), period + 1) << c.start;       // and is steady again
  }
}

} // namespace

namespace {

// Virtual frames of a fixed length include the spin: the first one too.
TEST_F(FrameCapTest, VirtualFramesLastExactlyTheirLengthFromTheFirst) {
  Start(0);
  SetFrameCap(1000);
  SetVirtualFrameTicks(16'000);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(Present(), 16'000) << i;
  SetVirtualFrameTicks(0);
}

} // namespace
