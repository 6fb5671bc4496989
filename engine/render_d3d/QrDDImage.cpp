#include "QrDDImage.h"

#include "QrDDImageShared.h"
#include "QrPalette.h"
#include "QrPixelConverter.h"
#include "QrRender.h"
#include "QrTList.h"

#include "Display.h"
#include "Surface.h"

#include <algorithm>
#include <new>

namespace ddimage
{

std::shared_ptr<plat::Display> g_display;
QrPointer<QrPalette> g_displayPalette;
QrRender* g_currentRenderer = nullptr;

bool Fail(uint32_t code)
{
    QrImage::SetErrorCode(code);
    return false;
}

} // namespace ddimage

using ddimage::Fail;
using ddimage::g_currentRenderer;
using ddimage::g_display;
using ddimage::g_displayPalette;

namespace
{

using LiveList = QrTList<QrDDImage*>;

// Made on first use and never destroyed, so images released at exit still find it.
LiveList& LiveImages()
{
    static LiveList* list = new LiveList(2);
    return *list;
}

QrDDImage::ReleaseTexturesHook g_releaseTextures = nullptr;
uint32_t g_liveCount = 0;
// Restoring fills surfaces again, which locks them: no second restore pass meanwhile.
bool g_restoring = false;

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

// ---------------------------------------------------------------- locking

plat::Result QrDDImage::LockSurface(plat::Surface* surface, plat::PixelView& out)
{
    if (!surface)
        return plat::Result::InvalidParams;
    if (surface->IsLost() != plat::Result::Ok)
        RestoreAllSurfaces();
    plat::Result r = plat::Result::Busy;
    for (uint32_t attempt = 0; attempt < ddimage::kBusyRetries && r == plat::Result::Busy; ++attempt)
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
    return LoadBase(Source::kFile);
}

bool QrDDImage::LoadFromRawData()
{
    return LoadBase(Source::kRawData);
}

bool QrDDImage::LoadBase(Source source)
{
    const bool fromFile = source == Source::kFile;
    if (fromFile ? !GetFileName() : !GetRawData())
        return Fail(kErrorNoSource);
    if (!m_base)
        return Fail(kErrorNoRenderer);
    // Restoring reads other images' files into the same scratch picture: do it before ours.
    if (m_base->m_surface->IsLost() != plat::Result::Ok)
        RestoreAllSurfaces();
    uint32_t width = 0, height = 0, levels = 0, depth = 0;
    const uint8_t* pixels = nullptr;
    const uint8_t* palette = nullptr;
    const uint32_t error = fromFile ? GetFileInfo(GetFileName(), width, height, levels, depth, pixels, palette)
                                    : GetRawDataInfo(GetRawData(), width, height, levels, depth, pixels, palette);
    if (error != kErrorNone)
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
