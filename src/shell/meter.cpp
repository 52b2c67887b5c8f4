// The frame-rate meter: a smoothed rate and the count of the last whole second, in the title.
#include "platform/platform.h"
#include "shell/shell.h"

#include <cstdio>

namespace {

// Milliseconds since a reading of the multimedia timer, as a signed 32-bit difference.
int32_t MillisecondsSince(int32_t reading) {
  return static_cast<int32_t>(timeGetTime() - static_cast<uint32_t>(reading));
}

} // namespace

// Sets the title once. The smoothed rate is 40 times the rate; each frame keeps 39/40 of it
// and adds 1000 / the frame's duration. While it is still 0 there is no seconds-per-frame
// figure to divide out, and the title shows 0 in its place.
void UpdateFrameMeter() {
  const int32_t elapsed = MillisecondsSince(Shell.FrameStart);
  if (elapsed != 0) {
    const int32_t elapsed2 = MillisecondsSince(Shell.FrameStart);
    if (elapsed2 != 0)
      Shell.SmoothedRate = Shell.SmoothedRate - Shell.SmoothedRate / 40 + 1000 / elapsed2;
  }

  char title[64];
  const long lastSecond = Shell.FramesLastSecond;
  if (Shell.SmoothedRate / 40 >= 1)
    std::snprintf(title, sizeof title, "fps: %ld - %ld", long{Shell.SmoothedRate / 40}, lastSecond);
  else if (Shell.SmoothedRate == 0)
    std::snprintf(title, sizeof title, "SPF: 0 - %ld", lastSecond);
  else
    std::snprintf(title, sizeof title, "SPF: %ld - %ld", long{40 / Shell.SmoothedRate}, lastSecond);
  SetMainWindowTitle(0, title);

  Shell.FramesThisSecond = static_cast<int32_t>(static_cast<uint32_t>(Shell.FramesThisSecond) + 1);
  if (MillisecondsSince(Shell.SecondStart) >= 1000) {
    Shell.FramesLastSecond = Shell.FramesThisSecond;
    Shell.FramesThisSecond = 0;
    Shell.SecondStart = static_cast<int32_t>(timeGetTime());
  }
}
