// The texture cache of QrTextureManager: the record pool, the buckets and pinned lists, the
// making of texture surfaces with eviction, take-over and flush when the display refuses one,
// and the upload of an image's surface chain into a texture chain.

#include "QrTextureManager.h"

#include "QrD3DDevice.h"
#include "QrDDImage.h"
#include "QrRender.h"

#include "DebugOutput.h"
#include "Display.h"
#include "Palette.h"
#include "Surface.h"

#include <algorithm>

namespace
{

// The display answers "still drawing" only while something else finishes; nothing does on this
// platform, so the retries are bounded rather than endless.
constexpr uint32_t kStillDrawingRetries = 1u << 16;

uint32_t Log2(uint32_t value)
{
    uint32_t log = 0;
    while (value >>= 1)
        ++log;
    return log;
}

uint32_t ShiftDown(uint32_t value, uint32_t shift)
{
    return shift >= 32 ? 0 : value >> shift;
}

uint32_t FullMipCount(uint32_t width, uint32_t height)
{
    return std::max(Log2(width), Log2(height)) + 1;
}

plat::Result BltLevel(plat::Surface* target, plat::Surface* source)
{
    plat::Result r = plat::Result::WasStillDrawing;
    for (uint32_t attempt = 0; attempt < kStillDrawingRetries && r == plat::Result::WasStillDrawing; ++attempt)
        r = target->Blt(nullptr, source, nullptr, 0, nullptr);
    if (r != plat::Result::Ok)
        plat::DebugOutput("Texture Upload Failed\n");
    return r;
}

// Moves a chain walk one mip level down; false at the end of the chain.
bool NextLevel(plat::Surface*& level, std::shared_ptr<plat::Surface>& holder)
{
    std::shared_ptr<plat::Surface> next;
    if (level->GetAttachedSurface(plat::kCapsMipmap, next) != plat::Result::Ok)
        return false;
    holder = std::move(next);
    level = holder.get();
    return true;
}

} // namespace

// ---------------------------------------------------------------- keys

uint32_t QrTextureManager::MakeKey(uint32_t logWidth, uint32_t logHeight, bool mipmapped, uint32_t kind,
                                   uint32_t depthClass)
{
    const int32_t d = static_cast<int32_t>(logWidth) - static_cast<int32_t>(logHeight);
    const uint32_t aspect = d >= 3 ? 7 : d <= -4 ? 0 : static_cast<uint32_t>(d + 4);
    const int32_t size = static_cast<int32_t>(depthClass + logWidth + logHeight) - 8;
    const uint32_t sizeClass = static_cast<uint32_t>(std::clamp(size, 0, 15));
    return (logHeight & 15) | (logWidth & 15) << 4 | (mipmapped ? 1u : 0u) << 8 | (kind & 3) << 9 | aspect << 11 |
           sizeClass << 14;
}

// ---------------------------------------------------------------- record pool and lists

void QrTextureManager::AddRecordBlock()
{
    auto block = std::make_unique<QrTextureRecord[]>(kRecordsPerBlock);
    for (uint32_t i = 0; i < kRecordsPerBlock; ++i)
    {
        block[i].m_next = m_free;
        m_free = &block[i];
    }
    m_blocks.push_back(std::move(block));
}

QrTextureRecord* QrTextureManager::AllocRecord(QrDDImage* image, uint32_t key, uint32_t memory)
{
    if (!m_free)
        AddRecordBlock();
    QrTextureRecord* record = m_free;
    m_free = record->m_next;
    record->m_next = record->m_previous = nullptr;
    record->m_owner = image;
    record->m_memory = memory;
    record->m_ownerSerial = image->GetSerial();
    record->m_revision = image->GetPixelRevision();
    record->m_key = key;
    record->m_lastUsed = 0;
    record->m_flags = 0;
    record->m_size = 0;
    record->m_surface.reset();
    record->m_texture.reset();
    image->SetTextureRecord(m_memoryKeys[memory], record);
    LinkAtTail(record);
    return record;
}

void QrTextureManager::FreeRecord(QrTextureRecord* record)
{
    record->m_owner = nullptr;
    record->m_ownerSerial = 0;
    record->m_previous = nullptr;
    record->m_next = m_free;
    m_free = record;
}

void QrTextureManager::LinkAtTail(QrTextureRecord* record)
{
    Memory& memory = *m_memories[record->m_memory];
    const uint32_t bucket = BucketOf(record->m_key);
    record->m_next = nullptr;
    record->m_previous = memory.tails[bucket];
    if (memory.tails[bucket])
        memory.tails[bucket]->m_next = record;
    else
        memory.heads[bucket] = record;
    memory.tails[bucket] = record;
    ++m_resident;
    ++memory.classCounts[SizeClassOf(record->m_key)];
}

