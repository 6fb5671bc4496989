// The weigh-in driven on the manual clock: sounds are recorded and their ends delivered by
// the test (as the sound manager delivers them, on the main thread), clips are the generated
// ones, the livewell and the message box are the test's own.

#include "../game_shell/RecordingNetworkPlay.h"
#include "../game_shell/ShellScreenFixture.h"

#include "ButtonObj.h"
#include "tovGameClock.h"
#include "tovGameSelectIFace.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovMainMenuIFace.h"
#include "tovSaveGame.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"
#include "uRandom.h"

#include "ByteWriter.h"
#include "Font.h"
#include "qrxClock.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

class FakePorts : public tovWeighInPorts
{
public:
    std::vector<int32_t> LivewellWeights() override { return m_livewell; }
    int32_t TakeLivewellFish(int32_t place) override
    {
        if (place < 0 || place >= static_cast<int32_t>(m_livewell.size()))
            return -1;
        const int32_t w = m_livewell[static_cast<size_t>(place)];
        m_livewell.erase(m_livewell.begin() + place);
        return w;
    }
    void ReleaseLivewellFish(int32_t ounces) override
    {
        m_livewell.erase(std::find(m_livewell.begin(), m_livewell.end(), ounces));
    }
    float FishSize(int32_t, float x, float, float, int32_t, float) override { return x * 8.0f; }
    bool PlaySound(int32_t id, bool, SoundEndCallback onEnd, uintptr_t arg) override
    {
        m_played.push_back(id);
        if (onEnd != nullptr)
            m_ends.push_back({onEnd, arg});
        return true;
    }
    void StopSound(int32_t) override {}
    bool SetOpeningSound(bool, SoundEndCallback, uintptr_t) override { return false; }
    void SetLakeSounds(bool on) override { m_lakeSounds = on; }
    void ShowMessageBox(const char* text, tovMessageCallback callback, uintptr_t arg) override
    {
        m_message = text;
        m_messageCallback = callback;
        m_messageArg = arg;
    }

    // The sound manager's delivery of finished sounds, at the start of a frame.
    void EndSounds()
    {
        auto ends = std::move(m_ends);
        m_ends.clear();
        for (const auto& [callback, arg] : ends)
            callback(arg);
    }
    void CloseMessage()
    {
        ASSERT_NE(m_messageCallback, nullptr);
        auto callback = m_messageCallback;
        m_messageCallback = nullptr;
        callback(0, m_messageArg);
    }
    bool Played(int32_t id) const { return std::count(m_played.begin(), m_played.end(), id) > 0; }

    std::vector<int32_t> m_livewell;
    std::vector<int32_t> m_played;
    std::vector<std::pair<SoundEndCallback, uintptr_t>> m_ends;
    std::string m_message;
    tovMessageCallback m_messageCallback = nullptr;
    uintptr_t m_messageArg = 0;
    bool m_lakeSounds = true;
};

class WeighInTest : public ShellScreenTest
{
protected:
    void SetUp() override
    {
        ShellScreenTest::SetUp();
        SetInstallRoot(testfiles::DataDir());
        auto ports = std::make_unique<FakePorts>();
        m_ports = ports.get();
        m_screen = std::make_unique<tovWeighInIFace>(std::move(ports));
        TheUserProfile().SetName("Casey", false);
        TheUserProfile().SetGender(0);
        TheUserProfile().SetSetting0(0);
        m_session->SetMode(tovGameSession::kTournament);
        SharedRandom().seed(4242);
    }
    void TearDown() override
    {
        m_screen->Leave(10);
        m_screen.reset();
        SetInstallRoot("");
        ShellScreenTest::TearDown();
    }
    void EnterDay(int32_t length, int32_t day, int32_t from = 2)
    {
        TheUserProfile().SetSetting1(length);
        m_session->SetDay(day, true);
        m_screen->Prepare(from);
        m_screen->Enter(from);
    }
    // Moves the clock on and runs the screen's timers (and a click) at the new time.
    void Wait(uint32_t ms, bool click = false)
    {
        m_clock.AdvanceMs(ms);
        m_screen->Step(GetTimeMs(), click);
    }
    void Click() { Wait(0, true); }
    // The weights of the board's rows as shown, heaviest first.
    void ExpectHeaviestFirst() const
    {
        std::vector<double> weights;
        for (const auto& line : m_screen->BoardLines())
            if (line.x == 502)
                weights.push_back(std::stod(line.text));
        EXPECT_EQ(weights.size(), 5u);
        EXPECT_TRUE(std::is_sorted(weights.rbegin(), weights.rend())) << ::testing::PrintToString(weights);
    }
    // The running game as a file; the screen's test world has no lake, weather or rigs of its
    // own: the file holds them.
    static std::vector<uint8_t> SaveBytes()
    {
        tovSavedGame saved = tovSaveGame::Capture();
        saved.lakeId = TheLakeCatalogue().GetLakeIdAt(0);
        saved.weather.generatorState = 1;
        saved.anglers.resize(1);
        saved.anglers[0].clock = saved.clock;
        return saved.Write();
    }
    bool HasLine(const std::string& text) const
    {
        for (const auto& line : m_screen->BoardLines())
            if (line.text == text)
                return true;
        return false;
    }

    FakePorts* m_ports = nullptr;
    std::unique_ptr<tovWeighInIFace> m_screen;
};

} // namespace

