#include "tovNetFacade.h"

#include "Clock.h"
#include "RecordingNetworkPlay.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovNetPhases.h"
#include "tovNetworkPlayGameParams.h"
#include "tovSessionHooks.h"
#include "tovUserProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace
{

class LoggingHooks : public tovFishingModeHooks
{
public:
    explicit LoggingHooks(RecordingNetworkPlay& session) : m_session(session) {}
    void BeginGame(tovGameSession& /*session*/) override {}
    void EndGame() override {}
    void PlaceBoatAtStart(tovBoat& boat, int32_t slot) override
    {
        m_session.Log("PlaceBoatAtStart", RecordingNetworkPlay::Name(&boat), slot);
    }

private:
    RecordingNetworkPlay& m_session;
};

class Rig : public tovAnglerRigBase
{
};

class tovNetFacadeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plat::SetCurrentClock(&m_time);
        m_savedProfile = TheUserProfile();
        TheUserProfile().SetSetting0(2);
        TheUserProfile().SetSetting1(0);
        m_session.rig = &m_rig;
        SetNetworkPlay(&m_session);
        SetFishingModeHooks(&m_hooks);
        StoreGameParams({});
    }
    void TearDown() override
    {
        StoreGameParams({});
        SetFishingModeHooks(nullptr);
        SetNetworkPlay(nullptr);
        TheUserProfile() = m_savedProfile;
        plat::SetCurrentClock(nullptr);
    }

    plat::ManualClock m_time{1'000'000'000};
    RecordingNetworkPlay m_session;
    LoggingHooks m_hooks{m_session};
    Rig m_rig;
    tovUserProfile m_savedProfile;
};

std::string Str(bool b)
{
    return b ? "1" : "0";
}

std::string Str(int32_t v)
{
    return std::to_string(v);
}

// Object calls act whenever a session object is installed; network calls only while its
// session is open.
enum class Reach
{
    kObject,
    kNetwork,
};

struct Case
{
    Reach reach;
    std::function<std::string()> call;
    std::string calls;  // what reaches the session, ';' between calls
    std::string result; // with the session open (object calls: with the recording session)
    std::string noGame; // network calls outside a network game; object calls without a session object
};

