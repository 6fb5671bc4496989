#include "GccWarnings.h"
#include "NetSessionPair.h"
#include "NetTestSides.h"
#include "PackWriter.h"
#include "TestFiles.h"
#include "qrxBaseApp.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovNetMessages.h"
#include "tovNetworkPlayGameParams.h"
#include "tovRemoteBoats.h"
#include "tovUserProfile.h"
#include "tovWeather.h"
#include "tovWeatherRecord.h"
#include "tovWorldServices.h"

#include "Clock.h"
#include "DebugOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace
{

class tovDirectPlayPair : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        host = std::make_unique<NetSessionSide>(net, "Robin");
        client = std::make_unique<NetSessionSide>(net, "Casey");
        ASSERT_TRUE(host->session->HostSession("Lake day", ""));
        ASSERT_TRUE(client->session->JoinSession("Lake day"));
        ASSERT_TRUE(Wait([this] { return client->session->GetLocalSlot() == 1 && H().IsSlotActive(1); }));
        // The host's header is the last of what it sends a newcomer, but for its answer to the
        // newcomer's header: after both, no parameters of the join are still on their way to
        // overwrite a test's.
        ASSERT_TRUE(Wait([this] { return C().HasHeaderOf(0); }));
        ASSERT_TRUE(HostsAnswerCame(H(), C()));
    }
    void TearDown() override
    {
        client.reset();
        host.reset();
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    }

    tovDirectPlay& H() { return *host->session; }
    tovDirectPlay& C() { return *client->session; }
    bool Wait(const std::function<bool()>& done) { return WaitUntil(done, {&H(), &C()}); }
    bool ParamsArrive(const std::function<void()>& send) { return ::ParamsArrive(send, {&H(), &C()}); }
    bool Shown(const NetSessionSide& side, const std::string& line)
    {
        return std::find(side.lines.begin(), side.lines.end(), line) != side.lines.end();
    }

    // A player-state message from the client as its transport would deliver it to the host.
    std::vector<uint8_t> ClientState(float x)
    {
        tovNet::PlayerStateMsg msg;
        msg.header.senderSlot = 1;
        msg.state.m_paintScheme = 0;
        msg.state.m_position = {x, 0.5f, 2.0f};
        msg.state.m_changeMask = tovBoatState::kAllMask;
        msg.state.m_phase = 2;
        return msg.Write();
    }
    void Deliver(tovDirectPlay& to, plat::NetPlayerId from, std::vector<uint8_t> bytes)
    {
        to.HandleMessage({plat::NetMessage::Kind::App, from, std::move(bytes)});
    }

    plat::LoopbackNetwork net;
    std::unique_ptr<NetSessionSide> host;
    std::unique_ptr<NetSessionSide> client;
};

TEST_F(tovDirectPlayPair, JoinSeatsBothPlayersWithTheirNames)
{
    EXPECT_TRUE(H().IsHost());
    EXPECT_FALSE(C().IsHost());
    EXPECT_EQ(H().GetLocalSlot(), 0);
    EXPECT_EQ(H().GetSlotIds(), C().GetSlotIds());
    char name[32];
    ASSERT_TRUE(H().GetPlayerName(1, name, sizeof(name)));
    EXPECT_STREQ(name, "Casey");
    ASSERT_TRUE(C().GetPlayerName(0, name, sizeof(name)));
    EXPECT_STREQ(name, "Robin");
    EXPECT_FALSE(C().GetPlayerName(2, name, sizeof(name)));
    EXPECT_STREQ(name, "");
    EXPECT_TRUE(Wait([this] { return Shown(*host, "Casey has joined the game"); }));
    // The client knows which slot hosts.
    EXPECT_TRUE(Wait([this] { return C().IsSlotActive(0); }));
}

TEST_F(tovDirectPlayPair, OnlyTheHostSetsParametersAndTheClientTakesItsClock)
{
    C().SetDay(9, true);
    EXPECT_EQ(C().GetDay(), 0);
    // The record is shared here: the host's answer to the client's welcome header (day 0) may
    // land after this set, but the host's last message carries day 3.
    H().SetDay(3, true);
    EXPECT_TRUE(Wait([this] { return C().GetDay() == 3; }));
    // The client's copy of the parameters carries the host's clock stamps once a message came.
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    H().BroadcastGameParams();
    ASSERT_TRUE(Wait([] { return CopyGameParams().HasHostClock(); }));
}

TEST_F(tovDirectPlayPair, PhasesTravelWithThePlayerHeader)
{
    // The host answers the header with its parameters.
    ASSERT_TRUE(ParamsArrive([this] { C().SetLocalPhase(5); }));
    ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 5; }));
    EXPECT_TRUE(H().IsPlayerInPhase(4, 1));
    EXPECT_FALSE(H().IsPlayerInPhase(4, 3));
    // The host's new phase reaches the client with its parameters.
    H().SetLocalPhase(4);
    EXPECT_TRUE(Wait([this] { return C().SyncPhase(4, false); }));
}

TEST_F(tovDirectPlayPair, StatesBuildRigsAndEventsMoveThem)
{
    // No rig before a state names the boat's paint scheme.
    H().ApplyPlayerStates();
    EXPECT_TRUE(host->builtSlots.empty());
    Deliver(H(), C().GetLocalId(), ClientState(12.0f));
    H().ApplyPlayerStates();
    H().ApplyPlayerStates();
    ASSERT_EQ(host->builtSlots, std::vector<int32_t>{1});
    tovAnglerRigBase* rig = host->builtRigs[0].Get();
    EXPECT_EQ(H().FindRigSlotByPointer(rig), 1);
    tovPlayerState seen;
    ASSERT_TRUE(H().GetRigPlayerState(rig, seen));
    EXPECT_EQ(seen.m_position.x, 12.0f);

    C().SendThrottle(0.5f);
    C().SendTackleChoice(3, 7);
    C().SendCastTarget({1.0f, 2.0f, 3.0f});
    C().SendAnglerFlagsAB();
    ASSERT_TRUE(Wait([&] { return H().GetRigPlayerState(rig, seen) && seen.readyInWaitCast == 1; }));
    EXPECT_EQ(seen.m_throttle, 0.5f);
    EXPECT_EQ(seen.m_lastTrollingCommand, 3);
    EXPECT_EQ(seen.m_trollingLevel, 7);
    EXPECT_EQ(seen.GetCastTarget().z, 3.0f);
    EXPECT_EQ(seen.fastReelInWaitCast, 1);
    EXPECT_EQ(seen.block[tovAnglerState::kPhaseWord], 4);
    C().SendLeftFishing();
    ASSERT_TRUE(Wait([&] { return H().GetRigPlayerState(rig, seen) && seen.m_throttle == 0.0f; }));
    EXPECT_EQ(H().GetDroppedCount(), 0u);
}

TEST_F(tovDirectPlayPair, ClosingTakesRemoteRigsOutAndLeavesTheLocalAngler)
{
    tovGameSession game;
    QrPointer<tovAnglerRigBase> local(new NetTestRig);
    game.AddAngler(local.Get(), true);
    Deliver(H(), C().GetLocalId(), ClientState(3.0f));
    H().ApplyPlayerStates();
    ASSERT_EQ(host->builtRigs.size(), 1u);
    EXPECT_EQ(H().FindRigSlotByPointer(local.Get()), 0);
    EXPECT_EQ(game.GetAnglers().size(), 2u);
    H().Close();
    ASSERT_EQ(game.GetAnglers().size(), 1u);
    EXPECT_EQ(game.GetAnglers()[0].Get(), local.Get());
    EXPECT_EQ(host->retired, std::vector<tovAnglerRigBase*>{host->builtRigs[0].Get()});
}

// The start of a day: the host publishes phase 4 and waits for everyone, the client announces
// phase 5 and waits for the host's parameters; both come through.
TEST_F(tovDirectPlayPair, BothSidesOfThePhaseWaitComeThrough)
{
    QuitOnStall watchdog;
    bool hostThrough = false;
    std::thread hostSide([&] { hostThrough = H().WaitForPhase(4, 5, 0, 0); });
    const bool clientThrough = C().WaitForPhase(4, 5, 0, 0);
    hostSide.join();
    watchdog.Finish();
    EXPECT_FALSE(qrxBaseApp::GetQuitFlag());
    qrxBaseApp::SetQuitFlag(false);
    EXPECT_TRUE(hostThrough);
    EXPECT_TRUE(clientThrough);
    EXPECT_EQ(H().GetPlayerPhase(1), 5);
    EXPECT_TRUE(C().IsPlayerInPhase(5, tovNetworkPlay::kLocalSlot));
}

// At the start of a day the client waits in phase 5 for the host's phase 4: the day it then
// fishes is the host's, not the one its own session had.
TEST_F(tovDirectPlayPair, TheClientFishesTheHostsDay)
{
    tovGameSession game;
    game.SetDay(1, true);
    ASSERT_TRUE(ParamsArrive([this] { H().SetDay(2, true); }));
    H().SyncPhase(4, true);
    C().SetLocalPhase(5);
    QuitOnStall watchdog;
    EXPECT_TRUE(C().WaitForHostPhase(4));
    watchdog.Finish();
    EXPECT_FALSE(qrxBaseApp::GetQuitFlag());
    qrxBaseApp::SetQuitFlag(false);
    EXPECT_EQ(game.GetDay(), 2);
}

// A day's world as the session's weather access sees it: only its weather, seeded from a
// calendar of its own.
class WeatherWorld : public tovWorldServices
{
public:
    explicit WeatherWorld(int64_t calendar)
    {
        plat::FixCalendarSeconds(calendar);
        m_weather = new tovWeather();
        plat::UnfixCalendarSeconds();
        m_weather->Start(0.0);
    }
    void SetUnderwater(bool) override {}
    void SetLightAPosition(const QrPoint3&) override {}
    tovWeather* GetWeather() override { return m_weather.Get(); }
    tovWeatherRecord Record() const
    {
        tovWeatherRecord record;
        m_weather->GetState(record);
        return record;
    }

private:
    QrPointer<tovWeather> m_weather;
};