TEST_F(WeighInTest, OrdinaryDayShowsResultsPagesAndGoesOn)
{
    m_ports->m_livewell = {200, 210, 220, 230, 240};
    EnterDay(1, 1); // two days: a field of ten
    EXPECT_EQ(m_screen->GetFieldSize(), 10);
    Wait(1999);
    EXPECT_FALSE(m_screen->GetCeremony().dayResultsShown);
    Wait(1);
    EXPECT_TRUE(m_screen->GetCeremony().dayResultsShown);
    EXPECT_TRUE(m_ports->Played(6071));
    // The heaviest bag wins: the local angler leads with five fish.
    EXPECT_EQ(m_screen->Standings().m_ranking[0], 0);
    EXPECT_TRUE(HasLine("1  Casey"));
    EXPECT_TRUE(HasLine("68.75"));
    EXPECT_TRUE(HasLine("Click Mouse For Next Day"));
    ExpectHeaviestFirst();
    const int32_t pages[] = {6, 1, 6};
    for (int32_t first : pages)
    {
        Wait(5000);
        EXPECT_EQ(m_screen->GetCeremony().firstPlaceShown, first);
        ExpectHeaviestFirst();
    }
    const std::string second = m_screen->Standings().GetName(m_screen->Standings().m_ranking[1]);
    Click();
    EXPECT_EQ(m_screen->m_nextScreen, 2);
    EXPECT_STREQ(m_screen->Standings().GetName(1), second.c_str());
    EXPECT_EQ(m_session->GetDay(), 2);
    EXPECT_TRUE(m_ports->m_lakeSounds);
}

// Weighed in early from the travel map, with time left on the clock: the day is over all the
// same, and the main menu offers neither a way back to it nor its save.
TEST_F(WeighInTest, AnEarlyWeighInFromTheMapEndsTheDay)
{
    m_hooks.m_built = true;
    EnterDay(1, 1, 12);
    SwitchTo(8);
    Frame();
    for (int32_t id : {tovMainMenuIFace::kReturn, tovMainMenuIFace::kSaveGame})
        EXPECT_EQ(m_app->GetInterface(8)->GetButton(id)->m_disabled, 1) << id;
}

TEST_F(WeighInTest, CutAfterTheFirstDayEndsTheTournament)
{
    EnterDay(1, 1); // an empty livewell: last of ten
    Wait(2000);
    EXPECT_EQ(m_screen->Standings().LocalRank(10), 9);
    EXPECT_TRUE(m_ports->Played(6174));
    EXPECT_TRUE(HasLine("Click Mouse To Start New Game."));
    const int32_t placesBefore = TheUserProfile().GetCareer(0)[tovUserProfile::kPlaceSum];
    Click();
    EXPECT_EQ(m_screen->m_nextScreen, 8);
    // Tenth of ten: place 10 goes into the career record, no prize.
    EXPECT_EQ(TheUserProfile().GetCareer(0)[tovUserProfile::kPlaceSum], placesBefore + 10);
}

// A network game is counted in the network row; its finish goes there too, though the session
// closed before the weigh-in and the player's skill names another row.
TEST_F(WeighInTest, AFinishIsCreditedToTheRowItsGameWasCountedIn)
{
    m_session->SetSkillLevel(0, false);
    const int32_t row = tovGameSession::kNetworkCareerRow;
    tovUserProfile::CareerRow network = TheUserProfile().GetCareer(row);
    const tovUserProfile::CareerRow skill = TheUserProfile().GetCareer(0);
    RecordingNetworkPlay session;
    session.open = true;
    SetNetworkPlay(&session);
    m_session->StartGame(tovGameSession::kTournament, false);
    SetNetworkPlay(nullptr);
    EnterDay(1, 1); // an empty livewell: last of ten
    Wait(2000);
    Click();
    network[tovUserProfile::kGamesStarted] += 1;
    network[tovUserProfile::kPlaceSum] += 10;
    EXPECT_EQ(TheUserProfile().GetCareer(row), network);
    EXPECT_EQ(TheUserProfile().GetCareer(0), skill);
}

// A game saved on its first day, loaded and finished (twice, from the same save), is counted
// once and credited once, in the row that counted it when it began; no other row moves.
TEST_F(WeighInTest, ALoadedGameFinishesOnceInTheRowThatCountedIt)
{
    const struct
    {
        const char* what;
        bool savedInSession, loadedInSession, startUp;
        int32_t row;
    } cases[] = {
        {"a network tournament loaded alone", true, false, false, tovGameSession::kNetworkCareerRow},
        {"a single-player game at skill 2 loaded at start-up", false, false, true, 2},
        {"a single-player game at skill 2 loaded with a session open", false, true, false, 2},
    };
    const auto rows = []
    {
        std::array<tovUserProfile::CareerRow, tovUserProfile::kCareerRows> all{};
        for (int32_t row = 0; row < tovUserProfile::kCareerRows; ++row)
            all[static_cast<size_t>(row)] = TheUserProfile().GetCareer(row);
        return all;
    };
    RecordingNetworkPlay session;
    session.open = true;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        // A new game, as the set-up starts one.
        m_session->m_resumed = false;
        m_session->SetSkillLevel(2, false);
        auto expected = rows();
        SetNetworkPlay(c.savedInSession ? &session : nullptr);
        m_session->StartGame(tovGameSession::kTournament, false);
        TheUserProfile().SetSetting1(1);
        m_session->SetDay(1, true);
        const std::vector<uint8_t> bytes = SaveBytes();
        SetNetworkPlay(nullptr);
        if (c.startUp)
        {
            // A new program: a session that never played, at the same skill.
            m_session = std::make_unique<tovGameSession>();
            m_session->SetSkillLevel(2, false);
        }
        for (int pass = 0; pass < 2; ++pass)
        {
            SetNetworkPlay(c.loadedInSession ? &session : nullptr);
            tovSavedGame loaded;
            ASSERT_EQ(loaded.Read(bytes.data(), bytes.size()), tovSavedGame::ReadResult::kOk);
            tovSaveGame::Apply(loaded);
            SetNetworkPlay(nullptr);
            m_ports->m_livewell.clear();
            EnterDay(1, 1); // an empty livewell: last of ten, cut, the tournament ends
            Wait(2000);
            Click();
            ASSERT_EQ(m_screen->m_nextScreen, 8) << pass;
            m_screen->Leave(8);
        }
        auto& row = expected[static_cast<size_t>(c.row)];
        row[tovUserProfile::kGamesStarted] += 1;
        row[tovUserProfile::kPlaceSum] += 10;
        EXPECT_EQ(rows(), expected);
    }
}

