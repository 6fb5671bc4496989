#include "tovLake.h"

#include "qrxIdleManager.h"
#include "tovAppServices.h"
#include "tovPopulationCatalogue.h"
#include "tovScene.h"
#include "tovUserProfile.h"
#include "tovWorldServices.h"

#include "ByteReader.h"
#include "CRandom.h"
#include "Files.h"
#include "QrCamera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

QR_IMPLEMENT_RTTI(tovLake, QrNode)

namespace
{

constexpr double kHalf = tovSectorDesc::kHalfCells;

int32_t CurrentDetailLevel()
{
    return DetailLevelOf(TheUserProfile().GetDetail());
}

tovScene* FishingScene()
{
    tovWorldServices* services = GetWorldServices();
    return services ? services->GetScene() : nullptr;
}

// The populations' ground: the lake's, at a point of the tile [row][column] of the sector.
float TileGroundHeight(void* context, float x, float z)
{
    const auto* tile = static_cast<const tovSectorData::HeightContext*>(context);
    if (!tile || !tile->lake)
        return 0.0f;
    const float s = tile->lake->GetCellSize();
    const float cells = float(tovLake::kTileCells);
    return tile->lake->GroundHeight(
        QrPoint3((cells - cells * float(tile->column)) * s + x, 0.0f, (cells - cells * float(tile->row)) * s + z));
}

} // namespace

tovLake::tovLake(bool lightingFlag) : m_lighting(lightingFlag), m_cameraAction(new tovLakeCameraAction(this)) {}

tovLake::~tovLake()
{
    Clear();
    m_cameraAction->ClearLake();
}

void tovLake::Clear()
{
    if (m_terrain)
        DetachChild(m_terrain.Get());
    m_terrain = nullptr;
    for (QrProperty* property : std::initializer_list<QrProperty*>{
             m_material.Get(), m_wireframe.Get(), m_textureMode.Get(), m_vertexColor.Get(), m_correction.Get()})
        if (property)
            DetachProperty(property);
    if (m_underwater)
    {
        DetachProperty(m_underwater.Get());
        if (m_underwaterManager)
            m_underwaterManager->Remove(m_underwater.Get());
    }
    m_underwater = nullptr;
    m_underwaterManager = nullptr;
    m_material = nullptr;
    m_wireframe = nullptr;
    m_textureMode = nullptr;
    m_vertexColor = nullptr;
    m_correction = nullptr;
    tovScene* scene = FishingScene();
    for (std::unique_ptr<tovSectorData>& tile : m_tiles)
    {
        if (scene)
        {
            tile->DetachModels(*scene);
            tile->DetachPopulations(*scene);
        }
        tile->Unload();
    }
    m_sectorTiles.clear();
    m_tiles.clear();
    m_desc.Reset();
    m_current = -1;
    m_waterOffset = -1000.0f;
    m_inverseMult = 1.0f;
    m_cellSize = 1.0f;
    m_mask.clear();
    m_maskWidth = m_maskHeight = -1;
    m_populationsOn = m_modelsOn = true;
}

std::string tovLake::LakeFile(const std::string& name) const
{
    return (std::filesystem::path(m_folder) / name).string();
}

