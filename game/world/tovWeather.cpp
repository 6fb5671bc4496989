#include "tovWeather.h"

#include "tovGameClock.h"
#include "tovLakeCatalogue.h"

#include "Clock.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace
{

constexpr double kHourSeconds = 3600.0;
// A backwards step longer than this is the clock restarting or being restored, not midnight.
constexpr double kMaxMidnightStep = kHourSeconds;
constexpr double kForcedFrontSeconds = 3000.0;

// Lake bounds from a lake file are taken only within these, so a front's temperatures and
// the bands around them stay within what a record may hold.
constexpr int32_t kLowestLakeDegrees = -200;
constexpr int32_t kHighestLakeDegrees = 300;

bool IsLakeRange(const std::array<int32_t, 2>& range)
{
    return range[0] < range[1] && range[0] >= kLowestLakeDegrees && range[1] <= kHighestLakeDegrees;
}

float Clamp01(float x)
{
    return x >= 0.0f ? std::min(x, 1.0f) : 0.0f; // NaN gives 0
}

float Limit(float x, float low, float high)
{
    return std::max(low, std::min(x, high));
}

int Level(float x, int steps)
{
    return static_cast<int>(Clamp01(x) * static_cast<float>(steps));
}

} // namespace

tovWeather::tovWeather()
{
    // Masked to 31 bits so the seed stays in the generator's range past 2038.
    m_random.seed(static_cast<int32_t>(static_cast<uint64_t>(plat::CalendarSeconds()) & 0x7FFFFFFFu));
    m_seedWord = static_cast<uint32_t>(m_random.get_state());
    m_state.generatorState = m_seedWord;
}

tovWeather::tovWeather(double) : tovWeather() {}

void tovWeather::Update(double, double)
{
    m_state.generatorState = static_cast<uint32_t>(m_random.get_state());
    SetClock(TheGameClock().GetTimeOfDay());
    if (m_previousClock < 0.0)
    {
        m_previousClock = m_clock;
        m_elapsed = 0.0;
    }
    else
    {
        m_elapsed = ElapsedSince(m_previousClock);
    }
    if (m_auto)
    {
        if (m_clock > 0.0 && !m_started)
            Start(m_clock);
        else if (m_started)
            AutoTick();
    }
    m_previousClock = m_clock;
}

void tovWeather::SetClock(double clock)
{
    // A restored or hostile clock may lie outside one day; the hourly curve needs 0..24 h.
    if (!std::isfinite(clock))
        clock = 0.0;
    clock = std::fmod(clock, kDaySeconds);
    if (clock < 0.0)
        clock += kDaySeconds;
    m_clock = clock;
    m_hour = clock / kHourSeconds;
    m_nextClock = clock + kHourSeconds;
    if (m_nextClock >= kDaySeconds)
        m_nextClock -= kDaySeconds;
    m_nextHour = m_nextClock / kHourSeconds;
}

double tovWeather::ElapsedSince(double previousClock) const
{
    if (m_clock >= previousClock)
        return m_clock - previousClock;
    const double acrossMidnight = m_clock + kDaySeconds - previousClock;
    // A clock that restarts for a new day or is restored earlier runs back; counting that as a
    // midnight crossing would rush every event timer through most of a day at once.
    return acrossMidnight <= kMaxMidnightStep ? acrossMidnight : 0.0;
}

void tovWeather::ApplyLakeBounds()
{
    const tovLakeValues& lake = TheLakeCatalogue().GetValues();
    // A lake's bounds come from its file: an empty, reversed or absurd range keeps the current one.
    if (IsLakeRange(lake.pair1))
    {
        m_airLow = static_cast<float>(lake.pair1[0]);
        m_airHigh = static_cast<float>(lake.pair1[1]);
    }
    if (IsLakeRange(lake.pair2))
    {
        m_waterLow = static_cast<float>(lake.pair2[0]);
        m_waterHigh = static_cast<float>(lake.pair2[1]);
    }
}

void tovWeather::Start(double clock)
{
    ApplyLakeBounds();
    SetClock(clock);
    m_previousClock = -1.0;
    m_elapsed = 0.0;
    if (m_started)
        return;
    InitTemperature(m_state.air, m_airLow, m_airHigh, static_cast<float>(15.0 * Draw() + 10.0), 0);
    InitTemperature(m_state.water, m_waterLow, m_waterHigh, static_cast<float>(4.0 * Draw() + 1.0), 3);
    ScheduleMinor();
    ScheduleMajor();
    ClearBiases();
    SetFrontBiases(m_state.frontKind);
    InitRain();
    InitFog();
    InitCloud();
    InitClarity();
    InitDirection();
    InitBehavior();
    InitWind();
    m_state.wave.value = m_state.wave.preset >= 0.0f ? m_state.wave.preset : m_state.wind.value;
    m_started = true;
}

