#include "tovGameSession.h"

#include "RecordingNetworkPlay.h"

#include "Clock.h"
#include "DebugOutput.h"
#include "TestFiles.h"
#include "tovGameClock.h"
#include "tovInstallSettings.h"
#include "tovSessionHooks.h"
#include "tovUserProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

int g_liveRigs = 0;

class TestRig : public tovAnglerRigBase
{
public:
    explicit TestRig(bool lowDetail, bool local) : m_lowDetail(lowDetail), m_local(local) { ++g_liveRigs; }
    bool m_lowDetail;
    bool m_local;

protected:
    ~TestRig() override { --g_liveRigs; }
};

class TestFactory : public tovRigFactory
{
public:
    QrPointer<tovAnglerRigBase> CreateLocalRig(bool lowDetail) override { return new TestRig(lowDetail, true); }
    QrPointer<tovAnglerRigBase> CreateComputerRig(bool lowDetail) override { return new TestRig(lowDetail, false); }
};

class TestHooks : public tovFishingModeHooks
{
public:
    void BeginGame(tovGameSession& session) override { begun.push_back(session.GetAnglers().size()); }
    void EndGame() override { liveAtEnd.push_back(g_liveRigs); }
    std::vector<size_t> begun;
    std::vector<int> liveAtEnd;
};

class tovGameSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plat::SetCurrentClock(&m_time);
        plat::SetDebugSink(&m_log);
        SetWritableRoot(m_dir.Path());
        CreateWritableFolders();
        SetRigFactory(&m_factory);
        SetFishingModeHooks(&m_hooks);
        m_savedProfile = TheUserProfile();
        TheUserProfile().SetDefaults(false);
    }
    void TearDown() override
    {
        TheUserProfile() = m_savedProfile;
        SetRigFactory(nullptr);
        SetFishingModeHooks(nullptr);
        SetWritableRoot("");
        plat::SetDebugSink(nullptr);
        plat::SetCurrentClock(nullptr);
    }

    static TestRig* Rig(const QrPointer<tovAnglerRigBase>& p) { return static_cast<TestRig*>(p.Get()); }

    plat::ManualClock m_time{1'000'000'000};
    plat::RecordingDebugSink m_log;
    testfiles::TempDir m_dir;
    TestFactory m_factory;
    TestHooks m_hooks;
    tovUserProfile m_savedProfile;
};

TEST_F(tovGameSessionTest, StartingAGameMakesItsAnglersAndAdvancesTheDay)
{
    TheUserProfile().SetStoredDetail(0.5f);
    TheUserProfile().SetSetting0(0);
    {
        tovGameSession session;
        session.StartGame(tovGameSession::kQuickFish, true);
        ASSERT_EQ(session.GetAnglers().size(), 5u);
        EXPECT_EQ(session.GetCurrentAngler(), session.GetAnglers()[0]);
        EXPECT_TRUE(Rig(session.GetAnglers()[0])->m_local);
        EXPECT_FALSE(Rig(session.GetAnglers()[0])->m_lowDetail) << "0.5 is not below 0.2";
        EXPECT_TRUE(Rig(session.GetAnglers()[4])->m_lowDetail) << "0.5 is below 0.95";
        EXPECT_FALSE(Rig(session.GetAnglers()[4])->m_local);
        EXPECT_EQ(TheUserProfile().GetDetail(), 0.5f) << "the stored detail becomes current";
        EXPECT_EQ(session.GetDay(), 1);
        EXPECT_EQ(TheGameClock().GetRealLength(), 600.0) << "the profile's day length";

        session.StartGame(tovGameSession::kPractice, true);
        EXPECT_EQ(session.GetAnglers().size(), 1u);
        EXPECT_EQ(g_liveRigs, 1) << "the first game's anglers are gone";
        EXPECT_EQ(session.GetDay(), 2);
        EXPECT_EQ(m_hooks.begun, (std::vector<size_t>{5, 1}));
        EXPECT_EQ(m_hooks.liveAtEnd, (std::vector<int>{0, 5})) << "the game ends before its anglers go";

        session.StartGame(tovGameSession::kTournament, false);
        EXPECT_TRUE(session.GetAnglers().empty());
        EXPECT_EQ(session.GetCurrentAngler(), nullptr);
    }
    EXPECT_EQ(g_liveRigs, 0);
}

