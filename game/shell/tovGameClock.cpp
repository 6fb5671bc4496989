#include "tovGameClock.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <cmath>

namespace
{

struct DayLength
{
    double realMinutes;
    double gameHours;
};

constexpr DayLength kDayLengths[] = {{10.0, 8.0}, {20.0, 8.0}, {40.0, 8.0}, {60.0, 8.0}};

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
    for (double v : {c.m_gameTime, c.m_rate, c.m_offset, c.m_dayLength, c.m_realLength})
        if (!std::isfinite(v))
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
