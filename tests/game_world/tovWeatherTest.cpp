#include "tovWeather.h"

#include "GoldenImage.h"
#include "WeatherTestClock.h"

#include "qrxIdleManager.h"
#include "uRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr double kStepSeconds = WeatherTestClock::kGameSecondsPerStep;
constexpr int kStepsPerHour = 75; // 3600 / 48

class tovWeatherTest : public WeatherTestClock
{
};

bool InFraction(float x)
{
    return x >= 0.0f && x <= 1.0f;
}

// Checks one step of a running day against the last and counts what began.
struct DayWatch
{
    tovWeatherRecord last;
    double gameTime = 0.0;
    double majorDue = 0.0;
    double minorDue = 0.0;
    int majors = 0;
    int minors = 0;
    int fronts = 0;

    explicit DayWatch(const tovWeatherRecord& first)
        : last(first), majorDue(first.beforeMajor), minorDue(first.beforeMinor)
    {
    }

    void CheckBand(const tovWeatherRecord::Temperature& t, const tovWeatherRecord::Temperature& before, float low,
                   float high, bool majorActive) const
    {
        EXPECT_GE(t.low, low - 1e-3f);
        EXPECT_LE(t.high, high + 1e-3f);
        EXPECT_GE(t.value, t.low - 1e-3f);
        EXPECT_LE(t.value, t.high + 1e-3f);
        if (!majorActive)
        {
            // Only a major event moves a band.
            EXPECT_EQ(t.low, before.low);
            EXPECT_EQ(t.high, before.high);
        }
    }

    // A timer that did not just count down by the step was drawn anew.
    void CheckSchedules(const tovWeather& w, const tovWeatherRecord& r)
    {
        if (r.beforeMajor != last.beforeMajor - w.GetElapsed())
        {
            EXPECT_GE(r.beforeMajor, 12600.0);
            EXPECT_LE(r.beforeMajor, 19800.0);
            EXPECT_GE(r.majorDuration, 10800.0);
            EXPECT_LE(r.majorDuration, 16200.0);
            const bool near = r.frontAir - 10.0f <= r.air.high && r.frontAir + 10.0f >= r.air.low;
            EXPECT_EQ(r.frontKind, near ? 0 : (r.frontAir > r.air.high ? 1 : 2));
            EXPECT_GE(r.frontAir, w.GetAirLow());
            EXPECT_LE(r.frontAir, w.GetAirHigh());
            majorDue = gameTime + r.beforeMajor;
        }
        if (r.beforeMinor != last.beforeMinor - w.GetElapsed())
        {
            EXPECT_GE(r.beforeMinor, 5400.0);
            EXPECT_LE(r.beforeMinor, 9000.0);
            EXPECT_GE(r.minorDuration, 7200.0);
            EXPECT_LE(r.minorDuration, 10800.0);
            minorDue = gameTime + r.beforeMinor;
        }
    }

    void CheckBeginnings(const tovWeatherRecord& r)
    {
        if (r.majorActive && !last.majorActive)
        {
            // On the first step past its time.
            EXPECT_GT(gameTime, majorDue);
            EXPECT_LE(gameTime, majorDue + kStepSeconds);
            ++majors;
            fronts += r.frontKind != 0;
            if (r.frontKind == 0)
            {
                EXPECT_EQ(r.air.targetLow, tovWeatherRecord::kUnset);
            }
        }
        if (r.minorActive && !last.minorActive)
        {
            // A major that is due holds a minor back.
            EXPECT_FALSE(r.majorActive);
            EXPECT_GT(gameTime, minorDue);
            ++minors;
        }
    }

    void Check(const tovWeather& w)
    {
        const tovWeatherRecord& r = w.GetRecord();
        EXPECT_TRUE(r.IsValid());
        for (float x : {w.GetCloud(), w.GetFog(), w.GetRain(), w.GetClarity(), w.GetWind(), w.GetWave(),
                        w.GetDirection(), w.GetBehavior()})
            EXPECT_TRUE(InFraction(x)) << x;
        EXPECT_EQ(w.GetWave(), w.GetWind());
        CheckBand(r.air, last.air, w.GetAirLow(), w.GetAirHigh(), r.majorActive);
        CheckBand(r.water, last.water, w.GetWaterLow(), w.GetWaterHigh(), r.majorActive);
        CheckBeginnings(r);
        CheckSchedules(w, r);
        last = r;
    }
};

