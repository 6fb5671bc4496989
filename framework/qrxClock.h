#pragma once
// The millisecond clock behind every frame time: the installed platform clock's tick, which
// wraps after about 49.7 days, so callers take unsigned differences.

#include <cstdint>

uint32_t GetTimeMs();
