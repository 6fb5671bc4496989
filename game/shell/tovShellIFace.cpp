#include "tovShellIFace.h"

#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "qrxBaseApp.h"
#include "tovAppServices.h"
#include "tovNetFacade.h"
#include "tovPostedText.h"

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

plat::Rect tovShellIFace::PostedTextBand() const
{
    return tovPostedText::kDefaultBand;
}

namespace
{

// A screen on the road to the first day of a network game that has not begun it.
bool HoldsPlayerBeforeFirstDay(const tovShellIFace& screen)
{
    return screen.OnRoadToFirstDay() && NetIsBeforeFirstDay();
}

} // namespace

bool tovShellIFace::KeepsEscape() const
{
    return HoldsPlayerBeforeFirstDay(*this);
}

bool tovShellIFace::AllowsEscape()
{
    if (!KeepsEscape())
        return qrxInterface::AllowsEscape();
    AskToLeave();
    return false;
}

void tovShellIFace::GoBack(int32_t screen)
{
    if (screen == kMainMenuId && HoldsPlayerBeforeFirstDay(*this))
        AskToLeave();
    else
        m_nextScreen = screen;
}

void tovShellIFace::AskToLeave()
{
    AskToLeaveBeforeFirstDay();
}

bool tovShellIFace::TakeWayBack(int32_t previousId)
{
    const qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    const qrxInterface* help = app != nullptr ? app->GetInterface(kHelpPictureId) : nullptr;
    if (previousId != kHelpPictureId || help == nullptr)
    {
        m_returnScreen = previousId;
        return true;
    }
    if (app->GetInterface(help->m_returnScreen) == this)
        return false;
    m_returnScreen = help->m_returnScreen;
    return true;
}

void tovShellIFace::DrawButtons()
{
    HandleMouse(Renderer());
}
