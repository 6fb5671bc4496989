// The application's own logic on recording screens: keys, the message box's hold on them,
// posted lines, the screen switch and start-up's first screen and failure paths.

#include "tovApp.h"
#include "tovAppOptions.h"
#include "tovHeadlessRun.h"
#include "tovProgramEnvironment.h"
#include "tovScreenTable.h"
#include "tovStateDigest.h"

#include "SpawnGame.h"

#include "tovChatIFace.h"
#include "tovChatPanel.h"
#include "tovDayStartIFace.h"
#include "tovDirectPlay.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovNetFacade.h"
#include "tovNullNetworkPlay.h"
#include "tovProfileIFace.h"
#include "tovSaveGameIFace.h"
#include "tovSessionHooks.h"
#include "tovUserProfile.h"

#include "ButtonObj.h"
#include "SoundManager.h"
#include "qrxInterface.h"
#include "qrxKeyMapper.h"
#include "qrxProgramEntry.h"
#include "qrxTextEditor.h"

#include "Clock.h"
#include "DebugOutput.h"
#include "EnetSession.h"
#include "FailureInjector.h"
#include "Font.h"
#include "GoldenImage.h"
#include "HeadlessAudioOutput.h"
#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"
#include "KeyNumbers.h"
#include "LoopbackNetwork.h"
#include "QrTestFixture.h"
#include "TestFiles.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

namespace
{

std::vector<std::string>* g_log = nullptr;
bool g_allowEscape = true;

class RecordingScreen : public qrxInterface
{
public:
    explicit RecordingScreen(int32_t id) : m_id(id) {}
    void Prepare(int32_t id) override { Log("Prepare", id); }
    void Enter(int32_t id) override { Log("Enter", id); }
    void Leave(int32_t id) override { Log("Leave", id); }
    void Exit(int32_t id) override { Log("Exit", id); }
    int32_t Update(float, float) override { return 0; }
    bool AllowsEscape() override { return g_allowEscape; }

private:
    void Log(const char* what, int32_t id)
    {
        if (g_log)
            g_log->push_back(std::to_string(m_id) + "." + what + " " + std::to_string(id));
    }
    int32_t m_id;
};

template <int32_t Id> std::unique_ptr<qrxInterface> Recording()
{
    return std::make_unique<RecordingScreen>(Id);
}

std::unique_ptr<qrxInterface> MessageBox()
{
    return std::make_unique<tovMessageIFace>();
}

// Recording screens for the ids the keys lead to, the real message box, and no screen 5.
const tovScreenTable& TestTable()
{
    static const tovScreenTable table({
        {1, &Recording<1>},
        {2, &Recording<2>},
        {8, &Recording<8>},
        {10, &Recording<10>},
        {12, &Recording<12>},
        {13, &Recording<13>},
        {16, &Recording<16>},
        {18, [] { return std::unique_ptr<qrxInterface>(new tovChatIFace); }},
        {21, &MessageBox},
        {22, &Recording<22>},
        {24, &Recording<24>},
    });
    return table;
}

class tovAppTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        plat::SetDebugSink(&m_quiet);
        m_options.dataDir = testfiles::DataDir();
        m_options.userDir = m_dir.File("user");
        SetSoundOutputFactory([] { return std::unique_ptr<plat::AudioOutput>(new plat::HeadlessAudioOutput); });
        g_log = &m_log;
        g_allowEscape = true;
    }
    void TearDown() override
    {
        m_app.reset();
        m_environment.reset();
        qrxInterface::SetInputWindow(nullptr, nullptr);
        SetSoundOutputFactory(nullptr);
        g_log = nullptr;
        plat::SetDebugSink(nullptr);
        QrEngineTest::TearDown();
    }

    void WriteSettings(const std::string& lines)
    {
        std::filesystem::create_directories(m_options.userDir);
        std::ofstream(m_options.userDir + "/settings.ini") << "[software\\Harrowlake\\TOV Demo]\n" << lines;
    }

    // Starts the game with the table, on screen `first` (0: the usual first screen).
    bool Start(int32_t first, plat::FailureInjector* injector = nullptr)
    {
        m_environment = std::make_unique<tovProgramEnvironment>(m_options);
        m_app = std::make_unique<tovApp>(&m_window, &m_input, &TestTable());
        m_app->SetDataFolder(m_options.dataDir);
        m_app->SetFirstScreen(first);
        m_app->DisplayConfiguration().injector = injector;
        const bool started = m_app->Init();
        m_log.clear();
        return started;
    }

    void Key(uint32_t key) { m_app->WindowProc({plat::kMsgKeyDown, key, 0, {}}); }

    testfiles::TempDir m_dir;
    plat::RecordingDebugSink m_quiet;
    tovAppOptions m_options;
    plat::HeadlessWindowBackend m_window;
    plat::HeadlessInputBackend m_input{m_window};
    std::unique_ptr<tovProgramEnvironment> m_environment;
    std::unique_ptr<tovApp> m_app;
    std::vector<std::string> m_log;
};

TEST_F(tovAppTest, EscapeReturnsToTheMainMenuOnlyFromAScreenThatAgrees)
{
    struct Case
    {
        int32_t screen;
        bool allows;
        int32_t after;
    };
    for (const Case& c : {Case{1, true, 8}, Case{1, false, 1}, Case{8, true, 8}})
    {
        SCOPED_TRACE(c.screen);
        ASSERT_TRUE(Start(c.screen));
        g_allowEscape = c.allows;
        Key(plat::kVkEscape);
        EXPECT_EQ(m_app->GetCurrentScreenId(), c.after);
        EXPECT_EQ(m_log.empty(), c.after == c.screen);
        m_app.reset();
        m_environment.reset();
    }
}

TEST_F(tovAppTest, HOpensTheHelpPictureExceptOnItOrWhileTyping)
{
    ASSERT_TRUE(Start(8));
    Key('H');
    EXPECT_EQ(m_app->GetCurrentScreenId(), 22);
    m_log.clear();
    Key('H');
    EXPECT_EQ(m_app->GetCurrentScreenId(), 22);
    EXPECT_TRUE(m_log.empty());

    m_app->SwitchScreen(8);
    std::unique_ptr<plat::Font> font = plat::Font::Create("Verdana", 18, 400);
    qrxTextEditor editor(font.get(), 0xFFFFFF, 10, 10);
    editor.SetFocus();
    Key('H');
    EXPECT_EQ(m_app->GetCurrentScreenId(), 8);
}

