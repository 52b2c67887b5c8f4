// The frame cap and presentation: a busy-wait on the high-resolution counter, then the copy
// of the back buffer to the window. On virtual time the wait moves the clock instead of
// spinning, to the very tick at which the real spin would have ended.
#include "platform/internal.h"

namespace {

struct FrameCapState {
  bool set;             // a cap was set since the sprite system started
  int cap;              // presentations per second
  int32_t period;       // counter ticks between presentations
  int32_t reference;    // low 32 bits of the counter at the last release; 0 after SetFrameCap
  int64_t virtualFrame; // virtual time only: least ticks from one release to the next
  int64_t lastRelease;  // full counter reading at the last release
};
FrameCapState FrameCap{};

// Virtual time: every presentation ends at least virtualFrame ticks after the one before.
void AdvanceToVirtualFrameEnd() {
  const int64_t target = FrameCap.lastRelease + FrameCap.virtualFrame;
  const int64_t now = ReadPerformanceCounter();
  if (now < target) AdvanceVirtualClock(target - now);
}

// Spins until the counter is more than one period past the reference. The sign rule keeps
// the 32-bit difference meaningful where the low 32 bits of the counter change sign. On
// virtual time the frame is then stretched to its fixed length, so that the spin's own period
// (which the first frame after SetFrameCap waits in full) is part of that length, not added.
void WaitForFrameCap() {
  int32_t reference = FrameCap.reference;
  for (;;) {
    const auto now = static_cast<int32_t>(static_cast<uint32_t>(ReadPerformanceCounter()));
    if ((now < 0 && reference >= 0) || (now > 0 && reference <= 0)) reference = now;
    const int64_t waited = int64_t{now} - reference;
    if (waited > FrameCap.period) break;
    if (ClockIsVirtual()) AdvanceVirtualClock(FrameCap.period - waited + 1);
  }
  if (ClockIsVirtual()) AdvanceToVirtualFrameEnd();
  FrameCap.lastRelease = ReadPerformanceCounter();
  FrameCap.reference = static_cast<int32_t>(static_cast<uint32_t>(FrameCap.lastRelease));
}

} // namespace

void ResetFrameCap() {
  const int64_t virtualFrame = FrameCap.virtualFrame;
  FrameCap = FrameCapState{};
  FrameCap.virtualFrame = virtualFrame;
  FrameCap.lastRelease = ReadPerformanceCounter();
}

bool FrameCapSet() {
  return FrameCap.set;
}

// n = -1 would divide by zero: it is refused like a missing counter.
int SetFrameCap(int n) {
  const int64_t frequency = PerformanceFrequency();
  const int64_t divisor = int64_t{n} + 1;
  if (frequency <= 0 || divisor == 0) return 0;
  FrameCap.set = true;
  FrameCap.cap = n;
  FrameCap.period = static_cast<int32_t>(frequency / divisor);
  FrameCap.reference = 0;
  return 1;
}

void SetVirtualFrameTicks(int64_t ticks) {
  FrameCap.virtualFrame = ticks > 0 ? ticks : 0;
}

int32_t FrameCapPeriod() {
  return FrameCap.period;
}

// There is no raster to wait for on our presentation path, so waitForRaster changes nothing.
void PresentFrame(int) {
  WaitForFrameCap();
  if (ScreenPixels() != nullptr) ShowScreenImage(ScreenPixels(), ScreenWidth(), ScreenHeight());
  StartFramePrefix();
}
