#pragma once
// The local boat's fish finder: what it read last, for the head-up display's depth and water
// temperature.

#include "tovBoatProbe.h"

class tovFishingBoatProbe : public tovBoatProbe
{
public:
    // Keeps the depth under the boat (feet; 0 without a lake), the water temperature and the
    // speed. Always answers true.
    bool Sample(double now, double dt, const QrPoint3& position, float speed, float waterTemperature,
                tovLake* lake) override;

    float GetDepthFeet() const { return m_depthFeet; }
    float GetWaterTemperature() const { return m_temperature; }
    float GetSpeed() const { return m_speed; }
    double GetLastTime() const { return m_time; }

private:
    float m_depthFeet = 0.0f;
    float m_temperature = 0.0f;
    float m_speed = 0.0f;
    double m_time = 0.0;
};