std::vector<Case> Cases(const tovAnglerRigBase* rig)
{
    tovBoat* boat = RecordingNetworkPlay::Boat();
    auto name = [](std::function<bool(char*, size_t)> get)
    {
        char buffer[8] = "junk";
        const bool found = get(buffer, sizeof buffer);
        return Str(found) + " " + buffer;
    };
    return {
        {Reach::kObject, [] { return Str(NetOpenSession(nullptr)); }, "Open", "1", "0"},
        {Reach::kObject, [] { return NetCloseSession(), ""; }, "Close", "", ""},
        {Reach::kObject, [] { return NetResetPlayers(3), ""; }, "ResetPlayerStates(3)", "", ""},
        {Reach::kObject, [] { return NetDrainQueue(), ""; }, "DrainMainThreadQueue", "", ""},
        {Reach::kObject, [] { return NetSetLakeId(4, true), ""; }, "SetLakeId(4,1)", "", ""},
        {Reach::kObject, [] { return NetSetPlayerIndex(2, false), ""; }, "SetPlayerIndex(2,0)", "", ""},
        {Reach::kObject, [] { return NetSetDay(3, true), ""; }, "SetDay(3,1)", "", ""},
        {Reach::kObject, [] { return NetSetSetting0(1, false), ""; }, "SetSetting0(1,0)", "", ""},
        {Reach::kObject, [] { return NetSetSetting1(2, true), ""; }, "SetSetting1(2,1)", "", ""},
        {Reach::kObject, [] { return NetClearPlayerResults(), ""; }, "ClearPlayerResults", "", ""},
        {Reach::kNetwork, [] { return Str(IsNetworkGame()); }, "", "1", "0"},
        {Reach::kNetwork, [] { return Str(IsNetworkHost()); }, "", "1", "0"},
        {Reach::kNetwork, [] { return Str(NetGetPlayerIndex()); }, "GetPlayerIndex", "2", "0"},
        {Reach::kNetwork, [] { return Str(NetGetSetting0()); }, "GetSetting0", "1", "2"},
        {Reach::kNetwork, [] { return Str(NetGetSetting1()); }, "GetSetting1", "3", "0"},
        {Reach::kNetwork, [] { return Str(NetSyncPhase(4)); }, "SyncPhase(4,1)", "1", "0"},
        {Reach::kNetwork, [] { return NetSetLocalPhase(5), ""; }, "SetLocalPhase(5)", "", ""},
        {Reach::kNetwork, [] { return Str(NetIsPlayerInPhase(4)); }, "IsPlayerInPhase(4,255)", "1", "0"},
        {Reach::kNetwork, [] { return Str(NetWaitForPhase(7, 8, 9)); }, "WaitForPhase(7,8,1,9)", "1", "0"},
        {Reach::kNetwork, [] { return Str(NetWaitForHostPhase(4)); }, "WaitForHostPhase(4)", "1", "1"},
        {Reach::kNetwork, [] { return NetDisableJoining(), ""; }, "DisableJoining", "", ""},
        {Reach::kNetwork, [] { return NetEnableJoining(), ""; }, "EnableJoining", "", ""},
        {Reach::kNetwork, [] { return std::to_string(NetGetCommonLakeMask()); }, "GetCommonLakeMask", "5",
         "4294967295"},
        {Reach::kNetwork, [] { return Str(NetGetLocalSlot()); }, "GetLocalSlot", "3", "-1"},
        {Reach::kNetwork,
         []
         {
             tovNetworkPlay::AnglerSnapshot snapshot{};
             const bool got = NetGetPlayerAnglerState(1, snapshot);
             return Str(got) + " " + std::to_string(snapshot[0]);
         },
         "GetPlayerAnglerState(1)", "1 4", "0 0"},
        {Reach::kNetwork,
         []
         {
             int32_t a = 0, b = 0;
             const bool got = NetGetPlayerResults(2, a, b);
             return Str(got) + " " + Str(a) + " " + Str(b);
         },
         "GetPlayerResults(2)", "1 7 9", "0 0 0"},
        {Reach::kNetwork, [] { return Str(NetAddPlayerResults(2, 5, 6)); }, "AddPlayerResults(2,5,6)", "1", "0"},
        {Reach::kNetwork, [=] { return name([](char* b, size_t n) { return NetGetPlayerName(1, b, n); }); },
         "GetPlayerName(1,8)", "1 RRRRRRR", "0 "},
        {Reach::kNetwork, [=] { return name([=](char* b, size_t n) { return NetGetRigPlayerName(boat, b, n); }); },
         "FindRigSlot(boat);GetPlayerName(2,8)", "1 RRRRRRR", "0 "},
        {Reach::kNetwork, [] { return NetChangePlayerName("Bo"), ""; }, "ChangePlayerName(Bo)", "", ""},
        {Reach::kNetwork, [=] { return Str(NetFindRigSlot(boat)); }, "FindRigSlot(boat);PlaceBoatAtStart(boat,2)", "1",
         "0"},
        {Reach::kNetwork, [=] { return Str(NetFindRigSlotB(boat)); }, "FindRigSlot(boat)", "2", "-1"},
        {Reach::kNetwork,
         [=]
         {
             double age = 0.0;
             alignas(16) char state[16];
             const bool got = NetGetRigBoatState(boat, *reinterpret_cast<tovBoatState*>(state), age);
             return Str(got) + " " + std::to_string(age);
         },
         "GetRigBoatState(boat)", "1 1.500000", "0 0.000000"},
        {Reach::kNetwork,
         [=]
         {
             alignas(16) char state[16];
             return Str(NetGetRigPlayerState(rig, *reinterpret_cast<tovPlayerState*>(state)));
         },
         "GetRigPlayerState(rig)", "1", "0"},
        {Reach::kNetwork, [] { return NetApplyPlayerStates(), ""; }, "ApplyPlayerStates", "", ""},
        {Reach::kNetwork, [] { return NetUpdate(0.0, 0.0), ""; },
         "SendOwnPlayerState;BroadcastGameParams;ApplyPlayerStates", "", ""},
        {Reach::kNetwork, [] { return NetPing(0.0), ""; }, "Ping(255)", "", ""},
        {Reach::kNetwork, [] { return NetSendChatText("hi", true, nullptr), ""; }, "SendChatText(hi,1,none)", "", ""},
        {Reach::kNetwork, [] { return NetSendLeftFishing(), ""; }, "SendLeftFishing", "", ""},
        {Reach::kNetwork, [] { return NetSendThrottle(0.25f), ""; }, "SendThrottle(0.25)", "", ""},
        {Reach::kNetwork, [] { return NetSendSteering(-0.5f), ""; }, "SendSteering(-0.5)", "", ""},
        {Reach::kNetwork, [] { return NetSendRangeControl(1.0f), ""; }, "SendRangeControl(1)", "", ""},
        {Reach::kNetwork, [] { return NetSendTackleChoice(3, 4), ""; }, "SendTackleChoice(3,4)", "", ""},
        {Reach::kNetwork, [] { return NetSendAnglerPhase0(), ""; }, "SendAnglerPhase0", "", ""},
        {Reach::kNetwork, [] { return NetSendAnglerPhase1(), ""; }, "SendAnglerPhase1", "", ""},
        {Reach::kNetwork, [] { return NetSendAnglerPhase1B(), ""; }, "SendAnglerPhase1Via45", "", ""},
        {Reach::kNetwork,
         [] {
             return NetSendCastTarget({1.0f, 2.5f, -3.0f}), "";
         },
         "SendCastTarget(1,2.5,-3)", "", ""},
        {Reach::kNetwork, [] { return NetSendAnglerFlagsA(), ""; }, "SendAnglerFlagsA", "", ""},
        {Reach::kNetwork, [] { return NetSendAnglerFlagsAB(), ""; }, "SendAnglerFlagsAB", "", ""},
        {Reach::kNetwork, [] { return NetSendAnglerFlagsOff(), ""; }, "SendAnglerFlagsOff", "", ""},
    };
}