// Saves of every kind loaded by a new program (a fresh session, NOVICE on the game-mode screen)
// and finished with a win in a one-day final: a save that kept its row plays at that row's
// skill (a network game at its set-up's) and is credited there; an older one plays at the
// skill shown and counts its game where its finish lands, as does a profile of the same name
// that never counted it. The saver has played games in every row before.
TEST_F(WeighInTest, ASaveLoadedAtStartUpPlaysAtItsSkillAndWinsInARowThatCountedIt)
{
    using P = tovUserProfile;
    using Games = std::array<int32_t, P::kCareerRows>;
    constexpr int32_t kNetwork = tovGameSession::kNetworkCareerRow;
    // As this game writes it, as its versions 8 and 7 wrote it, and as another writer of the
    // format would (every reserved word zero).
    enum Written
    {
        kNow,
        kVersion8,
        kVersion7,
        kOtherWriter,
    };
    const struct
    {
        const char* what;
        Written written;
        int32_t savedSkill;
        bool savedInSession, freshProfile;
        // Saved again after the load, as this version.
        bool savedAgain;
        // The games started of the fresh profile that loads it.
        Games freshGames;
        int32_t skill, row;
    } cases[] = {
        {"novice", kNow, 0, false, false, false, {}, 0, 0},
        {"weekend", kNow, 1, false, false, false, {}, 1, 1},
        {"pro", kNow, 2, false, false, false, {}, 2, 2},
        {"a network game", kNow, 2, true, false, false, {}, tovGameSession::kNetworkSkillLevel, kNetwork},
        {"pro under a fresh profile of the same name", kNow, 2, false, true, false, {}, 2, 2},
        {"pro under a fresh profile with many novice games", kNow, 2, false, true, false, {20, 0, 0, 0}, 2, 2},
        {"pro under a fresh profile with a pro game of its own", kNow, 2, false, true, false, {0, 0, 1, 0}, 2, 2},
        {"a network game saved as version 8",
         kVersion8,
         2,
         true,
         false,
         false,
         {},
         tovGameSession::kNetworkSkillLevel,
         kNetwork},
        {"pro saved as version 7", kVersion7, 2, false, false, false, {}, 0, 0},
        {"pro saved as version 7, loaded and saved again", kVersion7, 2, false, false, true, {}, 0, 0},
        {"pro saved by another writer", kOtherWriter, 2, false, false, false, {}, 0, 0},
    };
    const auto rows = []
    {
        std::array<P::CareerRow, P::kCareerRows> all{};
        for (int32_t row = 0; row < P::kCareerRows; ++row)
            all[static_cast<size_t>(row)] = TheUserProfile().GetCareer(row);
        return all;
    };
    const auto startProfile = [](const Games& games)
    {
        TheUserProfile().SetDefaults(false);
        for (int32_t row = 0; row < P::kCareerRows; ++row)
            TheUserProfile().GetCareer(row)[P::kGamesStarted] = games[static_cast<size_t>(row)];
        ASSERT_TRUE(SaveUserProfile(TheUserProfile()));
    };
    tovGameSelectIFace* gameMode = tovGameSelectIFace::GetInstance();
    ASSERT_NE(gameMode, nullptr);
    RecordingNetworkPlay session;
    session.open = true;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        startProfile({3, 2, 1, 1});
        m_session->m_resumed = false;
        m_session->SetSkillLevel(c.savedSkill, false);
        SetNetworkPlay(c.savedInSession ? &session : nullptr);
        m_session->StartGame(tovGameSession::kTournament, false);
        SetNetworkPlay(nullptr);
        TheUserProfile().SetSetting1(0);
        m_session->SetDay(1, true);
        std::vector<uint8_t> bytes = SaveBytes();
        const auto put = [&bytes](size_t at, int32_t v) { std::memcpy(bytes.data() + at, &v, sizeof v); };
        const auto wordAt = [&bytes](size_t at)
        {
            int32_t v = 0;
            std::memcpy(&v, bytes.data() + at, sizeof v);
            return v;
        };
        // Version 8 kept the career row as it is, where version 6 keeps it plus one.
        if (c.written == kVersion8)
            put(404, wordAt(404) - 1);
        if (c.written == kOtherWriter)
            put(404, 0);
        put(0, c.written == kVersion8 ? 8 : c.written == kVersion7 ? 7 : 6);
        if (c.freshProfile)
            startProfile(c.freshGames);
        auto expected = rows();
        for (int load = 0; load < (c.savedAgain ? 2 : 1); ++load)
        {
            if (load == 1)
                bytes = SaveBytes();
            // A new program.
            m_session = std::make_unique<tovGameSession>();
            gameMode->SelectSkill(tovGameSelectIFace::kNovice);
            tovSavedGame loaded;
            ASSERT_EQ(loaded.Read(bytes.data(), bytes.size()), tovSavedGame::ReadResult::kOk);
            tovSaveGame::Apply(loaded);
        }
        EXPECT_EQ(m_session->GetSkillLevel(false), c.skill);
        EXPECT_EQ(gameMode->GetSelectedSkill(), tovGameSelectIFace::kNovice + c.skill);

        // The final, won with one fish that outweighs the field.
        m_ports->m_livewell = {3000};
        EnterDay(0, 1);
        Click();
        for (int i = 0; i < 7; ++i)
            Wait(i == 0 ? 0 : 650);
        Wait(20000);
        Click();
        ASSERT_EQ(m_screen->m_nextScreen, 3);
        m_screen->Leave(10);
        m_screen->Exit(3);
        m_screen->SetChosenPlace(0);
        m_screen->Prepare(3);
        m_screen->Enter(3);
        Wait(500);
        Click();
        m_ports->CloseMessage();
        Click();
        for (int step = 0; step < 20 && m_screen->GetCeremony().weighing; ++step)
            Wait(step == 0 ? 3500 : 500);
        m_ports->EndSounds();
        Wait(0);
        ASSERT_TRUE(m_screen->GetCeremony().prizesShown);
        ASSERT_EQ(m_screen->Standings().m_ranking[0], 0);
        const int32_t prize = m_screen->Standings().LocalPrize();
        EXPECT_GT(prize, 0);
        Click();
        Click();
        ASSERT_EQ(m_screen->m_nextScreen, 8);
        m_screen->Leave(8);

        // The row credited counts the game: it did when the game began, or does with its finish.
        const bool counted = (c.written == kNow || c.written == kVersion8) && !c.freshProfile;
        P::CareerRow& row = expected[static_cast<size_t>(c.row)];
        row[P::kGamesStarted] += counted ? 0 : 1;
        row[P::kFirstPlaces] += 1;
        row[P::kTopFives] += 1;
        row[P::kWinnings] += prize;
        row[P::kPlaceSum] += 1;
        EXPECT_EQ(rows(), expected);
    }
}

