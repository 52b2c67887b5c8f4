// The program's only reader of the system clock. In virtual mode time stands still until a
// caller advances it, so tests and the recorder run on exact, repeatable time.
#include "platform/platform.h"

#include <ctime>

namespace {

// Virtual time counts microseconds, so the counter's frequency is 1 MHz there.
constexpr int64_t VirtualFrequency = 1'000'000;
constexpr int64_t RealFrequency = 1'000'000'000;

struct ClockState {
  bool isVirtual;      // false: the monotonic clock; true: the fields below
  int64_t ticks;       // virtual counter reading, microseconds
  int64_t msBaseTicks; // counter reading at which the millisecond clocks read msBase
  uint32_t msBase;     // millisecond clock at msBaseTicks, wrapping
};
ClockState Clock{};

int64_t MonotonicNanoseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

uint32_t Milliseconds() {
  if (!Clock.isVirtual) return static_cast<uint32_t>(MonotonicNanoseconds() / 1'000'000);
  const int64_t elapsedMs = (Clock.ticks - Clock.msBaseTicks) / 1000;
  return Clock.msBase + static_cast<uint32_t>(elapsedMs);
}

} // namespace

uint32_t GetTickCount() {
  return Milliseconds();
}

uint32_t timeGetTime() {
  return Milliseconds();
}

int64_t ReadPerformanceCounter() {
  return Clock.isVirtual ? Clock.ticks : MonotonicNanoseconds();
}

int64_t PerformanceFrequency() {
  return Clock.isVirtual ? VirtualFrequency : RealFrequency;
}

void UseRealClock() {
  Clock = ClockState{};
}

void UseVirtualClock(uint32_t startMs, int64_t startTicks) {
  Clock = ClockState{true, startTicks, startTicks, startMs};
}

bool ClockIsVirtual() {
  return Clock.isVirtual;
}

void AdvanceVirtualClock(int64_t ticks) {
  if (Clock.isVirtual && ticks > 0) Clock.ticks += ticks;
}

void SetVirtualMilliseconds(uint32_t ms) {
  if (!Clock.isVirtual) return;
  Clock.msBase = ms;
  Clock.msBaseTicks = Clock.ticks;
}

int64_t ReadWallNanoseconds() {
  return MonotonicNanoseconds();
}
