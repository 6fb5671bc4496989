#include "QrDDImage.h"

#include "QrDDFormatSource.h"
#include "QrDDImageShared.h"
#include "QrPalette.h"
#include "QrPixelConverter.h"
#include "QrRender.h"

#include "Display.h"
#include "Palette.h"
#include "Surface.h"

#include <algorithm>
#include <cstring>

using ddimage::Fail;
using ddimage::g_currentRenderer;
using ddimage::g_display;
using ddimage::g_displayPalette;
using ddimage::IsMipmapped;

namespace
{

constexpr uint32_t kPaletteBytes = 1024;

// Raw palette bytes (red, green, blue, ignored) from a surface palette's entries and back.
void EntriesToBytes(const plat::PaletteEntry* entries, uint8_t out[kPaletteBytes])
{
    for (uint32_t i = 0; i < 256; ++i)
    {
        out[4 * i] = entries[i].red;
        out[4 * i + 1] = entries[i].green;
        out[4 * i + 2] = entries[i].blue;
        out[4 * i + 3] = entries[i].flags;
    }
}

void BytesToEntries(const uint8_t* bytes, plat::PaletteEntry out[256])
{
    for (uint32_t i = 0; i < 256; ++i)
        out[i] = {bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2], QrPalette::kEntryFlags};
}

// The formats and caps a renderer gives for an image kind; none for a renderer that is not
// the image layer's.
const QrPixelFormat* FormatsFor(QrRender* renderer, uint32_t kind, uint32_t& count, uint32_t& caps)
{
    count = 0;
    caps = 0;
    auto* source = dynamic_cast<QrDDFormatSource*>(renderer);
    if (!source)
        return nullptr;
    const QrPixelFormat* list = source->GetImageFormats(kind, count, caps);
    if (!list)
        count = 0;
    return list;
}

bool ReadPalette(plat::Surface& surface, plat::PaletteEntry out[256], bool& attached)
{
    attached = false;
    if (surface.IsLost() != plat::Result::Ok)
        QrDDImage::RestoreAllSurfaces();
    std::shared_ptr<plat::Palette> palette;
    const plat::Result r = surface.GetPalette(palette);
    if (r == plat::Result::NoPaletteAttached)
        return true;
    if (r != plat::Result::Ok || palette->GetEntries(0, 256, out) != plat::Result::Ok)
        return false;
    attached = true;
    return true;
}

} // namespace

// ---------------------------------------------------------------- surface creation

bool QrDDImage::NeedsMipmaps(QrRender* renderer) const
{
    return renderer && (renderer->GetDeviceFlags() & 0x1) != 0 && (m_flags & kFlagMipmaps) != 0;
}

bool QrDDImage::CreateSurface(QrRender* renderer, const QrPixelFormat& format, uint32_t caps,
                              std::shared_ptr<plat::Surface>& out)
{
    out.reset();
    if (!g_display)
        return Fail(kErrorNoDisplay);
    if (!renderer)
        return Fail(kErrorNoRenderer);
    plat::SurfaceDesc desc;
    desc.width = m_width;
    desc.height = m_height;
    desc.format = format.ToPlatformFormat();
    desc.caps = ((plat::kCapsSystemMemory | plat::kCapsTexture) & ~plat::kCapsVideoMemory) | caps;
    if (NeedsMipmaps(renderer) && !format.IsPalettised())
    {
        desc.mipCount = m_levelCount;
        desc.caps |= plat::kCapsMipmap | plat::kCapsComplex;
    }
    if (desc.format == plat::PixelFormat::Unknown)
        return Fail(kErrorDepth);
    if (g_display->CreateSurface(desc, out) != plat::Result::Ok)
    {
        out.reset();
        return Fail(kErrorDisplayCall);
    }
    return true;
}

