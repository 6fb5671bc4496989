#pragma once
// The renderer's view of the camera: matrices it computes itself (it transforms vertices on
// the processor), recomputed lazily from the dirty flags that SetCameraData leaves for the
// next BeginFrame. A member of the driver.

#include "QrPoint3.h"

#include <cstdint>

struct QrCameraRecord
{
    enum : uint32_t
    {
        kViewDirty = 0x1,
        kProjectionDirty = 0x2,
        kCombinedDirty = 0x4,
        kRightDirty = 0x10,
        // Set at initialisation and carried along.
        kInitialised = 0x40,
    };

    uint32_t flags = 0;
    QrPoint3 location;
    float view[4][4] = {};
    QrPoint3 up;
    QrPoint3 direction;
    QrPoint3 rightVector;
    float projection[4][4] = {};
    // projection x view: world to screen.
    float combined[4][4] = {};
    // Viewport half extents and centre in target pixels, y down.
    float sx = 0.0f;
    float sy = 0.0f;
    float cx = 0.0f;
    float cy = 0.0f;
    // Frustum: the sides lie on the near plane.
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    float left = 0.0f;
    float right = 0.0f;
    float top = 0.0f;
    float bottom = 0.0f;
};