TEST_F(WeighInTest, FieldOfTwentyPagesFourTimes)
{
    EnterDay(2, 1);
    ASSERT_EQ(m_screen->GetFieldSize(), 20);
    Wait(2000);
    std::vector<int32_t> firsts;
    for (int i = 0; i < 5; ++i)
    {
        Wait(5000);
        firsts.push_back(m_screen->GetCeremony().firstPlaceShown);
    }
    EXPECT_EQ(firsts, (std::vector<int32_t>{6, 11, 16, 1, 6}));
}

// Four days: the first two count together with the same twenty anglers, so the first day's
// click goes on without a cut; every name keeps its total and no name comes twice.
TEST_F(WeighInTest, TheFirstDayOfFourGoesOnWithTheWholeFieldAndItsTotals)
{
    m_ports->m_livewell = {200, 210, 220, 230, 240};
    EnterDay(3, 1);
    ASSERT_EQ(m_screen->GetFieldSize(), 20);
    Wait(2000);
    const tovStandings& standings = m_screen->Standings();
    std::map<std::string, double> totals;
    for (int32_t slot = 0; slot < 20; ++slot)
        totals[standings.GetName(slot)] = standings.m_totals[static_cast<size_t>(slot)];
    ASSERT_EQ(totals.size(), 20u);
    Click();
    EXPECT_EQ(m_screen->m_nextScreen, 2);
    EXPECT_EQ(m_session->GetDay(), 2);
    std::map<std::string, double> after;
    for (int32_t slot = 0; slot < 20; ++slot)
        after[standings.GetName(slot)] = standings.m_totals[static_cast<size_t>(slot)];
    EXPECT_EQ(after, totals);
}

// A network tournament loaded alone on day 2: the other players' rows are theirs, and none of
// them is in this game. Each stands last, empty and said to have left, and pays nothing.
TEST_F(WeighInTest, APlayersRowOfANetworkGameLoadedAloneCountsAsLeft)
{
    tovStandings& standings = m_screen->Standings();
    const char* field[] = {"Casey", "Robin",       "Walt Brenner", "Dale Hoskins", "Earl Pruitt",
                           "Drew",  "Ray Dunmore", "Cody Wheeler", "Buck Harlan",  "Travis Kell"};
    for (int32_t slot = 0; slot < 10; ++slot)
        standings.SetName(slot, field[slot]);
    standings.SetPlayer(0, 2);
    standings.SetPlayer(1, 1);
    standings.SetPlayer(5, 3);
    m_ports->m_livewell = {300, 300};
    // Day 2 of three: a field of ten.
    EnterDay(2, 2);
    ASSERT_EQ(m_screen->GetFieldSize(), 10);
    Wait(2000);
    const std::set<int32_t> last{standings.m_ranking[8], standings.m_ranking[9]};
    EXPECT_EQ(last, (std::set<int32_t>{1, 5}));
    for (int32_t slot : last)
    {
        EXPECT_TRUE(standings.HasLeft(slot)) << slot;
        EXPECT_EQ(standings.m_totals[static_cast<size_t>(slot)], 0.0) << slot;
    }
    EXPECT_FALSE(standings.HasLeft(0));
    // The board's second page, places 6 to 10.
    Wait(5000);
    for (const char* name : {"Robin", "Drew"})
        EXPECT_TRUE(HasLine("9  " + std::string(name) + " (left)") || HasLine("10  " + std::string(name) + " (left)"))
            << name;
}

TEST_F(WeighInTest, FinalFromCallToWinner)
{
    m_ports->m_livewell = {300, 280};
    EnterDay(0, 1); // one day: the final
    ASSERT_EQ(m_screen->GetFieldSize(), 5);
    EXPECT_EQ(m_screen->GetLastClip(), "Spin.avi");
    ASSERT_TRUE(m_screen->IsClipPlaying());
    Click(); // ends the opening clip; its end action starts the crowd
    EXPECT_FALSE(m_screen->IsClipPlaying());
    EXPECT_EQ(m_screen->GetBackgroundId(), 838);
    for (int i = 0; i < 7; ++i)
        Wait(i == 0 ? 0 : 650);
    EXPECT_EQ(m_screen->GetBoardSelector(), tovWeighInIFace::kBoardPicture);
    EXPECT_TRUE(m_ports->Played(6131));
    Wait(19999);
    EXPECT_FALSE(m_ports->Played(6132));
    Wait(1);
    EXPECT_TRUE(m_ports->Played(6132));
    EXPECT_TRUE(m_screen->GetCeremony().callPending);

    // Back from the livewell without a fish: the call stands and the field is not rolled again.
    Click();
    ASSERT_EQ(m_screen->m_nextScreen, 3);
    const std::array<double, 20> totals = m_screen->Standings().m_totals;
    const auto catches = m_screen->Standings().m_dayCatch;
    m_screen->Leave(10);
    m_screen->Exit(3);
    m_screen->Prepare(3);
    m_screen->Enter(3);
    EXPECT_TRUE(m_screen->GetCeremony().callPending);
    EXPECT_EQ(m_screen->Standings().m_totals, totals);
    EXPECT_EQ(m_screen->Standings().m_dayCatch, catches);

    for (int fish = 0; fish < 2; ++fish)
    {
        Click();
        ASSERT_EQ(m_screen->m_nextScreen, 3) << fish;
        m_screen->Leave(10);
        m_screen->Exit(3);
        m_screen->SetChosenPlace(0);
        m_screen->Prepare(3);
        m_screen->Enter(3);
        Wait(500); // get-up clip
        EXPECT_EQ(m_screen->GetLastClip().substr(0, 5), "Getup");
        Click(); // ends it: the weight message
        EXPECT_EQ(m_ports->m_message, fish == 0 ? "Casey your fish weighed in at 18.75 pounds."
                                                : "Casey your fish weighed in at 17.50 pounds.");
        m_ports->CloseMessage();
        EXPECT_TRUE(m_screen->GetCeremony().waitForClick);
        Click(); // weighing resumes
        EXPECT_TRUE(m_screen->GetCeremony().weighing);
        for (int step = 0; step < 20 && m_screen->GetCeremony().weighing; ++step)
            Wait(step == 0 ? 3500 : 500);
        m_ports->EndSounds();
    }
    Wait(0); // the frame after the last step shows the results
    // Every opponent weighed; the local angler won: the winner's clip, then the click on.
    EXPECT_TRUE(m_screen->GetCeremony().prizesShown);
    EXPECT_EQ(m_screen->Standings().m_ranking[0], 0);
    EXPECT_EQ(m_screen->Standings().m_fishCounts[0], 2);
    EXPECT_TRUE(m_ports->Played(6182));
    ExpectHeaviestFirst();
    EXPECT_EQ(m_screen->GetLastClip().substr(0, 3), "win");
    EXPECT_TRUE(m_screen->IsClipPlaying());
    Click();
    EXPECT_TRUE(m_screen->GetCeremony().ceremonyOver);
    EXPECT_TRUE(HasLine("Click Mouse To Continue"));
    Click();
    EXPECT_EQ(m_screen->m_nextScreen, 8);
    EXPECT_STREQ(m_screen->Standings().GetName(0), "");
}

