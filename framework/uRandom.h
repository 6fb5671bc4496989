#pragma once
// The program's pseudo-random generator: minimal standard multiplicative generator
// (16807, modulus 2^31 - 1) with a masked seed, a uniform draw, an integer range and a
// clamped normal draw. One shared instance serves most of the program; a few objects own
// private ones so their sequences can be saved and restored on their own. Not locked.

#include <cstdint>

class uRandom
{
public:
    explicit uRandom(int32_t seedValue);

    void seed(int32_t value);
    // Restores a saved state unmasked; 0 throws the generator's message and changes nothing.
    void set_state(int32_t value);
    int32_t get_state() const { return m_state; }

    // 1 to 2147483646 for a state in that range.
    int32_t next();
    // In [0, 1).
    double uniform();
    // From lo to hi inclusive, in either order; hi - lo + 1 must fit in 32 bits.
    int32_t range(int32_t lo, int32_t hi);
    // Normal deviate with standard deviation 0.4, clamped to [-1, 1]; draws come in pairs.
    float gaussian();

private:
    int32_t m_state = 0;
    int32_t m_spareFlag = 0;
    float m_spare = 0.0f;
};

// The shared generator (seeded 111 before start-up, reseeded from the clock by the application).
uRandom& SharedRandom();
int32_t RandomRange(int32_t lo, int32_t hi);
float gaussian();