// A session whose named players are the given slots; this player sits in slot 3.
class NamedSlotsNetworkPlay : public RecordingNetworkPlay
{
public:
    explicit NamedSlotsNetworkPlay(std::vector<int32_t> slots) : m_slots(std::move(slots)) {}
    bool GetPlayerName(int32_t slot, char* buffer, size_t n) override
    {
        RecordingNetworkPlay::GetPlayerName(slot, buffer, n);
        return std::find(m_slots.begin(), m_slots.end(), slot) != m_slots.end();
    }

private:
    std::vector<int32_t> m_slots;
};

// Every other network player's boat stands in for a computer angler's, so the lake holds as many
// boats as the results board has anglers.
TEST_F(tovGameSessionTest, OtherNetworkPlayersTakeTheComputerAnglersPlaces)
{
    const struct
    {
        std::vector<int32_t> named;
        size_t anglers;
    } cases[] = {{{3}, 5u}, {{0, 3}, 4u}, {{0, 1, 3}, 3u}, {{0, 1, 2, 3, 4}, 1u}};
    for (const auto& c : cases)
    {
        NamedSlotsNetworkPlay network(c.named);
        network.open = true;
        SetNetworkPlay(&network);
        tovGameSession session;
        session.StartGame(tovGameSession::kTournament, true);
        EXPECT_EQ(session.GetAnglers().size(), c.anglers) << c.named.size() << " players";
        SetNetworkPlay(nullptr);
    }
}

TEST_F(tovGameSessionTest, OnlyTournamentAndSeasonCountAGameInTheSkillsRow)
{
    TheUserProfile().SetName("Counter", false);
    tovGameSession session;
    session.SetSkillLevel(2, false);
    for (int32_t mode : {0, 1, 2, 3, 2})
        session.StartGame(mode, false);
    EXPECT_EQ(TheUserProfile().GetCareer(2)[tovUserProfile::kGamesStarted], 3);
    EXPECT_EQ(TheUserProfile().GetCareer(0)[tovUserProfile::kGamesStarted], 0);
    // The next day of the same tournament is no new game.
    session.RestartGame();
    EXPECT_EQ(session.GetDay(), 6);
    EXPECT_EQ(TheUserProfile().GetCareer(2)[tovUserProfile::kGamesStarted], 3);

    tovUserProfile onDisk;
    onDisk.SetName("Counter", false);
    ASSERT_EQ(LoadUserProfile(onDisk), tovProfileLoad::kLoaded);
    EXPECT_EQ(onDisk.GetCareer(2)[tovUserProfile::kGamesStarted], 3) << "saved at once";
}

// A game's number names it for the career's credit: kept through its days, and new for every
// game a profile starts, even in a run seeded as the one before.
TEST_F(tovGameSessionTest, EveryNewGameOnAProfileDrawsANumberOfItsOwn)
{
    TheUserProfile().SetName("Numbers", false);
    tovGameSession session;
    const auto run = [&]
    {
        SeedGameNumbers(77);
        session.StartGame(tovGameSession::kTournament, false);
        const uint32_t number = session.GetGameNumber();
        session.RestartGame(false);
        EXPECT_EQ(session.GetGameNumber(), number) << "the next day of the same game";
        return number;
    };
    const uint32_t first = run();
    EXPECT_NE(first, 0u);
    EXPECT_NE(run(), first) << "a second run with the same seed on the same profile";
    TheUserProfile().SetDefaults(false);
    EXPECT_EQ(run(), first) << "a fresh profile draws as the first run did";
}

// A network game counts and credits the network row, whichever skill the host shares, and keeps
// it when the session closes before the game's end.
TEST_F(tovGameSessionTest, ANetworkGameCountsInTheNetworkRow)
{
    TheUserProfile().SetName("Netter", false);
    tovGameSession session;
    session.SetSkillLevel(1, false);
    RecordingNetworkPlay network; // shares skill 2
    network.open = true;
    SetNetworkPlay(&network);
    session.StartGame(tovGameSession::kTournament, false);
    SetNetworkPlay(nullptr);
    session.RestartGame(false);
    EXPECT_EQ(session.GetCareerRow(), tovGameSession::kNetworkCareerRow);
    for (int32_t row = 0; row < tovUserProfile::kCareerRows; ++row)
        EXPECT_EQ(TheUserProfile().GetCareer(row)[tovUserProfile::kGamesStarted],
                  row == tovGameSession::kNetworkCareerRow ? 1 : 0)
            << row;
    session.StartGame(tovGameSession::kTournament, false);
    EXPECT_EQ(session.GetCareerRow(), 1) << "a game alone: the player's skill";
}

