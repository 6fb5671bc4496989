#include "tovPopulation.h"

#include "qrxCutout.h"
#include "tovPopulationCatalogue.h"
#include "tovScene.h"

#include "uRandom.h"

#include "ByteReader.h"
#include "Files.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace
{

constexpr float kDensityStep = 0.33333334f;
// Plants stand this far below the ground they are placed on; surface plants float at a fixed
// height just under the water.
constexpr float kGroundOffset = 0.01f;
constexpr float kSurfaceHeight = -0.015f;
// Below-water items need this much water over them and keep their tops under the surface.
constexpr float kMinDepth = -0.0166f;
constexpr float kTopMargin = 0.006f;
constexpr float kTopClearance = 0.0066f;
constexpr float kMinSize = 0.01f;
// Seen from under the water, surface plants are drawn only nearby.
constexpr float kUnderSurfaceDistance = 0.2f;
constexpr int32_t kStepLevel = 6;
// The pictures' clear parts are all-zero texels, the transparent colour.
constexpr int32_t kCutoutTransparency = qrxCutout::kTransparentColour;

const char* const kTreeNames[tovPopulation::kTreeCount] = {"Above Water Populations", "Below Water Populations",
                                                           "Populations", "Above Water Surface Populations",
                                                           "Below Water Surface Populations"};

} // namespace

tovPopulation::~tovPopulation()
{
    FreeTrees();
}

void tovPopulation::FreeMap()
{
    m_placed = 0;
    m_samples.clear();
    m_width = m_height = -1;
    m_cellSize = -1.0f;
    m_worldCell = 0.0f;
}

bool tovPopulation::LoadMap(const std::string& path)
{
    FreeMap();
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    if (ec || size > kHeaderBytes + uint64_t(kMaxSide) * kMaxSide * 2 || !plat::ReadFile(path, bytes))
        return false;
    plat::ByteReader in(bytes.data(), bytes.size());
    const int32_t width = int32_t(in.U32());
    const int32_t height = int32_t(in.U32());
    in.Skip(8);
    const float cellSize = in.F32();
    const float seedA = in.F32();
    const float seedB = in.F32();
    // The full width x height, never its low 16 bits, must be in the file; the cell size
    // divides positions.
    if (in.Failed() || width < 2 || height < 2 || width > kMaxSide || height > kMaxSide ||
        !in.CanRead(uint64_t(width) * uint64_t(height), 2) || !(cellSize > 0.0f) || !std::isfinite(cellSize) ||
        !(std::fabs(seedA) < 2.0e9f) || !(std::fabs(seedB) < 2.0e9f))
        return false;
    const float worldCell = 0.01f * m_scale * cellSize;
    if (!(worldCell > 0.0f) || !std::isfinite(worldCell))
        return false;
    m_samples.resize(size_t(width) * size_t(height));
    for (uint16_t& sample : m_samples)
        sample = in.U16();
    m_width = width;
    m_height = height;
    m_seedA = int32_t(seedA);
    m_seedB = int32_t(seedB);
    m_cellSize = cellSize;
    m_worldCell = worldCell;
    return true;
}

void tovPopulation::CellOf(const QrPoint3& p, int32_t& column, int32_t& row) const
{
    const double x = std::clamp(std::trunc(double(p.x) / m_worldCell + 0.5), -1.0e6, 1.0e6);
    const double z = std::clamp(std::trunc(double(p.z) / m_worldCell + 0.5), -1.0e6, 1.0e6);
    column = m_width - int32_t(x) - 1;
    row = int32_t(z);
}

float tovPopulation::GetDensityAt(const QrPoint3& p) const
{
    if (!HasMap())
        return 0.0f;
    int32_t column = 0, row = 0;
    CellOf(p, column, row);
    column = std::clamp(column, 0, m_width - 2);
    row = std::clamp(row, 0, m_height - 2);
    return float(m_samples[size_t(row) * size_t(m_width) + size_t(column)] & 3) * kDensityStep;
}

void tovPopulation::QueryAt(const QrPoint3& p, Cell out[4]) const
{
    if (!HasMap())
    {
        std::fill(out, out + 4, Cell{0.0f, 0.0f, 0.0f});
        return;
    }
    int32_t column = 0, row = 0;
    CellOf(p, column, row);
    for (int32_t k = 0; k < 4; ++k)
    {
        const int32_t c = column + (k & 1), r = row + (k >> 1);
        const float dx = c < 0 ? 1.0f : c > m_width - 1 ? -1.0f : 0.0f;
        const float dz = r < 0 ? 1.0f : r > m_height - 1 ? -1.0f : 0.0f;
        if (dx != 0.0f || dz != 0.0f)
            out[k] = {-1.0f, dx, dz};
        else
            out[k] = {float(m_samples[size_t(r) * size_t(m_width) + size_t(c)] & 3) * kDensityStep, 0.0f, 0.0f};
    }
}

