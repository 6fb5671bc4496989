#pragma once
// The lake of the fishing day: its description, land/water mask and the content of every
// tile, of which those of the current sector's 4 x 4 window are loaded and shown as that
// sector's terrain. World positions of the fishing scene are measured from the current sector
// (one world unit = 100 feet, the water plane at y = 0); lake-map positions are cells of the
// whole lake. Held by the fishing world through a QrPointer.

#include "tovLakeCameraAction.h"
#include "tovLakeDesc.h"
#include "tovPopulation.h"
#include "tovSectorData.h"
#include "tovTerrainSector.h"

#include "qrxAnimatedTextureProperty.h"

#include "QrCorrectionProperty.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrPoint3.h"
#include "QrPointer.h"
#include "QrTextureModeProperty.h"
#include "QrVertexColorProperty.h"
#include "QrWireframeProperty.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class QrCamera;

class tovLake : public QrNode
{
    QR_DECLARE_RTTI

public:
    static constexpr double kTileCells = 128.0;
    // Largest mask side: 100 tiles of 128 cells.
    static constexpr int32_t kMaxMaskSide = 12800;
    static constexpr size_t kMaskHeaderBytes = 128;

    explicit tovLake(bool lightingFlag);

    // Clears the previous lake, then loads the description at path with the mask and tiles
    // named by it from the same folder. False with LastError() naming the file.
    bool Load(const std::string& path);
    const std::string& LastError() const { return m_error; }

    // Pages the lake to sector index: tiles leaving the window are freed, the new ones read,
    // the sector's terrain built. -1 makes no sector current; an index out of range is ignored.
    void SetCurrentSector(int32_t index);
    void ReloadCurrentSector();
    int32_t GetCurrentSector() const { return m_current; }
    // Null while no sector is current.
    tovTerrainSector* GetTerrainSector() const { return m_terrain.Get(); }

    // Terrain level of detail for a camera; nothing without a current sector or camera.
    void UpdateTerrainLod(QrCamera* camera);
    // The pages' pixel tolerance up or down by 0.05 (never below 0), then a new update.
    void IncreaseTerrainError(QrCamera* camera);
    void DecreaseTerrainError(QrCamera* camera);
    // Texture repeat of the terrain: 1 above water; any other value (100 under water) tiles the
    // animated lake-bottom texture over the whole terrain. Needs a current sector and one.
    void SetUnderwaterState(float textureRepeat);
    qrxAnimatedTextureProperty* GetUnderwaterTexture() const { return m_underwater.Get(); }
    // Adds the lake's camera action to the camera (once).
    void AttachToCamera(QrCamera* camera);

    int32_t NearestSector(double x, double y) const;
    int32_t NearestSectorToPoint(const QrPoint3& world) const;

    void WorldToMap(const QrPoint3& world, double& x, double& y) const;
    void MapToWorld(double x, double y, QrPoint3& world) const;
    void WorldToMapCell(const QrPoint3& world, int32_t& column, int32_t& row) const;
    void MapCellToWorld(int32_t column, int32_t row, QrPoint3& world) const;
    void ToSectorFrame(int32_t sectorA, const QrPoint3& world, int32_t sectorB, QrPoint3& out) const;

    float GroundHeight(const QrPoint3& world) const;
    float GetGroundHeightAt(const QrPoint3& world) const { return GroundHeight(world); }
    bool IsOnLake(const QrPoint3& world) const;
    bool IsOnLakeCell(int32_t column, int32_t row) const;

    // Vegetation density 0 to 1 of the current sector's population rasters; 0 elsewhere.
    float GetPopulationDensity(const QrPoint3& world) const;
    // The densities of the four population cells around the point; cells past a tile's edge
    // are read from the neighbouring tile of the sector, 0 where there is none.
    void QueryPopulation(const QrPoint3& world, float& a, float& b, float& c, float& d) const;

    void GetStartLocation(int32_t i, double& x, double& y, double& heading) const;
    void GetBotLocation(int32_t i, double& x, double& y, double& heading) const;

    const tovLakeDesc& GetDesc() const { return m_desc; }
    float GetCellSize() const { return m_cellSize; }
    float GetWaterOffset() const { return m_waterOffset; }
    int32_t GetMaskWidth() const { return m_maskWidth; }
    int32_t GetMaskHeight() const { return m_maskHeight; }
    // Every tile record of the lake, one per tile however many sectors share it.
    size_t GetTileCount() const { return m_tiles.size(); }
    const tovSectorData* GetTile(size_t index) const { return m_tiles[index].get(); }
    // Tile [i][j] of a sector (rows i, columns j from its first tile); null out of range.
    tovSectorData* GetSectorTile(int32_t sector, int32_t i, int32_t j) const;
    bool PopulationsEnabled() const { return m_populationsOn; }
    bool ModelsEnabled() const { return m_modelsOn; }

protected:
    ~tovLake() override;

private:
    using SectorTiles = std::array<tovSectorData*, tovSectorDesc::kTiles * tovSectorDesc::kTiles>;

    void Clear();
    bool ReadMask(const std::string& path);
    void MakeTiles();
    void MakeProperties();
    void MakeUnderwaterTexture();
    void PageTiles(int32_t index);
    void ShowSector(float textureRepeat);
    std::string LakeFile(const std::string& name) const;
    const tovSectorDesc* Current() const;
    // The tile [i][j] of the current sector holding a world point and the point in its frame.
    bool TileOf(const QrPoint3& world, int32_t& i, int32_t& j, QrPoint3& local) const;

    tovLakeDesc m_desc;
    std::string m_folder;
    std::string m_error;
    int32_t m_current = -1;
    float m_waterOffset = -1000.0f;
    float m_inverseMult = 1.0f;
    float m_cellSize = 1.0f;
    bool m_lighting;
    std::vector<uint8_t> m_mask;
    int32_t m_maskWidth = -1;
    int32_t m_maskHeight = -1;
    bool m_populationsOn = true;
    bool m_modelsOn = true;
    QrPointer<tovTerrainSector> m_terrain;
    // Made by the load, attached with their override flags (the material only with lighting).
    QrPointer<QrMaterialProperty> m_material;
    QrPointer<QrWireframeProperty> m_wireframe;
    QrPointer<QrTextureModeProperty> m_textureMode;
    QrPointer<QrVertexColorProperty> m_vertexColor;
    QrPointer<QrCorrectionProperty> m_correction;
    QrPointer<qrxAnimatedTextureProperty> m_underwater;
    // The manager stepping the under-water texture: it holds a plain pointer, so the lake takes
    // the texture off before letting it go.
    qrxIdleManager* m_underwaterManager = nullptr;
    QrPointer<tovLakeCameraAction> m_cameraAction;
    std::vector<std::unique_ptr<tovSectorData>> m_tiles;
    // Per sector its 16 tile records, row-major; borrowed from m_tiles.
    std::vector<SectorTiles> m_sectorTiles;
};
