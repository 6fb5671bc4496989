#pragma once
// The rasterizer behind every 3D device: draws indexed or plain triangle and line lists of
// pre-transformed, pre-lit vertices into an RGB565 target with an optional depth buffer,
// honouring the device's render and texture-stage states. The same to the bit on every
// machine and whatever the number of threads (see SetThreads). Filled triangles take the span
// loops (SpanShader.h) when their states allow, the batch pipeline (PixelPipeline.h)
// otherwise; lines always the latter.
//
// Leaves out: alpha test, stippling, antialiasing and texture-coordinate wrapping
// across the seam (those states are accepted and ignored); range fog and the light-state fog,
// which pre-transformed vertices carry themselves.

#include "PixelBatch.h"
#include "RasterSetup.h"
#include "RasterThreads.h"
#include "RasterVertex.h"
#include "Rasterizer.h"

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
    // Draws what is held; nothing to do on one thread. Work still held when the rasterizer
    // goes is dropped: its owner flushes while the targets and textures live.
    void Flush() override;
    // The pixel path this machine takes and the number of threads.
    std::string Describe() const override;

    // Draws whose triangles went through the span loops (the rest took the batch pipeline).
    uint64_t SpanDraws() const { return m_spanDraws; }

    // Threads that fill triangles (1, the default, draws on the caller's thread only, at
    // once). With more, the filled triangles of successive draws are held, their set-up and
    // vertices copied, and binned into tiles of kTileWidth x kTileHeight pixels on a grid fixed
    // to the target; Flush draws each tile on one thread, its triangles in their order: the
    // pixels are the same as on one thread. Lines and wireframe stay on the caller's thread,
    // after what is held. Changing the count draws what is held first.
    void SetThreads(uint32_t count);
    // Tiles start on even columns, so that no 32-bit word of the target spans two.
    static constexpr int32_t kTileWidth = 64;
    static constexpr int32_t kTileHeight = 32;
    // Held work beyond this is drawn at the end of the draw that passed it, so that memory
    // stays bounded (this plus one draw's).
    static constexpr size_t kMaxHeldBytes = size_t{32} << 20;

private:
    // Vertices of held triangles: chunks that stay put as more are added, kept between
    // flushes.
    class VertexArena
    {
    public:
        // The next slot, added by Commit.
        RasterVertex& Next()
        {
            const size_t chunk = m_used / kChunk;
            if (chunk == m_chunks.size())
                m_chunks.push_back(std::make_unique<RasterVertex[]>(kChunk));
            return m_chunks[chunk][m_used % kChunk];
        }
        const RasterVertex* Commit()
        {
            const size_t i = m_used++;
            return &m_chunks[i / kChunk][i % kChunk];
        }
        const RasterVertex* Add(const RasterVertex& v)
        {
            Next() = v;
            return Commit();
        }
        size_t Size() const { return m_used; }
        void Clear() { m_used = 0; }

    private:
        static constexpr size_t kChunk = 4096;
        std::vector<std::unique_ptr<RasterVertex[]>> m_chunks;
        size_t m_used = 0;
    };

    struct HeldTriangle
    {
        const RasterVertex* v[3];
        uint32_t draw; // index of its set-up
    };

    // The draw's lines or triangles, held or drawn now.
    template <bool kHold> void Primitives(const DrawCall& call);
    void Triangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // A triangle after culling and flat shading: its edges, or its inside within the guard
    // band. copies: bit k set when vertex k is a temporary that a held triangle must copy.
    void Shaded(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2, uint32_t copies);
    // Cuts a triangle reaching beyond the guard band down to it and draws the pieces.
    void ClippedTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // A triangle within the guard band: drawn now, or held in the tiles it may reach.
    void Fill(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2, uint32_t copies);
    // Starts holding this draw's triangles: the grid covers its clip, its set-up is copied.
    void HoldDraw();
    // What the held set-ups, triangles, vertices and tile entries take.
    size_t HeldBytes() const;
    // One tile's held triangles in their order, with the thread's setup and batch.
    void DrawHeldTile(uint32_t tile, RasterSetup& setup, PixelBatch& batch) const;

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

    // The held path: the threads with each one's setup and batch; the held draws' set-ups
    // (the first m_heldDraws), triangles and vertices (by index, null for one that cannot be
    // drawn, while held); each tile's triangles on a grid from the target's top-left corner,
    // and the tiles that have any.
    std::unique_ptr<RasterThreads> m_threads;
    bool m_hold = false;
    std::vector<RasterSetup> m_tileSetups;
    std::vector<std::unique_ptr<PixelBatch>> m_tileBatches;
    std::vector<RasterSetup> m_heldSetups;
    uint32_t m_heldDraws = 0;
    std::vector<HeldTriangle> m_heldTriangles;
    VertexArena m_heldVertices;
    std::vector<const RasterVertex*> m_heldSlots;
    std::vector<std::vector<uint32_t>> m_tiles;
    std::vector<uint32_t> m_busyTiles;
    size_t m_heldEntries = 0; // in all tiles
    int32_t m_gridColumns = 0;
    int32_t m_gridRows = 0;
};

} // namespace plat
