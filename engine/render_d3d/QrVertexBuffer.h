#pragma once
// The device's vertex buffers: a pair per vertex layout (one or two texture-coordinate sets),
// used in turn so that the buffer just drawn is left alone, and the system-memory index array
// the triangle batches fill. Made when the device opens, released when it closes.

#include "VertexFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plat
{
class Graphics3D;
class VertexBuffer;
} // namespace plat

class QrVertexBuffer
{
public:
    QrVertexBuffer() = default;
    ~QrVertexBuffer();
    QrVertexBuffer(const QrVertexBuffer&) = delete;
    QrVertexBuffer& operator=(const QrVertexBuffer&) = delete;

    // The four buffers, write-only, in system memory unless the device is hardware. The
    // single-set pair becomes current.
    bool Create(bool hardware, plat::Graphics3D& graphics, uint32_t bufferVertices);
    // The index array: indexCapacity triangles.
    bool AllocateStaging(uint32_t stride, plat::VertexFormat format, uint32_t bufferVertices, uint32_t indexCapacity);
    bool ClearLocked();
    void Release();
    void FreeStaging();

    uint32_t Stride() const { return m_stride; }
    plat::VertexFormat Format() const { return m_format; }
    uint32_t IndexCapacity() const { return m_indexCapacity; }
    uint32_t BufferVertices() const { return m_bufferVertices; }
    bool IsLocked() const { return m_locked != 0; }
    uint8_t BatchNumber() const { return m_batch; }
    // The buffer of a pair (0 one set, 1 two sets) and index (0 or 1).
    plat::VertexBuffer* Buffer(uint32_t pair, uint32_t index) const;

private:
    uint8_t* m_vertexWrite = nullptr;
    uint32_t m_vertexCount = 0;
    uint16_t* m_indexWrite = nullptr;
    uint32_t m_triangleCount = 0;
    uint32_t m_stride = 0;
    plat::VertexFormat m_format = plat::VertexFormat::TlTex1;
    std::vector<uint16_t> m_indices;
    uint32_t m_indexCapacity = 0;
    uint32_t m_bufferVertices = 0;
    std::shared_ptr<plat::VertexBuffer> m_pairs[2][2];
    uint32_t m_currentPair = 0;
    uint32_t m_pairIndex = 0;
    uint8_t m_batch = 1;
    uint8_t m_locked = 0;
    uint8_t m_mode = 0;
};
