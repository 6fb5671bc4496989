#pragma once
// The object a pack's sound item turns into: the wave format (the item's info bytes) and the
// samples (the item's data, kept by the pack while the item is loaded). The handle word names
// the newest playing sound of this record, 0 when none plays.

#include <cstdint>

// Called once when a sound ends or is stopped, always on the main thread.
using SoundEndCallback = void (*)(uintptr_t arg);

// A playing sound's handle: the slot address stored in the caller's word; 0 means none.
using SoundHandle = uintptr_t;

struct SoundRecord
{
    // The wave format record as stored (little-endian, possibly unaligned), formatSize bytes.
    const uint8_t* format = nullptr;
    uint32_t formatSize = 0;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    SoundHandle handle = 0;
};
