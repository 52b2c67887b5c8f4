#include "random/random.h"

#include "platform/platform.h"

#include <bit>

RandomGeneratorState RandomGenerator{};

void ResetRandomGenerator() {
  RandomGenerator = RandomGeneratorState{};
}

uint64_t StepRandom() {
  RandomGeneratorState& g = RandomGenerator;
  const RandomGeneratorState::Entry a = g.table[g.index1];
  const RandomGeneratorState::Entry b = g.table[g.index2];
  // The sum of the high words becomes the new low word, and the other way round.
  const uint32_t newLow = std::rotl(a.high, 27) + b.high;
  const uint32_t newHigh = std::rotl(a.low, 19) + b.low;
  g.table[g.index1].low = newLow;
  g.table[g.index1].high = newHigh;
  g.index1 = g.index1 == 0 ? 16 : g.index1 - 1;
  g.index2 = g.index2 == 0 ? 16 : g.index2 - 1;
  return (uint64_t{newHigh} << 32) | newLow;
}

void SeedRandom(uint32_t seed) {
  RandomGeneratorState& g = RandomGenerator;
  uint32_t w = seed;
  for (RandomGeneratorState::Entry& e : g.table) {
    w = w * 2891336453u + 1;
    e.low = w;
    w = w * 2891336453u + 1;
    e.high = w;
  }
  g.index1 = 0;
  g.index2 = 10;
  for (int i = 0; i < 31; ++i)
    StepRandom();
  g.seeded = true;
}

int32_t RandomUpTo(int32_t n) {
  if (!RandomGenerator.seeded) SeedRandom(GetTickCount());
  const uint64_t x = StepRandom();
  if (n < 0) return INT32_MIN;
  // The top 32 bits of the 96-bit product x * (n + 1), built from two 64-bit products.
  const uint64_t r = uint64_t(n) + 1;
  const uint64_t highPart = (x >> 32) * r;
  const uint64_t lowPart = (x & 0xFFFFFFFFu) * r;
  const uint64_t middle = (highPart & 0xFFFFFFFFu) + (lowPart >> 32);
  return static_cast<int32_t>((highPart >> 32) + (middle >> 32));
}