TEST_F(tovGameSessionTest, CurrentAnglerStaysOneOfTheSessions)
{
    tovGameSession session;
    QrPointer<tovAnglerRigBase> a = new TestRig(false, true);
    QrPointer<tovAnglerRigBase> b = new TestRig(false, false);
    QrPointer<tovAnglerRigBase> c = new TestRig(false, false);
    QrPointer<tovAnglerRigBase> stranger = new TestRig(false, false);
    session.AddAngler(a.Get(), false);
    session.AddAngler(b.Get(), true);
    session.AddAngler(c.Get(), false);
    EXPECT_EQ(session.GetCurrentAngler(), b);
    EXPECT_EQ(b->GetRefCount(), 3u) << "ours, the vector's and the current one's";

    session.SetCurrentAngler(stranger.Get());
    EXPECT_EQ(session.GetCurrentAngler(), b) << "not in the session";
    session.RemoveAngler(b.Get());
    EXPECT_EQ(session.GetCurrentAngler(), a) << "the first remaining";
    EXPECT_EQ(b->GetRefCount(), 1u);
    session.RemoveAngler(stranger.Get());
    EXPECT_EQ(session.GetAnglers().size(), 2u);
    session.SetCurrentAngler(c.Get());
    session.RemoveAngler(a.Get());
    EXPECT_EQ(session.GetCurrentAngler(), c) << "removing another keeps the current";
    session.RemoveAngler(c.Get());
    EXPECT_EQ(session.GetCurrentAngler(), nullptr);
    EXPECT_TRUE(session.GetAnglers().empty());
    session.AddAngler(a.Get(), true);
    session.SetCurrentAngler(nullptr);
    EXPECT_EQ(session.GetCurrentAngler(), nullptr);
}

// A network player cut from the field stays cut through the tournament's next days, not into
// the next game.
TEST_F(tovGameSessionTest, ACutFromTheFieldEndsWithItsGame)
{
    tovGameSession session;
    session.StartGame(tovGameSession::kTournament, false);
    session.SetCutFromField(true);
    session.RestartGame(false);
    EXPECT_TRUE(session.IsCutFromField()) << "the next day of the game";
    session.StartGame(tovGameSession::kTournament, false);
    EXPECT_FALSE(session.IsCutFromField()) << "a new game";
}

TEST_F(tovGameSessionTest, WithoutTheHigherLayersAGameStartsEmptyAndSaysSo)
{
    SetRigFactory(nullptr);
    SetFishingModeHooks(nullptr);
    tovGameSession session;
    session.StartGame(tovGameSession::kQuickFish, true);
    EXPECT_TRUE(session.GetAnglers().empty());
    const std::vector<std::string> lines = m_log.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find(" installed: ") != std::string::npos; }),
              7)
        << "end, one local and four computer rigs, begin";
}

// The next event of a season comes from its length's order while the order holds one.
TEST_F(tovGameSessionTest, TheSeasonsNextLakeComesFromItsOrderAndNoneBeyondIt)
{
    const struct
    {
        uint8_t running;
        int32_t events;
        int32_t completed;
        int32_t expected;
    } cases[] = {
        {0, 3, 1, 0},     // none under way: a new order starts at the first lake
        {1, 3, 0, 100},   // the first event
        {1, 3, 2, 102},   // the last event
        {1, 3, 3, -1},    // one past the count
        {1, 40, 31, 131}, // the order's last event
        {1, 40, 32, -1},  // one past the order
        {1, 3, -1, -1},
    };
    tovGameSession session;
    for (size_t i = 0; i < session.m_block.size(); ++i)
        session.m_block[i] = 100 + static_cast<int32_t>(i % tovGameSession::kSeasonLakes);
    for (const auto& c : cases)
    {
        session.m_dayFlags[1] = c.running;
        session.m_dayValues1[1] = c.events;
        session.m_dayValues2[1] = c.completed;
        EXPECT_EQ(session.SeasonLakeIndex(1), c.expected) << c.events << " " << c.completed;
    }
    EXPECT_EQ(session.SeasonLakeIndex(4), 0) << "no such length";
}

} // namespace