// Both sides joined to their day's weather as the program joins them: a zeroed block is refused,
// and after the host publishes the start of the day a client's weather is the host's, the
// generator where the host's stands (its start drew after the record's capture).
TEST_F(tovDirectPlayPair, TheClientTakesTheHostsWeatherAtTheStartOfTheDay)
{
    WeatherWorld hostDay(1780315200);
    WeatherWorld clientDay(1780401600);
    JoinSessionWeather(H(), hostDay);
    JoinSessionWeather(C(), clientDay);
    const tovWeatherRecord own = clientDay.Record();
    ASSERT_NE(own, hostDay.Record());

    tovNetworkPlay::GAMEPARAMS zeroed;
    zeroed.phase = 4;
    C().StoreGameParams(zeroed);
    EXPECT_TRUE(C().SyncPhase(4, false));
    EXPECT_EQ(clientDay.Record(), own) << "a block no weather can continue from changes nothing";

    ASSERT_TRUE(H().SyncPhase(4, true));
    // Through the wire: the client's record is emptied and the host's parameters delivered.
    tovNet::GameParamsMsg msg;
    msg.header.senderSlot = 0;
    msg.params = H().CopyGameParams();
    msg.ids = H().GetSlotIds();
    ASSERT_TRUE(Wait([this] { return C().CopyGameParams().phase == 4; }));
    C().StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    Deliver(C(), H().GetLocalId(), msg.Write());
    ASSERT_TRUE(Wait([this] { return C().CopyGameParams().phase == 4; }));
    ASSERT_TRUE(C().SyncPhase(4, false));
    const tovWeatherRecord hosts = hostDay.Record();
    EXPECT_EQ(clientDay.Record(), hosts);
    EXPECT_NE(hosts.generatorState, own.generatorState);

    // The next update captures each generator as it stands: the client's is where the host's is.
    hostDay.GetWeather()->Update(0.0, 0.0);
    clientDay.GetWeather()->Update(0.0, 0.0);
    EXPECT_EQ(clientDay.Record(), hostDay.Record());
    H().SetWeatherAccess(nullptr, nullptr);
    C().SetWeatherAccess(nullptr, nullptr);
}

// The first day begins on the host only once every other player stands at its own start
// (phase 2, exactly): one still in its set-up (0, which the weigh-in's rule counts as weighed in)
// or in a day's phase of the last game is waited for; one who left is not. A player still in
// its set-up has begun no day.
TEST_F(tovDirectPlayPair, TheHostBeginsTheFirstDayWithEveryPlayerAtItsStart)
{
    EXPECT_FALSE(H().IsEveryoneAtDayStart()) << "still in its set-up";
    EXPECT_FALSE(H().HasBegunDay(1));
    C().SetLocalPhase(3);
    ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 3; }));
    EXPECT_FALSE(H().IsEveryoneAtDayStart()) << "a day's phase is not the start";
    EXPECT_TRUE(H().HasBegunDay(1));
    C().SetLocalPhase(2);
    ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 2; }));
    EXPECT_TRUE(H().IsEveryoneAtDayStart());
    EXPECT_FALSE(H().HasBegunDay(1)) << "at its start, not in the day";
    EXPECT_TRUE(C().IsEveryoneAtDayStart()) << "only the host waits";
    C().SetLocalPhase(0);
    ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 0; }));
    C().Close();
    // Nobody left to wait for, read without the host's drain: the question frees no seat, the
    // frame's drain does.
    EXPECT_TRUE(WaitUntil([this] { return H().IsEveryoneAtDayStart(); }, {}));
    EXPECT_TRUE(H().IsSlotActive(1));
    H().DrainMainThreadQueue();
    EXPECT_FALSE(H().IsSlotActive(1));
}

// A joiner can reach its start of the day before the host's table has seated it: the phase it
// announced then reaches the host once the seat comes, or the host's start waits for good.
TEST(tovDirectPlaySeat, APhaseSetBeforeTheSeatReachesTheHost)
{
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    SessionPair pair;
    ASSERT_TRUE(pair.h.HostSession("Lake day", ""));
    ASSERT_TRUE(pair.c.JoinSession("Lake day"));
    // The table goes out from the host's main thread, which has not run yet.
    ASSERT_EQ(pair.c.GetLocalSlot(), tovNetworkPlay::kLocalSlot);
    pair.c.SetLocalPhase(2);
    EXPECT_TRUE(
        WaitUntil([&] { return pair.c.GetLocalSlot() == 1 && pair.h.GetPlayerPhase(1) == 2; }, {&pair.h, &pair.c}));
    EXPECT_TRUE(pair.h.IsEveryoneAtDayStart());
    EXPECT_EQ(pair.c.GetPlayerPhase(tovNetworkPlay::kLocalSlot), 2);
    pair.c.Close();
    pair.h.Close();
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

// Where the host's game stands for a copy at its first day's start, from the parameters it
// publishes: before its start (its set-up, or the last game closed on its final day) the host
// will wait for this copy; its first day's start and fishing take it in; a day's end, a weigh-in
// or a later day are past the day this copy would start.
TEST_F(tovDirectPlayPair, ACopyAtItsStartSeesWhereTheHostsGameStands)
{
    using Game = tovNetworkPlay::HostGame;
    struct Row
    {
        uint16_t phase;
        int32_t day;
        // The tournament's length setting: its last day less one.
        int32_t length;
        Game seen;
    };
    const Row rows[] = {
        {0, 2, 1, Game::kNotBegun},      {2, 0, 1, Game::kFirstDay},      {4, 1, 1, Game::kFirstDay},
        {5, 1, 0, Game::kFirstDay},      {3, 1, 1, Game::kPastFirstDay},  {7, 1, 0, Game::kPastFirstDay},
        {10, 1, 0, Game::kPastFirstDay}, {11, 1, 1, Game::kPastFirstDay}, {4, 2, 1, Game::kPastFirstDay},
        {11, 2, 1, Game::kNotBegun},     {11, 1, 0, Game::kNotBegun},     {11, 0, 1, Game::kNotBegun},
        {3, 0, 1, Game::kNotBegun},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "phase " << row.phase << ", day " << row.day << " of " << row.length + 1);
        tovNetworkPlay::GAMEPARAMS params;
        params.phase = row.phase;
        params.day = row.day;
        params.setting1 = row.length;
        StoreGameParams(params);
        EXPECT_EQ(C().GetHostGame(), row.seen);
        EXPECT_EQ(H().GetHostGame(), Game::kNotBegun) << "the host's own game is never past it";
    }
}

// A new day resets every player's record, but each player stays in the phase it announced:
// read as 0 until its next header, a finalist still on its way to the lake counted as weighed in.
TEST_F(tovDirectPlayPair, AResetKeepsThePhaseEachPlayerAnnounced)
{
    C().SetLocalPhase(5);
    ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 5; }));
    H().ResetPlayerStates(3);
    EXPECT_EQ(H().GetPlayerPhase(1), 5);
    EXPECT_FALSE(H().IsPlayerInPhase(7, 1)) << "the results exchange waits for it";
    EXPECT_EQ(H().GetPlayerPhase(tovNetworkPlay::kLocalSlot), 3);
}

// The day's parameters taken on the way to the lake: a new day's clock starts at the morning,
// whatever older time of day the parameters carry; a day this copy plays already (its clock
// runs: back from the menu) takes the host's time of day, not the morning.
TEST_F(tovDirectPlayPair, BackOnTheLakeAClientTakesTheHostsTimeOfDay)
{
    struct Case
    {
        const char* what;
        bool running;
        int32_t day;
        double expected;
    };
    constexpr double kHost = 11808.0;
    for (const Case& c : {Case{"a new day", false, 1, 0.0}, Case{"back from the menu", true, 2, kHost}})
    {
        SCOPED_TRACE(c.what);
        tovGameSession game;
        game.SetDay(c.day, true);
        tovGameClock& clock = TheGameClock();
        clock.SetGameTime(5050.0);
        clock.SetFlags(c.running ? clock.GetFlags() | tovGameClockBase::kRunning
                                 : clock.GetFlags() & ~tovGameClockBase::kRunning);
        // The host's day 2 under way, as its parameters message brings it.
        tovNet::GameParamsMsg msg;
        msg.header.senderSlot = 0;
        msg.header.stamp = 1000;
        msg.params = CopyGameParams();
        msg.params.phase = 5;
        msg.params.day = 2;
        msg.timeOfDay = tovGameClock::kDayStartSeconds + kHost;
        msg.ids = H().GetSlotIds();
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        Deliver(C(), H().GetLocalId(), msg.Write());
        ASSERT_TRUE(Wait([] { return CopyGameParams().HasHostClock(); }));
        ASSERT_TRUE(C().SyncPhase(4, false));
        EXPECT_EQ(game.GetDay(), 2);
        // The message is a moment old when taken: the host's time runs on meanwhile.
        EXPECT_GE(clock.GetGameTime(), c.expected);
        EXPECT_LT(clock.GetGameTime(), c.expected + 600.0);
        clock.SetFlags(clock.GetFlags() & ~tovGameClockBase::kRunning);
    }
}

TEST_F(tovDirectPlayPair, AClosedDoorRefusesNewPlayers)
{
    ASSERT_EQ(C().EnumerateSessions(0).size(), 1u);
    C().DisableJoining();
    H().DisableJoining();
    NetSessionSide late(net, "Drew");
    EXPECT_FALSE(late.session->JoinSession("Lake day"));
    EXPECT_FALSE(late.session->EnumerateSessions(0).at(0).joinable);
    H().EnableJoining();
    EXPECT_TRUE(late.session->JoinSession("Lake day"));
}

TEST_F(tovDirectPlayPair, ChatReachesTheOthersWithTheSendersName)
{
    C().SendChatText("Nice bass!", false, nullptr);
    EXPECT_TRUE(Wait([this] { return Shown(*host, "Casey: Nice bass!"); }));
    EXPECT_TRUE(Shown(*client, "Nice bass!"));
    H().SendChatText("Thanks", true, nullptr);
    EXPECT_TRUE(Wait([this] { return Shown(*client, "Robin: Thanks"); }));
    EXPECT_FALSE(Shown(*host, "Thanks"));
}

TEST_F(tovDirectPlayPair, RenamesAreShown)
{
    C().ChangePlayerName("Casey Lee");
    EXPECT_TRUE(Wait([this] { return Shown(*host, "Casey has changed name to Casey Lee."); }));
}

// In process too, a joiner or a rename taking a player's name gets a suffix, on every copy.
TEST_F(tovDirectPlayPair, TakenNamesGetASuffix)
{
    NetSessionSide twin(net, "Casey");
    ASSERT_TRUE(twin.session->JoinSession("Lake day"));
    ASSERT_TRUE(WaitUntil([&] { return H().GetSlotIds()[2] == twin.session->GetLocalId(); }, {&H()}));
    char name[32];
    ASSERT_TRUE(H().GetPlayerName(2, name, sizeof(name)));
    EXPECT_STREQ(name, "Casey 2");
    C().ChangePlayerName("Robin");
    EXPECT_TRUE(Wait([this] { return Shown(*host, "Casey has changed name to Robin 2."); }));
    ASSERT_TRUE(C().GetPlayerName(1, name, sizeof(name)));
    EXPECT_STREQ(name, "Robin 2");
}