TEST_F(tovNetFacadeTest, OpenSessionGetsEveryCallWithItsArguments)
{
    m_session.open = true;
    m_session.host = true;
    for (const Case& c : Cases(&m_rig))
    {
        m_session.log.clear();
        const std::string result = c.call();
        EXPECT_EQ(m_session.Joined(), c.calls);
        EXPECT_EQ(result, c.result) << c.calls;
    }
}

TEST_F(tovNetFacadeTest, OutsideANetworkGameOnlyObjectCallsReachTheSessionAndTheRestAnswerDefaults)
{
    m_session.host = true;
    for (bool installed : {true, false})
    {
        SetNetworkPlay(installed ? &m_session : nullptr);
        EXPECT_EQ(HasNetworkPlay(), installed);
        for (const Case& c : Cases(&m_rig))
        {
            m_session.log.clear();
            const std::string result = c.call();
            if (installed && c.reach == Reach::kObject)
            {
                EXPECT_EQ(m_session.Joined(), c.calls);
                EXPECT_EQ(result, c.result) << c.calls;
                continue;
            }
            EXPECT_EQ(m_session.Joined(), "") << "nothing is sent or asked: " << c.calls;
            EXPECT_EQ(result, c.noGame) << c.calls;
        }
    }
}

// A game played alone began its day (and may have closed its final) before the session opened:
// the network game that opens has begun neither, so its road to the first day asks before the
// main menu, and another game chosen meanwhile asks to leave it first.
TEST_F(tovNetFacadeTest, OpeningASessionForgetsTheDaysOfAGamePlayedAlone)
{
    for (const bool finalClosed : {false, true})
    {
        SCOPED_TRACE(finalClosed ? "final closed" : "day begun");
        NetNoteDayBegun();
        if (finalClosed)
            NetFinishGame();
        ASSERT_TRUE(NetOpenSession(nullptr));
        m_session.open = true;
        EXPECT_TRUE(NetIsBeforeFirstDay());
        EXPECT_TRUE(NetIsGameUnderWay());
        // Its own first day begun, the network game is past it.
        NetNoteDayBegun();
        EXPECT_FALSE(NetIsBeforeFirstDay());
        m_session.open = false;
    }
    NetResetPlayers(kSetUpPhase);
}