void QrTextureManager::UnlinkRecord(QrTextureRecord* record)
{
    Memory& memory = *m_memories[record->m_memory];
    QrTextureRecord* next = record->m_next;
    QrTextureRecord* previous = record->m_previous;
    if (record->m_flags & QrTextureRecord::kFlagPinned)
    {
        (previous ? previous->m_next : memory.pinned) = next;
        if (next)
            next->m_previous = previous;
    }
    else
    {
        const uint32_t bucket = BucketOf(record->m_key);
        (previous ? previous->m_next : memory.heads[bucket]) = next;
        (next ? next->m_previous : memory.tails[bucket]) = previous;
        --m_resident;
        --memory.classCounts[SizeClassOf(record->m_key)];
    }
    record->m_next = record->m_previous = nullptr;
}

void QrTextureManager::MoveToTail(QrTextureRecord* record)
{
    if (record->m_flags & QrTextureRecord::kFlagPinned)
        return;
    UnlinkRecord(record);
    LinkAtTail(record);
}

void QrTextureManager::Pin(QrTextureRecord* record)
{
    if (record->m_flags & QrTextureRecord::kFlagPinned)
        return;
    UnlinkRecord(record);
    record->m_flags |= QrTextureRecord::kFlagPinned;
    Memory& memory = *m_memories[record->m_memory];
    record->m_next = memory.pinned;
    record->m_previous = nullptr;
    if (memory.pinned)
        memory.pinned->m_previous = record;
    memory.pinned = record;
}

void QrTextureManager::DropRecord(QrTextureRecord* record)
{
    const uint32_t key = m_memoryKeys[record->m_memory];
    // An image whose texture was taken over may still point here; only the owner's entry goes.
    if (record->m_owner && record->m_owner->GetTextureRecord(key) == record)
        record->m_owner->SetTextureRecord(key, nullptr);
    m_memories[record->m_memory]->bytesInUse -= record->m_size;
    record->m_size = 0;
    record->m_texture.reset();
    record->m_surface.reset();
    UnlinkRecord(record);
    FreeRecord(record);
}

void QrTextureManager::ReleaseRecord(QrTextureRecord* record)
{
    DropRecord(record);
    ++m_releasedThisFrame;
}

void QrTextureManager::ReleaseMemory(uint32_t memory, bool cached, bool pinned)
{
    Memory& m = *m_memories[memory];
    if (cached)
    {
        for (uint32_t bucket = 0; bucket < kBucketCount; ++bucket)
        {
            while (m.heads[bucket])
                ReleaseRecord(m.heads[bucket]);
        }
    }
    if (pinned)
    {
        while (m.pinned)
            ReleaseRecord(m.pinned);
    }
}

// ---------------------------------------------------------------- making textures

bool QrTextureManager::DescribeTexture(QrDDImage* image, Source& source, plat::SurfaceDesc& description, uint32_t& key)
{
    QrRender* renderer = Renderer();
    plat::Surface* top = nullptr;
    if (!image->GetSurfaceFor(renderer, QrDDImage::kKindTextureSource, top) || !top)
        return false;
    const uint32_t kind = KindOf(top->Format());
    if (kind == kKindNone)
        return false;

    uint32_t skip = renderer ? renderer->GetUserWord() : 0;
    if (m_maxWidth)
    {
        while (m_maxWidth < ShiftDown(image->GetWidth(), skip))
            ++skip;
    }
    if (m_maxHeight)
    {
        while (m_maxHeight < ShiftDown(image->GetHeight(), skip))
            ++skip;
    }
    // A chain shorter than the reduction ends at its last level.
    source.level = top;
    source.holder.reset();
    for (uint32_t level = 0; level < skip && NextLevel(source.level, source.holder); ++level)
    {
    }

    if (source.level->GetDesc(description) != plat::Result::Ok)
    {
        plat::DebugOutput("Texture surface get description failed");
        return false;
    }
    uint32_t logWidth = Log2(description.width);
    uint32_t logHeight = Log2(description.height);
    if ((DeviceFlags() & QrD3DDevice::kCapSquareOnly) && logWidth != logHeight)
    {
        if (logWidth > logHeight)
        {
            logWidth = logHeight;
            description.width = description.height;
        }
        else
        {
            logHeight = logWidth;
            description.height = description.width;
        }
    }
    key = MakeKey(logWidth, logHeight, (description.caps & plat::kCapsMipmap) != 0, kind, m_depthClass[kind]);
    return true;
}

