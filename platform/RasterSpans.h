#pragma once
// The pixel kernels of the software rasterizer: one run of pixels on a row, shaded with the
// draw's state. A kernel is chosen once per draw from a few features compiled into it
// (depth test, depth write, texture stages, blending); the rest are flags read per span.

#include "RasterSetup.h"
#include "RasterVertex.h"

#include <cstdint>

namespace plat
{

struct Span
{
    int32_t y = 0;
    int32_t x0 = 0;               // first pixel
    int32_t x1 = 0;               // one past the last
    const float* start = nullptr; // attributes at (x0, y)
    const float* dx = nullptr;    // change per pixel along the row
    const float* dy = nullptr;    // change per row, for the texture level of detail
    double z0 = 0.0;              // stored depth at (x0, y), bias applied
    double dz = 0.0;              // per pixel
};

using SpanKernel = void (*)(const RasterSetup& setup, const Span& span);

SpanKernel ChooseSpanKernel(const RasterSetup& setup);

} // namespace plat