// S leads to the sponsors from the main menu only.
TEST_F(tovAppTest, SOpensTheSponsorListFromTheMainMenuOnly)
{
    ASSERT_TRUE(Start(22));
    Key('S');
    EXPECT_EQ(m_app->GetCurrentScreenId(), 22);
    m_app->SwitchScreen(8);
    Key('S');
    EXPECT_EQ(m_app->GetCurrentScreenId(), 16);
}

class NoHelpHooks : public tovNullFishingModeHooks
{
public:
    bool AllowsHelpPicture() override { return false; }
};

TEST_F(tovAppTest, HOnTheFishingScreenAsksTheFishingModeFirst)
{
    NoHelpHooks hooks;
    ASSERT_TRUE(Start(2));
    // Over the application's own hooks.
    SetFishingModeHooks(&hooks);
    Key('H');
    EXPECT_EQ(m_app->GetCurrentScreenId(), 2);
    SetFishingModeHooks(nullptr);
    Key('H');
    EXPECT_EQ(m_app->GetCurrentScreenId(), 22);
}

TEST_F(tovAppTest, QWhileAnEditorHasTheFocusTypesTheLetterInsteadOfAsking)
{
    ASSERT_TRUE(Start(8));
    std::unique_ptr<plat::Font> font = plat::Font::Create("Verdana", 18, 400);
    qrxTextEditor editor(font.get(), 0xFFFFFF, 10, 10);
    editor.SetFocus();
    Key('Q');
    m_app->WindowProc({plat::kMsgChar, 'q', 0, {}});
    EXPECT_EQ(editor.GetText(), "q");
    EXPECT_FALSE(IsMessageBoxRaised());
    editor.KillFocus();
    Key('Q');
    EXPECT_TRUE(IsMessageBoxRaised());
}

TEST_F(tovAppTest, WhileTheBoxIsUpEscapeQAndHAreIgnored)
{
    ASSERT_TRUE(Start(1));
    Key('Q');
    ASSERT_TRUE(IsMessageBoxRaised());
    m_log.clear();
    for (uint32_t key : {plat::kVkEscape, uint32_t('Q'), uint32_t('H')})
        Key(key);
    EXPECT_EQ(m_app->GetCurrentScreenId(), 1);
    // Neither a switch nor the box raised a second time.
    EXPECT_TRUE(m_log.empty());
    EXPECT_TRUE(IsMessageBoxRaised());
}

// The profiles screen and the save screen as the game has them, over recording screens.
const tovScreenTable& FieldTable()
{
    static const tovScreenTable table({
        {5, [] { return std::unique_ptr<qrxInterface>(new tovProfileIFace); }},
        {8, &Recording<8>},
        {15, [] { return std::unique_ptr<qrxInterface>(new tovSaveGameIFace); }},
        {21, &MessageBox},
    });
    return table;
}

// A name typed into the profiles screen's new profile or the save screen, then the question
// its file's existence raises: letters, Backspace, Return and the N that answers it, typed
// while the box is up, leave the field as it was, before and after the answer (no).
TEST_F(tovAppTest, KeysTypedUnderABoxLeaveTheFieldAsItWas)
{
    const auto type = [this](std::initializer_list<std::pair<uint8_t, const char*>> keys)
    {
        for (const auto& [key, text] : keys)
        {
            m_window.InjectKeyDown(key);
            m_window.InjectText(text);
        }
        plat::WindowMessage message;
        while (m_window.PollMessage(message))
            m_app->WindowProc(message);
    };
    const struct
    {
        int32_t screen;
        const char* name;
        // Where the name's file is looked for, and the file.
        std::string (*path)(const char*);
        const char* file;
        const char* question;
    } cases[] = {
        {5, "Robin", &UsersFilePath, "Robin.wuo", "Replace player profile Robin?"},
        {15, "Mid", &SaveFilePath, "Mid.wsv", "Overwrite game Mid?"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.screen);
        m_environment = std::make_unique<tovProgramEnvironment>(m_options);
        m_app = std::make_unique<tovApp>(&m_window, &m_input, &FieldTable());
        m_app->SetDataFolder(m_options.dataDir);
        m_app->SetFirstScreen(c.screen);
        ASSERT_TRUE(m_app->Init());
        const std::string path = c.path(c.file);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << "taken";
        auto* profiles = dynamic_cast<tovProfileIFace*>(m_app->GetCurrentScreen());
        qrxTextEditor* field = nullptr;
        if (profiles)
        {
            profiles->GetButton(tovProfileIFace::kNew)->Click();
            field = profiles->GetField(tovProfileIFace::kNameField);
            field->SetText("");
            field->SetFocus();
        }
        else if (auto* save = dynamic_cast<tovSaveGameIFace*>(m_app->GetCurrentScreen()))
            field = save->GetNameField();
        ASSERT_NE(field, nullptr);
        ASSERT_EQ(qrxTextEditor::GetFocusedEditor(), field);
        m_window.InjectText(c.name);
        type({});
        ASSERT_EQ(field->GetText(), c.name);
        // Create on the profiles page; Return typed into the save screen's field.
        if (profiles)
            profiles->GetButton(tovProfileIFace::kCreate)->Click();
        else
            type({{plat::kKeyReturn, ""}});
        ASSERT_TRUE(m_app->IsMessageBoxUp());
        auto* box = dynamic_cast<tovMessageIFace*>(m_app->GetInterface(kMessageScreenId));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetText(), c.question);
        // Each alone would change the name.
        type({{plat::kKeyBackspace, ""}, {plat::kKeyX, "x"}, {plat::kKeyReturn, ""}, {plat::kKeyN, "n"}});
        EXPECT_EQ(field->GetText(), c.name);
        EXPECT_TRUE(m_app->IsMessageBoxUp());
        box->Answer(1);
        UpdateMessageScreen(0.0f, 0.0f);
        EXPECT_FALSE(m_app->IsMessageBoxUp());
        EXPECT_EQ(field->GetText(), c.name);
        m_app.reset();
        m_environment.reset();
    }
}