// Called to the scale, the player let the fish go from the livewell: the clicks that answer
// the call with an empty livewell start the weighing again, not a ceremony that waits forever.
TEST_F(WeighInTest, FinalGoesOnWhenTheCalledPlayersFishWasLetGo)
{
    m_ports->m_livewell = {300};
    EnterDay(0, 1);
    Click();
    for (int i = 0; i < 7; ++i)
        Wait(i == 0 ? 0 : 650);
    Wait(20000);
    ASSERT_TRUE(m_screen->GetCeremony().callPending);
    Click();
    ASSERT_EQ(m_screen->m_nextScreen, 3);
    m_screen->Leave(10);
    m_ports->m_livewell.clear();
    m_screen->Prepare(3);
    m_screen->Enter(3);
    Click();
    EXPECT_TRUE(HasLine("Click Mouse To Continue"));
    Click();
    for (int step = 0; step < 40 && !m_screen->GetCeremony().prizesShown; ++step)
        Wait(step == 0 ? 3500 : 500);
    EXPECT_TRUE(m_screen->GetCeremony().prizesShown);
}

// The comment on a lead or a gap of up to twelve pounds is a fixed line: it draws nothing from
// the shared generator, whose sequence the crowd and the clips that follow go on with. The
// comment follows a call that stays on this screen: the test brings the fish without the
// screen's leave, which would make the next call a first one again.
TEST_F(WeighInTest, ACommentOnAGapItNamesDrawsNoRandomNumber)
{
    m_ports->m_livewell = {3000, 2900};
    EnterDay(0, 1);
    Click();
    for (int i = 0; i < 7; ++i)
        Wait(i == 0 ? 0 : 650);
    Wait(20000);
    Click(); // the first call goes to the livewell
    ASSERT_EQ(m_screen->m_nextScreen, 3);
    m_screen->SetChosenPlace(0);
    m_screen->Enter(3);
    Wait(500);
    Click();
    m_ports->CloseMessage();
    Click();
    for (int step = 0; step < 20 && !m_screen->GetCeremony().callPending; ++step)
        Wait(step == 0 ? 3500 : 500);
    ASSERT_TRUE(m_screen->GetCeremony().callPending);
    ASSERT_EQ(m_screen->Standings().m_ranking[0], 0) << "the local angler leads: the gap is 0";
    Click(); // a later call: the line that asks for the last fish
    ASSERT_TRUE(m_ports->Played(6140));
    m_ports->EndSounds();
    Wait(1499);
    const uint32_t due = GetTimeMs() + 1;
    ASSERT_EQ(m_screen->GetCeremony().timers[tovWeighInIFace::kComment], due);
    ASSERT_NE(m_screen->GetCeremony().timers[tovWeighInIFace::kCrowdNoise], due);
    const int32_t before = SharedRandom().get_state();
    Wait(1);
    EXPECT_TRUE(m_ports->Played(6170));
    EXPECT_EQ(m_screen->m_nextScreen, 3);
    EXPECT_EQ(SharedRandom().get_state(), before);
}

TEST_F(WeighInTest, FinalWithAnEmptyLivewellNeverCallsThePlayer)
{
    EnterDay(0, 1);
    Click();
    Wait(0);
    for (int i = 0; i < 6; ++i)
        Wait(650);
    Wait(20000);
    EXPECT_FALSE(m_ports->Played(6132));
    EXPECT_TRUE(m_screen->GetCeremony().weighing);
    for (int step = 0; step < 40 && !m_screen->GetCeremony().prizesShown; ++step)
        Wait(step == 0 ? 3500 : 500);
    EXPECT_TRUE(m_screen->GetCeremony().prizesShown);
    EXPECT_NE(m_screen->m_nextScreen, 3);
    // Last with nothing weighed: a placing line, whose end closes the ceremony once.
    EXPECT_TRUE(m_ports->Played(6174));
    m_ports->EndSounds();
    EXPECT_TRUE(m_screen->GetCeremony().ceremonyOver);
}

TEST_F(WeighInTest, ResultsBoardGolden)
{
    m_ports->m_livewell = {52, 47, 39, 70};
    TheLakeCatalogue().Clear();
    TheLakeCatalogue().SelectLakeByIndex(m_session.get(), 0);
    EnterDay(1, 1);
    Wait(2000);
    m_screen->Update(0.0f, 0.0f);
    EXPECT_TRUE(golden::MatchesGoldenImage("weighin_results_board.png", Shown()));
    // While a network day's other players close their results, the board stays, its prompt
    // given way to the waiting line.
    m_screen->ShowWaiting(true);
    EXPECT_TRUE(golden::MatchesGoldenImage("weighin_closing_wait.png", Shown()));
}

