#pragma once
// The rasterizer behind every 3D device: draws indexed or plain triangle and line lists of
// pre-transformed, pre-lit vertices into an RGB565 target with an optional depth buffer,
// honouring the device's render and texture-stage states. Single-threaded and the same to
// the bit on every machine. Filled triangles take the span loops (SpanShader.h) when their
// states allow, the batch pipeline (PixelPipeline.h) otherwise; lines always the latter.
//
// Leaves out: alpha test, stippling, antialiasing and texture-coordinate wrapping
// across the seam (those states are accepted and ignored); range fog and the light-state fog,
// which pre-transformed vertices carry themselves.

#include "PixelBatch.h"
#include "RasterSetup.h"
#include "RasterVertex.h"
#include "Rasterizer.h"

#include <vector>

namespace plat
{

class SoftwareRasterizer : public Rasterizer
{
public:
    // path chooses the pixel loops (tests compare them); a path the machine lacks draws with
    // the reference.
    explicit SoftwareRasterizer(RasterPath path = RasterPath::Best) { m_setup.path = path; }

    void Draw(const DrawCall& call) override;

    // Draws whose triangles went through the span loops (the rest took the batch pipeline).
    uint64_t SpanDraws() const { return m_spanDraws; }

private:
    void Triangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // A triangle after culling and flat shading: its edges, or its inside within the guard band.
    void Shaded(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // Cuts a triangle reaching beyond the guard band down to it and draws the pieces.
    void ClippedTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);

    // Rebuilt by every draw; members only to keep them off the stack.
    RasterSetup m_setup;
    PixelBatch m_batch;
    uint64_t m_spanDraws = 0;
    // The draw's vertices in the rasterizer's form, by index.
    struct Loaded
    {
        RasterVertex vertex;
        bool valid = false;
    };
    std::vector<Loaded> m_loaded;
    std::vector<uint32_t> m_stamps;
    uint32_t m_stamp = 0;
};

} // namespace plat
