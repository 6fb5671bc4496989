#include "tovApp.h"
#include "tovProfileIFace.h"

#include "tovScreenTable.h"

#include "EnetSession.h"
#include "tovAnglingRigFactory.h"
#include "tovBoat.h"
#include "tovDirectPlay.h"
#include "tovDirectPlayDialogPort.h"
#include "tovFishingHooks.h"
#include "tovFishingWorld.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovInstallSettings.h"
#include "tovMessageBox.h"
#include "tovModelFileCache.h"
#include "tovNetFacade.h"
#include "tovNetPhases.h"
#include "tovPostedText.h"
#include "tovRemoteBoats.h"
#include "tovSessionDialog.h"
#include "tovSessionDialogRunner.h"
#include "tovSessionDialogView.h"
#include "tovSessionHooks.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"
#include "tovWorldClasses.h"
#include "tovWorldSaveLink.h"

#include "FileHelpers.h"
#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "SoundManager.h"
#include "qrxAmbientSound.h"
#include "qrxAssetCache.h"
#include "qrxFloatingText.h"
#include "qrxInterface.h"
#include "qrxTextEditor.h"
#include "tovChatPanel.h"
#include "tovSoundFacade.h"
#include "uRandom.h"

#include "QrD3DRender.h"
#include "QrDDContext.h"
#include "QrDDImage.h"
#include "QrEngineAnimationClasses.h"
#include "QrEngineCoreClasses.h"
#include "QrPoint3.h"
#include "QrRenderCreateParams.h"

#include "CRandom.h"
#include "Canvas.h"
#include "Clock.h"
#include "DebugOutput.h"
#include "Display.h"
#include "Font.h"
#include "WindowBackend.h"

#include <algorithm>
#include <string>

namespace
{

constexpr uint32_t kMainPackGroups[] = {0, 1, 2, 3, 4, 5, 6, 36};
constexpr int32_t kPreloadedSpecies[] = {0, 1, 2, 3, 9, 11, 12, 14, 16};
constexpr uint32_t kFlagsSoftware = 9;
constexpr uint32_t kFlagsHardware = 11;
constexpr const char* kRendererFailedText =
    "Renderer Creation Failed!\nMake sure your desktop is set to 16-bit color depth.";
constexpr const char* kDataMissingText = "The game's data was not found (start it with --data DIR):\n";
constexpr const char* kPackFileMissingText = "A file of the game's main pack is missing:\n";
constexpr const char* kPackDamagedText = "The game's main pack is damaged:\n";
constexpr const char* kNoSoundText = "Sound could not be started, and the player chose not to play without it.";
constexpr const char* kNoWindowText = "The game window could not be opened (is there a display?).";
constexpr const char* kNoDiscText = "The data disc was not found (the setting RunCD asks for it).";
constexpr const char* kQuitQuestion = "Are you sure you want to quit?";
constexpr const char* kProfileQuestion = "The player profile could not be read.\n"
                                         "Make a new one in its place? (No ends the game and keeps the file.)";
// Posted lines stay on screen this long.
constexpr double kTextLineSeconds = 10.0;

enum ImageSlot
{
    kUnusedImage = 0,
    kBusyImage = 1,
    kSpareImage = 2,
};

} // namespace

tovApp::tovApp(plat::WindowBackend* window, plat::InputBackend* input, const tovScreenTable* screens)
    : qrxBaseApp(window, input, ""), m_screenTable(screens ? screens : &tovScreenTable::Game())
{
    // A full-screen mode switch to 640 x 480 is refused by many desktops today: play in a window.
    m_fullScreen = 0;
    m_settings.fullScreen = 0;
    SetAppServices(this);
    m_vertexColor = new QrVertexColorProperty;
    m_vertexColor->m_mode = 4;
    m_vertexColor->m_override = 1;
    m_font = plat::Font::Create(kPostedTextFace, kPostedTextHeight, kPostedTextWeight);
    m_text = std::make_unique<qrxFloatingText>(m_font.get(), tovPostedText::kColor);
    m_displayConfig.window = window;
}

