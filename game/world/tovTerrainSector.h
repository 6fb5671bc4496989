#pragma once
// The terrain of the current sector: 4 x 4 pages of 129 x 129 samples built from the sector's
// tiles, their shared edges linked. Page [p][q] shows tile [p][q]; rows run towards smaller
// local y. The node's rotation and scale turn the pages' height axis into world y, so that the
// point at world (x, z) lies over sector-local (256 S - x, 256 S + z), S the lake's cell size.
// Built by the lake on each sector switch and held by it while current.

#include "qrxTerrainPage.h"

#include "QrNode.h"
#include "QrPointer.h"

#include <array>

class QrCamera;
class QrLight;
class QrMaterialProperty;
class tovSectorData;

class tovTerrainSector : public QrNode
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr int32_t kPages = 4;
    static constexpr uint16_t kPageSamples = 129;
    static constexpr float kPageCells = 128.0f;

    // A sector without pages (the class registry's).
    tovTerrainSector();
    // tiles: the sector's 16 tile records, row-major; each is loaded on first use.
    tovTerrainSector(float minElev, float maxElev, float span, float verticalScale,
                     const std::array<tovSectorData*, 16>& tiles);

    // Refines the pages the camera sees, with the error threshold of its frustum and display,
    // and app-culls the others.
    void UpdateLod(QrCamera* camera);
    void SetTerrainError(QrCamera* camera, float tolerance);
    // The first page's pixel tolerance; 0 without pages.
    float GetTerrainError() const;
    // Height in world units at sector-local (u, v) in world units; 0 outside every page.
    float GetHeight(float u, float v) const;
    // Pre-lights every page's vertex colours for one light.
    void BuildPageMeshes(QrLight* light, QrMaterialProperty* material);
    void SetTextureRepeat(float repeat);
    // The first page's; 1 without pages.
    float GetTextureRepeat() const;

    float GetVerticalScale() const { return m_verticalScale; }
    qrxTerrainPage* GetPage(int32_t row, int32_t column) const;

protected:
    ~tovTerrainSector() override;

private:
    using Neighbours = std::array<QrTerrainPage*, QrTerrainPage::kNeighbourCount>;

    void LinkPages();

    float m_verticalScale = 1.0f;
    std::array<QrPointer<qrxTerrainPage>, kPages * kPages> m_pages;
    // Per page: the next row, next column, previous row and previous column; null at the edge.
    std::array<Neighbours, kPages * kPages> m_neighbours{};
};
