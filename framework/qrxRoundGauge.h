#pragma once
// A round dial drawn over the view through the scratch image: a needle from the centre for a
// value scaled by the range (white) or for an angle in degrees (red); 0 degrees points up,
// +90 right and -90 left.

#include "qrxScratchImage.h"

#include "Point.h"

#include <cstdint>

class qrxRoundGauge : public qrxScratchImage
{
public:
    static constexpr int kTableSize = 360;

    qrxRoundGauge(int32_t left, int32_t top, int32_t right, int32_t bottom);

    void SetRange(float minimum, float maximum);
    // value 0 gives the minimum angle, 1 the maximum.
    void DrawValue(float value);
    void DrawPointer(float angle);

    // Where a needle for the angle (degrees) ends, relative to the gauge's top-left corner.
    plat::Point NeedleEnd(float angle) const;

private:
    void DrawNeedle(float angle, uint32_t color);

    int32_t m_x;
    int32_t m_y;
    int32_t m_centreX;
    int32_t m_centreY;
    int32_t m_width;
    int32_t m_height;
    float m_radius;
    float m_circle[kTableSize][2];
    float m_min = -90.0f;
    float m_max = 90.0f;
    float m_span = 180.0f;
};
