#include "QrVertexBuffer.h"

#include "DebugOutput.h"
#include "Device3D.h"
#include "Graphics3D.h"
#include "QrD3DDevice.h"
#include "QrRenderCode.h"
#include "Surface.h"
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

bool QrVertexBuffer::LockCurrent()
{
    plat::VertexBuffer* buffer = m_pairs[m_currentPair][m_pairIndex].get();
    void* data = nullptr;
    if (!buffer || buffer->Lock(plat::kLockWait | plat::kLockWriteOnly, data) != plat::Result::Ok)
        return false;
    m_vertexWrite = static_cast<uint8_t*>(data);
    m_format = m_currentPair == 1 ? plat::VertexFormat::TlTex2 : plat::VertexFormat::TlTex1;
    m_stride = plat::VertexStride(m_format);
    m_indexWrite = m_indices.data();
    m_vertexCount = 0;
    m_triangleCount = 0;
    m_locked = 1;
    return true;
}

bool QrVertexBuffer::Begin(bool twoSets, uint8_t mode)
{
    m_mode = mode;
    m_currentPair = twoSets ? 1 : 0;
    if (!LockCurrent())
        return false;
    m_batch = 1;
    return true;
}

bool QrVertexBuffer::Lock()
{
    if (!LockCurrent())
        return false;
    // Every record emitted before now counts as not yet in this buffer.
    ++m_batch;
    return true;
}

uint32_t QrVertexBuffer::Draw(QrD3DDevice& device)
{
    plat::VertexBuffer* buffer = m_pairs[m_currentPair][m_pairIndex].get();
    const bool empty = m_mode == kModeLines ? m_vertexCount == 0 : m_triangleCount == 0;
    if (empty || !m_locked)
    {
        if (m_locked && buffer && buffer->Unlock() == plat::Result::Ok)
            m_locked = 0;
        device.SetTwoSets(false);
        return QrRenderCode::kOk;
    }

    device.SetViewport();
    if (device.ApplyRenderStates(true) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    if (buffer->Unlock() == plat::Result::Ok)
        m_locked = 0;
    device.ChooseMultitexturePath(HasTwoSets());

    plat::Device3D* d3d = device.GetDevice3D();
    plat::Result r = plat::Result::Ok;
    uint32_t pass = 0;
    bool more = true;
    while (more)
    {
        more = device.SetUpPass(pass++);
        do
        {
            if (m_mode == kModeLines)
                r = d3d->DrawPrimitiveVB(plat::PrimitiveType::LineList, *buffer, 0, m_vertexCount,
                                         plat::kDrawDoNotClip | plat::kDrawDoNotUpdateExtents);
            else
                r = d3d->DrawIndexedPrimitiveVB(plat::PrimitiveType::TriangleList, *buffer, m_indices.data(),
                                                m_triangleCount * 3,
                                                plat::kDrawDoNotClip | plat::kDrawDoNotUpdateExtents);
        } while (r == plat::Result::WasStillDrawing);
    }
    m_pairIndex ^= 1;
    if (r != plat::Result::Ok)
    {
        plat::DebugOutput("Draw Indexed Primitive failed\n");
        return QrRenderCode::kDrawFailed;
    }
    device.SetTwoSets(false);
    return QrRenderCode::kOk;
}

uint32_t QrVertexBuffer::Flush(QrD3DDevice& device)
{
    if (Draw(device) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    return Lock() ? QrRenderCode::kOk : QrRenderCode::kDrawFailed;
}

plat::VertexBuffer* QrVertexBuffer::Buffer(uint32_t pair, uint32_t index) const
{
    return pair < 2 && index < 2 ? m_pairs[pair][index].get() : nullptr;
}
