#include "Viewport3D.h"

#include "Device3D.h"
#include "DisplayContext.h"
#include "Surface.h"

#include <algorithm>
#include <cstring>

namespace plat
{

Rect Viewport3D::Bounds() const
{
    return Rect{static_cast<int32_t>(m_desc.x), static_cast<int32_t>(m_desc.y),
                static_cast<int32_t>(m_desc.x + m_desc.width), static_cast<int32_t>(m_desc.y + m_desc.height)};
}

Result Viewport3D::SetViewport(const ViewportDesc& desc)
{
    Result r = m_context->Check(Operation::SetViewport);
    if (r == Result::Ok && !m_device)
        r = Result::NotAttached;
    if (r == Result::Ok)
    {
        const Surface& target = *m_device->RenderTarget();
        if (desc.width == 0 || desc.height == 0 || uint64_t{desc.x} + desc.width > target.Width() ||
            uint64_t{desc.y} + desc.height > target.Height() || desc.minZ > desc.maxZ)
            r = Result::InvalidParams;
    }
    if (r == Result::Ok)
    {
        m_desc = desc;
        m_hasViewport = true;
    }
    return m_context->Record(Call::SetViewport, desc.width, desc.height, 0, r);
}

Result Viewport3D::GetViewport(ViewportDesc& out) const
{
    if (!m_hasViewport)
        return Result::InvalidParams;
    out = m_desc;
    return Result::Ok;
}

namespace
{

void Fill(const PixelView& view, const Rect& r, uint32_t value)
{
    if (r.Empty())
        return;
    const uint32_t bpp = BytesPerPixel(view.format);
    const size_t offset = static_cast<size_t>(r.left) * bpp;
    const size_t bytes = static_cast<size_t>(r.right - r.left) * bpp;
    // The first row pixel by pixel, then copied whole into the others.
    uint8_t* first = view.Row(static_cast<uint32_t>(r.top)) + offset;
    for (size_t at = 0; at < bytes; at += bpp)
        WritePixel(first + at, bpp, value);
    for (int32_t y = r.top + 1; y < r.bottom; ++y)
        std::memcpy(view.Row(static_cast<uint32_t>(y)) + offset, first, bytes);
}

} // namespace

Result Viewport3D::Clear(uint32_t rectCount, const Rect* rects, uint32_t flags, uint32_t color, float z,
                         uint32_t stencil)
{
    auto done = [&](Result r) { return m_context->Record(Call::Clear, flags, color, rectCount, r, z); };
    Result r = m_context->Check(Operation::Clear);
    if (r != Result::Ok)
        return done(r);
    if (!m_device)
        return done(Result::NotAttached);
    if (!m_hasViewport || rectCount == 0 || !rects || (flags & (kClearTarget | kClearZBuffer)) == 0)
        return done(Result::InvalidParams);
    Surface& target = *m_device->RenderTarget();
    const Surface* depth = target.AttachedDepth();
    if ((flags & kClearZBuffer) && !depth)
        return done(Result::InvalidParams);
    if (target.IsLost() != Result::Ok || (depth && depth->IsLost() != Result::Ok))
        return done(Result::SurfaceLost);
    if (target.IsLocked() || (depth && depth->IsLocked()))
        return done(Result::Busy);
    for (uint32_t i = 0; i < rectCount; ++i)
    {
        if (rects[i].Inverted())
            return done(Result::InvalidRect);
    }

    m_context->FlushDrawing();
    const Rect bounds = Bounds();
    const uint32_t colorValue = PackColor(target.Format(), color);
    uint32_t depthValue = 0;
    if (depth)
    {
        const PixelFormatInfo info = DescribeFormat(depth->Format());
        const uint32_t depthBits = info.zBitDepth - info.stencilBitDepth;
        depthValue = DepthToStored(depth->Format(), z);
        if (info.stencilBitDepth && depthBits < 32)
            depthValue |= (stencil & ((1u << info.stencilBitDepth) - 1)) << depthBits;
    }
    for (uint32_t i = 0; i < rectCount; ++i)
    {
        Rect c = rects[i];
        c.left = std::max(c.left, bounds.left);
        c.top = std::max(c.top, bounds.top);
        c.right = std::min(c.right, bounds.right);
        c.bottom = std::min(c.bottom, bounds.bottom);
        if (c.Empty())
            continue;
        if (flags & kClearTarget)
            Fill(target.View(), c, colorValue);
        if (flags & kClearZBuffer)
            Fill(depth->View(), c, depthValue);
    }
    return done(Result::Ok);
}

} // namespace plat
