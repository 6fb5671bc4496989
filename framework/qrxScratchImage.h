#pragma once
// Base of every 2D overlay drawer (text, outlines, gauges, the video): all of them draw through
// one shared 24-bit scratch image that the renderer keeps on a surface. A drawer opens a canvas
// on the surface big enough for its area, draws at the origin on black, closes it and blits the
// used corner to its screen position colour-keyed on black, so the scene shows through. The
// state is program-wide; one canvas is open at a time. Main thread only.

#include "QrImage.h"
#include "QrPointer.h"

#include <cstdint>

class QrRender;

namespace plat
{
class Canvas;
class Display;
class Surface;
} // namespace plat

class qrxScratchImage
{
public:
    qrxScratchImage() = default;
    virtual ~qrxScratchImage() = default;

    // Holds a reference to the renderer every drawer uses.
    static void SetRenderer(QrRender* renderer);
    static QrRender* GetRenderer();
    // Releases the shared image and the renderer (shut-down, renderer change).
    static void ReleaseRenderer();
    // Rebuilds the shared image at exactly this size when either side is larger than cached.
    static void PrepareImage(int32_t width, int32_t height);
    // Null without a renderer or a surface.
    static plat::Surface* GetSurface(int32_t width, int32_t height);
    static plat::Display* GetDirectDraw(int32_t width, int32_t height);
    // A canvas on the scratch surface; the one already open when there is one (its size is not
    // checked again). Null without a renderer or surface.
    static plat::Canvas* BeginDraw(int32_t width, int32_t height);
    static void EndDraw();
    static QrImage* GetSharedImage();
    static int32_t GetCachedWidth();
    static int32_t GetCachedHeight();

protected:
    // After drawing: closes the canvas, has the renderer take the new pixels and blits the
    // drawn corner, colour-keyed, to (x, y). False without a renderer or image.
    static bool FinishDraw(int32_t width, int32_t height, int32_t x, int32_t y);
};