// A game ended under a raised box (its screens go before the shut-down) leaves the program's
// input on, so a game started after it in the same process is not deaf.
TEST_F(tovAppTest, AGameEndedUnderTheBoxLeavesTheInputOn)
{
    ASSERT_TRUE(Start(1));
    Key('Q');
    UpdateMessageScreen(0.0f, 0.0f);
    ASSERT_FALSE(ButtonObj::GetButtonsActive());
    m_app.reset();
    EXPECT_FALSE(IsMessageBoxRaised());
    EXPECT_TRUE(ButtonObj::GetButtonsActive());
    EXPECT_TRUE(qrxKeyMapper::GetKeysActive());
}

TEST_F(tovAppTest, TheQuitAnswerLeadsToTheExitSplashOrBack)
{
    ASSERT_TRUE(Start(8));
    tovApp::ConfirmQuit(1, 0);
    EXPECT_EQ(m_app->GetCurrentScreenId(), 8);
    tovApp::ConfirmQuit(0, 0);
    EXPECT_EQ(m_app->GetCurrentScreenId(), 24);
}

// A player who quits in a network game leaves its session at the YES: the others hear it go while
// its closing picture still stands, not only once its program ends 20 s later.
TEST_F(tovAppTest, AQuitInANetworkGameLeavesTheSessionAtTheYes)
{
    // The game's own screens: the closing picture is the program's.
    m_environment = std::make_unique<tovProgramEnvironment>(m_options);
    m_app = std::make_unique<tovApp>(&m_window, &m_input, nullptr);
    m_app->SetDataFolder(m_options.dataDir);
    m_app->SetFirstScreen(8);
    ASSERT_TRUE(m_app->Init());
    plat::LoopbackNetwork net;
    tovDirectPlay host(net.CreateSession());
    tovDirectPlay quitter(net.CreateSession());
    std::vector<std::string> heard;
    host.SetLocalName("Robin");
    host.SetMessageSink([&heard](const std::string& line) { heard.push_back(line); });
    quitter.SetLocalName("Casey");
    struct Restore
    {
        ~Restore() { SetNetworkPlay(nullptr); }
    } restore;
    SetNetworkPlay(&quitter);
    // A minute bounds a stuck session; each step takes milliseconds.
    const auto waitUntil = [&](const std::function<bool()>& done)
    {
        for (int i = 0; i < 12000 && !done(); ++i)
        {
            host.DrainMainThreadQueue();
            quitter.DrainMainThreadQueue();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    };
    ASSERT_TRUE(host.HostSession("Lake day", "") && quitter.JoinSession("Lake day"));
    ASSERT_TRUE(waitUntil([&] { return host.IsSlotActive(1) && quitter.IsSlotActive(0); }));

    tovApp::ConfirmQuit(0, 0);
    ASSERT_TRUE(m_app->RunOnce());
    // No frame runs from here on: the closing picture cannot have ended, nor the program.
    ASSERT_EQ(m_app->GetCurrentScreenId(), 24);
    EXPECT_FALSE(IsNetworkGame());
    EXPECT_TRUE(waitUntil([&] { return std::count(heard.begin(), heard.end(), "Casey has left the game") == 1; }));
    EXPECT_FALSE(host.IsSlotActive(1));
    EXPECT_EQ(m_app->GetCurrentScreenId(), 24);
    m_app.reset();
}

TEST_F(tovAppTest, ATenthPostedLineDropsTheOldest)
{
    ASSERT_TRUE(Start(8));
    for (int i = 1; i <= 10; ++i)
        m_app->PostTextToMainWindow(("line " + std::to_string(i)).c_str());
    plat::WindowMessage message;
    while (m_window.PollMessage(message))
        m_app->WindowProc(message);
    ASSERT_EQ(m_app->GetTextLines().size(), tovApp::kTextLineCount);
    EXPECT_EQ(m_app->GetTextLines().front().text, "line 2");
    EXPECT_EQ(m_app->GetTextLines().back().text, "line 10");
}

// Posted lines stand on a plate of their own in a gap of the screen: under the profiles' list,
// whose rows stay readable (the band holds a row, the newest); on a tournament's set-up, under
// the lake's map and above Accept, over neither lake picture nor a control.
TEST_F(tovAppTest, PostedLinesStandOnAPlateOverTheScreen)
{
    struct Row
    {
        int32_t screen;
        std::vector<const char*> lines;
        const char* golden;
    };
    const Row rows[] = {
        {5,
         {"Casey has joined the game", "Robin: shall we try the point by the dam first this morning?"},
         "app_posted_lines.png"},
        {4, {"Angler 2 has changed name to Maximilian Wolfgang Moore."}, "app_posted_lines_setup.png"},
    };
    // The list shows the last user; without one named, the program-wide profile would keep an
    // earlier game's player.
    WriteSettings("LastUser=Angler\n");
    plat::ManualClock clock{1'000'000'000ull};
    plat::SetCurrentClock(&clock);
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.golden);
        m_environment = std::make_unique<tovProgramEnvironment>(m_options);
        m_app = std::make_unique<tovApp>(&m_window, &m_input, nullptr);
        m_app->SetDataFolder(m_options.dataDir);
        m_app->SetFirstScreen(5);
        ASSERT_TRUE(m_app->Init());
        if (row.screen != 5)
        {
            TheGameSession()->SetMode(tovGameSession::kTournament);
            // The screens were made with a lake picked at random.
            TheLakeCatalogue().SelectLakeByIndex(TheGameSession(), 0);
            m_app->SwitchScreen(row.screen);
        }
        for (const char* line : row.lines)
            m_app->PostTextToMainWindow(line);
        for (int frame = 0; frame < 3; ++frame)
        {
            clock.AdvanceMs(33);
            ASSERT_TRUE(m_app->RunOnce());
        }
        EXPECT_EQ(m_app->GetCurrentScreenId(), row.screen);
        EXPECT_TRUE(golden::MatchesGoldenImage(
            row.golden, golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight())));
        m_app.reset();
        m_environment.reset();
    }
    plat::SetCurrentClock(nullptr);
}

