#include "QrDDImage.h"

#include "QrDDImageShared.h"
#include "QrRect.h"

#include "Surface.h"

#include <algorithm>

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
         attempt < ddimage::kBusyRetries && (r == plat::Result::Busy || r == plat::Result::WasStillDrawing); ++attempt)
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
