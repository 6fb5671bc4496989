#pragma once
// What a surface hands to 2D drawing (text, lines, fills made by the framework): its memory,
// locked until the target is released, and its palette when it is palettised.

#include "Palette.h"
#include "PixelView.h"

namespace plat
{

struct DrawTarget
{
    PixelView view;
    const Palette* palette = nullptr; // borrowed while the target is held
};

} // namespace plat
