#include "QrVertexWorkBuffer.h"

#include <new>

QrVertexWorkBuffer::QrVertexWorkBuffer() : m_records(kInitialRecords)
{
    GrowClipPool();
}

uint32_t QrVertexWorkBuffer::Reserve(uint32_t count)
{
    if (count > m_records.size())
    {
        // The old records are rebuilt by every draw, so nothing is copied.
        std::vector<QrTransformedVertex> fresh;
        try
        {
            fresh.resize(size_t{count} + kGrowSlack);
        }
        catch (const std::bad_alloc&)
        {
            return 1;
        }
        m_records.swap(fresh);
    }
    m_poolBlock = 0;
    m_poolTaken = 0;
    return 0;
}

void QrVertexWorkBuffer::GrowClipPool()
{
    for (uint32_t i = 0; i < kPoolGrowBlocks; ++i)
        m_pool.emplace_back(new QrTransformedVertex[kPoolBlockRecords]());
}
