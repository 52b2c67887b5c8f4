// The frame-rate meter on virtual time: the smoothed rate, the title's two forms and the
// one-second roll-over.
#include "shell_fixture.h"

#include <string>

namespace {

class MeterTest : public ShellTest {
protected:
  // One frame of `ms` milliseconds ending now, then the meter.
  static void Frame(int ms) {
    Shell.FrameStart = static_cast<int32_t>(timeGetTime());
    AdvanceVirtualClock(int64_t{ms} * 1000);
    UpdateFrameMeter();
  }
  static std::string Title() { return HeadlessWindowTitle(); }
};

TEST_F(MeterTest, SteadySixteenMillisecondFramesRiseTo2480AndStay) {
  Frame(16);
  EXPECT_EQ(Shell.SmoothedRate, 62);
  EXPECT_EQ(Title(), "fps: 1 - 0");
  Frame(16);
  EXPECT_EQ(Shell.SmoothedRate, 123);
  EXPECT_EQ(Title(), "fps: 3 - 1");
  int32_t previous = Shell.SmoothedRate;
  for (int i = 0; i < 2000; ++i) {
    Frame(16);
    ASSERT_GE(Shell.SmoothedRate, previous);
    ASSERT_LE(Shell.SmoothedRate, 2480);
    previous = Shell.SmoothedRate;
  }
  EXPECT_EQ(Shell.SmoothedRate, 2480);
  EXPECT_EQ(Title().rfind("fps: 62 - ", 0), 0u) << Title();
}

TEST_F(MeterTest, SecondsPerFrameFormSwitchesToFramesPerSecond) {
  Shell.SmoothedRate = 30;
  Frame(0);
  EXPECT_EQ(Shell.SmoothedRate, 30);
  EXPECT_EQ(Title(), "SPF: 1 - 0");
  Frame(25);
  EXPECT_EQ(Shell.SmoothedRate, 70);
  EXPECT_EQ(Title(), "fps: 1 - 1");
}

TEST_F(MeterTest, FormFollowsTheRateAtForty) {
  struct Case {
    int32_t rate;
    const char* title;
  };
  const Case cases[] = {{1, "SPF: 40 - 7"}, {13, "SPF: 3 - 7"}, {39, "SPF: 1 - 7"},
                        {40, "fps: 1 - 7"}, {79, "fps: 1 - 7"}, {80, "fps: 2 - 7"},
                        {0, "SPF: 0 - 7"}};
  for (const Case& c : cases) {
    Shell.SmoothedRate = c.rate;
    Shell.FramesLastSecond = 7;
    Shell.SecondStart = static_cast<int32_t>(timeGetTime());
    Frame(0); // elapsed 0 leaves the rate as it is
    EXPECT_EQ(Title(), c.title) << "rate " << c.rate;
  }
}

TEST_F(MeterTest, ZeroRateKeepsCountingAndRollsOver) {
  Frame(0);
  EXPECT_EQ(Shell.SmoothedRate, 0);
  EXPECT_EQ(Title(), "SPF: 0 - 0");
  Frame(2000); // longer than a second: adds nothing to the rate
  EXPECT_EQ(Shell.SmoothedRate, 0);
  EXPECT_EQ(Title(), "SPF: 0 - 1");
  EXPECT_EQ(Shell.FramesLastSecond, 1);
  EXPECT_EQ(Shell.FramesThisSecond, 0);
}

TEST_F(MeterTest, FirstFrameRollsOverAtOnce) {
  Frame(16);
  EXPECT_EQ(Title(), "fps: 1 - 0");
  EXPECT_EQ(Shell.FramesLastSecond, 1);
  EXPECT_EQ(Shell.FramesThisSecond, 0);
  EXPECT_EQ(static_cast<uint32_t>(Shell.SecondStart), StartMs + 16);
  Frame(16);
  EXPECT_EQ(Title(), "fps: 3 - 1");
}

TEST_F(MeterTest, RollOverAtExactlyOneSecondNotBefore) {
  Shell.SecondStart = static_cast<int32_t>(timeGetTime());
  Shell.FramesThisSecond = 5;
  Frame(999);
  EXPECT_EQ(Shell.FramesThisSecond, 6);
  EXPECT_EQ(Shell.FramesLastSecond, 0);
  Frame(1);
  EXPECT_EQ(Shell.FramesThisSecond, 0);
  EXPECT_EQ(Shell.FramesLastSecond, 7);
  EXPECT_EQ(static_cast<uint32_t>(Shell.SecondStart), StartMs + 1000);
}

TEST_F(MeterTest, TimerWrapGivesSignedDifferences) {
  SetVirtualMilliseconds(0xFFFFFFF8u);
  Shell.SecondStart = static_cast<int32_t>(timeGetTime());
  Frame(16); // crosses 2^32
  EXPECT_EQ(Shell.SmoothedRate, 62);
  EXPECT_EQ(Shell.FramesThisSecond, 1);
}

} // namespace