// A host's start waiting for four players of long names: its waiting line fits the window on one
// row under the waiting banner, which stays readable, and the posted lines stand under it.
TEST_F(tovAppTest, TheHostsWaitingLineStandsUnderTheBanner)
{
    class Session : public tovNullNetworkPlay
    {
    public:
        bool IsSessionOpen() override { return true; }
        bool IsHost() override { return true; }
        bool IsEveryoneAtDayStart() override { return false; }
        bool SyncPhase(int32_t, bool) override { return true; }
        std::vector<int32_t> SlotsNotAtDayStart() override { return {1, 2, 3, 4}; }
        bool GetPlayerName(int32_t slot, char* buffer, size_t n) override
        {
            const char* names[] = {"Angler", "Maximilian Wolfgang Moore", "Wilhelmina Wadsworth Mayo",
                                   "Bartholomew Quincy Harlow", "Genevieve Montgomery Holt"};
            std::snprintf(buffer, n, "%s", names[slot]);
            return true;
        }
    } net;
    struct Restore
    {
        ~Restore()
        {
            SetNetworkLaunch(false);
            SetNetworkPlay(nullptr);
            plat::SetCurrentClock(nullptr);
        }
    } restore;
    plat::ManualClock clock{1'000'000'000ull};
    plat::SetCurrentClock(&clock);
    m_environment = std::make_unique<tovProgramEnvironment>(m_options);
    m_app = std::make_unique<tovApp>(&m_window, &m_input, nullptr);
    m_app->SetDataFolder(m_options.dataDir);
    m_app->SetFirstScreen(8);
    ASSERT_TRUE(m_app->Init());
    TheGameSession()->SetMode(tovGameSession::kTournament);
    SetNetworkPlay(&net);
    SetNetworkLaunch(true);
    m_app->SwitchScreen(19);
    clock.AdvanceMs(33);
    ASSERT_TRUE(m_app->RunOnce());
    m_app->GetCurrentScreen()->GetButton(2)->Click();
    m_app->PostTextToMainWindow("Casey has joined the game");
    // Until the posted line has come through the window's queue, then a frame that draws it.
    for (int frame = 0; frame < 10 && m_app->GetTextLines().empty(); ++frame)
    {
        clock.AdvanceMs(33);
        ASSERT_TRUE(m_app->RunOnce());
    }
    clock.AdvanceMs(33);
    ASSERT_TRUE(m_app->RunOnce());
    ASSERT_EQ(m_app->GetTextLines().size(), 1u) << "the waiting line is the start's own, never posted";
    const auto* start = dynamic_cast<const tovDayStartIFace*>(m_app->GetCurrentScreen());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->GetShownWaitingLine(),
              "Waiting for: Maximilian Wo..., Wilhelmina W..., Bartholomew..., Genevieve Mo...");
    EXPECT_TRUE(golden::MatchesGoldenImage(
        "app_day_start_waiting_line.png",
        golden::FromRgb565(m_window.Frame().data(), m_window.FrameWidth(), m_window.FrameHeight())));
    m_app.reset();
}

// Posted lines wrap inside the window, at spaces where they can.
TEST_F(tovAppTest, PostedLinesWrapInsideTheWindow)
{
    std::unique_ptr<plat::Font> font = plat::Font::Create("Verdana", 18, 400);
    const int32_t width = 200;
    const struct
    {
        std::string text;
        size_t rows;
    } lines[] = {
        {"Casey: short", 1},
        {"Casey has joined the game and says hello to everyone on the lake today", 0},
        {std::string(120, 'w'), 0},
    };
    for (const auto& line : lines)
    {
        const std::vector<std::string> rows = tovApp::WrapTextLine(line.text, *font, width);
        if (line.rows != 0)
        {
            EXPECT_EQ(rows.size(), line.rows) << line.text;
        }
        EXPECT_GT(rows.size(), 0u);
        std::string joined;
        for (const std::string& row : rows)
        {
            EXPECT_LE(font->MeasureText(row).width, width) << row;
            joined += row;
        }
        // Nothing is lost but the spaces the rows were broken at.
        std::string compact = line.text;
        std::erase(compact, ' ');
        std::erase(joined, ' ');
        EXPECT_EQ(joined, compact);
    }
    const auto words = tovApp::WrapTextLine(lines[1].text, *font, width);
    for (const std::string& row : words)
        EXPECT_TRUE(row.front() != ' ' && row.back() != ' ') << "broken at a space: '" << row << "'";
}

// In a network game T raises the chat panel and is not typed into it; Return as the window
// posts it (its key-down, then character 13) sends the line.
TEST_F(tovAppTest, TRaisesTheChatPanelAndReturnSendsTheLine)
{
    class Session : public tovNullNetworkPlay
    {
    public:
        bool IsSessionOpen() override { return true; }
        void SendChatText(const char* text, bool, const tovAnglerRigBase*) override { sent.emplace_back(text); }
        std::vector<std::string> sent;
    } net;
    ASSERT_TRUE(Start(8));
    SetNetworkPlay(&net);
    m_window.InjectKeyDown(plat::kKeyT);
    m_window.InjectText("t");
    m_window.InjectText("Hi");
    m_window.InjectKeyDown(plat::kKeyKeypadEnter);
    plat::WindowMessage message;
    while (m_window.PollMessage(message))
        m_app->WindowProc(message);
    EXPECT_EQ(net.sent, std::vector<std::string>{"Hi"});
    EXPECT_TRUE(tovChatIFace::GetInstance()->IsCloseRequested());
    LowerChatPanel();
    SetNetworkPlay(nullptr);
}

// While the day's world stands, a network session is served from every screen (the map, the
// livewell...), not from the fishing screen alone: otherwise a player who looks at the map
// never reaches the others' lakes. A network game also runs on without the focus.
TEST_F(tovAppTest, TheDaysOtherScreensServeTheSession)
{
    class Session : public tovNullNetworkPlay
    {
    public:
        bool IsSessionOpen() override { return true; }
        void ApplyPlayerStates() override { ++applied; }
        int applied = 0;
    } net;
    class WorldHooks : public tovNullFishingModeHooks
    {
    public:
        bool IsWorldBuilt() override { return built; }
        bool built = false;
    } hooks;
    ASSERT_TRUE(Start(8));
    tovFishingModeHooks& game = GetFishingModeHooks();
    SetFishingModeHooks(&hooks);
    EXPECT_FALSE(m_app->RunsWhileInactive()) << "a game alone pauses without the focus";
    SetNetworkPlay(&net);
    EXPECT_TRUE(m_app->RunsWhileInactive());
    for (const bool built : {false, true})
    {
        hooks.built = built;
        net.applied = 0;
        m_app->OnIdle(m_app->GetTime(), 0.01, true);
        EXPECT_EQ(net.applied, built ? 1 : 0) << built;
    }
    SetNetworkPlay(nullptr);
    SetFishingModeHooks(&game);
}

