#include "VertexBuffer.h"

#include "DisplayContext.h"

namespace plat
{

VertexBuffer::VertexBuffer(std::shared_ptr<DisplayContext> context, const VertexBufferDesc& desc)
    : m_context(std::move(context)), m_desc(desc), m_data(size_t{desc.vertexCount} * VertexStride(desc.format), 0)
{
}

Result VertexBuffer::Lock(uint32_t flags, void*& data, uint32_t* sizeBytes)
{
    data = nullptr;
    Result r = m_context->Check(Operation::LockVertexBuffer);
    if (r == Result::Ok && m_locked)
        r = Result::Busy;
    if (r == Result::Ok)
    {
        m_locked = true;
        data = m_data.data();
        if (sizeBytes)
            *sizeBytes = static_cast<uint32_t>(m_data.size());
    }
    return m_context->Record(Call::LockVertexBuffer, flags, 0, 0, r);
}

Result VertexBuffer::Unlock()
{
    const Result r = m_locked ? Result::Ok : Result::NotLocked;
    m_locked = false;
    return m_context->Record(Call::UnlockVertexBuffer, 0, 0, 0, r);
}

} // namespace plat