tovApp::~tovApp()
{
    // A run that ended without the window's destruction still shuts down in order.
    if (!m_shutDown)
        Cleanup();
    // The session goes first: its anglers leave the world before the statics and the hooks.
    m_session.reset();
    if (m_network)
        tovRemoteBoats::Uninstall(*m_network);
    m_remoteBoats.reset();
    GetFishingModeHooks().ReleaseStatics();
    // The livewell's fish and the look screen's boat fill these program-wide caches too.
    tovBoat::ReleaseStatics();
    tovModelFileCache::Clear();
    qrxAssetCache::Get().Clear();
    SetSaveGameLink(nullptr);
    m_saveLink.reset();
    SetFishingModeHooks(nullptr);
    m_fishingHooks.reset();
    SetRigFactory(nullptr);
    m_rigFactory.reset();
    m_text.reset();
    m_font.reset();
    m_textLines.clear();
    m_ambient.reset();
    SetAmbientSoundPack(nullptr);
    if (m_pack)
    {
        for (uint32_t group : kMainPackGroups)
            ResourcePack::UnloadGroup(group, m_pack);
        ResourcePack::Close(&m_pack);
    }
    ResourcePack::ShutdownLoader();
    for (QrPointer<QrImage>& image : m_images)
        image = nullptr;
    m_spareImage = nullptr;
    DestroyRenderer();
    m_display = nullptr;
    m_vertexColor = nullptr;
    m_sound.reset();
    SetAppServices(nullptr);
}

// ---- start-up ----

bool tovApp::CreateAll()
{
    if (!m_failure.empty())
        return false;
    if (m_seed)
        SharedRandom().seed(*m_seed);
    SeedGameNumbers(SharedRandom().get_state());
    // The lake's start shuffle draws from the C runtime generator: each application begins it
    // where a new program does, so a second run in one process places the boats as the first.
    plat::CRandSeed(plat::kCRandStartSeed);
    m_sound = std::make_unique<tovSoundFacade>();
    // The player's No to going on without sound ends the start-up, as Cancel on the disc prompt does.
    if (!m_sound->Init(m_window))
    {
        FailRun(kNoSoundText);
        return false;
    }
    plat::WindowBackend* window = m_window;
    const tovDiscPrompt prompt = [window](const char* title, const char* text)
    {
        return window && window->ShowMessageBox(title, text, plat::MessageBoxButtons::RetryCancel,
                                                plat::MessageBoxIcon::Warning) == plat::MessageBoxAnswer::Retry;
    };
    if (!ReadInstallSettings(m_dataFolder.empty() ? GetProgramFolder() : m_dataFolder, prompt))
    {
        FailRun(kNoDiscText);
        return false;
    }
    qrxInterface::SetInputWindow(m_input, m_window);
    // The session object installs itself; sessions open later from the profiles screen.
    m_network = std::make_unique<tovDirectPlay>(std::make_unique<plat::EnetSession>(m_netTimeoutMs));
    if (!m_joinAddress.empty())
        m_network->SetSetupDialog(
            [this, address = m_joinAddress](tovDirectPlay& session)
            {
                if (session.JoinSession(address))
                    return true;
                ReportSessionFailure(session.GetJoinFailure());
                return false;
            });
    else if (!m_hostAddress.empty())
        m_network->SetSetupDialog(
            [this, address = m_hostAddress](tovDirectPlay& session)
            {
                // A copy that could not host must not go on to a day that waits for players.
                if (session.HostSession(TheUserProfile().GetName(), address))
                    return true;
                ReportSessionFailure(tovSessionDialog::kCreateFailedText);
                return false;
            });
    else
        m_network->SetSetupDialog([this](tovDirectPlay& session) { return RunSetupDialog(session); });
    m_network->SetProfileListHook(&tovProfileIFace::RebuildList);
    NetCloseSession();
    ResourcePack::InitLoader();
    RegisterSoundResourceType();
    RegisterDataResourceType();
    RegisterBlobResourceType();
    RegisterImageResourceType();
    // The scene files the screens' 3D views read (fish, boat, angler figures).
    RegisterEngineCoreClasses();
    RegisterEngineAnimationClasses();
    RegisterGameWorldClasses();
    // Without the main pack every screen would stay black: say where it was looked for and stop.
    if (!OpenMainPack())
    {
        Cleanup();
        return false;
    }
    CreateDisplay();
    // Without a renderer nothing can be shown: stop here rather than start screens and sounds
    // that the shut-down below would leave behind.
    if (m_rendererFailed)
    {
        Cleanup();
        return false;
    }
    RegisterScreens();
    LoadCursors();
    LoadSounds();
    // No video probe: the clip decoder needs no start-up of its own, and the probe's answer was never kept.
    m_rigFactory = std::make_unique<tovAnglingRigFactory>();
    SetRigFactory(m_rigFactory.get());
    m_fishingHooks = std::make_unique<tovFishingHooks>();
    SetFishingModeHooks(m_fishingHooks.get());
    m_saveLink = std::make_unique<tovWorldSaveLink>(m_fishingHooks->GetWorld());
    SetSaveGameLink(m_saveLink.get());
    m_remoteBoats = std::make_unique<tovRemoteBoats>(m_fishingHooks->GetWorld());
    m_remoteBoats->Install(*m_network);
    JoinSessionWeather(*m_network, m_fishingHooks->GetWorld());
    m_session = std::make_unique<tovGameSession>();
    const tovProfileLoad profile = LoadUserProfile(TheUserProfile());
    SetSoundVolume2(TheUserProfile().GetVolume2());
    SetSoundVolume1(TheUserProfile().GetVolume1());
    if (m_firstScreen != 0)
        SwitchScreen(m_firstScreen);
    else if (GetSkipIntro())
    {
        SwitchScreen(kMainMenuId);
        EnableSoundGroups1And7();
    }
    else
        SwitchScreen(kIntroId);
    // A damaged profile is replaced only when the player says so.
    if (profile == tovProfileLoad::kRefused)
        ShowMessage(kMessageTwoAnswers, &tovApp::ReplaceRefusedProfile, 0, kProfileQuestion);
    PreloadFishSpecies();
    m_started = true;
    return true;
}

