#include "tovMessageBox.h"

#include "ButtonObj.h"
#include "qrxBaseApp.h"
#include "qrxKeyMapper.h"
#include "tovAppServices.h"
#include "tovMessageIFace.h"

namespace
{

bool g_raised = false;
OverlayPanel g_overlay = nullptr;

qrxInterface* MessageScreen()
{
    qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    return app ? app->GetInterface(kMessageScreenId) : nullptr;
}

void SetInputActive(bool on)
{
    ButtonObj::SetButtonsActive(on);
    qrxKeyMapper::SetKeysActive(on);
}

} // namespace

void ShowMessage(int32_t mode, tovMessageCallback callback, uintptr_t argument, const char* text)
{
    if (auto* box = dynamic_cast<tovMessageIFace*>(MessageScreen()))
        box->SetMessage(mode, callback, argument, text);
    ShowMessageScreen(true);
}

void SetMessageAnswerKeys(uint8_t first, uint8_t second)
{
    if (auto* box = dynamic_cast<tovMessageIFace*>(MessageScreen()))
        box->SetAnswerKeys(first, second);
}

void ShowMessageScreen(bool raise)
{
    qrxInterface* box = MessageScreen();
    // A box raised again is rebuilt from scratch rather than entered twice.
    if (box && g_raised)
    {
        box->Leave(0);
        box->Exit(0);
    }
    g_raised = raise && box;
    // Input stays on once the box is gone, even when its screen went first.
    if (!raise)
        SetInputActive(true);
    if (box && raise)
    {
        box->Prepare(0);
        box->Enter(0);
    }
}

bool IsMessageBoxRaised()
{
    return g_raised;
}

void UpdateMessageScreen(float time, float elapsed)
{
    if (g_overlay)
        g_overlay(time, elapsed);
    qrxInterface* box = MessageScreen();
    if (box && g_raised)
    {
        SetInputActive(true);
        box->qrxKeyMapper::Poll();
        box->qrxMouse::Poll();
        box->PreUpdate(elapsed);
        box->Update(time, elapsed);
        if (g_raised)
            SetInputActive(false);
    }
    // Every frame, so the cursor shows and the application's idle objects step on every screen.
    DrawAppCursor();
}

void DrawAppCursor()
{
    if (qrxBaseApp* app = qrxBaseApp::GetCurrentApp())
        app->DrawCursor(GetAppServices().GetRenderer());
}

void SetOverlayPanel(OverlayPanel panel)
{
    g_overlay = panel;
}

OverlayPanel GetOverlayPanel()
{
    return g_overlay;
}
