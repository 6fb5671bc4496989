#pragma once
// The pictures of the network game's start-of-day screen and chat panel in the main pack.

#include "PackWriter.h"

namespace gen
{

// After the shell's and the front end's pictures: the day-start screen lists some of theirs.
void AddNetScreenPictures(tools::PackContents& pack);

} // namespace gen