TEST_F(tovDirectPlayPair, LeavingOrKilledPlayersFreeTheirSlotOnTheMainThread)
{
    Deliver(H(), C().GetLocalId(), ClientState(1.0f));
    H().ApplyPlayerStates();
    ASSERT_EQ(host->builtSlots.size(), 1u);
    const plat::NetPlayerId caseyId = C().GetLocalId();
    net.Kill(caseyId);
    // Marked left by the receive thread (in no phase from then on) until the main thread's drain
    // frees the seat.
    ASSERT_TRUE(WaitUntil([this] { return !H().IsPlayerInPhase(0, 1); }, {}));
    EXPECT_TRUE(H().IsSlotActive(1));
    // The line is posted after the mark: it may come a drain later.
    EXPECT_TRUE(WaitUntil([this] { return Shown(*host, "Casey has left the game"); }, {&H()}));
    EXPECT_FALSE(H().IsSlotActive(1));
    EXPECT_EQ(host->retired.size(), 1u);
    // A state of the player's still on its way when it left seats nobody.
    Deliver(H(), caseyId, ClientState(2.0f));
    EXPECT_FALSE(H().IsSlotActive(1)) << "a player heard leave was seated again";
    // The slot is free for the next player.
    NetSessionSide third(net, "Drew");
    ASSERT_TRUE(third.session->JoinSession("Lake day"));
    EXPECT_TRUE(WaitUntil([&] { return third.session->GetLocalSlot() == 1; }, {&H(), third.session.get()}));
}

TEST_F(tovDirectPlayPair, TheClientHostsWhenTheHostIsKilled)
{
    net.Kill(H().GetLocalId());
    ASSERT_TRUE(Wait([this] { return C().IsHost() && Shown(*client, "Robin has left the game"); }));
    EXPECT_EQ(C().GetLocalSlot(), 1);
}

// A cut copy moves on to the next day as a client, and a client's day goes into no parameters.
// Becoming host between the days, it must send the day it stands on, not the old host's last.
TEST_F(tovDirectPlayPair, ACopyThatBecomesHostBetweenTheDaysSendsItsOwnDay)
{
    tovGameSession game;
    ASSERT_TRUE(ParamsArrive([this] { H().SetDay(1, true); }));
    game.SetDay(2, true);
    C().SetLocalPhase(3);
    net.Kill(H().GetLocalId());
    ASSERT_TRUE(Wait([this] { return C().IsHost(); }));
    // What the client, host now, holds is what it sent.
    EXPECT_EQ(C().CopyGameParams().day, 2);
}

// Gone on to its next day's lake as a client, the copy waits there for the host's day when it
// becomes host: the day it publishes is its own, before or after what the move queued has run.
TEST_F(tovDirectPlayPair, ACopyThatBecomesHostOnItsNextDaysLakePublishesItsOwnDay)
{
    tovGameSession game;
    ASSERT_TRUE(ParamsArrive([this] { H().SetDay(1, true); }));
    H().SetLocalPhase(kBetweenDaysPhase);
    game.SetDay(2, true);
    C().SetLocalPhase(kInDayPhase);
    net.Kill(H().GetLocalId());
    // The role is taken in what the move queued, as a wait's next pass serves it.
    ASSERT_TRUE(WaitUntil([this] { return C().IsHost(); }, {&C()}));
    ASSERT_TRUE(C().SyncPhase(kDayParamsPhase, true));
    EXPECT_EQ(C().CopyGameParams().day, 2);
}

// A host change still queued from a session this player has left (its old id, or an id the new
// session gave someone else) makes no host of it: it keeps the seat the host's table gave it.
TEST_F(tovDirectPlayPair, AnOldSessionsHostChangeMakesNoHostOfTheNext)
{
    for (plat::NetPlayerId from : {C().GetLocalId() - 1, C().GetLocalId()})
    {
        C().HandleMessage({plat::NetMessage::Kind::NewHost, from, {}});
        C().DrainMainThreadQueue();
        EXPECT_FALSE(C().IsHost()) << from;
        EXPECT_EQ(C().GetLocalSlot(), 1) << from;
    }
}

// The host numbers each game as it sets it up. A copy inside a game (its day, between two of its
// days, or its weigh-in) drops the phases and states of the host's next game; once its own game is
// closed, or before its first day, it takes the host's number and tells its phase again.
TEST_F(tovDirectPlayPair, EachCopyKeepsToItsOwnGamesPhases)
{
    QuitOnStall watch;
    ASSERT_TRUE(H().BeginGame());
    EXPECT_EQ(H().GetGameNumber(), 1);
    ASSERT_TRUE(Wait([this] { return C().GetGameNumber() == 1; })) << "a copy before its first day takes the number";

    // Inside its game: between two days (3), or in the weigh-in (8).
    for (const int32_t inside : {3, 8})
    {
        SCOPED_TRACE(testing::Message() << "the copy in phase " << inside);
        // The host's answer to the header comes before the host's phase: taken from the host's record
        // while it changed it, it could carry the older phase and come after.
        ASSERT_TRUE(ParamsArrive([&] { C().SetLocalPhase(inside); }));
        H().SetLocalPhase(inside);
        ASSERT_TRUE(Wait([&] { return H().GetPlayerPhase(1) == inside && C().GetPlayerPhase(0) == inside; }));
        const uint32_t dropped = C().GetDroppedCount();
        // The host's next game, as it would reach a copy still inside this one.
        tovNet::GameParamsMsg params;
        params.header.senderSlot = 0;
        params.params = CopyGameParams();
        params.params.phase = 0;
        params.params.game = 2;
        params.ids = C().GetSlotIds();
        tovNet::PlayerHeaderMsg header;
        header.header.senderSlot = 0;
        header.header.game = 2;
        header.phase = 0;
        Deliver(C(), H().GetLocalId(), params.Write());
        Deliver(C(), H().GetLocalId(), header.Write());
        EXPECT_EQ(CopyGameParams().phase, inside) << "the next game's parameters pulled the copy";
        EXPECT_EQ(C().GetPlayerPhase(0), inside) << "the next game's phase taken as the host's";
        EXPECT_EQ(C().GetGameNumber(), 1);
        EXPECT_EQ(C().GetDroppedCount(), dropped) << "another game's messages are not bad ones";
    }
    // Closed, the finalist takes the next game's number from the host's next parameters.
    C().SetLocalPhase(11);
    H().SetLocalPhase(11);
    ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 11; }));
    ASSERT_TRUE(H().BeginGame());
    EXPECT_EQ(H().GetGameNumber(), 2);
    ASSERT_TRUE(Wait([this] { return C().GetGameNumber() == 2; }));
    // A header of the last game, late at the host that has begun the next: dropped too.
    tovNet::PlayerHeaderMsg late;
    late.header.senderSlot = 1;
    late.header.game = 1;
    late.phase = 5;
    Deliver(H(), C().GetLocalId(), late.Write());
    EXPECT_EQ(H().GetPlayerPhase(1), 11);
}

// A copy that said its phase under the last game's number, which the host dropped as it had begun
// the next, says it again once it takes the new number: else the host would hold it in the phase
// it left (here between two days, the set-up told under the old number).
TEST_F(tovDirectPlayPair, ACopyThatTakesTheNextGamesNumberSaysItsPhaseAgain)
{
    C().SetLocalPhase(3);
    H().SetLocalPhase(11);
    ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 3 && C().GetPlayerPhase(0) == 11; }));
    const uint16_t last = H().GetGameNumber();
    // Inside its game, the copy keeps the last number: the host's next game arrives before the
    // line sent after it.
    ASSERT_TRUE(H().BeginGame());
    H().SendChatText("next game", true, nullptr);
    ASSERT_TRUE(Wait([this] { return Shown(*client, "Robin: next game"); }));
    ASSERT_EQ(C().GetGameNumber(), last);
    C().SetLocalPhase(0);
    H().BroadcastGameParams();
    EXPECT_TRUE(Wait([this] { return C().GetGameNumber() == H().GetGameNumber() && H().GetPlayerPhase(1) == 0; }))
        << "the host holds the copy in phase " << H().GetPlayerPhase(1);
}

// A copy that would set up the next game while another still weighs the last one waits (here
// it is told to quit, so the wait ends at once); once that one has closed, it goes on. Still
// weighing: exchanging the day's results (7) as much as closing them (10); the copy that sets up
// leaves its own weigh-in from any of its phases (7, 8 or 10), or the other would wait for it.
TEST_F(tovDirectPlayPair, NoNewGameWhileAnotherStillWeighsTheLast)
{
    QuitOnStall watch;
    plat::RecordingDebugSink debug;
    plat::SetDebugSink(&debug);
    uint16_t game = 0;
    struct Row
    {
        int32_t weighing;
        // The phase of the copy that sets up: the weigh-in it leaves, exchanging or closing.
        int32_t own;
    };
    for (const Row row : {Row{7, 8}, Row{10, 7}, Row{7, 10}})
    {
        const int32_t weighing = row.weighing;
        SCOPED_TRACE(testing::Message() << "the other copy in phase " << weighing << ", this one in " << row.own);
        C().SetLocalPhase(weighing);
        H().SetLocalPhase(row.own);
        ASSERT_TRUE(Wait([&] { return H().GetPlayerPhase(1) == weighing && C().GetPlayerPhase(0) == row.own; }));
        qrxBaseApp::SetQuitFlag(true);
        EXPECT_FALSE(H().BeginGame()) << "set up while the other copy was still in its weigh-in";
        qrxBaseApp::SetQuitFlag(false);
        EXPECT_EQ(H().GetGameNumber(), game);
        // Gone from its own weigh-in, the waiting copy holds nobody in theirs.
        EXPECT_TRUE(Wait([this] { return C().GetPlayerPhase(0) == 11; }));
        C().SetLocalPhase(11);
        ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 11; }));
        EXPECT_TRUE(H().BeginGame());
        EXPECT_EQ(H().GetGameNumber(), ++game);
        ASSERT_TRUE(Wait([&] { return C().GetGameNumber() == game; }));
        // The client's own set-up waits on nobody: the host is between games.
        EXPECT_TRUE(C().BeginGame());
        EXPECT_EQ(C().GetGameNumber(), game) << "only the host numbers games";
    }
    for (const std::string& line : debug.Lines())
        EXPECT_EQ(line.find("more than four"), std::string::npos) << line;
    plat::SetDebugSink(nullptr);
}

// A parameters message as it left a session, and to whom.
struct SentParams
{
    plat::NetPlayerId to;
    tovNetworkPlay::GAMEPARAMS params;
};

