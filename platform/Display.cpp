#include "Display.h"

#include "Clipper.h"
#include "DisplayContext.h"
#include "FailureInjector.h"
#include "Graphics3D.h"
#include "Surface.h"

#include <algorithm>

namespace plat
{

Display::Display(std::shared_ptr<DisplayContext> context) : m_context(std::move(context)) {}

Result Display::Create(const DisplayConfig& config, std::shared_ptr<Display>& out)
{
    out.reset();
    auto context = std::make_shared<DisplayContext>(config);
    const Result r = context->Check(Operation::CreateDisplay);
    if (r != Result::Ok)
        return r;
    if (DisplayFormatForDepth(config.profile.desktop.bitsPerPixel) == PixelFormat::Unknown)
        return Result::Unsupported;
    out.reset(new Display(std::move(context)));
    return Result::Ok;
}

Result Display::Create(std::shared_ptr<Display>& out)
{
    return Create(CurrentDisplayConfig(), out);
}

Result Display::Create(const DisplayDriver& driver, std::shared_ptr<Display>& out)
{
    DisplayConfig config = CurrentDisplayConfig();
    config.profile.driverDescription = driver.description;
    config.profile.hardwareCaps = driver.hardwareCaps;
    config.profile.secondaryDrivers.clear();
    return Create(config, out);
}

Result EnumerateDisplayDrivers(std::vector<DisplayDriver>& out)
{
    out.clear();
    const DisplayConfig& config = CurrentDisplayConfig();
    if (config.injector)
    {
        const Result r = config.injector->Check(Operation::EnumerateDrivers);
        if (r != Result::Ok)
            return r;
    }
    out = config.profile.secondaryDrivers;
    return Result::Ok;
}

const std::string& Display::DriverDescription() const
{
    return m_context->profile.driverDescription;
}

Result Display::GetCaps(DisplayCaps* hardware, DisplayCaps* emulation) const
{
    const Result r = m_context->Check(Operation::GetCaps);
    if (r != Result::Ok)
        return r;
    if (hardware)
        *hardware = m_context->profile.hardwareCaps;
    if (emulation)
        *emulation = m_context->profile.emulationCaps;
    return Result::Ok;
}

Result Display::GetDisplayMode(SurfaceDesc& out) const
{
    const Result r = m_context->Check(Operation::GetDisplayMode);
    if (r != Result::Ok)
        return r;
    const DisplayMode& mode = m_context->mode;
    out = SurfaceDesc{};
    out.width = mode.width;
    out.height = mode.height;
    out.format = DisplayFormatForDepth(mode.bitsPerPixel);
    out.formatInfo = DescribeFormat(out.format);
    out.pitch = PitchFor(out.format, mode.width);
    return Result::Ok;
}

Result Display::EnumDisplayModes(std::vector<DisplayMode>& out) const
{
    out.clear();
    const Result r = m_context->Check(Operation::EnumDisplayModes);
    if (r != Result::Ok)
        return r;
    const auto& modes = m_context->profile.modes;
    out.assign(modes.begin(), modes.begin() + std::min<size_t>(modes.size(), kMaxDisplayModes));
    return Result::Ok;
}

Result Display::ChangeMode(const DisplayMode& mode)
{
    const DisplayMode old = m_context->mode;
    m_context->mode = mode;
    if (old.width != mode.width || old.height != mode.height || old.bitsPerPixel != mode.bitsPerPixel)
        LoseSurfaces();
    return Result::Ok;
}

Result Display::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel)
{
    Result r = m_context->Check(Operation::SetDisplayMode);
    if (r == Result::Ok && (m_context->cooperativeFlags & kCoopExclusive) == 0)
        r = Result::NoExclusiveMode;
    if (r == Result::Ok)
    {
        const auto& modes = m_context->profile.modes;
        const auto it =
            std::find_if(modes.begin(), modes.end(),
                         [&](const DisplayMode& m)
                         { return m.width == width && m.height == height && m.bitsPerPixel == bitsPerPixel; });
        r = it == modes.end() ? Result::UnsupportedMode : ChangeMode(*it);
    }
    return m_context->Record(Call::SetDisplayMode, width, height, bitsPerPixel, r);
}

Result Display::RestoreDisplayMode()
{
    Result r = m_context->Check(Operation::RestoreDisplayMode);
    if (r == Result::Ok)
        r = ChangeMode(m_context->profile.desktop);
    return m_context->Record(Call::RestoreDisplayMode, 0, 0, 0, r);
}

