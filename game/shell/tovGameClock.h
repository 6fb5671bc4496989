#pragma once
// The one game clock of the program: game seconds of the current fishing day, from 0 to the
// day length (8 game hours), compressed into 10 to 60 real minutes. The application updates it
// first thing every frame; the session restarts it each day; saved games and the network copy
// its 56-byte block.

#include "tovGameClockBase.h"

#include <cstdint>

namespace plat
{
class ByteReader;
class ByteWriter;
} // namespace plat

class tovGameClock : public tovGameClockBase
{
public:
    static constexpr uint32_t kBlockSize = 56;
    // The day's game seconds count from 6:00 a.m.
    static constexpr double kDayStartSeconds = 6.0 * 3600.0;

    tovGameClock() = default;

    // Starts a day of gameHours game hours lasting realMinutes real minutes; the running bit
    // is left as it is.
    void Start(double realMinutes, double gameHours);
    // Restarts for a new day at a day-length level 0 to 3 (10, 20, 40, 60 real minutes for 8
    // game hours); any other level keeps the lengths and rate.
    void Restart(int32_t dayLengthLevel);

    // Sets the game time from elsewhere (the network host's clock) and restamps.
    void SetGameTime(double gameSeconds);

    double GetDayLength() const { return m_dayLength; }
    double GetRealLength() const { return m_realLength; }
    double GetRemaining() const { return m_dayLength - m_gameTime; }
    bool IsDayOver() const { return GetRemaining() <= 0.0; }
    // Seconds since midnight of the game day, for the weather, the sky and the screens.
    double GetTimeOfDay() const { return kDayStartSeconds + m_gameTime; }

    // The flat block, little-endian, as saved games store it.
    void Save(plat::ByteWriter& out) const;
    // Reads the block and restamps, so the real time between save and load is not counted.
    // False (and the clock unchanged) when the block is short or a value is out of range.
    bool Load(plat::ByteReader& in);
};

// The program-wide clock, built before the program starts.
tovGameClock& TheGameClock();
// Restarts the program-wide clock for a new day at the profile's day-length level.
void ResetGameClock();
