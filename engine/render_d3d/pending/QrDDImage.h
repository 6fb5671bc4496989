#pragma once
// PENDING: stand-in for the renderer image until the image classes are merged; removed then.

#include "QrImage.h"

#include <cstdint>
#include <memory>

class QrPalette;
class QrRender;

namespace plat
{
class Display;
class Surface;
} // namespace plat

class QrDDImage : public QrImage
{
    QR_DECLARE_RTTI

public:
    static QrImage* Create(uint32_t kind);
    static bool ReleaseAllSurfaces();
    static void SetDirectDraw(const std::shared_ptr<plat::Display>& display);
    static bool GetDirectDraw(std::shared_ptr<plat::Display>& out);
    static void SetGlobalObject(QrPalette* palette);
    static QrPalette* GetGlobalObject();
    static void ForgetTextureKey(uint32_t key);

    bool LoadFromFile() override { return false; }
    bool LoadFromRawData() override { return false; }
    bool GetSurface(std::shared_ptr<plat::Surface>& out);
    bool GetSurfaceFor(QrRender* renderer, uint32_t kind, std::shared_ptr<plat::Surface>& out);

protected:
    QrDDImage() = default;
    ~QrDDImage() override = default;

    std::shared_ptr<plat::Surface> m_surface;
};
