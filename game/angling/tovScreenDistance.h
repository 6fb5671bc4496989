#pragma once
// Whole-cell distance between two map points: the square root of dx^2 + dy^2, truncated.

#include <cstdint>

int32_t ScreenDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
