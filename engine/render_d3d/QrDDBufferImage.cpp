#include "QrDDBufferImage.h"

#include "QrPalette.h"

#include "DebugOutput.h"
#include "Surface.h"

#include <new>

QR_IMPLEMENT_RTTI(QrDDBufferImage, QrDDImage)

QrDDBufferImage::~QrDDBufferImage() = default;

QrPointer<QrDDBufferImage> QrDDBufferImage::Create(std::shared_ptr<plat::Surface> surface)
{
    if (!surface)
        return nullptr;
    QrPointer<QrDDBufferImage> image = new (std::nothrow) QrDDBufferImage;
    if (!image)
        return nullptr;
    plat::SurfaceDesc desc;
    surface->GetDesc(desc);
    auto record = std::make_unique<QrDDSurfaceRecord>();
    record->m_surface = surface;
    record->m_format.FromSurface(*surface);
    const bool palettised = record->m_format.IsPalettised();
    image->m_width = desc.width;
    image->m_height = desc.height;
    image->m_levelCount = 1;
    QrDDSurfaceRecord* base = image->AdoptRecord(std::move(record));
    image->m_base = base;
    if (!palettised)
    {
        image->m_converted.insert(image->m_converted.begin(), base);
        image->m_flags |= kFlagHasSurfaces;
    }
    else if (!GetGlobalObject())
    {
        image->m_flags |= kFlagPalettePending;
        return image;
    }
    else if (!image->AttachDisplayPalette())
    {
        return nullptr;
    }
    if (surface->QueryTexture() != plat::Result::Ok)
    {
        plat::DebugOutput("Query destination texture surface failed");
        return nullptr;
    }
    image->m_texture = std::move(surface);
    return image;
}
