#include "SoftwareRasterizer.h"

#include "RasterPrimitives.h"
#include "RasterVertex.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>

namespace plat
{
namespace
{

// Reads vertex i of the call into the rasterizer's form; false for a vertex that cannot be
// drawn (behind the eye, or not a number).
bool LoadVertex(const DrawCall& call, bool perspective, uint32_t i, RasterVertex& out)
{
    TlVertex2 v{};
    const uint32_t stride = VertexStride(call.format);
    std::memcpy(&v, call.vertices + static_cast<size_t>(i) * stride, stride);
    if (call.format != VertexFormat::TlTex2)
    {
        v.tu1 = v.tu;
        v.tv1 = v.tv;
    }
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z) || !std::isfinite(v.rhw) || !(v.rhw > 0.0f))
        return false;
    out.x = v.x;
    out.y = v.y;
    float* a = out.attr;
    a[kAttrZ] = v.z;
    a[kAttrW] = v.rhw;
    a[kAttrDiffuseR] = static_cast<float>((v.diffuse >> 16) & 0xFF);
    a[kAttrDiffuseG] = static_cast<float>((v.diffuse >> 8) & 0xFF);
    a[kAttrDiffuseB] = static_cast<float>(v.diffuse & 0xFF);
    a[kAttrDiffuseA] = static_cast<float>(v.diffuse >> 24);
    a[kAttrSpecularR] = static_cast<float>((v.specular >> 16) & 0xFF);
    a[kAttrSpecularG] = static_cast<float>((v.specular >> 8) & 0xFF);
    a[kAttrSpecularB] = static_cast<float>(v.specular & 0xFF);
    a[kAttrFog] = static_cast<float>(v.specular >> 24);
    // Perspective-correct coordinates interpolate u/w and v/w; the pixel divides by 1/w.
    const float scale = perspective ? v.rhw : 1.0f;
    a[kAttrU0] = v.tu * scale;
    a[kAttrV0] = v.tv * scale;
    a[kAttrU1] = v.tu1 * scale;
    a[kAttrV1] = v.tv1 * scale;
    return true;
}

// Flat shading: the first vertex's diffuse and specular colours for another vertex (fog
// still varies).
void ShadeFlat(const RasterVertex& first, RasterVertex& other)
{
    for (uint32_t i = kAttrDiffuseR; i <= kAttrSpecularB; ++i)
        other.attr[i] = first.attr[i];
}

bool WithinGuardBand(const RasterVertex& v)
{
    return std::fabs(v.x) <= kGuardBand && std::fabs(v.y) <= kGuardBand;
}

// Signed distance inside one side of the guard band: 0 left, 1 right, 2 top, 3 bottom.
float Inside(const RasterVertex& v, int side)
{
    switch (side)
    {
    case 0:
        return v.x + kGuardBand;
    case 1:
        return kGuardBand - v.x;
    case 2:
        return v.y + kGuardBand;
    default:
        return kGuardBand - v.y;
    }
}

// The point where the edge from an inside vertex to an outside one leaves the band. Always
// computed from the inside end so that two triangles sharing the edge get the same point.
RasterVertex Cut(const RasterVertex& in, const RasterVertex& out, int side)
{
    const double di = Inside(in, side);
    const double dout = Inside(out, side);
    const double t = di / (di - dout);
    RasterVertex r;
    r.x = static_cast<float>(in.x + (static_cast<double>(out.x) - in.x) * t);
    r.y = static_cast<float>(in.y + (static_cast<double>(out.y) - in.y) * t);
    for (uint32_t i = 0; i < kAttrCount; ++i)
        r.attr[i] = static_cast<float>(in.attr[i] + (static_cast<double>(out.attr[i]) - in.attr[i]) * t);
    const float edge = side == 0 || side == 2 ? -kGuardBand : kGuardBand;
    (side < 2 ? r.x : r.y) = edge;
    return r;
}

} // namespace