std::string TraceLine(uint32_t seed, const tovWeather& w)
{
    const tovWeatherRecord& r = w.GetRecord();
    char line[256];
    std::snprintf(line, sizeof line,
                  "%u %05.2f air %.2f [%.2f,%.2f] water %.2f [%.2f,%.2f] cloud %.3f fog %.3f rain %.3f "
                  "clarity %.3f wind %.3f dir %d front %d %s%s",
                  seed, w.GetClock() / 3600.0, r.air.value, r.air.low, r.air.high, r.water.value, r.water.low,
                  r.water.high, r.cloud.value, r.fog.value, r.rain.value, r.clarity.value, r.wind.value,
                  w.GetDirectionIndex(), r.frontKind, r.majorActive ? "M" : "-", r.minorActive ? "m" : "-");
    return line;
}

TEST_F(tovWeatherTest, ADayFromFixedSeedsFollowsItsTraceInsideTheBands)
{
    std::vector<std::string> trace;
    int fronts = 0;
    for (uint32_t seed : {12345u, 777u, 4242u})
    {
        SCOPED_TRACE(seed);
        TheGameClock().Start(10.0, 8.0);
        QrPointer<tovWeather> w = Seeded(seed);
        Step(w); // the first update at 6:00 starts the day
        ASSERT_TRUE(w->IsStarted());
        DayWatch watch(w->GetRecord());
        for (int i = 1; i <= 24 * kStepsPerHour; ++i)
        {
            Step(w);
            watch.gameTime = i * kStepSeconds;
            watch.Check(*w);
            if (i % kStepsPerHour == 0)
                trace.push_back(TraceLine(seed, *w));
        }
        // 3.5 to 5.5 hours between majors lasting 3 to 4.5: two or three a day; a minor first.
        EXPECT_GE(watch.majors, 2);
        EXPECT_LE(watch.majors, 3);
        EXPECT_GE(watch.minors, 1);
        fronts += watch.fronts;
    }
    EXPECT_GE(fronts, 1);
    EXPECT_TRUE(golden::MatchesGoldenText("weather_day_trace.txt", trace));
}

TEST_F(tovWeatherTest, ElapsedTimeAcrossMidnightCountsAndABackwardsClockDoesNot)
{
    const double dayStart = tovGameClock::kDayStartSeconds;
    const struct
    {
        const char* what;
        double fromGame;
        double toGame;
        double elapsed;
    } cases[] = {
        {"a frame", 1000.0, 1048.0, 48.0},
        {"across midnight", tovWeather::kDaySeconds - dayStart - 300.0, tovWeather::kDaySeconds - dayStart + 300.0,
         600.0},
        {"a new day restarts the clock", 28800.0, 0.0, 0.0},
        {"a load ten seconds earlier", 10000.0, 9990.0, 0.0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        QrPointer<tovWeather> w = Seeded(99);
        TheGameClock().SetGameTime(c.fromGame);
        w->Update(0.0, 0.0);
        ASSERT_TRUE(w->IsStarted());
        w->Update(0.0, 0.0);
        EXPECT_EQ(w->GetElapsed(), 0.0);
        const tovWeatherRecord before = w->GetRecord();
        TheGameClock().SetGameTime(c.toGame);
        w->Update(0.0, 0.0);
        EXPECT_DOUBLE_EQ(w->GetElapsed(), c.elapsed);
        EXPECT_DOUBLE_EQ(before.beforeMajor - w->GetRecord().beforeMajor, c.elapsed);
        EXPECT_DOUBLE_EQ(before.beforeMinor - w->GetRecord().beforeMinor, c.elapsed);
    }
}

TEST_F(tovWeatherTest, TheFishingModesStartAtClockZeroSeesNoElapsedTimeOnItsFirstUpdate)
{
    QrPointer<tovWeather> w = Seeded(5);
    w->Start(0.0);
    const double beforeMajor = w->GetRecord().beforeMajor;
    Step(w);
    EXPECT_EQ(w->GetElapsed(), 0.0);
    EXPECT_EQ(w->GetRecord().beforeMajor, beforeMajor);
    Step(w);
    EXPECT_DOUBLE_EQ(w->GetElapsed(), kStepSeconds);
}

TEST_F(tovWeatherTest, AFixedWeatherKeepsItsValuesWhateverTheClockDoes)
{
    QrPointer<tovWeather> w(new tovWeather(-1.0));
    w->SetAuto(false);
    w->SetAir(75.0f);
    w->SetWater(70);
    w->SetCloud(1.4f);
    w->SetFog(0.3f);
    w->SetRain(-0.2f);
    w->SetClarity(0.8f);
    w->SetWave(0.25f);
    w->SetWind(0.25f);
    w->SetDirectionIndex(3);
    const tovWeatherRecord before = w->GetRecord();
    for (int i = 0; i < 3 * kStepsPerHour; ++i)
        Step(w);
    TheGameClock().SetGameTime(0.0);
    Step(w);
    EXPECT_FALSE(w->IsStarted());
    EXPECT_TRUE(w->GetRecord() == before);
    EXPECT_EQ(w->GetOvercastDepth(), tovWeather::kUnset);
    EXPECT_EQ(w->GetDirectionIndex(), 3);
}

TEST_F(tovWeatherTest, LevelsAndTheDirectionIndexStayInTheirRanges)
{
    const struct
    {
        float x;
        int direction;
        int cloud;
        int rain;
    } cases[] = {
        {0.0f, 0, 0, 0},
        {0.124f, 0, 0, 0},
        {0.125f, 1, 0, 0},
        {0.5f, 4, 3, 2},
        {0.999f, 7, 5, 3},
        {1.0f, 0, 6, 4},
        {tovWeather::kUnset, 0, 0, 0},
    };
    QrPointer<tovWeather> w(new tovWeather());
    tovWeatherRecord r;
    w->GetState(r);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.x);
        r.direction.value = r.cloud.value = r.rain.value = r.clarity.value = c.x;
        ASSERT_TRUE(w->SetState(r));
        EXPECT_EQ(w->GetDirectionIndex(), c.direction);
        EXPECT_EQ(w->GetCloudLevel(), c.cloud);
        EXPECT_EQ(w->GetRainLevel(), c.rain);
        EXPECT_EQ(w->GetClarityLevel(), c.rain);
    }
    for (int index : {-1, 0, 5, 7, 8, 1000})
    {
        w->SetDirectionIndex(index);
        EXPECT_EQ(w->GetDirectionIndex(), index >= 0 && index < 8 ? index : 0) << index;
    }
}

