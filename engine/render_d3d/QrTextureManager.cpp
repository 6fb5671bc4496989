#include "QrTextureManager.h"

#include "QrD3DDevice.h"
#include "QrDDBufferImage.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrRender.h"
#include "QrRenderCode.h"
#include "QrRenderCreateParams.h"

#include "CapsProfile.h"
#include "DebugOutput.h"
#include "Device3D.h"
#include "Display.h"
#include "Surface.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace
{

std::vector<QrTextureManager*>& Managers()
{
    static auto* managers = new std::vector<QrTextureManager*>;
    return *managers;
}

QrTextureManager* g_shared = nullptr;
// Memory keys of every manager ever made are distinct, and kept apart from renderer serial
// numbers: a closing device forgets its serial in every image's texture map, which must never
// drop the entries of a manager that lives on.
uint32_t g_lastMemoryKey = 0x80000000u;

bool IsPalettised(const plat::PixelFormatInfo& info)
{
    return (info.flags & plat::kPixelFlagPaletteIndexed8) != 0;
}

// 4444 and 8888 pass, 1555 does not.
bool IsAlphaFormat(const plat::PixelFormatInfo& info)
{
    const uint32_t needed = plat::kPixelFlagRgb | plat::kPixelFlagAlpha;
    return (info.flags & needed) == needed && (info.bitCount == 16 || info.bitCount == 32) &&
           std::popcount(info.redMask) >= 4 && std::popcount(info.greenMask) >= 4 &&
           std::popcount(info.blueMask) >= 4 && std::popcount(info.alphaMask) >= 4;
}

bool IsPlain16(const plat::PixelFormatInfo& info)
{
    return (info.flags & plat::kPixelFlagRgb) && !IsPalettised(info) && !(info.flags & plat::kPixelFlagAlpha) &&
           info.bitCount == 16;
}

plat::PixelFormat FirstOf(const std::vector<plat::PixelFormat>& offered,
                          const std::function<bool(const plat::PixelFormatInfo&)>& accept)
{
    for (plat::PixelFormat format : offered)
    {
        if (accept(plat::DescribeFormat(format)))
            return format;
    }
    return plat::PixelFormat::Unknown;
}

bool IsPowerOfTwo(uint32_t value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

} // namespace

// ---------------------------------------------------------------- life

QrTextureManager::QrTextureManager()
{
    m_memoryKeys[0] = ++g_lastMemoryKey;
    m_memoryKeys[1] = ++g_lastMemoryKey;
    AddRecordBlock();
    Managers().push_back(this);
}

QrTextureManager::~QrTextureManager()
{
    for (uint32_t memory = 0; memory < 2; ++memory)
    {
        if (m_memories[memory])
            ReleaseMemory(memory, true, true);
    }
    // Failed and lost entries name this manager too; no image may look them up again.
    QrDDImage::ForgetTextureKey(m_memoryKeys[0]);
    QrDDImage::ForgetTextureKey(m_memoryKeys[1]);
    auto& managers = Managers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
    if (g_shared == this)
        g_shared = nullptr;
}

const std::vector<QrTextureManager*>& QrTextureManager::GetManagers()
{
    return Managers();
}

QrTextureManager* QrTextureManager::GetShared()
{
    return g_shared;
}

QrTextureManager* QrTextureManager::Create(uint32_t flags, QrDDContext* context, plat::Device3D* device,
                                           const plat::DeviceCaps& description, bool shared)
{
    QrTextureManager* manager = nullptr;
    if (shared)
    {
        if (!g_shared)
            g_shared = Build(flags, context, device, description);
        manager = g_shared;
    }
    else
    {
        manager = Build(flags, context, device, description);
    }
    if (!manager)
        return nullptr;
    ++manager->m_useCount;
    manager->ReleaseTextures(nullptr, true, -1);
    return manager;
}

QrTextureManager* QrTextureManager::Build(uint32_t flags, QrDDContext* context, plat::Device3D* device,
                                          const plat::DeviceCaps& description)
{
    if (!context || !device)
        return nullptr;
    auto* manager = new QrTextureManager;
    manager->m_display = context->GetDisplay();
    if (description.maxTextureWidth)
        manager->m_maxWidth = description.maxTextureWidth;
    if (description.maxTextureHeight)
        manager->m_maxHeight = description.maxTextureHeight;
    if (manager->Initialize(flags, context, device) != QrRenderCode::kOk)
    {
        delete manager;
        return nullptr;
    }
    manager->m_memories[0] = std::make_unique<Memory>();
    const bool separate = (description.deviceCaps & plat::kDevCapsSeparateTextureMemories) &&
                          !(flags & QrRenderCreateParams::kFlagNoMultitextureTrials);
    manager->m_separateMemories = separate ? 1 : 0;
    if (separate)
        manager->m_memories[1] = std::make_unique<Memory>();
    manager->m_upload = (description.textureCaps & plat::kTextureCapsSquareOnly) ? &QrTextureManager::UploadScaled
                                                                                 : &QrTextureManager::Upload;
    return manager;
}

void QrTextureManager::ReleaseUse(QrTextureManager* manager)
{
    if (!manager || manager->m_useCount == 0)
        return;
    if (--manager->m_useCount == 0)
        delete manager;
    else
        manager->ReleaseTextures(nullptr, true, -1);
}

// ---------------------------------------------------------------- formats

void QrTextureManager::Choose(uint32_t kind, plat::PixelFormat format)
{
    const plat::PixelFormatInfo info = plat::DescribeFormat(format);
    QrPixelFormat chosen;
    chosen.FromDDPixelFormat(info);
    chosen.m_kind = kind;
    m_formats.push_back(chosen);
    m_chosen[kind] = format;
    m_depthClass[kind] = info.bitCount == 8 ? 0 : info.bitCount == 16 ? 1 : 2;
    m_found[kind] = 1;
}

uint32_t QrTextureManager::Initialize(uint32_t flags, QrDDContext* context, plat::Device3D* device)
{
    std::vector<plat::PixelFormat> offered;
    const plat::Result r = device->EnumTextureFormats(offered);
    if (r != plat::Result::Ok)
        return QrRenderCode::FromResult(r);
    const plat::Surface* target = context->GetFrontSurface() ? context->GetFrontSurface() : context->GetBackSurface();
    if (!target)
        return QrRenderCode::kFail;
    const plat::PixelFormatInfo targetInfo = plat::DescribeFormat(target->Format());

    const plat::PixelFormat palettised = FirstOf(offered, IsPalettised);
    auto findAlphaAndRgb = [&]
    {
        const plat::PixelFormat alpha = FirstOf(offered, IsAlphaFormat);
        if (alpha != plat::PixelFormat::Unknown)
            Choose(kKindAlpha, alpha);
        plat::PixelFormat rgb = plat::PixelFormat::Unknown;
        if (!IsPalettised(targetInfo))
            rgb = FirstOf(offered,
                          [&](const plat::PixelFormatInfo& info)
                          {
                              return !IsPalettised(info) && info.redMask == targetInfo.redMask &&
                                     info.greenMask == targetInfo.greenMask && info.blueMask == targetInfo.blueMask &&
                                     info.alphaMask == targetInfo.alphaMask;
                          });
        if (rgb == plat::PixelFormat::Unknown)
            rgb = FirstOf(offered, IsPlain16);
        if (rgb != plat::PixelFormat::Unknown)
            Choose(kKindRgb, rgb);
    };

    if (!(flags & QrRenderCreateParams::kFlagTexturePalettisedLast))
    {
        if (!((flags & QrRenderCreateParams::kFlagTexturePalettisedOnly) && palettised != plat::PixelFormat::Unknown))
            findAlphaAndRgb();
        if (palettised != plat::PixelFormat::Unknown)
            Choose(kKindPalettised, palettised);
        return QrRenderCode::kOk;
    }
    findAlphaAndRgb();
    if (!m_found[kKindAlpha] && !m_found[kKindRgb])
    {
        if (palettised == plat::PixelFormat::Unknown)
            return QrRenderCode::kNoTextureFormat;
        Choose(kKindPalettised, palettised);
    }
    return QrRenderCode::kOk;
}

plat::PixelFormat QrTextureManager::GetChosenPlatformFormat(uint32_t kind) const
{
    return kind < kKindCount ? m_chosen[kind] : plat::PixelFormat::Unknown;
}

uint32_t QrTextureManager::KindOf(plat::PixelFormat format) const
{
    for (uint32_t kind = 0; kind < kKindCount; ++kind)
    {
        if (m_found[kind] && m_chosen[kind] == format)
            return kind;
    }
    return kKindNone;
}

uint32_t QrTextureManager::GetFormatKind(QrImage* image)
{
    QrDDImage* ddImage = QrDynamicCast<QrDDImage>(image);
    if (!ddImage)
        return kKindNone;
    plat::Surface* source = nullptr;
    if (!ddImage->GetSurfaceFor(Renderer(), QrDDImage::kKindTextureSource, source) || !source)
        return kKindNone;
    return KindOf(source->Format());
}

// ---------------------------------------------------------------- helpers

QrRender* QrTextureManager::Renderer() const
{
    return m_renderer ? m_renderer : QrDDImage::GetCurrentRenderer();
}

uint32_t QrTextureManager::DeviceFlags() const
{
    QrRender* renderer = Renderer();
    return renderer ? renderer->GetDeviceFlags() : 0;
}

uint32_t QrTextureManager::ChooseMemory(QrDDImage* image, int32_t memory) const
{
    if (!m_separateMemories)
        return 0;
    if (memory == 0 || memory == 1)
        return static_cast<uint32_t>(memory);
    if (image->GetTextureRecord(m_memoryKeys[0]))
        return 0;
    if (image->GetTextureRecord(m_memoryKeys[1]))
        return 1;
    return m_memories[0]->bytesInUse >= m_memories[1]->bytesInUse ? 1 : 0;
}

QrTextureRecord* QrTextureManager::GetRecord(QrImage* image, uint32_t memory) const
{
    QrDDImage* ddImage = QrDynamicCast<QrDDImage>(image);
    return ddImage && memory < 2 ? ddImage->GetTextureRecord(m_memoryKeys[memory]) : nullptr;
}

QrTextureRecord* QrTextureManager::OwnRecord(QrDDImage* image, uint32_t memory) const
{
    QrTextureRecord* record = image->GetTextureRecord(m_memoryKeys[memory]);
    if (!record || record == &m_sentinel || record->m_owner != image || record->m_ownerSerial != image->GetSerial() ||
        record->m_memory != memory)
        return nullptr;
    return record;
}

bool QrTextureManager::GetImage(QrDDImage* image)
{
    if (image->GetWidth() == 0)
    {
        plat::Surface* source = nullptr;
        if (!image->GetSurfaceFor(Renderer(), QrDDImage::kKindTextureSource, source))
        {
            const uint32_t code = QrImage::GetErrorCode();
            plat::DebugOutput(code == QrImage::kErrorNoFileName || code == QrImage::kErrorReadFailed
                                  ? "Create Texture failed: image file not found or of invalid format\n"
                                  : "Create Texture failed: image get failed (possible DirectDraw error)\n");
            return false;
        }
    }
    return IsPowerOfTwo(image->GetWidth()) && IsPowerOfTwo(image->GetHeight());
}

// ---------------------------------------------------------------- the operations

bool QrTextureManager::PrepareTexture(QrImage* image, bool allowEvict, bool pin, int32_t memory)
{
    QrDDImage* ddImage = QrDynamicCast<QrDDImage>(image);
    if (!ddImage)
        return false;
    m_current = ChooseMemory(ddImage, memory);
    const uint32_t key = m_memoryKeys[m_current];
    QrTextureRecord* entry = ddImage->GetTextureRecord(key);
    if (entry == &m_sentinel)
        return false;
    m_noEvict = allowEvict ? 0 : 1;
    QrTextureRecord* record = OwnRecord(ddImage, m_current);
    if (!record)
    {
        // A record it lost to another image is simply replaced; a first try checks the image.
        if (!entry && !GetImage(ddImage))
            ddImage->SetTextureRecord(key, &m_sentinel);
        else
            record = CreateTexture(ddImage);
    }
    if (record && pin)
        Pin(record);
    m_noEvict = 0;
    return record != nullptr;
}

bool QrTextureManager::GetTexture(int32_t memory, QrImage* image, QrPointer<QrImage>& lastImage,
                                  std::shared_ptr<plat::Surface>& texture, bool& changed, bool& mipmapped,
                                  bool& hasAlpha)
{
    QrImage* last = lastImage.Get();
    changed = (image == nullptr) != (last == nullptr) || (image && last && image->GetSerial() != last->GetSerial());
    if (changed)
        lastImage = image;
    texture.reset();
    mipmapped = false;
    hasAlpha = false;
    if (!image)
        return true;
    if (image->IsKindOf(&QrDDBufferImage::ms_RTTI))
    {
        texture = static_cast<QrDDBufferImage*>(image)->GetTexture();
        return true;
    }
    QrDDImage* ddImage = QrDynamicCast<QrDDImage>(image);
    if (!ddImage)
        return false;

    m_current = ChooseMemory(ddImage, memory);
    const uint32_t key = m_memoryKeys[m_current];
    QrTextureRecord* entry = ddImage->GetTextureRecord(key);
    if (entry == &m_sentinel)
        return false;
    QrTextureRecord* record = OwnRecord(ddImage, m_current);
    if (!record)
    {
        if (!entry && !GetImage(ddImage))
        {
            ddImage->SetTextureRecord(key, &m_sentinel);
            return false;
        }
        record = CreateTexture(ddImage);
        if (!record)
            return false;
        changed = true;
    }
    else
    {
        // Video memory taken by another program comes back empty: fill it again.
        const bool lost = record->m_surface->IsLost() != plat::Result::Ok;
        if (lost)
            record->m_surface->Restore();
        if (lost || record->m_revision != ddImage->GetPixelRevision())
        {
            // Held so that a replacement cannot be mistaken for it by its address.
            const std::shared_ptr<plat::Surface> before = record->m_texture;
            record = RefreshTexture(record, ddImage);
            if (!record)
                return false;
            // Another key means another surface: the stage must bind it again.
            if (record->m_texture != before)
                changed = true;
        }
        MoveToTail(record);
    }
    if (record->m_lastUsed != m_frame)
    {
        record->m_lastUsed = m_frame;
        ++m_usedThisFrame;
    }
    mipmapped = (record->m_flags & QrTextureRecord::kFlagMipmapped) != 0;
    hasAlpha = (record->m_flags & QrTextureRecord::kFlagAlpha) != 0;
    texture = record->m_texture;
    return true;
}

bool QrTextureManager::ReleaseTextures(QrImage* image, bool alsoPinned, int32_t memory)
{
    const uint32_t memories = m_separateMemories ? 2 : 1;
    if (image)
    {
        QrDDImage* ddImage = QrDynamicCast<QrDDImage>(image);
        if (!ddImage)
            return true;
        for (uint32_t m = 0; m < memories; ++m)
        {
            if (QrTextureRecord* record = OwnRecord(ddImage, m))
                ReleaseRecord(record);
        }
        return true;
    }
    if (!m_memories[0])
        return true;
    if (!m_separateMemories)
        memory = 0;
    if (memory == 0 || memory == 1)
    {
        ReleaseMemory(static_cast<uint32_t>(memory), true, alsoPinned);
        return true;
    }
    for (uint32_t m = 0; m < memories; ++m)
        ReleaseMemory(m, true, false);
    if (alsoPinned)
    {
        for (uint32_t m = 0; m < memories; ++m)
            ReleaseMemory(m, false, true);
    }
    return true;
}

void QrTextureManager::BeginFrame(QrRender* renderer)
{
    m_usedThisFrame = 0;
    m_frameWord = 0;
    m_createdThisFrame = 0;
    m_releasedThisFrame = 0;
    m_status = kStatusFrame;
    ++m_frame;
    m_renderer = renderer;
}

// ---------------------------------------------------------------- inspection

const QrTextureRecord* QrTextureManager::GetBucketHead(uint32_t memory, uint32_t bucket) const
{
    return memory < 2 && m_memories[memory] && bucket < kBucketCount ? m_memories[memory]->heads[bucket] : nullptr;
}

const QrTextureRecord* QrTextureManager::GetPinnedHead(uint32_t memory) const
{
    return memory < 2 && m_memories[memory] ? m_memories[memory]->pinned : nullptr;
}

uint32_t QrTextureManager::GetSizeClassCount(uint32_t memory, uint32_t sizeClass) const
{
    return memory < 2 && m_memories[memory] && sizeClass < kSizeClassCount ? m_memories[memory]->classCounts[sizeClass]
                                                                           : 0;
}

uint32_t QrTextureManager::GetBytesInUse(uint32_t memory) const
{
    return memory < 2 && m_memories[memory] ? m_memories[memory]->bytesInUse : 0;
}

uint32_t QrTextureManager::GetFreeRecordCount() const
{
    uint32_t count = 0;
    for (const QrTextureRecord* record = m_free; record; record = record->m_next)
        ++count;
    return count;
}
