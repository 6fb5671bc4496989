#include "tovCameraHeadingTracker.h"

#include "tovBoat.h"
#include "tovWorldServices.h"

#include <cmath>

tovCameraHeadingTracker::tovCameraHeadingTracker()
{
    m_heading.SetUpper(360.0f);
    m_heading.SetLower(0.0f);
    m_heading.SetStep(kTurnRate);
}

void tovCameraHeadingTracker::Update(double /*now*/, double elapsed)
{
    tovWorldServices* world = GetWorldServices();
    if (const tovBoat* boat = world ? world->GetPlayerBoat() : nullptr)
        Follow(boat->GetHeadingDegrees(), elapsed);
}

void tovCameraHeadingTracker::Follow(float heading, double elapsed)
{
    if (!std::isfinite(heading))
        return;
    if (!m_started || !(elapsed > 0.0))
    {
        m_heading.SetValue(heading);
        m_heading.SetTarget(heading);
        m_started = true;
        return;
    }
    // Wrapped first: the control leaves its value past the bounds while it steps, and the
    // shorter way is only judged right from inside them.
    m_heading.SetValue(m_heading.GetWrappedValue());
    m_heading.SetTarget(heading);
    m_heading.StepToTarget(float(elapsed));
}
