#include "tovFishingBoatProbe.h"

#include "tovLake.h"

#include <cmath>

bool tovFishingBoatProbe::Sample(double now, double /*dt*/, const QrPoint3& position, float speed,
                                 float waterTemperature, tovLake* lake)
{
    m_time = now;
    m_speed = std::isfinite(speed) ? speed : 0.0f;
    m_temperature = std::isfinite(waterTemperature) ? waterTemperature : 0.0f;
    float depth = 0.0f;
    if (lake)
        depth = -lake->GroundHeight(position) * 100.0f;
    // Dry ground or a bad height reads as no depth rather than a negative or endless one.
    m_depthFeet = std::isfinite(depth) && depth > 0.0f ? depth : 0.0f;
    return true;
}