// A player's name or a line that holds a line break stays on its own digest line: it cannot
// make a line of its own that a script would wait for.
TEST_F(tovAppTest, TheDigestWritesEachNameAndLineOnOneLine)
{
    class Session : public tovNullNetworkPlay
    {
    public:
        bool IsSessionOpen() override { return true; }
        bool GetPlayerName(int32_t slot, char* buffer, size_t n) override
        {
            std::snprintf(buffer, n, "%s", slot == 0 ? "Rob\nnet.players 9" : "");
            return slot == 0;
        }
    } net;
    ASSERT_TRUE(Start(8));
    SetNetworkPlay(&net);
    m_app->PostTextToMainWindow("Rob: hi\r\nnet.players 9");
    plat::WindowMessage message;
    while (m_window.PollMessage(message))
        m_app->WindowProc(message);
    const std::string digest = MakeStateDigest(*m_app);
    SetNetworkPlay(nullptr);
    EXPECT_TRUE(DigestHasLine(digest, "net.players 1"));
    EXPECT_FALSE(DigestHasLine(digest, "net.players 9"));
    EXPECT_TRUE(DigestHasLine(digest, "net.player 0 Rob net.players 9"));
    EXPECT_TRUE(DigestHasLine(digest, "net.line Rob: hi  net.players 9"));
}

// A network player whose day runs out on another page of the day (the map, the main menu) goes to
// the weigh-in; the lake and the weigh-in end the day their own way, the exit splash goes on, and
// after the results (no longer in the day's phases) nothing moves. Leaving the game from a wait
// leads to the main menu.
TEST_F(tovAppTest, TheNetworkDaysEndReachesEveryPageOfTheDay)
{
    class Session : public tovNullNetworkPlay
    {
    public:
        bool IsSessionOpen() override { return true; }
        bool IsPlayerInPhase(int32_t phase, int32_t) override { return phase == 4 && inDay; }
        bool inDay = true;
    } net;
    class WorldHooks : public tovNullFishingModeHooks
    {
    public:
        bool IsWorldBuilt() override { return true; }
    } hooks;
    const struct
    {
        const char* what;
        int32_t screen;
        bool inDay;
        bool dayOver;
        int32_t then;
    } rows[] = {
        {"the map at the day's end", 12, true, true, 10},
        {"the main menu at the day's end", 8, true, true, 10},
        {"the map before the day's end", 12, true, false, 12},
        {"the map after the results", 12, false, true, 12},
        {"the lake", 2, true, true, 2},
        {"the weigh-in", 10, true, true, 10},
        {"the exit splash", 24, true, true, 24},
    };
    ASSERT_TRUE(Start(8));
    tovFishingModeHooks& game = GetFishingModeHooks();
    SetFishingModeHooks(&hooks);
    SetNetworkPlay(&net);
    TheGameClock().Start(10.0, 8.0);
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_app->SwitchScreen(row.screen);
        net.inDay = row.inDay;
        TheGameClock().SetGameTime(row.dayOver ? TheGameClock().GetDayLength() : 0.0);
        m_log.clear();
        m_app->OnIdle(m_app->GetTime(), 0.01, true);
        EXPECT_EQ(m_app->GetCurrentScreenId(), row.then);
        EXPECT_EQ(m_log.empty(), row.then == row.screen) << "a switch only where the day's end leads";
    }
    m_app->SwitchScreen(12);
    TheGameClock().SetGameTime(0.0);
    NetMarkLeftGame();
    m_app->OnIdle(m_app->GetTime(), 0.01, true);
    EXPECT_EQ(m_app->GetCurrentScreenId(), 8);
    SetNetworkPlay(nullptr);
    SetFishingModeHooks(&game);
}

TEST_F(tovAppTest, TheScreenSaverIsRefused)
{
    ASSERT_TRUE(Start(8));
    EXPECT_EQ(m_app->WindowProc({plat::kMsgSysCommand, plat::kSysCommandScreenSave | 0x2, 0, {}}), 1);
}

TEST_F(tovAppTest, SwitchingRunsLeavePrepareExitEnterAndIgnoresUnknownIds)
{
    ASSERT_TRUE(Start(8));
    m_app->SwitchScreen(8);
    EXPECT_EQ(m_log, (std::vector<std::string>{"8.Leave 8", "8.Prepare 8", "8.Exit 8", "8.Enter 8"}));
    m_log.clear();
    m_app->SwitchScreen(1);
    EXPECT_EQ(m_log, (std::vector<std::string>{"8.Leave 8", "1.Prepare 8", "8.Exit 1", "1.Enter 8"}));
    m_log.clear();
    m_app->SwitchScreen(5);
    m_app->SwitchScreen(99);
    EXPECT_TRUE(m_log.empty());
    EXPECT_EQ(m_app->GetCurrentScreenId(), 1);
}

TEST_F(tovAppTest, TheFirstScreenIsTheIntroUnlessSkipIntroIsSet)
{
    for (const char* skip : {"0", "1"})
    {
        SCOPED_TRACE(skip);
        WriteSettings(std::string("SkipIntro=") + skip + "\n");
        ASSERT_TRUE(Start(0));
        EXPECT_EQ(m_app->GetCurrentScreenId(), skip[0] == '1' ? 8 : 13);
        m_app.reset();
        m_environment.reset();
    }
}

TEST_F(tovAppTest, ARendererRefusedWithHardwarePreferredIsMadeOnceMoreWithout)
{
    plat::FailureInjector injector;
    injector.FailCall(plat::Operation::CreateDisplay, 1, plat::Result::Failed);
    ASSERT_TRUE(Start(8, &injector));
    EXPECT_FALSE(m_app->RendererFailed());
    EXPECT_NE(m_app->GetRenderer(), nullptr);
    EXPECT_EQ(m_app->m_rendererPreference, 0);
    EXPECT_TRUE(m_window.MessageBoxes().empty());
}

TEST_F(tovAppTest, ChangingTheScreenModeRemakesTheRendererAndPicturesDrawOnIt)
{
    ASSERT_TRUE(Start(8));
    QrRender* windowed = m_app->GetRenderer();
    m_app->RecreateRenderer(false);
    EXPECT_EQ(m_app->GetRenderer(), windowed);
    for (bool fullScreen : {true, false})
    {
        m_app->RecreateRenderer(fullScreen);
        ASSERT_NE(m_app->GetRenderer(), nullptr);
        EXPECT_EQ(m_window.IsFullScreen(), fullScreen);
        EXPECT_EQ(qrxScratchImage::GetRenderer(), m_app->GetRenderer());
        m_app->ShowBusyPicture();
    }
    EXPECT_TRUE(m_window.MessageBoxes().empty());
}

