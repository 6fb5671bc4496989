#include "Device3D.h"

#include "DisplayContext.h"
#include "Surface.h"
#include "VertexBuffer.h"
#include "Viewport3D.h"

#include <algorithm>

namespace plat
{

Device3D::Device3D(std::shared_ptr<DisplayContext> context, DeviceKind kind, const DeviceProfile& profile,
                   std::shared_ptr<Surface> target, std::unique_ptr<Rasterizer> rasterizer)
    : m_context(std::move(context)), m_kind(kind), m_profile(profile), m_target(std::move(target)),
      m_rasterizer(std::move(rasterizer)), m_state(DeviceState::Defaults(m_target->AttachedDepth() != nullptr))
{
    // The rasterizer may hold draws. That is safe because surface memory is reached only
    // through its Surface, and every path that reads or writes it outside the rasterizer
    // (lock, blit, flip, restore, present, clear, freeing) flushes the context's rasterizers
    // first; a draw sampling a texture that is locked is written at once.
    m_context->rasterizers.push_back(m_rasterizer.get());
}

Device3D::~Device3D()
{
    m_rasterizer->Flush();
    auto& list = m_context->rasterizers;
    list.erase(std::remove(list.begin(), list.end(), m_rasterizer.get()), list.end());
    for (const auto& viewport : m_viewports)
        viewport->m_device = nullptr;
}

Result Device3D::GetCaps(DeviceCaps* hardware, DeviceCaps* emulation) const
{
    const Result r = m_context->Check(Operation::GetCaps);
    if (r != Result::Ok)
        return r;
    const bool isHardware = m_kind == DeviceKind::Hardware;
    if (hardware)
        *hardware = isHardware ? m_profile.caps : DeviceCaps{};
    if (emulation)
        *emulation = isHardware ? DeviceCaps{} : m_profile.caps;
    return Result::Ok;
}

Result Device3D::EnumTextureFormats(std::vector<PixelFormat>& out) const
{
    out = m_profile.textureFormats;
    return Result::Ok;
}

Result Device3D::AddViewport(const std::shared_ptr<Viewport3D>& viewport)
{
    Result r = m_context->Check(Operation::AddViewport);
    if (r == Result::Ok && (!viewport || (viewport->m_device && viewport->m_device != this)))
        r = Result::InvalidParams;
    if (r == Result::Ok && viewport->m_device != this)
    {
        viewport->m_device = this;
        m_viewports.push_back(viewport);
    }
    return m_context->Record(Call::AddViewport, 0, 0, 0, r);
}

Result Device3D::SetCurrentViewport(const std::shared_ptr<Viewport3D>& viewport)
{
    Result r = m_context->Check(Operation::SetCurrentViewport);
    if (r == Result::Ok && (!viewport || viewport->m_device != this))
        r = Result::InvalidParams;
    if (r == Result::Ok)
        m_current = viewport;
    return m_context->Record(Call::SetCurrentViewport, 0, 0, 0, r);
}

Result Device3D::BeginScene()
{
    Result r = m_context->Check(Operation::BeginScene);
    if (r == Result::Ok && m_inScene)
        r = Result::AlreadyInScene;
    if (r == Result::Ok && m_target->IsLost() != Result::Ok)
        r = Result::SurfaceLost;
    if (r == Result::Ok)
        m_inScene = true;
    return m_context->Record(Call::BeginScene, 0, 0, 0, r);
}

Result Device3D::EndScene()
{
    Result r = m_context->Check(Operation::EndScene);
    if (r == Result::Ok && !m_inScene)
        r = Result::NotInScene;
    if (r == Result::Ok)
    {
        m_inScene = false;
        m_rasterizer->Flush();
    }
    return m_context->Record(Call::EndScene, 0, 0, 0, r);
}

Result Device3D::SetRenderState(RenderState state, uint32_t value)
{
    const uint32_t i = static_cast<uint32_t>(state);
    if (i >= kRenderStateCount)
        return m_context->Record(Call::SetRenderState, i, value, 0, Result::InvalidParams);
    m_state.render[i] = value;
    return m_context->Record(Call::SetRenderState, i, value);
}

Result Device3D::GetRenderState(RenderState state, uint32_t& value) const
{
    const uint32_t i = static_cast<uint32_t>(state);
    if (i >= kRenderStateCount)
        return Result::InvalidParams;
    value = m_state.render[i];
    return Result::Ok;
}

Result Device3D::SetLightState(LightState state, uint32_t value)
{
    const uint32_t i = static_cast<uint32_t>(state);
    if (i >= kLightStateCount)
        return m_context->Record(Call::SetLightState, i, value, 0, Result::InvalidParams);
    m_state.light[i] = value;
    return m_context->Record(Call::SetLightState, i, value);
}

Result Device3D::GetLightState(LightState state, uint32_t& value) const
{
    const uint32_t i = static_cast<uint32_t>(state);
    if (i >= kLightStateCount)
        return Result::InvalidParams;
    value = m_state.light[i];
    return Result::Ok;
}

Result Device3D::SetTextureStageState(uint32_t stage, StageState state, uint32_t value)
{
    const uint32_t i = static_cast<uint32_t>(state);
    if (stage >= kMaxTextureStages || i >= kStageStateCount)
        return m_context->Record(Call::SetTextureStageState, stage, i, value, Result::InvalidParams);
    auto& s = m_state.stage[stage];
    s[i] = value;
    if (state == StageState::Address)
    {
        s[static_cast<uint32_t>(StageState::AddressU)] = value;
        s[static_cast<uint32_t>(StageState::AddressV)] = value;
    }
    return m_context->Record(Call::SetTextureStageState, stage, i, value);
}

Result Device3D::GetTextureStageState(uint32_t stage, StageState state, uint32_t& value) const
{
    const uint32_t i = static_cast<uint32_t>(state);
    if (stage >= kMaxTextureStages || i >= kStageStateCount)
        return Result::InvalidParams;
    value = m_state.stage[stage][i];
    return Result::Ok;
}

Result Device3D::SetTexture(uint32_t stage, const std::shared_ptr<Surface>& texture)
{
    const uint32_t id = texture ? texture->Id() : 0;
    if (stage >= kMaxTextureStages || (texture && (texture->Caps() & kCapsTexture) == 0))
        return m_context->Record(Call::SetTexture, stage, id, 0, Result::InvalidParams);
    m_textures[stage] = texture;
    return m_context->Record(Call::SetTexture, stage, id);
}

Result Device3D::GetTexture(uint32_t stage, std::shared_ptr<Surface>& out) const
{
    out.reset();
    if (stage >= kMaxTextureStages)
        return Result::InvalidParams;
    out = m_textures[stage];
    return Result::Ok;
}

Result Device3D::Validate(uint32_t& passes)
{
    passes = 0;
    const Result r = m_context->Check(Operation::Validate);
    if (r == Result::Ok)
        passes = 1;
    return m_context->Record(Call::Validate, 0, 0, 0, r);
}

Result Device3D::Draw(PrimitiveType primitive, VertexFormat format, const uint8_t* vertices, uint32_t vertexCount,
                      const uint16_t* indices, uint32_t indexCount)
{
    Result r = m_context->Check(Operation::Draw);
    if (r != Result::Ok)
        return r;
    if (!m_inScene)
        return Result::NotInScene;
    if (!m_current || !m_current->HasViewport())
        return Result::NotAttached;
    const uint32_t perPrimitive = primitive == PrimitiveType::TriangleList ? 3 : 2;
    const uint32_t count = indices ? indexCount : vertexCount;
    if (!vertices || count % perPrimitive != 0)
        return Result::InvalidParams;
    if (indices)
    {
        for (uint32_t i = 0; i < indexCount; ++i)
        {
            if (indices[i] >= vertexCount)
                return Result::InvalidParams;
        }
    }
    const Surface* depth = m_target->AttachedDepth();
    if (m_target->IsLost() != Result::Ok || (depth && depth->IsLost() != Result::Ok))
        return Result::SurfaceLost;
    if (m_target->IsLocked() || (depth && depth->IsLocked()))
        return Result::Busy;

    DrawCall call;
    call.primitive = primitive;
    call.format = format;
    call.vertices = vertices;
    call.vertexCount = vertexCount;
    call.indices = indices;
    call.indexCount = indices ? indexCount : 0;
    call.state = &m_state;
    bool textureLocked = false;
    for (uint32_t i = 0; i < kMaxTextureStages; ++i)
    {
        const Surface* t = m_textures[i].get();
        if (t && t->IsLost() != Result::Ok)
            return Result::SurfaceLost;
        call.textures[i] = t;
        for (; t; t = t->NextMipLevel())
            textureLocked = textureLocked || t->IsLocked();
    }
    call.target.color = m_target->View();
    call.target.colorSurface = m_target.get();
    if (depth)
    {
        call.target.depth = depth->View();
        call.target.depthSurface = depth;
    }
    call.target.viewport = m_current->Bounds();
    if (count > 0)
        m_rasterizer->Draw(call);
    // Its memory may change before the unlock: the draw samples it as it is now.
    if (textureLocked)
        m_rasterizer->Flush();
    return Result::Ok;
}

Result Device3D::DrawPrimitive(PrimitiveType primitive, VertexFormat format, const void* vertices, uint32_t vertexCount,
                               uint32_t /*flags*/)
{
    const Result r = Draw(primitive, format, static_cast<const uint8_t*>(vertices), vertexCount, nullptr, 0);
    return m_context->Record(Call::DrawPrimitive, static_cast<uint32_t>(primitive), vertexCount, 0, r);
}

Result Device3D::DrawPrimitiveVB(PrimitiveType primitive, const VertexBuffer& buffer, uint32_t start,
                                 uint32_t vertexCount, uint32_t /*flags*/)
{
    Result r = Result::Ok;
    const uint32_t total = buffer.Desc().vertexCount;
    if (buffer.IsLocked())
        r = Result::Busy;
    else if (start > total || vertexCount > total - start)
        r = Result::InvalidParams;
    if (r == Result::Ok)
    {
        const VertexFormat format = buffer.Desc().format;
        r = Draw(primitive, format, buffer.Data() + size_t{start} * VertexStride(format), vertexCount, nullptr, 0);
    }
    return m_context->Record(Call::DrawPrimitiveVB, static_cast<uint32_t>(primitive), start, vertexCount, r);
}

Result Device3D::DrawIndexedPrimitiveVB(PrimitiveType primitive, const VertexBuffer& buffer, const uint16_t* indices,
                                        uint32_t indexCount, uint32_t /*flags*/)
{
    Result r = Result::Ok;
    if (buffer.IsLocked())
        r = Result::Busy;
    else if (!indices && indexCount > 0)
        r = Result::InvalidParams;
    // An empty list is still checked (scene, viewport) and then draws nothing.
    static const uint16_t kNoIndex = 0;
    if (r == Result::Ok)
        r = Draw(primitive, buffer.Desc().format, buffer.Data(), buffer.Desc().vertexCount,
                 indices ? indices : &kNoIndex, indexCount);
    return m_context->Record(Call::DrawIndexedPrimitiveVB, static_cast<uint32_t>(primitive), indexCount,
                             buffer.Desc().vertexCount, r);
}

} // namespace plat
