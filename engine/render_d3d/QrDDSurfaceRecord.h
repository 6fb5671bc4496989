#pragma once
// One surface of a renderer image, in one pixel format; owned by its image.

#include "QrPixelFormat.h"

#include <cstdint>
#include <memory>

namespace plat
{
class Surface;
}

struct QrDDSurfaceRecord
{
    std::shared_ptr<plat::Surface> m_surface;
    QrPixelFormat m_format;
    // Converted again from the base record before it is handed out.
    uint8_t m_stale = 0;
    // The image's pixel revision this copy was converted at; a copy of an older revision is
    // out of date once something drew into the base surface.
    uint32_t m_revision = 0;
};
