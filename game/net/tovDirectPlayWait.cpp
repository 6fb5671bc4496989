// The blocking waits' own loop: the window's messages, the waiting frame with the message box over
// it, and the way out: Escape asks whether to leave the network game, and yes leaves it.
#include "tovDirectPlay.h"

#include "QrDisplay.h"
#include "QrRender.h"
#include "WindowBackend.h"
#include "WindowMessage.h"
#include "qrxBaseApp.h"
#include "qrxKeyMapper.h"
#include "qrxMouse.h"
#include "qrxTextEditor.h"
#include "tovAppServices.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovNetFacade.h"

#include <chrono>
#include <thread>

namespace
{

constexpr int32_t kPassMs = 100;
// While a box is up a pass's pause is served in this many steps.
constexpr int32_t kBoxSteps = 5;
constexpr int32_t kYesAnswer = 0;

void PauseMs(int32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Only the session the game plays through drives the window: another one in the same process
// (a second player in a test) waits on its own thread without it.
qrxBaseApp* WindowAppOf(const tovNetworkPlay* session)
{
    return &TheNetworkPlay() == session ? qrxBaseApp::GetCurrentApp() : nullptr;
}

} // namespace

bool tovDirectPlay::PumpOnce()
{
    DrainMainThreadQueue();
    if (qrxBaseApp::GetQuitFlag())
        return false;
    qrxBaseApp* app = WindowAppOf(this);
    plat::WindowBackend* window = app != nullptr ? app->GetWindow() : nullptr;
    plat::WindowMessage message;
    if (window != nullptr && window->PollMessage(message))
    {
        // Closing the window ends the wait as quitting does: the screens that wait are torn
        // down once the frame is over, not under the wait.
        if (message.message == plat::kMsgQuit || message.message == plat::kMsgDestroy)
        {
            qrxBaseApp::SetQuitFlag(true);
            return false;
        }
        // Keys are the wait's: the application's would switch screens under it.
        if (message.message == plat::kMsgKeyDown)
            OnWaitKey(static_cast<uint32_t>(message.wParam));
        else
            app->WindowProc(message);
    }
    if (app != nullptr)
        ServeWaitFrame();
    if (m_leaveChosen)
    {
        m_leaveChosen = false;
        // The others see this player go as they see one lost.
        Close();
        NetMarkLeftGame();
    }
    return true;
}

void tovDirectPlay::PauseWait()
{
    if (WindowAppOf(this) == nullptr || !IsMessageBoxRaised())
    {
        PauseMs(kPassMs);
        return;
    }
    for (int32_t step = 0; step < kBoxSteps && !m_leaveChosen; ++step)
    {
        PauseMs(kPassMs / kBoxSteps);
        ServeWaitFrame();
    }
}

void tovDirectPlay::OnWaitKey(uint32_t key)
{
    // The wait's frames read no keys: a raised box takes its answer keys from here.
    tovMessageIFace* box = tovMessageIFace::GetInstance();
    if (IsMessageBoxRaised() && box != nullptr && box->AnswerByKey(key))
        return;
    if (key == plat::kVkEscape)
    {
        if (!IsMessageBoxRaised())
        {
            AskToLeaveNetworkGame(&tovDirectPlay::OnLeaveAnswer, reinterpret_cast<uintptr_t>(this));
            m_askingLeave = IsMessageBoxRaised();
        }
    }
    else if (qrxTextEditor* editor = qrxTextEditor::GetFocusedEditor())
        editor->HandleMessage(plat::kMsgKeyDown, key, 0);
}

bool tovDirectPlay::OnLeaveAnswer(int32_t answer, uintptr_t argument)
{
    auto* self = reinterpret_cast<tovDirectPlay*>(argument);
    self->m_askingLeave = false;
    if (answer == kYesAnswer)
        self->m_leaveChosen = true;
    return true;
}

void tovDirectPlay::ServeWaitFrame()
{
    qrxBaseApp* app = WindowAppOf(this);
    if (app == nullptr)
        return;
    tovAppServices& services = GetAppServices();
    QrRender* renderer = services.GetRenderer();
    if (!NetDrawWaitFrame() && renderer != nullptr)
        renderer->ClearBuffer(nullptr, 1);
    const double now = app->GetTime();
    const double elapsed = m_lastWaitFrame >= 0.0 && now >= m_lastWaitFrame ? now - m_lastWaitFrame : 0.0;
    m_lastWaitFrame = now;
    // The wait's frames read the mouse (its keys come as messages), so the box takes clicks.
    qrxMouse::BeginFrame();
    // Answers come in without a renderer too.
    UpdateMessageScreen(static_cast<float>(now), static_cast<float>(elapsed));
    if (QrDisplay* display = services.GetDisplay(); display != nullptr && renderer != nullptr)
        display->DisplayFrame();
}

void tovDirectPlay::EndWait()
{
    m_lastWaitFrame = -1.0;
    // The wait's keys were its own: a press kept through it would skip the next screen's clip.
    if (WindowAppOf(this) != nullptr)
        qrxKeyMapper::DropPresses();
    if (!m_askingLeave)
        return;
    m_askingLeave = false;
    if (IsMessageBoxRaised())
        ShowMessageScreen(false);
}
