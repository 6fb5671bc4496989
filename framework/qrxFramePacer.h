#pragma once
// Paces the main loop of a window: at most a set number of frames a second, the rest of each
// frame's share of the second handed back to the system, so that screens where nothing moves
// do not keep a core busy. Reads the installed clock, so a test drives it with a manual one
// and a rest of its own. Without a cap (the headless harness, tests) it never pauses.
// Frames end on a schedule of whole periods from one origin, not a period after each frame's
// start: what a rest oversleeps and what runs between frames is made up on the next frame.

#include <cstdint>
#include <functional>
#include <utility>

class qrxFramePacer
{
public:
    // The window's cap.
    static constexpr int32_t kWindowFramesPerSecond = 60;
    // Rests for the given seconds (the real one sleeps, and may oversleep).
    using Rest = std::function<void(double seconds)>;

    // 0 (or less): no cap. A new cap starts a new schedule.
    void SetCap(int32_t framesPerSecond);
    int32_t GetCap() const { return m_cap; }
    // Null puts the system's sleep back.
    void SetRest(Rest rest) { m_rest = std::move(rest); }
    // A frame starts now: its share ends one period after the last frame's.
    void StartFrame();
    // Seconds still to rest until the frame started last reaches the end of its share: 0
    // without a cap or once the share is used up.
    double PauseNeeded() const;
    // Rests for PauseNeeded(); answers the seconds it asked for. A frame that ends more than a
    // period past its share starts the schedule again from now, so no burst of frames follows.
    double Pause();

private:
    static constexpr uint64_t kNsPerSecond = 1'000'000'000;
    uint64_t DeadlineNs() const;

    int32_t m_cap = 0;
    bool m_scheduled = false;
    // The current frame's share ends m_frames periods after m_originNs.
    uint64_t m_originNs = 0;
    uint64_t m_frames = 0;
    Rest m_rest;
};