void tovWeather::ScheduleMajor()
{
    m_state.beforeMajor = 7200.0 * Draw() + 12600.0;
    m_state.majorDuration = 5400.0 * Draw() + 10800.0;
    const float t = static_cast<float>(m_airLow + Draw() * (m_airHigh - m_airLow));
    m_state.frontAir = t;
    if (t - 10.0f <= m_state.air.high && t + 10.0f >= m_state.air.low)
    {
        m_state.frontKind = kNoFront;
        return;
    }
    m_state.frontKind = t > m_state.air.high ? kWarmFront : kColdFront;
    m_state.frontWater = m_waterLow + (t - m_airLow);
}

void tovWeather::ScheduleMinor()
{
    m_state.beforeMinor = 3600.0 * Draw() + 5400.0;
    m_state.minorDuration = 3600.0 * Draw() + 7200.0;
}

void tovWeather::AutoTick()
{
    tovWeatherRecord& s = m_state;
    s.beforeMajor -= m_elapsed;
    s.beforeMinor -= m_elapsed;
    if (s.beforeMajor < 0.0)
    {
        if (!s.majorActive)
        {
            s.majorActive = 1;
            ClearTargets();
            BeginMajor();
            s.majorTimeLeft = s.eventDuration = s.eventTimeLeft = s.majorDuration;
        }
        else
        {
            s.majorTimeLeft -= m_elapsed;
            s.eventTimeLeft = s.majorTimeLeft;
        }
        if (s.majorTimeLeft < 0.0)
        {
            ScheduleMajor();
            ScheduleMinor();
            s.majorActive = 0;
            EndEvent();
        }
    }
    else if (s.beforeMinor < 0.0)
    {
        if (!s.minorActive)
        {
            s.minorActive = 1;
            ClearTargets();
            BeginMinor();
            s.minorTimeLeft = s.eventDuration = s.eventTimeLeft = s.minorDuration;
        }
        else
        {
            s.minorTimeLeft -= m_elapsed;
            s.eventTimeLeft = s.minorTimeLeft;
        }
        if (s.minorTimeLeft < 0.0)
        {
            ScheduleMinor();
            EndEvent();
        }
    }
    StepAll();
}

void tovWeather::BeginMajor()
{
    SetFrontBiases(m_state.frontKind);
    if (m_state.frontKind != kNoFront)
    {
        BeginTemperature(m_state.air, m_state.frontAir, static_cast<float>(15.0 * Draw() + 10.0), m_airLow, m_airHigh);
        FollowCurve(m_state.air, 0);
        BeginTemperature(m_state.water, m_state.frontWater, static_cast<float>(4.0 * Draw() + 1.0), m_waterLow,
                         m_waterHigh);
        FollowCurve(m_state.water, 3);
    }
    BeginRain();
    BeginFog();
    BeginCloud();
    BeginOvercast();
    BeginDirection(true);
    BeginWind();
    ClearBiases();
}

void tovWeather::BeginMinor()
{
    ClearBiases();
    BeginRain();
    BeginFog();
    BeginCloud();
    BeginOvercast();
    BeginDirection(false);
    BeginWind();
}

void tovWeather::EndEvent()
{
    m_state.eventDuration = m_state.eventTimeLeft = 0.0;
    m_state.minorActive = 0;
    ClearTargets();
}

void tovWeather::ClearTargets()
{
    for (Fraction* p : {&m_state.cloud, &m_state.fog, &m_state.light, &m_state.rain, &m_state.clarity,
                        &m_state.behavior, &m_state.direction, &m_state.wind})
        p->target = p->start = kUnset;
    for (Temperature* t : {&m_state.air, &m_state.water})
        t->targetLow = t->targetHigh = t->startLow = t->startHigh = kUnset;
    m_state.wave.further1 = m_state.wave.further2 = kUnset;
}

void tovWeather::ClearBiases()
{
    m_state.biases.fill(0.0f);
}

