#include "tovShellIFace.h"

#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "tovAppServices.h"
#include "tovNetFacade.h"

#include "QrDisplay.h"
#include "QrRawImageData.h"
#include "QrRender.h"

ResourcePack* tovShellIFace::MainPack()
{
    return GetAppServices().GetMainPack();
}

void tovShellIFace::LoadGroup(uint32_t group)
{
    if (ResourcePack* pack = MainPack())
        ResourcePack::LoadGroup(group, pack);
}

void tovShellIFace::UnloadGroup(uint32_t group)
{
    if (ResourcePack* pack = MainPack())
        ResourcePack::UnloadGroup(group, pack);
}

QrPointer<QrImage> tovShellIFace::Picture(uint32_t id)
{
    ResourcePack* pack = MainPack();
    return pack ? LoadResourceImage(kResourcePicture, id, pack) : nullptr;
}

void tovShellIFace::PictureSize(const QrImage* image, int32_t& width, int32_t& height)
{
    width = height = 0;
    if (!image)
        return;
    if (const QrRawImageData* raw = image->GetRawData())
    {
        width = static_cast<int32_t>(raw->GetWidth());
        height = static_cast<int32_t>(raw->GetHeight());
    }
    else
    {
        width = static_cast<int32_t>(image->GetWidth());
        height = static_cast<int32_t>(image->GetHeight());
    }
}

QrRender* tovShellIFace::Renderer()
{
    return GetAppServices().GetRenderer();
}

namespace
{
bool g_drawingSkipped = false;
} // namespace

bool tovShellIFace::CanDraw()
{
    return !g_drawingSkipped && GetAppServices().GetRenderer() != nullptr && GetAppServices().GetDisplay() != nullptr;
}

void tovShellIFace::SetDrawingSkipped(bool skipped)
{
    g_drawingSkipped = skipped;
}

void tovShellIFace::DrawPicture(QrImage* image, int32_t x, int32_t y)
{
    if (QrRender* renderer = Renderer(); renderer && image)
        renderer->BlitImage(image, nullptr, x, y, 0);
}

void tovShellIFace::Present()
{
    if (QrDisplay* display = GetAppServices().GetDisplay())
        display->DisplayFrame();
}

void tovShellIFace::PostedTextBand(int32_t&, int32_t&) const {}

bool tovShellIFace::KeepsEscape() const
{
    return m_onNetworkSetUp && NetIsBeforeFirstDay();
}

bool tovShellIFace::AllowsEscape()
{
    if (!KeepsEscape())
        return qrxInterface::AllowsEscape();
    AskToLeaveBeforeFirstDay();
    return false;
}

void tovShellIFace::DrawButtons()
{
    HandleMouse(Renderer());
}
