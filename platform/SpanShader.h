#pragma once
// The span loops of the software rasterizer: the whole pixel pipeline fused into one pass over
// runs of up to eight pixels of one row, on contiguous depth and colour, for the draws whose
// states they cover (16-bit or no depth, at most one plain texture stage on an RGB565 texture
// without colour key). The batch pipeline, the reference, draws everything else. Compiled
// once per instruction set and chosen at run time; every path gives the reference's pixels.

#include <cstdint>

namespace plat
{

struct RasterSetup;
struct AttributePlanes;

enum class RasterPath : uint8_t
{
    Best,      // the fastest this machine runs
    Reference, // the batch pipeline only
    Baseline,  // span loops for the build's base instruction set
    Avx2,      // span loops for AVX2
};

// The pixels lo..hi of row y.
struct Span
{
    int32_t y;
    int32_t lo;
    int32_t hi;
};

// Shades count spans of one triangle.
using SpanFunction = void (*)(const RasterSetup& setup, const AttributePlanes& planes, const Span* spans,
                              uint32_t count);

// Whether this build and machine can run the path.
bool RasterPathAvailable(RasterPath path);

// The path draws take here: Best made concrete, one the machine cannot run the reference.
RasterPath EffectivePath(RasterPath path);

// Sets setup.span to the path's span loop when the draw's states allow it, else null.
void ChooseSpanFunction(RasterSetup& setup, RasterPath path);

} // namespace plat
