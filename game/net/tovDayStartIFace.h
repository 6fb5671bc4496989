#pragma once
// The start-of-day screen (19): a picture with Back and Start. Start empties the standings and,
// in a network game, waits for every player to reach the start of the day before switching to
// the fishing mode.

#include "tovShellIFace.h"

#include <cstdint>

class tovDayStartIFace : public tovShellIFace
{
public:
    static constexpr int32_t kBackButton = 1;
    static constexpr int32_t kStartButton = 2;

    tovDayStartIFace();
    ~tovDayStartIFace() override;
    // The one instance, or null.
    static tovDayStartIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;

    // While the banner waits for the other players, Escape asks whether to leave the network
    // game instead of leaving the screen.
    bool AllowsEscape() override;

    bool IsStartRequested() const { return m_startRequested; }
    // Set on the frames the waiting banner was drawn.
    bool IsWaiting() const { return m_waiting; }

private:
    void StartDay();
    static bool OnLeaveAnswer(int32_t answer, uintptr_t argument);

    QrPointer<QrImage> m_banner;
    bool m_startRequested = false;
    bool m_waiting = false;
    bool m_askingLeave = false;
    bool m_leaveChosen = false;
};
