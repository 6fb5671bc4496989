#include "Graphics3D.h"

#include "Device3D.h"
#include "DisplayContext.h"
#include "SoftwareRasterizer.h"
#include "Surface.h"
#include "VertexBuffer.h"
#include "Viewport3D.h"

namespace plat
{

Result Graphics3D::EnumDepthFormats(DeviceKind kind, std::vector<PixelFormat>& out) const
{
    out = m_context->profile.Device(kind).depthFormats;
    return Result::Ok;
}

Result Graphics3D::CreateDevice(DeviceKind kind, const std::shared_ptr<Surface>& target, std::shared_ptr<Device3D>& out)
{
    out.reset();
    const DeviceProfile& profile = m_context->profile.Device(kind);
    Result r = m_context->Check(Operation::CreateDevice);
    if (r == Result::Ok && !profile.present)
        r = Result::Unsupported;
    if (r == Result::Ok)
        r = profile.createResult;
    if (r == Result::Ok && (!target || (target->Caps() & kCaps3DDevice) == 0))
        r = Result::InvalidParams;
    if (r == Result::Ok && kind == DeviceKind::Hardware && (target->Caps() & kCapsVideoMemory) == 0)
        r = Result::InvalidParams;
    // The rasterizer writes 16-bit RGB565 only.
    if (r == Result::Ok && target->Format() != PixelFormat::Rgb565)
        r = Result::Unsupported;
    if (r == Result::Ok && target->IsLost() != Result::Ok)
        r = Result::SurfaceLost;
    if (r == Result::Ok)
    {
        std::unique_ptr<Rasterizer> rasterizer =
            m_context->rasterizer ? m_context->rasterizer() : std::make_unique<SoftwareRasterizer>();
        out.reset(new Device3D(m_context, kind, profile, target, std::move(rasterizer)));
    }
    return m_context->Record(Call::CreateDevice, static_cast<uint32_t>(kind), target ? target->Id() : 0, 0, r);
}

Result Graphics3D::CreateViewport(std::shared_ptr<Viewport3D>& out)
{
    out.reset();
    const Result r = m_context->Check(Operation::CreateViewport);
    if (r == Result::Ok)
        out.reset(new Viewport3D(m_context));
    return r;
}

Result Graphics3D::CreateVertexBuffer(const VertexBufferDesc& desc, std::shared_ptr<VertexBuffer>& out)
{
    out.reset();
    Result r = m_context->Check(Operation::CreateVertexBuffer);
    if (r == Result::Ok && (desc.vertexCount == 0 || desc.vertexCount > 65536))
        r = Result::InvalidParams;
    if (r == Result::Ok)
        out.reset(new VertexBuffer(m_context, desc));
    return r;
}

} // namespace plat
