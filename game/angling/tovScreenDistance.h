#pragma once
// Distance between two points in whole cells or pixels: the truncated integer square root of
// dx² + dy². The travel map measures with it.

#include <cstdint>

// Exact for any 32-bit coordinates; a distance beyond the 32-bit range reads INT32_MAX.
int32_t ScreenDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
