#pragma once
// Shared by the terrain page, level-of-detail and lighting tests: pages over height fields that
// the helpers keep alive, the sample 4 x 4 block linked as a lake sector links it, and (with the
// camera) a view on a recording renderer that runs the per-frame update of a set of pages.

#include "QrTestFixture.h"

#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrPointer.h"
#include "QrTerrainPage.h"
#include "RecordingRender.h"

#include "gen/GenTerrain.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace terraintest
{

using HeightFunction = std::function<uint16_t(int column, int row)>;

// A page together with the samples it borrows.
struct Page
{
    std::vector<uint16_t> heights;
    QrPointer<QrTerrainPage> page;

    QrTerrainPage* operator->() const { return page.Get(); }
    QrTerrainPage* Get() const { return page.Get(); }
};

inline std::vector<uint16_t> MakeHeights(uint16_t size, const HeightFunction& height)
{
    std::vector<uint16_t> heights(size_t(size) * size);
    for (int r = 0; r < size; ++r)
        for (int c = 0; c < size; ++c)
            heights[size_t(r) * size + c] = height(c, r);
    return heights;
}

// Heights 0 .. 65535 map to 0 .. 100 (65535 / 100 samples per unit); spacing 1 unless given.
inline Page MakePage(uint16_t size, const HeightFunction& height, float originX = 0.0f, float originY = 0.0f,
                     bool hasTextureCoords = true, float spacing = 1.0f, std::unique_ptr<QrPoint3[]> normals = nullptr,
                     std::unique_ptr<QrColorA[]> colors = nullptr)
{
    // The samples move with the vector's buffer, which the page keeps pointing at.
    Page page;
    page.heights = MakeHeights(size, height);
    page.page = new QrTerrainPage(size, originX, originY, 0.0f, 100.0f, spacing, page.heights.data(), hasTextureCoords,
                                  std::move(normals), std::move(colors));
    return page;
}

// The generator's block: page [p][q] at (128 q, 128 p), linked along every shared edge.
class Block
{
public:
    static constexpr int kPages = gen::kTerrainBlockPages;

    Block()
    {
        for (int p = 0; p < kPages; ++p)
            for (int q = 0; q < kPages; ++q)
            {
                m_heights[p][q] = gen::TerrainPageHeights(p, q);
                const float cells = float(gen::kTerrainPageSize - 1) * gen::kTerrainSpacing;
                m_pages[p][q] =
                    new QrTerrainPage(gen::kTerrainPageSize, cells * float(q), cells * float(p), gen::kTerrainMinHeight,
                                      gen::kTerrainMaxHeight, gen::kTerrainSpacing, m_heights[p][q].data(), true);
            }
        for (int p = 0; p < kPages; ++p)
            for (int q = 0; q < kPages; ++q)
            {
                if (q + 1 < kPages)
                    m_pages[p][q]->LinkColumnEdge(m_pages[p][q + 1].Get());
                if (p + 1 < kPages)
                    m_pages[p][q]->LinkRowEdge(m_pages[p + 1][q].Get());
            }
    }

    QrTerrainPage* At(int p, int q) const { return m_pages[p][q].Get(); }
    // -y, +x, +y, -x; null at the block's edge.
    std::array<QrTerrainPage*, 4> Neighbours(int p, int q) const
    {
        const auto at = [&](int pp, int qq) -> QrTerrainPage*
        { return pp >= 0 && pp < kPages && qq >= 0 && qq < kPages ? At(pp, qq) : nullptr; };
        return {at(p - 1, q), at(p, q + 1), at(p + 1, q), at(p, q - 1)};
    }
    std::vector<QrTerrainPage*> All() const
    {
        std::vector<QrTerrainPage*> all;
        for (int p = 0; p < kPages; ++p)
            for (int q = 0; q < kPages; ++q)
                all.push_back(At(p, q));
        return all;
    }

private:
    std::vector<uint16_t> m_heights[kPages][kPages];
    QrPointer<QrTerrainPage> m_pages[kPages][kPages];
};

// Triangles of a page's draw list as grid-vertex positions (x, y) rounded to whole cells of the
// given spacing, so that pages of one block can be compared in one frame of reference.
using GridPoint = std::pair<int, int>;
using GridTriangle = std::array<GridPoint, 3>;

inline std::vector<GridTriangle> DrawnTriangles(const QrTerrainPage& page, float spacing = 1.0f)
{
    std::vector<GridTriangle> triangles;
    const QrPoint3* positions = page.GetDrawPositions();
    const uint16_t* indices = page.GetDrawIndices();
    for (uint32_t t = 0; t < page.GetDrawTriangleCount(); ++t)
    {
        GridTriangle triangle;
        for (int k = 0; k < 3; ++k)
        {
            const QrPoint3& p = positions[indices[3 * t + k]];
            triangle[k] = {int(std::lround(p.x / spacing)), int(std::lround(p.y / spacing))};
        }
        triangles.push_back(triangle);
    }
    return triangles;
}

// Edges that pass through another drawn vertex: the cracks of a mesh. Empty when every edge
// ends at the vertices it meets.
inline std::vector<std::pair<GridPoint, GridPoint>> TJunctions(const std::vector<GridTriangle>& triangles)
{
    std::set<GridPoint> vertices;
    for (const GridTriangle& triangle : triangles)
        vertices.insert(triangle.begin(), triangle.end());
    std::vector<std::pair<GridPoint, GridPoint>> found;
    for (const GridTriangle& triangle : triangles)
        for (int k = 0; k < 3; ++k)
        {
            const GridPoint a = triangle[k], b = triangle[(k + 1) % 3];
            // Edges are axis-aligned or diagonal: step one cell along them.
            const int dx = b.first - a.first, dy = b.second - a.second;
            const int steps = std::max(std::abs(dx), std::abs(dy));
            for (int s = 1; s < steps; ++s)
            {
                const GridPoint inner{a.first + dx / steps * s, a.second + dy / steps * s};
                if (vertices.count(inner))
                {
                    found.push_back({a, b});
                    break;
                }
            }
        }
    return found;
}

// A camera with a 640 x 480 display on a recording renderer.
class View
{
public:
    explicit View(float nearDistance = 1.0f, float farDistance = 2000.0f)
        : m_render(new RecordingRender(640, 480)), m_display(new QrDisplay),
          m_camera(new QrCamera(nearDistance, farDistance))
    {
        m_render->SetLogArrays(false);
        m_display->SetRenderer(m_render.Get());
        m_camera->SetDisplay(m_display.Get());
    }

    // Eye and target in world space, z up.
    void LookFrom(const QrPoint3& eye, const QrPoint3& target)
    {
        m_camera->SetTranslate(eye.x, eye.y, eye.z);
        m_camera->UpdateAllInstances();
        m_camera->LookAt(target, QrPoint3(0.0f, 0.0f, 1.0f));
    }

    // One frame of the level-of-detail update as a lake sector runs it (pages at the world
    // origin), then each visible page's draw list is built. Returns the visible flags.
    std::vector<bool> UpdatePages(const std::vector<QrTerrainPage*>& pages)
    {
        for (QrTerrainPage* page : pages)
            page->ResetLOD();
        const QrPoint3 eye = m_camera->GetWorldLocation();
        std::vector<bool> visible;
        for (QrTerrainPage* page : pages)
        {
            const bool seen = page->IsVisible(m_camera.Get());
            if (seen)
                page->UpdateLOD(m_camera.Get(), eye);
            page->SetAppCulled(seen ? 0 : 1);
            visible.push_back(seen);
        }
        return visible;
    }

    QrCamera* Camera() const { return m_camera.Get(); }
    QrDisplay* Display() const { return m_display.Get(); }
    RecordingRender* Render() const { return m_render.Get(); }

private:
    QrPointer<RecordingRender> m_render;
    QrPointer<QrDisplay> m_display;
    QrPointer<QrCamera> m_camera;
};

// Refines a lone page completely: tolerance 0 from a camera high enough above its centre to see
// all of it.
inline void RefineFully(View& view, QrTerrainPage* page)
{
    const QrBound& bound = page->GetModelBound();
    const QrPoint3 center = bound.GetCenter();
    view.LookFrom(QrPoint3(center.x + 0.25f, center.y + 0.25f, center.z + 4.0f * bound.GetRadius()), center);
    page->SetPixelTolerance(view.Camera(), 0.0f);
    view.UpdatePages({page});
    page->PushState(view.Camera(), page->GetCurrentInstance());
}

// Heights of a bowl: second differences are non-zero along every axis and diagonal, so every
// vertex of every block has a non-zero error.
inline uint16_t Bowl(int c, int r)
{
    return uint16_t(c * c + r * r);
}

} // namespace terraintest
