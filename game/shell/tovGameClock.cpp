#include "tovGameClock.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "tovUserProfile.h"

#include <cmath>

namespace
{

struct DayLength
{
    double realMinutes;
    double gameHours;
};

constexpr DayLength kDayLengths[] = {{10.0, 8.0}, {20.0, 8.0}, {40.0, 8.0}, {60.0, 8.0}};

// What a saved block may hold. Far wider than any day the game starts, and narrow enough that
// a clock left running for years still saves a block this reader takes.
constexpr double kMaxRate = 3600.0;         // game seconds per real second
constexpr double kMaxDayLength = 86400.0;   // game seconds
constexpr double kMaxRealLength = 604800.0; // real seconds
constexpr double kMaxGameTime = 1.0e12;     // game seconds, either sign
constexpr double kMaxOffset = 604800.0;     // real seconds, either sign

bool InRange(double value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

} // namespace

void tovGameClock::Start(double realMinutes, double gameHours)
{
    m_offset = 0.0;
    m_gameTime = 0.0;
    m_dayLength = gameHours * 3600.0;
    m_realLength = realMinutes * 60.0;
    m_rate = m_dayLength / m_realLength;
    m_lastStamp = Now();
}

void tovGameClock::Restart(int32_t dayLengthLevel)
{
    if (dayLengthLevel >= 0 && dayLengthLevel < static_cast<int32_t>(std::size(kDayLengths)))
    {
        const DayLength& d = kDayLengths[dayLengthLevel];
        m_dayLength = d.gameHours * 3600.0;
        m_realLength = d.realMinutes * 60.0;
        m_rate = m_dayLength / m_realLength;
    }
    m_offset = 0.0;
    m_gameTime = 0.0;
    m_lastStamp = Now();
}

void tovGameClock::SetGameTime(double gameSeconds)
{
    m_gameTime = gameSeconds;
    m_lastStamp = Now();
}

void tovGameClock::Save(plat::ByteWriter& out) const
{
    out.F64(m_gameTime);
    out.F64(m_lastStamp);
    out.U32(m_flags);
    out.U32(m_reserved);
    out.F64(m_rate);
    out.F64(m_offset);
    out.F64(m_dayLength);
    out.F64(m_realLength);
}

bool tovGameClock::Load(plat::ByteReader& in)
{
    if (in.Remaining() < kBlockSize)
        return false;
    tovGameClock c;
    c.m_gameTime = in.F64();
    c.m_lastStamp = in.F64();
    c.m_flags = in.U32();
    c.m_reserved = in.U32();
    c.m_rate = in.F64();
    c.m_offset = in.F64();
    c.m_dayLength = in.F64();
    c.m_realLength = in.F64();
    if (!InRange(c.m_gameTime, -kMaxGameTime, kMaxGameTime) || !InRange(c.m_rate, 0.0, kMaxRate) ||
        !InRange(c.m_offset, -kMaxOffset, kMaxOffset) || !InRange(c.m_dayLength, 0.0, kMaxDayLength) ||
        !InRange(c.m_realLength, 0.0, kMaxRealLength))
        return false;
    *this = c;
    // The stored stamp is another run's real time: counting from it would jump the clock.
    m_lastStamp = Now();
    return true;
}

tovGameClock& TheGameClock()
{
    static tovGameClock clock;
    return clock;
}

void ResetGameClock()
{
    TheGameClock().Restart(TheUserProfile().GetSetting0(false));
}