void SoftwareRasterizer::Draw(const DrawCall& call)
{
    if (!call.state || !call.vertices || !m_setup.Prepare(call))
        return;
    const bool lines = call.primitive == PrimitiveType::LineList || m_setup.wireframe;
    m_spanDraws += m_setup.span && !lines ? 1 : 0;
    // Lines are drawn here and now, so whatever is held goes first.
    if (m_threads && lines)
        Flush();
    m_hold = m_threads && !lines;
    if (m_hold)
        HoldDraw();
    // Indexed vertices are converted once per draw: a slot is valid while its stamp is this
    // draw's.
    if (++m_stamp == 0)
    {
        std::fill(m_stamps.begin(), m_stamps.end(), 0u);
        m_stamp = 1;
    }
    if (call.indices && m_stamps.size() < call.vertexCount)
        m_stamps.resize(call.vertexCount, 0u);
    if (m_hold)
        Primitives<true>(call);
    else
        Primitives<false>(call);
    if (m_hold && HeldBytes() >= kMaxHeldBytes)
        Flush();
}

template <bool kHold> void SoftwareRasterizer::Primitives(const DrawCall& call)
{
    const uint32_t count = call.indices ? call.indexCount : call.vertexCount;
    if (call.indices && !kHold && m_loaded.size() < call.vertexCount)
        m_loaded.resize(call.vertexCount);
    if (call.indices && kHold && m_heldSlots.size() < call.vertexCount)
        m_heldSlots.resize(call.vertexCount);
    // The vertex at position n of the call, or null when it cannot be drawn; plain draws
    // convert into scratch, held ones straight into the held vertices.
    auto load = [&](uint32_t n, RasterVertex& scratch) -> const RasterVertex*
    {
        if (!call.indices)
        {
            RasterVertex& out = kHold ? m_heldVertices.Next() : scratch;
            if (!LoadVertex(call, m_setup.perspective, n, out))
                return nullptr;
            return kHold ? m_heldVertices.Commit() : &out;
        }
        const uint32_t i = call.indices[n];
        if (i >= call.vertexCount)
            return nullptr;
        if constexpr (kHold)
        {
            if (m_stamps[i] != m_stamp)
            {
                m_stamps[i] = m_stamp;
                RasterVertex& out = m_heldVertices.Next();
                m_heldSlots[i] = LoadVertex(call, m_setup.perspective, i, out) ? m_heldVertices.Commit() : nullptr;
            }
            return m_heldSlots[i];
        }
        Loaded& slot = m_loaded[i];
        if (m_stamps[i] != m_stamp)
        {
            m_stamps[i] = m_stamp;
            slot.valid = LoadVertex(call, m_setup.perspective, i, slot.vertex);
        }
        return slot.valid ? &slot.vertex : nullptr;
    };
    RasterVertex scratch[3];
    if (call.primitive == PrimitiveType::LineList)
    {
        for (uint32_t n = 0; n + 1 < count; n += 2)
        {
            const RasterVertex* a = load(n, scratch[0]);
            const RasterVertex* b = a ? load(n + 1, scratch[1]) : nullptr;
            if (!b)
                continue;
            RasterVertex second = *b;
            if (m_setup.flat)
                ShadeFlat(*a, second);
            DrawLine(m_setup, m_batch, *a, second);
        }
        return;
    }
    for (uint32_t n = 0; n + 2 < count; n += 3)
    {
        const RasterVertex* v0 = load(n, scratch[0]);
        const RasterVertex* v1 = v0 ? load(n + 1, scratch[1]) : nullptr;
        const RasterVertex* v2 = v1 ? load(n + 2, scratch[2]) : nullptr;
        if (v2)
            Triangle(*v0, *v1, *v2);
    }
}

std::string SoftwareRasterizer::Describe() const
{
    const char* pixels = "the reference pipeline only";
    switch (EffectivePath(m_setup.path))
    {
    case RasterPath::Avx2:
        pixels = "span loops for AVX2";
        break;
    case RasterPath::Baseline:
        pixels = "span loops for the base instruction set";
        break;
    default:
        break;
    }
    const uint32_t threads = m_threads ? m_threads->Count() : 1;
    return std::string("software rasterizer, ") + pixels + ", " + std::to_string(threads) +
           (threads == 1 ? " thread" : " threads");
}

