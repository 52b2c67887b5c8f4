// The Qt window on the offscreen platform: button clicks, close requests, the title and the
// fixed client size, as the frame loop sees them through PollWindowEvent.
#include "platform/platform.h"
#include "shell/shell.h"

#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <vector>

namespace {

class QtWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    StartWindowSystem(0, nullptr);
    window_ = OpenMainWindow(0, 0, 0, 600, 600, 0x00CA0000 | WindowCentred, "");
    ASSERT_NE(window_, 0);
    SetControlParent(CurrentWindowHandle());
    button_ = AddPushButton(0, 0, 580, 600, 20, "Next Explosion");
    ASSERT_NE(button_, 0);
    Drain();
  }
  void TearDown() override {
    CloseMainWindow();
    StopWindowSystem();
  }

  QWidget* Window() const { return reinterpret_cast<QWidget*>(window_); }
  QPushButton* Button() const { return reinterpret_cast<QPushButton*>(button_); }
  // Every event code until the poll returns 0, the ones the loop ignores left out.
  static std::vector<int> Drain() {
    std::vector<int> codes;
    for (int code = PollWindowEvent(); code != 0; code = PollWindowEvent())
      if (code == EventButton || code == EventClose) codes.push_back(code);
    return codes;
  }

  intptr_t window_ = 0;
  intptr_t button_ = 0;
};

TEST_F(QtWindowTest, EmptyQueuePollsZero) {
  EXPECT_EQ(PollWindowEvent(), 0);
}

TEST_F(QtWindowTest, EachClickOfTheButtonIsOnePress) {
  QTest::mouseClick(Button(), Qt::LeftButton);
  EXPECT_EQ(Drain(), std::vector<int>{EventButton});
  for (int i = 0; i < 3; ++i)
    QTest::mouseClick(Button(), Qt::LeftButton);
  EXPECT_EQ(Drain(), (std::vector<int>{EventButton, EventButton, EventButton}));
  EXPECT_EQ(PollWindowEvent(), 0);
}

TEST_F(QtWindowTest, PressReleasedOutsideTheButtonIsNoPress) {
  QTest::mousePress(Button(), Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(Button(), Qt::LeftButton, {}, QPoint(10, -100));
  EXPECT_TRUE(Drain().empty());
}

TEST_F(QtWindowTest, SpaceOnTheFocusedButtonIsAPress) {
  Button()->setFocus();
  QTest::keyClick(Button(), Qt::Key_Space);
  EXPECT_EQ(Drain(), std::vector<int>{EventButton});
}

TEST_F(QtWindowTest, CloseRequestIsReportedOnceAndTheWindowStays) {
  // The widget's own close, and the close that reaches the native window from outside.
  EXPECT_FALSE(Window()->close());
  EXPECT_EQ(Drain(), std::vector<int>{EventClose});
  ASSERT_NE(Window()->windowHandle(), nullptr);
  EXPECT_FALSE(Window()->windowHandle()->close());
  EXPECT_EQ(Drain(), std::vector<int>{EventClose});
  EXPECT_TRUE(Window()->isVisible());
  EXPECT_EQ(CurrentWindowHandle(), window_);
  QTest::mouseClick(Button(), Qt::LeftButton); // and keeps working
  EXPECT_EQ(Drain(), std::vector<int>{EventButton});
}

TEST_F(QtWindowTest, CloseAndPressesComeInTheOrderTheyHappened) {
  QTest::mouseClick(Button(), Qt::LeftButton);
  Window()->close();
  QTest::mouseClick(Button(), Qt::LeftButton);
  EXPECT_EQ(Drain(), (std::vector<int>{EventButton, EventClose, EventButton}));
}

TEST_F(QtWindowTest, TitleIsTheWindowTitle) {
  EXPECT_EQ(Window()->windowTitle(), QString());
  SetMainWindowTitle(0, "fps: 987 - 991");
  EXPECT_EQ(Window()->windowTitle(), QString("fps: 987 - 991"));
  SetMainWindowTitle(1, "no such window");
  EXPECT_EQ(Window()->windowTitle(), QString("fps: 987 - 991"));
}

TEST_F(QtWindowTest, ClientAreaIsFixedAt600By600WithoutMaximise) {
  EXPECT_EQ(Window()->size(), QSize(600, 600));
  EXPECT_EQ(Window()->minimumSize(), QSize(600, 600));
  EXPECT_EQ(Window()->maximumSize(), QSize(600, 600));
  EXPECT_FALSE(Window()->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(Window()->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(Window()->windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_EQ(Button()->geometry(), QRect(0, 580, 600, 20));
  EXPECT_EQ(Button()->text(), QString("Next Explosion"));
}

TEST_F(QtWindowTest, MeterSetsTheWindowTitle) {
  UseVirtualClock(10'016, 0);
  Shell = ShellState{};
  Shell.FrameStart = 10'000;
  UpdateFrameMeter();
  UseRealClock();
  EXPECT_EQ(Window()->windowTitle(), QString("fps: 1 - 0"));
}

// A scale forced through the environment changes neither the client size nor the pixel ratio.
TEST(QtWindowScaleTest, ForcedScaleFactorIsIgnored) {
  qputenv("QT_SCALE_FACTOR", "2");
  StartWindowSystem(0, nullptr);
  const intptr_t handle = OpenMainWindow(0, 0, 0, 600, 600, 0x00CA0000 | WindowCentred, "");
  ASSERT_NE(handle, 0);
  const auto* window = reinterpret_cast<QWidget*>(handle);
  EXPECT_EQ(window->size(), QSize(600, 600));
  EXPECT_EQ(window->devicePixelRatioF(), 1.0);
  CloseMainWindow();
  StopWindowSystem();
  qunsetenv("QT_SCALE_FACTOR");
}

// The screen keeps the last frame (red in the low byte) and paints it when exposed.
TEST_F(QtWindowTest, ScreenPaintsTheLastFrame) {
  ASSERT_EQ(AttachScreenToWindow(window_, 0, 0, 600, 580), 1);
  std::vector<uint32_t> frame(600 * 580, 0x00302010);
  frame[0] = 0x000000FF;
  ShowScreenImage(frame.data(), 600, 580);
  Drain();
  const QImage shot = Window()->grab(QRect(0, 0, 600, 580)).toImage();
  ASSERT_FALSE(shot.isNull());
  const double ratio = shot.devicePixelRatio();
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(static_cast<int>(300 * ratio), static_cast<int>(300 * ratio)),
            QColor(0x10, 0x20, 0x30));
}

} // namespace
