#pragma once
// A rectangle outline, two pixels wide, drawn over the view through the scratch image; its
// inside stays transparent.

#include "qrxScratchImage.h"

#include "ColorRef.h"

#include <cstdint>

class qrxRect : public qrxScratchImage
{
public:
    qrxRect(int32_t left, int32_t top, int32_t right, int32_t bottom, plat::ColorRef color);

    void Draw();

    int32_t m_left;
    int32_t m_top;
    int32_t m_right;
    int32_t m_bottom;
    plat::ColorRef m_color;
};