TEST_F(tovNetFacadeTest, SharedValuesAreTheHostsInANetworkGameAndOwnValuesOtherwise)
{
    tovGameSession game;
    game.SetSkillLevel(1, false);
    EXPECT_EQ(m_session.Joined(), "SetPlayerIndex(1,0)") << "the session is told even before it opens";

    struct Read
    {
        const char* what;
        std::function<int32_t()> read;
        int32_t own;
        int32_t host;
    };
    const Read reads[] = {
        {"NetGetSetting0", [] { return NetGetSetting0(); }, 2, 1},
        {"profile setting 0", [] { return TheUserProfile().GetSetting0(false); }, 2, 1},
        {"profile setting 0, forced local", [] { return TheUserProfile().GetSetting0(true); }, 2, 2},
        {"profile setting 1", [] { return TheUserProfile().GetSetting1(false); }, 0, 3},
        {"NetGetPlayerIndex", [] { return NetGetPlayerIndex(); }, 1, 2},
        {"skill level", [&] { return game.GetSkillLevel(false); }, 1, 2},
        {"skill level, forced local", [&] { return game.GetSkillLevel(true); }, 1, 1},
    };
    for (bool open : {false, true})
    {
        m_session.open = open;
        for (const Read& r : reads)
            EXPECT_EQ(r.read(), open ? r.host : r.own) << r.what << (open ? " in a network game" : " alone");
    }

    m_session.log.clear();
    game.SetDay(3, false);
    EXPECT_EQ(game.GetDay(), 3);
    EXPECT_EQ(m_session.log.front(), "SetDay(3,1)") << "the host's day reaches the players";
    EXPECT_EQ(TheGameClock().GetRealLength(), 1200.0) << "the day's length is the host's level 1";
}

// Times are application seconds; the calls are what reached the session at that time.
struct Tick
{
    double time;
    bool paramsArrived; // a parameters message brought the host's clock just before
    const char* calls;
    bool clockTaken;
};

TEST_F(tovNetFacadeTest, ClientSendsItsStateEveryHalfSecondAndTakesTheHostClockAtMostEveryFiveSeconds)
{
    m_session.open = true;
    m_session.elapsedMs = 1500;
    TheGameClock().Start(10.0, 8.0); // 48 game seconds a second
    const Tick ticks[] = {
        {0.0, false, "SendOwnPlayerState;GetElapsedMs", false},
        {0.4, true, "", false},
        {0.5, false, "SendOwnPlayerState", false},
        {4.4, false, "SendOwnPlayerState", false},
        {5.0, false, "SendOwnPlayerState;GetElapsedMs", true},
        {5.2, false, "", false},
        {10.0, false, "SendOwnPlayerState;GetElapsedMs", false},
        {12.0, true, "SendOwnPlayerState", false},
        {15.0, false, "SendOwnPlayerState;GetElapsedMs", true},
    };
    for (const Tick& t : ticks)
    {
        if (t.paramsArrived)
        {
            tovNetworkPlay::GAMEPARAMS params = CopyGameParams();
            params.receiptStamp = 1000;
            params.hostStamp = 400;
            params.hostTimeOfDay = tovGameClock::kDayStartSeconds + 3600.0;
            StoreGameParams(params);
        }
        TheGameClock().SetGameTime(0.0);
        m_session.log.clear();
        NetSendPeriodic(t.time);
        EXPECT_EQ(m_session.Joined(), t.calls) << "at " << t.time;
        EXPECT_DOUBLE_EQ(TheGameClock().GetGameTime(), t.clockTaken ? 3600.0 + 0.5 * 48.0 : 0.0) << "at " << t.time;
        if (t.clockTaken)
        {
            EXPECT_FALSE(CopyGameParams().HasHostClock()) << "at " << t.time;
        }
    }
}

