#pragma once
// The fishing screen's own pictures in the main pack: the instrument faces of its head-up
// display and the icons of its bottom bar's buttons.

#include "PackWriter.h"

namespace gen
{

void AddFishingHudPictures(tools::PackContents& pack);

} // namespace gen