bool tovApp::ReplaceRefusedProfile(int32_t answer, uintptr_t /*argument*/)
{
    tovUserProfile& profile = TheUserProfile();
    if (answer == 0)
    {
        profile.SetLoaded(SaveUserProfile(profile));
        return true;
    }
    profile.SetLoaded(false);
    if (qrxBaseApp* app = qrxBaseApp::GetCurrentApp())
        app->SwitchScreen(kExitSplashId);
    return true;
}

void tovApp::FailRun(const std::string& reason)
{
    // Not to the debug output: where that is standard error, the program's own line would repeat it.
    if (m_failure.empty())
        m_failure = reason;
}

void tovApp::ReportDataFailure(const std::string& text)
{
    FailRun(text);
    if (m_window)
        m_window->ShowMessageBox("Error", text, plat::MessageBoxButtons::Ok, plat::MessageBoxIcon::Error);
}

void tovApp::ReportSessionFailure(const std::string& text)
{
    if (!m_headless)
    {
        plat::DebugOutput(text.c_str());
        ShowMessage(kMessageOk, nullptr, 0, text.c_str());
        return;
    }
    // A headless session that cannot be hosted or joined ends the run as a failed start does: exit 1,
    // the text on standard error.
    FailRun(text);
    if (m_window)
        m_window->PostQuit(kFailedExit);
}

bool tovApp::OpenMainPack()
{
    m_pack = nullptr;
    // Another type leaves no folder to look in: the pack path would be whatever was built last.
    const int32_t installType = GetInstallType();
    if (installType < 0 || installType > 2)
    {
        ReportDataFailure("The setting InstType is out of range: " + std::to_string(installType) +
                          " (it must be 0, 1 or 2).");
        return false;
    }
    const std::string path = DiscDataFilePath("tov");
    std::string failedFile;
    const uint16_t code = ResourcePack::Open(path, &m_pack, false, &failedFile);
    if (code != kResourceOk)
    {
        m_pack = nullptr;
        const bool missing = code == kResourceOpenFailed;
        const bool indexMissing = missing && failedFile == path + ".waf";
        ReportDataFailure(std::string(indexMissing ? kDataMissingText
                                      : missing    ? kPackFileMissingText
                                                   : kPackDamagedText) +
                          failedFile);
        return false;
    }
    for (uint32_t group : kMainPackGroups)
        ResourcePack::LoadGroup(group, m_pack);
    return true;
}

