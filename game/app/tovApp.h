#pragma once
// The game's application: built once by the program entry, it owns the 25 screens, the main
// pack, the shared ambient sound, the display and the renderer, and fills in the framework's
// hooks with the game's start-up, screen switch, keys, per-frame step and renderer creation.
// It installs itself as the shell's application services; nothing below it includes it.

#include "tovAppOptions.h"
#include "tovAppServices.h"

#include "qrxBaseApp.h"
#include "qrxIdleManager.h"
#include "qrxScratchImage.h"

#include "QrDisplay.h"
#include "QrImage.h"
#include "QrPointer.h"
#include "QrRender.h"
#include "QrVertexColorProperty.h"

#include "DisplayConfig.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class tovDirectPlay;
class qrxAmbientSound;
class qrxFloatingText;
class tovAnglingRigFactory;
class tovFishingHooks;
class tovWorldSaveLink;
class tovGameSession;
class tovRemoteBoats;
class tovScreenTable;
class tovSoundFacade;

namespace plat
{
class Font;
}

class tovApp : public qrxBaseApp, public qrxScratchImage, public tovAppServices
{
public:
    static constexpr const char* kTitle = "TOV Tarnholm Demo 1.0";
    // kMainMenuId, kHelpPictureId, kSetUpId and kWeighInId come with tovAppServices, where the
    // screens see them too.
    static constexpr int32_t kSponsorListId = 16;
    static constexpr int32_t kExitSplashId = 24;
    static constexpr int32_t kIntroId = 13;
    static constexpr int32_t kFishingId = 2;
    // At most this many posted lines are kept; a new one drops the oldest.
    static constexpr size_t kTextLineCount = 9;

    struct TextLine
    {
        std::string text;
        double time = 0.0;
    };

    // The window and input are borrowed and outlive the application. The table says which
    // screen each id gets (null: the game's own table).
    tovApp(plat::WindowBackend* window, plat::InputBackend* input, const tovScreenTable* screens = nullptr);
    ~tovApp() override;
    tovApp(const tovApp&) = delete;
    tovApp& operator=(const tovApp&) = delete;

    // Harness settings, given before Init: the generator's seed (instead of the clock's) and
    // the folder the installation is read from (instead of the program's folder).
    void SetSeed(std::optional<int32_t> seed) { m_seed = seed; }
    void SetDataFolder(const std::string& folder) { m_dataFolder = folder; }
    // Switch to this screen instead of the first one (a test tool: any id).
    void SetFirstScreen(int32_t id) { m_firstScreen = id; }

    // qrxBaseApp
    void SwitchScreen(int32_t id) override;
    void SetWindowTitle(const char* title) override;
    const char* GetClassName() override { return kTitle; }
    void OnIdle(double now, double elapsed, bool skipInput) override;
    bool RunsWhileInactive() const override;
    intptr_t WindowProc(const plat::WindowMessage& message) override;
    bool CreateAll() override;
    void Shutdown() override;
    void UpdateIdleObjects() override;
    bool CreateMainWindow() override;
    void OnKeyDown(uint32_t key) override;
    void CreateRenderer(bool fullScreen, int32_t width, int32_t height) override;

    // tovAppServices
    QrRender* GetRenderer() override { return m_renderer.Get(); }
    QrDisplay* GetDisplay() override { return m_display.Get(); }
    ResourcePack* GetMainPack() override { return m_pack; }
    qrxAmbientSound* GetAmbientSound() override { return m_ambient.get(); }
    QrVertexColorProperty* GetSharedVertexColor() override { return m_vertexColor.Get(); }
    bool IsSoftwareRendering() const override { return m_softwareRendering; }
    void ShowBusyPicture() override;
    void PostTextToMainWindow(const char* text) override;
    void RecreateRenderer(bool fullScreen) override;
    void ReportSessionRefusal(const char* text) override { ReportSessionFailure(text); }

    // The quit question's answer: 0 goes to the exit splash, anything else back to the game.
    static bool ConfirmQuit(int32_t answer, uintptr_t argument);
    // The answer to replacing a profile that could not be read: 0 writes the new one, anything
    // else ends the game and leaves the file alone.
    static bool ReplaceRefusedProfile(int32_t answer, uintptr_t argument);
    void LoadSounds();
    void PreloadFishSpecies();

