// The rules of each weather parameter: its first value at the start of the day, what an event
// sets it gliding toward, and its step on each tick. Every Draw() is a fresh draw, taken in the
// order the conditions read, so a weather and a copy of its record draw alike.

#include "tovWeather.h"

#include <algorithm>
#include <cmath>

namespace
{

// How warm the day is at each hour, 0 coolest to 1 warmest.
constexpr float kHourlyCurve[24] = {0.2f, 0.1f, 0.0f, 0.0f, 0.0f, 0.1f, 0.1f, 0.2f, 0.2f, 0.3f, 0.4f, 0.6f,
                                    0.8f, 0.9f, 1.0f, 1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.4f, 0.3f};

constexpr float kTwoThirds = 2.0f / 3.0f;

bool IsSet(float x)
{
    return x >= 0.0f;
}

bool IsSetTemperature(float x)
{
    return x > tovWeatherRecord::kUnset;
}

float Clamp01(float x)
{
    return x >= 0.0f ? std::min(x, 1.0f) : 0.0f;
}

int HourIndex(double hour)
{
    return hour >= 0.0 && hour < 24.0 ? static_cast<int>(hour) : 0;
}

} // namespace

float tovWeather::CurveAtHour(int hourOffset) const
{
    return kHourlyCurve[(HourIndex(m_hour) + hourOffset) % 24];
}

float tovWeather::Curve(int hourOffset) const
{
    const float here = CurveAtHour(hourOffset);
    const float next = kHourlyCurve[(HourIndex(m_nextHour) + hourOffset) % 24];
    const double fraction = m_hour >= 0.0 ? m_hour - std::trunc(m_hour) : 0.0;
    return here + (next - here) * static_cast<float>(fraction);
}

void tovWeather::FollowCurve(Temperature& t, int hourOffset) const
{
    t.value = t.low + (t.high - t.low) * Curve(hourOffset);
}

void tovWeather::LimitBand(float& low, float& high, float width, float lowBound, float highBound) const
{
    if (low < lowBound)
    {
        low = lowBound;
        high = lowBound + width;
    }
    if (high > highBound)
    {
        high = highBound;
        low = highBound - width;
    }
}

void tovWeather::InitTemperature(Temperature& t, float lowBound, float highBound, float width, int hourOffset)
{
    if (!IsSetTemperature(t.preset))
    {
        const float centre = static_cast<float>(lowBound + Draw() * (highBound - lowBound));
        t.low = centre - width / 2.0f;
        t.high = centre + width / 2.0f;
    }
    else
    {
        const float d = width * (1.0f - CurveAtHour(hourOffset));
        t.low = t.preset - d;
        t.high = t.preset + d;
    }
    LimitBand(t.low, t.high, width, lowBound, highBound);
    FollowCurve(t, hourOffset);
}

void tovWeather::BeginTemperature(Temperature& t, float centre, float width, float lowBound, float highBound)
{
    t.targetLow = centre - width / 2.0f;
    t.targetHigh = centre + width / 2.0f;
    LimitBand(t.targetLow, t.targetHigh, width, lowBound, highBound);
    t.startLow = t.low;
    t.startHigh = t.high;
}

void tovWeather::StepTemperature(Temperature& t, float f, int hourOffset)
{
    if (m_state.majorActive && (IsSet(t.targetLow) || IsSet(t.targetHigh)) && IsSetTemperature(t.startLow) &&
        IsSetTemperature(t.startHigh))
    {
        t.low = t.startLow + (t.targetLow - t.startLow) * f;
        t.high = t.startHigh + (t.targetHigh - t.startHigh) * f;
    }
    FollowCurve(t, hourOffset);
}

void tovWeather::Aim(Fraction& p, float target)
{
    p.start = p.value;
    p.target = Clamp01(target);
}

void tovWeather::Glide(Fraction& p, float f)
{
    if (IsSet(p.target) && IsSet(p.start))
        p.value = p.start + (p.target - p.start) * f;
}

void tovWeather::InitRain()
{
    Fraction& rain = m_state.rain;
    if (IsSet(rain.preset))
        rain.value = rain.preset;
    else if (Draw() - Bias(tovWeatherRecord::kRainThreshold) >= 0.25)
        rain.value = 0.0f;
    else
        rain.value = std::min(1.0f, static_cast<float>(Draw() + Bias(tovWeatherRecord::kRainAmount)));
}

void tovWeather::InitFog()
{
    Fraction& fog = m_state.fog;
    if (IsRaining())
        fog.value = m_state.rain.value / 2.0f;
    else if (IsSet(fog.preset))
        fog.value = fog.preset;
    else if (Draw() - Bias(tovWeatherRecord::kFogThreshold) >= 0.15)
        fog.value = 0.0f;
    else
        fog.value = std::min(1.0f, static_cast<float>(Draw() + Bias(tovWeatherRecord::kFogAmount)));
}

void tovWeather::InitCloud()
{
    Fraction& cloud = m_state.cloud;
    if (IsRaining())
        cloud.value = (3.0f - m_state.rain.value / 3.0f) / 6.0f;
    else if (IsFoggy())
        cloud.value = kTwoThirds;
    else if (IsSet(cloud.preset))
        cloud.value = cloud.preset;
    else if (Draw() - Bias(tovWeatherRecord::kCloudAmount) >= 0.3)
        cloud.value = 0.0f;
    else
        cloud.value = std::min(1.0f, static_cast<float>(Draw() + Bias(tovWeatherRecord::kCloudAmount)));
}