bool tovLake::Load(const std::string& path)
{
    // Always cleared first, so nothing of a previous lake survives a failed load.
    Clear();
    m_error.clear();
    m_folder = std::filesystem::path(path).parent_path().string();
    std::string reason;
    if (!m_desc.Load(path, reason))
    {
        m_error = path + ": " + reason;
        return false;
    }
    m_waterOffset = m_desc.waterLevelMax * m_desc.resolution;
    m_inverseMult = 1.0f / m_desc.elevMult;
    m_cellSize = m_desc.CellSize();
    // Positions are divided by the cell size and a sector spans 512 cells: both must be usable.
    const float vertical = m_inverseMult * m_desc.resolution * 0.01f;
    if (!std::isnormal(m_cellSize) || !std::isnormal(vertical) || !std::isfinite(1024.0f * m_cellSize))
    {
        Clear();
        m_error = path + ": SPAN, RESOLUTION and TERRAIN_ELEV_MULT give no usable scale";
        return false;
    }

    // Computer boats from the third on start in random order; the first two keep theirs.
    std::vector<tovLakeDesc::Location>& bots = m_desc.bots;
    for (size_t i = 3; i < bots.size(); ++i)
        std::swap(bots[i], bots[2 + size_t(plat::CRand()) % (i - 1)]);

    const int32_t level = CurrentDetailLevel();
    m_populationsOn = level >= 3;
    m_modelsOn = level >= 2;
    MakeUnderwaterTexture();
    ReadMask(LakeFile(m_desc.baseName + ".msk"));
    LoadPopulationCatalogue(LakeFile(m_desc.baseName + ".pop"), level);
    MakeTiles();
    MakeProperties();
    const float s = m_cellSize;
    SetTranslate(256.0f * s, -0.01f * m_waterOffset, -256.0f * s);
    UpdateAllInstances();
    if (!m_desc.starts.empty())
        SetCurrentSector(NearestSector(m_desc.starts[0][0], m_desc.starts[0][1]));
    return true;
}

void tovLake::MakeTiles()
{
    const auto name = [this](const char* format, int32_t column, int32_t row)
    {
        char text[32];
        std::snprintf(text, sizeof text, format, int(column), int(row));
        return LakeFile(m_desc.baseName + text);
    };
    for (const tovSectorDesc& sector : m_desc.sectors)
    {
        SectorTiles& tiles = m_sectorTiles.emplace_back();
        for (int32_t i = 0; i < tovSectorDesc::kTiles; ++i)
            for (int32_t j = 0; j < tovSectorDesc::kTiles; ++j)
            {
                const int32_t row = sector.row + i, column = sector.column + j;
                tovSectorData* tile = nullptr;
                for (const std::unique_ptr<tovSectorData>& other : m_tiles)
                    if (other->GetRow() == row && other->GetColumn() == column)
                        tile = other.get();
                if (!tile)
                {
                    tile = m_tiles.emplace_back(std::make_unique<tovSectorData>(row, column)).get();
                    tile->SetHeightFile(name("%02d%02d.raw", column, row).c_str());
                    tile->SetTextureFile(name("_txr%02d%02d.bmp", column, row).c_str());
                    tile->SetPopulationFile(name("Pop%02d%02d.raw", column, row).c_str());
                    if (m_modelsOn)
                        tile->SetModelFile(name("Models%02d%02d.qrf", column, row).c_str());
                    tile->GetPopulation().SetScale(m_desc.resolution * m_inverseMult);
                    tile->GetHeightContext() = {this, 0, 0};
                    tile->GetPopulation().SetHeightCallback(&TileGroundHeight, &tile->GetHeightContext());
                }
                tiles[size_t(i * tovSectorDesc::kTiles + j)] = tile;
            }
    }
}

void tovLake::MakeUnderwaterTexture()
{
    if (m_desc.underwaterTexture.empty())
        return;
    m_underwater = new qrxAnimatedTextureProperty;
    m_underwater->MakeFrameFormat(0, 15, 1, 2);
    m_underwater->SetCycleTime(2.0f);
    m_underwater->SetFrames(LakeFile(m_desc.underwaterTexture).c_str(), true);
    m_underwater->m_override = 1;
    tovWorldServices* services = GetWorldServices();
    m_underwaterManager = services ? services->GetIdleManager() : nullptr;
    if (m_underwaterManager)
        m_underwaterManager->Add(m_underwater.Get());
}

