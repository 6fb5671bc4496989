// A network player cut from a tournament's field is cut from that tournament only: whichever
// way it leaves it, the next network tournament of the same run starts its day and fishes it.
// This copy hosts on the in-process network, its screens the game's; the other copy is a
// session on a thread of its own that follows the host's phases by its player header. The
// shared parameters are one record in a process, which the other copy's receive thread
// overwrites with what it heard last: the tournament's settings are set before the session opens
// and kept, and the other copy reads none of them.

#include "NetSessionPair.h"
#include "ShellScreenFixture.h"
#include "TestWeighInPorts.h"

#include "ButtonObj.h"
#include "Clock.h"
#include "KeyNumbers.h"
#include "qrxBaseApp.h"
#include "qrxClock.h"
#include "tovDayStartIFace.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovNetworkPlayGameParams.h"
#include "tovTournamentSetupIFace.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"
#include "tovWeighInNet.h"
#include "uRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <thread>
#include <vector>

namespace
{

constexpr int32_t kFishing = 2;
constexpr int32_t kSetUp = 4;
constexpr int32_t kMainMenu = 8;
constexpr int32_t kWeighIn = 10;
constexpr int32_t kDayStart = 19;
constexpr int32_t kInDay = 5;

// This copy's livewell as the test fills it (empty: cut after the first day). No sounds, and the
// clips end on a click.
using Livewell = TestWeighInPorts;

enum class Road
{
    // Escape on the cut's wait at the start of the next day, and yes to leaving the game.
    kLeavesTheGame,
    // Escape on the final's board, which leads on as its click does.
    kEscapesTheFinalsBoard,
};

// The other copy's thread; should the test stop early, the quit flag ends its waits.
class OtherCopy
{
public:
    template <typename F> explicit OtherCopy(F play) : m_thread(std::move(play)) {}
    ~OtherCopy() { Join(); }
    void Join()
    {
        if (!m_thread.joinable())
            return;
        if (!m_joined)
            qrxBaseApp::SetQuitFlag(true);
        // The watch goes on until the thread is through: a stalled wait is ended, not waited on.
        m_thread.join();
        m_watchdog.Finish();
    }
    // The other copy's part is played: its thread ends by itself.
    void Finished()
    {
        m_joined = true;
        Join();
    }

private:
    QuitOnStall m_watchdog;
    bool m_joined = false;
    std::thread m_thread;
};

class tovCutFromField : public ShellScreenTest
{
protected:
    void SetUp() override
    {
        SetInstallRoot(testfiles::DataDir());
        TheLakeCatalogue().Clear();
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        // The day's field is drawn from the host's seed, which the calendar's seconds give.
        plat::FixCalendarSeconds(1'700'000'000);
        ShellScreenTest::SetUp();
        TheLakeCatalogue().SelectLakeByIndex(m_session.get(), 0);
        SharedRandom().seed(4242);
        TheUserProfile().SetName("Robin", false);
        m_pair.emplace();
        SetNetworkPlay(&m_pair->h);
        SetNetworkLaunch(true);
    }
    void TearDown() override
    {
        if (IsMessageBoxRaised())
            ShowMessageScreen(false);
        SwitchTo(kMainMenu);
        SetNetworkLaunch(false);
        SetNetworkPlay(nullptr);
        m_pair.reset();
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        qrxBaseApp::SetQuitFlag(false);
        ShellScreenTest::TearDown();
        TheLakeCatalogue().Clear();
        SetInstallRoot("");
        plat::UnfixCalendarSeconds();
    }
    void AddMoreScreens() override
    {
        m_app->AddInterface(new tovDayStartIFace, kDayStart);
        m_app->AddInterface(new tovTournamentSetupIFace, kSetUp);
        auto ports = std::make_unique<Livewell>();
        m_ports = ports.get();
        m_app->AddInterface(new tovWeighInIFace(std::move(ports)), kWeighIn);
    }

    tovWeighInIFace& WeighIn() { return *static_cast<tovWeighInIFace*>(m_app->GetInterface(kWeighIn)); }
    tovDayStartIFace& DayStart() { return *tovDayStartIFace::GetInstance(); }
    tovDirectPlay& Host() { return m_pair->h; }
    tovDirectPlay& Other() { return m_pair->c; }

    // Waits until the host's header says it is in one of the phases.
    static bool HostIn(tovDirectPlay& c, std::initializer_list<int32_t> phases)
    {
        for (;;)
        {
            const int32_t phase = c.GetPlayerPhase(0);
            if (std::find(phases.begin(), phases.end(), phase) != phases.end())
                return true;
            if (qrxBaseApp::GetQuitFlag())
                return false;
            c.DrainMainThreadQueue();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // The other copy's day: in the day once the host is, its catch published, then the results
    // closed with the host (which goes between the days at once, or stays closed after a final).
    // The host waits on this copy at each step, so it skips none of these phases.
    static bool OtherFishesADay(tovDirectPlay& c)
    {
        if (!HostIn(c, {kInDay}))
            return false;
        c.ClearPlayerResults();
        c.AddPlayerResults(1, 1400, 2);
        c.SetLocalPhase(kInDay);
        c.SetLocalPhase(tovWeighInNet::kResultsTakenPhase);
        if (!HostIn(c, {tovWeighInNet::kResultsTakenPhase}))
            return false;
        c.SetLocalPhase(tovWeighInNet::kClosedPhase);
        return HostIn(c, {tovWeighInNet::kClosedPhase, tovWeighInNet::kBetweenDaysPhase});
    }

    // Between two days, as the other copy's weigh-in leaves the day.
    static bool OtherFishesTwoDays(tovDirectPlay& c)
    {
        if (!OtherFishesADay(c))
            return false;
        c.SetLocalPhase(tovWeighInNet::kBetweenDaysPhase);
        return OtherFishesADay(c);
    }

    // This copy's day over: to the weigh-in once the other copy is in the day too (or already
    // waiting at the weigh-in).
    void ToTheWeighIn()
    {
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                const int32_t phase = Host().GetPlayerPhase(1);
                return phase >= kInDay && phase < tovWeighInNet::kClosePhase;
            },
            {&Host()}));
        SwitchTo(kWeighIn);
    }

