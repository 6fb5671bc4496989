#pragma once
// A viewport of a 3D device: the rectangle of the target that draws and clears address.
// Added to one device, which it then clears; made by the 3D interface.

#include "Rect.h"
#include "Result.h"

#include <cstdint>
#include <memory>

namespace plat
{

class Device3D;
struct DisplayContext;

struct ViewportDesc
{
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    float clipX = 0.0f; // recorded: pre-transformed vertices are not clipped
    float clipY = 0.0f;
    float clipWidth = 0.0f;
    float clipHeight = 0.0f;
    float minZ = 0.0f;
    float maxZ = 1.0f;
};

constexpr uint32_t kClearTarget = 0x1;
constexpr uint32_t kClearZBuffer = 0x2;

class Viewport3D
{
public:
    // Needs a device (AddViewport first); the rectangle must lie within its target.
    Result SetViewport(const ViewportDesc& desc);
    Result GetViewport(ViewportDesc& out) const;
    // Fills each rectangle, clipped to the viewport, with color (0xAARRGGBB, packed into the
    // target's format) and/or the depth buffer with z and stencil.
    Result Clear(uint32_t rectCount, const Rect* rects, uint32_t flags, uint32_t color, float z, uint32_t stencil);

    Device3D* Device() const { return m_device; }
    bool HasViewport() const { return m_hasViewport; }
    Rect Bounds() const;

private:
    friend class Device3D;
    friend class Graphics3D;

    explicit Viewport3D(std::shared_ptr<DisplayContext> context) : m_context(std::move(context)) {}

    std::shared_ptr<DisplayContext> m_context;
    Device3D* m_device = nullptr; // borrowed: the device clears it when it goes
    ViewportDesc m_desc;
    bool m_hasViewport = false;
};

} // namespace plat