void tovApp::RegisterScreens()
{
    for (int32_t id = tovScreenTable::kFirstId; id <= tovScreenTable::kLastId; ++id)
    {
        tovScreenTable::Constructor construct = m_screenTable->Find(id);
        if (!construct)
            continue;
        std::unique_ptr<qrxInterface> screen = construct();
        if (screen && AddInterface(screen.get(), id))
            screen.release();
    }
}

void tovApp::LoadCursors()
{
    SetCursorBitmap(4, LoadResourceImage(kResourcePicture, 105, m_pack).Get());
    m_hotSpots[4] = {1, 2};
    m_spareImage = LoadResourceImage(kResourcePicture, 106, m_pack);
    if (m_window)
        m_window->ShowSystemCursor(false);
    SetCursorBitmap(0, LoadResourceImage(kResourcePicture, 10, m_pack).Get());
    m_hotSpots[0] = {1, 2};
    SetDrawnCursor(true);
    m_images[kBusyImage] = LoadResourceImage(kResourcePicture, 44, m_pack);
}

void tovApp::LoadSounds()
{
    m_ambient = std::make_unique<qrxAmbientSound>();
    SetAmbientSoundPack(m_pack);
    m_idle.Add(m_ambient.get());
    AddSharedSoundChannels(*m_ambient);
}

void tovApp::PreloadFishSpecies()
{
    tovFishingModeHooks& hooks = GetFishingModeHooks();
    for (int32_t species : kPreloadedSpecies)
        hooks.PreloadSpecies(species);
}

// ---- screens ----

void tovApp::SwitchScreen(int32_t id)
{
    qrxInterface* next = GetInterface(id);
    // An id without a screen would leave nothing current: stay where we are.
    if (!next)
    {
        plat::DebugOutput(("no screen registered under " + std::to_string(id)).c_str());
        return;
    }
    qrxInterface* current = GetCurrentScreen();
    const int32_t oldId = GetCurrentScreenId();
    if (current)
    {
        ShowBusyPicture();
        current->Leave(oldId);
    }
    next->Prepare(oldId);
    if (current)
        current->Exit(id);
    SetCurrentScreen(id);
    next->Enter(oldId);
}

void tovApp::SetNetworkLaunch(bool on)
{
    ::SetNetworkLaunch(on);
}

void tovApp::SetWindowTitle(const char* title)
{
    if (m_window && title)
        m_window->SetTitle(title);
}

void tovApp::OnIdle(double now, double elapsed, bool skipInput)
{
    NetDrainQueue();
    TheGameClock().Update();
    // Without an open session both do nothing.
    NetPing(now);
    const bool inDay = NetIsPlayerInPhase(kDayParamsPhase, tovNetworkPlay::kLocalSlot);
    // The fishing screen serves the session itself; on the day's other screens (map, livewell,
    // lake information) the others still get this player's state and their boats still come.
    if (GetCurrentScreenId() != kFishingId && GetFishingModeHooks().IsWorldBuilt())
        NetUpdate(now, elapsed);
    FollowNetworkDay(inDay);
    qrxBaseApp::OnIdle(now, elapsed, skipInput);
}

void tovApp::FollowNetworkDay(bool inDay)
{
    if (NetTakeLeftGame())
    {
        SwitchScreen(kMainMenuId);
        return;
    }
    // The lake ends its own day; the weigh-in is where the day ends; the exit splash is leaving.
    const int32_t id = GetCurrentScreenId();
    if (!inDay || id == kFishingId || id == kWeighInId || id == kExitSplashId || id == 0 ||
        !GetFishingModeHooks().IsWorldBuilt() || !TheGameClock().IsDayOver())
        return;
    RemainingTime() = 0;
    // A question the page asked goes with it: nothing is left to answer it.
    if (IsMessageBoxRaised())
        ShowMessageScreen(false);
    SwitchScreen(kWeighInId);
}

bool tovApp::RunsWhileInactive() const
{
    // Pausing without the focus is for a game alone: the other players wait on this copy.
    return IsNetworkGame();
}

void tovApp::UpdateIdleObjects()
{
    m_idle.Update(GetTime());
    DrawTextLines();
}

