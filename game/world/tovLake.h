#pragma once
// The lake of the fishing day: its description, land/water mask and the height and population
// rasters of the current sector's 4 x 4 tiles. World positions of the fishing scene are measured from
// the current sector (one world unit = 100 feet, the water plane at y = 0); lake-map
// positions are cells of the whole lake. Held by the fishing world through a QrPointer.

#include "tovHeightRaster.h"
#include "tovLakeDesc.h"
#include "tovPopulation.h"

#include "QrNode.h"
#include "QrPoint3.h"

#include <array>
#include <string>
#include <vector>

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

    // -1 makes no sector current; an index out of range is ignored.
    void SetCurrentSector(int32_t index);
    void ReloadCurrentSector();
    int32_t GetCurrentSector() const { return m_current; }

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

    void GetStartLocation(int32_t i, double& x, double& y, double& heading) const;
    void GetBotLocation(int32_t i, double& x, double& y, double& heading) const;

    const tovLakeDesc& GetDesc() const { return m_desc; }
    float GetCellSize() const { return m_cellSize; }
    float GetWaterOffset() const { return m_waterOffset; }
    int32_t GetMaskWidth() const { return m_maskWidth; }
    int32_t GetMaskHeight() const { return m_maskHeight; }

protected:
    ~tovLake() override;

private:
    void Clear();
    bool ReadMask(const std::string& path);
    std::string LakeFile(const std::string& name) const;
    const tovSectorDesc* Current() const;

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
    // Heights of the current sector's tiles, [row][column] within the sector.
    std::array<tovHeightRaster, 16> m_heights;
    std::array<tovPopulation, 16> m_populations;
};
