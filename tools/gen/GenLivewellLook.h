#pragma once
// The pictures of the livewell screen (group 13) and the angler look screen (group 17) in
// the main pack.

#include "PackWriter.h"

namespace gen
{

// After the shell's and the options' pictures: the screens share some of their buttons.
void AddLivewellLookPictures(tools::PackContents& pack);

} // namespace gen