Result Display::SetCooperativeLevel(WindowBackend* window, uint32_t flags)
{
    Result r = m_context->Check(Operation::SetCooperativeLevel);
    if (r == Result::Ok)
    {
        const bool normal = (flags & kCoopNormal) != 0;
        const bool fullScreen = (flags & kCoopFullScreen) != 0;
        const bool exclusive = (flags & kCoopExclusive) != 0;
        if (normal == (fullScreen || exclusive) || fullScreen != exclusive || (exclusive && !window))
            r = Result::InvalidParams;
    }
    if (r == Result::Ok)
    {
        m_context->cooperativeFlags = flags;
        m_context->cooperativeWindow = window;
    }
    return m_context->Record(Call::SetCooperativeLevel, flags, 0, 0, r);
}

uint32_t Display::CooperativeLevel() const
{
    return m_context->cooperativeFlags;
}

WindowBackend* Display::CooperativeWindow() const
{
    return m_context->cooperativeWindow;
}

namespace
{

uint32_t FullMipCount(uint32_t width, uint32_t height)
{
    uint32_t levels = 1;
    while (width > 1 || height > 1)
    {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++levels;
    }
    return levels;
}

// Checks a request and completes it: size, format, chain lengths. Memory is placed later.
Result Complete(const DisplayContext& context, SurfaceDesc& d)
{
    const uint32_t caps = d.caps;
    const PixelFormat modeFormat = DisplayFormatForDepth(context.mode.bitsPerPixel);
    if ((caps & kCapsSystemMemory) && (caps & kCapsVideoMemory))
        return Result::InvalidParams;
    if (caps & kCapsPrimary)
    {
        if (context.primary)
            return Result::PrimaryExists;
        if (d.width || d.height || (d.format != PixelFormat::Unknown && d.format != modeFormat) ||
            (caps & (kCapsTexture | kCapsZBuffer | kCapsMipmap)))
            return Result::InvalidParams;
        d.width = context.mode.width;
        d.height = context.mode.height;
    }
    else if (d.width == 0 || d.height == 0 || d.width > 16384 || d.height > 16384)
    {
        return Result::InvalidParams;
    }
    if (d.format == PixelFormat::Unknown)
        d.format = (caps & kCapsZBuffer) ? PixelFormat::Unknown : modeFormat;
    if (d.format == PixelFormat::Unknown || IsDepthFormat(d.format) != ((caps & kCapsZBuffer) != 0))
        return Result::InvalidParams;

    if (caps & kCapsFlip)
    {
        if ((caps & kCapsComplex) == 0 || d.backBufferCount == 0 || (caps & (kCapsTexture | kCapsZBuffer)))
            return Result::InvalidParams;
        if (d.backBufferCount > context.profile.maxBackBuffers)
            return Result::OutOfVideoMemory;
        if ((caps & kCapsPrimary) && (context.cooperativeFlags & kCoopExclusive) == 0)
            return Result::NoExclusiveMode;
    }
    else if (d.backBufferCount != 0)
    {
        return Result::InvalidParams;
    }

    if (caps & kCapsMipmap)
    {
        const uint32_t full = FullMipCount(d.width, d.height);
        if ((caps & kCapsTexture) == 0 || d.mipCount > full)
            return Result::InvalidParams;
        if (d.mipCount == 0)
            d.mipCount = full;
    }
    else
    {
        d.mipCount = (caps & kCapsTexture) ? 1 : 0;
    }
    return Result::Ok;
}

uint64_t TextureBytes(const SurfaceDesc& d)
{
    uint64_t bytes = 0;
    uint32_t w = d.width, h = d.height;
    for (uint32_t level = 0; level < std::max(1u, d.mipCount); ++level)
    {
        bytes += uint64_t(PitchFor(d.format, w)) * h;
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    return bytes;
}

} // namespace

Result Display::CreateSurface(const SurfaceDesc& desc, std::shared_ptr<Surface>& out)
{
    out.reset();
    DisplayContext& ctx = *m_context;
    SurfaceDesc d = desc;
    Result r = ctx.Check(Operation::CreateSurface);
    if (r == Result::Ok)
        r = Complete(ctx, d);

    // Memory: asked for, or video memory with a fall-back to system memory for textures
    // that no longer fit the texture budget.
    bool video = (d.caps & kCapsSystemMemory) == 0;
    const bool countsAsTexture = (d.caps & kCapsTexture) != 0;
    uint64_t textureBytes = 0;
    if (r == Result::Ok && video && countsAsTexture)
    {
        textureBytes = TextureBytes(d);
        if (ctx.textureBytesUsed + textureBytes > ctx.profile.textureMemoryBytes)
        {
            if (d.caps & kCapsVideoMemory)
                r = Result::OutOfVideoMemory;
            video = false;
        }
    }
    if (r != Result::Ok)
        return ctx.Record(Call::CreateSurface, 0, desc.caps, static_cast<uint32_t>(desc.format), r);

    d.caps &= ~(kCapsSystemMemory | kCapsVideoMemory | kCapsLocalVideoMemory | kCapsNonLocalVideoMemory);
    d.caps |= video ? (kCapsVideoMemory | kCapsLocalVideoMemory) : kCapsSystemMemory;

    SurfaceDesc first = d;
    if (d.caps & kCapsFlip)
        first.caps |= kCapsFrontBuffer;
    std::shared_ptr<Surface> root(new Surface(m_context, first, false));
    if (video && countsAsTexture)
    {
        root->m_textureBytes = textureBytes;
        ctx.textureBytesUsed += textureBytes;
    }

    if (d.caps & kCapsFlip)
    {
        root->m_flipFront = true;
        Surface* previous = root.get();
        for (uint32_t i = 0; i < d.backBufferCount; ++i)
        {
            SurfaceDesc back = d;
            back.caps &= ~(kCapsPrimary | kCapsFrontBuffer);
            if (i == 0)
                back.caps |= kCapsBackBuffer;
            previous->m_backBuffer.reset(new Surface(m_context, back, true));
            previous = previous->m_backBuffer.get();
        }
    }
    if (d.caps & kCapsMipmap)
    {
        Surface* previous = root.get();
        SurfaceDesc level = d;
        for (uint32_t i = 1; i < d.mipCount; ++i)
        {
            level.width = std::max(1u, level.width / 2);
            level.height = std::max(1u, level.height / 2);
            level.mipCount = d.mipCount - i;
            previous->m_nextMip.reset(new Surface(m_context, level, true));
            previous = previous->m_nextMip.get();
        }
    }
    if (d.caps & kCapsPrimary)
        ctx.primary = root.get();
    out = root;
    return ctx.Record(Call::CreateSurface, root->Id(), d.caps, static_cast<uint32_t>(d.format));
}

Result Display::CreatePalette(uint32_t caps, const PaletteEntry* entries, std::shared_ptr<Palette>& out)
{
    out.reset();
    const Result r = m_context->Check(Operation::CreatePalette);
    if (r != Result::Ok)
        return r;
    if ((caps & kPaletteCaps8Bit) == 0 || ((caps & kPaletteCapsInitialize) && !entries))
        return Result::InvalidParams;
    out = std::make_shared<Palette>(caps, (caps & kPaletteCapsInitialize) ? entries : nullptr);
    return Result::Ok;
}

Result Display::CreateClipper(std::shared_ptr<Clipper>& out)
{
    out.reset();
    const Result r = m_context->Check(Operation::CreateClipper);
    if (r != Result::Ok)
        return r;
    out = std::make_shared<Clipper>();
    return Result::Ok;
}

Result Display::GetSystemPaletteEntries(uint32_t start, uint32_t count, PaletteEntry* out) const
{
    PaletteEntry entries[Palette::kEntryCount];
    SystemPaletteEntries(entries);
    return Palette(kPaletteCaps8Bit, entries).GetEntries(start, count, out);
}

Result Display::GetAvailableVideoMemory(uint32_t /*caps*/, uint32_t& total, uint32_t& free) const
{
    total = m_context->profile.textureMemoryBytes;
    const uint64_t used = m_context->textureBytesUsed;
    free = used >= total ? 0 : static_cast<uint32_t>(total - used);
    return Result::Ok;
}

Result Display::Query3D(std::shared_ptr<Graphics3D>& out)
{
    out.reset();
    const Result r = m_context->Check(Operation::Query3D);
    if (r != Result::Ok)
        return r;
    out.reset(new Graphics3D(m_context));
    return Result::Ok;
}

void Display::LoseSurfaces()
{
    for (Surface* s : m_context->liveSurfaces)
    {
        if ((s->Caps() & (kCapsPrimary | kCapsVideoMemory)) != 0)
            s->MarkLost();
    }
}

void Display::LoseAllSurfaces()
{
    for (Surface* s : m_context->liveSurfaces)
        s->MarkLost();
}

} // namespace plat
