#include "QrDDImage.h"

#include "QrDDFormatSource.h"
#include "QrPalette.h"
#include "QrPixelConverter.h"
#include "QrRect.h"
#include "QrRender.h"
#include "QrTList.h"

#include "Display.h"
#include "Palette.h"
#include "Surface.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace
{

using LiveList = QrTList<QrDDImage*>;

// Made on first use and never destroyed, so images released at exit still find it.
LiveList& LiveImages()
{
    static LiveList* list = new LiveList(2);
    return *list;
}

std::shared_ptr<plat::Display> g_display;
QrPointer<QrPalette> g_displayPalette;
QrRender* g_currentRenderer = nullptr;
QrDDImage::ReleaseTexturesHook g_releaseTextures = nullptr;
uint32_t g_liveCount = 0;
// Restoring fills surfaces again, which locks them: no second restore pass meanwhile.
bool g_restoring = false;

// A surface that answers "busy" is asked again at once, a bounded number of times: on this
// platform nothing else runs that could unlock it meanwhile.
constexpr uint32_t kBusyRetries = 64;
constexpr uint32_t kPaletteBytes = 1024;

bool Fail(uint32_t code)
{
    QrImage::SetErrorCode(code);
    return false;
}

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

// Mip levels a surface reports: its own count, else the base-2 logarithm of its smaller side
// (0 when a side is not a power of two).
uint32_t MipCountOf(const plat::Surface& surface)
{
    plat::SurfaceDesc desc;
    surface.GetDesc(desc);
    if (desc.mipCount != 0)
        return desc.mipCount;
    return QrImage::IsPowerOfTwoSize(desc.width, desc.height);
}

bool IsMipmapped(const plat::Surface& surface)
{
    return (surface.Caps() & plat::kCapsMipmap) != 0;
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

QR_IMPLEMENT_RTTI(QrDDImage, QrImage)

// ---------------------------------------------------------------- life

QrDDImage::QrDDImage()
{
    ++g_liveCount;
    m_liveNode = LiveImages().AddTail(this);
}

QrDDImage::~QrDDImage()
{
    ReleaseSurfaces();
    if (g_releaseTextures)
        g_releaseTextures(this);
    m_textureChain.clear();
    --g_liveCount;
    LiveImages().Remove(static_cast<LiveList::Node*>(m_liveNode));
}

QrImage* QrDDImage::Create(uint32_t /*kind*/)
{
    return new (std::nothrow) QrDDImage;
}

uint32_t QrDDImage::GetLiveImageCount()
{
    return g_liveCount;
}

// ---------------------------------------------------------------- program-wide

bool QrDDImage::ReleaseAllSurfaces()
{
    for (auto* node = LiveImages().GetHead(); node; node = node->m_next)
        node->m_value->ReleaseSurfaces();
    return true;
}

bool QrDDImage::RestoreAllSurfaces()
{
    if (g_restoring)
        return true;
    g_restoring = true;
    bool ok = true;
    for (auto* node = LiveImages().GetHead(); node && ok; node = node->m_next)
        ok = node->m_value->RestoreSurfaces();
    g_restoring = false;
    return ok;
}

void QrDDImage::SetDirectDraw(std::shared_ptr<plat::Display> display)
{
    g_display = std::move(display);
}

bool QrDDImage::GetDirectDraw(plat::Display*& out)
{
    out = g_display.get();
    return out != nullptr;
}

void QrDDImage::SetGlobalObject(QrPalette* palette)
{
    if (g_displayPalette.Get() != palette)
        g_displayPalette = palette;
}

QrPalette* QrDDImage::GetGlobalObject()
{
    return g_displayPalette.Get();
}

void QrDDImage::SetCurrentRenderer(QrRender* renderer)
{
    g_currentRenderer = renderer;
}

QrRender* QrDDImage::GetCurrentRenderer()
{
    return g_currentRenderer;
}

void QrDDImage::SetReleaseTexturesHook(ReleaseTexturesHook hook)
{
    g_releaseTextures = hook;
}

void QrDDImage::ForgetTextureKey(uint32_t key)
{
    for (auto* node = LiveImages().GetHead(); node; node = node->m_next)
    {
        QrDDImage* image = node->m_value;
        if (image->m_textureKey == key)
        {
            if (image->m_textureChain.empty())
            {
                image->m_textureKey = 0;
                image->m_textureRecord = nullptr;
            }
            else
            {
                image->m_textureKey = image->m_textureChain.front().key;
                image->m_textureRecord = image->m_textureChain.front().record;
                image->m_textureChain.pop_front();
            }
        }
        image->m_textureChain.remove_if([key](const TextureLink& link) { return link.key == key; });
    }
}

// ---------------------------------------------------------------- texture map

QrTextureRecord* QrDDImage::GetTextureRecord(uint32_t key) const
{
    if (m_textureKey == key)
        return m_textureRecord;
    for (const TextureLink& link : m_textureChain)
        if (link.key == key)
            return link.record;
    return nullptr;
}

void QrDDImage::SetTextureRecord(uint32_t key, QrTextureRecord* record)
{
    if (m_textureKey == key || m_textureKey == 0)
    {
        m_textureKey = key;
        m_textureRecord = record;
        return;
    }
    for (TextureLink& link : m_textureChain)
    {
        if (link.key == key)
        {
            link.record = record;
            return;
        }
    }
    m_textureChain.push_front({record, key});
}

// ---------------------------------------------------------------- format choice

namespace
{

enum class Row
{
    kPalettised, // 8 bits without mipmaps
    kOpaque,     // 8 bits with mipmaps, 24 bits, other formats
    kAlpha,      // 32 bits, formats with alpha
};

const QrPixelFormat* ChooseByRow(Row row, const QrPixelFormat* list, uint32_t count)
{
    if (!list || count == 0)
        return nullptr;
    auto preferred = [row](const QrPixelFormat& f)
    {
        switch (row)
        {
        case Row::kPalettised:
            return f.IsPalettised();
        case Row::kOpaque:
            return !f.IsPalettised() && !f.HasAlpha();
        default:
            return f.HasAlpha();
        }
    };
    auto fallback = [row](const QrPixelFormat& f)
    { return row == Row::kPalettised ? !f.HasAlpha() : !f.IsPalettised(); };
    const QrPixelFormat* chosen = &list[0];
    for (uint32_t i = 0; i < count; ++i)
    {
        if (preferred(list[i]))
            return &list[i];
        if (i > 0 && fallback(list[i]))
            chosen = &list[i];
    }
    return chosen;
}

} // namespace

const QrPixelFormat* QrDDImage::ChooseTextureFormat(uint32_t depth, bool needsMipmaps, const QrPixelFormat* list,
                                                    uint32_t count)
{
    switch (depth)
    {
    case 8:
        return ChooseByRow(needsMipmaps ? Row::kOpaque : Row::kPalettised, list, count);
    case 24:
        return ChooseByRow(Row::kOpaque, list, count);
    case 32:
        return ChooseByRow(Row::kAlpha, list, count);
    default:
        return nullptr;
    }
}

const QrPixelFormat* QrDDImage::ChooseMatchingFormat(const QrPixelFormat& source, bool needsMipmaps,
                                                     const QrPixelFormat* list, uint32_t count)
{
    if (source.IsPalettised() && !needsMipmaps)
        return ChooseByRow(Row::kPalettised, list, count);
    return ChooseByRow(source.HasAlpha() ? Row::kAlpha : Row::kOpaque, list, count);
}

// ---------------------------------------------------------------- locking

plat::Result QrDDImage::LockSurface(plat::Surface* surface, plat::PixelView& out)
{
    if (!surface)
        return plat::Result::InvalidParams;
    if (surface->IsLost() != plat::Result::Ok)
        RestoreAllSurfaces();
    plat::Result r = plat::Result::Busy;
    for (uint32_t attempt = 0; attempt < kBusyRetries && r == plat::Result::Busy; ++attempt)
        r = surface->Lock(plat::kLockWait, out);
    return r;
}

plat::Result QrDDImage::UnlockSurface(plat::Surface* surface)
{
    if (!surface)
        return plat::Result::InvalidParams;
    if (surface->IsLost() != plat::Result::Ok)
        RestoreAllSurfaces();
    const plat::Result r = surface->Unlock();
    return r == plat::Result::NotLocked ? plat::Result::Ok : r;
}

// ---------------------------------------------------------------- surface chains

bool QrDDImage::BuildMipmaps(plat::Surface* surface, const QrPixelFormat& format)
{
    if (format.IsPalettised())
        return Fail(kErrorMipmapPalettised);
    if (format.m_bitsPerPixel != 8 && format.m_bitsPerPixel != 16 && format.m_bitsPerPixel != 24 &&
        format.m_bitsPerPixel != 32)
        return Fail(kErrorDepth);
    if (!surface)
        return Fail(kErrorDisplayCall);
    std::shared_ptr<plat::Surface> parent;
    plat::Surface* parentSurface = surface;
    for (;;)
    {
        std::shared_ptr<plat::Surface> child;
        const plat::Result found = parentSurface->GetAttachedSurface(plat::kCapsMipmap, child);
        if (found == plat::Result::NotFound)
            return true;
        if (found != plat::Result::Ok)
            return Fail(kErrorDisplayCall);
        plat::PixelView from;
        plat::PixelView to;
        if (LockSurface(parentSurface, from) != plat::Result::Ok)
            return Fail(kErrorDisplayCall);
        if (LockSurface(child.get(), to) != plat::Result::Ok)
        {
            UnlockSurface(parentSurface);
            return Fail(kErrorDisplayCall);
        }
        const bool converted = QrPixelConverter::DownsampleLevel(format, from, to);
        const bool unlocked =
            (UnlockSurface(child.get()) == plat::Result::Ok) & (UnlockSurface(parentSurface) == plat::Result::Ok);
        if (!converted)
            return Fail(kErrorDepth);
        if (!unlocked)
            return Fail(kErrorDisplayCall);
        parent = std::move(child);
        parentSurface = parent.get();
    }
}

bool QrDDImage::ConvertSurface(const QrPixelFormat& sourceFormat, const QrPixelFormat& targetFormat,
                               const uint8_t* sourcePalette, const QrPalette* targetPalette, plat::Surface* source,
                               plat::Surface* target)
{
    if (!source || !target)
        return Fail(kErrorDisplayCall);
    if (source->Width() != target->Width() || source->Height() != target->Height())
        return Fail(kErrorSize);

    // One level: lock both, convert, unlock both.
    auto convertLevel = [&](plat::Surface* from, plat::Surface* to)
    {
        plat::PixelView in;
        plat::PixelView out;
        if (LockSurface(from, in) != plat::Result::Ok)
            return Fail(kErrorDisplayCall);
        if (LockSurface(to, out) != plat::Result::Ok)
        {
            UnlockSurface(from);
            return Fail(kErrorDisplayCall);
        }
        const uint32_t result =
            QrPixelConverter::ConvertPixels(sourceFormat, targetFormat, sourcePalette, targetPalette, in, out);
        const bool unlocked = (UnlockSurface(to) == plat::Result::Ok) & (UnlockSurface(from) == plat::Result::Ok);
        if (result != QrPixelConverter::kOk)
            return Fail(result);
        return unlocked ? true : Fail(kErrorDisplayCall);
    };

    if (!IsMipmapped(*target))
        return convertLevel(source, target);
    if (!IsMipmapped(*source))
        return convertLevel(source, target) && BuildMipmaps(target, targetFormat);

    const uint32_t levels = std::min(MipCountOf(*source), MipCountOf(*target));
    std::shared_ptr<plat::Surface> from;
    std::shared_ptr<plat::Surface> to;
    plat::Surface* fromLevel = source;
    plat::Surface* toLevel = target;
    for (uint32_t level = 0; level < levels; ++level)
    {
        if (level > 0)
        {
            std::shared_ptr<plat::Surface> nextFrom;
            std::shared_ptr<plat::Surface> nextTo;
            if (fromLevel->GetAttachedSurface(plat::kCapsMipmap, nextFrom) != plat::Result::Ok ||
                toLevel->GetAttachedSurface(plat::kCapsMipmap, nextTo) != plat::Result::Ok)
                return Fail(kErrorDisplayCall);
            from = std::move(nextFrom);
            to = std::move(nextTo);
            fromLevel = from.get();
            toLevel = to.get();
        }
        if (!convertLevel(fromLevel, toLevel))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- records

QrDDSurfaceRecord* QrDDImage::AdoptRecord(std::unique_ptr<QrDDSurfaceRecord> record)
{
    record->m_revision = m_pixelRevision;
    m_records.push_back(std::move(record));
    return m_records.back().get();
}

QrDDSurfaceRecord* QrDDImage::FindConverted(const QrPixelFormat& format) const
{
    for (QrDDSurfaceRecord* record : m_converted)
        if (record->m_format.MasksEqual(format))
            return record;
    return nullptr;
}

void QrDDImage::MarkCopiesStale()
{
    for (const auto& record : m_records)
        if (record.get() != m_base)
            record->m_stale = 1;
}

bool QrDDImage::ReleaseSurfaces()
{
    m_converted.clear();
    m_base = m_ownPalette = m_displayPalette = nullptr;
    m_records.clear();
    // A new base may meet another display palette.
    m_flags &= ~(kFlagHasSurfaces | kFlagDisplayPalette);
    return true;
}

bool QrDDImage::GetSurface(plat::Surface*& out) const
{
    out = m_base ? m_base->m_surface.get() : nullptr;
    return true;
}

// ---------------------------------------------------------------- lost surfaces

bool QrDDImage::RestoreSurfaces()
{
    std::vector<QrDDSurfaceRecord*> order(m_converted.begin(), m_converted.end());
    for (QrDDSurfaceRecord* r : {m_base, m_displayPalette, m_ownPalette})
        if (r && std::find(order.begin(), order.end(), r) == order.end())
            order.push_back(r);

    bool baseRestored = false;
    for (QrDDSurfaceRecord* record : order)
    {
        plat::Surface& surface = *record->m_surface;
        const bool lost = surface.IsLost() != plat::Result::Ok;
        const plat::Result r = surface.Restore();
        if (r != plat::Result::Ok && r != plat::Result::ImplicitlyCreated)
            return Fail(kErrorDisplayCall);
        if (!lost)
            continue;
        // Restored memory comes back empty.
        if (record == m_base)
            baseRestored = true;
        else
            record->m_stale = 1;
    }
    if (baseRestored)
    {
        MarkCopiesStale();
        RefillBaseFromSource();
    }
    return true;
}

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

// ---------------------------------------------------------------- reloads

bool QrDDImage::WriteBase(uint32_t width, uint32_t height, uint32_t bitsPerPixel, const uint8_t* pixels,
                          const uint8_t* palette)
{
    if (m_width != 0 && m_height != 0 && (width != m_width || height != m_height))
        return Fail(kErrorSize);
    const uint32_t sourceCode = GetFormatFromDepth(bitsPerPixel);
    if (sourceCode > QrPixelConverter::kRawRGBA)
        return Fail(kErrorDepth);
    const uint8_t* levels[1] = {pixels};
    const QrPixelFormat& format = m_base->m_format;
    const QrPalette* remapTo = nullptr;
    if (format.IsPalettised() && bitsPerPixel != 8)
    {
        remapTo = g_displayPalette.Get();
        if (!remapTo || remapTo->IsEmpty())
            return Fail(kErrorNoDisplayPalette);
    }
    if (!FillSurface(width, height, levels, 1, format.IsPalettised() ? nullptr : palette, remapTo, sourceCode, format,
                     m_base->m_surface.get()))
        return false;
    MarkCopiesStale();
    RaisePixelRevision();
    return true;
}

bool QrDDImage::LoadFromFile()
{
    if (!GetFileName())
        return Fail(kErrorNoSource);
    if (!m_base)
        return Fail(kErrorNoRenderer);
    // Restoring reads other images' files into the same scratch picture: do it before ours.
    if (m_base->m_surface->IsLost() != plat::Result::Ok)
        RestoreAllSurfaces();
    uint32_t width = 0, height = 0, levels = 0, depth = 0;
    const uint8_t* pixels = nullptr;
    const uint8_t* palette = nullptr;
    if (GetFileInfo(GetFileName(), width, height, levels, depth, pixels, palette) != kErrorNone)
        return false;
    return WriteBase(width, height, depth, pixels, palette);
}

bool QrDDImage::LoadFromRawData()
{
    if (!GetRawData())
        return Fail(kErrorNoSource);
    if (!m_base)
        return Fail(kErrorNoRenderer);
    if (m_base->m_surface->IsLost() != plat::Result::Ok)
        RestoreAllSurfaces();
    uint32_t width = 0, height = 0, levels = 0, depth = 0;
    const uint8_t* pixels = nullptr;
    const uint8_t* palette = nullptr;
    if (GetRawDataInfo(GetRawData(), width, height, levels, depth, pixels, palette) != kErrorNone)
        return false;
    return WriteBase(width, height, depth, pixels, palette);
}

bool QrDDImage::RefillBaseFromSource()
{
    if (GetFileName())
        return LoadFromFile();
    if (GetRawData())
        return LoadFromRawData();
    return true;
}

// ---------------------------------------------------------------- blits

namespace
{

plat::Result BltRetrying(plat::Surface& target, const plat::Rect* dst, plat::Surface& source, const plat::Rect* src,
                         bool keyed)
{
    plat::BltEffects effects;
    effects.srcKey = {0, 0};
    const uint32_t flags = plat::kBltWait | (keyed ? plat::kBltKeySrcOverride : 0);
    plat::Result r = plat::Result::Busy;
    for (uint32_t attempt = 0;
         attempt < kBusyRetries && (r == plat::Result::Busy || r == plat::Result::WasStillDrawing); ++attempt)
        r = target.Blt(dst, &source, src, flags, keyed ? &effects : nullptr);
    return r;
}

bool Surfaces(QrRender* renderer, QrDDImage* target, QrImage* source, plat::Surface*& to, plat::Surface*& from)
{
    to = from = nullptr;
    auto* image = QrDynamicCast<QrDDImage>(source);
    if (!target || !image)
        return false;
    target->GetSurface(to);
    return to && image->GetSurfaceFor(renderer, QrDDImage::kKindDisplay, from) && from;
}

} // namespace

plat::Result QrDDImage::BlitImage(QrRender* renderer, QrDDImage* target, QrImage* source, const QrRect* sourceRect,
                                  int32_t x, int32_t y, bool keyed)
{
    plat::Surface* to = nullptr;
    plat::Surface* from = nullptr;
    if (!Surfaces(renderer, target, source, to, from))
        return plat::Result::InvalidParams;

    // Wider than 32 bits so that far-off positions cannot wrap.
    int64_t sl = 0, st = 0, sr = from->Width(), sb = from->Height();
    if (sourceRect)
    {
        if (sourceRect->right < sourceRect->left || sourceRect->bottom < sourceRect->top)
            return plat::Result::InvalidRect;
        sl = sourceRect->left;
        sr = sourceRect->right;
        st = sourceRect->top;
        sb = sourceRect->bottom;
    }
    int64_t dl = x, dt = y;
    // Clip the source to its picture, moving the destination with it.
    if (sl < 0)
    {
        dl -= sl;
        sl = 0;
    }
    if (st < 0)
    {
        dt -= st;
        st = 0;
    }
    sr = std::min<int64_t>(sr, from->Width());
    sb = std::min<int64_t>(sb, from->Height());
    // Then the destination to the target, moving the source with it.
    if (dl < 0)
    {
        sl -= dl;
        dl = 0;
    }
    if (dt < 0)
    {
        st -= dt;
        dt = 0;
    }
    sr = std::min<int64_t>(sr, sl + (static_cast<int64_t>(to->Width()) - dl));
    sb = std::min<int64_t>(sb, st + (static_cast<int64_t>(to->Height()) - dt));
    if (sr <= sl || sb <= st)
        return plat::Result::Ok;

    const plat::Rect src{static_cast<int32_t>(sl), static_cast<int32_t>(st), static_cast<int32_t>(sr),
                         static_cast<int32_t>(sb)};
    const plat::Rect dst{static_cast<int32_t>(dl), static_cast<int32_t>(dt), static_cast<int32_t>(dl + (sr - sl)),
                         static_cast<int32_t>(dt + (sb - st))};
    return BltRetrying(*to, &dst, *from, &src, keyed);
}

plat::Result QrDDImage::BlitImageRect(QrRender* renderer, QrDDImage* target, QrImage* source, const QrRect* sourceRect,
                                      const QrRect* destRect, bool keyed)
{
    plat::Surface* to = nullptr;
    plat::Surface* from = nullptr;
    if (!Surfaces(renderer, target, source, to, from))
        return plat::Result::InvalidParams;
    plat::Rect src;
    plat::Rect dst;
    if (sourceRect)
        src = {sourceRect->left, sourceRect->top, sourceRect->right, sourceRect->bottom};
    if (destRect)
        dst = {destRect->left, destRect->top, destRect->right, destRect->bottom};
    return BltRetrying(*to, destRect ? &dst : nullptr, *from, sourceRect ? &src : nullptr, keyed);
}