void tovLake::SetUnderwaterState(float textureRepeat)
{
    if (!m_terrain || !m_underwater)
        return;
    m_terrain->SetTextureRepeat(textureRepeat);
    if (textureRepeat == 1.0f)
    {
        m_textureMode->m_clampMode = QrTextureModeProperty::kClampBoth;
        DetachProperty(m_underwater.Get());
    }
    else
    {
        m_textureMode->m_clampMode = QrTextureModeProperty::kWrapBoth;
        AttachProperty(m_underwater.Get());
    }
}

void tovLake::MakeProperties()
{
    const int32_t level = CurrentDetailLevel();
    m_textureMode = new QrTextureModeProperty;
    m_textureMode->m_applyMode = QrTextureModeProperty::kApplyModulate;
    m_textureMode->m_filterMode = level >= 2 && (level >= 8 || !GetAppServices().IsSoftwareRendering()) ? 1 : 0;
    m_textureMode->m_clampMode = QrTextureModeProperty::kClampBoth;
    m_vertexColor = new QrVertexColorProperty;
    m_vertexColor->m_mode = m_lighting ? 4 : 1;
    m_wireframe = new QrWireframeProperty;
    m_wireframe->m_enabled = 0;
    m_correction = new QrCorrectionProperty;
    m_correction->m_enabled = 1;
    m_material = new QrMaterialProperty;
    m_material->m_emissive = QrPoint3(0.0f, 0.0f, 0.0f);
    if (m_lighting)
    {
        m_material->m_ambient = QrPoint3(0.8f, 0.8f, 0.8f);
        m_material->m_diffuse = QrPoint3(1.0f, 1.0f, 1.0f);
        m_material->m_override = 1;
        AttachProperty(m_material.Get());
    }
    for (QrProperty* property : std::initializer_list<QrProperty*>{m_textureMode.Get(), m_vertexColor.Get(),
                                                                   m_wireframe.Get(), m_correction.Get()})
    {
        property->m_override = 1;
        AttachProperty(property);
    }
}

bool tovLake::ReadMask(const std::string& path)
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    const uint64_t most = kMaskHeaderBytes + (uint64_t(kMaxMaskSide) * kMaxMaskSide + 7) / 8;
    std::vector<uint8_t> bytes;
    if (ec || size < kMaskHeaderBytes || size > most || !plat::ReadFile(path, bytes))
        return false;
    plat::ByteReader in(bytes.data(), bytes.size());
    in.Seek(50);
    const int32_t width = int32_t(in.U32());
    const int32_t height = int32_t(in.U32());
    if (in.Failed() || width <= 0 || height <= 0 || width > kMaxMaskSide || height > kMaxMaskSide)
        return false;
    // A mask shorter than its size says is dropped whole.
    const size_t bits = (size_t(width) * size_t(height) + 7) / 8;
    if (bytes.size() < kMaskHeaderBytes + bits)
        return false;
    m_mask.assign(bytes.begin() + kMaskHeaderBytes, bytes.begin() + ptrdiff_t(kMaskHeaderBytes + bits));
    m_maskWidth = width;
    m_maskHeight = height;
    return true;
}

void tovLake::SetCurrentSector(int32_t index)
{
    if (index == m_current || index < -1 || index >= int32_t(m_desc.sectors.size()))
        return;
    GetAppServices().ShowBusyPicture();
    const float textureRepeat = m_terrain ? m_terrain->GetTextureRepeat() : 1.0f;
    if (m_terrain)
        DetachChild(m_terrain.Get());
    m_terrain = nullptr;
    PageTiles(index);
    m_current = index;
    if (index >= 0)
        ShowSector(textureRepeat);
    UpdateAllInstances();
    // The new pages are refined at the camera's next run even if it has not moved.
    m_cameraAction->Forget();
    if (tovWorldServices* services = GetWorldServices())
        services->NoteSectorSwitch();
}