TEST_F(tovNetFacadeTest, HostSendsItsStateEveryHalfSecondAndTheParametersEveryTenSeconds)
{
    m_session.open = true;
    m_session.host = true;
    const std::pair<double, const char*> ticks[] = {
        {0.0, "SendOwnPlayerState;BroadcastGameParams"},
        {0.3, ""},
        {5.0, "SendOwnPlayerState"},
        {9.4, "SendOwnPlayerState"},
        {10.0, "SendOwnPlayerState;BroadcastGameParams"},
        {19.0, "SendOwnPlayerState"},
        {20.5, "SendOwnPlayerState;BroadcastGameParams"},
    };
    for (const auto& [time, calls] : ticks)
    {
        m_session.log.clear();
        NetSendPeriodic(time);
        EXPECT_EQ(m_session.Joined(), calls) << "at " << time;
    }
}

TEST_F(tovNetFacadeTest, PingGoesToEveryoneAtMostEveryTwoSeconds)
{
    m_session.open = true;
    const std::pair<double, const char*> ticks[] = {
        {3.0, "Ping(255)"}, {4.9, ""}, {5.0, "Ping(255)"}, {6.0, ""}, {7.5, "Ping(255)"}};
    for (const auto& [time, calls] : ticks)
    {
        m_session.log.clear();
        NetPing(time);
        EXPECT_EQ(m_session.Joined(), calls) << "at " << time;
    }
    SetNetworkPlay(&m_session);
    m_session.log.clear();
    NetPing(7.6);
    EXPECT_EQ(m_session.Joined(), "Ping(255)") << "a newly installed session starts its timers afresh";
}

// A client's clock goes back only to a day's start: else the host's time landed a moment ago,
// and a clock already past it keeps its own.
TEST_F(tovNetFacadeTest, HostClockIsCarriedForwardAtTheClockRateAndCheckedBeforeItIsSet)
{
    TheGameClock().Start(10.0, 8.0); // 48 game seconds a second
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row
    {
        int32_t receipt;
        uint32_t now;
        double hostTimeOfDay;
        double own;      // the client's game time before
        double gameTime; // -1: the host's time is refused
    };
    const Row rows[] = {
        {1000, 3000, 8 * 3600.0, -1.0, 2 * 3600.0 + 96.0},
        {-1000, 1000, 8 * 3600.0, -1.0, 2 * 3600.0 + 96.0}, // the millisecond counter wrapped in between
        {1000, 1000, 5 * 3600.0, -1.0, 0.0},                // before the day's start
        {1000, 1000, 1e30, -1.0, 64800.0},
        {1000, 3000, 8 * 3600.0, 2 * 3600.0 + 95.0, 2 * 3600.0 + 96.0},
        {1000, 3000, 8 * 3600.0, 2 * 3600.0 + 97.0, 2 * 3600.0 + 97.0}, // ahead of the host: kept
        {1000, 1000, 5 * 3600.0, 100.0, 100.0},
        // A host at its day's start begins a day: a clock at the last day's end takes it.
        {1000, 3000, tovGameClock::kDayStartSeconds, 8 * 3600.0, 96.0},
        {1000, 1000, nan, -1.0, -1.0},
        {1000, 1000, std::numeric_limits<double>::infinity(), -1.0, -1.0},
    };
    for (const Row& r : rows)
    {
        tovNetworkPlay::GAMEPARAMS params;
        params.receiptStamp = r.receipt;
        params.hostStamp = 5;
        params.hostTimeOfDay = r.hostTimeOfDay;
        StoreGameParams(params);
        TheGameClock().SetGameTime(r.own);
        EXPECT_EQ(NetApplyHostClock(r.now), r.gameTime >= 0.0) << r.hostTimeOfDay << " over " << r.own;
        const bool dayStart = r.hostTimeOfDay == tovGameClock::kDayStartSeconds;
        EXPECT_DOUBLE_EQ(TheGameClock().GetGameTime(), dayStart ? r.gameTime : std::max(r.gameTime, r.own))
            << r.hostTimeOfDay << " over " << r.own;
        EXPECT_FALSE(CopyGameParams().HasHostClock()) << "the clock is taken once";
    }
    EXPECT_FALSE(NetApplyHostClock(9999));
    EXPECT_EQ(TheGameClock().GetGameTime(), -1.0);
}

} // namespace