    // The weigh-in's timers run on until `done`, a playing clip clicked away.
    template <typename Done> bool StepUntil(Done done)
    {
        for (int step = 0; step < 1000 && !done(); ++step)
        {
            m_clock.AdvanceMs(100);
            WeighIn().Step(GetTimeMs(), WeighIn().IsClipPlaying());
        }
        return done();
    }

    // A two-day tournament whose first day this copy ends cut, then left by the road.
    void CutAfterTheFirstDayAndLeave(Road road)
    {
        // Two days of the longest fishing, for both tournaments: every computer angler brings
        // fish, so an empty livewell is last.
        Host().SetSetting0(3, false);
        Host().SetSetting1(1, false);
        Host().SetPlayerIndex(2, false);
        Host().SetLakeId(TheLakeCatalogue().GetCurrentLakeId(), false);
        ASSERT_TRUE(HostAndJoin(Host(), Other()));
        m_session->SetMode(tovGameSession::kTournament);
        m_session->SetDay(1, true);
        Host().SetLocalPhase(kInDay);
        bool otherThrough = false;
        OtherCopy other(
            [&, road]
            {
                tovDirectPlay& c = Other();
                // After leaving, the other copy fishes on alone; the final is fished by it while this
                // one watches.
                if (road == Road::kLeavesTheGame)
                {
                    otherThrough = OtherFishesADay(c);
                    c.SetLocalPhase(tovWeighInNet::kBetweenDaysPhase);
                }
                else
                    otherThrough = OtherFishesTwoDays(c);
            });

        ASSERT_NO_FATAL_FAILURE(ToTheWeighIn());
        ASSERT_TRUE(StepUntil([&] { return WeighIn().GetCeremony().dayResultsShown; }));
        // The cut player watches the tournament on: its board starts no new game.
        const std::vector<tovWeighInIFace::Line> lines = WeighIn().BoardLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().text, "Click Mouse To Continue.");
        WeighIn().Step(GetTimeMs(), true);
        ASSERT_TRUE(m_session->IsCutFromField()) << "an empty livewell makes the cut";
        Frame();
        ASSERT_EQ(Current(), kDayStart);
        ASSERT_TRUE(DayStart().IsCutWait());
        Frame();

        if (road == Road::kLeavesTheGame)
        {
            other.Finished();
            m_input.SetKey(plat::kKeyEscape, true);
            EXPECT_FALSE(DayStart().AllowsEscape());
            Frame();
            m_input.SetKey(plat::kKeyEscape, false);
            Frame();
            ASSERT_TRUE(IsMessageBoxRaised());
            m_input.SetKey(plat::kKeyReturn, true);
            Frame();
            m_input.SetKey(plat::kKeyReturn, false);
            Frame();
            ASSERT_TRUE(NetTakeLeftGame());
            ASSERT_FALSE(Host().IsSessionOpen());
        }
        else
        {
            // The host's day has begun on the cut's wait; at its end, the final's board.
            ASSERT_NO_FATAL_FAILURE(ToTheWeighIn());
            other.Finished();
            ASSERT_TRUE(WeighIn().GetCeremony().ceremonyOver) << "a cut copy's final ends at its board";
            // Escape, as the application hands it on: the board does not let it switch to the
            // main menu by itself, it leads on as the board's click does.
            EXPECT_FALSE(WeighIn().AllowsEscape());
            Frame();
            Frame();
            EXPECT_EQ(Current(), kMainMenu);
            EXPECT_FALSE(m_session->IsCutFromField()) << "the tournament did not end";
        }
        EXPECT_TRUE(otherThrough);
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
        // The application's answer to leaving: the main menu.
        if (road == Road::kLeavesTheGame)
            SwitchTo(kMainMenu);
        Frame();
    }

