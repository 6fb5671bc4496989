#include "QrDDImage.h"

#include "QrDDImageShared.h"
#include "QrPixelConverter.h"

#include "Surface.h"

#include <algorithm>
#include <cstring>

using ddimage::Fail;
using ddimage::IsMipmapped;

namespace
{

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

} // namespace

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
