#pragma once
// The rasterizer behind every 3D device: draws indexed or plain triangle and line lists of
// pre-transformed, pre-lit vertices into an RGB565 target with an optional depth buffer,
// honouring the device's render and texture-stage states. Single-threaded and the same to
// the bit on every machine (and whatever the number of threads). Filled triangles take the span loops (SpanShader.h)
// when their states allow, the batch pipeline (PixelPipeline.h) otherwise; lines always the latter.
//
// Leaves out: alpha test, stippling, antialiasing and texture-coordinate wrapping
// across the seam (those states are accepted and ignored); range fog and the light-state fog,
// which pre-transformed vertices carry themselves.

#include "PixelBatch.h"
#include "RasterSetup.h"
#include "RasterThreads.h"
#include "RasterVertex.h"
#include "Rasterizer.h"

#include <deque>
#include <memory>
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

    // Threads that fill triangles (1, the default, draws on the caller's thread only). With
    // more, a draw's filled triangles are set up first and then drawn in tiles of kTileWidth x
    // kTileHeight pixels on a grid fixed to the target, each tile by one thread, every
    // tile's triangles in their order: the pixels are the same as on one thread. Lines and
    // wireframe stay on the caller's thread.
    void SetThreads(uint32_t count);
    // Tiles start on even columns, so that no 32-bit word of the target spans two.
    static constexpr int32_t kTileWidth = 64;
    static constexpr int32_t kTileHeight = 32;

private:
    void Triangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // A triangle after culling and flat shading: its edges, or its inside within the guard band.
    void Shaded(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // Cuts a triangle reaching beyond the guard band down to it and draws the pieces.
    void ClippedTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // A triangle within the guard band: drawn now, or kept for the tiles.
    void Fill(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // Draws the kept triangles tile by tile over the threads.
    void DrawTiles();

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

    // The tiled path: the threads, each one's setup and batch, the kept triangles' vertices
    // (three each, with the copies some need), each tile's triangles and the tiles' place.
    std::unique_ptr<RasterThreads> m_threads;
    bool m_keep = false;
    std::vector<RasterSetup> m_tileSetups;
    std::vector<std::unique_ptr<PixelBatch>> m_tileBatches;
    std::vector<const RasterVertex*> m_kept;
    std::deque<RasterVertex> m_copies;
    std::vector<std::vector<uint32_t>> m_tiles;
    int32_t m_tileLeft = 0; // the first tile's column and row on the grid
    int32_t m_tileTop = 0;
    int32_t m_tileColumns = 1;
};

} // namespace plat