    // The next tournament, set up and started from its start of the day: its first day fished
    // and gone on from, its final weighed and closed with the other copy.
    void PlayTheNextTournament()
    {
        const char* name = "Lake day";
        if (!Host().IsSessionOpen())
        {
            name = "Next day";
            ASSERT_TRUE(Host().HostSession(name, ""));
            ASSERT_TRUE(Other().JoinSession("Next day"));
            // Seated by this host's table, not by a host change of the session left.
            ASSERT_TRUE(WaitUntil(
                [&] { return Other().GetLocalSlot() == 1 && Host().IsSlotActive(1) && Other().IsSlotActive(0); },
                {&Host(), &Other()}));
            ASSERT_FALSE(Other().IsHost());
            // The host's header, the last of its greeting: no parameters of the join are still on
            // their way to undo the set-up's.
            ASSERT_TRUE(WaitUntil([&] { return Other().HasHeaderOf(0); }, {&Host(), &Other()}));
        }
        SwitchTo(kSetUp);
        Frame();
        ButtonObj* accept = m_app->GetInterface(kSetUp)->GetButton(tovTournamentSetupIFace::kAccept);
        ASSERT_NE(accept, nullptr);
        ClickAt(accept->m_left + 2, accept->m_top + 2);
        Frame();
        ASSERT_EQ(Current(), kDayStart);
        EXPECT_FALSE(DayStart().IsCutWait());
        ButtonObj* start = DayStart().GetButton(tovDayStartIFace::kStartButton);
        ASSERT_NE(start, nullptr) << "the start of the day shows Start";

        // The other copy stands at its own start: the host's begins the day only then.
        Other().SetLocalPhase(kDayStartPhase);
        ASSERT_TRUE(WaitUntil([&] { return Host().GetPlayerPhase(1) == kDayStartPhase; }, {&Host(), &Other()}));
        bool otherThrough = false;
        OtherCopy other([&] { otherThrough = OtherFishesTwoDays(Other()); });
        ClickAt(start->m_left + 2, start->m_top + 2);
        Frame();
        ASSERT_EQ(Current(), kFishing);
        // No one joins a tournament under way; the door opens again once the final is closed.
        NetSessionSide late(m_pair->net, "Drew");
        // A new session makes itself the program's: this copy's stays the game's.
        SetNetworkPlay(&Host());
        EXPECT_FALSE(late.session->JoinSession(name));
        Host().SetLocalPhase(kInDay);
        m_ports->m_livewell = {1500, 1500, 1500};
        ASSERT_NO_FATAL_FAILURE(ToTheWeighIn());
        ASSERT_TRUE(StepUntil([&] { return WeighIn().GetCeremony().dayResultsShown; }));
        EXPECT_EQ(WeighIn().Standings().m_totals[0], 4500.0) << "this copy's catch is weighed";
        WeighIn().Step(GetTimeMs(), true);
        ASSERT_EQ(WeighIn().m_nextScreen, kFishing) << "on to the final";
        Frame();
        ASSERT_EQ(Current(), kFishing);

        // The final, with nothing to bring to the scale.
        m_ports->m_livewell.clear();
        Host().SetLocalPhase(kInDay);
        ASSERT_NO_FATAL_FAILURE(ToTheWeighIn());
        EXPECT_FALSE(WeighIn().GetCeremony().ceremonyOver) << "the final's ceremony, not a cut copy's board";
        ASSERT_TRUE(StepUntil([&] { return WeighIn().GetCeremony().ceremonyOver; }));
        // The board's click closes the results with the other copy.
        WeighIn().Step(GetTimeMs(), true);
        EXPECT_EQ(WeighIn().m_nextScreen, kMainMenu);
        const bool closed = Host().GetPlayerPhase(tovNetworkPlay::kLocalSlot) == tovWeighInNet::kClosedPhase;
        EXPECT_TRUE(closed) << "the final's results were not closed with the other copy";
        if (!closed)
            return;
        other.Finished();
        EXPECT_TRUE(otherThrough);
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
        EXPECT_TRUE(late.session->JoinSession(name)) << "the door stayed shut after the final";
    }

    std::optional<SessionPair> m_pair;
    Livewell* m_ports = nullptr;
};

TEST_F(tovCutFromField, LeavingWhileCutLeavesTheNextTournamentToFish)
{
    ASSERT_NO_FATAL_FAILURE(CutAfterTheFirstDayAndLeave(Road::kLeavesTheGame));
    PlayTheNextTournament();
}

TEST_F(tovCutFromField, EscapingTheFinalsBoardWhileCutLeavesTheNextTournamentToFish)
{
    ASSERT_NO_FATAL_FAILURE(CutAfterTheFirstDayAndLeave(Road::kEscapesTheFinalsBoard));
    PlayTheNextTournament();
}

} // namespace
