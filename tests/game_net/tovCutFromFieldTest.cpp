// A network player cut from a tournament's field is cut from that tournament only: whichever
// way it leaves it, the next network tournament of the same run starts its day and fishes it.
// This copy hosts on the in-process network, its screens the game's; the other copy is a
// session on a thread of its own, following the phases as a game would.

#include "NetSessionPair.h"
#include "ShellScreenFixture.h"

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

#include <optional>
#include <thread>

namespace
{

constexpr int32_t kFishing = 2;
constexpr int32_t kSetUp = 4;
constexpr int32_t kMainMenu = 8;
constexpr int32_t kWeighIn = 10;
constexpr int32_t kDayStart = 19;
constexpr int32_t kInDay = 5;

// This copy's livewell, empty: it is cut after the first day. No sounds, clips end on a click.
class EmptyLivewell : public tovWeighInPorts
{
public:
    std::vector<int32_t> LivewellWeights() override { return {}; }
    void ReleaseLivewellFish(int32_t) override {}
    float FishSize(int32_t, float x, float, float, int32_t, float) override { return x * 8.0f; }
    bool PlaySound(int32_t, bool, SoundEndCallback, uintptr_t) override { return false; }
    void StopSound(int32_t) override {}
    bool SetOpeningSound(bool, SoundEndCallback, uintptr_t) override { return false; }
    void SetLakeSounds(bool) override {}
    void ShowMessageBox(const char*, tovMessageCallback, uintptr_t) override {}
};

enum class Road
{
    // Escape on the cut's wait at the start of the next day, and yes to leaving the game.
    kLeavesTheGame,
    // Escape on the final's board instead of its click.
    kEscapesTheFinalsBoard,
};

// The other copy's thread; should the test stop early, the quit flag ends its waits.
class OtherCopy
{
public:
    template <typename F>
    explicit OtherCopy(F play) : m_thread(std::move(play))
    {
    }
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
        m_app->AddInterface(new tovWeighInIFace(std::make_unique<EmptyLivewell>()), kWeighIn);
    }

    tovWeighInIFace& WeighIn() { return *static_cast<tovWeighInIFace*>(m_app->GetInterface(kWeighIn)); }
    tovDayStartIFace& DayStart() { return *tovDayStartIFace::GetInstance(); }
    tovDirectPlay& Host() { return m_pair->h; }
    tovDirectPlay& Other() { return m_pair->c; }

    // The other copy's day: in the day once this copy's is, then its catch exchanged and the
    // results closed. False when a wait ended without the phase it waited for.
    static bool OtherFishesADay(tovDirectPlay& c)
    {
        while (c.GetPlayerPhase(0) != kInDay && !qrxBaseApp::GetQuitFlag())
        {
            c.DrainMainThreadQueue();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        c.ClearPlayerResults();
        c.AddPlayerResults(1, 1400, 2);
        c.SetLocalPhase(kInDay);
        return c.WaitForPhase(tovWeighInNet::kResultsPhase, tovWeighInNet::kResultsTakenPhase, 0, 0) &&
               c.WaitForPhase(tovWeighInNet::kClosePhase, tovWeighInNet::kClosedPhase, 0, 0);
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
    template <typename Done>
    bool StepUntil(Done done)
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
        ASSERT_TRUE(HostAndJoin(Host(), Other()));
        // The longest days: every computer angler brings fish, so an empty livewell is last.
        Host().SetSetting0(3, true);
        Host().SetSetting1(1, true);
        m_session->SetMode(tovGameSession::kTournament);
        m_session->SetDay(1, true);
        Host().SetLocalPhase(kInDay);
        bool otherThrough = false;
        OtherCopy other(
            [&, road]
            {
                tovDirectPlay& c = Other();
                otherThrough = OtherFishesADay(c);
                c.ClearPlayerResults();
                c.SetLocalPhase(tovWeighInNet::kBetweenDaysPhase);
                // The final: fished by the other copy while this one watches.
                if (otherThrough && road == Road::kEscapesTheFinalsBoard)
                    otherThrough = OtherFishesADay(c);
            });

        ASSERT_NO_FATAL_FAILURE(ToTheWeighIn());
        ASSERT_TRUE(StepUntil([&] { return WeighIn().GetCeremony().dayResultsShown; }));
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
            ASSERT_TRUE(WeighIn().AllowsEscape());
        }
        EXPECT_TRUE(otherThrough);
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
        // The application's answer to both: the main menu.
        SwitchTo(kMainMenu);
        Frame();
    }

    // A one-day tournament, set up and started from its start of the day, fished to its
    // board and closed with the other copy.
    void PlayTheNextTournament()
    {
        if (!Host().IsSessionOpen())
        {
            ASSERT_TRUE(Host().HostSession("Next day", ""));
            ASSERT_TRUE(Other().JoinSession("Next day"));
            ASSERT_TRUE(WaitUntil([&] { return Other().GetLocalSlot() == 1 && Host().IsSlotActive(1); },
                                  {&Host(), &Other()}));
        }
        Host().SetSetting1(0, true);
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

        bool otherThrough = false;
        OtherCopy other([&] { otherThrough = OtherFishesADay(Other()); });
        ClickAt(start->m_left + 2, start->m_top + 2);
        Frame();
        ASSERT_EQ(Current(), kFishing);
        Host().SetLocalPhase(kInDay);
        Host().SyncPhase(4, true);
        ASSERT_NO_FATAL_FAILURE(ToTheWeighIn());
        // In the field, not watching it: the final's ceremony, not a cut copy's board at once.
        EXPECT_EQ(WeighIn().GetFieldSize(), 5);
        EXPECT_FALSE(WeighIn().GetCeremony().ceremonyOver);
        ASSERT_TRUE(StepUntil([&] { return WeighIn().GetCeremony().ceremonyOver; }));
        // The board's click closes the results with the other copy.
        WeighIn().Step(GetTimeMs(), true);
        other.Finished();
        EXPECT_TRUE(otherThrough) << "the other copy's wait for the results to close stalled";
        EXPECT_EQ(Host().GetPlayerPhase(tovNetworkPlay::kLocalSlot), tovWeighInNet::kClosedPhase);
        EXPECT_EQ(WeighIn().m_nextScreen, kMainMenu);
        EXPECT_FALSE(qrxBaseApp::GetQuitFlag()) << "a wait stalled";
    }

    std::optional<SessionPair> m_pair;
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
