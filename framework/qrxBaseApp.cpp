#include "qrxBaseApp.h"

#include "SoundManager.h"
#include "qrxAssetCache.h"
#include "qrxClock.h"
#include "qrxInterface.h"
#include "qrxUtility.h"
#include "uRandom.h"

#include "QrAction.h"
#include "QrRender.h"

#include "WindowBackend.h"

namespace
{
qrxBaseApp* g_currentApp = nullptr;
bool g_quit = false;
} // namespace

qrxBaseApp::qrxBaseApp(plat::WindowBackend* window, plat::InputBackend* input, const char* commandLine)
    : m_window(window), m_input(input), m_startTime(GetTimeMs()), m_commandLine(commandLine ? commandLine : "")
{
    g_currentApp = this;
}

qrxBaseApp::~qrxBaseApp()
{
    for (QrPointer<QrImage>& image : m_cursorImages)
        image = nullptr;
    m_currentScreen = nullptr;
    m_screens.clear();
    m_spareImage = nullptr;
    if (g_currentApp == this)
        g_currentApp = nullptr;
}

qrxBaseApp* qrxBaseApp::GetCurrentApp()
{
    return g_currentApp;
}

void qrxBaseApp::SetQuitFlag(bool on)
{
    g_quit = on;
}

bool qrxBaseApp::GetQuitFlag()
{
    return g_quit;
}

void qrxBaseApp::SwitchScreen(int32_t) {}
void qrxBaseApp::SetWindowTitle(const char*) {}
void qrxBaseApp::ParseCommandLine(const char*) {}
bool qrxBaseApp::CreateAll()
{
    return true;
}
void qrxBaseApp::Shutdown() {}
void qrxBaseApp::UpdateIdleObjects() {}
void qrxBaseApp::OnKeyDown(uint32_t) {}
void qrxBaseApp::CreateRenderer(bool, int32_t, int32_t) {}

const char* qrxBaseApp::GetClassName()
{
    return "qrxBaseApp";
}

bool qrxBaseApp::Init()
{
    SharedRandom().seed(static_cast<int32_t>(GetTimeMs()));
    ParseCommandLine(m_commandLine.c_str());
    CreateMainWindow();
    if (!CreateAll())
        return false;
    qrxKeyMapper::Connect(m_input, m_window);
    qrxMouse::Connect(m_input, m_window);
    return true;
}

bool qrxBaseApp::CreateMainWindow()
{
    if (!m_window)
        return false;
    plat::WindowDesc desc;
    desc.title = GetClassName();
    desc.width = static_cast<uint32_t>(m_clientWidth);
    desc.height = static_cast<uint32_t>(m_clientHeight);
    desc.fullScreen = m_fullScreen != 0;
    return m_window->Open(desc);
}

double qrxBaseApp::GetTime() const
{
    // Divided, not multiplied by 0.001: the nearest double to each millisecond count, so that
    // whole seconds between two times come out whole whatever the run's length.
    return static_cast<uint32_t>(GetTimeMs() - m_startTime) / 1000.0;
}

void qrxBaseApp::BeginRun()
{
    m_startTime = GetTimeMs();
    m_lastFrameTime = 0.0;
    m_lastRateTime = 0.0;
    m_frameCounter = 0;
    m_counterAtRate = 0;
}

int32_t qrxBaseApp::Run()
{
    BeginRun();
    while (RunOnce())
    {
    }
    return m_exitCode;
}

bool qrxBaseApp::RunOnce()
{
    if (g_quit)
        return false;
    if (!m_window || !m_window->HasPendingMessages())
    {
        m_pacer.StartFrame();
        // Sound ends queued by the worker land at the start of a frame, on this thread.
        DeliverSoundEnds();
        const double now = GetTime();
        OnIdle(now, now - m_lastFrameTime, false);
        UpdateRate(now);
        m_lastFrameTime = now;
        ++m_frameCounter;
        // Rests what the frame left of its share when capped: a loop that never waits keeps a core busy on still menus.
        m_lastPause = m_pacer.Pause();
        return true;
    }
    plat::WindowMessage message;
    while (m_window->PollMessage(message))
    {
        if (message.message == plat::kMsgQuit)
        {
            g_quit = true;
            m_exitCode = static_cast<int32_t>(message.wParam);
            return false;
        }
        WindowProc(message);
    }
    return true;
}

void qrxBaseApp::UpdateRate(double now)
{
    const double span = now - m_lastRateTime;
    // A window closes only when strictly more than a second has passed.
    if (span > 1.0)
    {
        m_framesPerSecond = static_cast<int32_t>((m_frameCounter - m_counterAtRate) / span + 0.5);
        m_counterAtRate = m_frameCounter;
        m_lastRateTime = now;
    }
}

