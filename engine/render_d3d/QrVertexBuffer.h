#pragma once
// The device's vertex buffers: a pair per vertex layout (one or two texture-coordinate sets),
// used in turn so that the buffer just drawn is left alone, and the system-memory index array
// the triangle batches fill. Made when the device opens, released when it closes. The emit
// kernels write through the inline cursor below; a batch runs Begin, any number of Flush, Draw.

#include "VertexFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

class QrD3DDevice;

namespace plat
{
class Graphics3D;
class VertexBuffer;
} // namespace plat

class QrVertexBuffer
{
public:
    enum : uint8_t
    {
        kModeTriangles = 0,
        kModeLines = 1,
    };

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

    // Locks buffer [pair index] of the pair for the layout; batch 1. False when the lock fails.
    bool Begin(bool twoSets, uint8_t mode);
    // Relocks the current pair's other buffer after a draw; the batch number moves on.
    bool Lock();
    // Draws what was written, one call per texture pass, and flips the pair; 0, or 2 when the
    // states or the draw failed. Nothing written: only unlocks.
    uint32_t Draw(QrD3DDevice& device);
    // Draw, then Lock; 2 when either fails (the buffer then stays unlocked and kernels stop).
    uint32_t Flush(QrD3DDevice& device);

    // --- the kernels' cursor
    // A triangle needs room for three vertices and one index triple.
    bool IsFull(uint32_t vertexLimit) const
    {
        return m_vertexCount >= vertexLimit || m_triangleCount >= m_indexCapacity;
    }
    uint8_t* NextVertex() { return m_vertexWrite; }
    uint16_t WriteVertex()
    {
        m_vertexWrite += m_stride;
        return static_cast<uint16_t>(m_vertexCount++);
    }
    void WriteIndex(uint16_t index) { *m_indexWrite++ = index; }
    void EndTriangles(uint32_t count) { m_triangleCount += count; }

    uint32_t Stride() const { return m_stride; }
    plat::VertexFormat Format() const { return m_format; }
    uint32_t IndexCapacity() const { return m_indexCapacity; }
    uint32_t BufferVertices() const { return m_bufferVertices; }
    bool IsLocked() const { return m_locked != 0; }
    // Wide enough never to come round to the 0 that every fresh record carries.
    uint32_t BatchNumber() const { return m_batch; }
    uint32_t VertexCount() const { return m_vertexCount; }
    uint32_t TriangleCount() const { return m_triangleCount; }
    uint8_t Mode() const { return m_mode; }
    bool HasTwoSets() const { return m_currentPair == 1; }
    uint32_t PairIndex() const { return m_pairIndex; }
    // The buffer of a pair (0 one set, 1 two sets) and index (0 or 1).
    plat::VertexBuffer* Buffer(uint32_t pair, uint32_t index) const;

private:
    bool LockCurrent();

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
    uint32_t m_batch = 1;
    uint8_t m_locked = 0;
    uint8_t m_mode = kModeTriangles;
};