void tovPopulation::SetHeightCallback(HeightCallback callback, void* context)
{
    m_heightCallback = callback;
    m_heightContext = context;
}

void tovPopulation::SetHeightRaster(const uint16_t* samples, int32_t width, int32_t height, float minimum,
                                    float maximum)
{
    const bool usable = samples && width > 0 && height > 0;
    m_heightSamples = usable ? samples : nullptr;
    m_heightWidth = usable ? width : 0;
    m_heightHeight = usable ? height : 0;
    m_heightMin = minimum;
    m_heightMax = maximum;
}

float tovPopulation::PopulationHeightAt(float u, float v) const
{
    u = std::clamp(u, 0.0f, 1.0f);
    v = std::clamp(v, 0.0f, 1.0f);
    if (m_heightCallback)
        return m_heightCallback(m_heightContext, float(m_width - 1) * m_worldCell * u,
                                float(m_height - 1) * m_worldCell * v) -
               kGroundOffset;
    if (!m_heightSamples)
        return -kGroundOffset;
    // The height raster runs the same way as the population raster.
    const int32_t column = int32_t(std::lround((1.0f - u) * float(m_heightWidth - 1)));
    const int32_t row = int32_t(std::lround(v * float(m_heightHeight - 1)));
    const uint16_t sample = m_heightSamples[size_t(row) * size_t(m_heightWidth) + size_t(column)];
    return m_heightMin + (m_heightMax - m_heightMin) * float(sample) / 65535.0f - kGroundOffset;
}

float tovPopulation::PopulationHeight(float x, float z) const
{
    if (m_heightCallback)
        return m_heightCallback(m_heightContext, x, z) - kGroundOffset;
    if (!HasMap())
        return -kGroundOffset;
    return PopulationHeightAt(x / (float(m_width - 1) * m_worldCell), z / (float(m_height - 1) * m_worldCell));
}

qrxQuadTree* tovPopulation::GetTree(int32_t tree) const
{
    return tree >= 0 && tree < kTreeCount ? m_trees[size_t(tree)].Get() : nullptr;
}

qrxQuadTree* tovPopulation::EnsureTree(int32_t tree)
{
    QrPointer<qrxQuadTree>& slot = m_trees[size_t(tree)];
    if (!slot)
    {
        slot = new qrxQuadTree(1.0f, 1.0f, 4);
        slot->SetName(kTreeNames[tree]);
    }
    return slot.Get();
}

void tovPopulation::Place(int32_t detailLevel)
{
    if (!HasMap() || m_placed)
        return;
    // Trees left from a map loaded before would be filled twice.
    FreeTrees();
    // The seed parts are bounded by the loader; their sum wraps like the file's own integers.
    uRandom random(int32_t(uint32_t(m_seedA) + uint32_t(m_seedB)));
    const int32_t step = detailLevel >= kStepLevel ? 1 : 2;
    m_itemCount = 0;
    for (int32_t r = 0; r < m_height - 1 && m_itemCount < kMaxItems; r += step)
        for (int32_t c = 0; c < m_width - 1; c += step)
            if (const uint16_t sample = m_samples[size_t(r) * size_t(m_width) + size_t(c)])
                PlaceCell(random, c, r, sample);
    for (QrPointer<qrxQuadTree>& tree : m_trees)
        if (tree)
        {
            tree->SetAppCulled(0);
            tree->UpdateAllInstances();
        }
    m_placed = 1;
}