void tovLake::PageTiles(int32_t index)
{
    const tovSectorDesc* previous = Current();
    if (!previous)
        return;
    const tovSectorDesc* next = index < 0 ? nullptr : &m_desc.sectors[size_t(index)];
    const auto inside = [next](const tovSectorData& tile)
    {
        return next && tile.GetRow() >= next->row && tile.GetRow() < next->row + tovSectorDesc::kTiles &&
               tile.GetColumn() >= next->column && tile.GetColumn() < next->column + tovSectorDesc::kTiles;
    };
    // Tiles the two windows share stay loaded.
    tovScene* scene = FishingScene();
    for (tovSectorData* tile : m_sectorTiles[size_t(m_current)])
        if (!inside(*tile) && tile->IsLoaded())
        {
            if (scene)
            {
                tile->DetachModels(*scene);
                tile->DetachPopulations(*scene);
            }
            tile->Unload();
        }
}

void tovLake::ShowSector(float textureRepeat)
{
    const SectorTiles& tiles = m_sectorTiles[size_t(m_current)];
    const int32_t n = tovSectorDesc::kTiles;
    for (int32_t k = 0; k < n * n; ++k)
    {
        if (m_populationsOn)
            tiles[size_t(k)]->GetHeightContext() = {this, k % n, k / n};
        tiles[size_t(k)]->Load();
    }
    m_terrain = new tovTerrainSector(m_desc.minElev, m_desc.maxElev, m_desc.span,
                                     m_inverseMult * m_desc.resolution * 0.01f, tiles);
    AttachChild(m_terrain.Get());
    m_terrain->SetTextureRepeat(textureRepeat);
    // Placed on the new terrain: the populations' ground is the lake's.
    UpdateAllInstances();
    tovScene* scene = FishingScene();
    const int32_t level = CurrentDetailLevel();
    for (int32_t k = 0; k < n * n; ++k)
    {
        tovSectorData* tile = tiles[size_t(k)];
        const QrPoint3 position(float(kTileCells - kTileCells * (k % n)) * m_cellSize, 0.0f,
                                float(kTileCells - kTileCells * (k / n)) * m_cellSize);
        if (m_populationsOn)
            tile->PlacePopulation(level);
        if (!scene)
            continue;
        tile->AttachModels(*scene, position, 0.01f);
        if (m_populationsOn)
            tile->AttachPopulations(*scene, position);
    }
}

void tovLake::ReloadCurrentSector()
{
    const int32_t previous = m_current;
    SetCurrentSector(-1);
    SetCurrentSector(previous);
}

int32_t tovLake::NearestSector(double x, double y) const
{
    const size_t count = m_desc.sectors.size();
    if (count < 2)
        return count == 0 ? -1 : 0;
    std::array<double, tovLakeDesc::kMaxSectors> distance{};
    for (size_t k = 0; k < count; ++k)
    {
        const double dx = x - m_desc.sectors[k].centreX, dy = y - m_desc.sectors[k].centreY;
        distance[k] = dx * dx + dy * dy;
    }
    // Between the first two a tie goes to the second.
    size_t nearest = distance[1] <= distance[0] ? 1 : 0;
    size_t second = 1 - nearest;
    for (size_t k = 2; k < count; ++k)
    {
        if (distance[k] < distance[nearest])
        {
            second = nearest;
            nearest = k;
        }
        else if (distance[k] < distance[second])
            second = k;
    }
    // Stay in the current sector until another is clearly nearer.
    if (int32_t(second) == m_current && distance[nearest] * 1.1 > distance[second])
        return m_current;
    return int32_t(nearest);
}

int32_t tovLake::NearestSectorToPoint(const QrPoint3& world) const
{
    double x = 0.0, y = 0.0;
    WorldToMap(world, x, y);
    return NearestSector(x, y);
}

const tovSectorDesc* tovLake::Current() const
{
    return m_current < 0 ? nullptr : &m_desc.sectors[size_t(m_current)];
}

void tovLake::WorldToMap(const QrPoint3& world, double& x, double& y) const
{
    const tovSectorDesc* s = Current();
    x = s ? s->originX + kHalf - double(world.x) / m_cellSize : 0.0;
    y = s ? s->originY + kHalf - double(world.z) / m_cellSize : 0.0;
}

