#pragma once
// The driver's transformed-vertex records (one per input vertex, indexed by the geometry's
// vertex index) and the pool the clipper takes new vertices from. Grows, never shrinks.

#include "QrTransformedVertex.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrVertexWorkBuffer
{
public:
    static constexpr uint32_t kInitialRecords = 256;
    static constexpr uint32_t kPoolBlockRecords = 128;
    static constexpr uint32_t kPoolGrowBlocks = 8;
    // Room added beyond the count asked for.
    static constexpr uint32_t kGrowSlack = 64;

    QrVertexWorkBuffer();

    // Makes room for count records (their contents are not kept when it grows) and empties the
    // clip pool. 0, or 1 when memory runs out.
    uint32_t Reserve(uint32_t count);
    // Eight more zero-filled blocks behind the old ones.
    void GrowClipPool();

    QrTransformedVertex* Records() { return m_records.data(); }
    uint32_t Capacity() const { return static_cast<uint32_t>(m_records.size()); }
    uint32_t PoolBlockCount() const { return static_cast<uint32_t>(m_pool.size()); }
    uint32_t PoolBlock() const { return m_poolBlock; }
    uint32_t PoolTaken() const { return m_poolTaken; }

private:
    std::vector<QrTransformedVertex> m_records;
    std::vector<std::unique_ptr<QrTransformedVertex[]>> m_pool;
    uint32_t m_poolBlock = 0;
    uint32_t m_poolTaken = 0;
};
