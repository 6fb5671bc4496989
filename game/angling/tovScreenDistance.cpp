#include "tovScreenDistance.h"

#include <cmath>
#include <cstdlib>
#include <limits>

int32_t ScreenDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    // Differences reach 2^32 and their squares 2^64, so the sum needs more than 64 bits.
    using Wide = unsigned __int128;
    const Wide dx = static_cast<Wide>(std::llabs(static_cast<int64_t>(x2) - x1));
    const Wide dy = static_cast<Wide>(std::llabs(static_cast<int64_t>(y2) - y1));
    const Wide sum = dx * dx + dy * dy;
    uint64_t root = static_cast<uint64_t>(std::sqrt(static_cast<long double>(sum)));
    // The floating root may be one off either way; settle on the exact floor.
    while (root > 0 && static_cast<Wide>(root) * root > sum)
        --root;
    while (static_cast<Wide>(root + 1) * (root + 1) <= sum)
        ++root;
    constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(root > kMax ? kMax : root);
}