void tovWeather::InitClarity()
{
    Fraction& clarity = m_state.clarity;
    if (IsRaining())
        clarity.value = Clamp01(m_state.rain.value);
    else if (IsSet(clarity.preset))
        clarity.value = clarity.preset;
    else if (Draw() - Bias(tovWeatherRecord::kClarityBias) >= 0.45)
        clarity.value = 0.0f;
    else
        clarity.value = std::min(1.0f, static_cast<float>(Draw() + Bias(tovWeatherRecord::kClarityBias)));
}

void tovWeather::InitWind()
{
    Fraction& wind = m_state.wind;
    if (IsSet(wind.preset))
        wind.value = wind.preset;
    else if (Draw() - Bias(tovWeatherRecord::kWindAmount) >= 0.55)
        wind.value = 0.0f;
    else
        wind.value = std::min(1.0f, static_cast<float>(Draw() + Bias(tovWeatherRecord::kWindAmount)));
}

void tovWeather::InitDirection()
{
    Fraction& direction = m_state.direction;
    direction.value = direction.start = IsSet(direction.preset) ? direction.preset : static_cast<float>(Draw());
}

void tovWeather::InitBehavior()
{
    Fraction& behavior = m_state.behavior;
    if (IsSet(behavior.preset))
        behavior.start = behavior.preset;
    else
        behavior.start = behavior.preset = static_cast<float>(Draw());
    // Readers (the fish) take the value: it would otherwise stay unset the whole day.
    behavior.value = behavior.start;
}

void tovWeather::BeginRain()
{
    Fraction& rain = m_state.rain;
    const float threshold = Bias(tovWeatherRecord::kRainThreshold);
    const float amount = Bias(tovWeatherRecord::kRainAmount);
    if (IsSet(m_state.cloud.target) && !IsOvercast(m_state.cloud.target))
    {
        if (IsRaining())
            Aim(rain, 0.0f);
        return;
    }
    if (IsRaining() && Draw() + threshold < 0.25)
        Aim(rain, std::max(0.0f, rain.value + amount - 0.25f));
    else if (Draw() - threshold < 0.25)
        Aim(rain, std::min(1.0f, rain.value + amount + 0.25f));
}

void tovWeather::BeginFog()
{
    Fraction& fog = m_state.fog;
    const float threshold = Bias(tovWeatherRecord::kFogThreshold);
    const float amount = Bias(tovWeatherRecord::kFogAmount);
    const float rainTarget = m_state.rain.target;
    const float cloudTarget = m_state.cloud.target;
    if (IsSet(rainTarget) && IsRaining(rainTarget))
        Aim(fog, rainTarget / 2.0f);
    else if (IsSet(cloudTarget) && !IsOvercast(cloudTarget))
        Aim(fog, 0.0f);
    else if (IsFoggy() && Draw() + threshold < 0.15)
        Aim(fog, std::max(0.0f, static_cast<float>(fog.value + amount - Draw())));
    else if (Draw() - threshold < 0.15)
        Aim(fog, std::min(1.0f, static_cast<float>(Draw() + amount + fog.value)));
}

void tovWeather::BeginCloud()
{
    Fraction& cloud = m_state.cloud;
    const float threshold = Bias(tovWeatherRecord::kCloudThreshold);
    const float amount = Bias(tovWeatherRecord::kCloudAmount);
    const float rainTarget = m_state.rain.target;
    const float fogTarget = m_state.fog.target;
    if (IsSet(rainTarget) && IsRaining(rainTarget))
        Aim(cloud, 0.25f * static_cast<float>(GetRainLevel(rainTarget)));
    else if (IsSet(fogTarget) && IsFoggy(fogTarget))
        Aim(cloud, kTwoThirds);
    else if (Draw() + threshold < 0.3)
        Aim(cloud, std::max(0.0f, static_cast<float>(cloud.value + amount - Draw())));
    else if (Draw() - threshold < 0.3)
        Aim(cloud, std::min(1.0f, static_cast<float>(Draw() + amount + cloud.value)));
}

void tovWeather::BeginOvercast()
{
    m_state.overcast.value = 0.005f;
    DeriveOvercast();
}

void tovWeather::DeriveOvercast()
{
    const tovWeatherRecord& s = m_state;
    if (s.cloud.value >= 0.0f)
        m_state.overcast.depth = (s.cloud.value - kTwoThirds) * 3.0f;
    else if (s.rain.value >= 0.0f)
        m_state.overcast.depth = (s.rain.value - 0.5f) * 2.0f;
    else
        m_state.overcast.depth = 0.5f;
}

void tovWeather::BeginWind()
{
    Fraction& wind = m_state.wind;
    const float threshold = Bias(tovWeatherRecord::kWindThreshold);
    const float amount = Bias(tovWeatherRecord::kWindAmount);
    if (IsSet(m_state.cloud.target))
    {
        if (Draw() + threshold < 0.55)
            Aim(wind, static_cast<float>(wind.value + amount - Draw()));
        else if (Draw() - threshold < 0.55)
            Aim(wind, static_cast<float>(Draw() + amount + wind.value));
    }
    else if (Draw() - threshold < 0.55)
    {
        Aim(wind, static_cast<float>(Draw() + amount + wind.value));
    }
}

void tovWeather::BeginDirection(bool major)
{
    Fraction& direction = m_state.direction;
    const float threshold = Bias(tovWeatherRecord::kWindThreshold);
    if (major)
    {
        if (m_state.frontKind != kNoFront)
            Aim(direction, 0.0f);
        else if (Draw() - threshold < 0.25)
            Aim(direction, static_cast<float>(Draw() + direction.value));
        return;
    }
    if (Draw() + threshold < 0.25)
        Aim(direction, static_cast<float>(direction.value - Draw()));
    else if (Draw() - threshold < 0.25)
        Aim(direction, static_cast<float>(Draw() + direction.value));
}
