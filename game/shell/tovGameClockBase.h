#pragma once
// The running part of the game clock: game seconds advanced from the program's millisecond
// clock at a fixed rate while the running bit is set. A flat value object; the whole clock is
// copied into saved games as one 56-byte block.

#include <cstdint>

class tovGameClockBase
{
public:
    static constexpr uint32_t kRunning = 1;

    tovGameClockBase() = default;

    // Setting the running bit restamps, so a pause is not counted when the clock runs on.
    void SetFlags(uint32_t flags);
    uint32_t GetFlags() const { return m_flags; }
    bool IsRunning() const { return (m_flags & kRunning) != 0; }

    // Advances the game time by the real time since the last stamp (while running) and
    // restamps, also while stopped.
    void Update();
    void ClearOffset(int ignored = 0);

    double GetGameTime() const { return m_gameTime; }
    double GetRate() const { return m_rate; }

protected:
    // Real seconds from the program's millisecond clock.
    static double Now();

    double m_gameTime = 0.0;
    double m_lastStamp = 0.0;
    uint32_t m_flags = 2;
    uint32_t m_reserved = 0;
    double m_rate = 0.0;
    double m_offset = 0.0;
    double m_dayLength = 0.0;
    double m_realLength = 0.0;
};
