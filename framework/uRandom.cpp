#include "uRandom.h"

#include <cmath>

namespace
{

constexpr int32_t kMultiplier = 16807;
constexpr int32_t kModulus = 2147483647;
constexpr int32_t kQuotient = 127773;
constexpr int32_t kSeedMask = 123459876;
constexpr double kUniformScale = 4.656612875245797e-10;
constexpr float kDeviation = 0.4f;

float Clamp1(float v)
{
    return v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v);
}

} // namespace

uRandom::uRandom(int32_t seedValue)
{
    seed(seedValue);
}

void uRandom::seed(int32_t value)
{
    m_state = value ^ kSeedMask;
    if (m_state == 0)
        m_state = 1;
}

void uRandom::set_state(int32_t value)
{
    if (value == 0)
        throw "uRandom::set_state() -- Attempt to set state = 0.";
    m_state = value;
}

int32_t uRandom::next()
{
    const int32_t q = m_state / kQuotient;
    // 16807 s - m q wraps in 32 bits to 16807 (s - 127773 q) - 2836 q.
    const uint32_t product = static_cast<uint32_t>(kMultiplier) * static_cast<uint32_t>(m_state) -
                             static_cast<uint32_t>(kModulus) * static_cast<uint32_t>(q);
    int32_t s = static_cast<int32_t>(product);
    if (s < 0)
        s += kModulus;
    m_state = s;
    return s;
}

double uRandom::uniform()
{
    const double u = next() * kUniformScale;
    return u >= 1.0 ? static_cast<double>(0.9999f) : u;
}

int32_t uRandom::range(int32_t lo, int32_t hi)
{
    if (lo > hi)
    {
        const int32_t t = lo;
        lo = hi;
        hi = t;
    }
    const int32_t r = next();
    const int64_t span = int64_t{hi} - lo + 1;
    return static_cast<int32_t>(r % span + lo);
}

float uRandom::gaussian()
{
    if (m_spareFlag)
    {
        m_spareFlag = 0;
        return m_spare;
    }
    // a is kept in single precision, b and r are not.
    float a = 0.0f;
    double b = 0.0;
    double r = 0.0;
    do
    {
        a = static_cast<float>(2.0 * uniform() - 1.0);
        b = 2.0 * uniform() - 1.0;
        r = b * b + static_cast<double>(a) * a;
    } while (r >= 1.0);
    const float f = static_cast<float>(std::sqrt(-2.0 * std::log(r) / r));
    const float result = Clamp1(static_cast<float>(b * f * kDeviation));
    m_spare = Clamp1(static_cast<float>(static_cast<double>(f) * a * kDeviation));
    m_spareFlag = 1;
    return result;
}

uRandom& SharedRandom()
{
    static uRandom shared(111);
    return shared;
}

int32_t RandomRange(int32_t lo, int32_t hi)
{
    return SharedRandom().range(lo, hi);
}

float gaussian()
{
    return SharedRandom().gaussian();
}
