#pragma once
// What a renderer image asks of the renderer it makes surfaces for: the pixel formats and
// surface caps for each image kind (0: texture source, from the texture manager's formats;
// 1: display, from the device's render-target formats). The renderer implements it beside
// QrRender; an image reaches it from the renderer it is prepared for.

#include "QrPixelFormat.h"

#include <cstdint>

class QrDDFormatSource
{
public:
    // The formats in order of preference (null or a count of 0: none) and the caps added to
    // the creation of surfaces of this kind. The list stays valid while the renderer lives.
    virtual const QrPixelFormat* GetImageFormats(uint32_t kind, uint32_t& count, uint32_t& caps) = 0;

protected:
    ~QrDDFormatSource() = default;
};
