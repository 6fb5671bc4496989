#pragma once
// The driver's records of engine lights, keyed by serial number: 53 hash buckets with a
// last-hit shortcut, records handed out from blocks of 16 and never freed singly, and a live
// list of every record ever made, which the lighting kernels walk. Owned by the driver.

#include "QrLightRecord.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrLight;

class QrLightCache
{
public:
    static constexpr uint32_t kBuckets = 53;
    static constexpr uint32_t kBlockRecords = 16;

    QrLightCache() = default;
    QrLightCache(const QrLightCache&) = delete;
    QrLightCache& operator=(const QrLightCache&) = delete;

    // Null for a negative id.
    QrLightRecord* Find(int32_t id);
    // Null for a negative id or when memory runs out.
    QrLightRecord* FindOrCreate(int32_t id);
    // On: switches the record on and refreshes it when the light's revision differs (refreshed
    // tells which). Off: only switches it off. False when the light has no record to hold it.
    bool Update(const QrLight& light, bool on, bool* refreshed = nullptr);
    // The live list, newest first.
    QrLightRecord* GetLive() const { return m_live; }
    uint32_t GetBlockCount() const { return static_cast<uint32_t>(m_blocks.size()); }

    // The record's copy of the light's values and the derived constants.
    static void Refresh(QrLightRecord& record, const QrLight& light);
    // Reach of an attenuated point light: 1/64 of its strongest diffuse component; the
    // largest float for every other light. Recomputed when the range is stale.
    static float Range(QrLightRecord& record);

private:
    QrLightRecord* m_buckets[kBuckets] = {};
    QrLightRecord* m_last = nullptr;
    QrLightRecord* m_free = nullptr;
    QrLightRecord* m_live = nullptr;
    std::vector<std::unique_ptr<QrLightRecord[]>> m_blocks;
};