TEST_F(tovAppTest, ARendererThatCannotBeMadeEndsStartUpWithItsMessage)
{
    plat::FailureInjector injector;
    injector.FailAlways(plat::Operation::CreateDevice, plat::Result::Failed);
    EXPECT_FALSE(Start(0, &injector));
    EXPECT_TRUE(m_app->RendererFailed());
    ASSERT_EQ(m_window.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_window.MessageBoxes()[0].title, "Error");
    EXPECT_EQ(m_window.MessageBoxes()[0].text,
              "Renderer Creation Failed!\nMake sure your desktop is set to 16-bit color depth.");
    // No screens were started and nothing can play any more.
    EXPECT_EQ(m_app->GetCurrentScreen(), nullptr);
    EXPECT_EQ(m_app->GetInterface(8), nullptr);
    EXPECT_EQ(GetSoundOutput(), nullptr);
    EXPECT_EQ(m_app->GetSession(), nullptr);
}

// A data folder without the main pack (a start without --data, say) stops with the path it
// looked at instead of running every screen black.
TEST_F(tovAppTest, AFolderWithoutTheMainPackEndsStartUpSayingWhereItLooked)
{
    m_options.dataDir = m_dir.File("no-data");
    std::filesystem::create_directories(m_options.dataDir);
    EXPECT_FALSE(Start(0));
    ASSERT_EQ(m_window.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_window.MessageBoxes()[0].title, "Error");
    EXPECT_NE(m_window.MessageBoxes()[0].text.find(m_options.dataDir), std::string::npos);
    EXPECT_FALSE(m_app->FailureReason().empty());
    EXPECT_EQ(m_app->GetCurrentScreen(), nullptr);
    EXPECT_EQ(GetSoundOutput(), nullptr);
}

// Data that cannot be used, or a data disc that is not there, ends start-up with a box that
// names the file or setting at fault, and a headless run of it fails with exit code 1 and the
// same reason.
TEST_F(tovAppTest, AStartThatCannotUseItsDataSaysWhyAndFailsAHeadlessRun)
{
    const std::string index = testfiles::DataDir() + "/Data/tov.waf";
    const uintmax_t dataSize = std::filesystem::file_size(testfiles::DataDir() + "/Data/tov.wdt");
    // A data tree holding only the main pack, its data file of the given size (none when
    // negative); the index checks sizes only, so the bytes stay unwritten.
    const auto packOnly = [&](const char* name, intmax_t wdtSize)
    {
        const std::string root = m_dir.File(name);
        std::filesystem::create_directories(root + "/Data");
        std::filesystem::copy_file(index, root + "/Data/tov.waf");
        if (wdtSize >= 0)
        {
            std::ofstream(root + "/Data/tov.wdt").close();
            std::filesystem::resize_file(root + "/Data/tov.wdt", static_cast<uintmax_t>(wdtSize));
        }
        return root;
    };
    const std::string damaged = m_dir.File("damaged");
    std::filesystem::create_directories(damaged + "/Data");
    std::ofstream(damaged + "/Data/tov.waf") << "not a pack index at all";
    std::ofstream(damaged + "/Data/tov.wdt") << "x";
    const std::string noData = packOnly("no-wdt", -1);
    const std::string emptyData = packOnly("empty-wdt", 0);
    const std::string halfData = packOnly("half-wdt", static_cast<intmax_t>(dataSize / 2));
    const struct
    {
        const char* what;
        std::string dataDir;
        std::string settings;
        const char* boxTitle;
        std::string said;
    } cases[] = {
        {"damaged index", damaged, "", "Error", "main pack is damaged:\n" + damaged + "/Data/tov.waf"},
        {"no data file", noData, "", "Error", "main pack is missing:\n" + noData + "/Data/tov.wdt"},
        {"empty data file", emptyData, "", "Error", "main pack is damaged:\n" + emptyData + "/Data/tov.wdt"},
        {"half a data file", halfData, "", "Error", "main pack is damaged:\n" + halfData + "/Data/tov.wdt"},
        {"install type 3", testfiles::DataDir(), "InstType=3\n", "Error", "InstType is out of range: 3"},
        {"install type -1", testfiles::DataDir(), "InstType=-1\n", "Error", "InstType is out of range: -1"},
        {"no data disc", testfiles::DataDir(), "RunCD=1\n", "TOV Tarnholm Demo", "data disc was not found"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const size_t boxes = m_window.MessageBoxes().size();
        m_options.dataDir = c.dataDir;
        WriteSettings(c.settings);
        EXPECT_FALSE(Start(0));
        EXPECT_NE(m_app->FailureReason().find(c.said), std::string::npos) << m_app->FailureReason();
        ASSERT_EQ(m_window.MessageBoxes().size(), boxes + 1);
        EXPECT_EQ(m_window.MessageBoxes().back().title, c.boxTitle);
        m_app.reset();
        std::string error;
        EXPECT_EQ(tovHeadlessRun(m_options).Run(error), 1);
        EXPECT_NE(error.find(c.said), std::string::npos) << error;
        m_environment.reset();
        // The headless run takes the sound output away again.
        SetSoundOutputFactory([] { return std::unique_ptr<plat::AudioOutput>(new plat::HeadlessAudioOutput); });
    }
}

// A renderer lost after start-up ends the game as a failure: the message, then the screens go
// from the message loop (the screen that asked may still be running) and the loop ends.
TEST_F(tovAppTest, ARendererLostAfterStartUpEndsTheGame)
{
    plat::FailureInjector injector;
    ASSERT_TRUE(Start(8, &injector));
    injector.FailAlways(plat::Operation::CreateDevice, plat::Result::Failed);
    m_app->RecreateRenderer(true);
    EXPECT_EQ(m_app->GetRenderer(), nullptr);
    ASSERT_EQ(m_window.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_window.MessageBoxes()[0].title, "Error");
    EXPECT_NE(m_app->GetCurrentScreen(), nullptr);
    m_app->BeginRun();
    int passes = 0;
    while (m_app->RunOnce() && passes < 10)
        ++passes;
    EXPECT_LT(passes, 10);
    EXPECT_EQ(m_app->GetCurrentScreen(), nullptr);
    EXPECT_EQ(m_app->GetInterface(8), nullptr);
    // The loop's quit says 0; the program ends with 1.
    EXPECT_EQ(m_app->ExitCode(m_app->GetExitCode()), 1);
    // What went wrong first is what the program says, not what followed from it.
    m_app->FailRun("a later failure");
    EXPECT_EQ(m_app->FailureReason().rfind("Renderer Creation Failed!", 0), 0u) << m_app->FailureReason();
    qrxBaseApp::SetQuitFlag(false);
}

// Without a sound device the player is asked; only an explicit No ends the start-up. A box that
// cannot be shown plays on in silence, as Yes does.
// A join given on the command line that fails says why in the game's box in the window, and the
// game goes on (headless, the run ends instead: NetScenarioTest).
TEST_F(tovAppTest, AFailedJoinSaysWhyInABox)
{
    plat::EnetSession full;
    ASSERT_TRUE(full.Host("Lake day", "127.0.0.1:0", 1, "Robin"));
    m_environment = std::make_unique<tovProgramEnvironment>(m_options);
    m_app = std::make_unique<tovApp>(&m_window, &m_input, &TestTable());
    m_app->SetDataFolder(m_options.dataDir);
    m_app->SetFirstScreen(8);
    m_app->SetJoinAddress(full.GetAddress());
    ASSERT_TRUE(m_app->Init());
    EXPECT_FALSE(NetOpenSession(&m_window));
    const auto* box = dynamic_cast<const tovMessageIFace*>(m_app->GetInterface(kMessageScreenId));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(m_app->IsMessageBoxUp());
    EXPECT_EQ(box->GetText(), "The session is full.");
    EXPECT_TRUE(m_app->RunOnce());
}

// Where no box can be shown the question goes to standard error, so the player still learns why
// the game is silent; an answered box says nothing there.
TEST_F(tovAppTest, TheSoundQuestionEndsTheStartUpOnlyOnNo)
{
    const struct
    {
        plat::MessageBoxAnswer answer;
        bool started;
        bool printed;
    } cases[] = {
        {plat::MessageBoxAnswer::No, false, false},
        {plat::MessageBoxAnswer::Yes, true, false},
        {plat::MessageBoxAnswer::NotShown, true, true},
    };
    SetSoundOutputFactory([] { return std::unique_ptr<plat::AudioOutput>(); });
    for (const auto& c : cases)
    {
        plat::HeadlessWindowBackend window;
        plat::HeadlessInputBackend input{window};
        window.QueueMessageBoxAnswer(c.answer);
        m_environment = std::make_unique<tovProgramEnvironment>(m_options);
        m_app = std::make_unique<tovApp>(&window, &input, &TestTable());
        m_app->SetDataFolder(m_options.dataDir);
        testing::internal::CaptureStderr();
        EXPECT_EQ(m_app->Init(), c.started) << int(c.answer);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("Error: Sound Initialization failed, do you wish to continue?\n") != std::string::npos,
                  c.printed)
            << int(c.answer) << ": " << said;
        ASSERT_EQ(window.MessageBoxes().size(), 1u);
        EXPECT_EQ(window.MessageBoxes()[0].text, "Sound Initialization failed, do you wish to continue?");
        EXPECT_EQ(m_app->GetCurrentScreen() != nullptr, c.started);
        m_app.reset();
        m_environment.reset();
    }
}

