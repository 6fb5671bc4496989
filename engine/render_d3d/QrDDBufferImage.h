#pragma once
// A renderer image around a surface that already exists: the front and back buffers of a
// display context. The surface is its base; it can be bound as a texture.

#include "QrDDImage.h"

#include <memory>

class QrDDBufferImage : public QrDDImage
{
    QR_DECLARE_RTTI

public:
    // Null for a null surface, when a display palette cannot be attached, or when the surface
    // cannot be bound as a texture. A palettised surface made before a display palette exists
    // is returned at once, its palette pending until first use.
    static QrPointer<QrDDBufferImage> Create(std::shared_ptr<plat::Surface> surface);

    // The surface bound as a texture; null while the palette is pending.
    const std::shared_ptr<plat::Surface>& GetTexture() const { return m_texture; }

protected:
    QrDDBufferImage() = default;
    ~QrDDBufferImage() override;

private:
    std::shared_ptr<plat::Surface> m_texture;
};
