#include "tovScreenDistance.h"

#include <cmath>

int32_t ScreenDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    // Wide squares: points at the ends of the range must not overflow.
    using Wide = unsigned __int128;
    const int64_t dx = static_cast<int64_t>(x2) - x1;
    const int64_t dy = static_cast<int64_t>(y2) - y1;
    const auto ax = static_cast<Wide>(dx < 0 ? -dx : dx);
    const auto ay = static_cast<Wide>(dy < 0 ? -dy : dy);
    const Wide sum = ax * ax + ay * ay;
    auto root = static_cast<uint64_t>(std::sqrt(static_cast<long double>(sum)));
    while (static_cast<Wide>(root) * root > sum)
        --root;
    while (static_cast<Wide>(root + 1) * (root + 1) <= sum)
        ++root;
    return root > static_cast<uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(root);
}