// The parameters a session sends, kept as they leave it;
// and, when asked, the type of every message it sends with the guarantee it asks of the link.
// While guaranteedOnly is set it sends nothing unguaranteed and says so, as a link does while its
// player comes back to a new host.
class ParamsTap : public plat::NetSession
{
public:
    struct Flags
    {
        std::mutex mutex;
        std::map<uint8_t, std::set<bool>> guaranteed;
        std::map<uint8_t, int32_t> counts;
        std::atomic<bool> guaranteedOnly{false};
        std::set<bool> Of(uint8_t type)
        {
            std::scoped_lock guard(mutex);
            return guaranteed[type];
        }
        int32_t Count(uint8_t type)
        {
            std::scoped_lock guard(mutex);
            return counts[type];
        }
    };
    ParamsTap(std::unique_ptr<plat::NetSession> inner, std::vector<SentParams>& sent, Flags* flags = nullptr)
        : m_inner(std::move(inner)), m_sent(sent), m_flags(flags)
    {
    }
    std::vector<plat::NetSessionInfo> Enumerate(int32_t timeoutMs) override { return m_inner->Enumerate(timeoutMs); }
    bool Host(const std::string& sessionName, const std::string& address, int32_t maxPlayers,
              const std::string& playerName) override
    {
        return m_inner->Host(sessionName, address, maxPlayers, playerName);
    }
    bool Join(const std::string& address, const std::string& playerName) override
    {
        return m_inner->Join(address, playerName);
    }
    plat::NetJoinFailure GetJoinFailure() const override { return m_inner->GetJoinFailure(); }
    void Close() override { m_inner->Close(); }
    plat::NetPlayerId GetLocalId() const override { return m_inner->GetLocalId(); }
    bool IsHost() const override { return m_inner->IsHost(); }
    plat::NetPlayerId GetHostId() const override { return m_inner->GetHostId(); }
    bool HasPlayer(plat::NetPlayerId id) const override { return m_inner->HasPlayer(id); }
    std::string GetAddress() const override { return m_inner->GetAddress(); }
    std::string GetPlayerName(plat::NetPlayerId id) const override { return m_inner->GetPlayerName(id); }
    bool SetPlayerName(const std::string& name) override { return m_inner->SetPlayerName(name); }
    void SetJoinable(bool joinable) override { m_inner->SetJoinable(joinable); }
    bool Send(plat::NetPlayerId to, const uint8_t* data, size_t size, bool guaranteed) override
    {
        if (m_flags != nullptr && size > 0)
        {
            std::scoped_lock guard(m_flags->mutex);
            m_flags->guaranteed[data[0]].insert(guaranteed);
            ++m_flags->counts[data[0]];
            if (!guaranteed && m_flags->guaranteedOnly.load())
                return false;
        }
        tovNet::GameParamsMsg msg;
        if (size > 0 && (data[0] == tovNet::kParamsFull || data[0] == tovNet::kParamsUpdate) && msg.Read(data, size))
            m_sent.push_back({to, msg.params});
        return m_inner->Send(to, data, size, guaranteed);
    }
    bool Receive(plat::NetMessage& out, int32_t timeoutMs) override { return m_inner->Receive(out, timeoutMs); }
    void Wake() override { m_inner->Wake(); }

private:
    std::unique_ptr<plat::NetSession> m_inner;
    std::vector<SentParams>& m_sent;
    Flags* m_flags;
};

// A transport whose word of a move is ahead of the game's, as where the move's news wait in the
// queue: the host has stepped down (its transport names another host) and hears the players its
// new host lists before the word of the move; a copy seated anew by a new host has a new id. The
// stepped-down host seats nobody itself (the new host's table does), and the copy seated anew
// speaks and is seated as its new id from the word of the move on.
TEST(tovDirectPlayMove, ACopyFollowsItsTransportsWordOfTheMove)
{
    class Ahead : public ParamsTap
    {
    public:
        using ParamsTap::ParamsTap;
        std::atomic<plat::NetPlayerId> id{0};
        std::atomic<plat::NetPlayerId> host{0};
        plat::NetPlayerId GetLocalId() const override { return id.load() != 0 ? id.load() : ParamsTap::GetLocalId(); }
        plat::NetPlayerId GetHostId() const override { return host.load() != 0 ? host.load() : ParamsTap::GetHostId(); }
        // The id a copy had before it was seated anew is nobody's.
        bool HasPlayer(plat::NetPlayerId player) const override
        {
            return player != old.load() && ParamsTap::HasPlayer(player);
        }
        std::atomic<plat::NetPlayerId> old{0};
    };
    plat::LoopbackNetwork net;
    std::vector<SentParams> sent;
    auto hostOwned = std::make_unique<Ahead>(net.CreateSession(), sent);
    auto clientOwned = std::make_unique<Ahead>(net.CreateSession(), sent);
    Ahead& hostTransport = *hostOwned;
    Ahead& clientTransport = *clientOwned;
    NetSessionSide host(std::move(hostOwned), "Robin");
    NetSessionSide client(std::move(clientOwned), "Casey");
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *client.session;
    ASSERT_TRUE(h.HostSession("Lake day", ""));
    ASSERT_TRUE(c.JoinSession("Lake day"));
    ASSERT_TRUE(WaitUntil([&] { return c.GetLocalSlot() == 1 && c.HasHeaderOf(0); }, {&h, &c}));
    ASSERT_TRUE(HostsAnswerCame(h, c));

    hostTransport.host = c.GetLocalId();
    h.HandleMessage({plat::NetMessage::Kind::PlayerCreated, c.GetLocalId() + 5, {}});
    h.DrainMainThreadQueue();
    EXPECT_FALSE(h.IsSlotActive(2)) << "a host that stepped down seated a player itself";

    const plat::NetPlayerId renumbered = c.GetLocalId() + 7;
    clientTransport.old = c.GetLocalId();
    clientTransport.id = renumbered;
    c.HandleMessage({plat::NetMessage::Kind::NewHost, h.GetLocalId(), {}});
    EXPECT_EQ(c.GetLocalId(), renumbered);
    EXPECT_EQ(c.GetPlayerId(tovNetworkPlay::kLocalSlot), renumbered) << "the seat kept the old id";
    EXPECT_EQ(c.GetSlotIds()[1], renumbered);
}