QrTextureRecord* QrTextureManager::CreateTexture(QrDDImage* image)
{
    Source source;
    plat::SurfaceDesc described;
    uint32_t key = 0;
    if (!DescribeTexture(image, source, described, key))
        return nullptr;
    const bool mipmapped = (described.caps & plat::kCapsMipmap) != 0;
    plat::SurfaceDesc description;
    description.width = described.width;
    description.height = described.height;
    description.format = described.format;
    description.caps = plat::kCapsTexture;
    if (mipmapped)
    {
        description.caps |= plat::kCapsMipmap | plat::kCapsComplex;
        // A squared texture has fewer levels than a long source may carry.
        description.mipCount = std::min(described.mipCount, FullMipCount(description.width, description.height));
    }
    description.caps |= (DeviceFlags() & QrD3DDevice::kCapHardware) ? plat::kCapsVideoMemory : plat::kCapsSystemMemory;
    QrTextureRecord* record = AcquireSurface(image, description, source.level, key);
    if (record)
        ++m_createdThisFrame;
    return record;
}

QrTextureRecord* QrTextureManager::AcquireSurface(QrDDImage* image, const plat::SurfaceDesc& description,
                                                  plat::Surface* source, uint32_t key)
{
    if (QrTextureRecord* record = CreateSurface(description, image, source, key))
        return record;
    if (m_noEvict)
        return nullptr;

    QrTextureRecord* sameKey = Current().heads[BucketOf(key)];
    while (sameKey && sameKey->m_key != key)
        sameKey = sameKey->m_next;
    if (sameKey && sameKey->m_lastUsed < m_frame)
        return TakeOver(image, source, sameKey, kStatusTookOverUnused);

    if (QrTextureRecord* record = EvictAndCreate(image, description, source, key))
    {
        m_status |= kStatusEvicted;
        return record;
    }
    // Everything evictable is gone; a texture drawn this frame is shared rather than nothing drawn.
    if (sameKey)
        return TakeOver(image, source, sameKey, kStatusTookOverUsed);

    ReleaseTextures(nullptr, false, static_cast<int32_t>(m_current));
    m_status |= kStatusFlushed;
    if (QrTextureRecord* record = CreateSurface(description, image, source, key))
        return record;
    m_status |= kStatusNothingMade;
    return nullptr;
}

QrTextureRecord* QrTextureManager::CreateSurface(plat::SurfaceDesc description, QrDDImage* image, plat::Surface* source,
                                                 uint32_t key)
{
    if (m_separateMemories)
        description.textureStage = m_current;
    std::shared_ptr<plat::Surface> surface;
    if (m_display->CreateSurface(description, surface) != plat::Result::Ok)
    {
        if (!(description.caps & plat::kCapsVideoMemory) || !(DeviceFlags() & QrD3DDevice::kCapSystemMemoryTextures))
            return nullptr;
        description.caps = (description.caps & ~plat::kCapsVideoMemory) | plat::kCapsSystemMemory;
        if (m_display->CreateSurface(description, surface) != plat::Result::Ok)
        {
            plat::DebugOutput("Create system memory texture surface failed");
            return nullptr;
        }
        plat::DebugOutput("VRAM Full - allocating texture in system memory\n");
    }

    QrTextureRecord* record = AllocRecord(image, key, m_current);
    record->m_surface = surface;
    if (description.caps & plat::kCapsMipmap)
        record->m_flags |= QrTextureRecord::kFlagMipmapped;
    const plat::PixelFormatInfo format = plat::DescribeFormat(description.format);
    if (format.flags & plat::kPixelFlagAlpha)
        record->m_flags |= QrTextureRecord::kFlagAlpha;

    // A half-made texture never stays in the cache.
    auto undo = [&]() -> QrTextureRecord*
    {
        DropRecord(record);
        return nullptr;
    };
    if (format.flags & plat::kPixelFlagPaletteIndexed8)
    {
        std::shared_ptr<plat::Palette> palette;
        if (source->GetPalette(palette) == plat::Result::Ok && surface->SetPalette(palette) != plat::Result::Ok)
            return undo();
    }
    // All-zero texels are the transparent colour.
    const plat::ColorKey key0{0, 0};
    surface->SetColorKey(&key0);
    surface->Restore();
    if (surface->QueryTexture() != plat::Result::Ok)
    {
        plat::DebugOutput("Query destination texture surface failed");
        return undo();
    }
    (this->*m_upload)(source, surface.get());
    record->m_texture = surface;
    record->m_size = format.bitCount / 8 * description.width * description.height;
    Current().bytesInUse += record->m_size;
    return record;
}

