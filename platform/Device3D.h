#pragma once
// A 3D device drawing into one render target: capabilities from its profile, the viewports
// added to it, scenes, the render, light and texture-stage state stores, the bound textures,
// validation, and the draw calls, which are checked here and handed to the rasterizer.

#include "CapsProfile.h"
#include "DeviceState.h"
#include "Rasterizer.h"
#include "Result.h"
#include "VertexFormat.h"

#include <array>
#include <memory>
#include <vector>

namespace plat
{

class Surface;
class VertexBuffer;
class Viewport3D;
struct DisplayContext;

class Device3D
{
public:
    ~Device3D();
    Device3D(const Device3D&) = delete;
    Device3D& operator=(const Device3D&) = delete;

    DeviceKind Kind() const { return m_kind; }
    // A hardware device fills the hardware description, a software one the emulation one;
    // the other stays empty.
    Result GetCaps(DeviceCaps* hardware, DeviceCaps* emulation) const;
    Result EnumTextureFormats(std::vector<PixelFormat>& out) const;

    Result AddViewport(const std::shared_ptr<Viewport3D>& viewport);
    Result SetCurrentViewport(const std::shared_ptr<Viewport3D>& viewport);
    const std::shared_ptr<Viewport3D>& CurrentViewport() const { return m_current; }

    Result BeginScene();
    Result EndScene();
    bool InScene() const { return m_inScene; }

    Result SetRenderState(RenderState state, uint32_t value);
    Result GetRenderState(RenderState state, uint32_t& value) const;
    Result SetLightState(LightState state, uint32_t value);
    Result GetLightState(LightState state, uint32_t& value) const;
    Result SetTextureStageState(uint32_t stage, StageState state, uint32_t value);
    Result GetTextureStageState(uint32_t stage, StageState state, uint32_t& value) const;
    // A texture surface (kCapsTexture) or null.
    Result SetTexture(uint32_t stage, const std::shared_ptr<Surface>& texture);
    Result GetTexture(uint32_t stage, std::shared_ptr<Surface>& out) const;
    // How many passes the current states need: one, unless a failure is injected.
    Result Validate(uint32_t& passes);

    // Inside a scene, with a current viewport. Lists must hold whole primitives; indices
    // must address vertices of the buffer.
    Result DrawPrimitive(PrimitiveType primitive, VertexFormat format, const void* vertices, uint32_t vertexCount,
                         uint32_t flags);
    Result DrawPrimitiveVB(PrimitiveType primitive, const VertexBuffer& buffer, uint32_t start, uint32_t vertexCount,
                           uint32_t flags);
    Result DrawIndexedPrimitiveVB(PrimitiveType primitive, const VertexBuffer& buffer, const uint16_t* indices,
                                  uint32_t indexCount, uint32_t flags);

    const DeviceState& State() const { return m_state; }
    const std::shared_ptr<Surface>& RenderTarget() const { return m_target; }
    Rasterizer& GetRasterizer() { return *m_rasterizer; }

private:
    friend class Graphics3D;

    Device3D(std::shared_ptr<DisplayContext> context, DeviceKind kind, const DeviceProfile& profile,
             std::shared_ptr<Surface> target, std::unique_ptr<Rasterizer> rasterizer);

    Result Draw(PrimitiveType primitive, VertexFormat format, const uint8_t* vertices, uint32_t vertexCount,
                const uint16_t* indices, uint32_t indexCount);

    std::shared_ptr<DisplayContext> m_context;
    DeviceKind m_kind;
    DeviceProfile m_profile;
    std::shared_ptr<Surface> m_target;
    std::unique_ptr<Rasterizer> m_rasterizer;
    DeviceState m_state;
    std::array<std::shared_ptr<Surface>, kMaxTextureStages> m_textures;
    std::vector<std::shared_ptr<Viewport3D>> m_viewports;
    std::shared_ptr<Viewport3D> m_current;
    bool m_inScene = false;
};

} // namespace plat