void tovWeather::SetFrontBiases(int32_t kind)
{
    using R = tovWeatherRecord;
    auto& b = m_state.biases;
    if (kind == kWarmFront)
    {
        b[R::kCloudThreshold] = 0.3f, b[R::kCloudAmount] = 0.2f;
        b[R::kFogThreshold] = 0.2f, b[R::kFogAmount] = 0.2f;
        b[R::kRainThreshold] = 0.5f, b[R::kRainAmount] = 0.3f;
        b[R::kFurther1] = 0.2f, b[R::kFurther2] = 0.2f;
        b[R::kClarityBias] = 0.1f, b[R::kFurther3] = 0.625f;
        b[R::kWindThreshold] = 0.2f, b[R::kWindAmount] = 0.3f;
    }
    else if (kind == kColdFront)
    {
        b[R::kCloudThreshold] = 0.2f, b[R::kCloudAmount] = 0.1f;
        b[R::kFogThreshold] = 0.0f, b[R::kFogAmount] = 0.0f;
        b[R::kRainThreshold] = 0.1f, b[R::kRainAmount] = 0.0f;
        b[R::kClarityBias] = 0.1f, b[R::kFurther3] = 0.625f;
        b[R::kWindThreshold] = 0.3f, b[R::kWindAmount] = 0.5f;
    }
}

float tovWeather::EventProgress() const
{
    const double duration = m_state.eventDuration;
    if (!(duration > 0.0))
        return 1.0f;
    // Limited so a glide never leaves the span between start and target.
    const double f = (duration - m_state.eventTimeLeft) / duration;
    return static_cast<float>(std::clamp(f, 0.0, 1.0));
}

void tovWeather::StepAll()
{
    tovWeatherRecord& s = m_state;
    const bool active = s.majorActive || s.minorActive;
    const float f = EventProgress();
    StepTemperature(s.air, f, 0);
    if (active)
    {
        Glide(s.rain, f);
        Glide(s.fog, f);
        Glide(s.cloud, f);
    }
    if (active && s.overcast.target >= 0.0f && s.overcast.start >= 0.0f)
        s.overcast.value = s.overcast.start + (s.overcast.target - s.overcast.start) * f;
    DeriveOvercast();
    if (active)
        Glide(s.clarity, f);
    StepTemperature(s.water, f, 3);
    if (active)
    {
        Glide(s.behavior, f);
        Glide(s.direction, f);
        Glide(s.wind, f);
    }
    s.wave.value = s.wind.value;
}

void tovWeather::BeginMajorEvent()
{
    tovWeatherRecord& s = m_state;
    ClearTargets();
    const float start = s.cloud.value <= 0.5f ? 0.0f : 1.0f;
    for (Fraction* p : {&s.cloud, &s.wind, &s.fog, &s.rain})
    {
        p->start = start;
        p->target = 1.0f - start;
    }
    s.beforeMajor = -1.0;
    s.majorDuration = s.majorTimeLeft = s.eventDuration = s.eventTimeLeft = kForcedFrontSeconds;
    s.majorActive = 1;
}

int tovWeather::GetCloudLevel(float cloud) const
{
    return Level(cloud < 0.0f ? m_state.cloud.value : cloud, 6);
}

int tovWeather::GetRainLevel(float rain) const
{
    return Level(rain < 0.0f ? m_state.rain.value : rain, 4);
}

int tovWeather::GetClarityLevel() const
{
    return Level(m_state.clarity.value, 4);
}

int tovWeather::GetDirectionIndex() const
{
    // Direction 1 is a full turn: north again, not a ninth point.
    return static_cast<int>(std::floor(Clamp01(m_state.direction.value) * 8.0f)) % 8;
}

float tovWeather::GetWaterNormalised() const
{
    return (m_state.water.value - m_waterLow) / (m_waterHigh - m_waterLow);
}

bool tovWeather::IsRaining(float rain) const
{
    return (rain >= 0.0f ? rain : m_state.rain.value) > 0.25f;
}

bool tovWeather::IsFoggy(float fog) const
{
    return (fog >= 0.0f ? fog : m_state.fog.value) >= 0.25f;
}

bool tovWeather::IsOvercast(float cloud) const
{
    return GetCloudLevel(cloud) >= 4;
}

void tovWeather::SetAir(float degrees)
{
    m_state.air.value = std::isnan(degrees) ? m_airLow : Limit(degrees, m_airLow, m_airHigh);
}