bool QrDDImage::FillSurface(uint32_t width, uint32_t height, const uint8_t* const* levels, uint32_t levelCount,
                            const uint8_t* sourcePalette, const QrPalette* targetPalette, uint32_t sourceCode,
                            const QrPixelFormat& targetFormat, plat::Surface* surface)
{
    if (!surface || !levels || !levels[0])
        return Fail(kErrorNothingToConvert);
    const bool sizeMatches = (width == m_width || m_width == 0) && (height == m_height || m_height == 0);
    // The converters read and write exactly the surface's size.
    if (!sizeMatches || surface->Width() != width || surface->Height() != height)
        return Fail(kErrorSize);
    const bool mipmapped = IsMipmapped(*surface);
    if (mipmapped && levelCount != 1 && levelCount != m_levelCount)
        return Fail(kErrorSize);

    auto fillLevel = [&](plat::Surface* level, const uint8_t* pixels)
    {
        plat::PixelView view;
        if (LockSurface(level, view) != plat::Result::Ok)
            return Fail(kErrorDisplayCall);
        const uint32_t result =
            QrPixelConverter::ConvertRawPixels(sourceCode, targetFormat, sourcePalette, targetPalette, pixels, view);
        const plat::Result unlocked = UnlockSurface(level);
        if (result != QrPixelConverter::kOk)
            return Fail(result);
        return unlocked == plat::Result::Ok ? true : Fail(kErrorDisplayCall);
    };

    if (!fillLevel(surface, levels[0]))
        return false;
    if (!mipmapped)
        return true;
    if (levelCount == 1)
        return BuildMipmaps(surface, targetFormat);

    std::shared_ptr<plat::Surface> level;
    plat::Surface* current = surface;
    for (uint32_t i = 1; i < levelCount; ++i)
    {
        std::shared_ptr<plat::Surface> next;
        if (current->GetAttachedSurface(plat::kCapsMipmap, next) != plat::Result::Ok)
            return Fail(kErrorDisplayCall);
        if (!levels[i])
            return Fail(kErrorNothingToConvert);
        level = std::move(next);
        current = level.get();
        if (!fillLevel(current, levels[i]))
            return false;
    }
    return true;
}

bool QrDDImage::CreateBaseSurface(QrRender* renderer, uint32_t kind, QrDDSurfaceRecord*& out)
{
    out = nullptr;
    uint32_t count = 0;
    uint32_t caps = 0;
    const QrPixelFormat* list = FormatsFor(renderer, kind, count, caps);
    const bool needsMipmaps = NeedsMipmaps(renderer);

    uint32_t width = 0, height = 0, levels = 0, depth = 0;
    const uint8_t* pixels = nullptr;
    const uint8_t* palette = nullptr;
    const uint32_t info = GetFileName() ? GetFileInfo(GetFileName(), width, height, levels, depth, pixels, palette)
                                        : GetRawDataInfo(GetRawData(), width, height, levels, depth, pixels, palette);
    if (info != kErrorNone)
        return false;
    if (width == 0 || height == 0 || !pixels)
        return Fail(kErrorNothingToConvert);
    m_width = width;
    m_height = height;
    m_levelCount = levels;

    if (count == 0)
        return Fail(kErrorNothingToConvert);
    const QrPixelFormat* format = ChooseTextureFormat(depth, needsMipmaps, list, count);
    if (!format)
        return Fail(kErrorDepth);

    auto record = std::make_unique<QrDDSurfaceRecord>();
    record->m_format = *format;
    if (!CreateSurface(renderer, *format, caps, record->m_surface))
        return false;
    plat::Surface* surface = record->m_surface.get();
    const uint32_t sourceCode = GetFormatFromDepth(depth);
    const uint8_t* levelPixels[1] = {pixels};
    QrPalette* display = g_displayPalette.Get();

    // The new record and surface go with the unique pointer; the code stays when 0.
    auto failed = [&](uint32_t code)
    {
        if (code)
            SetErrorCode(code);
        m_base = m_ownPalette = m_displayPalette = nullptr;
        return false;
    };

    bool sharesDisplayPalette = false;
    std::shared_ptr<plat::Palette> attach;
    if (format->IsPalettised() && depth == 8)
    {
        if (!FillSurface(width, height, levelPixels, 1, palette, nullptr, sourceCode, *format, surface))
            return failed(0);
        plat::PaletteEntry entries[256];
        if (palette)
            BytesToEntries(palette, entries);
        if (display && palette && display->SameColors(entries))
        {
            sharesDisplayPalette = true;
            attach = display->CreateDDPalette();
            if (!attach)
                return failed(g_display ? kErrorDisplayCall : kErrorNoDisplay);
        }
        else
        {
            if (!palette && (!display || display->IsEmpty()))
                return failed(kErrorNoDisplayPalette);
            if (!g_display)
                return failed(kErrorNoDisplay);
            const uint32_t paletteCaps =
                plat::kPaletteCaps8Bit | plat::kPaletteCapsInitialize | plat::kPaletteCapsAllow256;
            if (g_display->CreatePalette(paletteCaps, palette ? entries : display->GetEntries(), attach) !=
                plat::Result::Ok)
                return failed(kErrorDisplayCall);
        }
    }
    else if (format->IsPalettised())
    {
        if (!display || display->IsEmpty())
            return failed(kErrorNoDisplayPalette);
        if (!FillSurface(width, height, levelPixels, 1, nullptr, display, sourceCode, *format, surface))
            return failed(0);
        sharesDisplayPalette = true;
        attach = display->CreateDDPalette();
        if (!attach)
            return failed(kErrorDisplayCall);
    }
    else if (!FillSurface(width, height, levelPixels, 1, palette, nullptr, sourceCode, *format, surface))
    {
        return failed(0);
    }

    if (attach && surface->SetPalette(attach) != plat::Result::Ok)
        return failed(kErrorDisplayCall);

    QrDDSurfaceRecord* made = AdoptRecord(std::move(record));
    m_base = made;
    if (format->IsPalettised())
    {
        m_ownPalette = made;
        if (sharesDisplayPalette)
        {
            m_displayPalette = made;
            if (depth == 8)
                m_flags |= kFlagDisplayPalette;
        }
    }
    else
    {
        m_converted.push_back(made);
    }
    m_flags |= kFlagHasSurfaces;
    out = made;
    return true;
}

