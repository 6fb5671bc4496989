#include "CRandom.h"

namespace plat
{

namespace
{
thread_local uint32_t t_state = kCRandStartSeed;
}

void CRandSeed(uint32_t seed)
{
    t_state = seed;
}

int CRand()
{
    // Unsigned 32-bit arithmetic wraps, which is the modulo 2^32 the generator needs.
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFFu);
}

} // namespace plat
