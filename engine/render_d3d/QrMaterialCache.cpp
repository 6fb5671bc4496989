#include "QrMaterialCache.h"

#include "QrMaterialProperty.h"

#include <algorithm>
#include <new>

namespace
{

float Limited(float v)
{
    // NaN becomes 0 as well.
    return v > 1.0f ? 1.0f : v > 0.0f ? v : 0.0f;
}

QrPoint3 Limited(const QrPoint3& c)
{
    return QrPoint3(Limited(c.x), Limited(c.y), Limited(c.z));
}

} // namespace

QrMaterialCache::QrMaterialCache()
{
    m_default = FindOrCreate(0);
    if (m_default)
    {
        m_default->ambient = QrPoint3(0.5f, 0.5f, 0.5f);
        m_default->diffuse = QrPoint3(0.5f, 0.5f, 0.5f);
        m_default->alpha = 1.0f;
    }
}

QrMaterialRecord* QrMaterialCache::Find(int32_t id)
{
    if (id < 0)
        return nullptr;
    if (m_last && m_last->id == id)
        return m_last;
    for (QrMaterialRecord* r = m_buckets[static_cast<uint32_t>(id) % kBuckets]; r; r = r->link)
    {
        if (r->id == id)
        {
            m_last = r;
            return r;
        }
    }
    return nullptr;
}

QrMaterialRecord* QrMaterialCache::FindOrCreate(int32_t id)
{
    if (id < 0)
        return nullptr;
    if (QrMaterialRecord* found = Find(id))
        return found;
    if (!m_free)
    {
        std::unique_ptr<QrMaterialRecord[]> block(new (std::nothrow) QrMaterialRecord[kBlockRecords]());
        if (!block)
            return nullptr;
        for (uint32_t i = 0; i < kBlockRecords; ++i)
        {
            block[i].link = m_free;
            m_free = &block[i];
        }
        m_blocks.push_back(std::move(block));
    }
    QrMaterialRecord* record = m_free;
    m_free = record->link;
    *record = QrMaterialRecord{};
    record->id = id;
    QrMaterialRecord*& bucket = m_buckets[static_cast<uint32_t>(id) % kBuckets];
    record->link = bucket;
    bucket = record;
    m_last = record;
    return record;
}

bool QrMaterialCache::SetCurrent(const QrMaterialProperty* material, bool* refreshed)
{
    if (refreshed)
        *refreshed = false;
    if (!material)
    {
        m_current = nullptr;
        return true;
    }
    QrMaterialRecord* record = FindOrCreate(static_cast<int32_t>(material->GetSerial()));
    if (!record)
        return false;
    if (record->revision != material->m_revision)
    {
        Refresh(*record, *material);
        if (refreshed)
            *refreshed = true;
    }
    m_current = record;
    return true;
}

void QrMaterialCache::Refresh(QrMaterialRecord& record, const QrMaterialProperty& material)
{
    record.revision = material.m_revision;
    record.ambient = Limited(material.m_ambient);
    record.diffuse = Limited(material.m_diffuse);
    record.specular = Limited(material.m_specular);
    record.emissive = Limited(material.m_emissive);
    record.alpha = Limited(material.m_alpha);
}
