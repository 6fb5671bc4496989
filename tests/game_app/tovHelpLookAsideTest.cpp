// The help picture is a look aside: over every screen H opens it on, the player comes back from it
// and takes the screen's way back, which lands where it lands without the look; what the player
// changed on the screen stands, and a host's set-up begins no game again. The game's own screens,
// stand-ins for the fishing mode and the weigh-in (only where ways back lead).

#include "../game_net/NetSessionPair.h"
#include "HeadlessAppTest.h"

#include "tovAnglerRig.h"
#include "tovApp.h"
#include "tovBoat.h"
#include "tovInstallSettings.h"
#include "tovLake.h"
#include "tovLakeCatalogue.h"
#include "tovLivewellIFace.h"
#include "tovLoadGameIFace.h"
#include "tovModelFileCache.h"
#include "tovOptionsIFace.h"
#include "tovProfileIFace.h"
#include "tovProgramEnvironment.h"
#include "tovScreenTable.h"
#include "tovTackleSet.h"
#include "tovTournamentSetupIFace.h"
#include "tovTravelMapIFace.h"
#include "tovWorldServices.h"

#include "tovGameSession.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovNetPhases.h"
#include "tovNullNetworkPlay.h"
#include "tovSessionHooks.h"
#include "tovShellIFace.h"
#include "tovUserProfile.h"

#include "SoundManager.h"

#include "qrxAssetCache.h"
#include "qrxCutout.h"