// Names as long as a profile's name field takes (25 letters) keep to their column, in smaller
// letters on the row's baseline; a name still too wide is cut, and says so.
TEST_F(WeighInTest, LongNamesBoardGolden)
{
    m_ports->m_livewell = {352, 347, 339, 370};
    TheUserProfile().SetName("Wilhelmina Wadsworth Mayo", false);
    TheLakeCatalogue().Clear();
    TheLakeCatalogue().SelectLakeByIndex(m_session.get(), 0);
    EnterDay(1, 1);
    Wait(2000);
    tovStandings& standings = m_screen->Standings();
    standings.SetName(standings.m_ranking[2], "Maximilian Wolfgang Moore");
    standings.SetName(standings.m_ranking[4], "WWWWWWWWWWWWWWWWWWWWWWWWW");
    m_screen->Update(0.0f, 0.0f);
    EXPECT_TRUE(golden::MatchesGoldenImage("weighin_long_names.png", Shown()));
}

// Every form of a row keeps its name left of the fish count: after a place of one digit or two,
// after a prize, and with a player who left; a name longer than a profile takes (a damaged
// file's) too. What is cut ends in "..." and keeps the rest of the row's text.
TEST_F(WeighInTest, EveryNameStaysLeftOfTheFishCount)
{
    const auto big = plat::Font::Create("Arial", tovWeighInIFace::kBoardTextHeight, 700);
    const auto small = plat::Font::Create("Arial", tovWeighInIFace::kSmallTextHeight, 700);
    ASSERT_TRUE(big && small);
    const std::string left = " (left)";
    // The board's rows as they stand; answers how many show a player who left.
    const auto checkRows = [&](const std::string& name) -> int32_t
    {
        int32_t names = 0, leavers = 0;
        for (const tovWeighInIFace::Line& line : m_screen->BoardLines())
        {
            if (line.x >= 460 || line.y < 180 || line.y >= tovWeighInIFace::kPromptY || line.text[0] == '$')
                continue;
            const plat::Font& font = line.small ? *small : *big;
            EXPECT_LE(line.x + font.MeasureText(line.text).width, tovWeighInIFace::kNameRight) << line.text;
            if (line.text.find_first_not_of("0123456789") == std::string::npos)
                continue;
            ++names;
            std::string text = line.text;
            if (text.ends_with(left))
            {
                text.resize(text.size() - left.size());
                ++leavers;
            }
            if (text != name)
            {
                EXPECT_TRUE(text.ends_with("...")) << line.text;
                text.resize(text.size() - std::min<size_t>(text.size(), 3));
                EXPECT_FALSE(text.empty());
                EXPECT_EQ(name.compare(0, text.size(), text), 0) << line.text;
            }
        }
        EXPECT_EQ(names, 5);
        return leavers;
    };
    const std::string names[] = {"Wilhelmina Wadsworth Mayo", "Maximilian Wolfgang Moore", std::string(79, 'W')};
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        m_screen->Leave(10);
        EnterDay(2, 1);
        Wait(2000);
        tovStandings& standings = m_screen->Standings();
        for (int32_t slot = 0; slot < tovStandings::kSlots; ++slot)
            standings.SetName(slot, name.c_str());
        for (const int32_t place : {2, 12})
        {
            standings.SetPlayer(standings.m_ranking[place], 2);
            standings.MarkLeft(standings.m_ranking[place]);
        }
        int32_t leavers = 0;
        for (const int32_t first : {1, 6, 11, 16})
        {
            SCOPED_TRACE(first);
            ASSERT_EQ(m_screen->GetCeremony().firstPlaceShown, first);
            leavers += checkRows(name);
            Wait(5000);
        }
        EXPECT_EQ(leavers, 2);

        m_screen->Leave(10);
        EnterDay(0, 1);
        for (int32_t step = 0; step < 200 && !m_screen->GetCeremony().prizesShown; ++step)
            Wait(step == 0 ? 0 : 500, m_screen->IsClipPlaying());
        ASSERT_TRUE(m_screen->GetCeremony().prizesShown);
        for (int32_t slot = 0; slot < tovStandings::kSlots; ++slot)
            m_screen->Standings().SetName(slot, name.c_str());
        EXPECT_EQ(checkRows(name), 0);
    }
}

// The help picture (H) from the weigh-in comes back to the page it left: the day's board with its
// results, not the day set up again (a field rolled anew, in a network game a second exchange of
// catches that held every copy); an opening clip cut short ends as a click ends it.
TEST_F(WeighInTest, BackFromTheHelpPictureThePageGoesOn)
{
    const auto visitHelp = [this]
    {
        m_screen->Leave(10);
        m_screen->Exit(22);
        m_screen->Prepare(10);
        m_screen->Enter(22);
    };
    m_ports->m_livewell = {200, 210};
    EnterDay(1, 1);
    Wait(2000);
    ASSERT_TRUE(m_screen->GetCeremony().dayResultsShown);
    const auto totals = m_screen->Standings().m_totals;
    const auto ranking = m_screen->Standings().m_ranking;
    visitHelp();
    EXPECT_TRUE(m_screen->GetCeremony().dayResultsShown);
    EXPECT_EQ(m_screen->Standings().m_totals, totals);
    EXPECT_EQ(m_screen->Standings().m_ranking, ranking);
    EXPECT_TRUE(HasLine("Click Mouse For Next Day"));
    Click();
    EXPECT_EQ(m_screen->m_nextScreen, 2);

    m_ports->m_livewell.clear();
    m_screen->Leave(10);
    m_screen->Exit(2);
    EnterDay(0, 1);
    ASSERT_TRUE(m_screen->IsClipPlaying());
    visitHelp();
    EXPECT_FALSE(m_screen->IsClipPlaying());
    EXPECT_TRUE(m_screen->GetCeremony().clipDone);
    EXPECT_EQ(m_screen->GetBackgroundId(), 838);
    Wait(0);
    EXPECT_EQ(m_screen->GetCeremony().crowdCounter, 1) << "the crowd pictures began";
}

