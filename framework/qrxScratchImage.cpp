#include "qrxScratchImage.h"

#include "QrDDImage.h"
#include "QrRawImageData.h"
#include "QrRect.h"
#include "QrRender.h"

#include "Canvas.h"
#include "Surface.h"

#include <memory>

namespace
{

struct ScratchState
{
    QrPointer<QrRender> renderer;
    QrPointer<QrImage> image;
    int32_t width = 0;
    int32_t height = 0;
    plat::Surface* surface = nullptr;
    std::unique_ptr<plat::Canvas> canvas;
};

ScratchState& State()
{
    static ScratchState state;
    return state;
}

// The framework makes its images with kind 0; 1 is 24-bit RGB.
constexpr uint32_t kImageKind = 0;
constexpr uint32_t kRawRgb = 1;

} // namespace

void qrxScratchImage::SetRenderer(QrRender* renderer)
{
    State().renderer = renderer;
}

QrRender* qrxScratchImage::GetRenderer()
{
    return State().renderer.Get();
}

void qrxScratchImage::ReleaseRenderer()
{
    EndDraw();
    ScratchState& s = State();
    s.image = nullptr;
    s.renderer = nullptr;
    s.width = s.height = 0;
}

void qrxScratchImage::PrepareImage(int32_t width, int32_t height)
{
    ScratchState& s = State();
    if (width <= s.width && height <= s.height)
        return;
    s.image = nullptr;
    s.width = width;
    s.height = height;
    if (width <= 0 || height <= 0)
        return;
    QrPointer<QrRawImageData> raw = new QrRawImageData;
    if (!raw->AllocatePixels(kRawRgb, static_cast<uint32_t>(width), static_cast<uint32_t>(height)))
        return;
    s.image = QrImage::CreateFromRawData(raw, kImageKind);
    // Its surface must exist before the first draw, whether or not the renderer is on the
    // engine's renderer list.
    if (s.image && s.renderer)
        s.image->PrepareForRenderer(s.renderer.Get(), kImageKind);
}

plat::Surface* qrxScratchImage::GetSurface(int32_t width, int32_t height)
{
    if (!State().renderer)
        return nullptr;
    PrepareImage(width, height);
    auto* image = QrDynamicCast<QrDDImage>(State().image.Get());
    plat::Surface* surface = nullptr;
    if (!image || !image->GetSurface(surface))
        return nullptr;
    return surface;
}

plat::Display* qrxScratchImage::GetDirectDraw(int32_t width, int32_t height)
{
    if (!State().renderer)
        return nullptr;
    PrepareImage(width, height);
    plat::Display* display = nullptr;
    if (!QrDynamicCast<QrDDImage>(State().image.Get()) || !QrDDImage::GetDirectDraw(display))
        return nullptr;
    return display;
}

plat::Canvas* qrxScratchImage::BeginDraw(int32_t width, int32_t height)
{
    ScratchState& s = State();
    if (!s.renderer)
        return nullptr;
    if (s.canvas)
        return s.canvas.get();
    plat::Surface* surface = GetSurface(width, height);
    if (!surface)
        return nullptr;
    plat::PixelView view;
    if (QrDDImage::LockSurface(surface, view) != plat::Result::Ok)
        return nullptr;
    auto canvas = std::make_unique<plat::Canvas>(view);
    if (!canvas->IsUsable())
    {
        QrDDImage::UnlockSurface(surface);
        return nullptr;
    }
    s.surface = surface;
    s.canvas = std::move(canvas);
    return s.canvas.get();
}

void qrxScratchImage::EndDraw()
{
    ScratchState& s = State();
    if (s.surface)
        QrDDImage::UnlockSurface(s.surface);
    s.surface = nullptr;
    s.canvas.reset();
}

QrImage* qrxScratchImage::GetSharedImage()
{
    return State().image.Get();
}

int32_t qrxScratchImage::GetCachedWidth()
{
    return State().width;
}

int32_t qrxScratchImage::GetCachedHeight()
{
    return State().height;
}

bool qrxScratchImage::FinishDraw(int32_t width, int32_t height, int32_t x, int32_t y)
{
    EndDraw();
    ScratchState& s = State();
    if (!s.renderer || !s.image)
        return false;
    s.image->RaisePixelRevision();
    QrRect source;
    source.right = width;
    source.bottom = height;
    s.renderer->BlitImage(s.image.Get(), &source, x, y, 1);
    return true;
}