void qrxBaseApp::OnIdle(double now, double elapsed, bool skipInput)
{
    // Without a current screen there is nothing to step (start-up switches to one first).
    if ((!m_active && !RunsWhileInactive()) || !m_currentScreen)
        return;
    qrxInterface* screen = m_currentScreen;
    m_frameTime = now;
    m_frameElapsed = elapsed;
    if (!skipInput)
    {
        qrxKeyMapper::BeginFrame();
        qrxMouse::BeginFrame();
        screen->qrxKeyMapper::Poll();
        screen->qrxMouse::Poll();
        QrAction::UpdateAll(now, elapsed);
        screen->PreUpdate(static_cast<float>(elapsed));
    }
    const int32_t next = screen->Update(static_cast<float>(now), static_cast<float>(elapsed));
    if (next != 0)
        SwitchScreen(next);
}

intptr_t qrxBaseApp::WindowProc(const plat::WindowMessage& message)
{
    switch (message.message)
    {
    case plat::kMsgKeyDown:
        OnKeyDown(static_cast<uint32_t>(message.wParam));
        break;
    case plat::kMsgPaint:
        if (m_currentScreen)
            m_currentScreen->OnPaint(message.message, message.wParam, message.lParam);
        break;
    case plat::kMsgActivateApp:
        m_active = message.wParam != 0 ? 1 : 0;
        if (m_active && m_fullScreen)
            qrxAssetCache::Get().Reset();
        break;
    case plat::kMsgSetCursor:
        if (m_drawnCursor && m_window)
            m_window->ShowSystemCursor(false);
        break;
    case plat::kMsgDestroy:
        Cleanup();
        if (m_window)
            m_window->PostQuit(0);
        return 0;
    default:
        break;
    }
    return 0;
}

void qrxBaseApp::Cleanup()
{
    for (QrPointer<QrImage>& image : m_cursorImages)
        image = nullptr;
    // A message handled before the quit message must not reach a deleted screen.
    m_currentScreen = nullptr;
    m_currentScreenId = 0;
    m_screens.clear();
    Shutdown();
}

bool qrxBaseApp::AddInterface(qrxInterface* screen, int32_t id)
{
    auto found = m_screens.find(id);
    if (!screen || (found != m_screens.end() && found->second))
        return false;
    m_screens[id].reset(screen);
    return true;
}

qrxInterface* qrxBaseApp::GetInterface(int32_t id) const
{
    auto found = m_screens.find(id);
    return found == m_screens.end() ? nullptr : found->second.get();
}

void qrxBaseApp::SetCurrentScreen(int32_t id)
{
    m_currentScreen = GetInterface(id);
    m_currentScreenId = m_currentScreen ? id : 0;
}

void qrxBaseApp::SetCursorBitmap(int32_t index, QrImage* image)
{
    if (index < 0 || index >= kCursorCount || m_cursorImages[index] == image)
        return;
    m_cursorImages[index] = image;
}

void qrxBaseApp::SetCursorVisible(bool visible)
{
    if ((m_cursorVisible != 0) == visible)
        return;
    m_cursorVisible = visible ? 1 : 0;
    if (!m_drawnCursor && m_window)
        m_window->ShowSystemCursor(visible);
}

void qrxBaseApp::SelectCursor(int32_t index, bool visible)
{
    if (index >= 0 && index < kCursorCount)
        m_cursorIndex = index;
    SetCursorVisible(visible);
}

void qrxBaseApp::DrawCursor(QrRender* renderer)
{
    UpdateIdleObjects();
    QrImage* image = m_cursorImages[m_cursorIndex].Get();
    if (!m_drawnCursor || !m_cursorVisible || !renderer || !image)
        return;
    const plat::Point point = GetCursorPoint();
    const plat::Point hot = m_hotSpots[m_cursorIndex];
    // Whole: the renderer knows the size even before the image's first use.
    renderer->BlitImage(image, nullptr, point.x - hot.x, point.y - hot.y, 1);
}

void qrxBaseApp::PlaceWindow()
{
    ::PlaceWindow(m_window);
}

plat::Point GetCursorPoint()
{
    qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    if (!app || !app->GetWindow())
        return {};
    const plat::Point client = app->GetWindow()->CursorPosition();
    const plat::Point hot = app->m_hotSpots[app->GetCursorIndex()];
    return {client.x + hot.x, client.y + hot.y};
}

void SetAppCursorVisible(bool visible)
{
    if (qrxBaseApp* app = qrxBaseApp::GetCurrentApp())
        app->SetCursorVisible(visible);
}
