// A tournament day played to its weigh-in, saved on the second morning and loaded again, over
// the game still standing and by a fresh copy of the game: the loaded game stands where the
// saved one stood.

#include "AppScenarioRun.h"
#include "SpawnGame.h"

#include "ButtonObj.h"
#include "tovAnglerRig.h"
#include "tovApp.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovMainMenuIFace.h"
#include "tovStateDigest.h"
#include "tovTournamentSetupIFace.h"
#include "tovUserProfile.h"

#include "QrTestFixture.h"
#include "TestFiles.h"
#include "qrxCutout.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace
{

// Runs the game program to its end; its exit code, or -1 when it did not start or end well.
int RunProgram(const std::vector<std::string>& args, const std::string& log)
{
    const pid_t pid = SpawnGame(args, log);
    if (pid < 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines a load must give back: the session, lake, clock, the boat's place on the water and
// the saved game's own lines. The boat's height rides the waves and is not kept; a tournament's
// load leaves the season block as it was.
std::string SavedState(const std::string& digest)
{
    static const char* const kFields[] = {
        "session.mode",       "session.day",           "session.anglers",   "session.day_flags",
        "clock.game_seconds", "clock.day_length",      "clock.real_length", "profile.name",
        "profile.settings",   "profile.games_started", "lake.id",           "boat.heading"};
    std::ostringstream out;
    for (const char* field : kFields)
        out << field << " " << DigestField(digest, field) << "\n";
    std::istringstream boat(DigestField(digest, "boat.position"));
    std::string x, y, z;
    boat >> x >> y >> z;
    out << "boat.position " << x << " " << z << "\n";
    std::istringstream in(digest);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("save.", 0) == 0 && line.rfind("save.season", 0) != 0)
            out << line << "\n";
    return out.str();
}

// Whether the main menu is up with its save button lit; empty while another screen is up.
std::string MenuSave(tovApp& app)
{
    if (app.GetCurrentScreenId() != 8)
        return "";
    const ButtonObj* save = app.GetInterface(8)->GetButton(tovMainMenuIFace::kSaveGame);
    return save != nullptr && save->m_disabled == 0 ? "lit" : "off";
}

class SaveLoadScenarioTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        qrxCutout::CreateSharedProperties();
        QrEngineTest::SetUp();
    }

    testfiles::TempDir m_dir;
};

TEST_F(SaveLoadScenarioTest, ATournamentDaySavedAfterItsWeighInLoadsInAFreshProcessAsItWasSaved)
{
    const std::string user = m_dir.File("user");
    // On the water: five fish in the livewell and the clock at the day's end, so the weigh-in
    // follows; after the board the second day begins, and the player saves it and loads it
    // again through the main menu.
    const auto play = [](tovApp& app, uint32_t frame)
    {
        tovGameSession* session = app.GetSession();
        if (frame == 60 && session)
            if (auto* rig = dynamic_cast<tovAnglerRig*>(session->GetCurrentAngler().Get()))
            {
                for (int32_t ounces : {52, 61, 70, 44, 83})
                    rig->AddToLivewell(3, ounces, 18, 1.0f);
                TheGameClock().SetGameTime(TheGameClock().GetDayLength());
            }
    };
    const AppScenarioResult saved =
        RunScenario(ScenarioOptions(user, "tournament_save.script", 152, 1), {59, 62, 124, 129, 133, 140, 145}, play);
    ASSERT_EQ(saved.error, "");
    EXPECT_EQ(DigestField(saved.digests.at(59), "screen"), "2");
    EXPECT_EQ(DigestField(saved.digests.at(59), "session.mode"), "2");
    EXPECT_EQ(DigestField(saved.digests.at(62), "screen"), "10");
    EXPECT_EQ(DigestField(saved.digests.at(124), "screen"), "10");
    EXPECT_TRUE(golden::MatchesGoldenImage("tournament_day_results_board.png", saved.pictures.at(124)));
    EXPECT_EQ(DigestField(saved.digests.at(129), "screen"), "2");
    EXPECT_EQ(DigestField(saved.digests.at(129), "session.day"), "2");
    // The second day begins with an empty livewell: the first day's fish were weighed.
    std::istringstream local(DigestField(saved.digests.at(129), "save.angler"));
    std::string index, id, look, colour1, colour2, fish;
    local >> index >> id >> look >> colour1 >> colour2 >> fish;
    EXPECT_EQ(fish, "0");
    EXPECT_EQ(DigestField(saved.digests.at(133), "screen"), "8");
    EXPECT_EQ(DigestField(saved.digests.at(140), "screen"), "15");
    // Saved: the save screen hands over to the main menu.
    EXPECT_EQ(DigestField(saved.digests.at(145), "screen"), "8");
    const std::string file = user + "/Save/Tourney.wsv";
    ASSERT_TRUE(std::filesystem::exists(file));
    const std::string before = SavedState(saved.digests.at(140));
    EXPECT_EQ(SavedState(saved.digests.at(145)), before);
    // Loaded over the game still standing, in the same process.
    EXPECT_EQ(DigestField(saved.digest, "screen"), "2");
    EXPECT_EQ(SavedState(saved.digest), before);

    const std::string digestPath = m_dir.File("loaded.txt");
    const int exitCode = RunProgram({"--headless", "--data", testfiles::DataDir(), "--user-dir", user, "--script",
                                     testfiles::SourceDir() + "/tests/game_app/scripts/load_first_game.script",
                                     "--frames", "26", "--digest", digestPath},
                                    m_dir.File("loaded.log"));
    ASSERT_EQ(exitCode, 0) << ReadText(m_dir.File("loaded.log"));
    const std::string loaded = ReadText(digestPath);
    // The frame after the load: on the water, the clock running from where it was saved.
    EXPECT_EQ(DigestField(loaded, "screen"), "2");
    EXPECT_EQ(DigestField(loaded, "clock.running"), "1");
    EXPECT_EQ(SavedState(loaded), before);
}