bool QrDDImage::MakeConvertedSurface(QrRender* renderer, const QrPixelFormat& format, uint32_t caps,
                                     QrDDSurfaceRecord*& inOut, bool ownPalette)
{
    if (inOut && inOut == m_base)
        return true;
    if (!m_base)
        return Fail(kErrorNothingToConvert);

    // The base's own colours, when it is palettised and has them.
    uint8_t sourceBytes[kPaletteBytes];
    const uint8_t* sourcePalette = nullptr;
    if (m_base->m_format.IsPalettised())
    {
        plat::PaletteEntry entries[256];
        bool attached = false;
        if (!ReadPalette(*m_base->m_surface, entries, attached))
            return Fail(kErrorDisplayCall);
        if (attached)
        {
            EntriesToBytes(entries, sourceBytes);
            sourcePalette = sourceBytes;
        }
    }

    // Which palette the new surface carries, whether its pixels are remapped to the display
    // palette, and which palette role it takes.
    std::shared_ptr<plat::Palette> attach;
    const QrPalette* remapTo = nullptr;
    bool becomesOwn = false;
    bool becomesDisplay = false;
    if (format.IsPalettised())
    {
        QrPalette* display = g_displayPalette.Get();
        const bool basePalettised = m_base->m_format.IsPalettised();
        const bool sharesDisplay = (m_flags & kFlagDisplayPalette) != 0;
        if (basePalettised && !sharesDisplay && !ownPalette)
        {
            // The base's own colours; a base without a palette gives none.
            if (m_base->m_surface->GetPalette(attach) != plat::Result::Ok)
                attach.reset();
            becomesOwn = true;
        }
        else
        {
            if (!display || display->IsEmpty())
                return Fail(kErrorNoDisplayPalette);
            attach = display->CreateDDPalette();
            if (!attach)
                return Fail(g_display ? kErrorDisplayCall : kErrorNoDisplay);
            becomesDisplay = true;
            if (!basePalettised || sharesDisplay)
            {
                becomesOwn = true;
                remapTo = sharesDisplay ? nullptr : display;
            }
            else
            {
                remapTo = display;
            }
        }
    }

    std::shared_ptr<plat::Surface> made;
    plat::Surface* target = inOut ? inOut->m_surface.get() : nullptr;
    if (!target)
    {
        if (!CreateSurface(renderer, format, caps, made))
            return false;
        target = made.get();
    }
    if (attach && target->SetPalette(attach) != plat::Result::Ok)
        return Fail(kErrorDisplayCall);
    if (!ConvertSurface(m_base->m_format, format, sourcePalette, remapTo, m_base->m_surface.get(), target))
        return false;

    if (inOut)
    {
        inOut->m_stale = 0;
        inOut->m_revision = m_pixelRevision;
        return true;
    }
    auto record = std::make_unique<QrDDSurfaceRecord>();
    record->m_surface = std::move(made);
    record->m_format = format;
    QrDDSurfaceRecord* adopted = AdoptRecord(std::move(record));
    if (becomesOwn)
        m_ownPalette = adopted;
    if (becomesDisplay)
        m_displayPalette = adopted;
    if (!format.IsPalettised())
        m_converted.push_back(adopted);
    m_flags |= kFlagHasSurfaces;
    inOut = adopted;
    return true;
}

bool QrDDImage::Refresh(QrRender* renderer, QrDDSurfaceRecord* record)
{
    if (record == m_base || (!record->m_stale && record->m_revision == m_pixelRevision))
        return true;
    const bool displayCopy = record == m_displayPalette && record != m_ownPalette;
    return MakeConvertedSurface(renderer, record->m_format, 0, record, displayCopy);
}