void SoftwareRasterizer::SetThreads(uint32_t count)
{
    count = std::clamp<uint32_t>(count, 1, 64);
    Flush();
    if (count == 1)
    {
        m_threads.reset();
        return;
    }
    if (!m_threads || m_threads->Count() != count)
        m_threads = std::make_unique<RasterThreads>(count);
    while (m_tileBatches.size() < count)
        m_tileBatches.push_back(std::make_unique<PixelBatch>());
    m_tileSetups.resize(count);
}

void SoftwareRasterizer::HoldDraw()
{
    // The grid grows to the largest clip seen, drawing what is held on the old one first.
    const Rect& clip = m_setup.clip;
    const int32_t columns = (clip.right + kTileWidth - 1) / kTileWidth;
    const int32_t rows = (clip.bottom + kTileHeight - 1) / kTileHeight;
    if (columns > m_gridColumns || rows > m_gridRows)
    {
        Flush();
        m_gridColumns = std::max(columns, m_gridColumns);
        m_gridRows = std::max(rows, m_gridRows);
        m_tiles.resize(static_cast<size_t>(m_gridColumns) * static_cast<size_t>(m_gridRows));
    }
    if (m_heldDraws == m_heldSetups.size())
        m_heldSetups.push_back(m_setup);
    else
        m_heldSetups[m_heldDraws] = m_setup;
    ++m_heldDraws;
}

void SoftwareRasterizer::Fill(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2, uint32_t copies)
{
    if (!m_hold)
    {
        DrawTriangle(m_setup, m_batch, v0, v1, v2);
        return;
    }
    // The tiles the triangle may reach (a pixel more each way: set-up decides exactly).
    const Rect& clip = m_setup.clip;
    const int32_t left = std::max(static_cast<int32_t>(std::floor(std::min({v0.x, v1.x, v2.x}))) - 1, clip.left);
    const int32_t right = std::min(static_cast<int32_t>(std::ceil(std::max({v0.x, v1.x, v2.x}))) + 1, clip.right - 1);
    const int32_t top = std::max(static_cast<int32_t>(std::floor(std::min({v0.y, v1.y, v2.y}))) - 1, clip.top);
    const int32_t bottom = std::min(static_cast<int32_t>(std::ceil(std::max({v0.y, v1.y, v2.y}))) + 1, clip.bottom - 1);
    if (left > right || top > bottom)
        return;
    HeldTriangle held{{&v0, &v1, &v2}, m_heldDraws - 1};
    for (uint32_t k = 0; k < 3; ++k)
    {
        if (copies & (1u << k))
            held.v[k] = m_heldVertices.Add(*held.v[k]);
    }
    const uint32_t index = static_cast<uint32_t>(m_heldTriangles.size());
    m_heldTriangles.push_back(held);
    for (int32_t row = top / kTileHeight; row <= bottom / kTileHeight; ++row)
        for (int32_t column = left / kTileWidth; column <= right / kTileWidth; ++column)
        {
            const uint32_t tile = static_cast<uint32_t>(row * m_gridColumns + column);
            if (m_tiles[tile].empty())
                m_busyTiles.push_back(tile);
            m_tiles[tile].push_back(index);
            ++m_heldEntries;
        }
}

void SoftwareRasterizer::Flush()
{
    if (!m_busyTiles.empty())
    {
        // Tiles go to whichever thread asks next: which thread draws a tile changes nothing in
        // its pixels, and no two threads write one tile.
        std::atomic<size_t> next{0};
        const std::function<void(uint32_t)> job = [&](uint32_t worker)
        {
            for (size_t i = next.fetch_add(1, std::memory_order_relaxed); i < m_busyTiles.size();
                 i = next.fetch_add(1, std::memory_order_relaxed))
                DrawHeldTile(m_busyTiles[i], m_tileSetups[worker], *m_tileBatches[worker]);
        };
        m_threads->Run(job);
        for (uint32_t tile : m_busyTiles)
            m_tiles[tile].clear();
        m_busyTiles.clear();
    }
    m_heldTriangles.clear();
    m_heldVertices.Clear();
    m_heldDraws = 0;
    m_heldEntries = 0;
}