void tovLake::MapToWorld(double x, double y, QrPoint3& world) const
{
    const tovSectorDesc* s = Current();
    world = s ? QrPoint3(float(-m_cellSize * (x - (s->originX + kHalf))), 0.0f,
                         float(-m_cellSize * (y - (s->originY + kHalf))))
              : QrPoint3(0.0f, 0.0f, 0.0f);
}

void tovLake::WorldToMapCell(const QrPoint3& world, int32_t& column, int32_t& row) const
{
    double x = 0.0, y = 0.0;
    WorldToMap(world, x, y);
    // Clamped so that far-away points cannot overflow the conversion; a point that is no
    // number lies off the map.
    column = std::isfinite(x) ? int32_t(std::clamp(std::trunc(x), -1.0e9, 1.0e9)) : -1;
    row = std::isfinite(y) ? int32_t(std::clamp(std::trunc(y), -1.0e9, 1.0e9)) : -1;
}

void tovLake::MapCellToWorld(int32_t column, int32_t row, QrPoint3& world) const
{
    const tovSectorDesc* s = Current();
    if (!s)
    {
        world = QrPoint3(0.0f, 0.0f, 0.0f);
        return;
    }
    world = QrPoint3(float(-(std::trunc(column - (s->originX + kHalf)) + 0.5) * m_cellSize), 0.0f,
                     float(-(std::trunc(row - (s->originY + kHalf)) + 0.5) * m_cellSize));
}

void tovLake::ToSectorFrame(int32_t sectorA, const QrPoint3& world, int32_t sectorB, QrPoint3& out) const
{
    const int32_t count = int32_t(m_desc.sectors.size());
    if (sectorA < 0 || sectorB < 0 || sectorA >= count || sectorB >= count)
    {
        out = world;
        return;
    }
    const tovSectorDesc& a = m_desc.sectors[size_t(sectorA)];
    const tovSectorDesc& b = m_desc.sectors[size_t(sectorB)];
    const double s = m_cellSize;
    out = QrPoint3(float(-s * ((a.originX + kHalf - world.x / s) - (b.originX + kHalf))), world.y,
                   float(-s * ((a.originY + kHalf - world.z / s) - (b.originY + kHalf))));
}

float tovLake::GroundHeight(const QrPoint3& world) const
{
    if (!m_terrain)
        return 0.0f;
    // As drawn: the pages' surface under the point.
    const float half = float(kHalf) * m_cellSize;
    return m_terrain->GetHeight(half - world.x, half + world.z) - 0.01f * m_waterOffset;
}

void tovLake::UpdateTerrainLod(QrCamera* camera)
{
    if (m_terrain && camera)
        m_terrain->UpdateLod(camera);
}

void tovLake::IncreaseTerrainError(QrCamera* camera)
{
    if (!m_terrain)
        return;
    m_terrain->SetTerrainError(camera, m_terrain->GetTerrainError() + 0.05f);
    UpdateTerrainLod(camera);
}

void tovLake::DecreaseTerrainError(QrCamera* camera)
{
    if (!m_terrain)
        return;
    m_terrain->SetTerrainError(camera, std::max(0.0f, m_terrain->GetTerrainError() - 0.05f));
    UpdateTerrainLod(camera);
}

void tovLake::AttachToCamera(QrCamera* camera)
{
    if (camera)
        camera->AttachObject(m_cameraAction.Get());
}

tovSectorData* tovLake::GetSectorTile(int32_t sector, int32_t i, int32_t j) const
{
    if (sector < 0 || size_t(sector) >= m_sectorTiles.size() || i < 0 || j < 0 || i >= tovSectorDesc::kTiles ||
        j >= tovSectorDesc::kTiles)
        return nullptr;
    return m_sectorTiles[size_t(sector)][size_t(i * tovSectorDesc::kTiles + j)];
}

