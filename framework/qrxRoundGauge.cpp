#include "qrxRoundGauge.h"

#include "Canvas.h"
#include "ColorRef.h"

#include <cmath>

namespace
{
// 358 steps make the full circle; the last two entries both point straight down.
constexpr double kStep = 0.017550615593791008;
constexpr plat::ColorRef kValueColor = 0xFFFFFF;
constexpr plat::ColorRef kPointerColor = 0x0000FF;
} // namespace

qrxRoundGauge::qrxRoundGauge(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : m_x(left), m_y(top), m_centreX((right - left) / 2), m_centreY((bottom - top) / 2), m_width(right - left),
      m_height(bottom - top), m_radius(static_cast<float>((right - left) / 2) * 0.9f)
{
    m_circle[359][0] = m_circle[358][0] = 0.0f;
    m_circle[359][1] = m_circle[358][1] = m_radius;
    const double s = std::sin(kStep);
    const double c = std::cos(kStep);
    for (int i = 357; i >= 0; --i)
    {
        const double x = m_circle[i + 1][0];
        const double y = m_circle[i + 1][1];
        m_circle[i][0] = static_cast<float>(s * y + c * x);
        m_circle[i][1] = static_cast<float>(c * y - s * x);
    }
}

void qrxRoundGauge::SetRange(float minimum, float maximum)
{
    m_min = minimum;
    m_max = maximum;
    m_span = maximum - minimum;
}

plat::Point qrxRoundGauge::NeedleEnd(float angle) const
{
    // Angles far below -180 would fall outside the table: wrap them in.
    int index = static_cast<int>(angle + 180.0f) % kTableSize;
    if (index < 0)
        index += kTableSize;
    return {m_centreX + static_cast<int32_t>(m_circle[index][0]), m_centreY + static_cast<int32_t>(m_circle[index][1])};
}

void qrxRoundGauge::DrawNeedle(float angle, uint32_t color)
{
    if (plat::Canvas* canvas = BeginDraw(m_width, m_height))
    {
        canvas->Fill({0, 0, m_width, m_height}, plat::kColorBlack);
        canvas->Line({m_centreX, m_centreY}, NeedleEnd(angle), plat::Pen{color, 1});
    }
    FinishDraw(m_width, m_height, m_x, m_y);
}

void qrxRoundGauge::DrawValue(float value)
{
    // (angle + 540) keeps the sum positive over one more turn than the pointer's (angle + 180).
    const float angle = value * m_span + m_min;
    DrawNeedle(angle + 360.0f, kValueColor);
}

void qrxRoundGauge::DrawPointer(float angle)
{
    DrawNeedle(angle, kPointerColor);
}
