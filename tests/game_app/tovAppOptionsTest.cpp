#include "tovAppOptions.h"

#include "qrxFramePacer.h"

#include "Clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// The argument list as main gets it: the program's name first, a null after the last.
bool Parse(const std::vector<const char*>& args, tovAppOptions& out, std::string& error)
{
    std::vector<const char*> argv{"tarnholm"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(nullptr);
    return ParseAppOptions(static_cast<int>(argv.size() - 1), argv.data(), out, error);
}

TEST(tovAppOptions, EveryFlagLandsInTheRecord)
{
    tovAppOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--headless", "--data",   "d", "--user-dir", "u",  "--screen", "25", "--script",
                       "s",          "--frames", "7", "--step-ms",  "16", "--seed",   "-3", "--screenshot-every",
                       "2",          "--out",    "o", "--digest",   "g",  "--network"},
                      o, error))
        << error;
    EXPECT_TRUE(o.headless && o.network);
    EXPECT_EQ(o.dataDir + o.userDir + o.scriptPath + o.outDir + o.digestPath, "dusog");
    EXPECT_EQ(o.screen, 25);
    EXPECT_EQ(o.frames, 7u);
    EXPECT_EQ(o.stepMs, 16u);
    EXPECT_EQ(o.seed, -3);
    EXPECT_EQ(o.screenshotEvery, 2u);
    EXPECT_EQ(o.netTimeoutMs, tovAppOptions::kDefaultNetTimeoutMs);
    ASSERT_TRUE(Parse({"--join", "127.0.0.1:28640", "--net-timeout-ms", "3000"}, o, error)) << error;
    EXPECT_TRUE(o.network);
    EXPECT_EQ(o.joinAddress, "127.0.0.1:28640");
    EXPECT_EQ(o.netTimeoutMs, 3000);
    ASSERT_TRUE(Parse({"--headless", "--host", "127.0.0.1:28642"}, o, error)) << error;
    EXPECT_TRUE(o.network);
    EXPECT_EQ(o.hostAddress, "127.0.0.1:28642");
    EXPECT_FALSE(o.calendarTime.has_value());
    ASSERT_TRUE(Parse({"--headless", "--calendar-time", "1700000000"}, o, error)) << error;
    EXPECT_EQ(o.calendarTime, 1700000000);
}

// The window rests what a frame leaves of its sixtieth of a second; a headless run and a window
// started with --no-frame-cap never rest.
TEST(tovAppOptions, OnlyACappedWindowRestsAfterAFrame)
{
    const struct
    {
        std::vector<const char*> args;
        double pause;
    } cases[] = {
        {{}, 1.0 / 60.0 - 0.005},
        {{"--headless"}, 0.0},
        {{"--no-frame-cap"}, 0.0},
        {{"--headless", "--no-frame-cap"}, 0.0},
    };
    plat::ManualClock clock{1'000'000'000ull};
    plat::SetCurrentClock(&clock);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.args.empty() ? "window" : c.args.back());
        tovAppOptions options;
        std::string error;
        // No early return: the test's clock must be taken out below.
        EXPECT_TRUE(Parse(c.args, options, error)) << error;
        qrxFramePacer pacer;
        pacer.SetCap(FrameCapOf(options));
        pacer.StartFrame();
        clock.AdvanceMs(5);
        EXPECT_NEAR(pacer.PauseNeeded(), c.pause, 1e-9);
    }
    plat::SetCurrentClock(nullptr);
}

TEST(tovAppOptions, BadCommandLinesAreRefusedWithAReason)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--screen", "0"},
        {"--screen", "26"},
        {"--screen"},
        {"--headless", "--frames", "0"},
        {"--headless", "--frames", "12x"},
        {"--headless", "--step-ms", "1001"},
        {"--frames", "5"},
        {"--digest", "d"},
        {"--headless", "--screenshot-every", "3"},
        {"--data", ""},
        {"--fullscreen"},
        {"--headless", "--seed", "99999999999"},
        {"--join", "localhost"},
        {"--join", "localhost:0"},
        {"--join", ":4000"},
        {"--host", "127.0.0.1:4000"},
        {"--headless", "--host", "127.0.0.1"},
        {"--net-timeout-ms", "499"},
        {"--net-timeout-ms", "600001"},
        {"--net-timeout-ms"},
        {"--calendar-time", "1700000000"},
        {"--headless", "--calendar-time", "-1"},
    };
    for (const std::vector<const char*>& args : bad)
    {
        tovAppOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args.front();
        EXPECT_FALSE(error.empty()) << args.front();
    }
}

// A flag that takes a value, given last: refused for want of it, never read past the list.
TEST(tovAppOptions, AValueFlagGivenLastIsRefusedForWantOfItsValue)
{
    for (const char* flag :
         {"--data", "--user-dir", "--screen", "--seed", "--join", "--net-timeout-ms", "--script", "--frames",
          "--step-ms", "--screenshot-every", "--out", "--digest", "--host", "--calendar-time"})
    {
        tovAppOptions o;
        o.screen = 7;
        std::string error;
        EXPECT_FALSE(Parse({"--headless", flag}, o, error)) << flag;
        EXPECT_EQ(error, std::string(flag) + " needs a value");
        EXPECT_EQ(o.screen, 7) << "a refused line leaves the record alone";
    }
}

// --help's two forms list what each accepts: a flag the window refuses must not be offered
// there, and one it takes (as the day script's --seed) must not be missing.
TEST(tovAppOptions, UsageFormsListExactlyTheFlagsEachAccepts)
{
    const std::string usage = AppUsage();
    const size_t headlessForm = usage.find("tarnholm --headless");
    const size_t descriptions = usage.find("\n  --");
    ASSERT_NE(headlessForm, std::string::npos);
    ASSERT_LT(headlessForm, descriptions);
    const std::string window = usage.substr(0, headlessForm);
    const std::string headless = usage.substr(headlessForm, descriptions - headlessForm);
    const auto lists = [](const std::string& form, const std::string& flag)
    { return form.find(flag + " ") != std::string::npos || form.find(flag + "]") != std::string::npos; };

    const std::vector<std::vector<const char*>> flags = {
        {"--data", "d"},
        {"--user-dir", "u"},
        {"--screen", "3"},
        {"--seed", "5"},
        {"--network"},
        {"--join", "127.0.0.1:28640"},
        {"--net-timeout-ms", "3000"},
        {"--script", "s"},
        {"--frames", "5"},
        {"--step-ms", "5"},
        {"--screenshot-every", "2", "--out", "o"},
        {"--out", "o"},
        {"--digest", "g"},
        {"--host", "127.0.0.1:28640"},
        {"--calendar-time", "5"},
    };
    for (const std::vector<const char*>& args : flags)
    {
        const std::string flag = args.front();
        tovAppOptions o;
        std::string error;
        EXPECT_EQ(Parse(args, o, error), lists(window, flag)) << flag;
        std::vector<const char*> headlessArgs{"--headless"};
        headlessArgs.insert(headlessArgs.end(), args.begin(), args.end());
        EXPECT_TRUE(Parse(headlessArgs, o, error)) << flag << ": " << error;
        EXPECT_TRUE(lists(headless, flag)) << flag;
    }
}

} // namespace