bool tovApp::CreateMainWindow()
{
    const bool opened = qrxBaseApp::CreateMainWindow();
    if (opened && !m_fullScreen)
        PlaceWindow();
    // A game without its window would run on unseen: the start fails instead (CreateAll stops).
    if (!opened && m_window)
        FailRun(kNoWindowText);
    return opened;
}

bool tovApp::RunSetupDialog(tovDirectPlay& session)
{
    if (!m_window)
        return false;
    tovDirectPlayDialogPort port(session, "Local network (UDP)");
    tovSessionDialog dialog(port, TheUserProfile().GetName());
    tovSessionDialogView view(dialog);
    uint32_t last = plat::GetTimeMs();
    tovSessionDialogRunner runner(
        *m_window, m_input,
        [this, &last]
        {
            if (QrDisplay* display = GetDisplay())
                display->DisplayFrame();
            if (m_dialogFrameHook)
                m_dialogFrameHook();
            const uint32_t now = plat::GetTimeMs();
            const uint32_t elapsed = now - last;
            last = now;
            return elapsed;
        },
        &GetPacer());
    const tovSessionDialog::Result result = runner.Run(dialog, view);
    // Exit in the dialog leaves the game, quietly: it is the player's choice, not a failure.
    if (result == tovSessionDialog::Result::kExited)
        m_window->PostQuit(0);
    return result == tovSessionDialog::Result::kConnected;
}

// ---- messages and keys ----

intptr_t tovApp::WindowProc(const plat::WindowMessage& message)
{
    // The box takes every key while it is up: a field beneath it keeps what it held (the Y or N
    // that answers the box is no letter of the name).
    const bool typed = message.message == plat::kMsgChar || message.message == plat::kMsgKeyDown;
    if (typed && !IsMessageBoxUp())
        if (qrxTextEditor* editor = qrxTextEditor::GetFocusedEditor())
            editor->HandleMessage(message.message, message.wParam, message.lParam);
    if (message.message == plat::kMsgSysCommand &&
        (message.wParam & plat::kSysCommandMask) == plat::kSysCommandScreenSave)
        return 1;
    if (message.message == plat::kMsgPostedText)
        AppendTextLine(message.text);
    const intptr_t result = qrxBaseApp::WindowProc(message);
    // Back in full screen the lost surfaces are made again, the lake's terrain among them.
    if (message.message == plat::kMsgActivateApp && message.wParam != 0 && m_fullScreen)
        GetFishingModeHooks().RestoreTerrain();
    return result;
}

void tovApp::OnKeyDown(uint32_t key)
{
    // The box takes every input while it is up; a key here would switch or re-raise under it.
    if (IsMessageBoxUp())
        return;
    if (HandleChatPanelKey(key))
        return;
    qrxInterface* current = GetCurrentScreen();
    const int32_t id = GetCurrentScreenId();
    switch (key)
    {
    case plat::kVkEscape:
        if (id != kMainMenuId && current && current->AllowsEscape())
            SwitchScreen(kMainMenuId);
        break;
    case 'Q':
        if (!EditorHasFocus())
            AskToQuit();
        break;
    case 'H':
        if (EditorHasFocus() || id == kHelpPictureId)
            break;
        if (id == kFishingId && !GetFishingModeHooks().AllowsHelpPicture())
            break;
        SwitchScreen(kHelpPictureId);
        break;
    case 'S':
        // Nothing else leads to the sponsors.
        if (id == kMainMenuId && !EditorHasFocus())
            SwitchScreen(kSponsorListId);
        break;
    default:
        break;
    }
}

bool tovApp::EditorHasFocus() const
{
    return qrxTextEditor::GetFocusedEditor() != nullptr;
}

bool tovApp::IsMessageBoxUp() const
{
    return IsMessageBoxRaised();
}

void tovApp::AskToQuit()
{
    m_savedCursorIndex = GetCursorIndex();
    m_savedCursorVisible = IsCursorVisible();
    SelectCursor(0, true);
    ShowMessage(kMessageTwoAnswers, &tovApp::ConfirmQuit, 0, kQuitQuestion);
}

