#include "SoftwareRasterizer.h"

#include "RasterPrimitives.h"
#include "RasterVertex.h"

#include <algorithm>
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
    m_spanDraws += m_setup.span && call.primitive != PrimitiveType::LineList && !m_setup.wireframe ? 1 : 0;
    const uint32_t count = call.indices ? call.indexCount : call.vertexCount;
    // Indexed vertices are converted once per draw: a slot is valid while its stamp is this
    // draw's.
    if (++m_stamp == 0)
    {
        std::fill(m_stamps.begin(), m_stamps.end(), 0u);
        m_stamp = 1;
    }
    if (call.indices && m_stamps.size() < call.vertexCount)
    {
        m_stamps.resize(call.vertexCount, 0u);
        m_loaded.resize(call.vertexCount);
    }
    // The vertex at position n of the call, or null when it cannot be drawn; plain draws
    // convert into scratch.
    auto load = [&](uint32_t n, RasterVertex& scratch) -> const RasterVertex*
    {
        if (!call.indices)
            return LoadVertex(call, m_setup.perspective, n, scratch) ? &scratch : nullptr;
        const uint32_t i = call.indices[n];
        if (i >= call.vertexCount)
            return nullptr;
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
    m_keep = m_threads && !m_setup.wireframe;
    if (m_keep)
    {
        m_kept.clear();
        m_copies.clear();
        // The tiles on a grid fixed to the target, those the clip rectangle reaches.
        const Rect& clip = m_setup.clip;
        m_tileLeft = clip.left / kTileWidth;
        m_tileTop = clip.top / kTileHeight;
        m_tileColumns = (clip.right - 1) / kTileWidth - m_tileLeft + 1;
        const int32_t tileRows = (clip.bottom - 1) / kTileHeight - m_tileTop + 1;
        m_tiles.resize(static_cast<size_t>(m_tileColumns) * static_cast<size_t>(tileRows));
        for (std::vector<uint32_t>& tile : m_tiles)
            tile.clear();
    }
    for (uint32_t n = 0; n + 2 < count; n += 3)
    {
        const RasterVertex* v0 = load(n, scratch[0]);
        const RasterVertex* v1 = v0 ? load(n + 1, scratch[1]) : nullptr;
        const RasterVertex* v2 = v1 ? load(n + 2, scratch[2]) : nullptr;
        if (v2)
            Triangle(*v0, *v1, *v2);
    }
    if (m_keep)
        DrawTiles();
}

void SoftwareRasterizer::SetThreads(uint32_t count)
{
    count = std::clamp<uint32_t>(count, 1, 64);
    if (count == 1)
    {
        m_threads.reset();
        return;
    }
    if (!m_threads || m_threads->Count() != count)
        m_threads = std::make_unique<RasterThreads>(count);
    while (m_tileBatches.size() < count)
        m_tileBatches.push_back(std::make_unique<PixelBatch>());
}

void SoftwareRasterizer::Fill(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2)
{
    if (!m_keep)
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
    // The draw's converted vertices stay put until it ends; others (plain draws' scratch,
    // flat-shaded and clipped ones) are copied.
    auto keep = [this](const RasterVertex& v)
    {
        const std::less<const RasterVertex*> less;
        const RasterVertex* front = m_loaded.empty() ? nullptr : &m_loaded.front().vertex;
        const RasterVertex* back = m_loaded.empty() ? nullptr : &m_loaded.back().vertex;
        if (front && !less(&v, front) && !less(back, &v))
            return &v;
        m_copies.push_back(v);
        return static_cast<const RasterVertex*>(&m_copies.back());
    };
    const uint32_t index = static_cast<uint32_t>(m_kept.size() / 3);
    m_kept.push_back(keep(v0));
    m_kept.push_back(keep(v1));
    m_kept.push_back(keep(v2));
    for (int32_t row = top / kTileHeight; row <= bottom / kTileHeight; ++row)
        for (int32_t column = left / kTileWidth; column <= right / kTileWidth; ++column)
            m_tiles[static_cast<size_t>((row - m_tileTop) * m_tileColumns + column - m_tileLeft)].push_back(index);
}

void SoftwareRasterizer::DrawTiles()
{
    const uint32_t count = m_threads->Count();
    m_tileSetups.assign(count, m_setup);
    const int32_t tiles = static_cast<int32_t>(m_tiles.size());
    const std::function<void(uint32_t)> job = [&](uint32_t worker)
    {
        RasterSetup& setup = m_tileSetups[worker];
        PixelBatch& batch = *m_tileBatches[worker];
        const Rect& clip = m_setup.clip;
        // Fixed tiles dealt round: which thread draws a tile changes nothing in its pixels.
        for (int32_t t = static_cast<int32_t>(worker); t < tiles; t += static_cast<int32_t>(count))
        {
            const int32_t column = m_tileLeft + t % m_tileColumns;
            const int32_t row = m_tileTop + t / m_tileColumns;
            setup.clip.left = std::max(column * kTileWidth, clip.left);
            setup.clip.right = std::min((column + 1) * kTileWidth, clip.right);
            setup.clip.top = std::max(row * kTileHeight, clip.top);
            setup.clip.bottom = std::min((row + 1) * kTileHeight, clip.bottom);
            for (uint32_t k : m_tiles[static_cast<size_t>(t)])
                DrawTriangle(setup, batch, *m_kept[3 * k], *m_kept[3 * k + 1], *m_kept[3 * k + 2]);
        }
    };
    m_threads->Run(job);
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
        Shaded(v0, f1, f2);
        return;
    }
    Shaded(v0, v1, v2);
}

void SoftwareRasterizer::Shaded(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2)
{
    if (m_setup.wireframe)
    {
        DrawLine(m_setup, m_batch, v0, v1);
        DrawLine(m_setup, m_batch, v1, v2);
        DrawLine(m_setup, m_batch, v2, v0);
        return;
    }
    if (WithinGuardBand(v0) && WithinGuardBand(v1) && WithinGuardBand(v2))
        Fill(v0, v1, v2);
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
        Fill(polygon[from][0], polygon[from][i], polygon[from][i + 1]);
}

} // namespace plat
