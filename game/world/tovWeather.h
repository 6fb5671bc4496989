#pragma once
// The weather of one fishing day. Air and water temperatures follow an hourly curve inside a
// band; the fractions (cloud, fog, rain, clarity, wave, behavior, direction, wind) change only
// when an event begins and then glide to their targets over the event. Major events (every 3.5
// to 5.5 game hours) may bring a warm or cold front that moves the temperature bands; minor
// events (every 1.5 to 2.5 game hours) come in between. It reads the game clock's time of day
// and draws from its own generator, so its record lets another copy continue alike.
//
// Counted: the sky holds the day's weather, and the conditions screen may hand the sky one of
// its own; the last holder's release deletes it. Its owner adds it to an idle manager; it
// leaves that manager when it is deleted.

#include "qrxIdleObject.h"
#include "tovWeatherRecord.h"
#include "uRandom.h"

#include <cstdint>
#include <string>

class tovWeather : public qrxIdleObject
{
public:
    enum FrontKind : int32_t
    {
        kNoFront = 0,
        kWarmFront = 1,
        kColdFront = 2
    };

    static constexpr float kUnset = tovWeatherRecord::kUnset;
    static constexpr double kDaySeconds = 86400.0;
    static constexpr int kStatusLineCount = 19;

    // Unstarted, evolving by itself, seeded from the calendar time.
    tovWeather();
    // The conditions screen's form; its argument (-1) carries nothing.
    explicit tovWeather(double ignored);

    void IncRefCount() { ++m_refCount; }
    void DecRefCount()
    {
        if (--m_refCount == 0)
            delete this;
    }
    uint32_t GetRefCount() const { return m_refCount; }

    // Reads the game clock's time of day; the frame times are not used.
    void Update(double now, double elapsed) override;
    // Begins the day at a clock in seconds since midnight: the lake's temperature bounds,
    // then (once) every parameter's first value and the first events.
    void Start(double clock);
    // Forces a front: cloud, wind, fog and rain cross to the other extreme over 3000 game
    // seconds.
    void BeginMajorEvent();

    float GetAir() const { return m_state.air.value; }
    float GetCloud() const { return m_state.cloud.value; }
    float GetFog() const { return m_state.fog.value; }
    float GetRain() const { return m_state.rain.value; }
    float GetClarity() const { return m_state.clarity.value; }
    float GetWater() const { return m_state.water.value; }
    float GetWave() const { return m_state.wave.value; }
    float GetWind() const { return m_state.wind.value; }
    float GetBehavior() const { return m_state.behavior.value; }
    float GetDirection() const { return m_state.direction.value; }
    float GetOvercastDepth() const { return m_state.overcast.depth; }

    // A negative argument means the current value. Cloud 0..6, rain 0..4, clarity 0..4.
    int GetCloudLevel(float cloud = -1.0f) const;
    int GetRainLevel(float rain = -1.0f) const;
    int GetClarityLevel() const;
    // The compass point the wind comes from, 0 north, counting clockwise by eighths: 0..7.
    int GetDirectionIndex() const;
    // Water temperature on the scale of the seasonal water bounds.
    float GetWaterNormalised() const;
    bool IsRaining(float rain = -1.0f) const;
    bool IsFoggy(float fog = -1.0f) const;
    bool IsOvercast(float cloud = -1.0f) const;

    void SetAuto(bool on) { m_auto = on; }
    bool GetAuto() const { return m_auto; }
    bool IsStarted() const { return m_started; }
    // Air and water are limited to the seasonal bounds, the fractions to 0..1.
    void SetAir(float degrees);
    void SetWater(int32_t degrees);
    void SetCloud(float x);
    void SetFog(float x);
    void SetRain(float x);
    void SetClarity(float x);
    void SetWave(float x);
    void SetWind(float x);
    void SetDirection(float x);
    void SetDirectionIndex(int32_t index);

    void GetState(tovWeatherRecord& record) const;
    // The record's generator state becomes the generator's state now: a copy made from the
    // record then draws what this weather draws next, also when the start drew after the
    // latest update began (a day's first record is taken before any update).
    void CaptureGenerator();
    // False, changing nothing, for a record a weather cannot continue from (a generator
    // state of 0 among them).
    bool SetState(const tovWeatherRecord& record);
    // After a restored state and clock: the next update counts the time since this time of
    // day, as the weather that was saved would have, instead of starting its count afresh.
    void ResumeAt(double timeOfDay);

    int GetStatusLineCount() const { return kStatusLineCount; }
    std::string DebugDump(int line) const;

    // What the events and the clock stand at, for the debug overlay and tests.
    const tovWeatherRecord& GetRecord() const { return m_state; }
    double GetClock() const { return m_clock; }
    double GetElapsed() const { return m_elapsed; }
    float GetAirLow() const { return m_airLow; }
    float GetAirHigh() const { return m_airHigh; }
    float GetWaterLow() const { return m_waterLow; }
    float GetWaterHigh() const { return m_waterHigh; }

protected:
    ~tovWeather() override = default;

private:
    using Fraction = tovWeatherRecord::Fraction;
    using Temperature = tovWeatherRecord::Temperature;

    double Draw() { return m_random.uniform(); }
    float Bias(tovWeatherRecord::Bias b) const { return m_state.biases[b]; }

    void SetClock(double clock);
    double ElapsedSince(double previousClock) const;
    void ApplyLakeBounds();
    float Curve(int hourOffset) const;
    float CurveAtHour(int hourOffset) const;
    float EventProgress() const;

    void ScheduleMajor();
    void ScheduleMinor();
    void AutoTick();
    void BeginMajor();
    void BeginMinor();
    void EndEvent();
    void ClearTargets();
    void ClearBiases();
    void SetFrontBiases(int32_t kind);
    void StepAll();

    // The per-parameter rules (tovWeatherRules.cpp).
    void InitTemperature(Temperature& t, float low, float high, float width, int hourOffset);
    void LimitBand(float& low, float& high, float width, float lowBound, float highBound) const;
    void FollowCurve(Temperature& t, int hourOffset) const;
    void BeginTemperature(Temperature& t, float centre, float width, float lowBound, float highBound);
    void StepTemperature(Temperature& t, float f, int hourOffset);
    void InitRain();
    void InitFog();
    void InitCloud();
    void InitClarity();
    void InitWind();
    void InitDirection();
    void InitBehavior();
    void BeginRain();
    void BeginFog();
    void BeginCloud();
    void BeginOvercast();
    void BeginWind();
    void BeginDirection(bool major);
    void DeriveOvercast();
    static void Aim(Fraction& p, float target);
    static void Glide(Fraction& p, float f);

    uint32_t m_refCount = 0;

    double m_clock = tovWeatherRecord::kUnsetTime;
    double m_hour = tovWeatherRecord::kUnsetTime;
    double m_nextClock = tovWeatherRecord::kUnsetTime;
    double m_nextHour = tovWeatherRecord::kUnsetTime;
    double m_elapsed = tovWeatherRecord::kUnsetTime;
    double m_previousClock = tovWeatherRecord::kUnsetTime;

    uRandom m_random{1};
    uint32_t m_seedWord = 1;

    float m_airLow = 40.0f;
    float m_airHigh = 100.0f;
    float m_waterLow = 50.0f;
    float m_waterHigh = 85.0f;
    bool m_auto = true;
    bool m_started = false;

    // Everything the record carries; its generator state is the captured one.
    tovWeatherRecord m_state;
};
