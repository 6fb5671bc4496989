#pragma once
// The chase camera's heading: it follows the local boat's heading at a steady turn rate the
// shorter way round, so the camera swings after the boat in a turn instead of being bolted to
// its stern, and does not rock with the hull. Stepped by the fishing world's idle manager.

#include "qrxIdleObject.h"
#include "uCircleTarget.h"

class tovCameraHeadingTracker : public qrxIdleObject
{
public:
    // Degrees a second.
    static constexpr float kTurnRate = 120.0f;

    tovCameraHeadingTracker();

    // Turns toward the player boat's heading; the first step (and any step with no time
    // passed) takes the heading at once. Nothing without a boat.
    void Update(double now, double elapsed) override;
    // Toward a heading in degrees over elapsed seconds; the same rules as Update.
    void Follow(float heading, double elapsed);
    // 0 to 360, in the boat's heading convention.
    float GetHeading() const { return m_heading.GetWrappedValue(); }

private:
    uCircleTarget m_heading;
    bool m_started = false;
};
