#pragma once
// The 3D interface of a display: depth formats per device kind, and the factory of devices,
// viewports and vertex buffers.

#include "CapsProfile.h"
#include "Result.h"

#include <memory>
#include <vector>

namespace plat
{

class Device3D;
class Surface;
class VertexBuffer;
class Viewport3D;
struct DisplayContext;
struct VertexBufferDesc;

class Graphics3D
{
public:
    // The depth formats a device kind can render with, in the profile's order.
    Result EnumDepthFormats(DeviceKind kind, std::vector<PixelFormat>& out) const;
    // A device of that kind rendering into target, which must be an RGB565 surface made for
    // 3D (kCaps3DDevice), in video memory for the hardware kind. A depth buffer attached to
    // the target beforehand is the device's.
    Result CreateDevice(DeviceKind kind, const std::shared_ptr<Surface>& target, std::shared_ptr<Device3D>& out);
    Result CreateViewport(std::shared_ptr<Viewport3D>& out);
    Result CreateVertexBuffer(const VertexBufferDesc& desc, std::shared_ptr<VertexBuffer>& out);

private:
    friend class Display;

    explicit Graphics3D(std::shared_ptr<DisplayContext> context) : m_context(std::move(context)) {}

    std::shared_ptr<DisplayContext> m_context;
};

} // namespace plat
