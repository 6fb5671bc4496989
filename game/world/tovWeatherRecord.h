#pragma once
// The flat state of a weather: everything another copy needs to continue exactly where this
// one stands (events, timers, biases, parameters and the generator's state). Saved games hold
// it as 372 little-endian bytes; the network's game parameters carry it in 376 (the record and
// four zero bytes). The clock, the seasonal bounds and the auto and started flags are not in it.

#include <array>
#include <cstddef>
#include <cstdint>

namespace plat
{
class ByteReader;
class ByteWriter;
} // namespace plat

struct tovWeatherRecord
{
    // Marks a value, target or preset that is not set.
    static constexpr float kUnset = -9999.0f;
    static constexpr double kUnsetTime = -9999.0;

    // Beyond any lake's temperatures in either scale; keeps the arithmetic on them sane.
    static constexpr float kLowestDegrees = -1000.0f;
    static constexpr float kHighestDegrees = 1000.0f;

    static constexpr size_t kSize = 372;
    static constexpr size_t kNetworkSize = 376;

    enum Bias : size_t
    {
        kCloudThreshold,
        kCloudAmount,
        kFogThreshold,
        kFogAmount,
        kRainThreshold,
        kRainAmount,
        kFurther1,
        kFurther2,
        kClarityBias,
        kFurther3,
        kWindThreshold,
        kWindAmount,
        kBiasCount
    };

    // A fraction in [0, 1] gliding from start to target while an event runs.
    struct Fraction
    {
        float value = kUnset;
        float start = kUnset;
        float target = kUnset;
        float preset = kUnset;

        bool operator==(const Fraction&) const = default;
    };

    // A temperature in degrees: the value follows the hourly curve inside the band low..high,
    // and a major event with a front moves the band from the start band to the target band.
    struct Temperature
    {
        float value = kUnset;
        float low = kUnset;
        float high = kUnset;
        float targetLow = kUnset;
        float targetHigh = kUnset;
        float startLow = kUnset;
        float startHigh = kUnset;
        float preset = kUnset;

        bool operator==(const Temperature&) const = default;
    };

    struct Overcast
    {
        float value = kUnset;
        float depth = kUnset; // derived from Cloud (or Rain): -2 to 1
        float start = kUnset;
        float target = kUnset;
        float preset = kUnset;

        bool operator==(const Overcast&) const = default;
    };

    struct Wave
    {
        float value = kUnset;
        float further1 = kUnset;
        float further2 = kUnset;
        float preset = kUnset;

        bool operator==(const Wave&) const = default;
    };

    // The generator's state captured at the start of the latest update: 1 to 2^31 - 2.
    uint32_t generatorState = 1;
    double eventDuration = kUnsetTime;
    double eventTimeLeft = kUnsetTime;
    float frontAir = kUnset;
    float frontWater = kUnset;
    int32_t frontKind = 0; // tovWeather::FrontKind
    uint8_t majorActive = 0;
    double beforeMajor = kUnsetTime;
    double majorDuration = kUnsetTime;
    double majorTimeLeft = kUnsetTime;
    uint8_t minorActive = 0;
    double beforeMinor = kUnsetTime;
    double minorDuration = kUnsetTime;
    double minorTimeLeft = kUnsetTime;
    std::array<float, kBiasCount> biases{};
    Temperature air;
    Fraction cloud;
    Fraction fog;
    Fraction light;
    Fraction rain;
    Overcast overcast;
    Fraction clarity;
    Temperature water;
    Wave wave;
    Fraction behavior;
    Fraction direction;
    Fraction wind;

    // Writes kSize bytes; the unused bytes between fields are zeros.
    void Write(plat::ByteWriter& out) const;
    // Reads kSize bytes. False, with this record unchanged, when the bytes run short or the
    // record is damaged (see IsValid).
    bool Read(plat::ByteReader& in);
    // The network form: the record followed by four zero bytes (ignored when read).
    void WriteNetwork(plat::ByteWriter& out) const;
    bool ReadNetwork(plat::ByteReader& in);

    // A record a weather can continue from: a generator state the generator can run from,
    // a known front kind, flags 0 or 1, finite numbers, fractions unset or within 0..1 and
    // temperatures unset or within a plausible range.
    bool IsValid() const;

    bool operator==(const tovWeatherRecord&) const = default;
};