void tovWeather::SetWater(int32_t degrees)
{
    m_state.water.value = Limit(static_cast<float>(degrees), m_waterLow, m_waterHigh);
}

void tovWeather::SetCloud(float x)
{
    m_state.cloud.value = Clamp01(x);
}

void tovWeather::SetFog(float x)
{
    m_state.fog.value = Clamp01(x);
}

void tovWeather::SetRain(float x)
{
    m_state.rain.value = Clamp01(x);
}

void tovWeather::SetClarity(float x)
{
    m_state.clarity.value = Clamp01(x);
}

void tovWeather::SetWave(float x)
{
    m_state.wave.value = Clamp01(x);
}

void tovWeather::SetWind(float x)
{
    m_state.wind.value = Clamp01(x);
}

void tovWeather::SetDirection(float x)
{
    m_state.direction.value = Clamp01(x);
}

void tovWeather::SetDirectionIndex(int32_t index)
{
    m_state.direction.value = Clamp01(static_cast<float>(index) * 0.125f);
}

void tovWeather::GetState(tovWeatherRecord& record) const
{
    record = m_state;
}

void tovWeather::CaptureGenerator()
{
    m_state.generatorState = static_cast<uint32_t>(m_random.get_state());
}

bool tovWeather::SetState(const tovWeatherRecord& record)
{
    // A state of 0 would make the generator throw; other damage would spoil every reader.
    if (!record.IsValid())
        return false;
    m_state = record;
    m_seedWord = record.generatorState;
    m_random.set_state(static_cast<int32_t>(record.generatorState));
    // A record of a day under way goes on from its values; starting it afresh would draw a
    // new day's sky over them on the first update.
    m_started = record.air.value != tovWeatherRecord::kUnset;
    return true;
}

void tovWeather::ResumeAt(double timeOfDay)
{
    SetClock(timeOfDay);
    m_previousClock = m_clock;
    m_elapsed = 0.0;
}

std::string tovWeather::DebugDump(int line) const
{
    static constexpr const char* kNames[] = {"Air",     "Cloud", "Fog",  "Light",    "Rain",
                                             "Clarity", "Water", "Wave", "Behavior", "Direction"};
    const tovWeatherRecord& s = m_state;
    char text[128];
    auto fraction = [&](const Fraction& p)
    { std::snprintf(text, sizeof text, "%s : %.4f (%.4f,%.4f)", kNames[line], p.value, p.start, p.target); };
    auto temperature = [&](const Temperature& t)
    { std::snprintf(text, sizeof text, "%s : %.4f (%.4f,%.4f)", kNames[line], t.value, t.low, t.high); };
    auto flag = [](bool on) { return on ? "TRUE" : "FALSE"; };
    switch (line)
    {
    case 0:
        temperature(s.air);
        break;
    case 1:
        fraction(s.cloud);
        break;
    case 2:
        fraction(s.fog);
        break;
    case 3:
        fraction(s.light);
        break;
    case 4:
        fraction(s.rain);
        break;
    case 5:
        fraction(s.clarity);
        break;
    case 6:
        temperature(s.water);
        break;
    case 7:
        fraction({s.wave.value, s.wind.start, s.wind.target, 0.0f});
        break;
    case 8:
        fraction(s.behavior);
        break;
    case 9:
        fraction(s.direction);
        break;
    case 10:
        std::snprintf(text, sizeof text, "Event : %d", s.frontKind);
        break;
    case 11:
        std::snprintf(text, sizeof text, "For Wx : %.2f", s.eventDuration);
        break;
    case 12:
        std::snprintf(text, sizeof text, "To end of Wx : %.2f", s.eventTimeLeft);
        break;
    case 13:
        std::snprintf(text, sizeof text, "B4 Minor : %.2f", s.beforeMinor);
        break;
    case 14:
        std::snprintf(text, sizeof text, "B4 Major : %.2f", s.beforeMajor);
        break;
    case 15:
        std::snprintf(text, sizeof text, "Minor : %s", flag(s.minorActive));
        break;
    case 16:
        std::snprintf(text, sizeof text, "Major : %s", flag(s.majorActive));
        break;
    case 17:
        std::snprintf(text, sizeof text, "Auto : %s", flag(m_auto));
        break;
    case 18:
        std::snprintf(text, sizeof text, "Random State : %d", static_cast<int>(s.generatorState));
        break;
    default:
        std::snprintf(text, sizeof text, "ERROR : %d", line);
        break;
    }
    return text;
}
