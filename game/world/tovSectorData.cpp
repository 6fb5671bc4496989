#include "tovSectorData.h"

#include "qrxGraphSearcher.h"
#include "tovScene.h"

#include "QrStream.h"

const char* const tovSectorData::kPartNames[kPartCount] = {"aboveWater", "belowWater", "opaque"};

namespace
{

void SetName(std::string& field, const char* name)
{
    field = name ? name : "";
}

} // namespace

tovSectorData::tovSectorData(int32_t row, int32_t column) : m_row(row), m_column(column) {}

void tovSectorData::SetHeightFile(const char* name)
{
    Unload();
    SetName(m_heightFile, name);
}

void tovSectorData::SetTextureFile(const char* name)
{
    Unload();
    SetName(m_textureFile, name);
}

void tovSectorData::SetModelFile(const char* name)
{
    Unload();
    SetName(m_modelFile, name);
}

void tovSectorData::SetPopulationFile(const char* name)
{
    Unload();
    SetName(m_populationFile, name);
}

void tovSectorData::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    ++m_loadCount;
    // A missing or damaged raster reads as zero heights, never as no buffer.
    m_heights = std::make_unique<tovHeightRaster>();
    m_heights->Load(m_heightFile);
    m_texture = nullptr;
    if (!m_textureFile.empty())
    {
        QrPointer<QrTextureProperty> texture(new QrTextureProperty(m_textureFile.c_str()));
        if (texture->GetCurrentImage())
            m_texture = texture;
    }
    LoadModels();
    if (!m_populationFile.empty())
        m_population.LoadMap(m_populationFile);
}

void tovSectorData::LoadModels()
{
    for (QrPointer<QrNode>& part : m_parts)
        part = nullptr;
    if (m_modelFile.empty())
        return;
    QrStream stream;
    if (!stream.Load(m_modelFile.c_str()))
        return;
    for (uint32_t t = 0; t < stream.GetTopLevelCount(); ++t)
    {
        QrAVObject* top = QrDynamicCast<QrAVObject>(stream.GetTopLevelAt(t));
        if (!top)
            continue;
        // All three are found before any is taken out, so one inside another is still found.
        std::array<QrPointer<QrAVObject>, kPartCount> found;
        for (int32_t p = 0; p < kPartCount; ++p)
            if (!m_parts[size_t(p)])
                found[size_t(p)] = QrDynamicCast<QrAVObject>(qrxGraphSearcher().Find(top, kPartNames[p]));
        for (int32_t p = 0; p < kPartCount; ++p)
        {
            QrAVObject* object = found[size_t(p)].Get();
            if (!object)
                continue;
            if (QrNode* parent = object->GetParent())
                parent->DetachChild(object);
            if (QrNode* node = QrDynamicCast<QrNode>(object))
                m_parts[size_t(p)] = node;
        }
    }
}

void tovSectorData::Unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    m_heights.reset();
    m_texture = nullptr;
    for (QrPointer<QrNode>& part : m_parts)
        part = nullptr;
    m_population.FreeTrees();
    m_population.FreeMap();
}

void tovSectorData::AttachModels(tovScene& scene, const QrPoint3& position, float scale)
{
    QrNode* const groups[kPartCount] = {scene.GetGroupA(), scene.GetGroupB(), scene.GetGeneralGroup()};
    for (int32_t p = 0; p < kPartCount; ++p)
    {
        QrNode* part = m_parts[size_t(p)].Get();
        if (!part)
            continue;
        part->GetTranslate() = position;
        part->SetScale(scale);
        if (!part->GetParent())
            groups[p]->AttachChild(part);
        part->UpdateAllInstances();
    }
}

void tovSectorData::DetachModels(tovScene& scene)
{
    for (const QrPointer<QrNode>& part : m_parts)
        if (part)
            scene.DetachChild(part.Get());
}

void tovSectorData::AttachPopulations(tovScene& scene, const QrPoint3& position)
{
    m_population.AttachPopulations(scene, position);
}

void tovSectorData::DetachPopulations(tovScene& scene)
{
    m_population.DetachPopulations(scene);
}

void tovSectorData::PlacePopulation(int32_t detailLevel)
{
    m_population.Place(detailLevel);
}

std::shared_ptr<const tovHeightRaster::Samples> tovSectorData::GetHeights()
{
    Load();
    return m_heights->Share();
}

QrTextureProperty* tovSectorData::GetTexture()
{
    Load();
    return m_texture.Get();
}