QrTextureRecord* QrTextureManager::EvictAndCreate(QrDDImage* image, const plat::SurfaceDesc& description,
                                                  plat::Surface* source, uint32_t key)
{
    Memory& memory = Current();
    uint32_t low = SizeClassOf(key);
    uint32_t top = low;
    for (uint32_t sizeClass = kSizeClassCount - 1; sizeClass > low; --sizeClass)
    {
        if (memory.classCounts[sizeClass])
        {
            top = sizeClass;
            break;
        }
    }
    for (;;)
    {
        // The least recently used bucket head not drawn this frame, larger classes first.
        QrTextureRecord* candidate = nullptr;
        for (uint32_t sizeClass = top + 1; sizeClass-- > low;)
        {
            for (uint32_t bucket = sizeClass * 16; bucket < sizeClass * 16 + 16; ++bucket)
            {
                QrTextureRecord* head = memory.heads[bucket];
                if (head && head->m_lastUsed < m_frame && (!candidate || head->m_lastUsed < candidate->m_lastUsed))
                    candidate = head;
            }
        }
        if (candidate)
        {
            ReleaseRecord(candidate);
            if (QrTextureRecord* record = CreateSurface(description, image, source, key))
                return record;
            continue;
        }
        uint32_t lower = 0;
        for (uint32_t sizeClass = low; sizeClass-- > 1;)
        {
            if (memory.classCounts[sizeClass])
            {
                lower = sizeClass;
                break;
            }
        }
        if (lower == 0)
            return nullptr;
        low = top = lower;
    }
}

QrTextureRecord* QrTextureManager::TakeOver(QrDDImage* image, plat::Surface* source, QrTextureRecord* record,
                                            uint32_t status)
{
    if (!BindRecord(image, source, record))
    {
        ReleaseRecord(record);
        return nullptr;
    }
    m_status |= status;
    return record;
}

bool QrTextureManager::BindRecord(QrDDImage* image, plat::Surface* source, QrTextureRecord* record)
{
    record->m_owner = image;
    record->m_ownerSerial = image->GetSerial();
    record->m_revision = image->GetPixelRevision();
    image->SetTextureRecord(m_memoryKeys[record->m_memory], record);
    (this->*m_upload)(source, record->m_surface.get());
    std::shared_ptr<plat::Palette> palette;
    if (source->GetPalette(palette) == plat::Result::Ok && record->m_surface->SetPalette(palette) != plat::Result::Ok)
        return false;
    MoveToTail(record);
    ++m_releasedThisFrame;
    return true;
}

QrTextureRecord* QrTextureManager::RefreshTexture(QrTextureRecord* record, QrDDImage* image)
{
    Source source;
    plat::SurfaceDesc description;
    uint32_t key = 0;
    if (!DescribeTexture(image, source, description, key))
        return nullptr;
    if (key == record->m_key)
    {
        (this->*m_upload)(source.level, record->m_surface.get());
        record->m_revision = image->GetPixelRevision();
        return record;
    }
    const bool pinned = (record->m_flags & QrTextureRecord::kFlagPinned) != 0;
    ReleaseRecord(record);
    QrTextureRecord* made = CreateTexture(image);
    if (made && pinned)
        Pin(made);
    return made;
}

// ---------------------------------------------------------------- upload

void QrTextureManager::Upload(plat::Surface* source, plat::Surface* target)
{
    std::shared_ptr<plat::Surface> sourceHolder;
    std::shared_ptr<plat::Surface> targetHolder;
    do
    {
        // A level that fails stays as it was; the others are still copied.
        BltLevel(target, source);
    } while (NextLevel(source, sourceHolder) && NextLevel(target, targetHolder));
}

void QrTextureManager::UploadScaled(plat::Surface* source, plat::Surface* target)
{
    if (source->Width() == target->Width() && source->Height() == target->Height())
    {
        Upload(source, target);
        return;
    }
    // The stretch goes through system memory, where the display can always stretch.
    plat::SurfaceDesc description;
    target->GetDesc(description);
    description.caps &= ~(plat::kCapsVideoMemory | plat::kCapsLocalVideoMemory | plat::kCapsNonLocalVideoMemory);
    description.caps |= plat::kCapsSystemMemory;
    std::shared_ptr<plat::Surface> scratch;
    if (m_display->CreateSurface(description, scratch) != plat::Result::Ok)
        return;
    plat::Surface* between = scratch.get();
    std::shared_ptr<plat::Surface> sourceHolder;
    std::shared_ptr<plat::Surface> betweenHolder;
    std::shared_ptr<plat::Surface> targetHolder;
    do
    {
        BltLevel(between, source);
        BltLevel(target, between);
    } while (NextLevel(source, sourceHolder) && NextLevel(between, betweenHolder) && NextLevel(target, targetHolder));
}