// A day weighed in has nothing left to save, wherever the menu is reached from: after a
// tournament's final, and between two season events, where the set-up's Back leads to the menu
// with the last event's world still standing. A save there would stage the weigh-in again.
TEST_F(SaveLoadScenarioTest, NoSaveOnceADayIsWeighedIn)
{
    struct Case
    {
        const char* name;
        int32_t mode;
        uint32_t frames;
    };
    for (const Case& c : {Case{"after the final", tovGameSession::kTournament, 200},
                          Case{"between season events", tovGameSession::kSeason, 230}})
    {
        SCOPED_TRACE(c.name);
        std::string save;
        bool backFromSetup = false;
        const auto day = [&](tovApp& app, uint32_t frame)
        {
            tovGameSession* session = app.GetSession();
            if (frame == 35)
            {
                // A one-day event; a season of four lakes that has just begun.
                session->SetMode(c.mode);
                TheUserProfile().SetSetting1(0);
                session->m_dayFlags[0] = 1;
                session->m_dayValues1[0] = 4;
                for (int32_t i = 0; i < 4; ++i)
                    session->m_block[static_cast<size_t>(i)] = i;
            }
            if (frame == 40)
                TheGameClock().SetGameTime(TheGameClock().GetDayLength());
            if (frame > 45 && app.GetCurrentScreenId() == 4 && !backFromSetup)
            {
                backFromSetup = true;
                app.GetInterface(4)->GetButton(tovTournamentSetupIFace::kBack)->Click();
            }
            if (!MenuSave(app).empty())
                save = MenuSave(app);
        };
        const AppScenarioResult run =
            RunScenario(ScenarioOptions(m_dir.File("user"), "weigh_in_click.script", c.frames, 1), {}, day);
        ASSERT_EQ(run.error, "");
        EXPECT_EQ(DigestField(run.digest, "screen"), "8");
        EXPECT_EQ(backFromSetup, c.mode == tovGameSession::kSeason);
        EXPECT_EQ(save, "off");
    }
}

// A quick-fish day saved early and fished out: the menu offers no save of the day that is over
// and no way back to it, and the early save, loaded, is a day under way again that ends when its
// own clock runs out.
TEST_F(SaveLoadScenarioTest, AnEarlySaveOfADayThatRanOutLoadsADayThatEndsAgain)
{
    std::map<uint32_t, std::string> save;
    std::map<uint32_t, int32_t> screen;
    const auto play = [&](tovApp& app, uint32_t frame)
    {
        if (frame == 55 || frame == 90)
            TheGameClock().SetGameTime(TheGameClock().GetDayLength());
        save[frame] = MenuSave(app);
        screen[frame] = app.GetCurrentScreenId();
    };
    const AppScenarioResult run = RunScenario(ScenarioOptions(m_dir.File("user"), "quick_fish_save_load.script", 94, 1),
                                              {57, 62, 65, 75, 93}, play);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(save.at(36), "lit") << "a day under way can be saved";
    ASSERT_TRUE(std::filesystem::exists(m_dir.File("user") + "/Save/Early.wsv"));
    EXPECT_EQ(screen.at(53), 2);
    EXPECT_EQ(DigestField(run.digests.at(57), "message_box.text"), "Your fishing day is over.");
    EXPECT_EQ(save.at(63), "off");
    // Return clicked: the menu stays, and so does the clock of the day that is over.
    EXPECT_EQ(screen.at(65), 8);
    EXPECT_EQ(DigestField(run.digests.at(65), "clock.game_seconds"),
              DigestField(run.digests.at(62), "clock.game_seconds"));
    // Loaded: on the water, the early clock running; the menu offers the save again.
    EXPECT_EQ(DigestField(run.digests.at(75), "screen"), "2");
    EXPECT_EQ(DigestField(run.digests.at(75), "clock.running"), "1");
    EXPECT_LT(std::stod(DigestField(run.digests.at(75), "clock.game_seconds")),
              std::stod(DigestField(run.digests.at(75), "clock.day_length")));
    EXPECT_EQ(save.at(80), "lit");
    EXPECT_EQ(screen.at(88), 2);
    // Its clock run out, the loaded day ends as the first did.
    EXPECT_EQ(DigestField(run.digests.at(93), "screen"), "8");
    EXPECT_EQ(DigestField(run.digests.at(93), "message_box.text"), "Your fishing day is over.");
    EXPECT_EQ(save.at(93), "off");
}

