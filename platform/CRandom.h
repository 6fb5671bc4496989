#pragma once
// The C runtime's pseudo-random generator, reproduced exactly because scenes and lakes
// replay from it: a linear congruential generator with one 32-bit state per thread.
// A thread that never seeds starts as if seeded with 1. Never mixed with the C library's
// own rand, whose sequence differs.

#include <cstdint>

namespace plat
{

constexpr int kCRandMax = 32767;
// The state of a thread that never seeded.
constexpr uint32_t kCRandStartSeed = 1;

// Seeds the calling thread's generator only.
void CRandSeed(uint32_t seed);
// The next value of the calling thread's generator, 0 .. kCRandMax.
int CRand();

} // namespace plat
