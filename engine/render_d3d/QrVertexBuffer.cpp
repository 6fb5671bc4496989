#include "QrVertexBuffer.h"

#include "Graphics3D.h"
#include "VertexBuffer.h"

#include <new>

QrVertexBuffer::~QrVertexBuffer()
{
    Release();
    FreeStaging();
}

bool QrVertexBuffer::Create(bool hardware, plat::Graphics3D& graphics, uint32_t bufferVertices)
{
    Release();
    plat::VertexBufferDesc desc;
    desc.caps = plat::kVertexBufferWriteOnly | (hardware ? 0u : plat::kVertexBufferSystemMemory);
    desc.vertexCount = bufferVertices;
    const plat::VertexFormat formats[2] = {plat::VertexFormat::TlTex1, plat::VertexFormat::TlTex2};
    for (uint32_t pair = 0; pair < 2; ++pair)
    {
        desc.format = formats[pair];
        for (auto& buffer : m_pairs[pair])
        {
            if (graphics.CreateVertexBuffer(desc, buffer) != plat::Result::Ok)
            {
                Release();
                return false;
            }
        }
    }
    m_bufferVertices = bufferVertices;
    m_currentPair = 0;
    m_pairIndex = 0;
    return true;
}

bool QrVertexBuffer::AllocateStaging(uint32_t stride, plat::VertexFormat format, uint32_t bufferVertices,
                                     uint32_t indexCapacity)
{
    m_stride = stride;
    m_format = format;
    m_bufferVertices = bufferVertices;
    if (m_indices.size() < size_t{indexCapacity} * 3)
    {
        FreeStaging();
        try
        {
            m_indices.assign(size_t{indexCapacity} * 3, 0);
        }
        catch (const std::bad_alloc&)
        {
            return false;
        }
    }
    m_indexCapacity = indexCapacity;
    m_indexWrite = m_indices.data();
    return true;
}

bool QrVertexBuffer::ClearLocked()
{
    m_locked = 0;
    return true;
}

void QrVertexBuffer::Release()
{
    for (auto& pair : m_pairs)
    {
        for (auto& buffer : pair)
            buffer.reset();
    }
}

void QrVertexBuffer::FreeStaging()
{
    std::vector<uint16_t>().swap(m_indices);
    m_indexWrite = nullptr;
    m_vertexWrite = nullptr;
    m_vertexCount = 0;
    m_triangleCount = 0;
    m_indexCapacity = 0;
}

plat::VertexBuffer* QrVertexBuffer::Buffer(uint32_t pair, uint32_t index) const
{
    return pair < 2 && index < 2 ? m_pairs[pair][index].get() : nullptr;
}
