// Three players on a star whose host goes at each step of the game: the two left play on as one
// session under the lowest id, and each finishes with the same board, every player on it once.
// Robin hosts, Casey (the next host) and Drew join; what two players other than the host say to
// each other passes through it. Robin's own steps are driven from the test up to its last one,
// as the others see them; the others play theirs on their own threads, as their screens do.

#include "NetSessionPair.h"
#include "NetTestSides.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovNetFacade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <thread>
#include <tuple>

namespace
{

// Where the host goes.
enum class Gone
{
    kSetUp,
    kStart,
    // At the start; Drew goes back to its set-up, and its word of it dies with the host.
    kStartDrewsWordLost,
    // At the start, the day begun by the host and Drew, not yet by Casey.
    kStartBegunWithoutCasey,
    kLake,
    kInLeaveDay,
    // Between days, every copy cut from the next day; Casey hears of the move only after Drew's
    // word to it has come.
    kInLeaveDayAllCut,
    // Everyone else in the weigh-in before it published 7 (and the day's seed).
    kBeforeSeven,
    // After publishing 7, before every joiner is in 8; Drew's header to Casey goes with it.
    kSevenWithAHeaderLost,
    kEveryoneInEight,
    kAfterEight,
    kFinalBoard,
    kBetweenGames,
    // After the final, on its main menu; Casey and Drew on the next game's set-up, their BeginGame
    // passed as clients: Casey numbers the game and accepts its set-up.
    kNextSetUp,
    // Casey in BeginGame's wait while Drew still closes its weigh-in.
    kInBeginGameWait,
    // Between the days, Casey on the next day's lake waiting for Robin's day, its clock at the last
    // day's end; Robin is told gone only once the move's window has passed.
    kNextDayOwed,
    kNewcomerAfterFirstDay,
};

enum class Step
{
    kStart,
    kLake,
    // A player cut from the day: the host begins it from its start; the others wait there for it.
    kCutStart,
    kExchange,
    kClose,
    kLeaveDay,
    kNextGame,
};

struct Row
{
    const char* what;
    Gone gone;
    // Robin leaves (Escape and yes) rather than vanishing.
    bool leaves;
    // The tournament's length setting: days less one.
    int32_t daysSetting;
    // What Casey and Drew play once Robin has gone; the board is the last exchange's.
    std::vector<Step> after;
};

using Board = std::vector<std::tuple<uint32_t, int32_t, int32_t>>;

constexpr int64_t kMoveWindowMs = plat::NetMoveWindowMs(plat::LoopbackNetwork::kStarPeerTimeoutMs);

// Polls as a screen does on each frame until done; false once the quit flag is up.
bool Poll(tovDirectPlay& s, const std::function<bool()>& done)
{
    while (!done())
    {
        if (qrxBaseApp::GetQuitFlag())
            return false;
        s.DrainMainThreadQueue();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// One copy of the game, its catch of each day ounces and fish.
struct Player
{
    Player(plat::LoopbackNetwork& net, const char* name, int32_t dayOunces)
        : side(net, name), s(*side.session), ounces(dayOunces)
    {
    }
    NetSessionSide side;
    tovDirectPlay& s;
    int32_t ounces;
    Board board;

    // The start of a day: the host begins it once everyone stands there; the others say they do.
    bool Start()
    {
        bool announced = false;
        bool refused = false;
        const bool through = Poll(s,
                                  [&]
                                  {
                                      if (s.IsHost())
                                          return s.IsEveryoneAtDayStart() && s.SyncPhase(kDayStartPhase, true);
                                      // As the start screen does: a host past its first day refuses this copy.
                                      if (s.GetHostGame() == tovNetworkPlay::HostGame::kPastFirstDay)
                                      {
                                          refused = true;
                                          return true;
                                      }
                                      if (!announced)
                                          s.SetLocalPhase(kDayStartPhase);
                                      announced = true;
                                      return s.SyncPhase(kDayStartPhase, true);
                                  });
        return through && !refused;
    }
    // On the lake; the day lasts until every player is out on it too.
    bool Lake()
    {
        s.SetLocalPhase(kInDayPhase);
        if (!s.SyncPhase(kDayParamsPhase, true) && !s.WaitForHostPhase(kDayParamsPhase))
            return false;
        return Poll(s,
                    [&]
                    {
                        for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
                            if (s.GetPlayerId(slot) != 0 && s.GetPlayerPhase(slot) < kInDayPhase)
                                return false;
                        return true;
                    });
    }
    // The host's day lasts until every other player has begun it too.
    bool CutStart()
    {
        const bool host = s.IsHost();
        if (!host && !Poll(s, [&] { return s.SyncPhase(kDayParamsPhase, true); }))
            return false;
        s.SetLocalPhase(kInDayPhase);
        return !host || Poll(s,
                             [&]
                             {
                                 for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
                                     if (s.GetPlayerId(slot) != 0 && s.GetPlayerPhase(slot) < kInDayPhase)
                                         return false;
                                 return true;
                             });
    }
    // The weigh-in's exchange, then the board as the weigh-in lists it: this copy and every player
    // of the day with its catch, those who left after bringing it among them.
    bool Exchange()
    {
        s.AddPlayerResults(s.GetLocalSlot(), ounces, 1);
        return Weigh();
    }
    bool Weigh()
    {
        if (!s.WaitForPhase(kResultsPhase, kResultsTakenPhase, 0, 0))
            return false;
        // The host reads at once; another copy once each copy's header with its catch has come (the
        // parameters that end its wait may come before the others' headers).
        if (!s.IsHost() && !Poll(s,
                                 [&]
                                 {
                                     for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
                                         if (slot != s.GetLocalSlot() && s.GetPlayerId(slot) != 0 &&
                                             s.GetPlayerPhase(slot) < kResultsPhase)
                                             return false;
                                     return true;
                                 }))
            return false;
        board.clear();
        for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
        {
            int32_t a = 0, b = 0;
            if (s.GetPlayerId(slot) != 0 && s.GetPlayerResults(slot, a, b))
                board.emplace_back(s.GetPlayerId(slot), a, b);
        }
        for (const tovNetworkPlay::LeftResults& left : s.GetLeftPlayersResults())
            board.emplace_back(left.id, left.a, left.b);
        std::sort(board.begin(), board.end());
        return true;
    }
    bool Close() { return s.WaitForPhase(kClosePhase, kClosedPhase, 0, 0); }
    bool LeaveDay()
    {
        s.ClearPlayerResults();
        s.SetLocalPhase(kBetweenDaysPhase);
        return !s.IsHost() || s.WaitForPhase(kBetweenDaysPhase, kBetweenDaysPhase, 0, 0);
    }
    // The set-up of the session's next game.
    bool NextGame()
    {
        if (!s.BeginGame())
            return false;
        s.ResetPlayerStates(kSetUpPhase);
        s.ClearPlayerResults();
        return true;
    }
    bool Play(Step step)
    {
        switch (step)
        {
        case Step::kStart:
            return Start();
        case Step::kLake:
            return Lake();
        case Step::kCutStart:
            return CutStart();
        case Step::kExchange:
            return Exchange();
        case Step::kClose:
            return Close();
        case Step::kLeaveDay:
            return LeaveDay();
        case Step::kNextGame:
            return NextGame();
        }
        return false;
    }
    bool Play(const std::vector<Step>& steps)
    {
        for (Step step : steps)
            if (!Play(step))
                return false;
        return true;
    }
};

// Each player plays the steps on its own thread; true when every one got through.
bool PlayAll(std::initializer_list<Player*> players, const std::vector<Step>& steps)
{
    std::vector<std::thread> threads;
    std::vector<char> through(players.size(), 0);
    size_t i = 0;
    for (Player* p : players)
    {
        threads.emplace_back([p, &steps, &through, i] { through[i] = p->Play(steps) ? 1 : 0; });
        ++i;
    }
    for (std::thread& t : threads)
        t.join();
    return std::all_of(through.begin(), through.end(), [](char c) { return c != 0; });
}

class tovHostMove : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        // The day's seed comes from the calendar's seconds.
        plat::FixCalendarSeconds(1'700'000'000);
    }
    void TearDown() override
    {
        SetNetworkPlay(nullptr);
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        TheGameClock() = tovGameClock();
        qrxBaseApp::SetQuitFlag(false);
        plat::UnfixCalendarSeconds();
    }
};

TEST_F(tovHostMove, ThePlayersLeftFinishAsOneSessionWithEqualBoards)
{
    const std::vector<Step> wholeDay = {Step::kStart, Step::kLake, Step::kExchange};
    const Row rows[] = {
        {"set-up", Gone::kSetUp, false, 0, wholeDay},
        {"start", Gone::kStart, false, 0, wholeDay},
        {"start, Drew's word of leaving it lost", Gone::kStartDrewsWordLost, false, 0, wholeDay},
        {"start, the day begun without Casey", Gone::kStartBegunWithoutCasey, false, 0, wholeDay},
        {"lake", Gone::kLake, false, 0, {Step::kExchange}},
        {"between days, in its wait", Gone::kInLeaveDay, false, 1, {Step::kLake, Step::kExchange}},
        {"between days, every copy cut, Casey noticing last",
         Gone::kInLeaveDayAllCut,
         false,
         1,
         {Step::kCutStart, Step::kExchange}},
        {"before 7", Gone::kBeforeSeven, false, 0, {Step::kExchange}},
        {"after 7, a header lost with it", Gone::kSevenWithAHeaderLost, false, 0, {Step::kExchange}},
        {"everyone in 8", Gone::kEveryoneInEight, false, 0, {Step::kExchange}},
        {"after 8, leaving at its waiting picture", Gone::kAfterEight, true, 0, {Step::kClose}},
        {"final board", Gone::kFinalBoard, false, 0, {}},
        {"between games", Gone::kBetweenGames, false, 0, wholeDay},
        {"after the final, Casey on the next game's set-up", Gone::kNextSetUp, false, 0, wholeDay},
        {"Casey in BeginGame's wait, Drew still closing", Gone::kInBeginGameWait, false, 0, wholeDay},
        {"between days, Casey owing the next day, Robin held", Gone::kNextDayOwed, false, 1, {}},
        {"a newcomer after the first day", Gone::kNewcomerAfterFirstDay, false, 0, {Step::kExchange}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        plat::LoopbackNetwork net(plat::LoopbackNetwork::Shape::kStar);
        // Every copy's game session and clock (one for all in a test's process).
        std::optional<tovGameSession> session;
        TheGameClock() = tovGameClock();
        Player robin(net, "Robin", 64);
        Player casey(net, "Casey", 48);
        Player drew(net, "Drew", 80);
        tovDirectPlay& r = robin.s;
        tovDirectPlay& c = casey.s;
        tovDirectPlay& d = drew.s;
        SetNetworkPlay(nullptr);
        r.SetSetting1(row.daysSetting, false);
        ASSERT_TRUE(r.HostSession("Lake day", ""));
        ASSERT_TRUE(c.JoinSession("Lake day"));
        ASSERT_TRUE(WaitUntil([&] { return c.GetLocalSlot() == 1 && r.IsSlotActive(1); }, {&r, &c}));
        ASSERT_TRUE(d.JoinSession("Lake day"));
        ASSERT_TRUE(WaitUntil(
            [&] { return d.GetLocalSlot() == 2 && c.IsSlotActive(2) && d.IsSlotActive(1) && r.IsSlotActive(2); },
            {&r, &c, &d}));
        QuitOnStall watchdog;
        ASSERT_TRUE(PlayAll({&robin, &casey, &drew}, {Step::kNextGame}));
        ASSERT_TRUE(WaitUntil(
            [&] { return c.GetGameNumber() == 1 && d.GetGameNumber() == 1 && c.HasHeaderOf(2) && d.HasHeaderOf(1); },
            {&r, &c, &d}));

        const auto day = [&] { return PlayAll({&robin, &casey, &drew}, {Step::kStart, Step::kLake}); };
        // Robin's weigh-in up to its step that publishes 7; Casey and Drew wait in theirs.
        std::thread caseyWeighs;
        std::thread drewWeighs;
        bool caseyThrough = false;
        std::atomic<bool> caseyDone{false};
        bool drewThrough = false;
        const auto weighInWithRobinAtSeven = [&]
        {
            r.AddPlayerResults(r.GetLocalSlot(), robin.ounces, 1);
            r.SyncPhase(kResultsPhase, true);
            caseyWeighs = std::thread(
                [&]
                {
                    caseyThrough = casey.Exchange();
                    caseyDone = true;
                });
            ASSERT_TRUE(WaitUntil([&] { return r.GetPlayerPhase(1) == kResultsTakenPhase; }, {&r}));
            if (row.gone == Gone::kSevenWithAHeaderLost)
            {
                // Drew's catch reaches Robin alone; Drew has stopped drawing frames and will
                // notice Robin gone only after Casey has taken over.
                ASSERT_TRUE(WaitUntil([&] { return d.GetPlayerPhase(1) == kResultsTakenPhase; }, {&r}));
                net.HoldRelaysForTest(r.GetLocalId(), true);
                net.HoldNoticesForTest(d.GetLocalId(), true);
                d.AddPlayerResults(d.GetLocalSlot(), drew.ounces, 1);
                d.SetLocalPhase(kResultsTakenPhase);
            }
            else
                drewWeighs = std::thread([&] { drewThrough = drew.Exchange(); });
            ASSERT_TRUE(WaitUntil([&] { return r.GetPlayerPhase(2) == kResultsTakenPhase; }, {&r}));
        };
        switch (row.gone)
        {
        case Gone::kSetUp:
            break;
        case Gone::kStart:
            for (tovDirectPlay* s : {&c, &d})
                s->SetLocalPhase(kDayStartPhase);
            ASSERT_TRUE(WaitUntil([&] { return r.IsEveryoneAtDayStart(); }, {&r}));
            break;
        case Gone::kStartDrewsWordLost:
            for (tovDirectPlay* s : {&c, &d})
                s->SetLocalPhase(kDayStartPhase);
            ASSERT_TRUE(WaitUntil([&] { return r.IsEveryoneAtDayStart() && c.GetPlayerPhase(2) == kDayStartPhase; },
                                  {&r, &c, &d}));
            net.HoldRelaysForTest(r.GetLocalId(), true);
            d.SetLocalPhase(kSetUpPhase);
            ASSERT_TRUE(WaitUntil([&] { return r.GetPlayerPhase(2) == kSetUpPhase; }, {&r}));
            break;
        case Gone::kStartBegunWithoutCasey:
            for (tovDirectPlay* s : {&c, &d})
                s->SetLocalPhase(kDayStartPhase);
            ASSERT_TRUE(WaitUntil([&] { return r.IsEveryoneAtDayStart(); }, {&r}));
            r.SyncPhase(kDayStartPhase, true);
            r.SetLocalPhase(kInDayPhase);
            r.SyncPhase(kDayParamsPhase, true);
            drewWeighs = std::thread([&] { drewThrough = drew.Play(wholeDay); });
            EXPECT_TRUE(WaitUntil([&] { return c.GetPlayerPhase(2) == kInDayPhase; }, {&r, &c}));
            break;
        case Gone::kLake:
        case Gone::kNewcomerAfterFirstDay:
            ASSERT_TRUE(day());
            r.DisableJoining();
            break;
        case Gone::kInLeaveDay:
        case Gone::kInLeaveDayAllCut:
        {
            ASSERT_TRUE(day());
            ASSERT_TRUE(PlayAll({&robin, &casey, &drew}, {Step::kExchange, Step::kClose}));
            ASSERT_TRUE(casey.LeaveDay());
            // Robin waits for Drew to leave the day; Drew is still on its board.
            r.ClearPlayerResults();
            r.SetLocalPhase(kBetweenDaysPhase);
            d.ClearPlayerResults();
            ASSERT_TRUE(WaitUntil([&] { return c.GetPlayerPhase(0) == kBetweenDaysPhase; }, {&r, &c}));
            if (row.gone == Gone::kInLeaveDayAllCut)
                net.HoldNoticesForTest(c.GetLocalId(), true);
            break;
        }
        case Gone::kBeforeSeven:
            ASSERT_TRUE(day());
            caseyWeighs = std::thread([&] { caseyThrough = casey.Exchange(); });
            drewWeighs = std::thread([&] { drewThrough = drew.Exchange(); });
            EXPECT_TRUE(WaitUntil(
                [&] { return r.GetPlayerPhase(1) == kResultsTakenPhase && r.GetPlayerPhase(2) == kResultsTakenPhase; },
                {&r}));
            break;
        case Gone::kSevenWithAHeaderLost:
            ASSERT_TRUE(day());
            weighInWithRobinAtSeven();
            EXPECT_GE(net.HeldRelaysForTest(r.GetLocalId()), 1u) << "Drew's header to Casey waits at Robin";
            break;
        case Gone::kEveryoneInEight:
            ASSERT_TRUE(day());
            weighInWithRobinAtSeven();
            // Robin's own catch goes out; it would publish 8 next.
            r.SetLocalPhase(kResultsPhase);
            EXPECT_TRUE(WaitUntil(
                [&] { return c.GetPlayerPhase(0) == kResultsPhase && d.GetPlayerPhase(0) == kResultsPhase; }, {&r}));
            break;
        case Gone::kAfterEight:
            ASSERT_TRUE(day());
            weighInWithRobinAtSeven();
            r.SetLocalPhase(kResultsPhase);
            r.SetLocalPhase(kResultsTakenPhase);
            caseyWeighs.join();
            drewWeighs.join();
            break;
        case Gone::kFinalBoard:
        case Gone::kBetweenGames:
            // The tournament's one day is its last.
            r.SetDay(1, true);
            ASSERT_TRUE(day());
            ASSERT_TRUE(PlayAll({&robin, &casey, &drew}, {Step::kExchange, Step::kClose}));
            break;
        case Gone::kNextSetUp:
            ASSERT_TRUE(day());
            ASSERT_TRUE(PlayAll({&robin, &casey, &drew}, {Step::kExchange, Step::kClose}));
            ASSERT_TRUE(PlayAll({&casey, &drew}, {Step::kNextGame}));
            break;
        case Gone::kInBeginGameWait:
            ASSERT_TRUE(day());
            ASSERT_TRUE(PlayAll({&robin, &casey, &drew}, {Step::kExchange}));
            d.SetLocalPhase(kClosePhase);
            ASSERT_TRUE(WaitUntil([&] { return c.GetPlayerPhase(2) == kClosePhase; }, {&r, &c, &d}));
            caseyWeighs = std::thread([&] { caseyThrough = casey.NextGame(); });
            ASSERT_TRUE(WaitUntil([&] { return r.GetPlayerPhase(1) == kClosedPhase; }, {&r}));
            break;
        case Gone::kNextDayOwed:
            ASSERT_TRUE(day());
            ASSERT_TRUE(PlayAll({&robin, &casey, &drew}, {Step::kExchange, Step::kClose}));
            // Every clock stands at day 1's end.
            session.emplace();
            session->SetDay(2, true);
            TheGameClock().Start(10.0, 8.0);
            TheGameClock().SetGameTime(TheGameClock().GetDayLength());
            ASSERT_TRUE(casey.LeaveDay());
            ASSERT_TRUE(drew.LeaveDay());
            r.ClearPlayerResults();
            r.SetLocalPhase(kBetweenDaysPhase);
            ASSERT_TRUE(WaitUntil(
                [&]
                {
                    return c.CopyGameParams().phase == kBetweenDaysPhase &&
                           d.CopyGameParams().phase == kBetweenDaysPhase && r.GetPlayerPhase(2) == kBetweenDaysPhase;
                },
                {&r, &c, &d}));
            // Casey goes on to day 2's lake as a client and waits there for the host's day (its
            // screen asks on every frame).
            c.SetLocalPhase(kInDayPhase);
            EXPECT_FALSE(c.SyncPhase(kDayParamsPhase, true));
            ASSERT_TRUE(WaitUntil([&] { return r.GetPlayerPhase(1) == kInDayPhase; }, {&r, &c, &d}));
            break;
        }
        const uint32_t robinId = r.GetLocalId();
        if (row.leaves)
            r.Close();
        else
            net.Kill(robinId);
        if (row.gone == Gone::kNextDayOwed)
        {
            // Drew stands on the lake too. Casey, host now, owes the day's end: Robin, still seated
            // until the window ends, holds the day back.
            d.SetLocalPhase(kInDayPhase);
            EXPECT_TRUE(WaitUntil([&] { return c.IsHost() && c.GetPlayerPhase(2) == kInDayPhase; }, {&c, &d}));
            EXPECT_FALSE(c.SyncPhase(kDayParamsPhase, true));
            EXPECT_NE(c.GetPlayerId(0), 0u) << "Robin is told gone only as the window ends";
            EXPECT_LT(d.CopyGameParams().phase, kDayParamsPhase) << "day 2 began with Robin seated";
        }
        // Robin is told gone once the move's window has passed.
        net.AdvanceForTest(kMoveWindowMs);
        if (row.gone == Gone::kStartDrewsWordLost)
        {
            // Casey, host now, last heard Drew at the start; that word is from before the move, and
            // Drew has said nothing since: the start waits for Drew.
            EXPECT_TRUE(WaitUntil([&] { return c.IsHost(); }, {&c}));
            EXPECT_EQ(c.GetPlayerPhase(2), kDayStartPhase);
            EXPECT_FALSE(c.IsEveryoneAtDayStart()) << "a day begun on Drew's word from before the move";
        }
        if (row.gone == Gone::kNextDayOwed)
        {
            // The day goes out at its start, whatever Casey's clock stood at; Drew has not taken it yet.
            EXPECT_TRUE(WaitUntil([&] { return c.SyncPhase(kDayParamsPhase, true); }, {&c, &d}));
            EXPECT_TRUE(WaitUntil([&] { return d.CopyGameParams().phase == kDayParamsPhase; }, {&c, &d}));
            const tovNetworkPlay::GAMEPARAMS published = d.CopyGameParams();
            EXPECT_EQ(published.day, 2);
            EXPECT_EQ(published.hostTimeOfDay, tovGameClock::kDayStartSeconds);
        }
        if (row.gone == Gone::kInLeaveDayAllCut)
        {
            // Drew leaves the day under Casey before Casey knows it hosts: that word came before the
            // move as Casey sees it. Cut, Drew speaks again at its start only once Casey is in its day.
            EXPECT_TRUE(WaitUntil([&] { return d.GetPlayerId(0) == 0; }, {&d}));
            EXPECT_TRUE(drew.LeaveDay());
            EXPECT_TRUE(WaitUntil([&] { return c.GetPlayerPhase(2) == kBetweenDaysPhase; }, {&d}));
            net.HoldNoticesForTest(c.GetLocalId(), false);
        }
        if (row.gone == Gone::kSevenWithAHeaderLost)
        {
            // Drew's catch went to Robin alone and was lost with it, and what Drew says before it
            // hears of the move goes to Robin too: Casey, host now, has none of it.
            const uint32_t refused = d.GetDroppedCount();
            d.SendPlayerHeader();
            EXPECT_TRUE(WaitUntil([&] { return c.IsHost(); }, {}));
            int32_t heard = 0;
            int32_t fish = 0;
            c.GetPlayerResults(2, heard, fish);
            EXPECT_EQ(heard, 0) << "Drew's word reached Casey through a host that had gone";
            // Casey, host now, waits for Drew: its word to Drew goes out from its wait, and Drew, which
            // takes Robin for the host still, refuses its parameters. Read at once, Casey's board
            // would lack Drew's catch.
            EXPECT_TRUE(WaitUntil([&] { return d.GetDroppedCount() > refused || caseyDone.load(); }, {}));
            net.HoldNoticesForTest(d.GetLocalId(), false);
            drewWeighs = std::thread([&] { drewThrough = drew.Weigh(); });
        }
        // Copies in a wait serve their own queues; the others are served here, as a frame would.
        const bool waiting = caseyWeighs.joinable() || drewWeighs.joinable();
        const auto moved = [&] { return c.IsHost() && c.GetPlayerId(0) == 0 && d.GetPlayerId(0) == 0; };
        // Casey takes the role in what the move queued: served here unless Casey waits.
        EXPECT_TRUE(caseyWeighs.joinable() ? WaitUntil(moved, {})
                    : waiting              ? WaitUntil(moved, {&c})
                                           : WaitUntil(moved, {&c, &d}));
        // What the move queued for the main thread as the host took over has run.
        if (!waiting)
            c.DrainMainThreadQueue();
        EXPECT_FALSE(d.IsHost());

        if (row.gone == Gone::kNewcomerAfterFirstDay || row.gone == Gone::kFinalBoard)
        {
            // Inside the game the new host keeps newcomers out; after its final it lets them in.
            NetSessionSide eli(net, "Eli");
            SetNetworkPlay(nullptr);
            const bool inside = row.gone == Gone::kNewcomerAfterFirstDay;
            EXPECT_EQ(eli.session->JoinSession("Lake day"), !inside);
            EXPECT_EQ(eli.session->WasJoinRefused(), inside);
            eli.session->Close();
        }
        if (row.gone == Gone::kInBeginGameWait)
        {
            // Drew's weigh-in closes; Casey, host now, numbers the next game once Drew has said so.
            d.SetLocalPhase(kClosedPhase);
            EXPECT_TRUE(drew.NextGame());
            caseyWeighs.join();
            EXPECT_TRUE(caseyThrough);
            caseyThrough = drewThrough = PlayAll({&casey, &drew}, row.after);
        }
        else if (row.gone == Gone::kInLeaveDay)
        {
            // Drew leaves the day only once Casey is on the next day's lake: Casey publishes none
            // of it before.
            std::thread caseyPlays([&] { caseyThrough = casey.Play(row.after); });
            EXPECT_TRUE(WaitUntil([&] { return d.GetPlayerPhase(1) == kInDayPhase; }, {&d}));
            EXPECT_LT(c.CopyGameParams().phase, kDayParamsPhase) << "the next day began with Drew still in the last";
            drewThrough = drew.Play(Step::kLeaveDay) && drew.Play(row.after);
            caseyPlays.join();
        }
        else if (drewWeighs.joinable() && !caseyWeighs.joinable())
        {
            caseyThrough = casey.Play(row.after);
            drewWeighs.join();
        }
        else if (caseyWeighs.joinable())
        {
            caseyWeighs.join();
            drewWeighs.join();
            if (row.gone == Gone::kAfterEight)
            {
                EXPECT_TRUE(PlayAll({&casey, &drew}, row.after));
            }
        }
        else
        {
            // The set-up's accept as host.
            if (row.gone == Gone::kNextSetUp)
                c.SetDay(0, true);
            if (row.gone == Gone::kBetweenGames)
            {
                // Casey sets up the next game while Drew is still on the final board.
                std::atomic<bool> setUp{false};
                std::thread drewOnTheBoard([&] { Poll(d, [&] { return setUp.load(); }); });
                EXPECT_TRUE(casey.NextGame());
                setUp = true;
                drewOnTheBoard.join();
                EXPECT_TRUE(drew.NextGame());
            }
            caseyThrough = drewThrough = PlayAll({&casey, &drew}, row.after);
        }
        watchdog.Finish();
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
        qrxBaseApp::SetQuitFlag(false);
        EXPECT_TRUE(caseyThrough);
        EXPECT_TRUE(drewThrough);

        // Equal boards, each player on them once: Casey and Drew with their catch, Robin with its
        // own only where its catch went out before it went.
        const bool robinWeighed = row.gone == Gone::kEveryoneInEight || row.gone == Gone::kAfterEight ||
                                  row.gone == Gone::kFinalBoard || row.gone == Gone::kNextDayOwed;
        Board expected = {{c.GetLocalId(), casey.ounces, 1}, {d.GetLocalId(), drew.ounces, 1}};
        if (robinWeighed)
            expected.emplace_back(robinId, robin.ounces, 1);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(casey.board, expected);
        // Each copy draws the day's computer anglers from the seed published with the weigh-in.
        EXPECT_NE(c.CopyGameParams().weighInSeed, 0);
        EXPECT_EQ(d.CopyGameParams().weighInSeed, c.CopyGameParams().weighInSeed);
        EXPECT_EQ(drew.board, expected);
        const bool secondGame =
            row.gone == Gone::kBetweenGames || row.gone == Gone::kNextSetUp || row.gone == Gone::kInBeginGameWait;
        EXPECT_EQ(c.GetGameNumber(), secondGame ? 2 : 1);
        EXPECT_EQ(d.GetGameNumber(), c.GetGameNumber());
        EXPECT_EQ(d.GetPlayerId(1), c.GetLocalId()) << "Drew still plays with Casey";
        EXPECT_EQ(c.GetPlayerId(2), d.GetLocalId()) << "Casey still plays with Drew";
    }
}

// The host goes after the transport's welcome of a joiner and before its table has seated it
// there (the host's frame, which sends the table, never comes): the joiner, host now, seats itself
// as any newcomer is seated, and its waits end.
TEST_F(tovHostMove, ANewHostTheOldOneNeverSeatedSeatsItself)
{
    plat::LoopbackNetwork net(plat::LoopbackNetwork::Shape::kStar);
    NetSessionSide robin(net, "Robin");
    NetSessionSide eli(net, "Eli");
    tovDirectPlay& r = *robin.session;
    tovDirectPlay& e = *eli.session;
    SetNetworkPlay(nullptr);
    ASSERT_TRUE(r.HostSession("Lake day", ""));
    ASSERT_TRUE(e.JoinSession("Lake day"));
    ASSERT_TRUE(WaitUntil([&] { return r.GetSlotIds()[1] == e.GetLocalId(); }, {}));
    EXPECT_EQ(e.GetLocalSlot(), tovNetworkPlay::kLocalSlot);
    // What Eli says to everyone reaches the host once, not also as a relay of its own.
    e.SendChatText("tight lines", true, nullptr);
    e.SendChatText("over", true, nullptr);
    net.Kill(r.GetLocalId());
    net.AdvanceForTest(kMoveWindowMs);
    ASSERT_TRUE(WaitUntil([&] { return e.IsHost(); }, {&e}));
    ASSERT_TRUE(e.IsSlotActive(e.GetLocalSlot()));
    QuitOnStall watchdog;
    EXPECT_TRUE(e.WaitForPhase(kResultsPhase, kResultsTakenPhase, 0, 0));
    watchdog.Finish();
    EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
    const auto& lines = robin.lines;
    ASSERT_TRUE(WaitUntil([&] { return std::count(lines.begin(), lines.end(), "Eli: over") != 0; }, {&r}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Eli: tight lines"), 1);
}

// Over real sessions, since the star never steps its host down. A host that the session moved away
// from (a player told it so) comes back as a player with its seat and hears of a new host: it drops
// the host's role and takes the new host's parameters. The new host, with the old one still listed
// (no leave comes for it), begins the next game once every player, the old host among them, has
// spoken since the move.
TEST(tovDirectPlayMove, AHostThatStepsDownGoesOnAsAClient)
{
    // No link here times out in the test: the move is told by the hook, and every copy answers.
    constexpr int32_t kPatientTimeoutMs = 120000;
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    EnetSide robin("Robin", kPatientTimeoutMs);
    EnetSide casey("Casey", kPatientTimeoutMs);
    EnetSide drew("Drew", kPatientTimeoutMs);
    tovDirectPlay& r = *robin.session;
    tovDirectPlay& c = *casey.session;
    tovDirectPlay& d = *drew.session;
    const auto all = [&](const std::function<bool()>& done) { return WaitUntil(done, {&r, &c, &d}); };
    ASSERT_TRUE(r.HostSession("Lake day", "127.0.0.1:0"));
    ASSERT_TRUE(c.JoinSession(r.GetSessionAddress()));
    ASSERT_TRUE(all([&] { return c.GetLocalSlot() == 1 && r.IsSlotActive(1) && c.HasHeaderOf(0); }));
    ASSERT_TRUE(d.JoinSession(r.GetSessionAddress()));
    ASSERT_TRUE(all([&] { return d.GetLocalSlot() == 2 && c.IsSlotActive(2) && d.HasHeaderOf(0); }));
    const plat::NetPlayerId robinId = r.GetLocalId();
    casey.transport->TakeForGoneForTests(robinId);
    ASSERT_TRUE(all([&] { return c.IsHost() && robin.transport->GetHostId() == c.GetLocalId(); }));
    ASSERT_TRUE(all([&] { return !r.IsHost(); })) << "the old host kept its role";
    EXPECT_EQ(r.GetLocalId(), robinId);
    EXPECT_TRUE(c.IsSlotActive(0));
    QuitOnStall watch;
    bool begun = false;
    std::thread newHost([&] { begun = c.BeginGame(); });
    const bool numbered = WaitUntil([&] { return r.GetGameNumber() == 1 && d.GetGameNumber() == 1; }, {&r, &d});
    newHost.join();
    watch.Finish();
    EXPECT_FALSE(qrxBaseApp::GetQuitFlag());
    qrxBaseApp::SetQuitFlag(false);
    EXPECT_TRUE(begun);
    EXPECT_TRUE(numbered) << "the old host dropped the new host's next game";
    EXPECT_EQ(r.CopyGameParams().phase, kSetUpPhase);
    EXPECT_TRUE(r.SlotsNotAtDayStart().empty()) << "a client waits for nobody's start";
}

} // namespace