    const std::deque<TextLine>& GetTextLines() const { return m_textLines; }
    // A posted line in rows no wider than width, broken at spaces (inside a word only when the
    // word alone is wider).
    static std::vector<std::string> WrapTextLine(const std::string& text, const plat::Font& font, int32_t width);
    // The message box is raised over the current screen.
    bool IsMessageBoxUp() const;
    // Started to take part in a network game (the shell keeps the flag).
    static void SetNetworkLaunch(bool on);
    // Network play joins this session ("HOST:PORT") instead of asking.
    void SetJoinAddress(const std::string& address) { m_joinAddress = address; }
    void SetHostAddress(const std::string& address) { m_hostAddress = address; }
    // Nobody sees a box: a join given on the command line that fails says why on standard error
    // and ends the run with exit code 1 (in a window it says so in a box, and the game goes on).
    void SetHeadless(bool on) { m_headless = on; }
    // How long a silent network player is waited for before it counts as gone.
    void SetNetTimeoutMs(int32_t ms) { m_netTimeoutMs = ms; }
    // The set-up dialog in the game window until the player hosts, joins or leaves.
    bool RunSetupDialog(tovDirectPlay& session);
    // Runs after each frame the set-up dialog shows, as the end of a main-loop frame: the
    // headless harness counts it, plays its script's next events and steps its clock there.
    void SetDialogFrameHook(std::function<void()> hook) { m_dialogFrameHook = std::move(hook); }
    bool RendererFailed() const { return m_rendererFailed; }
    // The one place a run that cannot start (or go on) is marked failed: the reason is kept, and
    // the program then ends with kFailedExit and writes it once on standard error (and in its
    // debug log, where it keeps one). The first reason stays: later ones are its consequences.
    static constexpr int32_t kFailedExit = 1;
    void FailRun(const std::string& reason);
    // Empty while nothing failed.
    const std::string& FailureReason() const { return m_failure; }
    // The program's exit code for a run whose loop answered loopCode (0 when it never ran).
    int32_t ExitCode(int32_t loopCode) const { return m_failure.empty() ? loopCode : kFailedExit; }
    // How the display is made (tests attach a failure injector); the window is always ours.
    plat::DisplayConfig& DisplayConfiguration() { return m_displayConfig; }
    tovGameSession* GetSession() const { return m_session.get(); }

private:
    struct RendererSettings
    {
        uint8_t fullScreen = 1;
        uint8_t hardware = 1;
        int32_t width = 640;
        int32_t height = 480;
    };

    // False (after telling the player what is wrong and where it looked) when the main pack
    // cannot be opened.
    bool OpenMainPack();
    void ReportDataFailure(const std::string& text);
    void ReportSessionFailure(const std::string& text);
    void RegisterScreens();
    void LoadCursors();
    void CreateDisplay();
    QrPointer<QrRender> CreateRendererFromSettings();
    void DestroyRenderer();
    void ApplyWindowMode(bool fullScreen, int32_t width, int32_t height);
    void ReadDisplayCaps();
    void AppendTextLine(const std::string& text);
    void DrawTextLines();
    bool EditorHasFocus() const;
    void AskToQuit();
    // A network player whose day ran out on a page of the day other than the lake goes to the
    // weigh-in, as the lake sends him; one who left the game from a wait, to the main menu.
    void FollowNetworkDay(bool inDay);

    const tovScreenTable* m_screenTable;
    ResourcePack* m_pack = nullptr;
    std::unique_ptr<qrxAmbientSound> m_ambient;
    QrPointer<QrImage> m_images[3];
    qrxIdleManager m_idle;
    RendererSettings m_settings;
    std::unique_ptr<plat::Font> m_font;
    std::unique_ptr<qrxFloatingText> m_text;
    std::deque<TextLine> m_textLines;

    std::unique_ptr<tovSoundFacade> m_sound;
    QrPointer<QrDisplay> m_display;
    QrPointer<QrRender> m_renderer;
    QrPointer<QrVertexColorProperty> m_vertexColor;
    // Installed at start-up, before the session that calls them, and taken out at exit.
    std::unique_ptr<tovAnglingRigFactory> m_rigFactory;
    std::unique_ptr<tovFishingHooks> m_fishingHooks;
    std::unique_ptr<tovWorldSaveLink> m_saveLink;
    std::unique_ptr<tovGameSession> m_session;
    // The network session object, there for the whole run; a session opens from the screens.
    std::unique_ptr<tovDirectPlay> m_network;
    // The other players' boats in the fishing world.
    std::unique_ptr<tovRemoteBoats> m_remoteBoats;
    int32_t m_netTimeoutMs = tovAppOptions::kDefaultNetTimeoutMs;
    std::string m_joinAddress;
    std::string m_hostAddress;
    bool m_headless = false;
    std::function<void()> m_dialogFrameHook;
    bool m_softwareRendering = false;
    bool m_rendererFailed = false;
    std::string m_failure;
    bool m_shutDown = false;
    // Start-up has run to its end.
    bool m_started = false;
    plat::DisplayConfig m_displayConfig;

    std::optional<int32_t> m_seed;
    std::string m_dataFolder;
    int32_t m_firstScreen = 0;
    // The cursor as it was when Q was pressed, put back when the player stays.
    int32_t m_savedCursorIndex = 0;
    bool m_savedCursorVisible = false;
};