size_t SoftwareRasterizer::HeldBytes() const
{
    return m_heldDraws * sizeof(RasterSetup) + m_heldTriangles.size() * sizeof(HeldTriangle) +
           m_heldVertices.Size() * sizeof(RasterVertex) + m_heldEntries * sizeof(uint32_t);
}

void SoftwareRasterizer::DrawHeldTile(uint32_t tile, RasterSetup& setup, PixelBatch& batch) const
{
    const int32_t left = static_cast<int32_t>(tile % static_cast<uint32_t>(m_gridColumns)) * kTileWidth;
    const int32_t top = static_cast<int32_t>(tile / static_cast<uint32_t>(m_gridColumns)) * kTileHeight;
    uint32_t draw = UINT32_MAX;
    for (uint32_t k : m_tiles[tile])
    {
        const HeldTriangle& t = m_heldTriangles[k];
        if (t.draw != draw)
        {
            draw = t.draw;
            setup = m_heldSetups[draw];
            setup.clip.left = std::max(left, setup.clip.left);
            setup.clip.right = std::min(left + kTileWidth, setup.clip.right);
            setup.clip.top = std::max(top, setup.clip.top);
            setup.clip.bottom = std::min(top + kTileHeight, setup.clip.bottom);
        }
        DrawTriangle(setup, batch, *t.v[0], *t.v[1], *t.v[2]);
    }
}

void SoftwareRasterizer::Triangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2)
{
    // Clockwise on screen (y down) has a positive area here.
    const double area = (static_cast<double>(v1.x) - v0.x) * (static_cast<double>(v2.y) - v0.y) -
                        (static_cast<double>(v1.y) - v0.y) * (static_cast<double>(v2.x) - v0.x);
    if (area == 0.0 || !std::isfinite(area))
        return;
    if ((m_setup.cull == CullMode::Clockwise && area > 0.0) ||
        (m_setup.cull == CullMode::CounterClockwise && area < 0.0))
        return;
    if (m_setup.flat)
    {
        // The other two vertices take the first one's colours: copies, as vertices are shared.
        RasterVertex f1 = v1;
        RasterVertex f2 = v2;
        ShadeFlat(v0, f1);
        ShadeFlat(v0, f2);
        Shaded(v0, f1, f2, 0b110);
        return;
    }
    Shaded(v0, v1, v2, 0);
}

void SoftwareRasterizer::Shaded(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2, uint32_t copies)
{
    if (m_setup.wireframe)
    {
        DrawLine(m_setup, m_batch, v0, v1);
        DrawLine(m_setup, m_batch, v1, v2);
        DrawLine(m_setup, m_batch, v2, v0);
        return;
    }
    if (WithinGuardBand(v0) && WithinGuardBand(v1) && WithinGuardBand(v2))
        Fill(v0, v1, v2, copies);
    else
        ClippedTriangle(v0, v1, v2);
}

void SoftwareRasterizer::ClippedTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2)
{
    // Each side adds at most one vertex: 3 + 4.
    RasterVertex polygon[2][8];
    uint32_t count = 3;
    polygon[0][0] = v0;
    polygon[0][1] = v1;
    polygon[0][2] = v2;
    int from = 0;
    for (int side = 0; side < 4 && count >= 3; ++side)
    {
        const RasterVertex* in = polygon[from];
        RasterVertex* out = polygon[1 - from];
        uint32_t n = 0;
        for (uint32_t i = 0; i < count; ++i)
        {
            const RasterVertex& p = in[i];
            const RasterVertex& q = in[(i + 1) % count];
            const bool pIn = Inside(p, side) >= 0.0f;
            const bool qIn = Inside(q, side) >= 0.0f;
            if (pIn)
                out[n++] = p;
            if (pIn && !qIn)
                out[n++] = Cut(p, q, side);
            else if (!pIn && qIn)
                out[n++] = Cut(q, p, side);
        }
        count = n;
        from = 1 - from;
    }
    for (uint32_t i = 1; i + 1 < count; ++i)
        Fill(polygon[from][0], polygon[from][i], polygon[from][i + 1], 0b111);
}

} // namespace plat