// A front's major event aims the bands and the rain from the front's biases: set up from a
// chosen state, the targets follow the rules with the draws the weather's own generator gives.
TEST_F(tovWeatherTest, AFrontsMajorEventAimsBandsAndRainByItsBiases)
{
    struct Front
    {
        int32_t kind;
        float rainThreshold, rainAmount;
    };
    int aimed[3] = {}, quiet[3] = {};
    for (const Front front : {Front{tovWeather::kWarmFront, 0.5f, 0.3f}, Front{tovWeather::kColdFront, 0.1f, 0.0f}})
        for (uint32_t state = 1000; state < 1030; ++state)
        {
            SCOPED_TRACE(testing::Message() << front.kind << " " << state);
            QrPointer<tovWeather> w = Seeded(state);
            Step(w);
            const float airLow = w->GetAirLow(), airHigh = w->GetAirHigh();
            const float waterLow = w->GetWaterLow(), waterHigh = w->GetWaterHigh();
            tovWeatherRecord r = w->GetRecord();
            const float t = front.kind == tovWeather::kWarmFront ? airHigh - 2.0f : airLow + 2.0f;
            r.frontKind = front.kind;
            r.frontAir = t;
            r.frontWater = waterLow + (t - airLow);
            r.majorActive = r.minorActive = 0;
            r.beforeMajor = 1.0;
            r.beforeMinor = 1e5;
            r.rain.value = 0.0f;
            r.fog.value = 0.0f;
            r.generatorState = state;
            ASSERT_TRUE(w->SetState(r));
            w->ResumeAt(TheGameClock().GetTimeOfDay());
            Step(w);
            const tovWeatherRecord& after = w->GetRecord();
            ASSERT_TRUE(after.majorActive);

            uRandom draws(1);
            draws.set_state(static_cast<int32_t>(state));
            const auto band = [](float centre, float width, float low, float high)
            {
                std::pair<float, float> b{centre - width / 2.0f, centre + width / 2.0f};
                if (b.first < low)
                    b = {low, low + width};
                if (b.second > high)
                    b = {high - width, high};
                return b;
            };
            const auto air = band(t, static_cast<float>(15.0 * draws.uniform() + 10.0), airLow, airHigh);
            EXPECT_FLOAT_EQ(after.air.targetLow, air.first);
            EXPECT_FLOAT_EQ(after.air.targetHigh, air.second);
            const auto water = band(r.frontWater, static_cast<float>(4.0 * draws.uniform() + 1.0), waterLow, waterHigh);
            EXPECT_FLOAT_EQ(after.water.targetLow, water.first);
            EXPECT_FLOAT_EQ(after.water.targetHigh, water.second);
            // Not raining: one draw decides whether rain is aimed at.
            if (draws.uniform() - front.rainThreshold < 0.25)
            {
                const float rain = std::min(1.0f, front.rainAmount + 0.25f);
                EXPECT_FLOAT_EQ(after.rain.target, rain);
                if (rain > 0.25f)
                {
                    EXPECT_FLOAT_EQ(after.fog.target, rain / 2.0f);
                }
                ++aimed[front.kind];
            }
            else
            {
                EXPECT_EQ(after.rain.target, tovWeather::kUnset);
                ++quiet[front.kind];
            }
        }
    for (int kind : {tovWeather::kWarmFront, tovWeather::kColdFront})
    {
        EXPECT_GT(aimed[kind], 0) << kind;
        EXPECT_GT(quiet[kind], 0) << kind;
    }
}

