#pragma once
// The driver's records of materials, keyed by serial number (53 buckets, last-hit shortcut,
// blocks of 32 never freed singly), and the current one. A default record (id 0, the default
// material's values) is in the cache from the start; it colours lit draws that come before
// any material was made current.

#include "QrMaterialRecord.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrMaterialProperty;

class QrMaterialCache
{
public:
    static constexpr uint32_t kBuckets = 53;
    static constexpr uint32_t kBlockRecords = 32;

    QrMaterialCache();
    QrMaterialCache(const QrMaterialCache&) = delete;
    QrMaterialCache& operator=(const QrMaterialCache&) = delete;

    QrMaterialRecord* Find(int32_t id);
    QrMaterialRecord* FindOrCreate(int32_t id);
    // Finds or makes the material's record, refreshes it when the revision differs and makes
    // it current; null makes none current. False when no record could be had.
    bool SetCurrent(const QrMaterialProperty* material, bool* refreshed = nullptr);
    // Null until a material was made current.
    const QrMaterialRecord* GetCurrent() const { return m_current; }
    const QrMaterialRecord& GetDefault() const { return *m_default; }

    static void Refresh(QrMaterialRecord& record, const QrMaterialProperty& material);

private:
    QrMaterialRecord* m_buckets[kBuckets] = {};
    QrMaterialRecord* m_last = nullptr;
    QrMaterialRecord* m_free = nullptr;
    QrMaterialRecord* m_current = nullptr;
    QrMaterialRecord* m_default = nullptr;
    std::vector<std::unique_ptr<QrMaterialRecord[]>> m_blocks;
};