// What the program entry catches ends in a box titled "Error"; where that box cannot be shown
// the text goes to standard error instead, and only there.
TEST_F(tovAppTest, AThrownFailureIsSaidOnStandardErrorOnlyWhereNoBoxCanBeShown)
{
    constexpr const char* kThrown = "qrxKeyMapper::Connect() -- DirectInput::CreateDevice() failed.";
    for (const auto& [answer, printed] :
         {std::pair{plat::MessageBoxAnswer::Ok, false}, std::pair{plat::MessageBoxAnswer::NotShown, true}})
    {
        SCOPED_TRACE(int(answer));
        plat::HeadlessWindowBackend window;
        window.QueueMessageBoxAnswer(answer);
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunGuarded(&window, []() -> int { throw kThrown; }), tovApp::kFailedExit);
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_EQ(window.MessageBoxes().size(), 1u);
        EXPECT_EQ(window.MessageBoxes()[0].title, "Error");
        EXPECT_EQ(window.MessageBoxes()[0].text, kThrown);
        EXPECT_EQ(said, printed ? std::string("Error: ") + kThrown + "\n" : "");
    }
}

class TerrainHooks : public tovNullFishingModeHooks
{
public:
    void RestoreTerrain() override { ++restored; }
    int restored = 0;
};

// Regaining the focus in full screen rebuilds the lake's terrain; losing it, or a window, not.
TEST_F(tovAppTest, ActivationInFullScreenRestoresTheTerrain)
{
    ASSERT_TRUE(Start(8));
    tovFishingModeHooks& game = GetFishingModeHooks();
    TerrainHooks hooks;
    SetFishingModeHooks(&hooks);
    const struct
    {
        uint8_t fullScreen;
        uintptr_t active;
        int restored;
    } cases[] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}};
    for (const auto& c : cases)
    {
        hooks.restored = 0;
        m_app->m_fullScreen = c.fullScreen;
        m_app->WindowProc({plat::kMsgActivateApp, c.active, 0, {}});
        EXPECT_EQ(hooks.restored, c.restored) << int(c.fullScreen) << " " << c.active;
    }
    SetFishingModeHooks(&game);
}

// A network session renames the profile after its player; the profiles screen, prepared under
// the set-up dialog, must list the profiles again with that one chosen.
TEST_F(tovAppTest, OpeningANetworkSessionRebuildsTheProfilesList)
{
    ASSERT_TRUE(Start(8));
    const std::string before = TheUserProfile().GetName();
    auto* network = dynamic_cast<tovDirectPlay*>(&TheNetworkPlay());
    ASSERT_NE(network, nullptr);
    tovProfileIFace profiles;
    profiles.Prepare(8);
    ASSERT_TRUE(profiles.GetNames().empty());
    network->SetSetupDialog(
        [](tovDirectPlay& session)
        {
            session.SetLocalName("Robin");
            return session.HostSession("Lake day", "127.0.0.1:0");
        });
    ASSERT_TRUE(network->Open(nullptr));
    network->Close();
    const std::vector<std::string> names = profiles.GetNames();
    TheUserProfile().SetName(before.c_str(), false);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[static_cast<size_t>(profiles.GetSelected())], "Robin");
}

