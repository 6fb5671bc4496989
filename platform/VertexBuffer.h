#pragma once
// A vertex buffer of one of the two pre-transformed layouts: written under a lock, drawn from
// when unlocked. Made by the 3D interface.

#include "Result.h"
#include "VertexFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plat
{

struct DisplayContext;

constexpr uint32_t kVertexBufferWriteOnly = 0x1;
constexpr uint32_t kVertexBufferSystemMemory = 0x2;

struct VertexBufferDesc
{
    uint32_t caps = 0;
    VertexFormat format = VertexFormat::TlTex1;
    uint32_t vertexCount = 0;
};

class VertexBuffer
{
public:
    const VertexBufferDesc& Desc() const { return m_desc; }
    // The whole buffer; flags as for surface locks, recorded only.
    Result Lock(uint32_t flags, void*& data, uint32_t* sizeBytes = nullptr);
    Result Unlock();
    bool IsLocked() const { return m_locked; }
    const uint8_t* Data() const { return m_data.data(); }

private:
    friend class Graphics3D;

    VertexBuffer(std::shared_ptr<DisplayContext> context, const VertexBufferDesc& desc);

    std::shared_ptr<DisplayContext> m_context;
    VertexBufferDesc m_desc;
    std::vector<uint8_t> m_data;
    bool m_locked = false;
};

} // namespace plat