bool tovApp::ConfirmQuit(int32_t answer, uintptr_t /*argument*/)
{
    auto* app = dynamic_cast<tovApp*>(qrxBaseApp::GetCurrentApp());
    if (!app)
        return true;
    if (answer == 0)
        app->SwitchScreen(kExitSplashId);
    else
        app->SelectCursor(app->m_savedCursorIndex, app->m_savedCursorVisible);
    return true;
}

void tovApp::PostTextToMainWindow(const char* text)
{
    if (!m_window || !m_window->IsOpen() || !text)
        return;
    plat::WindowMessage message;
    message.message = plat::kMsgPostedText;
    message.text = text;
    m_window->PostMessage(std::move(message));
}

void tovApp::AppendTextLine(const std::string& text)
{
    if (m_textLines.size() >= kTextLineCount)
        m_textLines.pop_front();
    m_textLines.push_back({text, GetTime()});
}

std::vector<std::string> tovApp::WrapTextLine(const std::string& text, const plat::Font& font, int32_t width)
{
    std::vector<std::string> rows;
    std::string row;
    const auto fits = [&](const std::string& candidate) { return font.MeasureText(candidate).width <= width; };
    size_t at = 0;
    while (at < text.size())
    {
        const size_t space = text.find(' ', at);
        const std::string word = text.substr(at, space == std::string::npos ? std::string::npos : space - at);
        at = space == std::string::npos ? text.size() : space + 1;
        const std::string joined = row.empty() ? word : row + " " + word;
        if (fits(joined))
        {
            row = joined;
            continue;
        }
        if (!row.empty())
            rows.push_back(row);
        row.clear();
        // A word wider than the window is broken where it must be.
        for (const char c : word)
        {
            if (!row.empty() && !fits(row + c))
            {
                rows.push_back(row);
                row.clear();
            }
            row += c;
        }
    }
    if (!row.empty())
        rows.push_back(row);
    return rows;
}

void tovApp::DrawTextLines()
{
    if (!m_renderer || !m_text || !m_font || m_textLines.empty())
        return;
    // In the gap the screen names; lines wrap inside it and the newest rows win when it is full.
    plat::Rect band = tovPostedText::kDefaultBand;
    if (const auto* screen = dynamic_cast<const tovShellIFace*>(GetCurrentScreen()))
        band = screen->PostedTextBand();
    const double now = GetTime();
    std::vector<std::string> rows;
    for (const TextLine& line : m_textLines)
        if (now - line.time <= kTextLineSeconds)
            for (std::string& row : WrapTextLine(line.text, *m_font, tovPostedText::TextWidth(band)))
                rows.push_back(std::move(row));
    const size_t fit = static_cast<size_t>(tovPostedText::RowsIn(band));
    const size_t first = rows.size() > fit ? rows.size() - fit : 0;
    tovPostedText::DrawRows({rows.begin() + static_cast<std::ptrdiff_t>(first), rows.end()}, *m_font, band);
}

// ---- renderer ----

void tovApp::CreateDisplay()
{
    m_display = new QrDisplay;
    CreateRenderer(m_fullScreen != 0, m_clientWidth, m_clientHeight);
}

void tovApp::CreateRenderer(bool fullScreen, int32_t width, int32_t height)
{
    const bool sameMode = m_renderer && (m_settings.fullScreen != 0) == fullScreen;
    if (!sameMode)
    {
        if (m_renderer)
        {
            qrxScratchImage::ReleaseRenderer();
            QrImage::RemoveRenderer(m_renderer.Get(), 0);
            if (m_display)
                m_display->SetRenderer(nullptr);
            DestroyRenderer();
        }
        ApplyWindowMode(fullScreen, width, height);
        m_settings.fullScreen = fullScreen ? 1 : 0;
        m_settings.width = width;
        m_settings.height = height;
        m_settings.hardware = m_rendererPreference;
        m_renderer = CreateRendererFromSettings();
        if (!m_renderer && m_settings.hardware)
        {
            m_rendererPreference = 0;
            m_settings.hardware = 0;
            m_renderer = CreateRendererFromSettings();
        }
        if (!m_renderer)
        {
            m_rendererFailed = true;
            // At start-up or later, a game that lost its renderer has failed: the program ends with 1.
            FailRun(kRendererFailedText);
            if (m_window)
                m_window->ShowMessageBox("Error", kRendererFailedText, plat::MessageBoxButtons::Ok,
                                         plat::MessageBoxIcon::Error);
            // After start-up the game ends: cleaned up from the message loop, since the screen
            // that asked for the renderer is still running.
            if (m_started && m_window)
                m_window->PostMessage({plat::kMsgDestroy, 0, 0, {}});
            return;
        }
        qrxScratchImage::SetRenderer(m_renderer.Get());
        QrImage::AddRenderer(m_renderer.Get(), 0);
        m_renderer->SetBackgroundColor(QrPoint3(22.0f / 255.0f, 79.0f / 255.0f, 97.0f / 255.0f));
        if (m_display)
            m_display->SetRenderer(m_renderer.Get());
    }
    ReadDisplayCaps();
}

