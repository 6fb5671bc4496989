#pragma once
// The profiles and tournament set-up screens' pictures in the main pack, and each lake pack's
// two set-up pictures and announcement sound.

#include "PackWriter.h"

#include <cstdint>
#include <string>

namespace gen
{

// After the shell's and the other front-end screens' pictures: some buttons are shared.
void AddSetupScreenPictures(tools::PackContents& pack);
// Pictures 70 (the lake seen from its shore) and 86 (its outline), and sound 17, in group 0.
// The file name tells variants of one lake apart.
void AddLakeSetupItems(tools::PackContents& pack, const std::string& lakeName, const std::string& fileName);

} // namespace gen
