#pragma once
// Scan conversion of the software rasterizer: which pixels a triangle or a line covers, and
// the attribute planes the pixel pipeline evaluates for them. Pixel centres sit on integer
// coordinates; a triangle owns the pixels on its top and left edges only, so that triangles
// sharing an edge never both draw a pixel and never leave one out.

#include "PixelBatch.h"
#include "RasterSetup.h"
#include "RasterVertex.h"

namespace plat
{

// Triangles must lie within +-kGuardBand pixels on both axes (larger ones are clipped to it
// first) so that fixed-point edge arithmetic cannot overflow.
constexpr float kGuardBand = 8192.0f;

// Either winding; a triangle without area after snapping to 1/256 pixel draws nothing.
void DrawTriangle(const RasterSetup& setup, PixelBatch& batch, const RasterVertex& v0, const RasterVertex& v1,
                  const RasterVertex& v2);

// Half-open: the pixel of the end point is left to the next line. Any finite coordinates.
void DrawLine(const RasterSetup& setup, PixelBatch& batch, const RasterVertex& a, const RasterVertex& b);

} // namespace plat
