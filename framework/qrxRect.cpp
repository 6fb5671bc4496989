#include "qrxRect.h"

#include "Canvas.h"

namespace
{
constexpr int32_t kPenWidth = 2;
} // namespace

qrxRect::qrxRect(int32_t left, int32_t top, int32_t right, int32_t bottom, plat::ColorRef color)
    : m_left(left), m_top(top), m_right(right), m_bottom(bottom), m_color(color)
{
}

void qrxRect::Draw()
{
    const int32_t width = m_right - m_left;
    const int32_t height = m_bottom - m_top;
    if (plat::Canvas* canvas = BeginDraw(width, height))
        canvas->Rectangle({0, 0, width, height}, plat::Pen{m_color, kPenWidth}, true, plat::kColorBlack);
    FinishDraw(width, height, m_left, m_top);
}
