// The game run headless from scripts, as a player would drive it: start-up to the main menu,
// quick fish, the quit question answered both ways and a profile made and read back. Each
// checks the state digest and a few exact frames.

#include "AppScenarioRun.h"

#include "ButtonObj.h"
#include "tovAnglerRig.h"
#include "tovApp.h"
#include "tovCastController.h"
#include "tovChurnApp.h"
#include "tovFishingHooks.h"
#include "tovFishingWorld.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovLure.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovMotorSound.h"
#include "tovUserProfile.h"

#include "Clock.h"
#include "IniConfigStore.h"
#include "QrTestFixture.h"
#include "StreamTestHelpers.h"
#include "TestFiles.h"
#include "qrxCutout.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <numeric>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

golden::RgbImage Crop(const golden::RgbImage& image, uint32_t left, uint32_t top, uint32_t width, uint32_t height)
{
    golden::RgbImage part;
    part.width = width;
    part.height = height;
    for (uint32_t y = top; y < top + height; ++y)
    {
        const auto row = image.rgb.begin() + (static_cast<std::ptrdiff_t>(y) * image.width + left) * 3;
        part.rgb.insert(part.rgb.end(), row, row + static_cast<std::ptrdiff_t>(width) * 3);
    }
    return part;
}

// Ends the test program once a run inside this scope has gone on for `bound`: a loop that never
// ends (a dialog that never closes) cannot be stopped from its own thread, and would otherwise
// run to the test runner's much later bound with nothing said.
class HangBound
{
public:
    HangBound(std::chrono::seconds bound, std::string what)
        : m_watch(
              [this, bound, what = std::move(what)]
              {
                  std::unique_lock lock(m_mutex);
                  if (m_finished.wait_for(lock, bound, [this] { return m_done; }))
                      return;
                  std::fprintf(stderr, "%s: still running after %lld s, a hang\n", what.c_str(),
                               static_cast<long long>(bound.count()));
                  std::fflush(stderr);
                  std::_Exit(1);
              })
    {
    }
    ~HangBound()
    {
        {
            std::scoped_lock lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_one();
        m_watch.join();
    }
    HangBound(const HangBound&) = delete;
    HangBound& operator=(const HangBound&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_watch;
};

class AppScenarioTest : public QrEngineTest
{
protected:
    // The plants' shared properties live as long as the program: made before counting.
    void SetUp() override
    {
        qrxCutout::CreateSharedProperties();
        QrEngineTest::SetUp();
    }

    std::string UserDir() const { return m_dir.File("user"); }

    // The scripted quick-fish day up to and with the line `cutAfter`, then `events`: the run's
    // options with that script and seed 1, or an empty script path where the line is not found.
    tovAppOptions CutDayOptions(const char* file, const char* cutAfter, const char* events, uint32_t frames)
    {
        std::ifstream in(testfiles::SourceDir() + "/tests/game_app/scripts/quick_fish_day.script");
        const std::string day((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        tovAppOptions options = ScenarioOptions(UserDir(), "", frames);
        options.seed = 1;
        const size_t cut = day.find(cutAfter);
        if (cut == std::string::npos)
            return options;
        options.scriptPath = m_dir.File(file);
        std::ofstream(options.scriptPath) << day.substr(0, cut + std::strlen(cutAfter)) << events;
        return options;
    }

    testfiles::TempDir m_dir;
};

TEST_F(AppScenarioTest, StartUpReachesTheMainMenuBySpaceOrByTheIntrosTimeOut)
{
    const AppScenarioResult skipped = RunScenario(ScenarioOptions(UserDir(), "startup_to_menu.script", 40), {1, 40});
    ASSERT_EQ(skipped.error, "");
    EXPECT_EQ(DigestField(skipped.digests.at(1), "screen"), "13");
    EXPECT_EQ(DigestField(skipped.digest, "screen"), "8");
    EXPECT_EQ(DigestField(skipped.digest, "profile.name"), "Angler");
    EXPECT_EQ(DigestField(skipped.digest, "ended"), "by the harness");
    EXPECT_TRUE(golden::MatchesGoldenImage("app_intro.png", skipped.pictures.at(1)));
    EXPECT_TRUE(golden::MatchesGoldenImage("app_main_menu.png", skipped.pictures.at(40)));

    // Ten seconds at 33 ms a frame: the intro is still up after frame 303 and gone after 304.
    const AppScenarioResult waited = RunScenario(ScenarioOptions(UserDir(), "", 306), {303, 306});
    EXPECT_EQ(DigestField(waited.digests.at(303), "screen"), "13");
    EXPECT_EQ(DigestField(waited.digest, "screen"), "8");
}

// Quick fish from the game-mode screen (the drive script's first 30 frames), then the motor,
// the throttle and the wheel: one start checks both, a second the same keys' same result.
TEST_F(AppScenarioTest, QuickFishStartsDayOneAtTheChosenSkillAndTheKeysDriveTheBoatTheSameWayEveryRun)
{
    const AppScenarioResult first =
        RunScenario(ScenarioOptions(UserDir(), "quick_fish_drive.script", 80, 1), {12, 30, 39, 79});
    ASSERT_EQ(first.error, "");
    const std::string& selected = first.digests.at(12);
    EXPECT_EQ(DigestField(selected, "screen"), "1");
    EXPECT_EQ(DigestField(selected, "session.skill"), "2");
    EXPECT_TRUE(golden::MatchesGoldenImage("app_game_select_pro.png", first.pictures.at(12)));
    const std::string& fishing = first.digests.at(30);
    EXPECT_EQ(DigestField(fishing, "screen"), "2");
    EXPECT_EQ(DigestField(fishing, "session.mode"), "0");
    EXPECT_EQ(DigestField(fishing, "session.day"), "1");
    EXPECT_EQ(DigestField(fishing, "session.skill"), "2");
    // The fishing screen starts the day's clock and drives the world it built.
    EXPECT_EQ(DigestField(fishing, "clock.running"), "1");
    EXPECT_NE(DigestField(fishing, "boat.position"), "");
    EXPECT_EQ(DigestField(fishing, "clock.day_length"), "28800.0");
    // The tournament set-up screen's stand-in chose a lake at start-up.
    EXPECT_NE(DigestField(fishing, "lake.id"), "-1");
    EXPECT_NE(DigestField(fishing, "lake.name"), "");
    EXPECT_TRUE(golden::MatchesGoldenImage("app_fishing_first_frame.png", first.pictures.at(30)));
    // Twenty frames on, the frame-rate digits show whole in the lower left corner, above the bar.
    EXPECT_TRUE(golden::MatchesGoldenImage("app_fishing_frame_rate.png", Crop(first.pictures.at(79), 0, 400, 48, 48)));

    EXPECT_EQ(DigestField(first.digest, "screen"), "2");
    EXPECT_NE(DigestField(first.digest, "boat.rpm"), "0");
    // The motor runs up, the wheel turns the bow and the boat leaves its start.
    EXPECT_NE(DigestField(first.digest, "boat.heading"), DigestField(first.digests.at(39), "boat.heading"));
    EXPECT_NE(DigestField(first.digest, "boat.position"), DigestField(first.digests.at(39), "boat.position"));
    const AppScenarioResult second = RunScenario(ScenarioOptions(UserDir(), "quick_fish_drive.script", 80, 1), {39});
    EXPECT_EQ(second.digest, first.digest);
    EXPECT_EQ(second.frameHashes, first.frameHashes);
}

// The same cast from the same boat, begun a few seconds into the program and twelve days into
// it, where a float's steps are an eighth of a second: the lure flies and lands alike. Time
// read through a float would put it a frame's part ahead or behind along its flight.
TEST_F(AppScenarioTest, TheSameCastLandsAlikeWhateverTheProgramsTime)
{
    struct Cast
    {
        double released = 0.0; // the program's time
        std::vector<int32_t> phases;
        std::vector<float> flown; // part of the way from the rod tip to the target
    };
    const auto castFrom = [this](uint32_t jumpMs)
    {
        // The day up to the cast's release, then frames of 33 ms.
        const tovAppOptions options = CutDayOptions("cast.script", "40 button 0 up\n", "40 step 33\n", 80);
        Cast cast;
        const auto look = [&cast, jumpMs](tovApp& app, uint32_t frame)
        {
            // On the main menu, before the day: the program's clock runs on a long while.
            if (frame == 15)
                static_cast<plat::ManualClock&>(plat::CurrentClock()).AdvanceMs(jumpMs);
            const tovChurnApp* screen = tovChurnApp::GetInstance();
            const tovCastController* rod = screen ? screen->GetCastController() : nullptr;
            const tovGameSession* session = TheGameSession();
            const auto* rig = session ? dynamic_cast<const tovAnglerRig*>(session->GetCurrentAngler().Get()) : nullptr;
            if (frame < 40 || !rod || !rig)
                return;
            if (frame == 40)
                cast.released = app.GetFrameTime();
            const QrPoint3 tip = rod->GetRodTip(), lure = rod->GetShownLure(), target = rig->GetCastTarget();
            const float way = std::hypot(target.x - tip.x, target.z - tip.z);
            cast.phases.push_back(rod->GetPhase());
            cast.flown.push_back(way > 0.0f ? std::hypot(lure.x - tip.x, lure.z - tip.z) / way : -1.0f);
        };
        EXPECT_EQ(RunScenario(options, {}, look).error, "");
        return cast;
    };
    const Cast early = castFrom(0);
    // 2^20 seconds on.
    const Cast late = castFrom(1048576000u);
    EXPECT_LT(early.released, 60.0);
    EXPECT_GT(late.released, 1048576.0);
    EXPECT_EQ(late.phases, early.phases);
    ASSERT_EQ(late.flown.size(), early.flown.size());
    for (size_t i = 0; i < early.flown.size(); ++i)
        EXPECT_NEAR(late.flown[i], early.flown[i], 1e-3f) << "frame " << 40 + i;
    // The lure was seen in the air, and on the water at the end.
    EXPECT_GT(std::count(early.phases.begin(), early.phases.end(), tovCastController::kFlight), 10);
    ASSERT_FALSE(early.phases.empty());
    EXPECT_EQ(early.phases.back(), tovCastController::kRetrieve);
}

// A throttle key with the motor off only says so, for three seconds; the motor button shows
// pushed in while M has the motor running.
TEST_F(AppScenarioTest, ADeadThrottleSaysToPressMAndTheMotorButtonShowsTheMotorRunning)
{
    std::map<uint32_t, std::pair<std::string, bool>> seen;
    const auto look = [&seen](tovApp& app, uint32_t frame)
    {
        tovChurnApp* screen = tovChurnApp::GetInstance();
        const char* notice = screen ? screen->GetNotice(static_cast<float>(app.GetTime())) : nullptr;
        seen[frame] = {notice ? notice : "", screen && screen->IsMotorButtonDown()};
    };
    const AppScenarioResult run =
        RunScenario(ScenarioOptions(UserDir(), "motor_off_notice.script", 47, 1), {29, 39, 43}, look);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(DigestField(run.digests.at(29), "screen"), "2");
    EXPECT_EQ(seen.at(29).first, "");
    EXPECT_EQ(seen.at(32).first, tovChurnApp::kMotorOffText);
    EXPECT_EQ(seen.at(35).first, tovChurnApp::kMotorOffText);
    EXPECT_EQ(seen.at(39).first, "");
    // The throttle never moved.
    EXPECT_EQ(DigestField(run.digests.at(39), "boat.rpm"), "0");
    EXPECT_FALSE(seen.at(39).second);
    EXPECT_TRUE(seen.at(43).second);
    EXPECT_FALSE(seen.at(46).second);
}

// Quick fish, then the clock is put forward: under an hour left at frame 40 (the box is
// answered), set back a little at 45, still under an hour at 50, and out of time at 60. Quick fish ends at the main
// menu, a tournament at the weigh-in.
TEST_F(AppScenarioTest, TheDayWarnsOnceAnHourBeforeItsEndAndEndsOnTheModesScreen)
{
    struct Case
    {
        int32_t mode;
        const char* screen;
    };
    for (const Case& c : {Case{tovGameSession::kQuickFish, "8"}, Case{tovGameSession::kTournament, "10"}})
    {
        SCOPED_TRACE(c.mode);
        std::vector<std::string> warnings;
        const auto forward = [&](tovApp& app, uint32_t frame)
        {
            auto* box = dynamic_cast<tovMessageIFace*>(app.GetInterface(kMessageScreenId));
            if (box && IsMessageBoxRaised())
            {
                warnings.push_back(box->GetText());
                box->Answer(0);
            }
            tovGameClock& clock = TheGameClock();
            if (frame == 35)
                app.GetSession()->SetMode(c.mode);
            if (frame == 39)
                clock.SetGameTime(clock.GetDayLength() - 3600.0 + 10.0);
            // A network client's clock set back by the host's a few seconds: no second warning.
            if (frame == 45)
                clock.SetGameTime(clock.GetDayLength() - clock.GetRemaining() - 20.0);
            if (frame == 49)
                clock.SetGameTime(clock.GetDayLength() - 1800.0);
            if (frame == 59)
                clock.SetGameTime(clock.GetDayLength());
        };
        tovMotorSound::SetStopping(false);
        const AppScenarioResult run =
            RunScenario(ScenarioOptions(UserDir(), "quick_fish.script", 70, 1), {38, 55}, forward);
        ASSERT_EQ(run.error, "");
        // Leaving the fishing screen silences a motor transition that would end later.
        EXPECT_TRUE(tovMotorSound::IsStopping());
        EXPECT_EQ(DigestField(run.digests.at(38), "screen"), "2");
        EXPECT_EQ(DigestField(run.digests.at(55), "screen"), "2");
        // Six frames of the running clock after the half hour left, less the 5-minute ride to the dock.
        EXPECT_EQ(DigestField(run.digests.at(55), "remaining_time"), "1498");
        EXPECT_EQ(DigestField(run.digest, "screen"), c.screen);
        EXPECT_EQ(DigestField(run.digest, "remaining_time"), "0");
        std::vector<std::string> expected = {"You have less than one hour to return to the dock!"};
        if (c.mode == tovGameSession::kQuickFish)
            expected.push_back("Your fishing day is over.");
        EXPECT_EQ(warnings, expected);
    }
}

// A fishing day ended by its clock leads to the weigh-in, which a click (or Space) leads on from,
// on every kind of day: a first day of four to the next day, the final's ceremony to the main
// menu.
TEST_F(AppScenarioTest, TheWeighInLeadsOnByClickOrSpaceOnEveryKindOfDay)
{
    struct Case
    {
        const char* name;
        int32_t mode;
        int32_t length; // the tournament length setting: 0 makes day one the final, 3 four days
        const char* script;
        const char* next;
        uint32_t frames; // the final's ceremony takes a minute
    };
    const Case cases[] = {
        {"tournament day", tovGameSession::kTournament, 3, "weigh_in_click.script", "2", 66},
        {"tournament day, Space", tovGameSession::kTournament, 3, "weigh_in_space.script", "2", 66},
        {"final", tovGameSession::kTournament, 0, "weigh_in_click.script", "8", 200},
        {"season day", tovGameSession::kSeason, 3, "weigh_in_click.script", "2", 66},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        int32_t left = 0;
        const auto day = [&](tovApp& app, uint32_t frame)
        {
            if (frame == 35)
            {
                app.GetSession()->SetMode(c.mode);
                TheUserProfile().SetSetting1(c.length);
            }
            if (frame == 40)
                TheGameClock().SetGameTime(TheGameClock().GetDayLength());
            if (frame > 45 && left == 0 && app.GetCurrentScreenId() != tovChurnApp::kWeighInScreen)
                left = int32_t(frame);
        };
        const AppScenarioResult run = RunScenario(ScenarioOptions(UserDir(), c.script, c.frames, 1), {44, 59}, day);
        ASSERT_EQ(run.error, "");
        EXPECT_EQ(DigestField(run.digests.at(44), "screen"), "10");
        // The results are up and no click has come yet.
        EXPECT_EQ(DigestField(run.digests.at(59), "screen"), "10");
        EXPECT_GT(left, 59);
        EXPECT_EQ(DigestField(run.digest, "screen"), c.next);
    }
}

// The fishing screen serves every day of a tournament: the first day ends by its clock, the
// weigh-in leads on to the second, and the second, fished a few frames and then out of time,
// ends at the weigh-in as well; so does a second day whose clock is out of time from its first
// frame (a network client that comes after the host's day ran out).
TEST_F(AppScenarioTest, TheSecondDayOfATournamentEndsAtTheWeighInToo)
{
    for (const uint32_t fished : {4u, 0u})
    {
        SCOPED_TRACE(fished);
        uint32_t secondDay = 0;     // the second day's first frame on the fishing screen
        uint32_t secondWeighIn = 0; // and its first on the weigh-in
        int32_t day = 0;
        double left = 0.0;
        const auto days = [&](tovApp& app, uint32_t frame)
        {
            tovGameClock& clock = TheGameClock();
            if (frame == 35)
            {
                app.GetSession()->SetMode(tovGameSession::kTournament);
                TheUserProfile().SetSetting1(3);
            }
            if (frame == 40)
                clock.SetGameTime(clock.GetDayLength());
            const int32_t screen = app.GetCurrentScreenId();
            if (frame > 45 && secondDay == 0 && screen == tovChurnApp::kId)
            {
                secondDay = frame;
                day = app.GetSession()->GetDay();
                left = clock.GetRemaining();
            }
            if (secondDay != 0 && frame == secondDay + fished)
                clock.SetGameTime(clock.GetDayLength());
            if (secondDay != 0 && secondWeighIn == 0 && screen == tovChurnApp::kWeighInScreen)
                secondWeighIn = frame;
        };
        const AppScenarioResult run = RunScenario(ScenarioOptions(UserDir(), "weigh_in_click.script", 72, 1), {}, days);
        ASSERT_EQ(run.error, "");
        ASSERT_NE(secondDay, 0u) << "the first weigh-in did not lead on";
        EXPECT_EQ(day, 2);
        EXPECT_GT(left, 3600.0);
        ASSERT_NE(secondWeighIn, 0u) << "the second day did not end";
        EXPECT_GT(secondWeighIn, secondDay + fished);
        EXPECT_LE(secondWeighIn, secondDay + fished + 2);
    }
}

// A season on a catalogue the test builds, whose lake of id 0 is not the first: each lake is
// played once, in the catalogue's order, and after the last event the main menu follows with
// the season over.
TEST_F(AppScenarioTest, ASeasonPlaysEachLakeOnceWhereverTheLakeOfIdZeroLies)
{
    std::vector<int32_t> played;
    int32_t last = 0;
    const auto season = [&](tovApp& app, uint32_t frame)
    {
        tovLakeCatalogue& lakes = TheLakeCatalogue();
        if (frame == 1)
        {
            lakes.Clear();
            for (const char* pack : {"Sandridge.waf", "Clearwater.waf"})
                lakes.AddLakeFile(pack, testfiles::DataDir() + "/Lakes");
        }
        // Each day ends after its first frame on the lake, which has seen it begin.
        const int32_t screen = app.GetCurrentScreenId();
        if (screen == tovChurnApp::kId && last == tovChurnApp::kId)
            TheGameClock().SetGameTime(TheGameClock().GetDayLength());
        if (screen == tovChurnApp::kWeighInScreen && last != screen)
            played.push_back(lakes.GetCurrentLakeId());
        last = screen;
    };
    const AppScenarioResult run =
        RunScenario(ScenarioOptions(UserDir(), "season_each_lake.script", 125, 1), {}, season);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(played, (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(DigestField(run.digest, "screen"), "8");
    EXPECT_EQ(DigestField(run.digest, "season.events"), "0");
}

// A whole quick-fish day from the main menu, scripted as a player plays it (see the script):
// the cast, the strike, the fight and the catch box, the fish kept, the hour's warning
// answered and the day's end. Seed 1 brings a largemouth bass to the cast. The same day twice
// in two processes is the long test tarnholm_quick_fish_day_twice.
TEST_F(AppScenarioTest, AScriptedQuickFishDayKeepsItsFishAndEndsOnTheMainMenu)
{
    tovAppOptions options = ScenarioOptions(UserDir(), "quick_fish_day.script", 70);
    options.seed = 1;
    // The menu button greys while it would refuse the menu: the lure out, the fish on.
    std::map<uint32_t, bool> greyed;
    const auto look = [&greyed](tovApp&, uint32_t frame)
    {
        const tovChurnApp* screen = tovChurnApp::GetInstance();
        greyed[frame] = screen && screen->IsMenuButtonGreyed();
    };
    const AppScenarioResult run = RunScenario(options, {44, 50, 52, 56, 58, 59, 61, 64, 66}, look);
    ASSERT_EQ(run.error, "");
    EXPECT_FALSE(greyed.at(36));
    EXPECT_TRUE(greyed.at(45));
    EXPECT_TRUE(greyed.at(53));
    EXPECT_FALSE(greyed.at(60));
    const auto at = [&run](uint32_t frame, const char* name) { return DigestField(run.digests.at(frame), name); };
    EXPECT_EQ(at(44, "cast.phase"), "3");  // the lure in the water
    EXPECT_EQ(at(50, "cast.strike"), "1"); // a fish has it: the hook is set on the next frame
    EXPECT_EQ(at(52, "cast.phase"), "4");  // hooked and fighting
    EXPECT_EQ(at(56, "cast.phase"), "5");  // landed: the catch box
    EXPECT_EQ(at(56, "cast.outcome"), "1");
    EXPECT_EQ(at(56, "livewell.count"), "0");
    // The question stays up, and the fish in hand, until it is answered.
    EXPECT_EQ(at(58, "message_box"), "1");
    EXPECT_EQ(at(58, "cast.phase"), "5");
    EXPECT_EQ(at(59, "message_box"), "0");
    EXPECT_EQ(at(59, "cast.phase"), "0");
    EXPECT_EQ(at(59, "livewell.count"), "1");
    // Place 0: species 3, 63 ounces, 18 inches.
    EXPECT_EQ(at(59, "livewell.fish"), "0 3 63 18 Largemouth Bass");
    EXPECT_EQ(at(61, "screen"), "2");
    EXPECT_EQ(at(61, "message_box.text"), tovChurnApp::kWarningText);
    EXPECT_EQ(at(64, "message_box"), "0");
    EXPECT_EQ(at(64, "screen"), "2");
    EXPECT_EQ(at(64, "clock.running"), "1");
    EXPECT_EQ(at(66, "screen"), "8");
    EXPECT_EQ(at(66, "message_box.text"), tovChurnApp::kDayOverText);
    EXPECT_EQ(at(66, "remaining_time"), "0");
    EXPECT_EQ(at(66, "clock.running"), "0");
    EXPECT_GE(std::stod(at(66, "clock.game_seconds")), std::stod(at(66, "clock.day_length")));
    // The message answered: the main menu, the fish still in the livewell.
    EXPECT_EQ(DigestField(run.digest, "screen"), "8");
    EXPECT_EQ(DigestField(run.digest, "message_box"), "0");
    EXPECT_EQ(DigestField(run.digest, "livewell.fish"), "0 3 63 18 Largemouth Bass");
}

// The scripted day with K or R in place of the catch box's Yes: the keys reach the box through
// the program's own key path and keep or let go of the fish as its buttons do.
TEST_F(AppScenarioTest, KAndRAnswerTheCatchBoxAsItsButtonsDo)
{
    std::ifstream in(testfiles::SourceDir() + "/tests/game_app/scripts/quick_fish_day.script");
    std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string yes = "57 move 345 322\n57 button 0 down\n58 button 0 up\n";
    const size_t at = script.find(yes);
    ASSERT_NE(at, std::string::npos);
    for (const auto& [key, count] : {std::pair{"K", "1"}, std::pair{"R", "0"}})
    {
        SCOPED_TRACE(key);
        const std::string path = m_dir.File(std::string("answer_") + key + ".script");
        std::ofstream(path) << std::string(script).replace(
            at, yes.size(), std::string("57 key ") + key + " down\n58 key " + key + " up\n");
        tovAppOptions options = ScenarioOptions(UserDir(), "", 60);
        options.scriptPath = path;
        options.seed = 1;
        const AppScenarioResult run = RunScenario(options, {56, 59});
        ASSERT_EQ(run.error, "");
        ASSERT_EQ(DigestField(run.digests.at(56), "cast.phase"), "5");
        EXPECT_EQ(DigestField(run.digests.at(59), "message_box"), "0");
        EXPECT_EQ(DigestField(run.digests.at(59), "cast.phase"), "0");
        EXPECT_EQ(DigestField(run.digests.at(59), "livewell.count"), count);
    }
}

// MAP pressed on the scripted day: with the lure at rest it comes home before the map opens,
// the boat travels without it and the next cast goes out from the new place; with a fish on,
// the map opens with the fight still going.
TEST_F(AppScenarioTest, MapReelsARestingLureHomeFirstButLeavesAFishOn)
{
    struct Case
    {
        const char* name;
        const char* cutAfter; // the day's script up to this line, then the case's own
        const char* events;
        uint32_t frames;
        uint32_t onMap; // a frame the map is up
        const char* phaseOnMap;
    };
    const Case cases[] = {
        // The lure landed at frame 42. MAP; on the map PICK, a spot in the south of the lake, OK; a cast.
        {"lure at rest", "40 step 1000\n",
         "44 move 380 458\n45 button 0 down\n46 button 0 up\n"
         "52 move 555 102\n53 button 0 down\n54 button 0 up\n55 move 300 330\n57 button 0 down\n"
         "58 button 0 up\n60 move 210 452\n61 button 0 down\n62 button 0 up\n"
         "66 move 590 392\n67 button 0 down\n68 move 595 392\n69 button 0 up\n",
         75, 48, "0"},
        // Hooked at frame 51: the reel let go, then MAP.
        {"fish on", "51 step 8000\n",
         "52 button 0 up\n52 step 1000\n52 move 380 458\n53 button 0 down\n54 button 0 up\n", 56, 55, "4"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const tovAppOptions options = CutDayOptions("map.script", c.cutAfter, c.events, c.frames);
        ASSERT_NE(options.scriptPath, "");
        // Per frame: the boat's place and how far from it the lure is drawn.
        std::map<uint32_t, std::pair<QrPoint3, float>> seen;
        const auto look = [&seen](tovApp& app, uint32_t frame)
        {
            const tovChurnApp* screen = tovChurnApp::GetInstance();
            const tovCastController* cast = screen ? screen->GetCastController() : nullptr;
            const auto* rig = dynamic_cast<const tovAnglerRig*>(app.GetSession()->GetCurrentAngler().Get());
            if (!cast || !rig)
                return;
            const QrPoint3 boat = rig->GetBoatPosition();
            const QrPoint3& lure = cast->GetShownLure();
            seen[frame] = {boat, std::hypot(lure.x - boat.x, lure.z - boat.z)};
        };
        const AppScenarioResult run = RunScenario(options, {43, c.onMap, 64}, look);
        ASSERT_EQ(run.error, "");
        EXPECT_EQ(DigestField(run.digests.at(43), "cast.phase"), "3");
        EXPECT_EQ(DigestField(run.digests.at(c.onMap), "screen"), "12");
        EXPECT_EQ(DigestField(run.digests.at(c.onMap), "cast.phase"), c.phaseOnMap);
        if (std::string(c.phaseOnMap) != "0")
            continue;
        // Back on the lake far from where the lure was left, with the lure at the rod.
        EXPECT_EQ(DigestField(run.digests.at(64), "screen"), "2");
        const QrPoint3 before = seen.at(43).first;
        const QrPoint3 after = seen.at(64).first;
        EXPECT_GT(std::hypot(after.x - before.x, after.z - before.z), 10.0f);
        EXPECT_LT(seen.at(64).second, 0.1f);
        // The next cast lands within a cast of the new place.
        EXPECT_EQ(DigestField(run.digest, "screen"), "2");
        EXPECT_EQ(DigestField(run.digest, "cast.phase"), "3");
        EXPECT_GT(seen.at(c.frames).second, 0.1f);
        EXPECT_LT(seen.at(c.frames).second, tovCastController::kCastRange * 1.1f);
    }
}

// The tackle box button on the scripted day: with the lure at rest it comes home first, the box
// opens on an idle rod, ROD 3 and OK change the rod and the next cast carries rod 3's lure; with a
// fish on, the fishing screen stays and the fight goes on.
TEST_F(AppScenarioTest, TheTackleButtonReelsARestingLureHomeFirstButRefusesWithAFishOn)
{
    struct Case
    {
        const char* name;
        const char* cutAfter; // the day's script up to this line, then the case's own
        const char* events;
        uint32_t frames;
        uint32_t pressed; // a frame just after the button
        const char* screen;
        const char* phase;
    };
    const Case cases[] = {
        // The lure landed at frame 42. The tackle button; on the box ROD 3, OK; a cast.
        {"lure at rest", "40 step 1000\n",
         "44 move 276 458\n45 button 0 down\n46 button 0 up\n"
         "49 move 246 29\n50 button 0 down\n51 button 0 up\n53 move 211 452\n54 button 0 down\n"
         "55 button 0 up\n58 move 590 392\n59 button 0 down\n60 move 595 392\n61 button 0 up\n",
         66, 48, "9", "0"},
        // Hooked at frame 51: the reel let go, then the tackle button.
        {"fish on", "51 step 8000\n",
         "52 button 0 up\n52 step 1000\n52 move 276 458\n53 button 0 down\n54 button 0 up\n", 57, 55, "2", "4"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const tovAppOptions options = CutDayOptions("tackle.script", c.cutAfter, c.events, c.frames);
        ASSERT_NE(options.scriptPath, "");
        // Per frame: the current rod, the rig's lure model, whether it is the one in the scene, and how far from
        // the boat it is drawn.
        struct Lure
        {
            int32_t rod = 0;
            std::string model;
            bool inScene = false;
            float out = 0.0f;
        };
        std::map<uint32_t, Lure> seen;
        const auto look = [&seen](tovApp& app, uint32_t frame)
        {
            const tovChurnApp* screen = tovChurnApp::GetInstance();
            const tovCastController* cast = screen ? screen->GetCastController() : nullptr;
            const auto* rig = dynamic_cast<const tovAnglerRig*>(app.GetSession()->GetCurrentAngler().Get());
            const QrPointer<tovLure> lure = rig ? rig->GetTackleObject() : nullptr;
            if (!cast || !lure)
                return;
            const QrPoint3 boat = rig->GetBoatPosition();
            const QrPoint3& shown = cast->GetShownLure();
            seen[frame] = {TheUserProfile().GetCurrentRod(), lure->GetModelFile(),
                           GetFishingWorld()->GetCurrentLure() == lure.Get(),
                           std::hypot(shown.x - boat.x, shown.z - boat.z)};
        };
        const AppScenarioResult run = RunScenario(options, {43, c.pressed}, look);
        ASSERT_EQ(run.error, "");
        EXPECT_EQ(DigestField(run.digests.at(43), "cast.phase"), "3");
        EXPECT_EQ(DigestField(run.digests.at(c.pressed), "screen"), c.screen);
        EXPECT_EQ(DigestField(run.digests.at(c.pressed), "cast.phase"), c.phase);
        if (std::string(c.phase) != "0")
            continue;
        // Rod 3 taken up with nothing out, and cast: its lure is the one on the water.
        EXPECT_EQ(DigestField(run.digest, "screen"), "2");
        EXPECT_EQ(DigestField(run.digest, "cast.phase"), "3");
        EXPECT_EQ(seen.at(43).model, "Crankbait.QRF");
        EXPECT_EQ(seen.at(c.frames).rod, 2);
        EXPECT_EQ(seen.at(c.frames).model, "Worm.QRF");
        EXPECT_TRUE(seen.at(c.frames).inScene);
        EXPECT_GT(seen.at(c.frames).out, 0.1f);
    }
}

// A tournament day that ends while the hour's warning is still up: the warning goes with the
// day instead of standing over the weigh-in.
TEST_F(AppScenarioTest, TheHoursWarningLeftUpGoesWithTheDay)
{
    const auto forward = [](tovApp& app, uint32_t frame)
    {
        tovGameClock& clock = TheGameClock();
        if (frame == 35)
            app.GetSession()->SetMode(tovGameSession::kTournament);
        if (frame == 39)
            clock.SetGameTime(clock.GetDayLength() - 3600.0 + 10.0);
        if (frame == 44)
            clock.SetGameTime(clock.GetDayLength());
    };
    const AppScenarioResult run = RunScenario(ScenarioOptions(UserDir(), "quick_fish.script", 48, 1), {43}, forward);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(DigestField(run.digests.at(43), "message_box.text"), tovChurnApp::kWarningText);
    EXPECT_EQ(DigestField(run.digests.at(43), "message_box"), "1");
    EXPECT_EQ(DigestField(run.digest, "screen"), "10");
    EXPECT_EQ(DigestField(run.digest, "message_box"), "0");
}

// While a panel over the fishing screen holds the pointer (the chat panel turns the screen's
// buttons off), the press and release that would aim and cast do nothing beneath it.
TEST_F(AppScenarioTest, NoCastGoesOffUnderAPanelThatHoldsThePointer)
{
    tovAppOptions options = ScenarioOptions(UserDir(), "quick_fish_day.script", 45);
    options.seed = 1;
    const AppScenarioResult run = RunScenario(options, {44},
                                              [](tovApp&, uint32_t frame)
                                              {
                                                  if (frame == 36)
                                                      ButtonObj::SetButtonsActive(false);
                                              });
    ButtonObj::SetButtonsActive(true);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(DigestField(run.digests.at(44), "cast.phase"), "0");
}

// The scripted day with the question's moment changed: five fish already kept, the Yes on the
// landed fish takes the player to the livewell with six (none given up); in a tournament whose
// day ends while the question is up, the question goes with the day and the weigh-in follows.
TEST_F(AppScenarioTest, ASixthFishGoesToTheLivewellAndADayEndingOnTheQuestionLeavesNoQuestion)
{
    struct Case
    {
        bool fiveKept;
        bool endOnQuestion;
        const char* screen;
        const char* count;
        const char* questionAfterLanding; // the frame after the landing, before the click
    };
    for (const Case& c : {Case{true, false, "3", "6", "1"}, Case{false, true, "10", "0", "0"}})
    {
        SCOPED_TRACE(c.screen);
        tovAppOptions options = ScenarioOptions(UserDir(), "quick_fish_day.script", 62);
        options.seed = 1;
        const auto forward = [&](tovApp& app, uint32_t frame)
        {
            QrPointer<tovAnglerRigBase> angler = app.GetSession()->GetCurrentAngler();
            auto* rig = dynamic_cast<tovAnglerRig*>(angler.Get());
            if (frame == 40 && rig && c.fiveKept)
                for (int32_t ounces : {40, 50, 60, 70, 80})
                    rig->AddToLivewell(3, ounces, 15, 0.0002f);
            if (frame == 40 && c.endOnQuestion)
                app.GetSession()->SetMode(tovGameSession::kTournament);
            if (frame == 56 && c.endOnQuestion)
                TheGameClock().SetGameTime(TheGameClock().GetDayLength());
        };
        const AppScenarioResult run = RunScenario(options, {56, 57, 60}, forward);
        ASSERT_EQ(run.error, "");
        EXPECT_EQ(DigestField(run.digests.at(56), "cast.phase"), "5");
        EXPECT_EQ(DigestField(run.digests.at(57), "message_box"), c.questionAfterLanding);
        EXPECT_EQ(DigestField(run.digests.at(60), "screen"), c.screen);
        EXPECT_EQ(DigestField(run.digests.at(60), "livewell.count"), c.count);
        EXPECT_EQ(DigestField(run.digests.at(60), "message_box"), "0");
    }
}

// Seeded random keys, pointer moves and clicks on the fishing screen after quick fish: a few
// dozen frames here, a few thousand in the long run; the sanitizers watch for faults.
TEST_F(AppScenarioTest, RandomInputOnTheFishingScreenRunsClean)
{
    const uint32_t frames = streamtest::LongRun() ? 3000 : 80;
    const char* keys[] = {"Up",     "Down", "Left", "Right", "M",  "S",  "T",  "G",   "I",           "J",
                          "K",      "L",    "A",    "Z",     "R",  "C",  "1",  "4",   "7",           "Minus",
                          "Equals", "F1",   "F2",   "F3",    "F4", "F5", "F6", "Tab", "LeftBracket", "RightBracket"};
    uint32_t state = 12345;
    const auto next = [&state](uint32_t bound)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % bound;
    };
    std::ofstream script(m_dir.File("random.script"));
    script << "5 move 478 148\n6 button 0 down\n7 button 0 up\n15 move 531 211\n16 button 0 down\n17 button 0 up\n";
    for (uint32_t frame = 40; frame + 1 < frames; frame += 2)
    {
        switch (next(3))
        {
        case 0:
        {
            const char* key = keys[next(std::size(keys))];
            script << frame << " key " << key << " down\n" << frame + 1 << " key " << key << " up\n";
            break;
        }
        case 1:
            script << frame << " move " << next(640) << " " << next(430) << "\n";
            break;
        default:
            script << frame << " button " << next(2) << " down\n"
                   << frame + 1 << " button 0 up\n"
                   << frame + 1 << " button 1 up\n";
            break;
        }
    }
    script.close();
    tovAppOptions options = ScenarioOptions(UserDir(), "", frames, 1);
    options.scriptPath = m_dir.File("random.script");
    options.seed = 7;
    const AppScenarioResult run = RunScenario(options);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(run.frames, frames);
    EXPECT_NE(DigestField(run.digest, "screen"), "");
}

TEST_F(AppScenarioTest, TheQuitQuestionAnsweredNoStaysAndAnsweredYesEndsTheGame)
{
    const AppScenarioResult run =
        RunScenario(ScenarioOptions(UserDir(), "quit_both_ways.script", 200, 8), {10, 20, 40});
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(DigestField(run.digests.at(10), "message_box"), "1");
    EXPECT_EQ(DigestField(run.digests.at(10), "screen"), "8");
    EXPECT_TRUE(golden::MatchesGoldenImage("app_quit_question.png", run.pictures.at(10)));
    EXPECT_EQ(DigestField(run.digests.at(20), "message_box"), "0");
    EXPECT_EQ(DigestField(run.digests.at(20), "screen"), "8");
    EXPECT_EQ(DigestField(run.digests.at(40), "screen"), "24");
    EXPECT_TRUE(golden::MatchesGoldenImage("app_exit_splash.png", run.pictures.at(40)));
    EXPECT_TRUE(run.quit);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_LT(run.frames, 50u);
    EXPECT_EQ(DigestField(run.digest, "ended"), "by the game");
}

TEST_F(AppScenarioTest, EveryScreenIdOpensRunsAndIsLeftForTheMainMenuButTheWeighIn)
{
    for (int32_t id = 1; id <= 25; ++id)
    {
        SCOPED_TRACE(id);
        const AppScenarioResult run = RunScenario(ScenarioOptions(UserDir(), "escape_and_click.script", 20, id), {1});
        ASSERT_EQ(run.error, "");
        EXPECT_EQ(DigestField(run.digests.at(1), "screen"), std::to_string(id));
        // The weigh-in is left only by its board's own way on, which its first seconds do not offer.
        EXPECT_EQ(DigestField(run.digest, "screen"), id == 10 ? "10" : "8");
        EXPECT_EQ(run.frames, 20u);
    }
}

// Headless, the network set-up dialog counts each frame it shows and takes the script's events:
// untouched it ends with the run's last frame, and the script's click on Exit and Return to
// its question end the game there, one frame after the frame that took the Return.
TEST_F(AppScenarioTest, TheNetworkSetUpDialogCountsItsFramesAndTakesTheScript)
{
    struct Case
    {
        const char* script;
        bool quit;
        uint32_t frames;
    };
    for (const Case& c : {Case{"", false, 30}, Case{"net_dialog_exit.script", true, 8}})
    {
        SCOPED_TRACE(c.script);
        tovAppOptions options = ScenarioOptions(UserDir(), c.script, 30, 5);
        options.network = true;
        // A few seconds a case, a minute on a loaded machine: a dialog that outlives the bound hangs.
        const HangBound bound(std::chrono::minutes(4), "the network set-up dialog's run");
        const AppScenarioResult run = RunScenario(options);
        ASSERT_EQ(run.error, "");
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.quit, c.quit);
        EXPECT_EQ(run.frames, c.frames);
        EXPECT_EQ(DigestField(run.digest, "screen"), "5");
    }
}

TEST_F(AppScenarioTest, TheSameScriptSeedAndStepGiveTheSameFramesAndDigest)
{
    tovAppOptions options = ScenarioOptions(UserDir(), "quit_both_ways.script", 200, 8);
    options.seed = 77;
    const AppScenarioResult first = RunScenario(options);
    const AppScenarioResult second = RunScenario(options);
    ASSERT_FALSE(first.frameHashes.empty());
    EXPECT_EQ(first.frameHashes, second.frameHashes);
    EXPECT_EQ(first.digest, second.digest);
}

// Two quick-fish days in one process, as the in-process harness runs them: the second must
// not inherit generator state from the first (the computer boats' start places). Every frame
// from the main menu to the first driver's-seat frames, byte for byte.
TEST_F(AppScenarioTest, TwoRunsInOneProcessDrawTheSameFishingFrames)
{
    constexpr uint32_t kFrames = 26; // the lake loads at frame 23
    tovAppOptions options = ScenarioOptions(UserDir(), "quick_fish_day.script", kFrames);
    options.seed = 1;
    std::vector<uint32_t> every(kFrames);
    std::iota(every.begin(), every.end(), 1u);
    const AppScenarioResult first = RunScenario(options, every);
    std::filesystem::remove_all(UserDir());
    const AppScenarioResult second = RunScenario(options, every);
    ASSERT_EQ(first.error, "");
    ASSERT_EQ(second.error, "");
    EXPECT_EQ(DigestField(second.digest, "screen"), "2");
    for (uint32_t frame = 1; frame <= kFrames; ++frame)
        EXPECT_TRUE(first.pictures.at(frame).rgb == second.pictures.at(frame).rgb) << "frame " << frame;
    EXPECT_EQ(first.digest, second.digest);
}

void WriteLastUser(const std::string& userDir, const char* name)
{
    std::filesystem::create_directories(userDir);
    std::ofstream(userDir + "/settings.ini") << "[software\\Harrowlake\\TOV Demo]\nLastUser=" << name << "\n";
}

std::vector<char> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(AppScenarioTest, ANewProfileIsWrittenAndReadBackOnTheNextStart)
{
    WriteLastUser(UserDir(), "Casey");
    const std::string file = UserDir() + "/Users/Casey.wuo";
    const AppScenarioResult created = RunScenario(ScenarioOptions(UserDir(), "", 5));
    EXPECT_EQ(DigestField(created.digest, "profile.name"), "Casey");
    ASSERT_EQ(ReadBytes(file).size(), tovUserProfile::kFileSize);

    // Changed on disk between runs: the next start shows what the file holds.
    SetWritableRoot(UserDir());
    tovUserProfile edited;
    edited.SetName("Casey", false);
    ASSERT_EQ(LoadUserProfile(edited), tovProfileLoad::kLoaded);
    edited.SetTown("Harrow Falls");
    edited.SetGender(1);
    ASSERT_TRUE(SaveUserProfile(edited));
    SetWritableRoot({});
    const AppScenarioResult readBack = RunScenario(ScenarioOptions(UserDir(), "", 5));
    EXPECT_EQ(DigestField(readBack.digest, "profile.name"), "Casey");
    EXPECT_EQ(DigestField(readBack.digest, "profile.town"), "Harrow Falls");
    EXPECT_EQ(DigestField(readBack.digest, "profile.gender"), "1");
    EXPECT_EQ(DigestField(readBack.digest, "profile.loaded"), "1");
}

TEST_F(AppScenarioTest, AProfileThatCannotBeReadIsReplacedOnlyWhenThePlayerSaysSo)
{
    struct Case
    {
        const char* script;
        bool replaced;
        const char* screen;
    };
    for (const Case& c : {Case{"answer_no.script", false, "24"}, Case{"answer_yes.script", true, "13"}})
    {
        SCOPED_TRACE(c.script);
        testfiles::TempDir dir;
        const std::string user = dir.File("user");
        WriteLastUser(user, "Casey");
        std::filesystem::create_directories(user + "/Users");
        const std::string file = user + "/Users/Casey.wuo";
        std::ofstream(file, std::ios::binary) << "short";
        const AppScenarioResult run = RunScenario(ScenarioOptions(user, c.script, 20), {2});
        EXPECT_EQ(DigestField(run.digests.at(2), "message_box"), "1");
        EXPECT_EQ(DigestField(run.digest, "message_box"), "0");
        EXPECT_EQ(DigestField(run.digest, "screen"), c.screen);
        EXPECT_EQ(ReadBytes(file).size(), c.replaced ? tovUserProfile::kFileSize : 5u);
    }
}

// Quick fish on each sample lake: the day's fish are plenty, of the lake's own mix, and none is
// of a species the lake gives no share.
TEST_F(AppScenarioTest, EachSampleLakesDayHoldsOnlyItsOwnSpecies)
{
    for (int32_t id : {0, 1, 2, 3})
    {
        SCOPED_TRACE(id);
        std::array<float, 17> shares{};
        const auto pick = [&](tovApp& app, uint32_t frame)
        {
            if (frame == 5)
                TheLakeCatalogue().SelectLake(app.GetSession(), id);
            if (frame == 6)
                shares = TheLakeCatalogue().GetValues().speciesTables[0];
        };
        const AppScenarioResult run = RunScenario(ScenarioOptions(UserDir(), "quick_fish.script", 32, 1), {}, pick);
        ASSERT_EQ(run.error, "");
        ASSERT_EQ(DigestField(run.digest, "screen"), "2");
        ASSERT_EQ(DigestField(run.digest, "lake.id"), std::to_string(id));
        std::istringstream counts(DigestField(run.digest, "fish.species"));
        int32_t total = 0, absent = 0, present = 0;
        for (size_t k = 0; k < shares.size(); ++k)
        {
            int32_t count = -1;
            ASSERT_TRUE(counts >> count) << k;
            total += count;
            present += count > 0 ? 1 : 0;
            if (!(shares[k] > 0.0f))
            {
                EXPECT_EQ(count, 0) << "species " << k;
                ++absent;
            }
        }
        EXPECT_GE(total, 20);
        EXPECT_GT(absent, 0) << "the lake lacks some species";
        EXPECT_GT(present, 3) << "the lake's own mix, not the three bass of a lake without shares";
    }
}

} // namespace
