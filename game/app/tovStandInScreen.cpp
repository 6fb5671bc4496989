#include "tovStandInScreen.h"

#include "tovAppServices.h"

#include "qrxBaseApp.h"

#include "QrDisplay.h"
#include "QrPoint3.h"
#include "QrRender.h"

namespace
{
constexpr int32_t kMainMenu = 8;
constexpr uint8_t kSpaceKey = 57;
} // namespace

void tovStandInScreen::Enter(int32_t previousId)
{
    m_previous = previousId != 0 && previousId != m_id ? previousId : kMainMenu;
    m_nextScreen = 0;
}

void tovStandInScreen::PreUpdate(float /*elapsed*/)
{
    if (WasKeyPressed(kSpaceKey))
        m_nextScreen = m_previous;
}

int32_t tovStandInScreen::Update(float /*now*/, float /*elapsed*/)
{
    QrRender* renderer = GetAppServices().GetRenderer();
    QrDisplay* display = GetAppServices().GetDisplay();
    if (renderer && display)
    {
        renderer->SetBackgroundColor(QrPoint3(0.2f, 0.2f, 0.25f));
        renderer->ClearBuffer(nullptr, 1);
        if (WasButtonPressed(0))
            m_nextScreen = m_previous;
        if (qrxBaseApp* app = qrxBaseApp::GetCurrentApp())
            app->DrawCursor(renderer);
        display->DisplayFrame();
    }
    return m_nextScreen;
}