TEST_F(tovWeatherTest, AForcedFrontCarriesCloudWindFogAndRainAcrossInItsTime)
{
    for (const float cloud : {0.2f, 0.8f})
    {
        SCOPED_TRACE(cloud);
        QrPointer<tovWeather> w = Seeded(31337);
        Step(w);
        w->SetCloud(cloud);
        w->BeginMajorEvent();
        const float target = cloud <= 0.5f ? 1.0f : 0.0f;
        // 3000 game seconds: 62 steps glide, the 63rd ends the event without stepping.
        for (int i = 0; i < 62; ++i)
            Step(w);
        ASSERT_TRUE(w->GetRecord().majorActive);
        Step(w);
        const tovWeatherRecord& r = w->GetRecord();
        EXPECT_FALSE(r.majorActive);
        EXPECT_GE(r.beforeMajor, 12600.0);
        EXPECT_EQ(r.cloud.target, tovWeather::kUnset);
        for (float x : {w->GetCloud(), w->GetWind(), w->GetFog(), w->GetRain()})
        {
            EXPECT_NEAR(x, target, 0.01f);
            EXPECT_NE(x, target); // stops just short
        }
        EXPECT_EQ(w->GetWave(), w->GetWind());
    }
}

TEST_F(tovWeatherTest, ARecordTakenAfterAQuietUpdateLetsACopyContinueAlike)
{
    // A first run finds a mid-day update that drew nothing and keeps every step's record.
    std::vector<tovWeatherRecord> records;
    QrPointer<tovWeather> source = Seeded(2718);
    for (int i = 0; i < 20 * kStepsPerHour; ++i)
    {
        Step(source);
        records.push_back(source->GetRecord());
    }
    size_t quiet = 0;
    for (size_t i = 10 * kStepsPerHour; i + 1 < records.size() && quiet == 0; ++i)
        if (records[i + 1].generatorState == records[i].generatorState)
            quiet = i;
    ASSERT_NE(quiet, 0u);

    // The copy runs on its own seed up to there, then takes the record and must follow.
    TheGameClock().Start(10.0, 8.0);
    m_time.SetNanoseconds(1'000'000'000);
    TheGameClock().Start(10.0, 8.0);
    QrPointer<tovWeather> copy = Seeded(1);
    for (size_t i = 0; i < records.size(); ++i)
    {
        Step(copy);
        if (i == quiet)
        {
            ASSERT_TRUE(copy->SetState(records[i]));
        }
        if (i > quiet && !(copy->GetRecord() == records[i]))
            FAIL() << "the copy departs at step " << i;
    }
}

TEST_F(tovWeatherTest, AWeatherBuiltWithoutAManagerLeavesTheOneItJoinsWhenReleased)
{
    qrxIdleManager manager;
    {
        QrPointer<tovWeather> sky(new tovWeather(-1.0));
        QrPointer<tovWeather> screen = sky;
        manager.Add(sky.Get());
        screen = nullptr; // the conditions screen lets go; the sky still holds it
        manager.UpdateAll(1.0, nullptr);
        EXPECT_TRUE(manager.Contains(sky.Get()));
        EXPECT_EQ(sky->GetRefCount(), 1u);
    }
    EXPECT_EQ(manager.GetCount(), 0u);
    manager.UpdateAll(2.0, nullptr);
}

} // namespace

// A record taken from a day under way (a network host's, a saved game's) is the sky from the
// first update on: loading it must not start the day's weather afresh over it.
TEST_F(tovWeatherTest, ALoadedRecordOfADayUnderWayIsKeptFromTheFirstUpdate)
{
    TheGameClock().Start(10.0, 8.0);
    QrPointer<tovWeather> host = Seeded(12345u);
    for (int i = 0; i < 4 * kStepsPerHour; ++i)
        Step(host);
    ASSERT_TRUE(host->IsStarted());
    host->CaptureGenerator();
    const tovWeatherRecord sent = host->GetRecord();
    QrPointer<tovWeather> client = Seeded(777u);
    ASSERT_TRUE(client->SetState(sent));
    Step(client);
    EXPECT_EQ(client->GetCloud(), sent.cloud.value);
    EXPECT_EQ(client->GetFog(), sent.fog.value);
    // A record from before the day began starts the day from its generator, as the host's did.
    QrPointer<tovWeather> fresh = Seeded(12345u);
    fresh->CaptureGenerator();
    QrPointer<tovWeather> early = Seeded(777u);
    ASSERT_TRUE(early->SetState(fresh->GetRecord()));
    Step(fresh);
    Step(early);
    EXPECT_TRUE(early->IsStarted());
    EXPECT_EQ(early->GetCloud(), fresh->GetCloud());
}