// A one-day tournament saved mid-day and fished to its final, then loaded and fished to its
// final again: the replayed final shows its board, and the career counts one game.
TEST_F(SaveLoadScenarioTest, AFinalPlayedAgainFromASaveCreditsTheCareerOnce)
{
    std::vector<int32_t> screens;
    uint32_t since = 0;
    std::string firstCareer;
    bool replayBoard = false;
    const auto play = [&](tovApp& app, uint32_t frame)
    {
        const int32_t screen = app.GetCurrentScreenId();
        if (screens.empty() || screens.back() != screen)
        {
            screens.push_back(screen);
            since = frame;
        }
        if (frame == 1)
        {
            TheUserProfile().SetSetting1(0);
            SaveUserProfile(TheUserProfile());
        }
        // Back on the water after the save, and after the load: once the fishing screen has
        // seen the day's clock, the day runs out.
        const tovGameSession* session = app.GetSession();
        if (screen == 2 && frame > 78 && frame > since + 2 && session != nullptr && !session->IsDayOver())
            TheGameClock().SetGameTime(TheGameClock().GetDayLength());
        const auto weighIns = std::count(screens.begin(), screens.end(), 10);
        if (screen == 8 && firstCareer.empty() && weighIns == 1)
            firstCareer = DigestField(MakeStateDigest(app), "profile.career");
        if (screen == 10 && weighIns == 2 && !replayBoard)
            replayBoard = DigestField(MakeStateDigest(app), "weigh_in.results") == "1";
    };
    const AppScenarioResult run =
        RunScenario(ScenarioOptions(m_dir.File("user"), "tournament_replay.script", 215, 1), {}, play);
    ASSERT_EQ(run.error, "");
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("user") + "/Save/Replay.wsv"));
    EXPECT_EQ(std::count(screens.begin(), screens.end(), 10), 2) << "the final weighed in twice";
    EXPECT_EQ(DigestField(run.digest, "screen"), "8");
    EXPECT_TRUE(replayBoard) << "the replayed final shows its results";
    // One game in a field of five: a top-five finish, its prize and its place.
    std::istringstream first(firstCareer);
    int32_t games = 0, wins = 0, topFives = 0, winnings = 0, placeSum = 0;
    first >> games >> wins >> topFives >> winnings >> placeSum;
    EXPECT_EQ(games, 1) << firstCareer;
    EXPECT_EQ(topFives, 1) << firstCareer;
    EXPECT_GE(placeSum, 1);
    EXPECT_LE(placeSum, 5);
    EXPECT_EQ(DigestField(run.digest, "profile.career"), firstCareer);
}

// Two runs of the program with one seed on one profile, each a one-day tournament fished to its
// final (in this process, each run starting as the program does, from its seed and the profile on
// disk): the second draws a game number of its own and is credited as the first was.
TEST_F(SaveLoadScenarioTest, TwoRunsWithOneSeedOnOneProfileCreditBothTournaments)
{
    std::vector<std::string> careers;
    for (int run = 0; run < 2; ++run)
    {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        uint32_t onWater = 0;
        const auto play = [&](tovApp& app, uint32_t frame)
        {
            if (frame == 1)
            {
                TheUserProfile().SetSetting1(0);
                SaveUserProfile(TheUserProfile());
            }
            const tovGameSession* session = app.GetSession();
            if (app.GetCurrentScreenId() != 2 || session == nullptr || session->IsDayOver())
                return;
            // Once the fishing screen has seen the day's clock, the day runs out.
            if (onWater == 0)
                onWater = frame;
            else if (frame > onWater + 2)
                TheGameClock().SetGameTime(TheGameClock().GetDayLength());
        };
        tovAppOptions options = ScenarioOptions(m_dir.File("user"), "tournament_day.script", 120, 1);
        options.seed = 57;
        const AppScenarioResult result = RunScenario(options, {}, play);
        ASSERT_EQ(result.error, "");
        ASSERT_EQ(DigestField(result.digest, "screen"), "8");
        careers.push_back(DigestField(result.digest, "profile.career"));
    }
    // Games, wins, top fives, winnings and place sum: one game in a field of five is a top-five
    // finish with its prize and its place, in each run.
    std::vector<std::array<int64_t, 5>> words;
    for (const std::string& career : careers)
    {
        std::istringstream in(career);
        std::array<int64_t, 5>& w = words.emplace_back();
        for (int64_t& word : w)
            in >> word;
    }
    EXPECT_EQ(words[0][0], 1) << careers[0];
    EXPECT_EQ(words[0][2], 1) << careers[0];
    EXPECT_GE(words[0][4], 1);
    EXPECT_LE(words[0][4], 5);
    EXPECT_EQ(words[1][0], 2) << careers[1];
    EXPECT_EQ(words[1][2], 2) << "the second run's final is credited too: " << careers[1];
    EXPECT_EQ(words[1][3], 2 * words[0][3]) << "one seed: the same finish, paid again";
    EXPECT_EQ(words[1][4], 2 * words[0][4]);
}

} // namespace
