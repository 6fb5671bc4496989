#include "tovTerrainSector.h"

#include "tovSectorData.h"

#include "QrAVInstance.h"
#include "QrCamera.h"

#include <algorithm>
#include <cmath>

QR_IMPLEMENT_RTTI(tovTerrainSector, QrNode)
QR_IMPLEMENT_CREATE(tovTerrainSector)

namespace
{

// Pages x along the lake's -x, y along its z and heights along its y: the rotation of
// a = 1.5708 about x after b = 3.1416 about y, in single precision as the game computes it.
QrMatrix3 SectorRotation()
{
    const float a = 1.5708f, b = 3.1416f;
    const float ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    return QrMatrix3(cb, sb * sa, -sb * ca, 0.0f, ca, sa, sb, -sa * cb, cb * ca);
}

} // namespace

tovTerrainSector::tovTerrainSector() = default;

tovTerrainSector::tovTerrainSector(float minElev, float maxElev, float span, float verticalScale,
                                   const std::array<tovSectorData*, 16>& tiles)
{
    // Pages built one after the other share one set of draw arrays.
    if (QrTerrainPage::GetSharedSize() != kPageSamples)
        QrTerrainPage::CreateSharedArrays(kPageSamples);
    const float pageSpan = kPageCells * span;
    for (int32_t p = 0; p < kPages; ++p)
        for (int32_t q = 0; q < kPages; ++q)
        {
            tovSectorData* tile = tiles[size_t(p * kPages + q)];
            QrTextureProperty* texture = tile ? tile->GetTexture() : nullptr;
            QrPointer<qrxTerrainPage> page(
                new qrxTerrainPage(kPageSamples, pageSpan * float(q), 3.0f * pageSpan - pageSpan * float(p), minElev,
                                   maxElev, span, tile ? tile->GetHeights() : nullptr, texture != nullptr));
            if (texture)
                page->AttachProperty(texture);
            AttachChild(page.Get());
            m_pages[size_t(p * kPages + q)] = page;
        }
    LinkPages();
    m_verticalScale = verticalScale;
    SetScale(verticalScale);
    GetRotate() = SectorRotation();
    UpdateAllInstances();
}

tovTerrainSector::~tovTerrainSector() = default;

void tovTerrainSector::LinkPages()
{
    const auto page = [this](int32_t p, int32_t q) -> QrTerrainPage*
    { return p < 0 || q < 0 || p >= kPages || q >= kPages ? nullptr : m_pages[size_t(p * kPages + q)].Get(); };
    for (int32_t p = 0; p < kPages; ++p)
        for (int32_t q = 0; q < kPages; ++q)
        {
            Neighbours& n = m_neighbours[size_t(p * kPages + q)];
            // Rows run towards smaller y: the next row lies along -y.
            n[QrTerrainPage::kNeighbourMinusY] = page(p + 1, q);
            n[QrTerrainPage::kNeighbourPlusX] = page(p, q + 1);
            n[QrTerrainPage::kNeighbourPlusY] = page(p - 1, q);
            n[QrTerrainPage::kNeighbourMinusX] = page(p, q - 1);
        }
    for (size_t k = 0; k < m_pages.size(); ++k)
    {
        const Neighbours& n = m_neighbours[k];
        if (n[QrTerrainPage::kNeighbourPlusX])
            m_pages[k]->LinkColumnEdge(n[QrTerrainPage::kNeighbourPlusX]);
        if (n[QrTerrainPage::kNeighbourPlusY])
            m_pages[k]->LinkRowEdge(n[QrTerrainPage::kNeighbourPlusY]);
    }
    for (size_t k = 0; k < m_pages.size(); ++k)
        m_pages[k]->ComputeNormals(m_neighbours[k].data(), nullptr);
}

qrxTerrainPage* tovTerrainSector::GetPage(int32_t row, int32_t column) const
{
    if (row < 0 || column < 0 || row >= kPages || column >= kPages)
        return nullptr;
    return m_pages[size_t(row * kPages + column)].Get();
}

void tovTerrainSector::UpdateLod(QrCamera* camera)
{
    if (!camera || !m_pages[0])
        return;
    // The error threshold follows the camera that draws: the tolerance is set before the camera
    // has its display (an infinite threshold, every page two flat triangles that rise over the
    // water near the shore), and a switch of camera or of near plane changes it.
    for (const QrPointer<qrxTerrainPage>& page : m_pages)
    {
        page->SetPixelTolerance(camera, page->GetPixelTolerance());
        page->ResetLOD();
    }
    // The eye in the pages' frame: the sector's world transform undone.
    const QrAVInstance* instance = GetCurrentInstance();
    const QrPoint3 offset = camera->GetWorldLocation() - instance->m_worldTranslate;
    const float scale = instance->m_worldScale != 0.0f ? instance->m_worldScale : 1.0f;
    const QrPoint3 eye = instance->m_worldRotate.Transpose().TimesPoint(offset) * (1.0f / scale);
    for (const QrPointer<qrxTerrainPage>& page : m_pages)
    {
        const bool visible = page->IsVisible(camera);
        if (visible)
            page->UpdateLOD(camera, eye);
        page->SetAppCulled(visible ? 0 : 1);
    }
}

void tovTerrainSector::SetTerrainError(QrCamera* camera, float tolerance)
{
    for (const QrPointer<qrxTerrainPage>& page : m_pages)
        if (page)
            page->SetPixelTolerance(camera, tolerance);
}

float tovTerrainSector::GetTerrainError() const
{
    return m_pages[0] ? m_pages[0]->GetPixelTolerance() : 0.0f;
}

float tovTerrainSector::GetHeight(float u, float v) const
{
    float x = u / m_verticalScale, y = v / m_verticalScale;
    for (const QrPointer<qrxTerrainPage>& page : m_pages)
        if (page && page->ContainsPoint(x, y))
            return page->GetHeight(x, y) * m_verticalScale;
    // Rounding can leave a point on a page border in neither page (and the far edges belong to
    // none): inside the sector, or a hair outside it, the nearest page's edge answers, not 0.
    const qrxTerrainPage* first = m_pages[0].Get();
    const float side = first ? kPageCells * first->GetSpacing() : 0.0f;
    const float margin = side * 1.0e-4f;
    if (!(side > 0.0f) || !std::isfinite(kPages * side) ||
        !(x >= -margin && y >= -margin && x <= kPages * side + margin && y <= kPages * side + margin))
        return 0.0f;
    const float last = float(kPages - 1);
    const int32_t q = int32_t(std::clamp(x / side, 0.0f, last));
    const int32_t p = kPages - 1 - int32_t(std::clamp(y / side, 0.0f, last));
    const qrxTerrainPage* page = GetPage(p, q);
    const float inside = side * (1.0f - 1.0e-5f);
    x = std::clamp(x, page->GetOriginX(), page->GetOriginX() + inside);
    y = std::clamp(y, page->GetOriginY(), page->GetOriginY() + inside);
    return page->GetHeight(x, y) * m_verticalScale;
}

void tovTerrainSector::BuildPageMeshes(QrLight* light, QrMaterialProperty* material)
{
    for (size_t k = 0; k < m_pages.size(); ++k)
        if (m_pages[k])
            m_pages[k]->LightVertices(light, material, m_neighbours[k].data());
}

void tovTerrainSector::SetTextureRepeat(float repeat)
{
    for (const QrPointer<qrxTerrainPage>& page : m_pages)
        if (page)
            page->SetTextureRepeat(repeat);
}

float tovTerrainSector::GetTextureRepeat() const
{
    return m_pages[0] ? m_pages[0]->GetTextureRepeat() : 1.0f;
}