// The set-up dialog rests on the application's pacer, as the main loop does: on a clock that
// stands still, its one frame (the window closed under it) rests a whole share.
TEST_F(tovAppTest, TheSetUpDialogRestsOnTheMainLoopsPacer)
{
    ASSERT_TRUE(Start(8));
    auto* network = dynamic_cast<tovDirectPlay*>(&TheNetworkPlay());
    ASSERT_NE(network, nullptr);
    plat::ManualClock clock{1'000'000'000ull};
    plat::SetCurrentClock(&clock);
    std::vector<double> rests;
    m_app->GetPacer().SetCap(qrxFramePacer::kWindowFramesPerSecond);
    m_app->GetPacer().SetRest([&rests](double seconds) { rests.push_back(seconds); });
    m_window.RequestClose();
    const bool connected = m_app->RunSetupDialog(*network);
    plat::SetCurrentClock(nullptr);
    EXPECT_FALSE(connected);
    ASSERT_EQ(rests.size(), 1u);
    EXPECT_NEAR(rests[0], 1.0 / qrxFramePacer::kWindowFramesPerSecond, 1e-9);
}

TEST(tovProgramEnvironment, ASecondStartOnTheSameUserFolderDoesNotRun)
{
    testfiles::TempDir dir;
    tovAppOptions options;
    options.userDir = dir.File("user");
    tovProgramEnvironment first(options);
    ASSERT_TRUE(first.OwnsInstance());
    {
        tovAppOptions other = options;
        other.userDir = dir.File("other");
        tovProgramEnvironment elsewhere(other);
        EXPECT_TRUE(elsewhere.OwnsInstance());
    }
    tovProgramEnvironment second(options);
    EXPECT_FALSE(second.OwnsInstance());
}

// The program itself, started as a player would: a start that fails ends with 1 and says why
// once on standard error, as its own line, in a window too after its box (which, with no display
// to show it on, says nothing), and headless whether its debug output goes to a file or to
// standard error; the run's debug.log (the user folder's, or the headless --out folder's) has it
// too. A second copy on the same user folder is such a failure.
TEST(tarnholmProgram, AStartThatFailsEndsWithOneAndSaysWhy)
{
    constexpr int kStartWaitMs = 60000;
    testfiles::TempDir dir;
    const std::string user = dir.File("user");
    const std::string out = dir.File("out");
    const std::string output = dir.File("output");
    const std::string noData = dir.File("no-data");
    std::filesystem::create_directories(noData);
    const auto text = [](const std::string& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    tovAppOptions options;
    options.userDir = dir.File("taken");
    tovProgramEnvironment first(options);
    ASSERT_TRUE(first.OwnsInstance());
    const std::string dataMissing =
        "The game's data was not found (start it with --data DIR):\n" + noData + "/Data/tov.waf";
    const struct
    {
        const char* what;
        std::vector<std::string> args;
        // SDL's video driver; null leaves the choice to SDL, which finds no display.
        const char* videoDriver;
        // What follows "tarnholm: ".
        std::string reason;
        // The debug log that keeps the reason too; empty: none is kept.
        std::string log;
        // Debug output that goes to that log only (the box the dummy driver cannot show).
        const char* debugLine;
    } cases[] = {
        {"no data",
         {"--data", noData, "--user-dir", user},
         "dummy",
         dataMissing,
         user + "/debug.log",
         "no message box for \"Error\""},
        {"no display",
         {"--data", testfiles::DataDir(), "--user-dir", user},
         nullptr,
         "The game window could not be opened (is there a display?).",
         user + "/debug.log",
         nullptr},
        {"no data, headless", {"--headless", "--data", noData, "--user-dir", user}, "dummy", dataMissing, "", nullptr},
        {"no data, headless with a folder",
         {"--headless", "--data", noData, "--user-dir", user, "--out", out},
         "dummy",
         dataMissing,
         out + "/debug.log",
         nullptr},
        {"a second copy",
         {"--headless", "--data", testfiles::DataDir(), "--user-dir", options.userDir},
         "dummy",
         "the game already runs on " + options.userDir + " (or that folder cannot be written)",
         "",
         nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(user);
        const std::string video = c.videoDriver ? std::string("SDL_VIDEODRIVER=") + c.videoDriver : "SDL_VIDEODRIVER";
        const pid_t pid = SpawnGame(c.args, output, {video, "SDL_AUDIODRIVER=dummy", "DISPLAY", "WAYLAND_DISPLAY"});
        ASSERT_GT(pid, 0);
        // A start that does not fail runs on: it is ended rather than waited for forever.
        int status = 0;
        for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; ++waited)
        {
            if (waited == kStartWaitMs)
            {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                FAIL() << "still running after " << kStartWaitMs << " ms";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        const std::string said = text(output);
        EXPECT_NE(("\n" + said).find("\ntarnholm: " + c.reason + "\n"), std::string::npos) << said;
        EXPECT_EQ(said.find(c.reason), said.rfind(c.reason)) << said;
        if (c.log.empty())
            continue;
        const std::string logged = text(c.log);
        EXPECT_NE(logged.find(c.reason), std::string::npos) << c.log;
        if (c.debugLine)
        {
            EXPECT_NE(logged.find(c.debugLine), std::string::npos) << logged;
            EXPECT_EQ(said.find(c.debugLine), std::string::npos) << said;
        }
    }
}

// A script's wait names a whole digest line, or with a final '*' the start of one: never a line
// that only begins the same way, never text in the middle of a line.
TEST(tovStateDigestLines, AWaitMatchesAWholeLineOrTheStartOfOne)
{
    const std::string digest = "screen 10\nnet.line Casey: Casey caught a 2 lb. 1 oz. Carp.\nframes 9\n";
    const struct
    {
        const char* line;
        bool found;
    } cases[] = {
        {"screen 10", true},
        {"screen 1", false},
        {"screen 1*", true},
        {"net.line Casey: Casey caught a*", true},
        {"net.line Casey: Casey caught a", false},
        {"Casey caught a*", false},
        {"frames 9", true},
        {"frames 9*", true},
        {"*", true},
        {"rames 9", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DigestHasLine(digest, c.line), c.found) << c.line;
}

} // namespace
