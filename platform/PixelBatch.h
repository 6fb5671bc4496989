#pragma once
// The unit of work of the software rasterizer's pixel pipeline: up to kBatchSize pixels of one
// primitive, with their attributes given by planes over the primitive, and the
// structure-of-arrays working storage each pipeline stage fills for all of them at once.

#include "DeviceState.h"
#include "RasterVertex.h"

#include <cstdint>

namespace plat
{

constexpr uint32_t kBatchSize = 128;

// Attribute i of a pixel at (fx, fy) from the primitive's origin: base + gx fx + gy fy.
struct AttributePlanes
{
    float originX = 0.0f;
    float originY = 0.0f;
    float base[kAttrStride] = {};
    float gx[kAttrStride] = {};
    float gy[kAttrStride] = {};
    // Depth in the buffer's stored units, bias applied.
    double z0 = 0.0;
    double zx = 0.0;
    double zy = 0.0;
};

// Colours of a batch, one array per channel, each value 0..255.
struct PixelChannels
{
    uint16_t r[kBatchSize];
    uint16_t g[kBatchSize];
    uint16_t b[kBatchSize];
    uint16_t a[kBatchSize];
};

struct PixelBatch
{
    // The current triangle's planes: kept here so that a triangle sets only the groups of
    // attributes its pixels read, not the whole set.
    AttributePlanes planes;
    uint32_t count = 0;
    int32_t x[kBatchSize];
    int32_t y[kBatchSize];
    float fx[kBatchSize]; // offsets from the planes' origin
    float fy[kBatchSize];
    uint32_t z[kBatchSize];
    float invW[kBatchSize];
    float u[kBatchSize];
    float v[kBatchSize];
    float lod[kBatchSize];
    uint8_t keep[kBatchSize]; // 0 once a colour key has removed the pixel
    PixelChannels diffuse;
    PixelChannels color; // the pixel's colour as it goes down the pipeline
    PixelChannels scratch[2];
    PixelChannels texels[kMaxTextureStages];

    // n pixels along a row from (px, py).
    void AddRun(int32_t px, int32_t py, uint32_t n)
    {
        for (uint32_t k = 0; k < n; ++k)
        {
            x[count + k] = px + static_cast<int32_t>(k);
            y[count + k] = py;
        }
        count += n;
    }

    void Add(int32_t px, int32_t py)
    {
        x[count] = px;
        y[count] = py;
        ++count;
    }
};

} // namespace plat