// Back from the help picture on a page where no clip plays, the page stands as it was left: no
// clip's end runs again (a second weight message, the crowd begun anew), no opening sound is
// ended early, and each timer is as far from due as it was, however long the keys were read.
TEST_F(WeighInTest, BackFromTheHelpPictureWithoutAClipThePageStandsAsItWas)
{
    // The page as the player and the ceremony's next steps see it, timers from now.
    const auto page = [this]
    {
        const tovWeighInIFace::Ceremony& c = m_screen->GetCeremony();
        std::vector<std::string> seen = {
            "flags " + std::to_string(c.weighing) + std::to_string(c.resultsReady) + std::to_string(c.waitForClick) +
                std::to_string(c.ceremonyOver) + std::to_string(c.callPending) + std::to_string(c.dayResultsShown) +
                std::to_string(c.seasonPage) + std::to_string(c.prizesShown) + std::to_string(c.firstFish) +
                std::to_string(c.clipDone) + std::to_string(c.soundDone),
            "crowd " + std::to_string(c.crowdCounter) + ", first place " + std::to_string(c.firstPlaceShown),
            "background " + std::to_string(m_screen->GetBackgroundId()) + ", selector " +
                std::to_string(m_screen->GetBoardSelector()),
            "sounds " + std::to_string(m_ports->m_played.size()) + ", ends " + std::to_string(m_ports->m_ends.size()),
            "message " + m_ports->m_message + (m_ports->m_messageCallback ? " (up)" : ""),
            "draws " + std::to_string(SharedRandom().get_state()),
        };
        for (size_t t = 0; t < c.timers.size(); ++t)
            seen.push_back("timer " + std::to_string(t) + " " +
                           (c.timers[t] == tovWeighInIFace::kOff ? "off" : std::to_string(c.timers[t] - GetTimeMs())));
        for (const auto& line : m_screen->BoardLines())
            seen.push_back(std::to_string(line.x) + " " + std::to_string(line.y) + " " + line.text);
        return seen;
    };
    int32_t visits = 0;
    // A look at the keys as the application makes it: a minute away, then Back.
    const auto visitHelp = [&](const char* where)
    {
        if (m_screen->IsClipPlaying() || m_ports->m_messageCallback != nullptr || m_screen->m_nextScreen != 0)
            return;
        const std::vector<std::string> before = page();
        m_screen->Leave(10);
        m_screen->Exit(22);
        m_clock.AdvanceMs(60000);
        m_screen->Prepare(22);
        m_screen->Enter(22);
        EXPECT_EQ(page(), before) << where;
        ++visits;
    };
    m_ports->m_livewell = {200, 210};
    EnterDay(1, 1);
    visitHelp("before the day's results");
    Wait(2000);
    visitHelp("the day's board");
    m_screen->Leave(10);
    m_screen->Exit(2);

    // The final, every page: the player brings both fish and clicks on wherever a click leads.
    m_ports->m_livewell = {300, 280};
    EnterDay(0, 1);
    for (int32_t step = 0; step < 400 && m_screen->m_nextScreen != 8; ++step)
    {
        visitHelp("the final");
        const tovWeighInIFace::Ceremony& c = m_screen->GetCeremony();
        if (m_ports->m_messageCallback != nullptr)
        {
            m_ports->CloseMessage();
            continue;
        }
        if (m_screen->m_nextScreen == 3)
        {
            m_screen->Leave(10);
            m_screen->Exit(3);
            m_screen->SetChosenPlace(0);
            m_screen->Prepare(3);
            m_screen->Enter(3);
            continue;
        }
        m_ports->EndSounds();
        const bool click = c.callPending || c.waitForClick || c.ceremonyOver || m_screen->IsClipPlaying();
        Wait(click ? 0 : 500, click);
    }
    EXPECT_EQ(m_screen->m_nextScreen, 8);
    EXPECT_EQ(m_screen->Standings().m_fishCounts[0], 0) << "both fish weighed, and the standings reset";
    EXPECT_GT(visits, 40);
}

// The final's board prints each prize as paid, in whole dollars; a row of a player who left
// shows none.
TEST_F(WeighInTest, PrizesPrintAsPaid)
{
    EnterDay(0, 1);
    for (int32_t step = 0; step < 200 && !m_screen->GetCeremony().prizesShown; ++step)
        Wait(step == 0 ? 0 : 500, m_screen->IsClipPlaying());
    ASSERT_TRUE(m_screen->GetCeremony().prizesShown);
    tovStandings& standings = m_screen->Standings();
    standings.m_prizes = {100000, 45000, 4500, 4000, 1500};
    // Second place was a player who left after the final's exchange.
    standings.SetPlayer(standings.m_ranking[1], 2);
    standings.MarkLeft(standings.m_ranking[1]);
    std::vector<std::string> prizes;
    for (const auto& line : m_screen->BoardLines())
        if (line.text[0] == '$')
            prizes.push_back(std::to_string(line.x) + " " + std::to_string(line.y) + " " + line.text);
    EXPECT_EQ(prizes, (std::vector<std::string>{"4 189 $100,000", "17 285 $4,500", "17 333 $4,000", "17 381 $1,500"}));
}

// The application's posted lines (a player joined, a chat line) take the board's gap under its
// rows: no text of the board, its day, its rows or its prompt, lies in their band, which holds a
// row. Over a crowd picture the band is the application's own.
TEST_F(WeighInTest, PostedLinesStandClearOfTheBoardsTexts)
{
    constexpr int32_t kTextHeight = 28;
    constexpr int32_t kRow = 20;
    m_ports->m_livewell = {52, 47, 39, 70};
    EnterDay(1, 1);
    Wait(2000);
    ASSERT_TRUE(m_screen->GetCeremony().dayResultsShown);
    const plat::Rect band = m_screen->PostedTextBand();
    EXPECT_GE(band.Height(), kRow);
    for (const tovWeighInIFace::Line& line : m_screen->BoardLines())
        EXPECT_TRUE(line.y + kTextHeight <= band.top || line.y >= band.bottom) << line.text << " at " << line.y;
    // The board picture's rows end at y 414, its prompt's bar begins at 440.
    EXPECT_GE(band.top, 414);
    EXPECT_LE(band.bottom, 440);

    EnterDay(0, 1);
    ASSERT_TRUE(m_screen->IsClipPlaying());
    const plat::Rect own = m_screen->PostedTextBand();
    EXPECT_EQ(own.top, 112);
    EXPECT_EQ(own.bottom, 300);
}