bool QrDDImage::AttachDisplayPalette()
{
    if (!m_base || !m_base->m_format.IsPalettised())
        return true;
    if (m_base->m_format.m_bitsPerPixel != 8)
        return Fail(kErrorDepth);
    QrPalette* display = g_displayPalette.Get();
    if (!display || display->IsEmpty())
        return Fail(kErrorNoDisplayPalette);
    plat::PaletteEntry entries[256];
    bool attached = false;
    if (!ReadPalette(*m_base->m_surface, entries, attached))
        return Fail(kErrorDisplayCall);
    bool shares = false;
    if (!attached)
    {
        std::shared_ptr<plat::Palette> palette = display->CreateDDPalette();
        if (!palette)
            return Fail(g_display ? kErrorDisplayCall : kErrorNoDisplay);
        if (m_base->m_surface->SetPalette(palette) != plat::Result::Ok)
            return Fail(kErrorDisplayCall);
        shares = true;
    }
    else
    {
        shares = display->SameColors(entries);
    }
    if (shares)
        m_flags |= kFlagDisplayPalette;
    m_ownPalette = m_base;
    if (m_flags & kFlagDisplayPalette)
        m_displayPalette = m_base;
    m_flags &= ~kFlagPalettePending;
    m_flags |= kFlagHasSurfaces;
    return true;
}

// ---------------------------------------------------------------- surfaces by kind

bool QrDDImage::GetTextureSourceSurface(QrRender* renderer, QrDDSurfaceRecord*& out)
{
    uint32_t count = 0;
    uint32_t caps = 0;
    const QrPixelFormat* list = FormatsFor(renderer, kKindTextureSource, count, caps);
    if (count == 0)
        return Fail(kErrorNothingToConvert);
    if (m_flags & kFlagHasSurfaces)
    {
        for (uint32_t i = 0; i < count; ++i)
        {
            QrDDSurfaceRecord* hit = list[i].IsPalettised() ? m_ownPalette : FindConverted(list[i]);
            if (!hit)
                continue;
            if (!Refresh(renderer, hit))
                return false;
            out = hit;
            return true;
        }
    }
    if (m_base)
    {
        const QrPixelFormat* format = ChooseMatchingFormat(m_base->m_format, NeedsMipmaps(renderer), list, count);
        if (!format)
            return Fail(kErrorNothingToConvert);
        out = nullptr;
        return MakeConvertedSurface(renderer, *format, caps, out, false);
    }
    if (GetFileName() || GetRawData())
        return CreateBaseSurface(renderer, kKindTextureSource, out);
    return Fail(kErrorNothingToConvert);
}

bool QrDDImage::GetDisplaySurface(QrRender* renderer, QrDDSurfaceRecord*& out)
{
    uint32_t count = 0;
    uint32_t caps = 0;
    const QrPixelFormat* list = FormatsFor(renderer, kKindDisplay, count, caps);
    if (count == 0)
        return Fail(kErrorNothingToConvert);
    const QrPixelFormat& target = list[0];
    auto find = [&]() { return target.IsPalettised() ? m_ownPalette : FindConverted(target); };

    QrDDSurfaceRecord* hit = find();
    if (!hit && !m_base)
    {
        if (!GetFileName() && !GetRawData())
            return Fail(kErrorNothingToConvert);
        QrDDSurfaceRecord* base = nullptr;
        if (!CreateBaseSurface(renderer, kKindDisplay, base))
            return false;
        hit = find();
    }
    if (hit)
    {
        if (!Refresh(renderer, hit))
            return false;
        out = hit;
        return true;
    }
    out = nullptr;
    return MakeConvertedSurface(renderer, target, caps, out, false);
}

bool QrDDImage::GetSurfaceFor(QrRender* renderer, uint32_t kind, plat::Surface*& out)
{
    out = nullptr;
    if (!renderer)
        renderer = g_currentRenderer;
    if (!renderer)
        return Fail(kErrorNoRenderer);
    if ((m_flags & kFlagPalettePending) && !AttachDisplayPalette())
        return false;
    QrDDSurfaceRecord* record = nullptr;
    bool ok = false;
    if (kind == kKindTextureSource)
        ok = GetTextureSourceSurface(renderer, record);
    else if (kind == kKindDisplay)
        ok = GetDisplaySurface(renderer, record);
    else
        return Fail(kErrorKind);
    if (!ok || !record)
        return false;
    out = record->m_surface.get();
    return true;
}

bool QrDDImage::PrepareForRenderer(QrRender* renderer, uint32_t kind)
{
    plat::Surface* scratch = nullptr;
    return GetSurfaceFor(renderer, kind, scratch);
}
