#include "QrTextureManager.h"

#include "CapsProfile.h"
#include "Device3D.h"
#include "Display.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrPixelFormat.h"
#include "QrRenderCode.h"
#include "QrRenderCreateParams.h"
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
// Memory keys of every manager ever made are distinct.
uint32_t g_nextMemoryKey = 1;

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

} // namespace

QrTextureManager::QrTextureManager()
{
    m_memoryKeys[0] = g_nextMemoryKey++;
    m_memoryKeys[1] = g_nextMemoryKey++;
    Managers().push_back(this);
}

QrTextureManager::~QrTextureManager()
{
    ReleaseTextures(nullptr, true, -1);
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
    manager->m_separateMemories = (description.deviceCaps & plat::kDevCapsSeparateTextureMemories) &&
                                          !(flags & QrRenderCreateParams::kFlagNoMultitextureTrials)
                                      ? 1
                                      : 0;
    manager->m_scaledUpload = (description.textureCaps & plat::kTextureCapsSquareOnly) != 0;
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

uint32_t QrTextureManager::GetFormatKind(QrImage* image)
{
    QrDDImage* ddImage = QrDynamicCast<QrDDImage>(image);
    if (!ddImage)
        return kKindNone;
    plat::Surface* source = nullptr;
    if (!ddImage->GetSurfaceFor(m_renderer, QrDDImage::kKindTextureSource, source) || !source)
        return kKindNone;
    for (uint32_t kind = 0; kind < kKindCount; ++kind)
    {
        if (m_found[kind] && m_chosen[kind] == source->Format())
            return kind;
    }
    return kKindNone;
}

bool QrTextureManager::ReleaseTextures(QrImage* /*image*/, bool /*alsoPinned*/, int32_t /*memory*/)
{
    // Texture records arrive with the texture cache; until then a manager holds none.
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