#include "Clock.h"
#include "DebugOutput.h"
#include "HeadlessAudioOutput.h"
#include "HeadlessInputBackend.h"
#include "HeadlessWindowBackend.h"
#include "KeyNumbers.h"
#include "QrTestFixture.h"
#include "TestFiles.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace
{

constexpr int32_t kGameSelect = 1;
constexpr int32_t kFishing = 2;
constexpr int32_t kLivewell = 3;
constexpr int32_t kSetup = 4;
constexpr int32_t kProfiles = 5;
constexpr int32_t kAnglerLook = 6;
constexpr int32_t kConditions = 7;
constexpr int32_t kMainMenu = 8;
constexpr int32_t kTackleBox = 9;
constexpr int32_t kWeighIn = 10;
constexpr int32_t kOptions = 11;
constexpr int32_t kTravelMap = 12;
constexpr int32_t kIntro = 13;
constexpr int32_t kLoadGame = 14;
constexpr int32_t kSaveGame = 15;
constexpr int32_t kSponsorList = 16;
constexpr int32_t kSponsorPage = 17;
constexpr int32_t kDayStart = 19;
constexpr int32_t kRecord = 20;
constexpr int32_t kHelp = 22;
constexpr int32_t kLakeInfo = 23;
constexpr int32_t kLogo = 25;

class LakeStandIn : public tovShellIFace
{
public:
    void Prepare(int32_t) override {}
    void Enter(int32_t) override { m_nextScreen = 0; }
    void Leave(int32_t) override {}
    void Exit(int32_t) override {}
    int32_t Update(float, float) override { return m_nextScreen; }
};

const tovScreenTable& LookAsideTable()
{
    static const tovScreenTable table = []
    {
        std::vector<tovScreenTable::Row> rows = tovScreenTable::Game().Rows();
        for (tovScreenTable::Row& row : rows)
            if (row.id == kFishing || row.id == kWeighIn)
                row.construct = [] { return std::unique_ptr<qrxInterface>(new LakeStandIn); };
        return tovScreenTable(rows);
    }();
    return table;
}

// Seated in a network game whose first day has not begun.
class OpenSession : public tovNullNetworkPlay
{
public:
    bool IsSessionOpen() override { return true; }
};

// A lake was fished: between a season's events, or a day under way.
class BuiltWorld : public tovNullFishingModeHooks
{
public:
    bool IsWorldBuilt() override { return true; }
};

// The lake the travel map shows.
class LakeWorld : public tovWorldServices
{
public:
    void SetUnderwater(bool) override {}
    void SetLightAPosition(const QrPoint3&) override {}
    tovLake* GetLake() override { return m_lake.Get(); }

    QrPointer<tovLake> m_lake;
};

class tovHelpLookAsideTest : public HeadlessAppTest
{
protected:
    void SetUp() override
    {
        // A lake keeps these for the program's life: made before the engine's objects are counted.
        qrxCutout::CreateSharedProperties();
        QrEngineTest::SetUp();
        StartApp(kMainMenu, &LookAsideTable());
        m_app->BeginRun();
    }
    void Key(uint32_t key)
    {
        m_app->WindowProc({plat::kMsgKeyDown, key, 0, {}});
        Frame();
    }
    // The pointer's hot spot on the point, a press and a release.
    void ClickAt(int32_t x, int32_t y)
    {
        m_window.MoveCursor({x - 1, y - 2});
        Frame();
        m_input.SetButton(0, true);
        Frame();
        m_input.SetButton(0, false);
        Frame();
    }
    int32_t Current() const { return m_app->GetCurrentScreenId(); }
    template <class Screen> Screen* Shown() const { return dynamic_cast<Screen*>(m_app->GetCurrentScreen()); }
    // H, and the picture's Back.
    void LookAtHelp()
    {
        const int32_t screen = Current();
        Key('H');
        ASSERT_EQ(Current(), kHelp);
        ClickAt(60, 450);
        ASSERT_EQ(Current(), screen) << "back from the help picture";
    }
};

struct Point
{
    int32_t x;
    int32_t y;
};
constexpr Point kBack{60, 450};
constexpr Point kOk{165, 440};

enum class Play
{
    kAlone,
    // Seated in a network game before its first day.
    kNetwork,
    // A season between its events: a lake fished, its day weighed, none to resume.
    kSeason,
    // A tournament's day under way on its lake, one to resume.
    kDay,
};

struct Road
{
    const char* name;
    Play play;
    // The screens the player passes, the last the one the help picture opens over.
    std::vector<int32_t> road;
    Point button;
    int32_t lands;
    // The way back asks to leave the network game: the screen stays.
    bool asks;
    // Its text field has the focus: H is a letter of the name, no look aside.
    bool types = false;
};

// Every screen H opens the help picture over, by each of its ways back: the lake's screen and
// the board lead on by their own days, the exit splash ends the game. Game mode and conditions
// lie on no network road; in a network game only the screens on the road to the first day keep
// Escape (ask to leave), and there the picture's Escape is its Back.
const Road kRoads[] = {
    {"main menu's Return to a season's next set-up", Play::kSeason, {kSetup, kMainMenu}, kOk, kSetup, false},
    // The help picture's Escape over the set-up: the menu comes from the set-up, as by its own Escape.
    {"main menu by Escape over the set-up", Play::kSeason, {kSetup, kHelp, kMainMenu}, kOk, kSetup, false},
    // The weigh-in has begun: its day is not gone back to, though the picture came between.
    {"main menu by Escape over the weigh-in", Play::kDay, {kWeighIn, kHelp, kMainMenu}, kOk, kMainMenu, false},
    {"game mode", Play::kAlone, {kMainMenu, kGameSelect}, kBack, kMainMenu, false},
    {"profiles", Play::kAlone, {kGameSelect, kProfiles}, kBack, kGameSelect, false},
    {"set-up", Play::kAlone, {kProfiles, kSetup}, kBack, kProfiles, false},
    {"conditions", Play::kAlone, {kSetup, kConditions}, kBack, kSetup, false},
    {"angler look", Play::kAlone, {kProfiles, kAnglerLook}, kBack, kProfiles, false},
    {"tackle box's Cancel", Play::kAlone, {kAnglerLook, kTackleBox}, kBack, kAnglerLook, false},
    {"tackle box's OK", Play::kAlone, {kAnglerLook, kTackleBox}, kOk, kAnglerLook, false},
    {"options' Cancel", Play::kAlone, {kMainMenu, kOptions}, kBack, kMainMenu, false},
    {"options' OK", Play::kAlone, {kAnglerLook, kOptions}, kOk, kAnglerLook, false},
    {"career record", Play::kAlone, {kAnglerLook, kRecord}, kBack, kAnglerLook, false},
    {"start", Play::kAlone, {kSetup, kDayStart}, kBack, kSetup, false},
    {"livewell", Play::kAlone, {kFishing, kLivewell}, kBack, kFishing, false},
    {"load", Play::kAlone, {kMainMenu, kLoadGame}, kBack, kMainMenu, false},
    {"save", Play::kAlone, {kMainMenu, kSaveGame}, kBack, kMainMenu, false, true},
    {"sponsors", Play::kAlone, {kMainMenu, kSponsorList}, kBack, kMainMenu, false},
    {"a sponsor's page", Play::kAlone, {kSponsorList, kSponsorPage}, kBack, kMainMenu, false},
    {"lake information", Play::kAlone, {kFishing, kLakeInfo}, kBack, kFishing, false},
    {"travel map", Play::kAlone, {kFishing, kTravelMap}, kBack, kFishing, false},
    {"intro", Play::kAlone, {kLogo, kIntro}, kBack, kMainMenu, false},
    {"logo", Play::kAlone, {kMainMenu, kLogo}, kBack, kIntro, false},

    {"set-up from the profiles", Play::kNetwork, {kProfiles, kSetup}, kBack, kProfiles, false},
    {"set-up from the menu", Play::kNetwork, {kMainMenu, kSetup}, kBack, kSetup, true},
    {"start", Play::kNetwork, {kSetup, kDayStart}, kBack, kSetup, false},
    {"start from the menu", Play::kNetwork, {kMainMenu, kDayStart}, kBack, kDayStart, true},
    {"angler look", Play::kNetwork, {kProfiles, kAnglerLook}, kBack, kProfiles, false},
    {"tackle box", Play::kNetwork, {kAnglerLook, kTackleBox}, kBack, kAnglerLook, false},
    {"options' Cancel", Play::kNetwork, {kMainMenu, kOptions}, kBack, kMainMenu, false},
    {"options' OK", Play::kNetwork, {kAnglerLook, kOptions}, kOk, kAnglerLook, false},
    {"career record", Play::kNetwork, {kAnglerLook, kRecord}, kBack, kAnglerLook, false},
    {"load", Play::kNetwork, {kMainMenu, kLoadGame}, kBack, kMainMenu, false},
    {"save", Play::kNetwork, {kMainMenu, kSaveGame}, kBack, kMainMenu, false, true},
    {"sponsors", Play::kNetwork, {kMainMenu, kSponsorList}, kBack, kMainMenu, false},
    {"lake information", Play::kNetwork, {kFishing, kLakeInfo}, kBack, kFishing, false},
};

bool OnRoadToFirstDay(int32_t screen)
{
    for (int32_t id : {kProfiles, kSetup, kAnglerLook, kTackleBox, kOptions, kRecord, kDayStart})
        if (screen == id)
            return true;
    return false;
}

TEST_F(tovHelpLookAsideTest, EveryWayBackLandsAsWithoutTheHelpPicture)
{
    OpenSession seated;
    BuiltWorld built;
    tovNetworkPlay& own = TheNetworkPlay();
    tovFishingModeHooks& hooks = GetFishingModeHooks();
    for (const Road& road : kRoads)
        for (const bool look : {false, true})
        {
            SCOPED_TRACE(testing::Message() << road.name << (road.play == Play::kNetwork ? " (network)" : "")
                                            << (look ? " over the help picture" : ""));
            const bool network = road.play == Play::kNetwork;
            SetNetworkLaunch(network);
            SetNetworkPlay(network ? static_cast<tovNetworkPlay*>(&seated) : &own);
            NetResetPlayers(0);
            const bool lake = road.play == Play::kSeason || road.play == Play::kDay;
            SetFishingModeHooks(lake ? static_cast<tovFishingModeHooks*>(&built) : &hooks);
            tovGameSession& session = *TheGameSession();
            if (lake)
                session.StartGame(tovGameSession::kQuickFish, false);
            if (road.play == Play::kSeason)
                session.SetDayOver();
            session.SetMode(road.play == Play::kSeason ? tovGameSession::kSeason : tovGameSession::kTournament);
            for (int32_t id : road.road)
                m_app->SwitchScreen(id);
            const int32_t screen = road.road.back();
            m_window.MoveCursor({630, 5});
            Frame();
            ASSERT_EQ(Current(), screen);
            // Only the screens on the road to the first day ask to leave the game.
            const bool keeps = m_app->GetCurrentScreen()->KeepsEscape();
            EXPECT_EQ(keeps, network && OnRoadToFirstDay(screen));
            if (look)
            {
                Key('H');
                if (road.types)
                {
                    EXPECT_EQ(Current(), screen) << "H typed into the field";
                    continue;
                }
                ASSERT_EQ(Current(), kHelp);
                if (keeps)
                    Key(plat::kVkEscape);
                else
                    ClickAt(kBack.x, kBack.y);
                ASSERT_EQ(Current(), screen) << "back from the help picture";
            }
            ClickAt(road.button.x, road.button.y);
            Frame();
            EXPECT_EQ(Current(), road.lands);
            EXPECT_EQ(IsMessageBoxRaised(), road.asks);
            if (IsMessageBoxRaised())
                ShowMessageScreen(false);
            EXPECT_FALSE(NetTakeLeftGame());
        }
    SetNetworkLaunch(false);
    SetNetworkPlay(&own);
    SetFishingModeHooks(&hooks);
}

// On each screen with a control the player changes: the change, a look at the help picture, and
// the change still stands; where the screen undoes its visit (Back, Cancel), that puts back what
// the visit began with, the look notwithstanding.
TEST_F(tovHelpLookAsideTest, WhatThePlayerChangedStandsAfterALook)
{
    // A second profile to choose, and two saved games (the list reads only their names).
    ASSERT_TRUE(SaveUserProfile(TheUserProfile()));
    std::filesystem::copy_file(ProfileFilePath(TheUserProfile().GetName()), ProfileFilePath("Second Angler"));
    std::filesystem::create_directories(SaveFilePath(""));
    for (const char* game : {"first.wsv", "second.wsv"})
        std::filesystem::copy_file(ProfileFilePath("Second Angler"), SaveFilePath(game));
    // A lake, the player's boat on it and three fish in its livewell; they go, with what the
    // lake's screens keep program-wide, however the case ends.
    struct OnTheLake
    {
        LakeWorld world;
        tovWorldServices* const own = GetWorldServices();
        QrPointer<tovBoat> boat{new tovBoat()};
        OnTheLake()
        {
            SetWorldServices(&world);
            world.m_lake = new tovLake(true);
            auto* rig = new tovAnglerRig(0, 0, 0, -1, false, boat.Get());
            TheGameSession()->AddAngler(rig, true);
            for (int32_t k = 0; k < 3; ++k)
                rig->AddToLivewell(3, 20 + k, 10 + k, 0.5f);
        }
        ~OnTheLake()
        {
            TheGameSession()->ClearAnglers();
            SetWorldServices(own);
            world.m_lake = nullptr;
            boat = nullptr;
            qrxAssetCache::Get().Clear();
            tovBoat::ReleaseStatics();
            tovModelFileCache::Clear();
        }
    } onLake;
    tovLake& lake = *onLake.world.m_lake;
    ASSERT_TRUE(lake.Load(testfiles::DataDir() + "/Lakes/Clearwater.txt"));
    TheLakeCatalogue().SelectLake(TheGameSession(), 0);
    auto profileRow = [this]
    {
        const tovProfileIFace* profiles = Shown<tovProfileIFace>();
        const int32_t other = (profiles->GetSelected() + 1) % static_cast<int32_t>(profiles->GetNames().size());
        ClickAt(200, 115 + 41 * other);
    };
    auto loadRow = [this]
    {
        const tovLoadGameIFace* load = Shown<tovLoadGameIFace>();
        ClickAt(200, 135 + 33 * ((load->GetPicked() + 1) % load->GetCount()));
    };
    // A point of the map amid water in the view shown: the map's cursors put their hot spots a
    // few pixels apart.
    auto water = [&lake](const tovTravelMapIFace& map, Point& at)
    {
        using M = tovTravelMapIFace;
        auto wet = [&](int32_t x, int32_t y)
        {
            int32_t column = 0, row = 0;
            map.ScreenToCell(x, y, column, row);
            return lake.IsOnLakeCell(column, row);
        };
        for (at.y = M::kMapTop + 20; at.y < M::kMapTop + M::kMapHeight - 20; at.y += 3)
            for (at.x = M::kMapLeft + 20; at.x < M::kMapLeft + M::kMapWidth - 20; at.x += 3)
            {
                bool all = true;
                for (int32_t dy = -8; dy <= 8 && all; dy += 4)
                    for (int32_t dx = -8; dx <= 8 && all; dx += 4)
                        all = wet(at.x + dx, at.y + dy);
                if (all)
                    return true;
            }
        return false;
    };
    // Zoomed in, in the choose mode, a spot chosen on the water.
    auto travelPlan = [this, &water]
    {
        Point at{};
        ASSERT_TRUE(water(*Shown<tovTravelMapIFace>(), at));
        ClickAt(at.x, at.y);
        ClickAt(550, 100);
        ASSERT_TRUE(water(*Shown<tovTravelMapIFace>(), at));
        ClickAt(at.x, at.y);
    };
    // The map's mode, its zoom with the tile shown, and a spot away from the boat, in one number.
    auto travelState = [this, &onLake]
    {
        const tovTravelMapIFace* map = Shown<tovTravelMapIFace>();
        return map->GetMapMode() + 2 * (map->IsZoomed() && map->HasTile()) +
               4 * (map->GetDestination() != onLake.boat->GetPosition());
    };
    struct Change
    {
        const char* name;
        std::vector<int32_t> road;
        std::function<void()> change;
        std::function<int32_t()> read;
        // Undoes the visit, leaving the screen: none, or Back (Cancel).
        bool undoes = false;
        // The travel map chooses spots outside tournaments.
        int32_t mode = tovGameSession::kTournament;
    };
    const Change changes[] = {
        {"set-up's days",
         {kProfiles, kSetup},
         [this] { ClickAt(477, 118); },
         [this] { return Shown<tovTournamentSetupIFace>()->GetDays(); }},
        {"set-up's lake",
         {kProfiles, kSetup},
         [this] { ClickAt(601, 59); },
         [this] { return Shown<tovTournamentSetupIFace>()->GetLakeIndex(); }},
        {"options' detail",
         {kMainMenu, kOptions},
         [this] { ClickAt(470, 243); },
         [] { return tovOptionsIFace::GetInstance()->GetDetailLevel(); }},
        {"angler look's gender",
         {kProfiles, kAnglerLook},
         [this] { ClickAt(290, 352); },
         [] { return TheUserProfile().GetGender(); },
         true},
        {"tackle box's pound test",
         {kAnglerLook, kTackleBox},
         [this] { ClickAt(405, 270); },
         [] { return TheTackleSet().GetCurrentRodSet()[tovTackleSet::kPoundTest]; }},
        {"profiles' choice",
         {kGameSelect, kProfiles},
         profileRow,
         [this] { return Shown<tovProfileIFace>()->GetSelected(); }},
        {"load's pick", {kMainMenu, kLoadGame}, loadRow, [this] { return Shown<tovLoadGameIFace>()->GetPicked(); }},
        {"livewell's row",
         {kFishing, kLivewell},
         [this] { ClickAt(175, 222 + 33 + 10); },
         [this] { return Shown<tovLivewellIFace>()->GetSelectedRow(); }},
        {"travel map's plan", {kFishing, kTravelMap}, travelPlan, travelState, false, tovGameSession::kQuickFish},
    };
    for (const Change& c : changes)
    {
        SCOPED_TRACE(c.name);
        TheGameSession()->SetMode(c.mode);
        for (int32_t id : c.road)
            m_app->SwitchScreen(id);
        m_window.MoveCursor({630, 5});
        Frame();
        const int32_t before = c.read();
        c.change();
        const int32_t changed = c.read();
        ASSERT_NE(changed, before) << "the control changed nothing";
        LookAtHelp();
        EXPECT_EQ(c.read(), changed) << "the look undid the change";
        if (!c.undoes)
            continue;
        ClickAt(kBack.x, kBack.y);
        Frame();
        EXPECT_NE(Current(), c.road.back());
        EXPECT_EQ(c.read(), before) << "the visit's start was taken again after the look";
    }
    // The tackle set is the program's: the edit stays behind in no other test.
    TheTackleSet().LoadFromProfile(TheUserProfile());
}

// A host's network set-up begins the game on a visit; a look at the help picture begins no other
// (which every joiner would take and answer): the game number and the joiners' phases, as the host
// sees them, stand.
TEST_F(tovHelpLookAsideTest, AHostsLookOverTheSetUpBeginsNoGame)
{
    plat::LoopbackNetwork net;
    NetSessionSide host(net, "Robin");
    NetSessionSide casey(net, "Casey");
    NetSessionSide drew(net, "Drew");
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *casey.session;
    tovDirectPlay& d = *drew.session;
    const auto all = {&h, &c, &d};
    ASSERT_TRUE(h.HostSession("Lake day", ""));
    ASSERT_TRUE(c.JoinSession("Lake day"));
    ASSERT_TRUE(d.JoinSession("Lake day"));
    ASSERT_TRUE(WaitUntil(
        [&]
        { return c.GetLocalSlot() != tovNetworkPlay::kLocalSlot && d.GetLocalSlot() != tovNetworkPlay::kLocalSlot; },
        all));
    const int32_t joiners[] = {c.GetLocalSlot(), d.GetLocalSlot()};
    ASSERT_TRUE(WaitUntil([&] { return h.IsSlotActive(joiners[0]) && h.IsSlotActive(joiners[1]); }, all));

    // The host's session is the application's until the sessions go.
    struct Seated
    {
        tovNetworkPlay& own = TheNetworkPlay();
        explicit Seated(tovNetworkPlay& session)
        {
            SetNetworkPlay(&session);
            SetNetworkLaunch(true);
            NetResetPlayers(0);
        }
        ~Seated()
        {
            SetNetworkLaunch(false);
            SetNetworkPlay(&own);
            NetResetPlayers(0);
        }
    } seated(h);
    m_app->SwitchScreen(kProfiles);
    m_app->SwitchScreen(kSetup);
    const uint16_t game = h.GetGameNumber();
    ASSERT_NE(game, 0) << "the visit began no game";
    ASSERT_TRUE(WaitUntil([&] { return c.GetGameNumber() == game && d.GetGameNumber() == game; }, all));
    // One joiner has gone on to the start of the day.
    d.SetLocalPhase(kDayStartPhase);
    ASSERT_TRUE(WaitUntil([&] { return h.GetPlayerPhase(joiners[1]) == kDayStartPhase; }, all));
    m_window.MoveCursor({630, 5});
    Frame();
    const int32_t phases[] = {h.GetPlayerPhase(joiners[0]), h.GetPlayerPhase(joiners[1])};

    LookAtHelp();
    EXPECT_EQ(h.GetGameNumber(), game);
    EXPECT_EQ(h.GetPlayerPhase(joiners[0]), phases[0]);
    EXPECT_EQ(h.GetPlayerPhase(joiners[1]), phases[1]);
}

} // namespace