bool tovLake::IsOnLake(const QrPoint3& world) const
{
    int32_t column = 0, row = 0;
    WorldToMapCell(world, column, row);
    return IsOnLakeCell(column, row);
}

bool tovLake::IsOnLakeCell(int32_t column, int32_t row) const
{
    if (m_mask.empty() || column < 0 || row < 0 || column >= m_maskWidth || row >= m_maskHeight)
        return false;
    const size_t n = size_t(row) * size_t(m_maskWidth) + size_t(column);
    return (m_mask[n / 8] & (1u << (n % 8))) == 0;
}

bool tovLake::TileOf(const QrPoint3& world, int32_t& i, int32_t& j, QrPoint3& local) const
{
    if (!Current())
        return false;
    // Cells from the sector's corner of largest world x and z; outside the sector nothing.
    const double x = kHalf - double(world.x) / m_cellSize, z = kHalf - double(world.z) / m_cellSize;
    const double cells = kTileCells * tovSectorDesc::kTiles;
    if (!(x >= 0.0 && z >= 0.0 && x < cells && z < cells))
        return false;
    j = int32_t(x / kTileCells);
    i = int32_t(z / kTileCells);
    local = QrPoint3(float(world.x - (kTileCells - kTileCells * j) * m_cellSize), 0.0f,
                     float(world.z - (kTileCells - kTileCells * i) * m_cellSize));
    return true;
}

float tovLake::GetPopulationDensity(const QrPoint3& world) const
{
    int32_t i = 0, j = 0;
    QrPoint3 local;
    if (!TileOf(world, i, j, local))
        return 0.0f;
    return GetSectorTile(m_current, i, j)->GetPopulation().GetDensityAt(local);
}

void tovLake::QueryPopulation(const QrPoint3& world, float& a, float& b, float& c, float& d) const
{
    a = b = c = d = 0.0f;
    int32_t i = 0, j = 0;
    QrPoint3 local;
    if (!TileOf(world, i, j, local))
        return;
    tovPopulation::Cell cells[4];
    GetSectorTile(m_current, i, j)->GetPopulation().QueryAt(local, cells);
    for (int32_t k = 0; k < 4; ++k)
    {
        if (cells[k].density >= 0.0f)
            continue;
        // Raster columns run towards smaller world x like tile columns, from the tile's far x
        // edge: a column before the first lies in the previous tile column, not the next.
        const int32_t ni = i + int32_t(cells[k].dz), nj = j - int32_t(cells[k].dx);
        const tovSectorData* next = GetSectorTile(m_current, ni, nj);
        if (next && next->GetPopulation().HasMap())
        {
            const QrPoint3 there(float(local.x + kTileCells * (nj - j) * m_cellSize), 0.0f,
                                 float(local.z + kTileCells * (ni - i) * m_cellSize));
            tovPopulation::Cell other[4];
            next->GetPopulation().QueryAt(there, other);
            cells[k].density = other[k].density;
        }
        cells[k].density = std::max(cells[k].density, 0.0f);
    }
    a = cells[0].density;
    b = cells[1].density;
    c = cells[2].density;
    d = cells[3].density;
}

void tovLake::GetStartLocation(int32_t i, double& x, double& y, double& heading) const
{
    const bool in = i >= 0 && size_t(i) < m_desc.starts.size();
    x = in ? m_desc.starts[size_t(i)][0] : 0.0;
    y = in ? m_desc.starts[size_t(i)][1] : 0.0;
    heading = in ? m_desc.starts[size_t(i)][2] : 0.0;
}

void tovLake::GetBotLocation(int32_t i, double& x, double& y, double& heading) const
{
    if (i < 0 || size_t(i) >= m_desc.bots.size())
    {
        GetStartLocation(i, x, y, heading);
        return;
    }
    x = m_desc.bots[size_t(i)][0];
    y = m_desc.bots[size_t(i)][1];
    heading = m_desc.bots[size_t(i)][2];
}
