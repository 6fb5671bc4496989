#pragma once
// The pixel pipeline of the software rasterizer: depth test, colours, texture stages,
// specular, fog, blending and the writes, each stage one loop over a batch of pixels of one
// primitive, with the draw's choices made once per stage rather than per pixel.

#include "PixelBatch.h"
#include "RasterSetup.h"

namespace plat
{

// Shades and writes the batch's pixels; the batch is used up (count is 0 afterwards).
void ShadeBatch(const RasterSetup& setup, const AttributePlanes& planes, PixelBatch& batch);

} // namespace plat
