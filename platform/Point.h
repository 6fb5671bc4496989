#pragma once
// A pixel position; window positions are client coordinates unless said otherwise.

#include <cstdint>

namespace plat
{

struct Point
{
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const Point&) const = default;
};

struct Size
{
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const Size&) const = default;
};

} // namespace plat
