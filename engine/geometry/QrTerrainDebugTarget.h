#pragma once
// Where a terrain page draws its debug map: a small line-drawing surface in pixels, y down.
// Owned by whoever installs it on the page; the page only borrows it.

#include <cstdint>

class QrTerrainDebugTarget
{
public:
    virtual ~QrTerrainDebugTarget() = default;

    // Before the first line of a map; false when the target cannot draw now (nothing is drawn).
    virtual bool BeginLines() = 0;
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    // A line from the current point to (x, y), which becomes the current point.
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // After the last line of a map drawn since a successful BeginLines.
    virtual void EndLines() = 0;
};