// The frame shown while a network day waits for the others' catches keeps the board's day and
// lake, not an empty day box and title bar; the final's opening clip then plays over the board,
// not over the waiting line.
TEST_F(WeighInTest, WaitingFrameAndTheOpeningClipAfterIt)
{
    TheLakeCatalogue().Clear();
    TheLakeCatalogue().SelectLakeByIndex(m_session.get(), 0);
    EnterDay(0, 1);
    m_screen->ShowWaiting(false);
    EXPECT_TRUE(golden::MatchesGoldenImage("weighin_waiting.png", Shown()));
    ASSERT_TRUE(m_screen->IsClipPlaying());
    m_screen->Update(0.0f, 0.0f);
    EXPECT_TRUE(golden::MatchesGoldenImage("weighin_opening_clip.png", Shown()));
}

TEST_F(WeighInTest, MissingOpeningClipEndsAtOnce)
{
    testfiles::TempDir empty;
    SetInstallRoot(empty.Path());
    EnterDay(0, 1);
    // No clip to wait for: the crowd starts on the first frame.
    EXPECT_FALSE(m_screen->IsClipPlaying());
    EXPECT_TRUE(m_screen->GetCeremony().clipDone);
    Wait(0);
    EXPECT_NE(m_screen->GetBackgroundId(), tovWeighInIFace::kBoardPicture);
    EXPECT_EQ(m_screen->GetCeremony().crowdCounter, 1);
}

// A season saved at its second event, read back and loaded, goes on to the lake its order
// names third when that day is weighed.
TEST_F(WeighInTest, ALoadedSeasonGoesOnToItsNextEvent)
{
    tovLakeCatalogue& lakes = TheLakeCatalogue();
    // The season is on the first lake and goes on to one of another id: not where a session's
    // empty order would lead.
    const int32_t first = lakes.GetLakeIdAt(0);
    int32_t next = 1;
    while (next < lakes.CountLakes(0) && (lakes.GetLakeIdAt(next) < 0 || lakes.GetLakeIdAt(next) == first))
        ++next;
    ASSERT_LT(next, lakes.CountLakes(0));
    tovSavedGame game;
    game.mode = tovSavedGame::kSeason;
    game.gameNumber = 5;
    game.lakeId = first;
    game.tournamentLengthSetting = 1;
    game.day = 1;
    game.weather.generatorState = 1;
    plat::ByteWriter clock;
    TheGameClock().Save(clock);
    std::copy_n(clock.Buffer().begin(), game.clock.size(), game.clock.begin());
    game.season.running[1] = 1;
    game.season.events[1] = 3;
    game.season.completed[1] = 1;
    game.season.lakeOrder[32] = 0;
    game.season.lakeOrder[33] = 0;
    game.season.lakeOrder[34] = next;
    game.profileName = "Casey";
    game.anglers.emplace_back().clock = game.clock;
    const std::vector<uint8_t> bytes = game.Write();
    tovSavedGame loaded;
    ASSERT_EQ(loaded.Read(bytes.data(), bytes.size()), tovSavedGame::ReadResult::kOk);
    ASSERT_TRUE(loaded.season.IsValid(lakes.CountLakes(0), INT32_MAX));
    tovSaveGame::Apply(loaded);
    EXPECT_EQ(lakes.GetCurrentLakeId(), first);

    m_ports->m_livewell = {16, 16};
    EnterDay(1, 1);
    Wait(2000);
    Click();
    ASSERT_TRUE(m_screen->GetCeremony().seasonPage);
    Click();
    EXPECT_EQ(m_screen->m_nextScreen, 4);
    EXPECT_EQ(m_session->m_dayFlags[1], 1);
    EXPECT_EQ(m_session->m_dayValues2[1], 2);
    EXPECT_EQ(lakes.GetCurrentLakeId(), lakes.GetLakeIdAt(next));
}

TEST_F(WeighInTest, SeasonBooksTheWeightAndMovesToTheNextEvent)
{
    struct Case
    {
        int32_t completed;
        int32_t events;
        int32_t next;
    };
    for (const Case& c : {Case{0, 3, 4}, Case{2, 3, 8}})
    {
        m_session->SetMode(tovGameSession::kSeason);
        m_session->m_dayResults1[1] = 100;
        // The winnings as paid; none reads as it always has.
        m_session->m_dayResults2[1] = c.completed == 0 ? 0 : 4500;
        m_session->m_dayValues1[1] = c.events;
        m_session->m_dayValues2[1] = c.completed;
        m_session->m_dayFlags[1] = 1;
        m_ports->m_livewell = {16, 16};
        EnterDay(1, 1); // two light fish: cut from ten
        Wait(2000);
        ASSERT_FALSE(m_screen->Standings().Advances(10, 1));
        EXPECT_TRUE(HasLine("Click Mouse For Season Statistics."));
        Click();
        EXPECT_TRUE(m_screen->GetCeremony().seasonPage);
        EXPECT_EQ(m_session->m_dayResults1[1], 132);
        EXPECT_TRUE(HasLine("Total Season Fish Weight :   8.25 pounds"));
        EXPECT_TRUE(HasLine(c.completed == 0 ? "Total Season Winnings : $0,000" : "Total Season Winnings : $4,500"));
        if (c.completed == 0)
        {
            // The season's long lines stand clear on the board, nothing drawn across them.
            m_screen->Update(0.0f, 0.0f);
            EXPECT_TRUE(golden::MatchesGoldenImage("weighin_season_page.png", Shown()));
        }
        Click();
        EXPECT_EQ(m_screen->m_nextScreen, c.next);
        EXPECT_EQ(m_session->m_dayFlags[1], c.next == 4 ? 1 : 0);
        EXPECT_EQ(m_session->m_dayValues2[1], c.next == 4 ? c.completed + 1 : 0);
        m_screen->Leave(10);
    }
}