void tovPopulation::PlaceCell(uRandom& random, int32_t c, int32_t r, uint16_t sample)
{
    using T = tovPopulationType;
    const Item above{kAboveWater, -1, 0, kOnGround};
    const Item below{kBelowWater, -1, 0, kUnderWater};
    const Item surface{kAboveWaterSurface, kBelowWaterSurface, 0, kOnSurface};
    const Item inOut{kAboveWaterSurface, kBelowWaterSurface, 0, kOnGround};
    // A rock stands in the water when the ground where it stands is under it.
    const float x = float(m_width - 1 - c) * m_worldCell, z = float(r) * m_worldCell;
    const Item rock = PopulationHeight(x, z) <= m_waterHeight ? below : above;
    const struct
    {
        uint16_t bit;
        int32_t kind;
        Item item;
    } kinds[] = {{0x004, T::kTallTree, above},        {0x008, T::kShortTree, above},      {0x010, T::kShrub, above},
                 {0x020, T::kUnderWaterPlant, below}, {0x040, T::kSurfacePlant, surface}, {0x080, T::kRock, rock},
                 {0x100, T::kDeadTree, below},        {0x400, T::kInOutPlant, inOut}};
    for (const auto& k : kinds)
        if (sample & k.bit)
        {
            Item item = k.item;
            item.kind = k.kind;
            AddItem(random, item, c, r);
        }
}

const tovPopulationType* tovPopulation::ChooseType(uRandom& random, int32_t kind) const
{
    const std::vector<tovPopulationType>& list = GetPopulationTypes(kind);
    if (list.empty())
        return nullptr;
    if (list.size() == 1)
        return &list.front();
    const double x = random.uniform();
    for (const tovPopulationType& type : list)
        if (double(type.m_weight) >= x)
            return &type;
    return &list.back();
}

void tovPopulation::AddItem(uRandom& random, const Item& item, int32_t c, int32_t r)
{
    const tovPopulationType* type = ChooseType(random, item.kind);
    if (!type)
        return;
    const float x = float(m_width - 1 - c) * m_worldCell;
    const float z = float(r) * m_worldCell;
    float size = type->m_sizeLow + (type->m_sizeHigh - type->m_sizeLow) * float(random.uniform());
    float y = m_waterHeight;
    if (item.mode == kOnGround)
        y = PopulationHeight(x, z);
    else if (item.mode == kOnSurface)
        y = kSurfaceHeight;
    else if (item.mode == kUnderWater)
    {
        y = PopulationHeight(x, z);
        if (y > kMinDepth)
            return;
        if (size + kTopMargin >= std::fabs(y))
            size = std::max(std::fabs(y) - kTopClearance, kMinSize);
    }
    // No picture, no room or a ground that answers nonsense: nothing to stand there.
    if (!type->m_texture || !(size > 0.0f) || !std::isfinite(y) || !std::isfinite(size) || m_itemCount >= kMaxItems)
        return;
    const float u = float(c) / float(m_width - 1), v = float(r) / float(m_height - 1);
    const float distance = type->m_viewDistance;
    for (const int32_t tree : {item.tree, item.second})
    {
        if (tree < 0 || m_itemCount >= kMaxItems)
            continue;
        QrPointer<qrxCutout> cutout(new qrxCutout(type->m_texture.Get(), kCutoutTransparency));
        const float d = tree == item.tree ? distance : kUnderSurfaceDistance * distance;
        cutout->SetCullDistance(d * d);
        cutout->SetTranslate(x, y, z);
        cutout->SetScale(size);
        EnsureTree(tree)->InsertAt(cutout.Get(), u, v);
        ++m_itemCount;
    }
}

void tovPopulation::AttachPopulations(tovScene& scene, const QrPoint3& position)
{
    for (int32_t t = 0; t < kTreeCount; ++t)
    {
        qrxQuadTree* tree = m_trees[size_t(t)].Get();
        if (!tree)
            continue;
        if (!tree->GetParent())
        {
            if (t == kAboveWater)
                scene.GetGroupA()->AttachChild(tree);
            else if (t == kBelowWater)
                scene.GetGroupB()->AttachChild(tree);
            else if (t == kUnused)
                scene.GetGeneralGroup()->AttachChild(tree);
            else if (t == kAboveWaterSurface)
                scene.AttachToGroupA(tree);
            else
                scene.AttachToGroupB(tree);
        }
        tree->GetTranslate() = position;
        tree->UpdateAllInstances();
    }
}

void tovPopulation::DetachPopulations(tovScene& scene)
{
    for (QrPointer<qrxQuadTree>& tree : m_trees)
        if (tree)
        {
            scene.DetachChild(tree.Get());
            tree->UpdateAllInstances();
        }
}

void tovPopulation::FreeTrees()
{
    for (QrPointer<qrxQuadTree>& tree : m_trees)
    {
        if (tree)
            if (QrNode* parent = tree->GetParent())
                parent->DetachChild(tree.Get());
        tree = nullptr;
    }
    m_placed = 0;
    m_itemCount = 0;
}
