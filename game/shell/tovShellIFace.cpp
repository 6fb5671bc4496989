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
    if (screen == tovAppServices::kMainMenuId && HoldsPlayerBeforeFirstDay(*this))
        AskToLeave();
    else
        m_nextScreen = screen;
}

void tovShellIFace::AskToLeave()
{
    AskToLeaveBeforeFirstDay();
}

namespace
{

// The help picture, when previousId is it.
const qrxInterface* HelpPictureAt(int32_t previousId)
{
    const qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    if (app == nullptr || previousId != tovAppServices::kHelpPictureId)
        return nullptr;
    return app->GetInterface(previousId);
}

} // namespace

bool tovShellIFace::IsBackFromLook(int32_t previousId) const
{
    const qrxInterface* help = HelpPictureAt(previousId);
    return help != nullptr && qrxBaseApp::GetCurrentApp()->GetInterface(help->m_returnScreen) == this;
}

bool tovShellIFace::TakeWayBack(int32_t previousId)
{
    if (IsBackFromLook(previousId))
        return false;
    const qrxInterface* help = HelpPictureAt(previousId);
    m_returnScreen = help != nullptr ? help->m_returnScreen : previousId;
    return true;
}

void tovShellIFace::DrawButtons()
{
    HandleMouse(Renderer());
}
