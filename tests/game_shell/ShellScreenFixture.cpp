#include "ShellScreenFixture.h"

#include "HeadlessRenderer.h"
#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "qrxAssetCache.h"
#include "qrxInterface.h"
#include "qrxKeyMapper.h"
#include "qrxScratchImage.h"
#include "tovExitIFace.h"
#include "tovGameSelectIFace.h"
#include "tovInstallSettings.h"
#include "tovIntroIFace.h"
#include "tovLogoIFace.h"
#include "tovMainMenuIFace.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovUserProfile.h"

#include "ButtonObj.h"
#include "QrDDContext.h"
#include "QrRender.h"
#include "QrRenderCreateParams.h"

int32_t StandInScreen::Update(float now, float elapsed)
{
    if (QrRender* renderer = Renderer())
        renderer->ClearBuffer(nullptr, 1);
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}

void ShellTestApp::SwitchScreen(int32_t id)
{
    qrxInterface* next = GetInterface(id);
    if (!next)
        return;
    const int32_t old = GetCurrentScreenId();
    qrxInterface* current = GetCurrentScreen();
    if (current)
        current->Leave(old);
    next->Prepare(old);
    if (current)
        current->Exit(id);
    SetCurrentScreen(id);
    next->Enter(old);
}

void ShellScreenTest::SetUp()
{
    QrEngineTest::SetUp();
    plat::SetDebugSink(&m_log);
    m_window.Open(plat::WindowDesc{"shell test", 640, 480});
    plat::SetCurrentClock(&m_clock);
    qrxInterface::SetInputWindow(&m_input, &m_window);
    qrxBaseApp::SetQuitFlag(false);
    SetWritableRoot(m_dir.Path());
    CreateWritableFolders();

    m_config.window = &m_window;
    plat::SetDisplayConfig(&m_config);
    QrDDContext::SetRenderWindow(&m_window);
    QrRenderCreateParams params;
    params.window = &m_window;
    params.flags = 9;
    params.mode = QrRenderCreateParams::kModeWindowed;
    m_renderer = QrD3DRender::Create(params);
    ASSERT_TRUE(m_renderer);
    m_renderer->SetBackgroundColor(QrPoint3(22.0f / 255.0f, 79.0f / 255.0f, 97.0f / 255.0f));
    qrxScratchImage::SetRenderer(m_renderer.Get());
    m_display = new QrDisplay;
    m_display->SetRenderer(m_renderer.Get());

    RegisterSoundResourceType();
    RegisterDataResourceType();
    RegisterBlobResourceType();
    RegisterImageResourceType();
    ASSERT_EQ(ResourcePack::InitLoader(), kResourceOk);
    ASSERT_EQ(ResourcePack::Open(testfiles::DataDir() + "/Data/tov", &m_pack), kResourceOk);
    ResourcePack::LoadGroup(0, m_pack);

    m_services.m_renderer = m_renderer.Get();
    m_services.m_display = m_display.Get();
    m_services.m_pack = m_pack;
    SetAppServices(&m_services);
    SetFishingModeHooks(&m_hooks);
    m_session = std::make_unique<tovGameSession>();

    m_app = std::make_unique<ShellTestApp>(&m_window, &m_input);
    ASSERT_TRUE(m_app->Init());
    m_app->AddInterface(new tovGameSelectIFace, 1);
    m_app->AddInterface(new tovMainMenuIFace, 8);
    m_app->AddInterface(new tovIntroIFace, 13);
    m_app->AddInterface(new tovMessageIFace, kMessageScreenId);
    m_app->AddInterface(new tovExitIFace, 24);
    m_app->AddInterface(new tovLogoIFace, 25);
    // Fishing, tournament set-up, profiles, weigh-in, options, load and save game.
    AddMoreScreens();
    for (int32_t id : {2, 4, 5, 10, 11, 14, 15})
        if (!m_app->GetInterface(id))
            m_app->AddInterface(new StandInScreen, id);
    m_app->SetCursorBitmap(0, LoadResourceImage(kResourcePicture, 10, m_pack).Get());
    m_app->m_hotSpots[0] = {1, 2};
    m_app->SetDrawnCursor(true);
    m_window.MoveCursor({600, 20});
    m_app->BeginRun();
}

void ShellScreenTest::TearDown()
{
    if (IsMessageBoxRaised())
        ShowMessageScreen(false);
    m_app.reset();
    m_session.reset();
    SetFishingModeHooks(nullptr);
    SetAppServices(nullptr);
    ButtonObj::SetButtonsActive(true);
    qrxKeyMapper::SetKeysActive(true);
    ResourcePack::Close(&m_pack);
    ResourcePack::ShutdownLoader();
    m_display = nullptr;
    qrxScratchImage::ReleaseRenderer();
    qrxAssetCache::Get().Clear();
    m_renderer = nullptr;
    ReleaseRendererProgramState();
    qrxInterface::SetInputWindow(nullptr, nullptr);
    plat::SetCurrentClock(nullptr);
    plat::SetDebugSink(nullptr);
    SetWritableRoot("");
    QrEngineTest::TearDown();
}

void ShellScreenTest::Frame(uint32_t ms)
{
    // A pass with messages waiting handles them and draws no frame.
    while (m_window.HasPendingMessages() && m_app->RunOnce())
    {
    }
    m_clock.AdvanceMs(ms);
    m_app->RunOnce();
}

void ShellScreenTest::ClickAt(int32_t x, int32_t y)
{
    // The point screens see is the cursor's hot spot past the window position.
    m_window.MoveCursor({x - 1, y - 2});
    Frame();
    m_input.SetButton(0, true);
    Frame();
    m_input.SetButton(0, false);
    Frame();
}

golden::RgbImage ShellScreenTest::Shown() const
{
    return golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight());
}
