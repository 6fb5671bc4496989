#include "Surface.h"

#include "DisplayContext.h"
#include "Palette.h"

#include <algorithm>
#include <cstring>

namespace plat
{

Surface::Surface(std::shared_ptr<DisplayContext> context, const SurfaceDesc& desc, bool implicit)
    : m_context(std::move(context)), m_desc(desc), m_implicit(implicit)
{
    m_id = m_context->nextSurfaceId++;
    m_desc.pitch = PitchFor(desc.format, desc.width);
    m_desc.formatInfo = DescribeFormat(desc.format);
    m_pixels.assign(static_cast<size_t>(m_desc.pitch) * desc.height, 0);
    m_context->liveSurfaces.push_back(this);
}

Surface::~Surface()
{
    // Held draws may still read or write this memory.
    m_context->FlushDrawing();
    auto& live = m_context->liveSurfaces;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (m_context->primary == this)
        m_context->primary = nullptr;
    m_context->textureBytesUsed -= m_textureBytes;
}

Result Surface::GetDesc(SurfaceDesc& out) const
{
    out = m_desc;
    return Result::Ok;
}

Result Surface::Lock(uint32_t flags, PixelView& out)
{
    Result r = m_context->Check(Operation::Lock);
    if (r == Result::Ok && m_lost)
        r = Result::SurfaceLost;
    if (r == Result::Ok && m_locked)
        r = Result::Busy;
    if (r == Result::Ok)
    {
        m_context->FlushDrawing();
        m_locked = true;
        out = View();
    }
    return m_context->Record(Call::Lock, m_id, flags, 0, r);
}

Result Surface::Unlock()
{
    if (!m_locked)
        return m_context->Record(Call::Unlock, m_id, 0, 0, Result::NotLocked);
    m_locked = false;
    m_drawTarget = false;
    m_context->Record(Call::Unlock, m_id);
    // The primary's memory is the screen: what was written shows.
    PresentIfPrimary();
    return Result::Ok;
}

void Surface::CollectChain(std::vector<Surface*>& out)
{
    for (Surface* s = m_backBuffer.get(); s; s = s->m_backBuffer.get())
        out.push_back(s);
    for (Surface* s = m_nextMip.get(); s; s = s->m_nextMip.get())
        out.push_back(s);
}

Result Surface::Restore()
{
    if (m_implicit)
        return m_context->Record(Call::Restore, m_id, 0, 0, Result::ImplicitlyCreated);
    const Result r = m_context->Check(Operation::Restore);
    if (r != Result::Ok)
        return m_context->Record(Call::Restore, m_id, 0, 0, r);
    m_context->FlushDrawing();
    std::vector<Surface*> chain{this};
    CollectChain(chain);
    for (Surface* s : chain)
    {
        if (s->m_lost)
        {
            // What a lost surface held is gone; callers reload it.
            std::fill(s->m_pixels.begin(), s->m_pixels.end(), uint8_t{0});
            s->m_lost = false;
        }
    }
    return m_context->Record(Call::Restore, m_id);
}

namespace
{

// Where destination row or column i of a d-long run samples an s-long run: the nearest
// source pixel to the destination pixel's centre. Equal lengths give i.
int64_t SampleAt(int64_t i, int64_t d, int64_t s)
{
    return ((2 * i + 1) * s) / (2 * d);
}

} // namespace

Result Surface::BlitFrom(const Rect* dstRect, Surface* src, const Rect* srcRect, uint32_t flags,
                         const BltEffects* effects, Call call)
{
    const uint32_t srcId = src ? src->m_id : 0;
    auto done = [&](Result r) { return m_context->Record(call, m_id, srcId, flags, r); };

    Result r = m_context->Check(Operation::Blt);
    if (r != Result::Ok)
        return done(r);
    if (!src)
        return done(Result::InvalidParams);
    if (m_lost || src->m_lost)
        return done(Result::SurfaceLost);
    if (m_locked || src->m_locked)
        return done(Result::Busy);
    if (src->m_desc.format != m_desc.format)
        return done(Result::Unsupported);

    const ColorKey* key = nullptr;
    if (flags & kBltKeySrcOverride)
    {
        if (!effects)
            return done(Result::InvalidParams);
        key = &effects->srcKey;
    }
    else if (flags & kBltKeySrc)
    {
        if (!src->m_hasKey)
            return done(Result::NoColorKey);
        key = &src->m_key;
    }

    const Rect whole{0, 0, static_cast<int32_t>(m_desc.width), static_cast<int32_t>(m_desc.height)};
    const Rect srcWhole{0, 0, static_cast<int32_t>(src->m_desc.width), static_cast<int32_t>(src->m_desc.height)};
    const Rect d = dstRect ? *dstRect : whole;
    const Rect s = srcRect ? *srcRect : srcWhole;
    if (d.Inverted() || s.Inverted())
        return done(Result::InvalidRect);
    if (d.Empty() || s.Empty())
        return done(Result::Ok);

    m_context->FlushDrawing();
    if (src->m_context != m_context)
        src->m_context->FlushDrawing();
    // A blit within one surface reads from a copy, so overlapping rectangles stay right.
    std::vector<uint8_t> copy;
    const uint8_t* srcPixels = src->m_pixels.data();
    if (src == this)
    {
        copy = m_pixels;
        srcPixels = copy.data();
    }

    const uint32_t bpp = BytesPerPixel(m_desc.format);
    const int64_t dw = d.Width(), dh = d.Height(), sw = s.Width(), sh = s.Height();
    const int32_t x0 = std::max(d.left, 0), x1 = std::min(d.right, whole.right);
    const int32_t y0 = std::max(d.top, 0), y1 = std::min(d.bottom, whole.bottom);
    for (int32_t y = y0; y < y1; ++y)
    {
        const int64_t sy = s.top + SampleAt(y - d.top, dh, sh);
        if (sy < 0 || sy >= srcWhole.bottom)
            continue;
        const uint8_t* srcRow = srcPixels + sy * src->m_desc.pitch;
        uint8_t* dstRow = m_pixels.data() + static_cast<int64_t>(y) * m_desc.pitch;
        if (dw == sw && !key)
        {
            // Unstretched and unkeyed: one copy of the columns both surfaces hold.
            const int64_t first = std::max<int64_t>(x0, d.left - s.left);
            const int64_t last = std::min<int64_t>(x1, d.left + (srcWhole.right - s.left));
            if (first < last)
                std::memcpy(dstRow + first * bpp, srcRow + (s.left + (first - d.left)) * bpp,
                            static_cast<size_t>((last - first) * bpp));
            continue;
        }
        for (int32_t x = x0; x < x1; ++x)
        {
            const int64_t sx = s.left + SampleAt(x - d.left, dw, sw);
            if (sx < 0 || sx >= srcWhole.right)
                continue;
            const uint32_t pixel = ReadPixel(srcRow + sx * bpp, bpp);
            if (key && key->Matches(pixel))
                continue;
            WritePixel(dstRow + static_cast<int64_t>(x) * bpp, bpp, pixel);
        }
    }
    done(Result::Ok);
    PresentIfPrimary();
    return Result::Ok;
}

Result Surface::Blt(const Rect* dstRect, Surface* src, const Rect* srcRect, uint32_t flags, const BltEffects* effects)
{
    return BlitFrom(dstRect, src, srcRect, flags, effects, Call::Blt);
}

Result Surface::BltFast(int32_t x, int32_t y, Surface* src, const Rect* srcRect, uint32_t flags)
{
    if (flags & kBltKeySrcOverride)
        return m_context->Record(Call::BltFast, m_id, src ? src->m_id : 0, flags, Result::InvalidParams);
    Rect s{0, 0, 0, 0};
    if (srcRect)
        s = *srcRect;
    else if (src)
        s = Rect{0, 0, static_cast<int32_t>(src->m_desc.width), static_cast<int32_t>(src->m_desc.height)};
    const Rect d{x, y, x + s.Width(), y + s.Height()};
    return BlitFrom(&d, src, &s, flags, nullptr, Call::BltFast);
}

Result Surface::Flip(uint32_t /*flags*/)
{
    Result r = m_context->Check(Operation::Flip);
    if (r == Result::Ok && !m_flipFront)
        r = Result::NotFlippable;
    std::vector<Surface*> chain{this};
    if (r == Result::Ok)
    {
        for (Surface* s = m_backBuffer.get(); s; s = s->m_backBuffer.get())
            chain.push_back(s);
        for (Surface* s : chain)
        {
            if (s->m_lost)
                r = Result::SurfaceLost;
            else if (s->m_locked && r == Result::Ok)
                r = Result::Busy;
        }
    }
    if (r != Result::Ok)
        return m_context->Record(Call::Flip, m_id, 0, 0, r);
    // Rotate the pictures; the surface objects (and what is attached to them) stay put.
    m_context->FlushDrawing();
    for (size_t i = 0; i + 1 < chain.size(); ++i)
        std::swap(chain[i]->m_pixels, chain[i + 1]->m_pixels);
    m_context->Record(Call::Flip, m_id);
    PresentIfPrimary();
    return Result::Ok;
}

Result Surface::GetFlipStatus(uint32_t flags) const
{
    const Result r = m_context->Check(Operation::FlipStatus);
    if (r != Result::Ok)
        return r;
    if ((m_desc.caps & kCapsFlip) == 0)
        return Result::NotFlippable;
    if ((flags & (kFlipStatusCanFlip | kFlipStatusIsFlipDone)) == 0)
        return Result::InvalidParams;
    return Result::Ok;
}

Result Surface::GetAttachedSurface(uint32_t caps, std::shared_ptr<Surface>& out) const
{
    out.reset();
    if (caps & kCapsBackBuffer)
        out = m_flipFront ? m_backBuffer : nullptr;
    else if (caps & kCapsZBuffer)
        out = m_depth;
    else if (caps & kCapsMipmap)
        out = m_nextMip;
    else
        return Result::InvalidParams;
    return out ? Result::Ok : Result::NotFound;
}

Result Surface::AddAttachedSurface(const std::shared_ptr<Surface>& surface)
{
    const uint32_t otherId = surface ? surface->m_id : 0;
    Result r = m_context->Check(Operation::AddAttachedSurface);
    if (r == Result::Ok)
    {
        if (!surface || surface.get() == this || (surface->m_desc.caps & kCapsZBuffer) == 0 ||
            (m_desc.caps & kCapsZBuffer) != 0 || m_depth)
            r = Result::InvalidParams;
        else if (surface->m_desc.width != m_desc.width || surface->m_desc.height != m_desc.height)
            r = Result::InvalidParams;
    }
    if (r == Result::Ok)
        m_depth = surface;
    return m_context->Record(Call::AddAttachedSurface, m_id, otherId, 0, r);
}

Result Surface::SetPalette(const std::shared_ptr<Palette>& palette)
{
    Result r = m_context->Check(Operation::SetPalette);
    if (r == Result::Ok && m_desc.format != PixelFormat::Pal8)
        r = Result::Unsupported;
    if (r == Result::Ok && m_lost)
        r = Result::SurfaceLost;
    if (r != Result::Ok)
        return m_context->Record(Call::SetPalette, m_id, 0, 0, r);
    m_palette = palette;
    m_context->Record(Call::SetPalette, m_id);
    PresentIfPrimary();
    return Result::Ok;
}

Result Surface::GetPalette(std::shared_ptr<Palette>& out) const
{
    out = m_palette;
    return m_palette ? Result::Ok : Result::NoPaletteAttached;
}

Result Surface::SetColorKey(const ColorKey* key)
{
    if (key && key->high < key->low)
        return m_context->Record(Call::SetColorKey, m_id, key->low, key->high, Result::InvalidParams);
    m_hasKey = key != nullptr;
    m_key = key ? *key : ColorKey{};
    return m_context->Record(Call::SetColorKey, m_id, m_key.low, m_key.high);
}

Result Surface::GetColorKey(ColorKey& out) const
{
    if (!m_hasKey)
        return Result::NoColorKey;
    out = m_key;
    return Result::Ok;
}

Result Surface::SetClipper(const std::shared_ptr<Clipper>& clipper)
{
    m_clipper = clipper;
    return Result::Ok;
}

Result Surface::QueryTexture() const
{
    return m_context->Check(Operation::QueryTexture);
}

Result Surface::GetDrawTarget(DrawTarget& out)
{
    PixelView view;
    const Result r = Lock(kLockWait, view);
    if (r != Result::Ok)
        return r;
    m_drawTarget = true;
    out.view = view;
    out.palette = m_palette.get();
    return Result::Ok;
}

Result Surface::ReleaseDrawTarget()
{
    if (!m_drawTarget)
        return Result::NotLocked;
    return Unlock();
}

PixelView Surface::View() const
{
    PixelView v;
    // Readers of a const surface only read; the target of a draw is written through the same view.
    v.pixels = const_cast<uint8_t*>(m_pixels.data());
    v.pitch = m_desc.pitch;
    v.width = m_desc.width;
    v.height = m_desc.height;
    v.format = m_desc.format;
    return v;
}

void Surface::PresentIfPrimary()
{
    if (m_context->primary == this)
        m_context->Present(*this);
}

} // namespace plat
