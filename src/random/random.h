// The random source: a generator of two lagged rotate-and-add sequences over 17 pairs of
// 32-bit words, reproduced bit for bit, with a multiply-and-take-the-top range mapping.
#pragma once

#include <cstdint>

void SeedRandom(uint32_t seed); // restarts the sequence; the same seed gives the same draws
int32_t RandomUpTo(int32_t n);  // 0..n, or INT32_MIN when n < 0; always advances one step
uint64_t StepRandom();          // one advance; the new high word on top, the new low below

// The one generator. Fields are public so tests can see the table and the indices.
struct RandomGeneratorState {
  struct Entry {
    uint32_t low;  // filled first when seeding
    uint32_t high; // filled second
  };
  Entry table[17]; // the lagged pairs
  int index1;      // 0..16, the entry stepped next
  int index2;      // 0..16, always (index1 + 10) mod 17
  bool seeded;     // false until the first seeding; self-seeds from GetTickCount then
};
extern RandomGeneratorState RandomGenerator;
void ResetRandomGenerator(); // back to the process-start state: unseeded, table cleared
