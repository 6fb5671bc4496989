#pragma once
// Paces the main loop of a window: at most a set number of frames a second, the rest of each
// frame's share of the second handed back to the system, so that screens where nothing moves
// do not keep a core busy. Reads the installed clock, so a test drives it with a manual one.
// Without a cap (the headless harness, tests) it never pauses.

#include <cstdint>

class qrxFramePacer
{
public:
    // The window's cap.
    static constexpr int32_t kWindowFramesPerSecond = 60;

    // 0 (or less): no cap.
    void SetCap(int32_t framesPerSecond) { m_cap = framesPerSecond > 0 ? framesPerSecond : 0; }
    int32_t GetCap() const { return m_cap; }
    // A frame starts now.
    void StartFrame();
    // Seconds still to rest so that the frame started last fills its share of a second: 0
    // without a cap or once the share is used up.
    double PauseNeeded() const;
    // Rests for PauseNeeded(); answers the seconds it asked for.
    double Pause();

private:
    int32_t m_cap = 0;
    double m_frameStart = 0.0;
};
