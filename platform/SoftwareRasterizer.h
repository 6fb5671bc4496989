#pragma once
// The rasterizer behind every 3D device: draws indexed or plain triangle and line lists of
// pre-transformed, pre-lit vertices into an RGB565 target with an optional depth buffer,
// honouring the device's render and texture-stage states. Single-threaded and the same to
// the bit on every machine.
//
// Leaves out: alpha test, stippling, antialiasing and texture-coordinate wrapping
// across the seam (those states are accepted and ignored); range fog and the light-state fog,
// which pre-transformed vertices carry themselves.

#include "PixelBatch.h"
#include "RasterSetup.h"
#include "Rasterizer.h"

namespace plat
{

struct RasterVertex;

class SoftwareRasterizer : public Rasterizer
{
public:
    void Draw(const DrawCall& call) override;

private:
    void Triangle(RasterVertex v0, RasterVertex v1, RasterVertex v2);
    // Cuts a triangle reaching beyond the guard band down to it and draws the pieces.
    void ClippedTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);

    // Rebuilt by every draw; members only to keep them off the stack.
    RasterSetup m_setup;
    PixelBatch m_batch;
};

} // namespace plat