// After a final the host's parameters hold its closed phase on the last day. Its next game begins
// at its set-up, in one message: every parameters message from then on names the new game with the
// set-up's phase and day 0, from the first. A copy that read the new number with the closed phase
// or the last day (or day 0 with the closed phase) would take the host's game for one under way.
TEST(tovDirectPlayNextGame, TheHostsNextGameBeginsInOneMessage)
{
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    {
        QuitOnStall watch;
        plat::LoopbackNetwork net;
        std::vector<SentParams> sent;
        NetSessionSide host(std::make_unique<ParamsTap>(net.CreateSession(), sent), "Robin");
        NetSessionSide client(net, "Casey");
        tovDirectPlay& h = *host.session;
        tovDirectPlay& c = *client.session;
        const auto wait = [&](const std::function<bool()>& done) { return WaitUntil(done, {&h, &c}); };
        ASSERT_TRUE(h.HostSession("Lake day", ""));
        ASSERT_TRUE(c.JoinSession("Lake day"));
        ASSERT_TRUE(wait([&] { return c.GetLocalSlot() == 1 && c.HasHeaderOf(0); }));
        // A tournament of two days, closed on its last.
        h.SetSetting1(1, true);
        h.SetDay(2, true);
        c.SetLocalPhase(11);
        h.SetLocalPhase(11);
        ASSERT_TRUE(wait([&] { return h.GetPlayerPhase(1) == 11 && c.GetPlayerPhase(0) == 11; }));
        const uint16_t last = h.GetGameNumber();
        sent.clear();
        // The set-up's steps: the new game, then every player reset to the set-up.
        ASSERT_TRUE(h.BeginGame());
        h.ResetPlayerStates(0);
        ASSERT_TRUE(wait([&] { return c.GetGameNumber() == last + 1 && c.GetPlayerPhase(0) == 0; }));
        ASSERT_FALSE(sent.empty());
        for (const SentParams& one : sent)
        {
            EXPECT_EQ(one.params.game, last + 1);
            EXPECT_EQ(one.params.phase, 0);
            EXPECT_EQ(one.params.day, 0);
        }
        EXPECT_EQ(c.GetHostGame(), tovNetworkPlay::HostGame::kNotBegun);
        // A day 0 written alone (a set-up's accept) takes no day's or weigh-in's phase beside it.
        h.SetLocalPhase(kClosedPhase);
        ASSERT_EQ(h.CopyGameParams().phase, kClosedPhase);
        h.SetDay(0, false);
        EXPECT_EQ(h.CopyGameParams().phase, kSetUpPhase);
    }
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

// A host that stands in a phase it has not published (a new host may, until its duty is done) is
// asked for its parameters once an answer's gap, however often a copy's screen asks: more, and its
// relay filter tells a flood.
TEST(tovDirectPlayAsk, ACopyAsksAReadyHostOnceAnAnswersGap)
{
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    {
        plat::LoopbackNetwork net;
        std::vector<SentParams> sent;
        ParamsTap::Flags flags;
        // The link's clock stands still: every ask falls in one gap. Nothing is held for its turn.
        plat::ManualClock link;
        EveryTurnClock turns;
        NetSessionSide host(net, "Robin");
        NetSessionSide client(std::make_unique<ParamsTap>(net.CreateSession(), sent, &flags), "Casey");
        tovDirectPlay& h = *host.session;
        tovDirectPlay& c = *client.session;
        c.SetLinkClock(&link);
        c.SetSendClock(&turns);
        ASSERT_TRUE(h.HostSession("Lake day", ""));
        ASSERT_TRUE(c.JoinSession("Lake day"));
        ASSERT_TRUE(WaitUntil([&] { return c.GetLocalSlot() == 1 && c.HasHeaderOf(0); }, {&h, &c}));
        // The host says it is on the lake; its parameters still name the set-up.
        tovNet::PlayerHeaderMsg header;
        header.header.senderSlot = 0;
        header.phase = kInDayPhase;
        c.HandleMessage({plat::NetMessage::Kind::App, h.GetLocalId(), header.Write()});
        ASSERT_EQ(c.GetPlayerPhase(0), kInDayPhase);
        const int32_t before = flags.Count(tovNet::kPlayerHeader);
        for (int32_t call = 0; call < 4; ++call)
            EXPECT_FALSE(c.SyncPhase(kDayParamsPhase, true));
        EXPECT_EQ(flags.Count(tovNet::kPlayerHeader) - before, 1);
    }
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

// Counts its readings: a wait reads the link's clock on every pass.
class CountingClock : public plat::Clock
{
public:
    double Seconds() const override { return 0.0; }
    uint32_t TickMs() const override
    {
        ++m_reads;
        return 0;
    }
    uint64_t Nanoseconds() const override { return 0; }
    uint32_t Reads() const { return m_reads.load(); }

private:
    mutable std::atomic<uint32_t> m_reads{0};
};

// After a move a copy that waits for the new host's day says nothing more until it has heard that
// host: its move's header speaks for it, and what it said meanwhile would reach the new host as a
// burst once the link is up.
TEST(tovDirectPlayAsk, ACopySaysNothingAgainBeforeItHearsTheNewHost)
{
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    {
        plat::LoopbackNetwork net;
        std::vector<SentParams> sent;
        ParamsTap::Flags flags;
        CountingClock link;
        EveryTurnClock turns;
        NetSessionSide robin(net, "Robin");
        NetSessionSide casey(net, "Casey");
        NetSessionSide drew(std::make_unique<ParamsTap>(net.CreateSession(), sent, &flags), "Drew");
        tovDirectPlay& r = *robin.session;
        tovDirectPlay& c = *casey.session;
        tovDirectPlay& d = *drew.session;
        d.SetLinkClock(&link);
        d.SetSendClock(&turns);
        SetNetworkPlay(nullptr);
        ASSERT_TRUE(r.HostSession("Lake day", ""));
        ASSERT_TRUE(c.JoinSession("Lake day"));
        ASSERT_TRUE(WaitUntil([&] { return c.GetLocalSlot() == 1; }, {&r, &c}));
        ASSERT_TRUE(d.JoinSession("Lake day"));
        ASSERT_TRUE(WaitUntil([&] { return d.GetLocalSlot() == 2 && c.IsSlotActive(2); }, {&r, &c, &d}));
        // Both stand on the lake, waiting for Robin's day.
        c.SetLocalPhase(kInDayPhase);
        d.SetLocalPhase(kInDayPhase);
        ASSERT_TRUE(WaitUntil([&] { return d.GetPlayerPhase(1) == kInDayPhase; }, {&r, &c, &d}));
        const int32_t before = flags.Count(tovNet::kPlayerHeader);
        net.Kill(r.GetLocalId());
        // Drew's move: its header goes out; Casey, the new host, says nothing yet.
        ASSERT_TRUE(WaitUntil([&] { return flags.Count(tovNet::kPlayerHeader) == before + 1; }, {&d}));
        QuitOnStall watchdog;
        const uint32_t reads = link.Reads();
        bool through = false;
        std::thread waits([&] { through = d.WaitForHostPhase(kDayParamsPhase); });
        // Past the wait's first word and its twentieth pass, each reading the clock once a slot.
        EXPECT_TRUE(WaitUntil([&] { return link.Reads() >= reads + 22 * tovNet::kSlots; }, {}));
        EXPECT_EQ(flags.Count(tovNet::kPlayerHeader), before + 1);
        ASSERT_TRUE(WaitUntil([&] { return c.IsHost(); }, {&c}));
        EXPECT_TRUE(WaitUntil([&] { return c.SyncPhase(kDayParamsPhase, true); }, {&c}));
        waits.join();
        watchdog.Finish();
        EXPECT_TRUE(through);
    }
    qrxBaseApp::SetQuitFlag(false);
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

// Every message a session hands its link, recorded by the tap on the sessions a test makes with
// Tapped(); the program's parameters start empty and are left so.
class tovDirectPlaySends : public ::testing::Test
{
protected:
    void SetUp() override { StoreGameParams(tovNetworkPlay::GAMEPARAMS()); }
    void TearDown() override { StoreGameParams(tovNetworkPlay::GAMEPARAMS()); }
    std::unique_ptr<plat::NetSession> Tapped()
    {
        return std::make_unique<ParamsTap>(net.CreateSession(), sent, &flags);
    }

    QuitOnStall watch;
    plat::LoopbackNetwork net;
    std::vector<SentParams> sent;
    ParamsTap::Flags flags;
};

// A lost message is sent again only when it went guaranteed: the parameters, the header and a
// new name are; the rest (pings, states, events, chat) are outdated by the next or may be lost.
// Each kind as a session hands it to its link, held ones at their turn too.
TEST_F(tovDirectPlaySends, OnlyParametersHeadersAndNamesGoGuaranteed)
{
    NetSessionSide host(Tapped(), "Robin");
    NetSessionSide client(Tapped(), "Casey");
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *client.session;
    ASSERT_TRUE(HostAndJoin(h, c));
    tovGameSession game;
    QrPointer<tovAnglerRigBase> local(new NetTestRig);
    game.AddAngler(local.Get(), true);
    c.ApplyPlayerStates();
    c.SendOwnPlayerState();
    c.SendThrottle(0.5f);
    c.SendChatText("tight lines", true, nullptr);
    c.ChangePlayerName("Casey Lee");
    c.Ping(tovNetworkPlay::kLocalSlot);
    h.BroadcastGameParams();
    const struct
    {
        uint8_t type;
        bool guaranteed;
    } kinds[] = {{tovNet::kPing, false},        {tovNet::kParamsFull, true},   {tovNet::kParamsUpdate, true},
                 {tovNet::kPlayerHeader, true}, {tovNet::kPlayerState, false}, {tovNet::kEvent, false},
                 {tovNet::kChatText, false},    {tovNet::kNameChanged, true}};
    for (const auto& kind : kinds)
    {
        ASSERT_TRUE(WaitUntil([&] { return !flags.Of(kind.type).empty(); }, {&h, &c}))
            << "no message of type " << int(kind.type) << " was sent";
        EXPECT_EQ(flags.Of(kind.type), std::set<bool>{kind.guaranteed}) << "type " << int(kind.type);
    }
    game.RemoveAngler(local.Get());
}

// A chat line shown where it was typed reaches the others while its link takes only guaranteed
// messages (its player coming back to a new host): there it goes guaranteed.
TEST_F(tovDirectPlaySends, AChatLineWaitsForALinkTakingOnlyGuaranteedMessages)
{
    NetSessionSide host(net, "Robin");
    NetSessionSide client(Tapped(), "Casey");
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *client.session;
    ASSERT_TRUE(HostAndJoin(h, c));
    flags.guaranteedOnly = true;
    c.SendChatText("held for the new host", false, nullptr);
    const std::string line = "Casey: held for the new host";
    EXPECT_TRUE(WaitUntil([&] { return std::count(host.lines.begin(), host.lines.end(), line) == 1; }, {&h, &c}));
}

// A copy whose host has moved says nothing again until it has heard the new host: its link takes
// it back meanwhile and would hand the new host every header said again at once, a flood. Casey,
// the new host, stands in its day; Drew, waiting for the day's parameters, would ask it for them.
TEST_F(tovDirectPlaySends, NoHeaderIsSaidAgainBeforeTheNewHostIsHeard)
{
    NetSessionSide host(net, "Robin");
    NetSessionSide caseySide(net, "Casey");
    NetSessionSide drewSide(Tapped(), "Drew");
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *caseySide.session;
    tovDirectPlay& d = *drewSide.session;
    ASSERT_TRUE(HostAndJoinThree(h, c, d));
    c.SetLocalPhase(kInDayPhase);
    ASSERT_TRUE(WaitUntil([&] { return d.GetPlayerPhase(1) == kInDayPhase; }, {&h, &c, &d}));
    // Casey's frames are not served: what its move queued (its word to all) waits.
    const int32_t beforeMove = flags.Count(tovNet::kPlayerHeader);
    net.Kill(h.GetLocalId());
    ASSERT_TRUE(
        WaitUntil([&] { return d.GetPlayerId(0) == 0 && flags.Count(tovNet::kPlayerHeader) > beforeMove; }, {&d}))
        << "Drew's own word on the move";
    const int32_t before = flags.Count(tovNet::kPlayerHeader);
    EXPECT_FALSE(d.SyncPhase(kDayParamsPhase, true));
    EXPECT_EQ(flags.Count(tovNet::kPlayerHeader), before) << "said again before the new host was heard";
    c.SendPlayerHeader();
    EXPECT_TRUE(WaitUntil(
        [&] { return !d.SyncPhase(kDayParamsPhase, true) && flags.Count(tovNet::kPlayerHeader) == before + 1; }, {}));
}

// Lakes are offered only where every player has them installed: each copy reads its own lakes
// when it hosts or joins, and the others' from their headers. Here the host has ids 0, 2 and 5
// and the joiner 2, 5 and 9.
TEST(tovDirectPlayLakes, OnlyTheLakesEveryPlayerHasAreCommon)
{
    const std::string installRoot = GetInstallRoot();
    testfiles::TempDir hostLakes;
    testfiles::TempDir joinerLakes;
    const auto install = [](const testfiles::TempDir& root, std::initializer_list<int> ids)
    {
        std::filesystem::create_directories(root.File("Lakes"));
        for (const int id : ids)
        {
            const std::string text = std::to_string(id);
            tools::PackContents contents;
            contents.Add({0x80000007, 72, 0, {}, std::vector<uint8_t>(text.begin(), text.end())}, {0});
            std::string error;
            ASSERT_TRUE(tools::WritePackFiles(contents, root.File("Lakes/Lake" + text), error)) << error;
        }
    };
    install(hostLakes, {0, 2, 5});
    install(joinerLakes, {2, 5, 9});
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    {
        SessionPair pair;
        SetInstallRoot(hostLakes.Path());
        TheLakeCatalogue().Clear();
        ASSERT_EQ(TheLakeCatalogue().GetLakeMask(), 0b100101u);
        ASSERT_TRUE(pair.h.HostSession("Lake day", ""));
        SetInstallRoot(joinerLakes.Path());
        TheLakeCatalogue().Clear();
        ASSERT_TRUE(pair.c.JoinSession("Lake day"));
        ASSERT_TRUE(WaitUntil([&] { return pair.c.GetLocalSlot() == 1 && pair.c.HasHeaderOf(0); }, {&pair.h, &pair.c}));
        // The joiner's header, as its set-up tells its phase.
        pair.c.SetLocalPhase(0);
        ASSERT_TRUE(WaitUntil([&] { return pair.h.HasHeaderOf(1); }, {&pair.h, &pair.c}));
        EXPECT_EQ(pair.h.GetCommonLakeMask(), 0b100100u);
        EXPECT_EQ(pair.c.GetCommonLakeMask(), 0b100100u);
    }
    TheLakeCatalogue().Clear();
    SetInstallRoot(installRoot);
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
}

// A cut copy leaves its final's board at once, before it has closed the results, and sets up the
// next game while the finalist still weighs: its set-up waits until the finalist has closed the
// final (which it does without waiting on the cut copy), and the finalist then sets up the next
// game too, under a new number; nobody floods the host with requests meanwhile.
TEST_F(tovDirectPlayPair, ACopyThatSetsUpEarlyHoldsNoFinalist)
{
    QuitOnStall watch;
    plat::RecordingDebugSink debug;
    plat::SetDebugSink(&debug);
    constexpr int32_t kResultsTaken = 8;
    uint16_t game = 0;
    // The cut copy leaves from either phase of the results' exchange.
    for (const int32_t cutPhase : {kResultsTaken, 7})
    {
        SCOPED_TRACE(testing::Message() << "the cut copy in phase " << cutPhase);
        H().SetLocalPhase(kResultsTaken);
        C().SetLocalPhase(cutPhase);
        ASSERT_TRUE(Wait([&] { return H().GetPlayerPhase(1) == cutPhase && C().GetPlayerPhase(0) == kResultsTaken; }));
        int32_t finalistAtSetUp = -1;
        std::thread cut(
            [&]
            {
                EXPECT_TRUE(C().BeginGame());
                finalistAtSetUp = C().GetPlayerPhase(0);
                C().ResetPlayerStates(0);
            });
        const bool closed = H().WaitForPhase(10, 11, 0, 0);
        cut.join();
        EXPECT_TRUE(closed) << "the finalist did not close its final";
        EXPECT_EQ(H().GetPlayerPhase(tovNetworkPlay::kLocalSlot), 11);
        EXPECT_EQ(finalistAtSetUp, 11) << "the cut copy set up the next game while the finalist still weighed";
        ASSERT_TRUE(H().BeginGame());
        ++game;
        ASSERT_TRUE(Wait([&] { return C().GetGameNumber() == game && H().GetPlayerPhase(1) == 0; }));
    }
    for (const std::string& line : debug.Lines())
        EXPECT_EQ(line.find("more than four"), std::string::npos) << line;
    plat::SetDebugSink(nullptr);
}

// Every received type truncated, padded, from a slot not the sender's, and with values out of
// range: each is dropped and counted, and nothing of it is taken. Sent with no slot, it is taken.
TEST_F(tovDirectPlayPair, BadMessagesAreDroppedAndCounted)
{
    const plat::NetPlayerId clientId = C().GetLocalId();
    const plat::NetPlayerId hostId = H().GetLocalId();
    auto fromClient = [](auto msg)
    {
        msg.header.senderSlot = 1;
        return msg.Write();
    };
    tovNet::EventMsg throttle;
    throttle.kind = tovNet::EventMsg::kThrottle;
    tovNet::ChatTextMsg chat;
    chat.SetText("hi");
    std::vector<std::vector<uint8_t>> good = {
        fromClient(tovNet::PingMsg()),
        fromClient(tovNet::PlayerHeaderMsg()),
        ClientState(1.0f),
        fromClient(throttle),
        fromClient(chat),
        fromClient(tovNet::NameChangedMsg()),
    };
    uint32_t expected = H().GetDroppedCount();
    for (const auto& message : good)
    {
        SCOPED_TRACE(int(message[0]));
        // Every message has bytes: GCC 12 at -O3 fears the copy and the byte taken off run outside it.
        QR_GCC_STRING_BOUNDS_OFF
        auto truncated = message;
        truncated.pop_back();
        QR_GCC_STRING_BOUNDS_ON
        auto padded = message;
        padded.push_back(0);
        auto badSlot = message;
        badSlot[1] = 3;
        for (const auto& bad : {truncated, padded, badSlot})
        {
            Deliver(H(), clientId, bad);
            EXPECT_EQ(H().GetDroppedCount(), ++expected);
        }
        Deliver(H(), clientId, message);
        EXPECT_EQ(H().GetDroppedCount(), expected);
        // Sent before the host's table reached the client: no slot yet, and still taken.
        auto noSlotYet = message;
        noSlotYet[1] = tovNet::kNoSlot;
        Deliver(H(), clientId, noSlotYet);
        EXPECT_EQ(H().GetDroppedCount(), expected);
    }
    // Out of range: unknown types, an event kind, a species, a phase; parameters from a client.
    auto event = fromClient(throttle);
    event[16] = 9;
    auto header = fromClient(tovNet::PlayerHeaderMsg());
    header[28] = 40;
    auto state = ClientState(1.0f);
    state[8 + 148] = 99;
    tovNet::GameParamsMsg params;
    params.header.senderSlot = 1;
    params.ids = {hostId, clientId, 0, 0, 0};
    // The trolling motor's command 0..5 and level -1..9, each field whole.
    auto tackle = [&](int32_t first, int32_t second)
    {
        tovNet::EventMsg e;
        e.kind = tovNet::EventMsg::kTackleChoice;
        e.word = (static_cast<uint32_t>(first) & 0xFFFF) | static_cast<uint32_t>(second) << 16;
        return fromClient(e);
    };
    for (const auto& fine : {tackle(0, -1), tackle(5, 9)})
    {
        Deliver(H(), clientId, fine);
        EXPECT_EQ(H().GetDroppedCount(), expected);
    }
    const std::vector<std::vector<uint8_t>> outOfRange = {
        {0},
        {9, 1, 0, 0, 0, 0, 0, 0},
        {},
        event,
        header,
        state,
        params.Write(),
        tackle(-1, 3),
        tackle(6, 3),
        tackle(3, -2),
        tackle(3, 10),
    };
    for (const auto& bad : outOfRange)
    {
        Deliver(H(), clientId, bad);
        EXPECT_EQ(H().GetDroppedCount(), ++expected);
    }
    // On the client: parameters that do not name their sender, or name one id twice.
    params.header.senderSlot = 0;
    params.ids = {clientId, clientId, 0, 0, 0};
    uint32_t clientDropped = C().GetDroppedCount();
    Deliver(C(), hostId, params.Write());
    EXPECT_EQ(C().GetDroppedCount(), ++clientDropped);
    params.ids = {hostId + 100, clientId, 0, 0, 0};
    Deliver(C(), hostId, params.Write());
    EXPECT_EQ(C().GetDroppedCount(), ++clientDropped);
    auto truncatedParams = params.Write();
    truncatedParams.resize(471);
    Deliver(C(), hostId, truncatedParams);
    EXPECT_EQ(C().GetDroppedCount(), ++clientDropped);
}

// Messages in the local player's own name (a relay's echo, a forged sender) are dropped: none
// may set this player's phase, say a line for it or move its boat.
TEST_F(tovDirectPlayPair, MessagesInThePlayersOwnNameAreDropped)
{
    C().SetLocalPhase(2);
    tovNet::PlayerHeaderMsg header;
    header.phase = 9;
    tovNet::ChatTextMsg chat;
    chat.SetText("not me");
    tovNet::EventMsg throttle;
    throttle.kind = tovNet::EventMsg::kThrottle;
    throttle.values[0] = 1.0f;
    const plat::NetPlayerId own = C().GetLocalId();
    uint32_t dropped = C().GetDroppedCount();
    for (std::vector<uint8_t> bytes : {header.Write(), chat.Write(), throttle.Write(), ClientState(7.0f)})
    {
        SCOPED_TRACE(int(bytes[0]));
        bytes[1] = 1;
        Deliver(C(), own, bytes);
        EXPECT_EQ(C().GetDroppedCount(), ++dropped);
    }
    C().DrainMainThreadQueue();
    EXPECT_EQ(C().GetPlayerPhase(tovNetworkPlay::kLocalSlot), 2);
    EXPECT_FALSE(Shown(*client, "Casey: not me"));
}

// Four copies before the day: every copy lists every player in the host's slots, and the
// earlier players are told of each later one.
TEST_F(tovDirectPlayPair, EveryCopyListsEveryPlayer)
{
    NetSessionSide drew(net, "Drew");
    ASSERT_TRUE(drew.session->JoinSession("Lake day"));
    ASSERT_TRUE(WaitUntil([&] { return drew.session->GetLocalSlot() == 2; }, {&H(), &C(), drew.session.get()}));
    NetSessionSide eli(net, "Eli");
    ASSERT_TRUE(eli.session->JoinSession("Lake day"));
    const std::vector<tovDirectPlay*> copies = {&H(), &C(), drew.session.get(), eli.session.get()};
    const auto agree = [&]
    {
        for (tovDirectPlay* copy : copies)
            if (copy->GetSlotIds() != H().GetSlotIds())
                return false;
        return H().GetSlotIds()[3] != 0;
    };
    const auto told = [&]
    {
        return Shown(*client, "Drew has joined the game") && Shown(*client, "Eli has joined the game") &&
               Shown(drew, "Eli has joined the game");
    };
    EXPECT_TRUE(WaitUntil([&] { return agree() && told(); }, {&H(), &C(), drew.session.get(), eli.session.get()}));
    EXPECT_TRUE(agree());
    EXPECT_TRUE(told());
    EXPECT_EQ(eli.session->GetLocalSlot(), 3);

    // A table that swaps two players moves them on the copy and tells of neither again.
    std::array<plat::NetPlayerId, tovNet::kSlots> swapped = H().GetSlotIds();
    std::swap(swapped[2], swapped[3]);
    tovNet::GameParamsMsg table;
    table.header.senderSlot = 0;
    table.ids = swapped;
    Deliver(C(), H().GetLocalId(), table.Write());
    C().DrainMainThreadQueue();
    EXPECT_EQ(C().GetSlotIds(), swapped);
    EXPECT_EQ(std::count(client->lines.begin(), client->lines.end(), "Drew has joined the game"), 1);
    EXPECT_EQ(std::count(client->lines.begin(), client->lines.end(), "Eli has joined the game"), 1);
}

// A joiner that speaks before its seat reaches a client (its state names a slot of its own
// choosing) is not seated by that client; and where the client had it seated elsewhere, the
// host's table moves it. Every copy has it where the host put it, told of it once.
TEST_F(tovDirectPlayPair, OnlyTheHostsTableSeatsPlayers)
{
    NetSessionSide drew(net, "Drew");
    ASSERT_TRUE(drew.session->JoinSession("Lake day"));
    const plat::NetPlayerId drewId = drew.session->GetLocalId();
    // The host has seated Drew but sent no table yet: its queue is not drained.
    ASSERT_TRUE(WaitUntil([&] { return H().GetSlotIds()[2] == drewId; }, {}));
    tovNet::PlayerStateMsg state;
    state.header.senderSlot = 4;
    state.state.m_paintScheme = 0;
    uint32_t dropped = C().GetDroppedCount();
    Deliver(C(), drewId, state.Write());
    EXPECT_EQ(C().GetDroppedCount(), ++dropped) << "from a player no table seats";
    EXPECT_FALSE(C().IsSlotActive(4));

    tovNet::GameParamsMsg stale;
    stale.header.senderSlot = 0;
    stale.ids = {H().GetLocalId(), C().GetLocalId(), 0, 0, drewId};
    Deliver(C(), H().GetLocalId(), stale.Write());
    ASSERT_EQ(C().GetSlotIds()[4], drewId);
    EXPECT_TRUE(WaitUntil(
        [&] { return C().GetSlotIds() == H().GetSlotIds() && drew.session->GetSlotIds() == H().GetSlotIds(); },
        {&H(), &C(), drew.session.get()}));
    EXPECT_FALSE(C().IsSlotActive(4));
    EXPECT_EQ(std::count(client->lines.begin(), client->lines.end(), "Drew has joined the game"), 1);
    // The seat it named is no seat of its own anywhere.
    Deliver(C(), drewId, state.Write());
    EXPECT_EQ(C().GetDroppedCount(), ++dropped);
}

// A player that is not the transport's host speaks for no table: it cannot seat a phantom
// on the clients. The host's own table seats only players its transport knows, and after a
// host change the new host is the one that speaks.
TEST_F(tovDirectPlayPair, OnlyTheTransportsHostSpeaksForTheTable)
{
    NetSessionSide third(net, "Drew");
    tovDirectPlay& drew = *third.session;
    ASSERT_TRUE(drew.JoinSession("Lake day"));
    ASSERT_TRUE(WaitUntil([&] { return drew.GetLocalSlot() == 2; }, {&H(), &drew}));
    // The client learns of Drew from the table the host sends everyone on a join.
    ASSERT_TRUE(WaitUntil([&] { return C().IsSlotActive(2); }, {&H(), &C(), &drew}));
    const plat::NetPlayerId hostId = H().GetLocalId();
    const plat::NetPlayerId clientId = C().GetLocalId();
    const plat::NetPlayerId drewId = drew.GetLocalId();
    const plat::NetPlayerId phantom = drewId + 50;
    auto table = [](uint8_t slot, std::array<uint32_t, tovNet::kSlots> ids)
    {
        tovNet::GameParamsMsg msg;
        msg.header.senderSlot = slot;
        msg.ids = ids;
        return msg.Write();
    };
    uint32_t dropped = C().GetDroppedCount();
    // Drew names itself at its own slot as a host would.
    Deliver(C(), drewId, table(2, {hostId, clientId, drewId, phantom, 0}));
    EXPECT_EQ(C().GetDroppedCount(), ++dropped);
    EXPECT_FALSE(C().IsSlotActive(3));
    Deliver(C(), hostId, table(0, {hostId, clientId, drewId, phantom, 0}));
    EXPECT_EQ(C().GetDroppedCount(), dropped);
    EXPECT_FALSE(C().IsSlotActive(3)) << "no player of that id in the session";
    // The host's table seats the client itself where it says.
    Deliver(C(), hostId, table(0, {hostId, 0, drewId, clientId, 0}));
    EXPECT_EQ(C().GetLocalSlot(), 3);
    EXPECT_FALSE(C().IsSlotActive(1));
    // A frame naming the client itself as gone does not take its seat.
    C().HandleMessage({plat::NetMessage::Kind::PlayerDestroyed, clientId, {}});
    EXPECT_FALSE(C().IsPlayerInPhase(4, tovNetworkPlay::kLocalSlot));
    EXPECT_TRUE(C().IsSlotActive(3));
    EXPECT_EQ(C().GetSlotIds()[3], clientId);

    net.Kill(hostId);
    ASSERT_TRUE(WaitUntil([&] { return C().IsHost(); }, {&C(), &drew}));
    dropped = drew.GetDroppedCount();
    Deliver(drew, hostId, table(0, {hostId, clientId, drewId, 0, 0}));
    EXPECT_EQ(drew.GetDroppedCount(), ++dropped);
    Deliver(drew, clientId, table(1, {0, clientId, drewId, 0, 0}));
    EXPECT_EQ(drew.GetDroppedCount(), dropped);
}

// Players who come and go while the host stands on a screen that applies no states (the
// start of a day): the application's per-frame phase check frees each seat, and the next
// player is seated.
TEST_F(tovDirectPlayPair, PlayersWhoComeAndGoBeforeTheDayFreeTheirSeats)
{
    for (int cycle = 0; cycle < 4; ++cycle)
    {
        const std::string name = "Guest " + std::to_string(cycle);
        {
            NetSessionSide guest(net, name);
            ASSERT_TRUE(guest.session->JoinSession("Lake day"));
            tovDirectPlay* g = guest.session.get();
            ASSERT_TRUE(WaitUntil([&] { return g->GetLocalSlot() != tovNetworkPlay::kLocalSlot; }, {&H(), g}));
            ASSERT_EQ(g->GetLocalSlot(), 2) << cycle;
        }
        ASSERT_TRUE(Wait([&] { return Shown(*host, name + " has left the game"); }));
        H().IsPlayerInPhase(4, tovNetworkPlay::kLocalSlot);
        ASSERT_FALSE(H().IsSlotActive(2)) << cycle;
    }
    NetSessionSide last(net, "Drew");
    ASSERT_TRUE(last.session->JoinSession("Lake day"));
    EXPECT_TRUE(WaitUntil([&] { return last.session->GetLocalSlot() == 2; }, {&H(), last.session.get()}));
}

// Open names the player after the profile chosen since start-up unless the dialog names it
// otherwise; afterwards the profile carries the session's name and the profiles list is rebuilt.
// A player's own end of the host's session, as bytes: what it sends, and what the host sent it,
// counted by message type.
struct RawPlayer
{
    std::unique_ptr<plat::NetSession> end;

    RawPlayer(plat::LoopbackNetwork& net, const std::string& name) : end(net.CreateSession())
    {
        end->Join("Lake day", name);
    }
    void ToHost(const std::vector<uint8_t>& bytes) { end->Send(end->GetHostId(), bytes.data(), bytes.size(), true); }
    void Chat(const std::string& line)
    {
        tovNet::ChatTextMsg msg;
        msg.SetText(line.c_str());
        ToHost(msg.Write());
    }
    // Messages of each type received since the last call.
    std::map<uint8_t, int32_t> Received()
    {
        std::map<uint8_t, int32_t> counts;
        plat::NetMessage message;
        while (end->Receive(message, 0))
            if (message.kind == plat::NetMessage::Kind::App && !message.data.empty())
                ++counts[message.data[0]];
        return counts;
    }
};

// The host seats a player on its receive thread and greets it (parameters, then its header) from
// its main thread's queue afterwards: a seat seen before the greeting went out let the greeting
// fall among the answers counted later. Waits for both and takes the greeting.
bool SeatedAndGreeted(tovDirectPlay& host, RawPlayer& player)
{
    const plat::NetPlayerId id = player.end->GetLocalId();
    bool greeted = false;
    return WaitUntil(
        [&]
        {
            greeted = player.Received().count(tovNet::kPlayerHeader) > 0 || greeted;
            return greeted && host.GetSlotIds()[1] == id;
        },
        {&host});
}

// A copy admitted once the last game is over (the host closed it and stands on its main menu)
// learns the host's phase as it joins: taking the host for one in its set-up while the
// parameters said closed, it asked again on every frame of its own set-up, each frame held a
// tenth of a second, and the host told a flood of requests.
TEST_F(tovDirectPlayPair, ANewcomerAfterTheLastGameAsksNoMoreThanItsShare)
{
    QuitOnStall watch;
    ClockAndDebug installed{5'000'000'000};
    H().SetLinkClock(&installed.clock);
    ASSERT_TRUE(H().BeginGame());
    ASSERT_TRUE(Wait([this] { return C().GetGameNumber() == 1; }));
    C().SetLocalPhase(11);
    H().SetLocalPhase(11);
    ASSERT_TRUE(Wait([this] { return H().GetPlayerPhase(1) == 11; }));
    NetSessionSide late(net, "Eve");
    tovDirectPlay& eve = *late.session;
    ASSERT_TRUE(eve.JoinSession("Lake day"));
    ASSERT_TRUE(WaitUntil([&] { return eve.GetLocalSlot() == 2 && eve.GetGameNumber() == 1; }, {&H(), &C(), &eve}));
    EXPECT_TRUE(WaitUntil([&] { return eve.GetPlayerPhase(0) == 11; }, {&H(), &C(), &eve}))
        << "the newcomer does not know the host's phase";
    // Its set-up's frames, in the host's one millisecond.
    eve.ResetPlayerStates(0);
    for (int32_t frame = 0; frame < 8; ++frame)
        EXPECT_FALSE(eve.SyncPhase(0, true));
    // A new phase comes after whatever those frames sent, and is news, not a request.
    eve.SetLocalPhase(1);
    ASSERT_TRUE(WaitUntil([&] { return H().GetPlayerPhase(2) == 1; }, {&H(), &C(), &eve}));
    for (const std::string& line : installed.debug.Lines())
        EXPECT_EQ(line.find("more than four"), std::string::npos) << line;
}

// A player's headers each ask for the parameters. The host answers every request, at most once
// a second: one within the second is owed and answered when the second is up. More than four
// requests a second are a flood, told once in the debug output, and still cost one answer a
// second; a header that brings a new phase is news, not a repeat, and counts toward none. Each
// header comes in at its millisecond; the host's frame then drains its queue.
TEST(tovDirectPlayShares, EveryRequestIsAnsweredAndNoPlayerGetsMoreThanOneAnswerASecond)
{
    ClockAndDebug installed{5'000'000'000};
    std::vector<uint32_t> flood;
    for (uint32_t i = 0; i < 10000; ++i)
        flood.push_back(i / 2);
    const struct
    {
        const char* what;
        // Milliseconds from the row's start, in order.
        std::vector<uint32_t> requests;
        std::vector<uint32_t> answers;
        int32_t told;
        // Each request names the next phase.
        bool newPhases;
    } rows[] = {
        {"two in one second", {0, 300}, {0, 1000}, 0, false},
        {"a phase change, then a wait's announcements",
         {0, 100, 2000, 2050, 4000},
         {0, 1000, 2000, 3000, 4000},
         0,
         false},
        {"one owed, then one on the second before the owed one is sent", {0, 500, 1000}, {0, 1000}, 0, false},
        {"four at once", {7, 7, 7, 7}, {7, 1007}, 0, false},
        {"five at once", {0, 0, 0, 0, 0}, {0, 1000}, 1, false},
        {"eight phase changes at once", {0, 0, 0, 0, 0, 0, 0, 0}, {0, 1000}, 0, true},
        {"10,000 over five seconds", flood, {0, 1000, 2000, 3000, 4000, 5000}, 1, false},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        plat::LoopbackNetwork net;
        NetSessionSide host(net, "Robin");
        tovDirectPlay& h = *host.session;
        h.SetLinkClock(&installed.clock);
        ASSERT_TRUE(h.HostSession("Lake day", ""));
        RawPlayer ann(net, "Ann");
        const plat::NetPlayerId annId = ann.end->GetLocalId();
        ASSERT_TRUE(SeatedAndGreeted(h, ann));
        const auto toldBefore = installed.debug.Lines().size();
        std::vector<uint32_t> answers;
        size_t next = 0;
        for (uint32_t ms = 0; ms <= row.requests.back() + 2000; ++ms)
        {
            for (; next < row.requests.size() && row.requests[next] == ms; ++next)
            {
                tovNet::PlayerHeaderMsg header;
                header.phase = row.newPhases ? static_cast<uint16_t>(next + 1) : 0;
                h.HandleMessage({plat::NetMessage::Kind::App, annId, header.Write()});
            }
            h.DrainMainThreadQueue();
            for (const auto& [type, count] : ann.Received())
                for (int32_t i = 0; i < count; ++i)
                    answers.push_back(type == tovNet::kParamsUpdate ? ms : ~0u);
            installed.clock.AdvanceMs(1);
        }
        EXPECT_EQ(answers, row.answers);
        const auto lines = installed.debug.Lines();
        EXPECT_EQ(std::count_if(lines.begin() + static_cast<std::ptrdiff_t>(toldBefore), lines.end(),
                                [](const std::string& l) {
                                    return l.rfind("Ann asks for the parameters more than four times a second", 0) == 0;
                                }),
                  row.told);
        EXPECT_EQ(lines.size() - toldBefore, static_cast<size_t>(row.told)) << "nothing else is told";
    }
}

// One player floods the host with headers that ask for an answer and with chat lines, in one
// second of the session's clock: it gets one answer and four lines shown, the other player loses
// nothing, and the debug output tells of each flood once. A second later it has its share again.
TEST(tovDirectPlayShares, AFloodIsAnsweredOnceASecondAndShowsFourLinesASecond)
{
    ClockAndDebug installed{5'000'000'000};
    plat::ManualClock& time = installed.clock;
    plat::RecordingDebugSink& debug = installed.debug;
    {
        plat::LoopbackNetwork net;
        // Bea's greeting ends in the host's header, which would go at its turn among the counts.
        EveryTurnClock turns;
        NetSessionSide host(net, "Robin");
        tovDirectPlay& h = *host.session;
        h.SetLinkClock(&time);
        h.SetSendClock(&turns);
        ASSERT_TRUE(h.HostSession("Lake day", ""));
        RawPlayer ann(net, "Ann");
        RawPlayer bea(net, "Bea");
        // A line of Bea's comes after both joins and what the host sent for them.
        const auto through = [&](const std::string& line)
        {
            bea.Chat(line);
            return WaitUntil([&] { return std::count(host.lines.begin(), host.lines.end(), "Bea: " + line) == 1; },
                             {&h});
        };
        ASSERT_TRUE(through("in"));
        ann.Received();
        bea.Received();
        const auto floodLines = [&] {
            return std::count_if(host.lines.begin(), host.lines.end(),
                                 [](const auto& l) { return l.rfind("Ann: ", 0) == 0; });
        };
        const auto told = [&](const char* who)
        {
            const auto lines = debug.Lines();
            return std::count_if(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return l.rfind(who, 0) == 0; });
        };
        const std::vector<uint8_t> header = tovNet::PlayerHeaderMsg().Write();
        const struct
        {
            int32_t headers;
            int32_t lines;
        } seconds[] = {{10000, 100}, {10, 10}};
        int32_t second = 0;
        for (const auto& s : seconds)
        {
            SCOPED_TRACE(second);
            for (int32_t i = 0; i < s.headers; ++i)
                ann.ToHost(header);
            for (int32_t i = 0; i < s.lines; ++i)
                ann.Chat("line " + std::to_string(i));
            bea.ToHost(header);
            ASSERT_TRUE(through("out " + std::to_string(second)));
            EXPECT_EQ(ann.Received(), (std::map<uint8_t, int32_t>{{tovNet::kParamsUpdate, 1}}));
            EXPECT_EQ(bea.Received(), (std::map<uint8_t, int32_t>{{tovNet::kParamsUpdate, 1}}));
            EXPECT_EQ(floodLines(), 4 * (second + 1));
            EXPECT_EQ(told("Ann "), 2 * (second + 1)) << "answers and lines, once each";
            EXPECT_EQ(told("Bea "), 0);
            time.AdvanceMs(1000);
            ++second;
        }
    }
}

// The host's end of the link, recording to whom it sends the parameters.

// A player's share of the link goes with it: an answer it was owed is not sent once it has left
// the session, nor once the host's session has closed and another opened (a transport numbers
// the next session's players afresh, and its player of the same id would get it).
TEST(tovDirectPlayShares, NothingOwedIsSentAfterThePlayerLeftOrTheSessionClosed)
{
    ClockAndDebug installed{5'000'000'000};
    for (const bool close : {false, true})
    {
        SCOPED_TRACE(close ? "the session closed" : "the player left");
        plat::LoopbackNetwork net;
        std::vector<SentParams> sent;
        tovDirectPlay h(std::make_unique<ParamsTap>(net.CreateSession(), sent));
        h.SetLocalName("Robin");
        h.SetMessageSink([](const std::string&) {});
        h.SetLinkClock(&installed.clock);
        ASSERT_TRUE(h.HostSession("Lake day", ""));
        RawPlayer ann(net, "Ann");
        const plat::NetPlayerId annId = ann.end->GetLocalId();
        ASSERT_TRUE(SeatedAndGreeted(h, ann));
        const auto header = tovNet::PlayerHeaderMsg().Write();
        const auto sentToAnn = [&]
        { return std::count_if(sent.begin(), sent.end(), [&](const SentParams& one) { return one.to == annId; }); };
        const auto seated = sentToAnn();
        // Answered at once, then owed for the end of the second.
        h.HandleMessage({plat::NetMessage::Kind::App, annId, header});
        installed.clock.AdvanceMs(300);
        h.HandleMessage({plat::NetMessage::Kind::App, annId, header});
        h.DrainMainThreadQueue();
        ASSERT_EQ(sentToAnn(), seated + 1);
        if (close)
        {
            h.Close();
            ASSERT_TRUE(h.HostSession("Lake day 2", ""));
        }
        else
        {
            h.HandleMessage({plat::NetMessage::Kind::PlayerDestroyed, annId, {}});
        }
        for (int32_t ms = 0; ms < 2000; ms += 100)
        {
            installed.clock.AdvanceMs(100);
            h.DrainMainThreadQueue();
        }
        EXPECT_EQ(sentToAnn(), seated + 1);
        h.Close();
    }
}

// Every copy draws a day's computer anglers from the seed the host shares with the weigh-in:
// each day of a tournament has a seed of its own, even within one second of the calendar, so no
// angler brings the same catch every day.
TEST(tovDirectPlay, EachDaysWeighInHasASeedOfItsOwn)
{
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    plat::LoopbackNetwork net;
    NetSessionSide host(net, "Robin");
    ASSERT_TRUE(host.session->HostSession("Lake day", ""));
    plat::FixCalendarSeconds(1780315200);
    std::vector<uint32_t> seeds;
    for (int32_t day = 1; day <= 4; ++day)
    {
        host.session->SetDay(day, true);
        host.session->SetLocalPhase(3);
        host.session->SetLocalPhase(7);
        seeds.push_back(CopyGameParams().weighInSeed);
    }
    plat::UnfixCalendarSeconds();
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    EXPECT_EQ(std::set<uint32_t>(seeds.begin(), seeds.end()).size(), seeds.size()) << testing::PrintToString(seeds);
}

TEST(tovDirectPlay, OpenNamesTheProfileAndRebuildsTheProfilesList)
{
    const std::string before = TheUserProfile().GetName();
    plat::LoopbackNetwork net;
    NetSessionSide side(net, "Old name");
    int32_t rebuilt = 0;
    side.session->SetProfileListHook([&] { ++rebuilt; });
    std::string named;
    side.session->SetSetupDialog(
        [&](tovDirectPlay& s)
        {
            named = s.GetLocalName();
            s.SetLocalName("Robin");
            return s.HostSession("Lake day", "");
        });
    TheUserProfile().SetName("Chosen", false);
    ASSERT_TRUE(side.session->Open(nullptr));
    EXPECT_EQ(named, "Chosen");
    EXPECT_STREQ(TheUserProfile().GetName(), "Robin");
    EXPECT_EQ(rebuilt, 1);
    side.session->Close();
    TheUserProfile().SetName(before.c_str(), false);
}

// A profile named with outer spaces (made before names were trimmed) plays under the trimmed
// name and stays the player's profile; a rename to it with spaces is no rename.
TEST(tovDirectPlay, AProfileNameGoesToTheSessionWithoutOuterSpaces)
{
    const std::string before = TheUserProfile().GetName();
    plat::LoopbackNetwork net;
    NetSessionSide side(net, "Old name");
    std::string named;
    side.session->SetSetupDialog(
        [&](tovDirectPlay& s)
        {
            named = s.GetLocalName();
            return s.HostSession("Lake day", "");
        });
    TheUserProfile().SetName(" Al 12 ", false);
    ASSERT_TRUE(side.session->Open(nullptr));
    EXPECT_EQ(named, "Al 12");
    EXPECT_STREQ(TheUserProfile().GetName(), " Al 12 ");
    char name[32] = {};
    ASSERT_TRUE(side.session->GetPlayerName(side.session->GetLocalSlot(), name, sizeof(name)));
    EXPECT_STREQ(name, "Al 12");
    side.session->ChangePlayerName("Al 12  ");
    EXPECT_EQ(side.session->GetLocalName(), "Al 12");
    side.session->Close();
    TheUserProfile().SetName(before.c_str(), false);
}

TEST(tovDirectPlay, WithoutASessionNothingIsSentAndGettersKeepDefaults)
{
    plat::LoopbackNetwork net;
    NetSessionSide side(net, "Solo");
    tovDirectPlay& s = *side.session;
    EXPECT_FALSE(s.IsSessionOpen());
    EXPECT_EQ(s.GetLocalSlot(), tovNetworkPlay::kLocalSlot);
    EXPECT_FALSE(s.IsPlayerInPhase(0, tovNetworkPlay::kLocalSlot));
    char name[8] = "x";
    EXPECT_FALSE(s.GetPlayerName(0, name, sizeof(name)));
    EXPECT_STREQ(name, "");
    // Without a dialog, opening is declined.
    EXPECT_FALSE(s.Open(nullptr));
    EXPECT_FALSE(s.JoinSession("nowhere"));
}

} // namespace
