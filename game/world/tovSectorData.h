#pragma once
// The content of one lake tile (128 x 128 map cells): its height raster, terrain texture, the
// model parts of its scene file and its plant population. Loaded when the tile enters the
// current sector's window and freed when it leaves; a tile shared by two overlapping sectors
// has one record. Owned by the lake.

#include "tovHeightRaster.h"
#include "tovPopulation.h"

#include "QrNode.h"
#include "QrPointer.h"
#include "QrTextureProperty.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class tovLake;
class tovScene;

class tovSectorData
{
public:
    // What the population's height callback gets: the lake and the tile's place [row][column]
    // in the current sector.
    struct HeightContext
    {
        tovLake* lake = nullptr;
        int32_t column = 0;
        int32_t row = 0;
    };

    // The named parts of a tile's scene file.
    enum Part
    {
        kAboveWater,
        kBelowWater,
        kOpaque,
        kPartCount,
    };
    static const char* const kPartNames[kPartCount];

    tovSectorData(int32_t row, int32_t column);
    tovSectorData(const tovSectorData&) = delete;
    tovSectorData& operator=(const tovSectorData&) = delete;

    // Each unloads the tile first; null clears the name.
    void SetHeightFile(const char* name);
    void SetTextureFile(const char* name);
    void SetModelFile(const char* name);
    void SetPopulationFile(const char* name);

    // Reads the tile's files once; missing files leave their part empty.
    void Load();
    void Unload();
    bool IsLoaded() const { return m_loaded; }
    // Times Load read the files since construction.
    uint32_t GetLoadCount() const { return m_loadCount; }

    // Both load the tile first. The samples are always 129 x 129.
    std::shared_ptr<const tovHeightRaster::Samples> GetHeights();
    QrTextureProperty* GetTexture();
    // Null while the tile is not loaded.
    const tovHeightRaster* GetHeightRaster() const { return m_heights.get(); }
    tovPopulation& GetPopulation() { return m_population; }
    const tovPopulation& GetPopulation() const { return m_population; }
    QrNode* GetPart(Part part) const { return m_parts[part].Get(); }

    // Parts without a parent go to the scene's above-water, below-water and general groups;
    // every part is moved to position and scaled by |scale|.
    void AttachModels(tovScene& scene, const QrPoint3& position, float scale);
    void DetachModels(tovScene& scene);
    void AttachPopulations(tovScene& scene, const QrPoint3& position);
    void DetachPopulations(tovScene& scene);
    void PlacePopulation(int32_t detailLevel);
    HeightContext& GetHeightContext() { return m_heightContext; }

    int32_t GetRow() const { return m_row; }
    int32_t GetColumn() const { return m_column; }

private:
    void LoadModels();

    bool m_loaded = false;
    uint32_t m_loadCount = 0;
    std::string m_heightFile;
    std::string m_textureFile;
    std::string m_modelFile;
    std::string m_populationFile;
    std::unique_ptr<tovHeightRaster> m_heights;
    QrPointer<QrTextureProperty> m_texture;
    std::array<QrPointer<QrNode>, kPartCount> m_parts;
    tovPopulation m_population;
    HeightContext m_heightContext;
    int32_t m_row;
    int32_t m_column;
};
