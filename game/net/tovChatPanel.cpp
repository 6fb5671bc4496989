#include "tovChatPanel.h"

#include "ButtonObj.h"
#include "KeyNumbers.h"
#include "WindowMessage.h"
#include "qrxBaseApp.h"
#include "qrxKeyMapper.h"
#include "qrxTextEditor.h"
#include "tovChatIFace.h"
#include "tovFishingKeys.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"

namespace
{

constexpr int32_t kChatScreen = 18;

bool g_raised = false;

// The panel takes the pointer and the keys while it is up, so that a click on it never lands on
// a button of the screen beneath; that screen still runs and draws.
void SetScreenInput(bool on)
{
    ButtonObj::SetButtonsActive(on);
    qrxKeyMapper::SetKeysActive(on);
}

void ServeChatPanel(float time, float elapsed)
{
    tovChatIFace* chat = tovChatIFace::GetInstance();
    if (!chat || !IsNetworkGame())
    {
        LowerChatPanel();
        return;
    }
    if (!IsMessageBoxRaised())
    {
        SetScreenInput(true);
        chat->qrxMouse::Poll();
    }
    chat->PreUpdate(elapsed);
    chat->Update(time, elapsed);
    if (chat->IsCloseRequested())
        LowerChatPanel();
    else
        SetScreenInput(false);
}

} // namespace

bool RaiseChatPanel()
{
    tovChatIFace* chat = tovChatIFace::GetInstance();
    if (g_raised || !chat || !IsNetworkGame())
        return false;
    const qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    const int32_t current = app ? app->GetCurrentScreenId() : 0;
    chat->Prepare(current);
    chat->Enter(current);
    g_raised = true;
    SetOverlayPanel(&ServeChatPanel);
    SetScreenInput(false);
    return true;
}

void LowerChatPanel()
{
    if (!g_raised)
        return;
    g_raised = false;
    SetScreenInput(true);
    if (GetOverlayPanel() == &ServeChatPanel)
        SetOverlayPanel(nullptr);
    if (tovChatIFace* chat = tovChatIFace::GetInstance())
    {
        chat->Exit(0);
        chat->Leave(kChatScreen);
    }
}

bool IsChatPanelRaised()
{
    return g_raised;
}

bool HandleChatPanelKey(uint32_t key)
{
    if (IsMessageBoxRaised())
        return false;
    if (key == plat::kVkEscape && g_raised)
    {
        LowerChatPanel();
        return true;
    }
    if (key != plat::VirtualKeyOfKey(KeyOfAction(tovFishingAction::kChat)) || g_raised ||
        qrxTextEditor::GetFocusedEditor() || !RaiseChatPanel())
        return false;
    tovChatIFace::GetInstance()->SkipRaisingKey(key);
    return true;
}