void tovApp::ApplyWindowMode(bool fullScreen, int32_t width, int32_t height)
{
    if (!m_window || !m_window->IsOpen())
        return;
    m_clientWidth = width;
    m_clientHeight = height;
    m_window->SetFullScreen(fullScreen);
    if (!fullScreen)
        PlaceWindow();
}

QrPointer<QrRender> tovApp::CreateRendererFromSettings()
{
    plat::SetDisplayConfig(&m_displayConfig);
    QrDDContext::SetRenderWindow(m_window);
    QrD3DRender::SetImageHook();
    QrRenderCreateParams params;
    params.window = m_window;
    params.flags = m_settings.hardware ? kFlagsHardware : kFlagsSoftware;
    if (m_settings.fullScreen)
    {
        params.width = static_cast<uint32_t>(m_settings.width);
        params.height = static_cast<uint32_t>(m_settings.height);
        params.mode = QrRenderCreateParams::kModeFullScreen;
    }
    QrPointer<QrD3DRender> renderer = QrD3DRender::Create(params);
    if (!renderer)
    {
        plat::DebugOutput(QrD3DRender::GetLastErrorText());
        DestroyRenderer();
        return nullptr;
    }
    return QrPointer<QrRender>(renderer);
}

void tovApp::DestroyRenderer()
{
    if (m_renderer)
    {
        QrImage::RemoveRenderer(m_renderer.Get(), 0);
        if (m_display)
            m_display->SetRenderer(nullptr);
    }
    m_renderer = nullptr;
    QrD3DRender::ReleaseCurrentRenderer();
    QrDDImage::ReleaseAllSurfaces();
    QrDDImage::SetGlobalObject(nullptr);
    QrDDImage::SetDirectDraw(nullptr);
    QrDDContext::ResetProgramState();
    QrImage::SetCreateHook(nullptr);
    plat::SetDisplayConfig(nullptr);
}

void tovApp::ReadDisplayCaps()
{
    qrxScratchImage::PrepareImage(10, 10);
    plat::Display* display = qrxScratchImage::GetDirectDraw(10, 10);
    if (!display)
        return;
    plat::DisplayCaps hardware;
    plat::DisplayCaps emulation;
    if (!plat::Succeeded(display->GetCaps(&hardware, &emulation)))
        return;
    // Only the flag: a new profile's detail keeps the shell's machine answer, since our own
    // rasterizer draws every detail level.
    m_softwareRendering = !hardware.has3D;
}

void tovApp::RecreateRenderer(bool fullScreen)
{
    CreateRenderer(fullScreen, m_clientWidth, m_clientHeight);
}

void tovApp::ShowBusyPicture()
{
    QrImage* busy = m_images[kBusyImage].Get();
    if (!m_renderer || !m_display || !busy)
        return;
    m_renderer->BlitImage(busy, nullptr, 141, 204, 0);
    m_display->DisplayFrame();
}

// ---- shut-down ----

void tovApp::Shutdown()
{
    m_shutDown = true;
    NetCloseSession();
    m_network.reset();
    // A box left raised belongs to screens that are gone now.
    if (IsMessageBoxRaised())
        ShowMessageScreen(false);
    m_session.reset();
    GetFishingModeHooks().ReleaseStatics();
    if (m_ambient)
        m_idle.Remove(m_ambient.get());
    qrxScratchImage::ReleaseRenderer();
    if (m_display)
        m_display->ReleaseAudio();
    DestroyRenderer();
    StopSoundManager();
}
