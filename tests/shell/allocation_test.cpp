// Frames allocate nothing once the program is warm: every table, queue and kept picture is
// made once. The only allocations of a frame are the particle nodes of the explosions
// spawned in it, which are made with calloc, not counted here. This executable replaces the
// global operator new to count.
#include "shell_fixture.h"
#include "sprites/sprites.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<uint64_t> NewCalls{0};
} // namespace

void* operator new(std::size_t size) {
  NewCalls.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

class AllocationTest : public ShellTest {
protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_EQ(EnablePngDecoding(), 1);
    LoadSpriteSet();
    MakePaleSmoke();
    CreateSpriteQuads();
  }
  // Frames with a press every 20 (two at once every 100), as a user clicking away.
  static void Frames(int count) {
    for (int frame = 1; frame <= count; ++frame) {
      if (frame % 20 == 0) QueueHeadlessEvent(EventButton);
      if (frame % 100 == 0) QueueHeadlessEvent(EventButton);
      RunFrame();
    }
  }
};

TEST_F(AllocationTest, WarmFramesAllocateNothing) {
  const uint64_t start = NewCalls.load();
  Frames(400); // scorches settle, the kept picture and the draw queue are made
  const uint64_t before = NewCalls.load();
  EXPECT_GT(before, start); // the count sees the warm-up's allocations
  const int nodesBefore = CountParticleNodes();
  Frames(600);
  EXPECT_EQ(NewCalls.load() - before, 0u);
  EXPECT_GT(CountParticleNodes(), nodesBefore); // explosions were spawned meanwhile
  EXPECT_GT(ParticleList.settledCount, 5);
}

} // namespace
