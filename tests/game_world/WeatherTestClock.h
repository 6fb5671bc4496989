#pragma once
// The program-wide game clock on a manual clock for weather tests: one real second a step at
// 48 game seconds a real second, put back as it was afterwards.

#include "Clock.h"
#include "QrPointer.h"
#include "tovGameClock.h"
#include "tovWeather.h"

#include <gtest/gtest.h>

class WeatherTestClock : public ::testing::Test
{
public:
    static constexpr double kGameSecondsPerStep = 48.0;

protected:
    void SetUp() override
    {
        plat::SetCurrentClock(&m_time);
        m_savedClock = TheGameClock();
        TheGameClock().Start(10.0, 8.0);
        TheGameClock().SetFlags(tovGameClock::kRunning);
    }
    void TearDown() override
    {
        TheGameClock() = m_savedClock;
        plat::SetCurrentClock(nullptr);
    }

    // Advances the game clock one step and updates each weather.
    template <class... W> void Step(W&... weathers)
    {
        m_time.AdvanceSeconds(1.0);
        TheGameClock().Update();
        (weathers->Update(0.0, 0.0), ...);
    }

    // A weather whose generator runs from a fixed seed (the record carries the state).
    static QrPointer<tovWeather> Seeded(uint32_t state)
    {
        QrPointer<tovWeather> weather(new tovWeather());
        tovWeatherRecord record;
        weather->GetState(record);
        record.generatorState = state;
        EXPECT_TRUE(weather->SetState(record));
        return weather;
    }

    plat::ManualClock m_time{1'000'000'000};
    tovGameClock m_savedClock;
};
